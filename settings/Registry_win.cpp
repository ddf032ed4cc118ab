// The registry primitives over ADVAPI32: ANSI calls, except for the texts that must keep
// any character (the log-on entry's path), which go through the wide-character calls.
#include "settings/Registry.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "support/WideText.h"

namespace {

REGSAM AccessMask(KeyAccess access) {
    switch (access) {
    case KeyAccess::Read:
        return KEY_READ;
    case KeyAccess::Write:
        return KEY_WRITE;
    case KeyAccess::All:
        return KEY_ALL_ACCESS;
    case KeyAccess::ReadSystemView:
        return KEY_READ | KEY_WOW64_64KEY; // ignored where there is one view only
    case KeyAccess::AllSystemView:
        return KEY_ALL_ACCESS | KEY_WOW64_64KEY;
    }
    return KEY_READ;
}

// A value name, zero-terminated, as UTF-16; null on failure.
wchar_t* WideName(const char* name) {
    int count = 0;
    return WideFromUtf8(name != nullptr ? name : "", -1, &count);
}

// The wide text of a REG_SZ or REG_EXPAND_SZ value, up to its first zero and never past
// its bytes, in a buffer from the C heap with a zero added; null when there is no such
// text value.
wchar_t* QueryWideText(RegistryKey key, const wchar_t* name, int* count) {
    DWORD type = 0;
    DWORD bytes = 0;
    if (RegQueryValueExW(key, name, nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ)) {
        return nullptr;
    }
    // Room for the bytes rounded up to whole characters, and a zero after them.
    DWORD room = bytes / sizeof(wchar_t) + 2;
    auto* text = static_cast<wchar_t*>(std::calloc(room, sizeof(wchar_t)));
    DWORD got = (room - 1) * sizeof(wchar_t);
    if (text == nullptr ||
        RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(text), &got) != ERROR_SUCCESS) {
        std::free(text); // the value grew between the two queries: as good as not there
        return nullptr;
    }
    text[got / sizeof(wchar_t)] = L'\0';
    *count = lstrlenW(text);
    return text;
}

} // namespace

// The text becomes UTF-8 with its zero; a character that is no valid UTF-16 (a lone
// surrogate) comes out as the replacement character, so the text never matches a path.
bool QueryRegistryUnicodeText(RegistryKey key, const char* name, char* data, unsigned long* size) {
    wchar_t* wideName = WideName(name);
    int count = 0;
    wchar_t* text = wideName != nullptr ? QueryWideText(key, wideName, &count) : nullptr;
    std::free(wideName);
    if (text == nullptr) {
        return false;
    }
    bool converted = true;
    TextString utf8 = Utf8FromWide(text, count, &converted);
    std::free(text);
    unsigned long room = *size;
    *size = static_cast<unsigned long>(utf8.length) + 1;
    if (!converted || (data != nullptr && *size > room)) {
        return false;
    }
    if (data != nullptr) {
        std::memcpy(data, utf8.buffer, *size);
    }
    return true;
}

bool SetRegistryUnicodeText(RegistryKey key, const char* name, const char* data, unsigned long size) {
    wchar_t* wideName = WideName(name);
    int count = 0;
    wchar_t* text = size > 0 ? WideFromUtf8(data, static_cast<int>(size), &count) : nullptr;
    bool stored = wideName != nullptr && text != nullptr &&
                  RegSetValueExW(key, wideName, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                                 static_cast<DWORD>(count) * sizeof(wchar_t)) == ERROR_SUCCESS;
    std::free(wideName);
    std::free(text);
    return stored;
}

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
