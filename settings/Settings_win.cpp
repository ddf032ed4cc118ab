// LoadSettings and SaveSettings over the process-wide store and state.
#include "settings/Settings.h"

#include <windows.h>

#include <ctime>

#include "shell/Globals.h"
#include "shell/MeasurementLock.h"

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

// A copy of what is saved, with the measurement as one consistent snapshot: the
// registry writes take milliseconds, and the hook must not wait for them.
ApplicationState SavedState() {
    ApplicationState saved;
    static_cast<OdometerState&>(saved) = SnapshotMeasurement();
    saved.sinceDate = appState.sinceDate;
    saved.runAtStartup = appState.runAtStartup;
    return saved;
}

} // namespace

// The registry is read into a record of its own, away from the measurement that the
// hook thread may share, and what the load sets of the measurement is then taken over
// in one short step under the lock.
void LoadSettings() {
    ApplicationState loaded;
    LoadSettingsFrom(settingsStore, loaded, std::time(nullptr));
    ModifyMeasurement([&loaded](OdometerState& measurement) {
        measurement.distanceCm = loaded.distanceCm;
        measurement.startDistanceCm = loaded.startDistanceCm;
        measurement.unitDivisor = loaded.unitDivisor;
    });
    appState.sinceDate = loaded.sinceDate;
    appState.runAtStartup = loaded.runAtStartup;
}

void SaveSettings() {
    TextString path = ProgramPath(appState.instanceHandle);
    SaveSettingsTo(settingsStore, SavedState(), path.buffer);
}

TextString ReadMonitorOverride(const char* valueName) {
    return ReadMonitorOverrideFrom(settingsStore, valueName);
}

void SaveSettingsCheckpoint() { SaveUserSettingsTo(settingsStore, SavedState()); }
