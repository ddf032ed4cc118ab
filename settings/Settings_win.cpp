// LoadSettings and SaveSettings over the process-wide store and state.
#include "settings/Settings.h"

#include <windows.h>

#include <ctime>

#include "shell/Globals.h"

namespace {

// The full path of the program file. GetModuleFileNameA truncates a path that does not
// fit (on Windows XP without a terminating zero), and a path may be longer than the
// classic 260 bytes, so the buffer grows until the whole path fits. Empty on failure.
TextString ProgramPath(HINSTANCE instance) {
    constexpr DWORD kLongestPath = 32768;
    for (DWORD capacity = MAX_PATH; capacity < 2 * kLongestPath; capacity *= 2) {
        TextString path(' ', static_cast<int>(capacity));
        DWORD length = GetModuleFileNameA(instance, path.buffer, capacity);
        if (length == 0) {
            return TextString();
        }
        if (length < capacity) {
            return path.Left(static_cast<int>(length));
        }
    }
    return TextString();
}

} // namespace

void LoadSettings() { LoadSettingsFrom(settingsStore, appState, std::time(nullptr)); }

void SaveSettings() {
    TextString path = ProgramPath(appState.instanceHandle);
    SaveSettingsTo(settingsStore, appState, path.buffer);
}

TextString ReadMonitorOverride(const char* valueName) {
    return ReadMonitorOverrideFrom(settingsStore, valueName);
}

void SaveSettingsCheckpoint() { SaveUserSettingsTo(settingsStore, appState); }
