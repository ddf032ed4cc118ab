// The handful of registry primitives the settings store is written over. Windows builds
// bind them to ADVAPI32 (Registry_win.cpp); a build for another platform provides its
// own key-value store with the same behaviour: keys that may be missing, values that
// are byte strings, reads that fail when the value does not fit the caller's buffer.
#ifndef SKITTERA_SETTINGS_REGISTRY_H
#define SKITTERA_SETTINGS_REGISTRY_H

struct HKEY__; // the registry's root and key handles, as <windows.h> declares them

using RegistryKey = HKEY__*;

// The access a key is opened with: KEY_READ, KEY_WRITE or KEY_ALL_ACCESS. The SystemView
// kinds open the key in the system's own view of the registry: a 32-bit program on 64-bit
// Windows then reads the keys that 64-bit Explorer and Task Manager write, not their
// redirected 32-bit copies.
enum class KeyAccess { Read, Write, All, ReadSystemView, AllSystemView };

// HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE.
RegistryKey CurrentUserRoot();
RegistryKey LocalMachineRoot();

// Each returns true on success. Sizes are byte counts, the terminating zero of a
// text included.
bool OpenRegistryKey(RegistryKey root, const char* path, KeyAccess access, RegistryKey* key);
// Opens the key for writing, creating it and any missing key along the path.
bool CreateRegistryKey(RegistryKey root, const char* path, RegistryKey* key);
// On entry *size is the room in data; on return it is the value's size. A value larger
// than the room fails and copies nothing.
bool QueryRegistryValue(RegistryKey key, const char* name, unsigned char* data, unsigned long* size);
// Stores the bytes as a REG_SZ value, all of them in one call; true only when the value
// was really set.
bool SetRegistryText(RegistryKey key, const char* name, const char* data, unsigned long size);
// Stores the number as a REG_DWORD value; true only when the value was really set.
bool SetRegistryNumber(RegistryKey key, const char* name, unsigned long number);
// A text value read and written through the wide-character calls, so that characters
// outside the ANSI code page survive; on the program's side the text is UTF-8. The query
// follows QueryRegistryValue's rules for the size (in UTF-8 bytes, the terminating zero
// included) and fails for a value that is not text. The set stores a REG_SZ value.
bool QueryRegistryUnicodeText(RegistryKey key, const char* name, char* data, unsigned long* size);
bool SetRegistryUnicodeText(RegistryKey key, const char* name, const char* data, unsigned long size);
// true when the value is gone: deleted now, or not there in the first place.
bool DeleteRegistryValue(RegistryKey key, const char* name);
void CloseRegistryKey(RegistryKey key);

// What one step of walking through a key's values found.
enum class EnumeratedValue { Found, TooLarge, End };
// The value at index (0, 1, ...) of an open key, in the registry's own order. On entry
// *nameSize is the room in name (in characters, the terminating zero included) and *size
// the room in data; on return with Found they hold the name's length without its zero
// and the data's size. A name or data that does not fit gives TooLarge, and the walk
// goes on with the next index; End once there is no value at index.
EnumeratedValue EnumerateRegistryValue(RegistryKey key, unsigned long index, char* name,
                                       unsigned long* nameSize, unsigned char* data, unsigned long* size);

#endif
