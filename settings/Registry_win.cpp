// The registry primitives over ADVAPI32, ANSI calls throughout.
#include "settings/Registry.h"

#include <windows.h>

namespace {

REGSAM AccessMask(KeyAccess access) {
    switch (access) {
    case KeyAccess::Read:
        return KEY_READ;
    case KeyAccess::Write:
        return KEY_WRITE;
    case KeyAccess::All:
        return KEY_ALL_ACCESS;
    }
    return KEY_READ;
}

} // namespace

RegistryKey CurrentUserRoot() { return HKEY_CURRENT_USER; }
RegistryKey LocalMachineRoot() { return HKEY_LOCAL_MACHINE; }

bool OpenRegistryKey(RegistryKey root, const char* path, KeyAccess access, RegistryKey* key) {
    return RegOpenKeyExA(root, path, 0, AccessMask(access), key) == ERROR_SUCCESS;
}

bool CreateRegistryKey(RegistryKey root, const char* path, RegistryKey* key) {
    return RegCreateKeyExA(root, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, key,
                           nullptr) == ERROR_SUCCESS;
}

// No type is asked for: whatever the value holds is read as bytes.
bool QueryRegistryValue(RegistryKey key, const char* name, unsigned char* data, unsigned long* size) {
    return RegQueryValueExA(key, name, nullptr, nullptr, data, size) == ERROR_SUCCESS;
}

bool SetRegistryText(RegistryKey key, const char* name, const char* data, unsigned long size) {
    return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data), size) == ERROR_SUCCESS;
}

bool SetRegistryNumber(RegistryKey key, const char* name, unsigned long number) {
    DWORD data = number;
    return RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof data) ==
           ERROR_SUCCESS;
}

bool DeleteRegistryValue(RegistryKey key, const char* name) {
    LONG result = RegDeleteValueA(key, name);
    return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
}

void CloseRegistryKey(RegistryKey key) { RegCloseKey(key); }

// Wine and Windows both answer ERROR_MORE_DATA when the name or the data does not fit;
// every other failure (the key went away) ends the walk.
EnumeratedValue EnumerateRegistryValue(RegistryKey key, unsigned long index, char* name,
                                       unsigned long* nameSize, unsigned char* data, unsigned long* size) {
    DWORD nameRoom = *nameSize;
    DWORD dataRoom = *size;
    LONG result = RegEnumValueA(key, index, name, &nameRoom, nullptr, nullptr, data, &dataRoom);
    if (result == ERROR_MORE_DATA) {
        return EnumeratedValue::TooLarge;
    }
    if (result != ERROR_SUCCESS) {
        return EnumeratedValue::End;
    }
    *nameSize = nameRoom;
    *size = dataRoom;
    return EnumeratedValue::Found;
}
