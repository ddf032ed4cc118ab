// An in-memory registry behind the primitives of settings/Registry.h, for the native
// tests. It keeps the behaviour of the real registry that the settings rules depend
// on: a key exists or not, and creating one creates the keys along its path; key and
// value names compare without regard to case; a value holds exactly the bytes written,
// with no terminator added; a query into a buffer too small for the value fails and
// copies nothing; a key opened for reading cannot be written through; as for a
// standard user since Windows Vista, HKEY_LOCAL_MACHINE can be made readable only; a
// root's value changes can be made to fail while its keys still open; and calls from
// several threads are taken one at a time, as the real registry takes them.
#ifndef SKITTERA_TESTS_SETTINGS_MEMORYREGISTRY_H
#define SKITTERA_TESTS_SETTINGS_MEMORYREGISTRY_H

#include <string>
#include <vector>

#include "settings/Registry.h"

namespace memory_registry {

// An empty registry (both roots present, nothing below them), the machine's part
// writable, the log empty and no key open.
void Reset();

// false: opening a key below HKEY_LOCAL_MACHINE for writing, or creating one, is
// refused as access denied; reading still works.
void SetMachineWritable(bool writable);

// true: below this root, keys still open and are created for writing, but every
// set-value and delete-value fails (a full disk, a quota, a key whose rights allow
// opening it but not changing it), and changes nothing.
void SetValueChangesRefused(RegistryKey root, bool refused);

// Every set of a value of this name fails (one write the store refuses among others
// it takes); "" for none.
void RefuseSettingValue(const std::string& name);

// Puts a value's bytes as they are, creating its key; not logged.
void PutValue(RegistryKey root, const std::string& keyPath, const std::string& name,
              const std::string& bytes);
bool HasKey(RegistryKey root, const std::string& keyPath);
bool HasValue(RegistryKey root, const std::string& keyPath, const std::string& name);
// The value's bytes, or an empty string when it does not exist.
std::string ValueBytes(RegistryKey root, const std::string& keyPath, const std::string& name);

// Every change made through the primitives, one line each, in order:
// "create HKCU\Software\Skittera", "set HKCU\Software\Skittera:SkitCome=Metri\0",
// "delete HKLM\...\Run:Skittera" (a delete of an absent value is logged with " (absent)").
const std::vector<std::string>& Log();
void ClearLog();

// The whole registry as text, one line per key and value in name order, for comparing
// one state with another.
std::string Dump();

// Keys opened through the primitives and not yet closed.
int OpenKeyCount();

} // namespace memory_registry

#endif
