// The log-on entries and Task Manager's switches as any bytes, with any of the refusals
// the registry can make: whatever the change, never a second entry that starts where
// there was none, and a result that tells what the entries are.
#include <cstring>

#include "bench/fuzz/FuzzInput.h"
#include "settings/LogonEntry.h"
#include "tests/settings/MemoryRegistry.h"

namespace {

constexpr char kRun[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

bool BothStart(const LogonFacts& facts) { return facts.machine.Starts() && facts.user.Starts(); }

} // namespace

// Input: a byte of choices (bit 0 on, bit 1 a 32-bit program, bit 2 the machine's key
// read-only, bits 3 and 4 value changes refused under the machine's and the user's root),
// then four values (the machine's entry and switch, the user's entry and switch; "-"
// alone for none) and the program's path, one a line.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput input(data, size);
    std::uint8_t choices = input.Byte();
    memory_registry::Reset();
    const LogonPlaces places{(choices & 2) != 0 ? kApprovalKeyPath32 : kApprovalKeyPath,
                             SamePathIgnoringAsciiCase};
    const struct {
        RegistryKey root;
        const char* path;
    } where[] = {{LocalMachineRoot(), kRun},
                 {LocalMachineRoot(), places.machineApprovalKeyPath},
                 {CurrentUserRoot(), kRun},
                 {CurrentUserRoot(), kApprovalKeyPath}};
    for (const auto& place : where) {
        std::string value = input.Until('\n');
        if (value != "-") {
            memory_registry::PutValue(place.root, place.path, kRunValueName, value);
        }
    }
    std::string path = input.Until('\n');
    memory_registry::SetMachineWritable((choices & 4) == 0);
    memory_registry::SetValueChangesRefused(LocalMachineRoot(), (choices & 8) != 0);
    memory_registry::SetValueChangesRefused(CurrentUserRoot(), (choices & 16) != 0);

    SettingsStore store;
    bool on = (choices & 1) != 0;
    LogonFacts before = ReadLogonFacts(store, places, path.c_str());
    std::string registryBefore = memory_registry::Dump();
    LogonChange change = ChangeLogonEntry(store, places, on, path.c_str());
    LogonFacts after = ReadLogonFacts(store, places, path.c_str());
    int shown = StartsThisProgram(after);

    FUZZ_CHECK(!BothStart(after) || BothStart(before));
    FUZZ_CHECK(memory_registry::OpenKeyCount() == 0);
    switch (change) {
    case LogonChange::Done:
        FUZZ_CHECK(!BothStart(after));
        FUZZ_CHECK(shown == (on ? 1 : 0));
        if (!on) {
            FUZZ_CHECK(!after.machine.Starts() && !after.user.Starts());
        }
        break;
    case LogonChange::AnotherCopyForEveryUser:
        FUZZ_CHECK(on && memory_registry::Dump() == registryBefore);
        FUZZ_CHECK(after.machine.Starts() && !after.machine.thisProgram);
        break;
    case LogonChange::MachineEntryStays:
        FUZZ_CHECK(!on && after.machine.Starts());
        break;
    case LogonChange::Failed:
        break;
    }
    // An entry written for the program reads back as one that starts it.
    if (on && change == LogonChange::Done) {
        TextString command = LogonCommand(path.c_str());
        std::string machine = memory_registry::ValueBytes(LocalMachineRoot(), kRun, kRunValueName);
        std::string user = memory_registry::ValueBytes(CurrentUserRoot(), kRun, kRunValueName);
        std::string written = std::string(command.buffer) + '\0';
        FUZZ_CHECK(machine == written || user == written || after.machine.thisProgram ||
                   after.user.thisProgram);
    }
    return 0;
}
