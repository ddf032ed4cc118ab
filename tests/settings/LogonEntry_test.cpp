// The log-on entry over the in-memory registry: what the check box shows (the entries,
// their paths and Task Manager's switches), and what turning it on or off leaves behind
// for a user who may write the machine's key and for one who may not.
#include "settings/LogonEntry.h"

#include <string>

#include <gtest/gtest.h>

#include "tests/settings/MemoryRegistry.h"

using namespace std::string_literals;

namespace {

constexpr char kRun[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kSwitches[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run";
constexpr char kSwitches32[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run32";
constexpr char kProgram[] = "C:\\Skittera\\skittera.exe";
const std::string kEntry = "C:\\Skittera\\skittera.exe\0"s;
// Task Manager's values as it writes them: a switch off (03, then the time it was
// switched off) and one on again (02 and zeros).
const std::string kSwitchedOff = "\x03\0\0\0\xd4\x0d\x43\x8d\xc8\x3b\xd9\x01"s;
const std::string kSwitchedOn = "\x02\0\0\0\0\0\0\0\0\0\0\0"s;

const LogonPlaces kPlaces{kSwitches, SamePathIgnoringAsciiCase};

class LogonEntryTest : public ::testing::Test {
protected:
    void SetUp() override { memory_registry::Reset(); }
    void TearDown() override { EXPECT_EQ(memory_registry::OpenKeyCount(), 0); }

    static void Put(RegistryKey root, const std::string& bytes) {
        memory_registry::PutValue(root, kRun, "Skittera", bytes);
    }
    static std::string Entry(RegistryKey root) { return memory_registry::ValueBytes(root, kRun, "Skittera"); }
    static bool HasEntry(RegistryKey root) { return memory_registry::HasValue(root, kRun, "Skittera"); }
    int Shown() { return StartsThisProgram(ReadLogonFacts(store, kPlaces, kProgram)); }
    LogonChange Change(bool on) { return ChangeLogonEntry(store, kPlaces, on, kProgram); }

    SettingsStore store;
};

// What the box shows ---------------------------------------------------------------

struct ShownCase {
    const char* what;
    std::string machine;       // the machine's Run value; none when empty
    std::string machineSwitch; // Task Manager's value for it; none when "-"
    std::string user;
    std::string userSwitch;
    bool run32; // a 32-bit program on 64-bit Windows
    int shown;
};

void PrintTo(const ShownCase& entry, std::ostream* out) { *out << entry.what; }

class ShownLogonEntry : public LogonEntryTest, public ::testing::WithParamInterface<ShownCase> {};

TEST_P(ShownLogonEntry, IsAnEntryForThisProgramThatTaskManagerLeftOn) {
    const ShownCase& entry = GetParam();
    const char* machineSwitches = entry.run32 ? kSwitches32 : kSwitches;
    if (!entry.machine.empty()) {
        Put(LocalMachineRoot(), entry.machine);
    }
    if (entry.machineSwitch != "-") {
        memory_registry::PutValue(LocalMachineRoot(), kSwitches, "Skittera", entry.machineSwitch);
    }
    if (!entry.user.empty()) {
        Put(CurrentUserRoot(), entry.user);
    }
    if (entry.userSwitch != "-") {
        memory_registry::PutValue(CurrentUserRoot(), kSwitches, "Skittera", entry.userSwitch);
    }
    const LogonPlaces places{machineSwitches, SamePathIgnoringAsciiCase};
    memory_registry::ClearLog();
    EXPECT_EQ(StartsThisProgram(ReadLogonFacts(store, places, kProgram)), entry.shown);
    EXPECT_TRUE(memory_registry::Log().empty()); // reading changes nothing
}

INSTANTIATE_TEST_SUITE_P(
    Entries, ShownLogonEntry,
    ::testing::Values(
        ShownCase{"no entry", "", "-", "", "-", false, 0},
        ShownCase{"machine entry", kEntry, "-", "", "-", false, 1},
        ShownCase{"quoted, other case", "\"c:\\SKITTERA\\Skittera.EXE\"\0"s, "-", "", "-", false, 1},
        ShownCase{"empty text", "\0"s, "-", "\0"s, "-", false, 0},
        ShownCase{"another path", "D:\\vecchio\\skittera.exe\0"s, "-", "", "-", false, 0},
        ShownCase{"with an argument", "C:\\Skittera\\skittera.exe /x\0"s, "-", "", "-", false, 0},
        ShownCase{"a lone quote", "\"\0"s, "-", "", "-", false, 0},
        ShownCase{"switched off", kEntry, kSwitchedOff, "", "-", false, 0},
        ShownCase{"switched on again", kEntry, kSwitchedOn, "", "-", false, 1},
        ShownCase{"06: even, on", kEntry, "\x06\0\0\0"s, "", "-", false, 1},
        ShownCase{"0x63: odd, off", kEntry, "\x63\x60\x60\x60\x62\xf9\x8c\x76\xc5\x3b\xd9\x91"s, "", "-",
                  false, 0},
        ShownCase{"empty switch: on", kEntry, "", "", "-", false, 1},
        ShownCase{"user entry switched off", "", "-", kEntry, kSwitchedOff, false, 0},
        ShownCase{"the other root's switch", kEntry, "-", "", kSwitchedOff, false, 1},
        ShownCase{"machine off, user on", kEntry, kSwitchedOff, kEntry, "-", false, 1},
        ShownCase{"another copy and the user's", "D:\\vecchio\\skittera.exe\0"s, "-", kEntry, "-", false, 1},
        // The 32-bit program's machine entry is switched under Run32, not Run.
        ShownCase{"32-bit, switched under Run only", kEntry, kSwitchedOff, "", "-", true, 1}));

TEST_F(LogonEntryTest, A32BitProgramsMachineEntryIsSwitchedUnderRun32) {
    Put(LocalMachineRoot(), kEntry);
    memory_registry::PutValue(LocalMachineRoot(), kSwitches32, "Skittera", kSwitchedOff);
    const LogonPlaces places32{kSwitches32, SamePathIgnoringAsciiCase};
    EXPECT_EQ(StartsThisProgram(ReadLogonFacts(store, places32, kProgram)), 0);
    EXPECT_EQ(Shown(), 1); // the 64-bit program's entry is switched under Run

    // Turning it on switches it on where it was switched off.
    EXPECT_EQ(ChangeLogonEntry(store, places32, true, kProgram), LogonChange::Done);
    EXPECT_FALSE(memory_registry::HasValue(LocalMachineRoot(), kSwitches32, "Skittera"));
}

// Turning it on ------------------------------------------------------------------------

TEST_F(LogonEntryTest, OnGoesToTheMachineAndTheUsersCopyGoes) {
    Put(CurrentUserRoot(), kEntry);
    EXPECT_EQ(Change(true), LogonChange::Done);
    EXPECT_EQ(Entry(LocalMachineRoot()), kEntry);
    EXPECT_FALSE(HasEntry(CurrentUserRoot()));
    EXPECT_EQ(Shown(), 1);
}

TEST_F(LogonEntryTest, OnFromAStandardUserGoesToTheUsersKey) {
    memory_registry::SetMachineWritable(false);
    EXPECT_EQ(Change(true), LogonChange::Done);
    EXPECT_FALSE(memory_registry::HasKey(LocalMachineRoot(), kRun));
    EXPECT_EQ(Entry(CurrentUserRoot()), kEntry);
    EXPECT_EQ(Shown(), 1);
}

// The machine's key opens but the value cannot be set there: the user's entry is the
// only one left, and it stays.
TEST_F(LogonEntryTest, AMachineWriteThatDidNotHappenKeepsTheUsersEntry) {
    Put(CurrentUserRoot(), kEntry);
    memory_registry::SetValueChangesRefused(LocalMachineRoot(), true);
    EXPECT_EQ(Change(true), LogonChange::Done);
    EXPECT_FALSE(HasEntry(LocalMachineRoot()));
    EXPECT_EQ(Entry(CurrentUserRoot()), kEntry);
}

TEST_F(LogonEntryTest, PathWithBlanksIsQuotedSoThatNoOtherProgramStarts) {
    EXPECT_EQ(ChangeLogonEntry(store, kPlaces, true, "C:\\Program Files\\Skittera\\skittera.exe"),
              LogonChange::Done);
    EXPECT_EQ(Entry(LocalMachineRoot()), "\"C:\\Program Files\\Skittera\\skittera.exe\"\0"s);
}

// The box was unticked because Task Manager switched the entry off: ticking it switches
// it on again, by removing the switch, wherever the user may; a switch that is on stays.
TEST_F(LogonEntryTest, OnSwitchesTaskManagersSwitchOnAgain) {
    const struct {
        RegistryKey root; // where the entry is: the machine's only while it may be written
        std::string switchValue;
        bool switchRemains;
    } cases[] = {{LocalMachineRoot(), kSwitchedOff, false},
                 {CurrentUserRoot(), kSwitchedOff, false},
                 {LocalMachineRoot(), kSwitchedOn, true},
                 {CurrentUserRoot(), "\x06"s, true}};
    for (const auto& entry : cases) {
        memory_registry::Reset();
        Put(entry.root, kEntry);
        memory_registry::PutValue(entry.root, kSwitches, "Skittera", entry.switchValue);
        memory_registry::SetMachineWritable(entry.root == LocalMachineRoot());
        EXPECT_EQ(Change(true), LogonChange::Done) << entry.switchValue.size();
        EXPECT_EQ(memory_registry::HasValue(entry.root, kSwitches, "Skittera"), entry.switchRemains);
        EXPECT_EQ(Entry(entry.root), kEntry);
        EXPECT_EQ(Shown(), 1);
    }
}

// A standard user cannot switch on the machine's entry that Task Manager switched off:
// the user's own entry is then the one that starts, and still only one does.
TEST_F(LogonEntryTest, AMachineEntrySwitchedOffLeavesTheStartToTheUsersEntry) {
    Put(LocalMachineRoot(), kEntry);
    memory_registry::PutValue(LocalMachineRoot(), kSwitches, "Skittera", kSwitchedOff);
    memory_registry::SetMachineWritable(false);
    EXPECT_EQ(Change(true), LogonChange::Done);
    EXPECT_EQ(Entry(CurrentUserRoot()), kEntry);
    LogonFacts facts = ReadLogonFacts(store, kPlaces, kProgram);
    EXPECT_FALSE(facts.machine.Starts());
    EXPECT_TRUE(facts.user.Starts());
}

// An elevated run or another account left the entry under the machine's key, which this
// run cannot write: a user copy beside it would start the program twice at log-on.
TEST_F(LogonEntryTest, AMachineEntryForThisProgramGetsNoUserCopyBesideIt) {
    const std::string sameProgram[] = {kEntry, "c:\\SKITTERA\\Skittera.EXE\0"s,
                                       "\"C:\\Skittera\\skittera.exe\"\0"s};
    for (const std::string& entry : sameProgram) {
        memory_registry::Reset();
        Put(LocalMachineRoot(), entry);
        Put(CurrentUserRoot(), kEntry); // an earlier run's copy
        memory_registry::SetMachineWritable(false);
        EXPECT_EQ(Change(true), LogonChange::Done) << entry;
        EXPECT_FALSE(HasEntry(CurrentUserRoot())) << entry;
        EXPECT_EQ(Entry(LocalMachineRoot()), entry);
    }
}

// An entry for every user starts another copy of the program. Replacing it needs the
// machine's rights; a user entry beside it would start both, and the second would open
// its dialog at every log-on.
TEST_F(LogonEntryTest, AnotherCopyForEveryUserIsReplacedOrToldNeverDoubled) {
    const std::string other = "D:\\vecchio\\skittera.exe\0"s;
    Put(LocalMachineRoot(), other);
    memory_registry::SetMachineWritable(false);
    std::string before = memory_registry::Dump();
    EXPECT_EQ(Change(true), LogonChange::AnotherCopyForEveryUser);
    EXPECT_EQ(memory_registry::Dump(), before);
    EXPECT_EQ(Shown(), 0);

    memory_registry::SetMachineWritable(true);
    EXPECT_EQ(Change(true), LogonChange::Done);
    EXPECT_EQ(Entry(LocalMachineRoot()), kEntry);
    EXPECT_FALSE(HasEntry(CurrentUserRoot()));

    // Switched off by Task Manager, the other copy's entry starts nothing: the user's
    // entry may go beside it.
    memory_registry::Reset();
    Put(LocalMachineRoot(), other);
    memory_registry::PutValue(LocalMachineRoot(), kSwitches, "Skittera", kSwitchedOff);
    memory_registry::SetMachineWritable(false);
    EXPECT_EQ(Change(true), LogonChange::Done);
    EXPECT_EQ(Entry(CurrentUserRoot()), kEntry);
}

TEST_F(LogonEntryTest, OnThatTheRegistryRefusesIsReportedNotShown) {
    memory_registry::SetMachineWritable(false);
    memory_registry::SetValueChangesRefused(CurrentUserRoot(), true);
    EXPECT_EQ(Change(true), LogonChange::Failed);
    EXPECT_EQ(Shown(), 0);

    // The switch cannot be removed: the entry is there and still does not start.
    memory_registry::Reset();
    Put(CurrentUserRoot(), kEntry);
    memory_registry::PutValue(CurrentUserRoot(), kSwitches, "Skittera", kSwitchedOff);
    memory_registry::SetMachineWritable(false);
    memory_registry::SetValueChangesRefused(CurrentUserRoot(), true);
    EXPECT_EQ(Change(true), LogonChange::Failed);

    // Without the program's path there is nothing right to write, and nothing is written.
    memory_registry::Reset();
    Put(LocalMachineRoot(), "C:\\a.exe\0"s);
    EXPECT_EQ(ChangeLogonEntry(store, kPlaces, true, ""), LogonChange::Failed);
    EXPECT_EQ(ChangeLogonEntry(store, kPlaces, true, nullptr), LogonChange::Failed);
    EXPECT_TRUE(memory_registry::Log().empty());
    EXPECT_EQ(Entry(LocalMachineRoot()), "C:\\a.exe\0"s);
}

// Turning it off ------------------------------------------------------------------------

TEST_F(LogonEntryTest, OffDeletesTheEntryEverywhereItMayBeChanged) {
    Put(LocalMachineRoot(), kEntry);
    Put(CurrentUserRoot(), kEntry);
    EXPECT_EQ(Change(false), LogonChange::Done);
    EXPECT_FALSE(HasEntry(LocalMachineRoot()));
    EXPECT_FALSE(HasEntry(CurrentUserRoot()));
    EXPECT_EQ(Shown(), 0);
}

// A standard user cannot delete the machine's entry: the user's copy still goes, and the
// user is told that the program keeps starting.
TEST_F(LogonEntryTest, OffLeavingAnEntryForEveryUserThatStartsIsReported) {
    const struct {
        std::string machine;
        std::string machineSwitch;
        LogonChange outcome;
    } cases[] = {{kEntry, "", LogonChange::MachineEntryStays},
                 {"D:\\vecchio\\skittera.exe\0"s, "", LogonChange::MachineEntryStays},
                 {kEntry, kSwitchedOff, LogonChange::Done}}; // it starts nothing
    for (const auto& entry : cases) {
        memory_registry::Reset();
        Put(LocalMachineRoot(), entry.machine);
        if (!entry.machineSwitch.empty()) {
            memory_registry::PutValue(LocalMachineRoot(), kSwitches, "Skittera", entry.machineSwitch);
        }
        Put(CurrentUserRoot(), kEntry);
        memory_registry::SetMachineWritable(false);
        EXPECT_EQ(Change(false), entry.outcome) << entry.machine;
        EXPECT_EQ(Entry(LocalMachineRoot()), entry.machine);
        EXPECT_FALSE(HasEntry(CurrentUserRoot()));
    }
    EXPECT_EQ(Shown(), 0);

    memory_registry::Reset();
    Put(LocalMachineRoot(), kEntry);
    memory_registry::SetMachineWritable(false);
    EXPECT_EQ(Change(false), LogonChange::MachineEntryStays);
    EXPECT_EQ(Shown(), 1); // the box stays ticked: the program still starts
}

TEST_F(LogonEntryTest, OffThatTheUsersKeyRefusesIsReported) {
    Put(CurrentUserRoot(), kEntry);
    memory_registry::SetValueChangesRefused(CurrentUserRoot(), true);
    EXPECT_EQ(Change(false), LogonChange::Failed);
    EXPECT_EQ(Shown(), 1);
}

TEST(LogonCommandTest, PathsCompareWithoutRegardToAsciiCaseOnly) {
    EXPECT_TRUE(SamePathIgnoringAsciiCase("C:\\A\\b.EXE", "c:\\a\\B.exe"));
    EXPECT_FALSE(SamePathIgnoringAsciiCase("C:\\a.exe", "C:\\a.ex"));
    EXPECT_FALSE(SamePathIgnoringAsciiCase("", ""));
    // Beyond ASCII the bytes must match: Windows' own rule does the rest.
    EXPECT_FALSE(SamePathIgnoringAsciiCase("C:\\\xD0\x9F.exe", "C:\\\xD0\xBF.exe")); // П and п in UTF-8
    EXPECT_TRUE(SamePathIgnoringAsciiCase("C:\\\xD0\x9F.exe", "c:\\\xD0\x9F.EXE"));
}

} // namespace
