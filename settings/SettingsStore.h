// SettingsStore: the one object through which the program reads and writes the
// registry. It holds no open key between operations: each one opens or creates its
// key, does one thing and closes the key again.
#ifndef SKITTERA_SETTINGS_SETTINGSSTORE_H
#define SKITTERA_SETTINGS_SETTINGSSTORE_H

#include "support/TextString.h"

struct HKEY__; // the registry's root and key handles, as <windows.h> declares them

class SettingsStore {
public:
    TextString baseKeyPath; // relative to HKEY_CURRENT_USER; empty until LoadSettings sets it

    void SetBaseKey(const TextString& path);
    TextString ReadString(const char* subkey, const char* valueName);
    TextString ReadStringFrom(HKEY__* root, const char* keyPath, const char* valueName);
    int WriteString(const char* subkey, const char* valueName, const TextString& value);
    int WriteStringTo(HKEY__* root, const char* keyPath, const char* valueName, const TextString& value);
    int DeleteValueFrom(HKEY__* root, const char* keyPath, const char* valueName);
};

#endif
