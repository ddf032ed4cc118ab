// The rules of loading and saving over the in-memory registry: defaults, the readings
// of every kind of stored text, the texts written, that the exit leaves the log-on
// entry alone, and that saving again changes nothing.
#include "measuring/ApplicationState.h"
#include "settings/Settings.h"

#include <cfloat>
#include <cmath>
#include <limits>
#include <string>

#include <gtest/gtest.h>

#include "tests/settings/MemoryRegistry.h"

using namespace std::string_literals;

namespace {

constexpr char kKey[] = "Software\\Skittera";
constexpr char kRun[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kProgram[] = "C:\\Skittera\\skittera.exe";
// The local date at start, and as the since-date writes it.
constexpr CalendarDate kStartDate{2024, 3, 15};
constexpr char kToday[] = "15.03.2024";

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        memory_registry::Reset();
        Start(state);
    }
    void TearDown() override { EXPECT_EQ(memory_registry::OpenKeyCount(), 0); }

    // What start-up does: the defaults, then the load.
    void Start(ApplicationState& fresh) {
        ResetApplicationState(fresh);
        fresh.unitDivisor = 1;
        LoadSettingsFrom(store, fresh, kStartDate);
    }

    void Stored(const char* name, const std::string& bytes) {
        memory_registry::PutValue(CurrentUserRoot(), kKey, name, bytes);
    }
    std::string StoredBytes(const char* name) {
        return memory_registry::ValueBytes(CurrentUserRoot(), kKey, name);
    }

    ApplicationState Reloaded() {
        SettingsStore other;
        ApplicationState loaded;
        ResetApplicationState(loaded);
        loaded.unitDivisor = 1;
        LoadSettingsFrom(other, loaded, kStartDate);
        return loaded;
    }

    SettingsStore store;
    ApplicationState state;
};

// Loading -----------------------------------------------------------------------

TEST_F(SettingsTest, FirstStartWithoutAKeyGivesTheDefaultsAndWritesNothing) {
    EXPECT_EQ(state.distanceCm, 0);
    EXPECT_EQ(state.startDistanceCm, 0);
    EXPECT_EQ(state.unitDivisor, 1);
    EXPECT_TRUE(state.sinceDate == kToday);
    EXPECT_EQ(state.runAtStartup, 0);
    EXPECT_TRUE(store.baseKeyPath == kKey);
    EXPECT_TRUE(memory_registry::Log().empty());
    EXPECT_FALSE(memory_registry::HasKey(CurrentUserRoot(), kKey));
}

TEST_F(SettingsTest, StoredValuesAreLoaded) {
    Stored("SkitDistanza", "123456.7890000000\0"s);
    Stored("SkitCome", "Chilometri\0"s);
    Stored("SkitData", "01.02.2003\0"s);
    Start(state);

    EXPECT_EQ(state.distanceCm, 123456.789);
    EXPECT_EQ(state.startDistanceCm, 123456.789);
    EXPECT_EQ(state.unitDivisor, 100000);
    EXPECT_TRUE(state.sinceDate == "01.02.2003");
    EXPECT_TRUE(memory_registry::Log().empty());
}

struct DistanceCase {
    const char* stored;
    double expected;
};

class StoredDistanceTest : public SettingsTest, public ::testing::WithParamInterface<DistanceCase> {};

TEST_P(StoredDistanceTest, LoadsAsTheLeadingDecimalNumberOrZero) {
    Stored("SkitDistanza", std::string(GetParam().stored) + '\0');
    Start(state);
    EXPECT_EQ(state.distanceCm, GetParam().expected) << '"' << GetParam().stored << '"';
    EXPECT_EQ(state.startDistanceCm, state.distanceCm);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, StoredDistanceTest,
    ::testing::Values(DistanceCase{"0.0000000000", 0}, DistanceCase{"2.5000000000", 2.5}, DistanceCase{"", 0},
                      DistanceCase{"  42.5 cm", 42.5}, DistanceCase{"\t\n+7", 7}, DistanceCase{"12,5", 12},
                      DistanceCase{".5", 0.5}, DistanceCase{"5.", 5}, DistanceCase{"1e3", 1000},
                      DistanceCase{"2E+2x", 200}, DistanceCase{"1e", 1}, DistanceCase{"3e-", 3},
                      DistanceCase{"-", 0}, DistanceCase{".", 0}, DistanceCase{"abc", 0},
                      DistanceCase{"cm 12", 0}, DistanceCase{"0x10", 0}, DistanceCase{"nan", 0},
                      DistanceCase{"-nan", 0}, DistanceCase{"inf", 0}, DistanceCase{"-Infinity", 0},
                      DistanceCase{"1e999", 0}, DistanceCase{"-1e999", 0}, DistanceCase{"1e-999", 0},
                      // Only an edited value can be negative; it is taken as it stands.
                      DistanceCase{"-3.25", -3.25}));

struct UnitCase {
    std::string stored;
    double divisor;
};

class StoredUnitTest : public SettingsTest, public ::testing::WithParamInterface<UnitCase> {};

TEST_P(StoredUnitTest, OnlyTheExactNamesChooseAUnit) {
    state.unitDivisor = 100; // whatever came before, the load decides
    Stored("SkitCome", GetParam().stored);
    LoadSettingsFrom(store, state, kStartDate);
    EXPECT_EQ(state.unitDivisor, GetParam().divisor);
}

INSTANTIATE_TEST_SUITE_P(Names, StoredUnitTest,
                         ::testing::Values(UnitCase{"Centimetri\0"s, 1}, UnitCase{"Metri\0"s, 100},
                                           UnitCase{"Chilometri\0"s, 100000}, UnitCase{"Metri\0junk\0"s, 100},
                                           UnitCase{"Metri"s, 100}, UnitCase{"metri\0"s, 1},
                                           UnitCase{"CHILOMETRI\0"s, 1}, UnitCase{" Metri\0"s, 1},
                                           UnitCase{"Metri \0"s, 1}, UnitCase{"km\0"s, 1}, UnitCase{"\0"s, 1},
                                           UnitCase{std::string(600, 'M') + '\0', 1}));

TEST_F(SettingsTest, SinceDateIsTakenUnchangedUnlessEmptyOrUnreadable) {
    Stored("SkitData", "non una data\0"s);
    Start(state);
    EXPECT_TRUE(state.sinceDate == "non una data");

    std::string longest(511, '9');
    Stored("SkitData", longest + '\0');
    Start(state);
    EXPECT_EQ(state.sinceDate.length, 511);

    Stored("SkitData", "\0"s);
    Start(state);
    EXPECT_TRUE(state.sinceDate == kToday);

    Stored("SkitData", std::string(512, '9') + '\0');
    Start(state);
    EXPECT_EQ(state.sinceDate.length, 512);
}

// 512 bytes without a terminating zero are saved as 513 with it: the next start must
// still read the same date, not take today's.
TEST_F(SettingsTest, ASinceDateReadsBackAsItWasWrittenWhateverItsSize) {
    for (const std::string& bytes :
         {std::string(512, '7'), std::string(511, '7'), std::string(600, '7') + '\0'}) {
        SCOPED_TRACE(bytes.size());
        Stored("SkitData", bytes);
        Start(state);
        SaveSettingsTo(store, state);
        ApplicationState again = Reloaded();
        EXPECT_EQ(std::string(again.sinceDate.buffer), bytes.substr(0, bytes.find('\0')));
    }
}

// Saving ------------------------------------------------------------------------

TEST_F(SettingsTest, FirstExitCreatesTheKeyWithItsThreeValuesAndTodayAndNothingElse) {
    SaveSettingsTo(store, state);

    EXPECT_EQ(StoredBytes("SkitDistanza"), "0.0000000000\0"s);
    EXPECT_EQ(StoredBytes("SkitCome"), "Centimetri\0"s);
    EXPECT_EQ(StoredBytes("SkitData"), std::string(kToday) + '\0');
    // Deleting the absent log-on entry opens no key that is missing and creates none.
    EXPECT_EQ(memory_registry::Dump(), "HKCU\n"
                                       "HKCU\\Software\n"
                                       "HKCU\\Software\\Skittera\n"
                                       "HKCU\\Software\\Skittera:SkitCome=Centimetri\0|\n"
                                       "HKCU\\Software\\Skittera:SkitData=15.03.2024\0|\n"
                                       "HKCU\\Software\\Skittera:SkitDistanza=0.0000000000\0|\n"
                                       "HKCU\\Software\\Skittera\\Storico\n"
                                       "HKCU\\Software\\Skittera\\Storico:2024-03-15=0.0000000000;0;0;0\0|\n"
                                       "HKLM\n"s);
}

TEST_F(SettingsTest, EveryValueIsOneWriteOfItsWholeText) {
    state.distanceCm = 98765.4321;
    state.unitDivisor = 100;
    state.runAtStartup = 1; // the log-on entry changes with the check box, never at exit
    memory_registry::PutValue(LocalMachineRoot(), kRun, "Altro", "x\0"s);
    memory_registry::ClearLog();
    SaveSettingsTo(store, state);

    std::vector<std::string> writes;
    for (const std::string& line : memory_registry::Log()) {
        if (line.compare(0, 4, "set ") == 0) {
            writes.push_back(line);
        }
    }
    const std::vector<std::string> expected = {
        "set HKCU\\Software\\Skittera:SkitDistanza=98765.4321000000\0"s,
        "set HKCU\\Software\\Skittera:SkitCome=Metri\0"s,
        "set HKCU\\Software\\Skittera:SkitData=15.03.2024\0"s,
        "set HKCU\\Software\\Skittera\\Storico:2024-03-15=0.0000000000;0;0;0\0"s,
    };
    EXPECT_EQ(writes, expected);
}

TEST_F(SettingsTest, DistanceIsWrittenWithTenDecimalsAndReadsBack) {
    const double distances[] = {0.0, 1234.5, -2.5, 0.00000000004, 1e15, 123456789.0123456789, DBL_MAX};
    for (double distance : distances) {
        state.distanceCm = distance;
        SaveUserSettingsTo(store, state);
        std::string text = StoredBytes("SkitDistanza");
        ASSERT_FALSE(text.empty());
        EXPECT_EQ(text.back(), '\0');
        size_t point = text.find('.');
        ASSERT_NE(point, std::string::npos) << text;
        EXPECT_EQ(text.size() - point - 1, 11u) << text; // ten decimals and the zero
        EXPECT_EQ(text.find_first_of("eE"), std::string::npos) << text;
        // Even the largest counter fits the read buffer and comes back.
        EXPECT_NEAR(Reloaded().distanceCm, distance, std::fabs(distance) * 1e-15 + 1e-10) << text;
    }
    state.distanceCm = 0;
    SaveUserSettingsTo(store, state);
    EXPECT_EQ(StoredBytes("SkitDistanza"), "0.0000000000\0"s);
    state.distanceCm = 1234.5;
    SaveUserSettingsTo(store, state);
    EXPECT_EQ(StoredBytes("SkitDistanza"), "1234.5000000000\0"s);
}

TEST_F(SettingsTest, ACounterThatIsNoLongerANumberLeavesTheSavedOneAlone) {
    Stored("SkitDistanza", "12.0000000000\0"s);
    const double broken[] = {std::numeric_limits<double>::quiet_NaN(),
                             std::numeric_limits<double>::infinity(),
                             -std::numeric_limits<double>::infinity()};
    for (double distance : broken) {
        state.distanceCm = distance;
        state.unitDivisor = 100;
        SaveSettingsTo(store, state);
        EXPECT_EQ(StoredBytes("SkitDistanza"), "12.0000000000\0"s);
        EXPECT_EQ(StoredBytes("SkitCome"), "Metri\0"s); // the rest is saved as usual
    }
}

TEST_F(SettingsTest, UnitIsWrittenByNameAndAnyOtherDivisorAsCentimetres) {
    const struct {
        double divisor;
        std::string name;
    } cases[] = {{1, "Centimetri\0"s},
                 {100, "Metri\0"s},
                 {100000, "Chilometri\0"s},
                 {0, "Centimetri\0"s},
                 {1000, "Centimetri\0"s},
                 {100.0000001, "Centimetri\0"s},
                 {std::numeric_limits<double>::quiet_NaN(), "Centimetri\0"s}};
    for (const auto& unit : cases) {
        state.unitDivisor = unit.divisor;
        SaveUserSettingsTo(store, state);
        EXPECT_EQ(StoredBytes("SkitCome"), unit.name) << unit.divisor;
    }
}

TEST_F(SettingsTest, SavedStateLoadsBackTheSame) {
    state.distanceCm = 4321.125;
    state.unitDivisor = 100000;
    state.sinceDate = "29.02.2020";
    SaveSettingsTo(store, state);

    ApplicationState loaded = Reloaded();
    EXPECT_EQ(loaded.distanceCm, 4321.125);
    EXPECT_EQ(loaded.startDistanceCm, 4321.125);
    EXPECT_EQ(loaded.unitDivisor, 100000);
    EXPECT_TRUE(loaded.sinceDate == "29.02.2020");
}

TEST_F(SettingsTest, SavingAgainChangesNothingAndTouchesNothingElse) {
    Stored("Nota", "di qualcun altro\0"s);
    memory_registry::PutValue(LocalMachineRoot(), kRun, "Altro", "C:\\altro.exe\0"s);
    memory_registry::PutValue(CurrentUserRoot(), kRun, "Altro", "C:\\altro.exe\0"s);
    state.distanceCm = 77.7;
    state.runAtStartup = 1;

    SaveSettingsTo(store, state);
    std::string once = memory_registry::Dump();
    memory_registry::ClearLog();
    SaveSettingsTo(store, state);
    EXPECT_EQ(memory_registry::Dump(), once);
    for (const std::string& line : memory_registry::Log()) {
        EXPECT_NE(line.compare(0, 7, "create "), 0) << line;
    }
    SaveUserSettingsTo(store, state); // a checkpoint in between
    EXPECT_EQ(memory_registry::Dump(), once);

    EXPECT_EQ(StoredBytes("Nota"), "di qualcun altro\0"s);
    EXPECT_EQ(memory_registry::ValueBytes(LocalMachineRoot(), kRun, "Altro"), "C:\\altro.exe\0"s);
    EXPECT_EQ(memory_registry::ValueBytes(CurrentUserRoot(), kRun, "Altro"), "C:\\altro.exe\0"s);
}

TEST_F(SettingsTest, CheckpointWritesThePerUserValuesOnly) {
    memory_registry::PutValue(LocalMachineRoot(), kRun, "Skittera", "D:\\vecchio.exe\0"s);
    state.runAtStartup = 0;
    state.distanceCm = 5;
    memory_registry::ClearLog();
    EXPECT_EQ(SaveUserSettingsTo(store, state), 1);

    for (const std::string& line : memory_registry::Log()) {
        EXPECT_EQ(line.find("Run"), std::string::npos) << line;
    }
    EXPECT_EQ(StoredBytes("SkitDistanza"), "5.0000000000\0"s);
    EXPECT_EQ(memory_registry::ValueBytes(LocalMachineRoot(), kRun, "Skittera"), "D:\\vecchio.exe\0"s);
}

// The main window records a checkpoint only when it was written, and tries again at
// the next tick otherwise.
TEST_F(SettingsTest, ACheckpointTheRegistryRefusesIsReportedAsSuch) {
    state.distanceCm = 5;
    memory_registry::SetValueChangesRefused(CurrentUserRoot(), true);
    EXPECT_EQ(SaveUserSettingsTo(store, state), 0);
    EXPECT_FALSE(memory_registry::HasValue(CurrentUserRoot(), kKey, "SkitDistanza"));

    memory_registry::SetValueChangesRefused(CurrentUserRoot(), false);
    state.distanceCm = std::numeric_limits<double>::quiet_NaN(); // kept back, not failed
    EXPECT_EQ(SaveUserSettingsTo(store, state), 1);
}

TEST_F(SettingsTest, SavingWithoutALoadStillWritesBelowTheProgramsKey) {
    SettingsStore unloaded;
    SaveSettingsTo(unloaded, state);
    EXPECT_TRUE(memory_registry::HasValue(CurrentUserRoot(), kKey, "SkitDistanza"));
    EXPECT_FALSE(memory_registry::HasValue(CurrentUserRoot(), "", "SkitDistanza"));
}

// The log-on entry changes only with the check box (LogonEntry.h): an exit that
// rewrote or deleted it would undo Task Manager's switch or an administrator's removal.
TEST_F(SettingsTest, TheExitLeavesEveryLogonEntryAsItIs) {
    const int choices[] = {0, 1};
    for (int choice : choices) {
        memory_registry::PutValue(LocalMachineRoot(), kRun, "Skittera", "D:\\vecchio\\skittera.exe\0"s);
        memory_registry::PutValue(CurrentUserRoot(), kRun, "Skittera", std::string(kProgram) + '\0');
        state.runAtStartup = choice;
        memory_registry::ClearLog();
        SaveSettingsTo(store, state);
        for (const std::string& line : memory_registry::Log()) {
            EXPECT_EQ(line.find("Run"), std::string::npos) << line;
        }
        EXPECT_EQ(memory_registry::ValueBytes(LocalMachineRoot(), kRun, "Skittera"),
                  "D:\\vecchio\\skittera.exe\0"s);
        EXPECT_EQ(memory_registry::ValueBytes(CurrentUserRoot(), kRun, "Skittera"),
                  std::string(kProgram) + '\0');
    }
}

} // namespace

// A monitor's size is the user's to state: it is read from the program's key, exactly
// as stored (the engine judges the text), and never written, not even at exit.
TEST_F(SettingsTest, MonitorSizesAreReadFromTheProgramsKeyAndNeverWritten) {
    const char name[] = "SkitSchermo.DEL40A1.0001E240";
    EXPECT_TRUE(ReadMonitorOverrideFrom(store, name).IsEmpty());
    Stored(name, "597x336\0"s);
    memory_registry::PutValue(CurrentUserRoot(), kRun, "SkitSchermo.SKT1234.00000042", "320x240\0"s);
    memory_registry::ClearLog();
    EXPECT_STREQ(ReadMonitorOverrideFrom(store, name).buffer, "597x336");
    EXPECT_TRUE(ReadMonitorOverrideFrom(store, "SkitSchermo.SKT1234.00000042").IsEmpty());
    Stored(name, std::string(600, '5')); // read whole: the engine judges the text
    EXPECT_EQ(ReadMonitorOverrideFrom(store, name).length, 600);
    EXPECT_TRUE(memory_registry::Log().empty());

    Stored(name, "597x336\0"s);
    SaveSettingsTo(store, state);
    EXPECT_EQ(StoredBytes(name), "597x336\0"s);
    for (const std::string& change : memory_registry::Log()) {
        EXPECT_EQ(change.find("SkitSchermo"), std::string::npos) << change;
    }
}

// The first-start balloon is recorded once, as the REG_DWORD 1 (four bytes, the lowest
// first), and survives the saves; a registry that refuses the write leaves it to be
// shown again; a value of that name of any kind counts as shown.
TEST_F(SettingsTest, TheFirstStartBalloonIsRecordedOnceAndKept) {
    EXPECT_FALSE(FirstStartBalloonShownIn(store));
    memory_registry::SetValueChangesRefused(CurrentUserRoot(), true);
    EXPECT_EQ(RecordFirstStartBalloonShownIn(store), 0);
    EXPECT_FALSE(FirstStartBalloonShownIn(store));
    memory_registry::SetValueChangesRefused(CurrentUserRoot(), false);

    EXPECT_EQ(RecordFirstStartBalloonShownIn(store), 1);
    EXPECT_EQ(StoredBytes(kBalloonShownValueName), "\x01\0\0\0"s);
    EXPECT_TRUE(FirstStartBalloonShownIn(store));
    SaveSettingsTo(store, state);
    EXPECT_TRUE(FirstStartBalloonShownIn(store));

    Stored(kBalloonShownValueName, "0\0"s);
    EXPECT_TRUE(FirstStartBalloonShownIn(store));
}
