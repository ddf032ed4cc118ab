// SettingsStore: the one object through which the program reads and writes the
// registry. It holds no open key between operations: each one opens or creates its
// key, does one thing and closes the key again.
#ifndef SKITTERA_SETTINGS_SETTINGSSTORE_H
#define SKITTERA_SETTINGS_SETTINGSSTORE_H

#include "support/TextString.h"

struct HKEY__; // the registry's root and key handles, as <windows.h> declares them

// Called with each value's name and text by SettingsStore::ForEachString.
using StringVisitor = void (*)(void* context, const char* name, const TextString& text);

// The program's own key, per user, under HKEY_CURRENT_USER.
constexpr char kSettingsKeyPath[] = "Software\\Skittera";

class SettingsStore {
public:
    // Relative to HKEY_CURRENT_USER: the program's own key, unless the store is set to
    // another once, where it is made (a test's scratch key).
    TextString baseKeyPath{kSettingsKeyPath};

    void SetBaseKey(const TextString& path);
    TextString ReadString(const char* subkey, const char* valueName);
    TextString ReadStringFrom(HKEY__* root, const char* keyPath, const char* valueName);
    int WriteString(const char* subkey, const char* valueName, const TextString& value);
    int WriteStringTo(HKEY__* root, const char* keyPath, const char* valueName, const TextString& value);
    // A number, as a REG_DWORD value below the base key; 1 when it was stored.
    int WriteNumber(const char* subkey, const char* valueName, unsigned long number);
    int DeleteValueFrom(HKEY__* root, const char* keyPath, const char* valueName);
    // The same for a text that may hold any character (a path in the user's folder): read
    // and written through the registry's wide-character calls, UTF-8 on this side.
    TextString ReadUnicodeStringFrom(HKEY__* root, const char* keyPath, const char* valueName);
    int WriteUnicodeStringTo(HKEY__* root, const char* keyPath, const char* valueName,
                             const TextString& value);
    // In the system's own view of the registry (Registry.h, KeyAccess): the first byte of
    // a value of any type, or -1 when the value is missing, empty or larger than the
    // store reads; and the deletion of a value, as DeleteValueFrom.
    int ReadFirstByteInSystemView(HKEY__* root, const char* keyPath, const char* valueName);
    int DeleteValueInSystemView(HKEY__* root, const char* keyPath, const char* valueName);
    // Whether the value exists below the base key, whatever its size.
    bool HasValue(const char* subkey, const char* valueName);
    // Every value of the key below the base key whose text takes at most 512 bytes;
    // others are passed over. (The texts read by name are read whole, whatever their size.) Returns 0 when
    // the key cannot be opened.
    int ForEachString(const char* subkey, StringVisitor visit, void* context);
};

#endif
