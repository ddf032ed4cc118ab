// LoadSettings and SaveSettings against the real registry. Every test starts from a
// registry without the program's values and leaves it as it found it; the suite runs
// only under Wine, in the throwaway prefix of tools/test.sh, never on a user's own
// registry.
#include "settings/Settings.h"

#include <windows.h>

#include <cstdio>
#include <ctime>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "shell/Globals.h"

using namespace std::string_literals;

namespace {

constexpr char kKey[] = "Software\\Skittera";
constexpr char kHistory[] = "Software\\Skittera\\Storico";
constexpr char kRun[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

bool RunningUnderWine() {
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

struct RawValue {
    std::string name;
    DWORD type;
    std::string bytes;
};

bool KeyExists(HKEY root, const char* path) {
    HKEY key;
    if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(key);
    return true;
}

void PutRaw(HKEY root, const char* path, const char* name, DWORD type, const std::string& bytes) {
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(root, path, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                             static_cast<DWORD>(bytes.size())),
              ERROR_SUCCESS);
    RegCloseKey(key);
}

void PutText(HKEY root, const char* path, const char* name, const std::string& text) {
    PutRaw(root, path, name, REG_SZ, text + '\0');
}

// Every value of a key, as stored: name, type and bytes.
std::vector<RawValue> ValuesOf(HKEY root, const char* path) {
    std::vector<RawValue> values;
    HKEY key;
    if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return values;
    }
    for (DWORD index = 0;; ++index) {
        char name[256];
        DWORD nameSize = sizeof name;
        BYTE data[4096];
        DWORD dataSize = sizeof data;
        DWORD type = 0;
        if (RegEnumValueA(key, index, name, &nameSize, nullptr, &type, data, &dataSize) != ERROR_SUCCESS) {
            break;
        }
        values.push_back(RawValue{name, type, std::string(reinterpret_cast<char*>(data), dataSize)});
    }
    RegCloseKey(key);
    return values;
}

// The value's bytes, or "(none)" when it does not exist; REG_SZ values only.
std::string StoredText(HKEY root, const char* path, const char* name) {
    for (const RawValue& value : ValuesOf(root, path)) {
        if (value.name == name) {
            return value.type == REG_SZ ? value.bytes : "(type " + std::to_string(value.type) + ")";
        }
    }
    return "(none)";
}

void DeleteValue(HKEY root, const char* path, const char* name) {
    HKEY key;
    if (RegOpenKeyExA(root, path, 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
        RegDeleteValueA(key, name);
        RegCloseKey(key);
    }
}

// Today's date as the counter's since-date, "DD.MM.YYYY", or as the record's value name,
// "YYYY-MM-DD".
std::string Today(bool asValueName = false) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    char text[16];
    if (asValueName) {
        std::snprintf(text, sizeof text, "%04u-%02u-%02u", now.wYear, now.wMonth, now.wDay);
    } else {
        std::snprintf(text, sizeof text, "%02u.%02u.%04u", now.wDay, now.wMonth, now.wYear);
    }
    return text;
}

std::string TodaysName() { return Today(true); }

std::string ProgramPath() {
    char path[MAX_PATH * 4];
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    return std::string(path, length);
}

// What the program keeps in the registry, taken aside before a test and put back after.
struct Snapshot {
    bool keyExisted = false;
    std::vector<RawValue> values;
    std::vector<RawValue> history;
    std::vector<RawValue> machineEntry;
    std::vector<RawValue> userEntry;
};

std::vector<RawValue> EntryOf(HKEY root) {
    std::vector<RawValue> found;
    for (const RawValue& value : ValuesOf(root, kRun)) {
        if (value.name == "Skittera") {
            found.push_back(value);
        }
    }
    return found;
}

void ClearProgramValues() {
    for (const RawValue& value : ValuesOf(HKEY_CURRENT_USER, kHistory)) {
        DeleteValue(HKEY_CURRENT_USER, kHistory, value.name.c_str());
    }
    RegDeleteKeyA(HKEY_CURRENT_USER, kHistory);
    for (const RawValue& value : ValuesOf(HKEY_CURRENT_USER, kKey)) {
        DeleteValue(HKEY_CURRENT_USER, kKey, value.name.c_str());
    }
    RegDeleteKeyA(HKEY_CURRENT_USER, kKey);
    DeleteValue(HKEY_LOCAL_MACHINE, kRun, "Skittera");
    DeleteValue(HKEY_CURRENT_USER, kRun, "Skittera");
}

class RealRegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!RunningUnderWine()) {
            GTEST_SKIP() << "writes the program's registry keys: runs under Wine in a throwaway prefix only";
        }
        saved.keyExisted = KeyExists(HKEY_CURRENT_USER, kKey);
        saved.values = ValuesOf(HKEY_CURRENT_USER, kKey);
        saved.history = ValuesOf(HKEY_CURRENT_USER, kHistory);
        saved.machineEntry = EntryOf(HKEY_LOCAL_MACHINE);
        saved.userEntry = EntryOf(HKEY_CURRENT_USER);
        ClearProgramValues();
        ASSERT_FALSE(KeyExists(HKEY_CURRENT_USER, kKey));
        StartProgram();
    }

    void TearDown() override {
        if (!RunningUnderWine()) {
            return;
        }
        ClearProgramValues();
        DeleteValue(HKEY_CURRENT_USER, kRun, "Altro");
        DeleteValue(HKEY_LOCAL_MACHINE, kRun, "Altro");
        if (saved.keyExisted) {
            HKEY key;
            RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr);
            RegCloseKey(key);
        }
        for (const RawValue& value : saved.values) {
            PutRaw(HKEY_CURRENT_USER, kKey, value.name.c_str(), value.type, value.bytes);
        }
        for (const RawValue& value : saved.history) {
            PutRaw(HKEY_CURRENT_USER, kHistory, value.name.c_str(), value.type, value.bytes);
        }
        for (const RawValue& value : saved.machineEntry) {
            PutRaw(HKEY_LOCAL_MACHINE, kRun, value.name.c_str(), value.type, value.bytes);
        }
        for (const RawValue& value : saved.userEntry) {
            PutRaw(HKEY_CURRENT_USER, kRun, value.name.c_str(), value.type, value.bytes);
        }
    }

    // A new run of the program as far as its settings go: the process-wide objects as
    // static construction and start-up leave them, then the load.
    void StartProgram() {
        settingsStore.baseKeyPath = TextString();
        ResetApplicationState(appState);
        appState.instanceHandle = GetModuleHandleA(nullptr);
        appState.unitDivisor = 1;
        LoadSettings();
    }

    Snapshot saved;
};

TEST_F(RealRegistryTest, FirstStartWithoutAKeyThenExit) {
    EXPECT_EQ(appState.distanceCm, 0);
    EXPECT_EQ(appState.unitDivisor, 1);
    EXPECT_EQ(appState.sinceDate.buffer, Today());
    EXPECT_EQ(appState.runAtStartup, 0);
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kKey)); // loading creates nothing

    SaveSettings();
    std::set<std::string> names;
    for (const RawValue& value : ValuesOf(HKEY_CURRENT_USER, kKey)) {
        EXPECT_EQ(value.type, static_cast<DWORD>(REG_SZ)) << value.name;
        names.insert(value.name);
    }
    EXPECT_EQ(names, (std::set<std::string>{"SkitCome", "SkitData", "SkitDistanza"}));
    EXPECT_EQ(StoredText(HKEY_CURRENT_USER, kKey, "SkitDistanza"), "0.0000000000\0"s);
    EXPECT_EQ(StoredText(HKEY_CURRENT_USER, kKey, "SkitCome"), "Centimetri\0"s);
    EXPECT_EQ(StoredText(HKEY_CURRENT_USER, kKey, "SkitData"), Today() + '\0');
    EXPECT_EQ(StoredText(HKEY_LOCAL_MACHINE, kRun, "Skittera"), "(none)");
    EXPECT_EQ(StoredText(HKEY_CURRENT_USER, kRun, "Skittera"), "(none)");
    EXPECT_EQ(StoredText(HKEY_CURRENT_USER, kHistory, TodaysName().c_str()), "0.0000000000;0;0;0\0"s);
}

// Today's value goes with the counter at a checkpoint and at exit, a later start on the
// same day adds to it, and the rest of the record is read and never changed.
TEST_F(RealRegistryTest, TheRecordOfTheDays) {
    PutText(HKEY_CURRENT_USER, kHistory, "2020-02-29", "100.2500000000;10;20;30;più avanti");
    PutText(HKEY_CURRENT_USER, kHistory, "2019-12-31", "1.0000000000;1;1;1");
    PutText(HKEY_CURRENT_USER, kHistory, "2021-13-01", "1.0000000000;1;1;1");
    PutText(HKEY_CURRENT_USER, kHistory, "2021-01-01", "non un numero");
    PutRaw(HKEY_CURRENT_USER, kHistory, "2021-01-02", REG_DWORD, "\x01\x00\x00\x00"s);
    std::vector<RawValue> past = ValuesOf(HKEY_CURRENT_USER, kHistory);
    StartProgram();

    appState.distanceCm = 12.5;
    appState.dayFigures = DayFigures{12.5, 3, 4, 5};
    ASSERT_EQ(SaveSettingsCheckpoint(), 1);
    EXPECT_EQ(StoredText(HKEY_CURRENT_USER, kHistory, TodaysName().c_str()), "12.5000000000;3;4;5\0"s);
    EXPECT_EQ(StoredText(HKEY_CURRENT_USER, kKey, "SkitDistanza"), "12.5000000000\0"s);

    StartProgram();
    EXPECT_EQ(appState.dayFigures.distanceCm, 12.5);
    EXPECT_EQ(appState.dayFigures.activeSeconds, 5U);
    appState.dayFigures.presses += 2;
    SaveSettings();
    EXPECT_EQ(StoredText(HKEY_CURRENT_USER, kHistory, TodaysName().c_str()), "12.5000000000;5;4;5\0"s);

    std::vector<RawValue> after;
    for (const RawValue& value : ValuesOf(HKEY_CURRENT_USER, kHistory)) {
        if (value.name != TodaysName()) {
            after.push_back(value);
        }
    }
    ASSERT_EQ(after.size(), past.size());
    for (std::size_t at = 0; at < past.size(); ++at) {
        EXPECT_EQ(after[at].name, past[at].name);
        EXPECT_EQ(after[at].type, past[at].type) << past[at].name;
        EXPECT_EQ(after[at].bytes, past[at].bytes) << past[at].name;
    }

    DayList days = LoadHistory();
    ASSERT_EQ(days.size(), 3U);
    EXPECT_EQ(days[0].date, (CalendarDate{2019, 12, 31}));
    EXPECT_EQ(days[1].date, (CalendarDate{2020, 2, 29}));
    EXPECT_EQ(days[1].figures.distanceCm, 100.25);
    EXPECT_EQ(days[1].figures.activeSeconds, 30U);
    EXPECT_EQ(days[2].figures.presses, 5U);
}

TEST_F(RealRegistryTest, EveryValueRoundTrips) {
    const struct {
        double divisor;
        const char* name;
    } units[] = {{1, "Centimetri"}, {100, "Metri"}, {100000, "Chilometri"}};
    for (const auto& unit : units) {
        appState.distanceCm = 98765.4321;
        appState.unitDivisor = unit.divisor;
        appState.sinceDate = "01.02.2003";
        appState.runAtStartup = 1;
        SaveSettings();
        EXPECT_EQ(StoredText(HKEY_CURRENT_USER, kKey, "SkitDistanza"), "98765.4321000000\0"s);
        EXPECT_EQ(StoredText(HKEY_CURRENT_USER, kKey, "SkitCome"), std::string(unit.name) + '\0');
        EXPECT_EQ(StoredText(HKEY_CURRENT_USER, kKey, "SkitData"), "01.02.2003\0"s);
        EXPECT_EQ(StoredText(HKEY_LOCAL_MACHINE, kRun, "Skittera"), ProgramPath() + '\0');

        StartProgram();
        EXPECT_EQ(appState.distanceCm, 98765.4321);
        EXPECT_EQ(appState.startDistanceCm, 98765.4321);
        EXPECT_EQ(appState.unitDivisor, unit.divisor);
        EXPECT_STREQ(appState.sinceDate.buffer, "01.02.2003");
        EXPECT_EQ(appState.runAtStartup, 1);
    }
}

TEST_F(RealRegistryTest, ValuesOfUpTo511CharactersAreReadWhole) {
    std::string longest(511, '8');
    PutText(HKEY_CURRENT_USER, kKey, "SkitData", longest);
    StartProgram();
    EXPECT_EQ(appState.sinceDate.length, 511);
    EXPECT_EQ(settingsStore.ReadString(nullptr, "SkitData").buffer, longest);

    PutText(HKEY_CURRENT_USER, kKey, "SkitData", longest + '8');
    StartProgram();
    EXPECT_EQ(appState.sinceDate.buffer, Today());
    EXPECT_TRUE(settingsStore.ReadString(nullptr, "SkitData").IsEmpty());

    PutText(HKEY_LOCAL_MACHINE, kRun, "Skittera", std::string(600, 'C'));
    EXPECT_TRUE(settingsStore.ReadStringFrom(HKEY_LOCAL_MACHINE, kRun, "Skittera").IsEmpty());
}

TEST_F(RealRegistryTest, UnitNamesCountOnlyWhenExact) {
    const char* others[] = {"metri", "METRI", " Metri", "Metri ", "Metri\t", "m"};
    for (const char* name : others) {
        PutText(HKEY_CURRENT_USER, kKey, "SkitCome", name);
        StartProgram();
        EXPECT_EQ(appState.unitDivisor, 1) << '"' << name << '"';
    }
    PutText(HKEY_CURRENT_USER, kKey, "SkitCome", "Metri");
    StartProgram();
    EXPECT_EQ(appState.unitDivisor, 100);
}

TEST_F(RealRegistryTest, DistanceTextsThatAreNotAFiniteNumber) {
    const struct {
        const char* text;
        double distance;
    } cases[] = {{"abc", 0}, {"km 5", 0},  {"  42.5km", 42.5}, {"0x10", 0},
                 {"nan", 0}, {"inf", 0},   {"1e999", 0},       {"-1e999", 0},
                 {"-5", -5}, {"7e2", 700}, {"1,5", 1.0},       {"\t.25", 0.25}};
    for (const auto& entry : cases) {
        PutText(HKEY_CURRENT_USER, kKey, "SkitDistanza", entry.text);
        StartProgram();
        EXPECT_EQ(appState.distanceCm, entry.distance) << '"' << entry.text << '"';
    }
}

TEST_F(RealRegistryTest, ValuesOfAnotherTypeAreReadAsBytesWithinTheBuffer) {
    DWORD hundred = 100;
    PutRaw(HKEY_CURRENT_USER, kKey, "SkitCome", REG_DWORD, std::string(reinterpret_cast<char*>(&hundred), 4));
    // 512 digits and no terminator: the text stops where the bytes do.
    PutRaw(HKEY_CURRENT_USER, kKey, "SkitDistanza", REG_BINARY, std::string(512, '7'));
    PutRaw(HKEY_CURRENT_USER, kKey, "SkitData", REG_MULTI_SZ, "01.01.2001\0altro\0\0"s);
    StartProgram();
    EXPECT_EQ(appState.unitDivisor, 1);
    EXPECT_EQ(appState.distanceCm, 0); // 512 digits are beyond any double
    EXPECT_STREQ(appState.sinceDate.buffer, "01.01.2001");
    EXPECT_EQ(settingsStore.ReadString(nullptr, "SkitDistanza").length, 512);
}

// A log-on entry found at start: where it is, what it holds, whether it turns the option
// on, and both entries after the save at exit. Here the machine's key can be written (Wine
// grants it), so an entry that is on goes there, with this program's path, and the user's
// copy is removed: one entry, one start at log-on.
struct FoundEntry {
    HKEY root;
    const char* text;
    int runAtStartup;
    bool machineEntryAfterExit; // this program's path; none otherwise
};

void PrintTo(const FoundEntry& entry, std::ostream* out) {
    *out << (entry.root == HKEY_LOCAL_MACHINE ? "machine" : "user") << " entry \"" << entry.text << '"';
}

class FoundLogonEntry : public RealRegistryTest, public ::testing::WithParamInterface<FoundEntry> {};

TEST_P(FoundLogonEntry, CountsAtStartAndIsRewrittenAtExit) {
    const FoundEntry& entry = GetParam();
    PutText(entry.root, kRun, "Skittera", entry.text);
    StartProgram();
    EXPECT_EQ(appState.runAtStartup, entry.runAtStartup);
    SaveSettings();
    EXPECT_EQ(StoredText(HKEY_LOCAL_MACHINE, kRun, "Skittera"),
              entry.machineEntryAfterExit ? ProgramPath() + '\0' : "(none)");
    EXPECT_EQ(StoredText(HKEY_CURRENT_USER, kRun, "Skittera"), "(none)");
}

const FoundEntry kFoundEntries[] = {
    {HKEY_LOCAL_MACHINE, "", 0, false},                         // empty: off, and deleted
    {HKEY_LOCAL_MACHINE, "D:\\vecchio\\skittera.exe", 1, true}, // another path: rewritten
    {HKEY_CURRENT_USER, "C:\\Skittera\\skittera.exe", 1, true}, // the user's: moves to the machine
};
INSTANTIATE_TEST_SUITE_P(RealRegistry, FoundLogonEntry, ::testing::ValuesIn(kFoundEntries));

TEST_F(RealRegistryTest, TurningTheOptionOffRemovesBothEntries) {
    PutText(HKEY_LOCAL_MACHINE, kRun, "Skittera", ProgramPath());
    PutText(HKEY_CURRENT_USER, kRun, "Skittera", "C:\\Skittera\\skittera.exe");
    StartProgram();
    EXPECT_EQ(appState.runAtStartup, 1);
    appState.runAtStartup = 0;
    SaveSettings();
    EXPECT_EQ(StoredText(HKEY_LOCAL_MACHINE, kRun, "Skittera"), "(none)");
    EXPECT_EQ(StoredText(HKEY_CURRENT_USER, kRun, "Skittera"), "(none)");
    StartProgram();
    EXPECT_EQ(appState.runAtStartup, 0);
}

TEST_F(RealRegistryTest, SavingTwiceChangesNothingAndTouchesNothingElse) {
    PutText(HKEY_CURRENT_USER, kKey, "Nota", "di qualcun altro");
    PutText(HKEY_LOCAL_MACHINE, kRun, "Altro", "C:\\altro.exe");
    PutText(HKEY_CURRENT_USER, kRun, "Altro", "C:\\altro.exe");
    StartProgram();
    appState.distanceCm = 1234.5;
    appState.runAtStartup = 1;

    SaveSettings();
    std::vector<RawValue> mine = ValuesOf(HKEY_CURRENT_USER, kKey);
    std::string entry = StoredText(HKEY_LOCAL_MACHINE, kRun, "Skittera");
    SaveSettingsCheckpoint();
    SaveSettings();

    std::vector<RawValue> again = ValuesOf(HKEY_CURRENT_USER, kKey);
    ASSERT_EQ(again.size(), 4u);
    ASSERT_EQ(again.size(), mine.size());
    for (size_t index = 0; index < mine.size(); ++index) {
        EXPECT_EQ(again[index].name, mine[index].name);
        EXPECT_EQ(again[index].bytes, mine[index].bytes) << mine[index].name;
    }
    EXPECT_EQ(StoredText(HKEY_LOCAL_MACHINE, kRun, "Skittera"), entry);
    EXPECT_EQ(StoredText(HKEY_CURRENT_USER, kKey, "Nota"), "di qualcun altro\0"s);
    EXPECT_EQ(StoredText(HKEY_LOCAL_MACHINE, kRun, "Altro"), "C:\\altro.exe\0"s);
    EXPECT_EQ(StoredText(HKEY_CURRENT_USER, kRun, "Altro"), "C:\\altro.exe\0"s);
}

TEST_F(RealRegistryTest, CheckpointLeavesTheLogonEntryAlone) {
    PutText(HKEY_LOCAL_MACHINE, kRun, "Skittera", "D:\\vecchio\\skittera.exe");
    StartProgram();
    appState.runAtStartup = 0; // at exit the entry would go
    appState.distanceCm = 3;
    SaveSettingsCheckpoint();
    EXPECT_EQ(StoredText(HKEY_CURRENT_USER, kKey, "SkitDistanza"), "3.0000000000\0"s);
    EXPECT_EQ(StoredText(HKEY_LOCAL_MACHINE, kRun, "Skittera"), "D:\\vecchio\\skittera.exe\0"s);

    appState.runAtStartup = 1;
    DeleteValue(HKEY_LOCAL_MACHINE, kRun, "Skittera");
    SaveSettingsCheckpoint();
    EXPECT_EQ(StoredText(HKEY_LOCAL_MACHINE, kRun, "Skittera"), "(none)");
}

} // namespace
