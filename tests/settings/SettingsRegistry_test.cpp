// LoadSettings and SaveSettings against the real registry. Every test starts from a
// registry without the program's values and leaves it as it found it; the suite runs
// only under Wine, in the throwaway prefix of tools/test.sh, never on a user's own
// registry.
#include "measuring/DayKeeping.h"
#include "measuring/StoredSettings.h"
#include "settings/Settings.h"

#include <windows.h>

#include <cstdio>
#include <ctime>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "measuring/Globals.h"
#include "settings/RestartRegistration.h"

using namespace std::string_literals;

namespace {

constexpr char kKey[] = "Software\\Skittera";
constexpr char kHistory[] = "Software\\Skittera\\Storico";
constexpr char kRun[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kSwitches[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run";

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

std::vector<RawValue> EntryOf(HKEY root, const char* path = kRun) {
    std::vector<RawValue> found;
    for (const RawValue& value : ValuesOf(root, path)) {
        if (value.name == "Skittera") {
            found.push_back(value);
        }
    }
    return found;
}

// Where the program keeps its values: its own keys whole (the record of the days first, as
// a key with a subkey is not deleted), and its value alone in the system's keys.
struct Place {
    HKEY root;
    const char* path;
    bool ownKey;
};
const Place kPlaces[] = {{HKEY_CURRENT_USER, kHistory, true},    {HKEY_CURRENT_USER, kKey, true},
                         {HKEY_LOCAL_MACHINE, kRun, false},      {HKEY_CURRENT_USER, kRun, false},
                         {HKEY_LOCAL_MACHINE, kSwitches, false}, {HKEY_CURRENT_USER, kSwitches, false}};

std::vector<RawValue> ProgramValuesIn(const Place& place) {
    return place.ownKey ? ValuesOf(place.root, place.path) : EntryOf(place.root, place.path);
}

void ClearProgramValues() {
    for (const Place& place : kPlaces) {
        for (const RawValue& value : ProgramValuesIn(place)) {
            DeleteValue(place.root, place.path, value.name.c_str());
        }
        if (place.ownKey) {
            RegDeleteKeyA(place.root, place.path);
        }
    }
}

// The same values, in the same order.
void ExpectSameValues(const std::vector<RawValue>& actual, const std::vector<RawValue>& expected) {
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t at = 0; at < expected.size(); ++at) {
        EXPECT_EQ(actual[at].name, expected[at].name);
        EXPECT_EQ(actual[at].type, expected[at].type) << expected[at].name;
        EXPECT_EQ(actual[at].bytes, expected[at].bytes) << expected[at].name;
    }
}

// What the program keeps in the registry is taken aside before a test and put back after.
class RealRegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!RunningUnderWine()) {
            GTEST_SKIP() << "writes the program's registry keys: runs under Wine in a throwaway prefix only";
        }
        keyExisted = KeyExists(HKEY_CURRENT_USER, kKey);
        for (const Place& place : kPlaces) {
            saved.push_back(ProgramValuesIn(place));
        }
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
        if (keyExisted) {
            HKEY key;
            RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr);
            RegCloseKey(key);
        }
        for (std::size_t place = 0; place < saved.size(); ++place) {
            for (const RawValue& value : saved[place]) {
                PutRaw(kPlaces[place].root, kPlaces[place].path, value.name.c_str(), value.type, value.bytes);
            }
        }
    }

    // A new run of the program as far as its settings go: the process-wide objects as
    // static construction and start-up leave them, then the load.
    void StartProgram() {
        settingsStore = SettingsStore();
        ResetApplicationState(appState);
        appState.instanceHandle = GetModuleHandleA(nullptr);
        appState.unitDivisor = 1;
        LoadSettings();
    }

    bool keyExisted = false;
    std::vector<std::vector<RawValue>> saved; // for each of kPlaces
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
    ExpectSameValues(after, past);

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
        SaveSettings();
        EXPECT_EQ(StoredText(HKEY_CURRENT_USER, kKey, "SkitDistanza"), "98765.4321000000\0"s);
        EXPECT_EQ(StoredText(HKEY_CURRENT_USER, kKey, "SkitCome"), std::string(unit.name) + '\0');
        EXPECT_EQ(StoredText(HKEY_CURRENT_USER, kKey, "SkitData"), "01.02.2003\0"s);

        StartProgram();
        EXPECT_EQ(appState.distanceCm, 98765.4321);
        EXPECT_EQ(appState.startDistanceCm, 98765.4321);
        EXPECT_EQ(appState.unitDivisor, unit.divisor);
        EXPECT_STREQ(appState.sinceDate.buffer, "01.02.2003");
    }
}

// The size is asked for first: a text of any size is read whole.
TEST_F(RealRegistryTest, ValuesOfAnySizeAreReadWhole) {
    for (std::size_t length : {511u, 512u, 4000u}) {
        std::string longest(length, '8');
        PutText(HKEY_CURRENT_USER, kKey, "SkitData", longest);
        StartProgram();
        EXPECT_EQ(appState.sinceDate.length, static_cast<int>(length));
        EXPECT_EQ(settingsStore.ReadString(nullptr, "SkitData").buffer, longest);
    }
    PutText(HKEY_LOCAL_MACHINE, kRun, "Skittera", std::string(600, 'C'));
    EXPECT_EQ(settingsStore.ReadStringFrom(HKEY_LOCAL_MACHINE, kRun, "Skittera").length, 600);
    EXPECT_EQ(settingsStore.ReadUnicodeStringFrom(HKEY_LOCAL_MACHINE, kRun, "Skittera").length, 600);
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

// A log-on entry found at start: where it is and what it holds decide whether the box
// is ticked, and the exit leaves it as it was.
struct FoundEntry {
    HKEY root;
    const char* text; // null: this program's path, in upper case
    int runAtStartup;
};

void PrintTo(const FoundEntry& entry, std::ostream* out) {
    *out << (entry.root == HKEY_LOCAL_MACHINE ? "machine" : "user") << " entry \""
         << (entry.text != nullptr ? entry.text : "(this program)") << '"';
}

class FoundLogonEntry : public RealRegistryTest, public ::testing::WithParamInterface<FoundEntry> {};

TEST_P(FoundLogonEntry, CountsWhenItStartsThisProgramAndTheExitLeavesIt) {
    const FoundEntry& entry = GetParam();
    std::string text = entry.text != nullptr ? entry.text : ProgramPath();
    if (entry.text == nullptr) {
        CharUpperBuffA(&text[0], static_cast<DWORD>(text.size()));
    }
    PutText(entry.root, kRun, "Skittera", text);
    StartProgram();
    EXPECT_EQ(appState.runAtStartup, entry.runAtStartup);
    SaveSettings();
    EXPECT_EQ(StoredText(entry.root, kRun, "Skittera"), text + '\0');
}

const FoundEntry kFoundEntries[] = {
    {HKEY_LOCAL_MACHINE, "", 0},
    {HKEY_LOCAL_MACHINE, "D:\\vecchio\\skittera.exe", 0}, // another copy starts, not this one
    {HKEY_LOCAL_MACHINE, nullptr, 1},
    {HKEY_CURRENT_USER, nullptr, 1},
};
INSTANTIATE_TEST_SUITE_P(RealRegistry, FoundLogonEntry, ::testing::ValuesIn(kFoundEntries));

// Wine lets the machine's key be written, as for an administrator.
TEST_F(RealRegistryTest, TheCheckBoxTurnsTheEntryOffAndOnAtOnce) {
    PutText(HKEY_LOCAL_MACHINE, kRun, "Skittera", ProgramPath());
    PutText(HKEY_CURRENT_USER, kRun, "Skittera", "C:\\Skittera\\skittera.exe");
    StartProgram();
    EXPECT_EQ(appState.runAtStartup, 1);
    EXPECT_EQ(ChangeLogonChoice(false), LogonChange::Done);
    EXPECT_EQ(appState.runAtStartup, 0);
    EXPECT_EQ(StoredText(HKEY_LOCAL_MACHINE, kRun, "Skittera"), "(none)");
    EXPECT_EQ(StoredText(HKEY_CURRENT_USER, kRun, "Skittera"), "(none)");

    EXPECT_EQ(ChangeLogonChoice(true), LogonChange::Done);
    EXPECT_EQ(appState.runAtStartup, 1);
    EXPECT_EQ(StoredText(HKEY_LOCAL_MACHINE, kRun, "Skittera"), ProgramPath() + '\0');
    EXPECT_EQ(StoredText(HKEY_CURRENT_USER, kRun, "Skittera"), "(none)");
}

// Task Manager's switch, as it stores it: a binary value of twelve bytes, 03 and the time
// of the switch while off. Ticking the box removes it.
TEST_F(RealRegistryTest, AnEntryTaskManagerSwitchedOffShowsOffUntilTicked) {
    PutText(HKEY_LOCAL_MACHINE, kRun, "Skittera", ProgramPath());
    PutRaw(HKEY_LOCAL_MACHINE, kSwitches, "Skittera", REG_BINARY,
           "\x03\0\0\0\xd4\x0d\x43\x8d\xc8\x3b\xd9\x01"s);
    StartProgram();
    EXPECT_EQ(appState.runAtStartup, 0);
    EXPECT_EQ(ChangeLogonChoice(true), LogonChange::Done);
    EXPECT_EQ(appState.runAtStartup, 1);
    EXPECT_TRUE(EntryOf(HKEY_LOCAL_MACHINE, kSwitches).empty());
    StartProgram();
    EXPECT_EQ(appState.runAtStartup, 1);
}

// A user name in Cyrillic on a Western system: the path keeps every letter in the
// registry, and is this program's path whatever the case of its letters.
TEST_F(RealRegistryTest, APathOutsideTheAnsiCodePageIsWrittenAndComparedWhole) {
    // C:\Users\Пётр\skittera.exe, UTF-8: П D0 9F, ё D1 91, т D1 82, р D1 80.
    const char path[] = "C:\\Users\\\xD0\x9F\xD1\x91\xD1\x82\xD1\x80\\skittera.exe";
    const wchar_t widePath[] = L"C:\\Users\\\u041F\u0451\u0442\u0440\\skittera.exe";
    ASSERT_EQ(settingsStore.WriteUnicodeStringTo(HKEY_CURRENT_USER, kRun, "Skittera", TextString(path)), 1);
    HKEY key;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Run", 0,
                            KEY_READ, &key),
              ERROR_SUCCESS);
    wchar_t stored[64] = {};
    DWORD size = sizeof stored;
    DWORD type = 0;
    EXPECT_EQ(RegQueryValueExW(key, L"Skittera", nullptr, &type, reinterpret_cast<BYTE*>(stored), &size),
              ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(std::wstring(stored), std::wstring(widePath));
    EXPECT_EQ(size, sizeof widePath); // the text and one zero
    EXPECT_STREQ(settingsStore.ReadUnicodeStringFrom(HKEY_CURRENT_USER, kRun, "Skittera").buffer, path);

    // Upper case: C:\USERS\ПЁТР\SKITTERA.EXE (Ё D0 81, Т D0 A2, Р D0 A0); and Пётя (я D1 8F).
    const char upper[] = "C:\\USERS\\\xD0\x9F\xD0\x81\xD0\xA2\xD0\xA0\\SKITTERA.EXE";
    const char other[] = "C:\\Users\\\xD0\x9F\xD1\x91\xD1\x82\xD1\x8F\\skittera.exe";
    EXPECT_EQ(StartsThisProgram(ReadLogonFacts(settingsStore, ThisProgramsLogonPlaces(), upper)), 1);
    EXPECT_EQ(StartsThisProgram(ReadLogonFacts(settingsStore, ThisProgramsLogonPlaces(), other)), 0);
}

// The calls as the program makes them, through stand-ins that record them.
struct RestartRecord {
    int registrations = 0;
    int withdrawals = 0;
    bool commandLineNull = false;
    DWORD flags = 0;
    HRESULT answer = S_OK;
} restartRecord;

HRESULT WINAPI RecordRegistration(PCWSTR commandLine, DWORD flags) {
    ++restartRecord.registrations;
    restartRecord.commandLineNull = commandLine == nullptr;
    restartRecord.flags = flags;
    return restartRecord.answer;
}

HRESULT WINAPI RecordWithdrawal() {
    ++restartRecord.withdrawals;
    return restartRecord.answer;
}

TEST(RestartRegistrationTest, RegistersWhileTheEntryIsOffAndWithdrawsWhileOn) {
    restartRecord = RestartRecord();
    RestartCalls calls;
    calls.registerRestart = RecordRegistration;
    calls.unregisterRestart = RecordWithdrawal;
    EXPECT_TRUE(UpdateRestartRegistration(0, calls));
    EXPECT_EQ(restartRecord.registrations, 1);
    EXPECT_EQ(restartRecord.withdrawals, 0);
    EXPECT_TRUE(restartRecord.commandLineNull); // no arguments
    EXPECT_EQ(restartRecord.flags, 3u);         // RESTART_NO_CRASH (1) | RESTART_NO_HANG (2)

    EXPECT_TRUE(UpdateRestartRegistration(1, calls));
    EXPECT_EQ(restartRecord.registrations, 1);
    EXPECT_EQ(restartRecord.withdrawals, 1);

    restartRecord.answer = E_INVALIDARG; // refused: reported
    EXPECT_FALSE(UpdateRestartRegistration(0, calls));
    EXPECT_FALSE(UpdateRestartRegistration(0, RestartCalls())); // a system without the calls
}

// Windows Vista and later, and Wine, have both calls; the real ones accept the program's.
TEST(RestartRegistrationTest, TheSystemsCallsAreFoundAndAccepted) {
    RestartCalls calls = LookUpRestartCalls();
    ASSERT_NE(calls.registerRestart, nullptr);
    ASSERT_NE(calls.unregisterRestart, nullptr);
    EXPECT_TRUE(UpdateRestartRegistration(0, calls));
    EXPECT_TRUE(UpdateRestartRegistration(1, calls));
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

    ASSERT_EQ(mine.size(), 4u);
    ExpectSameValues(ValuesOf(HKEY_CURRENT_USER, kKey), mine);
    EXPECT_EQ(StoredText(HKEY_LOCAL_MACHINE, kRun, "Skittera"), entry);
    EXPECT_EQ(StoredText(HKEY_CURRENT_USER, kKey, "Nota"), "di qualcun altro\0"s);
    EXPECT_EQ(StoredText(HKEY_LOCAL_MACHINE, kRun, "Altro"), "C:\\altro.exe\0"s);
    EXPECT_EQ(StoredText(HKEY_CURRENT_USER, kRun, "Altro"), "C:\\altro.exe\0"s);
}

TEST_F(RealRegistryTest, CheckpointLeavesTheLogonEntryAlone) {
    PutText(HKEY_LOCAL_MACHINE, kRun, "Skittera", "D:\\vecchio\\skittera.exe");
    StartProgram();
    appState.runAtStartup = 0;
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
