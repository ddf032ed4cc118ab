#include "settings/LogonEntry.h"

#include <cstring>

#include "settings/Registry.h"

namespace {

// A command without the quotes around it.
TextString Unquoted(const char* command) {
    TextString text(command);
    if (text.length >= 2 && text.CharAt(0) == '"' && text.CharAt(text.length - 1) == '"') {
        return text.Left(text.length - 1).Right(text.length - 2);
    }
    return text;
}

char FoldedAscii(char ch) { return ch >= 'A' && ch <= 'Z' ? static_cast<char>(ch - 'A' + 'a') : ch; }

// Task Manager's first byte: odd while switched off.
bool SwitchedOff(int firstByte) { return firstByte >= 0 && (firstByte & 1) != 0; }

LogonEntryFacts ReadEntry(SettingsStore& store, RegistryKey root, const char* approvalKeyPath,
                          const LogonPlaces& places, const char* programPath) {
    LogonEntryFacts facts;
    TextString command = store.ReadUnicodeStringFrom(root, kRunKeyPath, kRunValueName);
    facts.present = !command.IsEmpty();
    // A path may stand in quotes or not; anything after it (an argument) is another command.
    facts.thisProgram = facts.present && programPath != nullptr && programPath[0] != '\0' &&
                        places.samePath(Unquoted(command.buffer).buffer, programPath);
    facts.disabled = SwitchedOff(store.ReadFirstByteInSystemView(root, approvalKeyPath, kRunValueName));
    return facts;
}

// Switches Task Manager's switch back on by deleting it: a missing switch is on, and the
// program then holds no binary value of Task Manager's whose layout it would have to
// follow. A switch that is on already is left as it is.
void SwitchOn(SettingsStore& store, RegistryKey root, const char* approvalKeyPath) {
    if (SwitchedOff(store.ReadFirstByteInSystemView(root, approvalKeyPath, kRunValueName))) {
        store.DeleteValueInSystemView(root, approvalKeyPath, kRunValueName);
    }
}

void TurnOn(SettingsStore& store, const LogonPlaces& places, const char* programPath,
            const LogonFacts& before) {
    TextString command = LogonCommand(programPath);
    // Since Windows Vista a standard user may not write under HKEY_LOCAL_MACHINE; the
    // user's own Run key is then the place that works. Only one of the two may start the
    // program, or it would start twice at log-on and the second start would open the
    // dialog every time.
    if (store.WriteUnicodeStringTo(LocalMachineRoot(), kRunKeyPath, kRunValueName, command) != 0) {
        store.DeleteValueFrom(CurrentUserRoot(), kRunKeyPath, kRunValueName);
        if (ReadEntry(store, CurrentUserRoot(), kApprovalKeyPath, places, programPath).Starts()) {
            // The user's key refused to let its entry go: with the machine's beside it the
            // program would start twice, so the machine's goes again and the user's stays
            // the only one.
            store.DeleteValueFrom(LocalMachineRoot(), kRunKeyPath, kRunValueName);
            return;
        }
        SwitchOn(store, LocalMachineRoot(), places.machineApprovalKeyPath);
        return;
    }
    if (before.machine.Starts()) {
        // An entry that an elevated run or another account left for this program does the
        // job already; a copy left under the user's key goes.
        store.DeleteValueFrom(CurrentUserRoot(), kRunKeyPath, kRunValueName);
        return;
    }
    // No machine entry, or one that Task Manager switched off: the user's entry is then
    // the only one that starts.
    if (store.WriteUnicodeStringTo(CurrentUserRoot(), kRunKeyPath, kRunValueName, command) != 0) {
        SwitchOn(store, CurrentUserRoot(), kApprovalKeyPath);
    }
}

} // namespace

// The program's path, in quotes when it holds a blank: unquoted, the system would try
// "C:\Program.exe" before "C:\Program Files\...".
TextString LogonCommand(const char* programPath) {
    if (std::strchr(programPath, ' ') == nullptr) {
        return TextString(programPath);
    }
    TextString command("\"");
    command.Append(programPath).Append("\"");
    return command;
}

bool SamePathIgnoringAsciiCase(const char* first, const char* second) {
    std::size_t length = std::strlen(first);
    if (length == 0 || length != std::strlen(second)) {
        return false;
    }
    for (std::size_t i = 0; i < length; ++i) {
        if (FoldedAscii(first[i]) != FoldedAscii(second[i])) {
            return false;
        }
    }
    return true;
}

LogonFacts ReadLogonFacts(SettingsStore& store, const LogonPlaces& places, const char* programPath) {
    LogonFacts facts;
    facts.machine = ReadEntry(store, LocalMachineRoot(), places.machineApprovalKeyPath, places, programPath);
    facts.user = ReadEntry(store, CurrentUserRoot(), kApprovalKeyPath, places, programPath);
    return facts;
}

int StartsThisProgram(const LogonFacts& facts) {
    bool starts = (facts.machine.thisProgram && facts.machine.Starts()) ||
                  (facts.user.thisProgram && facts.user.Starts());
    return starts ? 1 : 0;
}

// Every outcome is judged by reading the entries again: a write that reported success is
// not taken for one that starts the program.
LogonChange ChangeLogonEntry(SettingsStore& store, const LogonPlaces& places, bool on,
                             const char* programPath) {
    if (!on) {
        // Off means off in every place the entry may be: a copy left under the user's key
        // would still start the program.
        store.DeleteValueFrom(LocalMachineRoot(), kRunKeyPath, kRunValueName);
        store.DeleteValueFrom(CurrentUserRoot(), kRunKeyPath, kRunValueName);
        LogonFacts after = ReadLogonFacts(store, places, programPath);
        if (after.machine.Starts()) {
            return LogonChange::MachineEntryStays;
        }
        return after.user.Starts() ? LogonChange::Failed : LogonChange::Done;
    }
    if (programPath == nullptr || programPath[0] == '\0') {
        // Without the program's path there is nothing right to write.
        return LogonChange::Failed;
    }
    LogonFacts before = ReadLogonFacts(store, places, programPath);
    // An entry for every user that starts another copy (an old one, elsewhere): a second
    // entry beside it would start both. It is replaced only where it may be.
    if (before.machine.Starts() && !before.machine.thisProgram &&
        store.WriteUnicodeStringTo(LocalMachineRoot(), kRunKeyPath, kRunValueName,
                                   LogonCommand(programPath)) == 0) {
        return LogonChange::AnotherCopyForEveryUser;
    }
    TurnOn(store, places, programPath, before);
    LogonFacts after = ReadLogonFacts(store, places, programPath);
    // Two entries that start are never Done, whichever program they name.
    bool startsOnce = StartsThisProgram(after) != 0 && !(after.machine.Starts() && after.user.Starts());
    return startsOnce ? LogonChange::Done : LogonChange::Failed;
}
