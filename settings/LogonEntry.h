// The entry that starts the program at log-on: where it may be, whether it really starts
// this program, and the change the properties dialog asks for. Written over the settings
// store only, so that the rules are tested anywhere.
#ifndef SKITTERA_SETTINGS_LOGONENTRY_H
#define SKITTERA_SETTINGS_LOGONENTRY_H

#include "settings/SettingsStore.h"
#include "support/TextString.h"

// The entry: under HKEY_LOCAL_MACHINE (for every user), or HKEY_CURRENT_USER where the
// machine's key cannot be written.
constexpr char kRunKeyPath[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kRunValueName[] = "Skittera";
// Task Manager's switch for an entry: a binary value of the entry's name under the same
// root, whose first byte is odd while the entry is disabled (03 after a switch off, 02 or
// 06 after a switch on; the eight bytes after the first four are the time it was switched
// off). A missing value means enabled. The machine's entries of a 32-bit program on
// 64-bit Windows, which live in the 32-bit view of the Run key, have theirs under Run32.
constexpr char kApprovalKeyPath[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run";
constexpr char kApprovalKeyPath32[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run32";

// Whether two paths, UTF-8, name the same file: as Windows compares them, without regard
// to case.
using SamePathRule = bool (*)(const char* first, const char* second);

// What differs from one program and one system to another.
struct LogonPlaces {
    const char* machineApprovalKeyPath; // kApprovalKeyPath, or kApprovalKeyPath32
    SamePathRule samePath;
};

// One Run value as found.
struct LogonEntryFacts {
    bool present = false;     // a value with a text in it
    bool thisProgram = false; // the text starts the program at the path asked about
    bool disabled = false;    // Task Manager's switch is off
    bool Starts() const { return present && !disabled; }
};

struct LogonFacts {
    LogonEntryFacts machine;
    LogonEntryFacts user;
};

LogonFacts ReadLogonFacts(SettingsStore& store, const LogonPlaces& places, const char* programPath);
// 1 when an entry starts the program at log-on: an entry for its path that Task Manager
// has not switched off. What the check box shows.
int StartsThisProgram(const LogonFacts& facts);

// How a change asked for by the user ended. Anything but Done means the entries are not
// as asked; the box then shows what they are.
enum class LogonChange {
    Done,
    MachineEntryStays,       // off: an entry for every user still starts at log-on
    AnotherCopyForEveryUser, // on: an entry for every user starts another copy
    Failed,                  // the registry refused the change
};

// Turns the program's start at log-on on or off, leaving at most one entry that starts.
LogonChange ChangeLogonEntry(SettingsStore& store, const LogonPlaces& places, bool on,
                             const char* programPath);

// The command line of the log-on entry that starts the program at programPath.
TextString LogonCommand(const char* programPath);
// SamePathRule for letters A to Z only: what a platform without its own rule uses.
bool SamePathIgnoringAsciiCase(const char* first, const char* second);

#endif
