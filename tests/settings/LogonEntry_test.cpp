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
const std::string kOther = "D:\\vecchio\\skittera.exe\0"s; // another copy of the program
// Task Manager's values as it writes them: a switch off (03, then the time it was
// switched off) and one on again (02 and zeros).
const std::string kSwitchedOff = "\x03\0\0\0\xd4\x0d\x43\x8d\xc8\x3b\xd9\x01"s;
const std::string kSwitchedOn = "\x02\0\0\0\0\0\0\0\0\0\0\0"s;

const LogonPlaces kPlaces{kSwitches, SamePathIgnoringAsciiCase};
// Short names for the tables: N for no value.
const std::string N = "-", E = kEntry, Off = kSwitchedOff, On = kSwitchedOn, Other = kOther;
const std::string Upper = "c:\\SKITTERA\\Skittera.EXE\0"s, Quoted = "\"C:\\Skittera\\skittera.exe\"\0"s;

// The program's values in both roots: the Run entries and Task Manager's switches (under
// Run) as bytes, "-" where there is none.
struct Entries {
    std::string machine, machineSwitch, user, userSwitch;
    bool operator==(const Entries& other) const {
        return machine == other.machine && machineSwitch == other.machineSwitch && user == other.user &&
               userSwitch == other.userSwitch;
    }
};

void PrintTo(const Entries& entries, std::ostream* out) {
    using ::testing::PrintToString;
    *out << "machine " << PrintToString(entries.machine) << " switch " << PrintToString(entries.machineSwitch)
         << ", user " << PrintToString(entries.user) << " switch " << PrintToString(entries.userSwitch);
}

class LogonEntryTest : public ::testing::Test {
protected:
    void SetUp() override { memory_registry::Reset(); }
    void TearDown() override { EXPECT_EQ(memory_registry::OpenKeyCount(), 0); }

    static void Put(RegistryKey root, const std::string& bytes) {
        memory_registry::PutValue(root, kRun, "Skittera", bytes);
    }
    static void Put(const Entries& entries) {
        const std::string* bytes[] = {&entries.machine, &entries.machineSwitch, &entries.user,
                                      &entries.userSwitch};
        for (int at = 0; at < 4; ++at) {
            if (*bytes[at] != N) {
                memory_registry::PutValue(at < 2 ? LocalMachineRoot() : CurrentUserRoot(),
                                          at % 2 ? kSwitches : kRun, "Skittera", *bytes[at]);
            }
        }
    }
    static std::string Value(RegistryKey root, const char* path) {
        return memory_registry::HasValue(root, path, "Skittera")
                   ? memory_registry::ValueBytes(root, path, "Skittera")
                   : "-";
    }
    static Entries Now() {
        return Entries{Value(LocalMachineRoot(), kRun), Value(LocalMachineRoot(), kSwitches),
                       Value(CurrentUserRoot(), kRun), Value(CurrentUserRoot(), kSwitches)};
    }
    static std::string Entry(RegistryKey root) { return memory_registry::ValueBytes(root, kRun, "Skittera"); }
    int Shown() { return StartsThisProgram(ReadLogonFacts(store, kPlaces, kProgram)); }
    LogonChange Change(bool on) { return ChangeLogonEntry(store, kPlaces, on, kProgram); }

    SettingsStore store;
};

// What the box shows ---------------------------------------------------------------

struct ShownCase {
    const char* what;
    Entries entries;
    bool run32; // a 32-bit program on 64-bit Windows
    int shown;
};

void PrintTo(const ShownCase& entry, std::ostream* out) { *out << entry.what; }

class ShownLogonEntry : public LogonEntryTest, public ::testing::WithParamInterface<ShownCase> {};

TEST_P(ShownLogonEntry, IsAnEntryForThisProgramThatTaskManagerLeftOn) {
    const ShownCase& entry = GetParam();
    Put(entry.entries);
    const LogonPlaces places{entry.run32 ? kSwitches32 : kSwitches, SamePathIgnoringAsciiCase};
    memory_registry::ClearLog();
    EXPECT_EQ(StartsThisProgram(ReadLogonFacts(store, places, kProgram)), entry.shown);
    EXPECT_TRUE(memory_registry::Log().empty()); // reading changes nothing
}

const ShownCase kShown[] = {
    {"no entry", {N, N, N, N}, false, 0},
    {"machine entry", {E, N, N, N}, false, 1},
    {"quoted, other case", {"\"c:\\SKITTERA\\Skittera.EXE\"\0"s, N, N, N}, false, 1},
    {"empty text", {"\0"s, N, "\0"s, N}, false, 0},
    {"another path", {Other, N, N, N}, false, 0},
    {"with an argument", {"C:\\Skittera\\skittera.exe /x\0"s, N, N, N}, false, 0},
    {"a lone quote", {"\"\0"s, N, N, N}, false, 0},
    {"switched off", {E, Off, N, N}, false, 0},
    {"switched on again", {E, On, N, N}, false, 1},
    {"06: even, on", {E, "\x06\0\0\0"s, N, N}, false, 1},
    {"0x63: odd, off", {E, "\x63\x60\x60\x60\x62\xf9\x8c\x76\xc5\x3b\xd9\x91"s, N, N}, false, 0},
    {"empty switch: on", {E, "", N, N}, false, 1},
    {"user entry switched off", {N, N, E, Off}, false, 0},
    {"the other root's switch", {E, N, N, Off}, false, 1},
    {"machine off, user on", {E, Off, E, N}, false, 1},
    {"another copy and the user's", {Other, N, E, N}, false, 1},
    // The 32-bit program's machine entry is switched under Run32, not Run.
    {"32-bit, switched under Run only", {E, Off, N, N}, true, 1},
};
INSTANTIATE_TEST_SUITE_P(Entries, ShownLogonEntry, ::testing::ValuesIn(kShown));

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

// Turning it on (true) or off, with what the registry refuses: the values before, the
// values after, the outcome and what the box then shows. On goes to the machine's key where it may be
// written, else to the user's; only one entry may start the program, or it would start
// twice at log-on. Off takes the entry away wherever it may.
enum Limits : unsigned {
    kMayWrite = 0,
    kMachineReadOnly = 1, // a standard user since Windows Vista
    kMachineRefuses = 2,  // the machine's key opens but no value can be set there
    kUserRefuses = 4,
};

struct ChangeCase {
    const char* what;
    bool on;
    unsigned limits;
    Entries before;
    Entries after;
    LogonChange outcome;
    int shown;
};

void PrintTo(const ChangeCase& change, std::ostream* out) { *out << change.what; }

class LogonChangeCase : public LogonEntryTest, public ::testing::WithParamInterface<ChangeCase> {};

TEST_P(LogonChangeCase, LeavesTheEntriesAndTheBoxAsTheyShouldBe) {
    const ChangeCase& change = GetParam();
    Put(change.before);
    memory_registry::SetMachineWritable((change.limits & kMachineReadOnly) == 0);
    memory_registry::SetValueChangesRefused(LocalMachineRoot(), (change.limits & kMachineRefuses) != 0);
    memory_registry::SetValueChangesRefused(CurrentUserRoot(), (change.limits & kUserRefuses) != 0);
    const std::string before = memory_registry::Dump();
    EXPECT_EQ(Change(change.on), change.outcome);
    EXPECT_EQ(Now(), change.after);
    EXPECT_EQ(Shown(), change.shown);
    if (change.outcome == LogonChange::AnotherCopyForEveryUser) {
        EXPECT_EQ(memory_registry::Dump(), before); // told, and nothing written
    }
}

constexpr auto Done = LogonChange::Done;
constexpr auto Failed = LogonChange::Failed;
constexpr auto Stays = LogonChange::MachineEntryStays;
constexpr auto Told = LogonChange::AnotherCopyForEveryUser;
const ChangeCase kChanges[] = {
    {"on: the user's copy goes", true, kMayWrite, {N, N, E, N}, {E, N, N, N}, Done, 1},
    // The user's entry is the only one left, and it stays.
    {"machine write refused", true, kMachineRefuses, {N, N, E, N}, {N, N, E, N}, Done, 1},
    // The box was unticked because Task Manager switched the entry off: ticking it
    // switches it on again, by removing the switch, wherever the user may; a switch that
    // is on stays.
    {"machine switched off", true, kMayWrite, {E, Off, N, N}, {E, N, N, N}, Done, 1},
    {"user switched off", true, kMachineReadOnly, {N, N, E, Off}, {N, N, E, N}, Done, 1},
    {"machine switched on", true, kMayWrite, {E, On, N, N}, {E, On, N, N}, Done, 1},
    {"user switched on", true, kMachineReadOnly, {N, N, E, "\x06"s}, {N, N, E, "\x06"s}, Done, 1},
    // An elevated run or another account left the entry under the machine's key, which
    // this run cannot write: a user copy beside it would start the program twice.
    {"machine entry stands", true, kMachineReadOnly, {E, N, E, N}, {E, N, N, N}, Done, 1},
    {"in other case", true, kMachineReadOnly, {Upper, N, E, N}, {Upper, N, N, N}, Done, 1},
    {"quoted", true, kMachineReadOnly, {Quoted, N, E, N}, {Quoted, N, N, N}, Done, 1},
    // An entry for every user starts another copy of the program. Replacing it needs the
    // machine's rights; a user entry beside it would start both, and the second would
    // open its dialog at every log-on. Switched off by Task Manager, it starts nothing.
    {"another copy, told", true, kMachineReadOnly, {Other, N, N, N}, {Other, N, N, N}, Told, 0},
    {"another copy, replaced", true, kMayWrite, {Other, N, N, N}, {E, N, N, N}, Done, 1},
    {"another copy off", true, kMachineReadOnly, {Other, Off, N, N}, {Other, Off, E, N}, Done, 1},
    // What the registry refuses is reported, not shown.
    {"on refused", true, kMachineReadOnly | kUserRefuses, {N, N, N, N}, {N, N, N, N}, Failed, 0},
    {"switch kept", true, kMachineReadOnly | kUserRefuses, {N, N, E, Off}, {N, N, E, Off}, Failed, 0},
    {"off everywhere", false, kMayWrite, {E, N, E, N}, {N, N, N, N}, Done, 0},
    // A standard user cannot delete the machine's entry: the user's copy still goes, and
    // the user is told that the program keeps starting (the box stays ticked).
    {"off, machine stays", false, kMachineReadOnly, {E, N, E, N}, {E, N, N, N}, Stays, 1},
    {"off, other copy stays", false, kMachineReadOnly, {Other, N, E, N}, {Other, N, N, N}, Stays, 0},
    {"off, machine off", false, kMachineReadOnly, {E, Off, E, N}, {E, Off, N, N}, Done, 0},
    {"off, machine alone", false, kMachineReadOnly, {E, N, N, N}, {E, N, N, N}, Stays, 1},
    {"off refused", false, kUserRefuses, {N, N, E, N}, {N, N, E, N}, Failed, 1},
    // The user's key keeps its entry: the machine's written beside it would start the
    // program twice, so it goes again, and the result says what starts.
    {"user refuses, its entry stays", true, kUserRefuses, {N, N, E, N}, {N, N, E, N}, Done, 1},
    {"user refuses another copy", true, kUserRefuses, {N, N, Other, N}, {N, N, Other, N}, Failed, 0},
    {"both stay", true, kMachineReadOnly | kUserRefuses, {E, N, E, N}, {E, N, E, N}, Failed, 1},
};
INSTANTIATE_TEST_SUITE_P(OnAndOff, LogonChangeCase, ::testing::ValuesIn(kChanges));

TEST_F(LogonEntryTest, OnFromAStandardUserGoesToTheUsersKey) {
    memory_registry::SetMachineWritable(false);
    EXPECT_EQ(Change(true), LogonChange::Done);
    EXPECT_FALSE(memory_registry::HasKey(LocalMachineRoot(), kRun));
    EXPECT_EQ(Entry(CurrentUserRoot()), kEntry);
    EXPECT_EQ(Shown(), 1);
}

// 200 Cyrillic letters take 400 bytes of UTF-8: the entry is read back whole.
TEST_F(LogonEntryTest, ALongPathIsSwitchedOnAndShown) {
    std::string path = "C:\\";
    for (int i = 0; i < 200; ++i) {
        path += "\xD0\x96"; // Ж
    }
    path += "\\skittera.exe";
    path.insert(3, std::string(190, 'x'));
    ASSERT_GT(path.size(), 600u);
    EXPECT_EQ(ChangeLogonEntry(store, kPlaces, true, path.c_str()), LogonChange::Done);
    EXPECT_EQ(Entry(LocalMachineRoot()), path + '\0');
    EXPECT_EQ(StartsThisProgram(ReadLogonFacts(store, kPlaces, path.c_str())), 1);
}

TEST_F(LogonEntryTest, PathWithBlanksIsQuotedSoThatNoOtherProgramStarts) {
    EXPECT_EQ(ChangeLogonEntry(store, kPlaces, true, "C:\\Program Files\\Skittera\\skittera.exe"),
              LogonChange::Done);
    EXPECT_EQ(Entry(LocalMachineRoot()), "\"C:\\Program Files\\Skittera\\skittera.exe\"\0"s);
}

// A standard user cannot switch on the machine's entry that Task Manager switched off:
// the user's own entry is then the one that starts, and still only one does.
TEST_F(LogonEntryTest, AMachineEntrySwitchedOffLeavesTheStartToTheUsersEntry) {
    Put(Entries{kEntry, kSwitchedOff, "-", "-"});
    memory_registry::SetMachineWritable(false);
    EXPECT_EQ(Change(true), LogonChange::Done);
    EXPECT_EQ(Entry(CurrentUserRoot()), kEntry);
    LogonFacts facts = ReadLogonFacts(store, kPlaces, kProgram);
    EXPECT_FALSE(facts.machine.Starts());
    EXPECT_TRUE(facts.user.Starts());
}

// Without the program's path there is nothing right to write, and nothing is written.
TEST_F(LogonEntryTest, OnThatTheRegistryRefusesIsReportedNotShown) {
    Put(LocalMachineRoot(), "C:\\a.exe\0"s);
    EXPECT_EQ(ChangeLogonEntry(store, kPlaces, true, ""), LogonChange::Failed);
    EXPECT_EQ(ChangeLogonEntry(store, kPlaces, true, nullptr), LogonChange::Failed);
    EXPECT_TRUE(memory_registry::Log().empty());
    EXPECT_EQ(Entry(LocalMachineRoot()), "C:\\a.exe\0"s);
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
