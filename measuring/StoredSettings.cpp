// The stored settings over the process-wide store and state.
#include "measuring/StoredSettings.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "measuring/DayKeeping.h"
#include "measuring/Globals.h"
#include "measuring/MeasurementLock.h"
#include "settings/History.h"
#include "settings/RestartRegistration.h"
#include "settings/Settings.h"
#include "support/WideText.h"

namespace {

// The full path of the program file, UTF-8, read with the wide-character call so that a
// folder name outside the ANSI code page (a user name in Cyrillic on a Western system)
// keeps its letters instead of turning into question marks. GetModuleFileNameW
// truncates a path that does not fit, and a path may be longer than the classic 260
// characters, so the buffer grows until the whole path fits. Empty on failure.
TextString ProgramPath(HINSTANCE instance) {
    constexpr DWORD kLongestPath = 32768;
    for (DWORD capacity = MAX_PATH; capacity < 2 * kLongestPath; capacity *= 2) {
        auto* wide = static_cast<wchar_t*>(std::malloc(capacity * sizeof(wchar_t)));
        if (wide == nullptr) {
            return TextString();
        }
        DWORD length = GetModuleFileNameW(instance, wide, capacity);
        if (length < capacity) {
            TextString path = Utf8FromWide(wide, static_cast<int>(length));
            std::free(wide);
            return path;
        }
        std::free(wide);
    }
    return TextString();
}

// Windows compares paths without regard to case, by each character's upper case: so
// here, over the wide characters, for every alphabet.
bool SameWindowsPath(const char* first, const char* second) {
    int firstCount = 0;
    int secondCount = 0;
    wchar_t* a = WideFromUtf8(first, -1, &firstCount);
    wchar_t* b = WideFromUtf8(second, -1, &secondCount);
    // The counts include the zeros.
    bool same = a != nullptr && b != nullptr && firstCount > 1 && firstCount == secondCount;
    if (same) {
        CharUpperBuffW(a, static_cast<DWORD>(firstCount));
        CharUpperBuffW(b, static_cast<DWORD>(secondCount));
        same = std::memcmp(a, b, static_cast<size_t>(firstCount) * sizeof(wchar_t)) == 0;
    }
    std::free(a);
    std::free(b);
    return same;
}

int LogonEntryStartsThisProgram() {
    TextString path = ProgramPath(appState.instanceHandle);
    return StartsThisProgram(ReadLogonFacts(settingsStore, ThisProgramsLogonPlaces(), path.buffer));
}

} // namespace

// The registry is read into a record of its own, away from the measurement that the
// hook thread may share, and what the load sets of the measurement is then taken over
// in one short step under the lock.
void LoadSettings() {
    PersistedState loaded;
    LoadSettingsFrom(settingsStore, loaded, TodaysDate());
    ModifyMeasurement([&loaded](OdometerState& measurement) {
        measurement.distanceCm = loaded.distanceCm;
        measurement.startDistanceCm = loaded.startDistanceCm;
        measurement.unitDivisor = loaded.unitDivisor;
        measurement.day = loaded.day;
        measurement.dayFigures = loaded.dayFigures;
        measurement.dayStoredUnreadable = loaded.dayStoredUnreadable;
    });
    appState.sinceDate = loaded.sinceDate;
    appState.runAtStartup = LogonEntryStartsThisProgram();
}

// The Run key a 32-bit program writes under HKEY_LOCAL_MACHINE on 64-bit Windows is the
// 32-bit view's, whose entries Task Manager switches under Run32.
LogonPlaces ThisProgramsLogonPlaces() {
    LogonPlaces places{kApprovalKeyPath, SameWindowsPath};
#if !defined(_WIN64)
    BOOL wow64 = FALSE;
    if (IsWow64Process(GetCurrentProcess(), &wow64) && wow64) {
        places.machineApprovalKeyPath = kApprovalKeyPath32;
    }
#endif
    return places;
}

void RefreshLogonChoice() {
    int starts = LogonEntryStartsThisProgram();
    if (starts != appState.runAtStartup) {
        appState.runAtStartup = starts;
        UpdateRestartRegistration(starts, LookUpRestartCalls());
    }
}

LogonChange ChangeLogonChoice(bool on) {
    TextString path = ProgramPath(appState.instanceHandle);
    LogonChange outcome = ChangeLogonEntry(settingsStore, ThisProgramsLogonPlaces(), on, path.buffer);
    appState.runAtStartup = LogonEntryStartsThisProgram();
    UpdateRestartRegistration(appState.runAtStartup, LookUpRestartCalls());
    return outcome;
}

bool FirstStartBalloonShown() { return FirstStartBalloonShownIn(settingsStore); }

int RecordFirstStartBalloonShown() { return RecordFirstStartBalloonShownIn(settingsStore); }

TextString ReadMonitorOverride(const char* valueName) {
    return ReadMonitorOverrideFrom(settingsStore, valueName);
}

DayList LoadHistory() { return LoadHistoryFrom(settingsStore); }

bool ImportHistory(const DayList& imported, const CalendarDate& today, ImportChoice choice,
                   ImportPlan& plan) {
    // A day still waiting would be written later over the imported figures of its date.
    if (!WriteWaitingDays()) {
        return false;
    }
    return ImportDaysInto(settingsStore, imported, today, choice, plan);
}
