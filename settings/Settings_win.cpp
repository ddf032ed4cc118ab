// LoadSettings and SaveSettings over the process-wide store and state.
#include "settings/Settings.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <ctime>

#include "engine/DayRecord.h"
#include "settings/History.h"
#include "settings/RestartRegistration.h"
#include "shell/Globals.h"
#include "shell/MeasurementLock.h"

namespace {

// A zero-terminated UTF-8 text as zero-terminated UTF-16, in a buffer from the C heap that
// the caller frees; null when it is not UTF-8. *count: the characters without the zero.
wchar_t* WideFromUtf8(const char* text, int* count) {
    int room = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text, -1, nullptr, 0);
    if (room <= 0) {
        return nullptr;
    }
    auto* wide = static_cast<wchar_t*>(std::malloc(static_cast<size_t>(room) * sizeof(wchar_t)));
    if (wide != nullptr && MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text, -1, wide, room) != room) {
        std::free(wide);
        return nullptr;
    }
    *count = room - 1;
    return wide;
}

TextString Utf8FromWide(const wchar_t* wide, int count) {
    if (count <= 0) {
        return TextString();
    }
    int length = WideCharToMultiByte(CP_UTF8, 0, wide, count, nullptr, 0, nullptr, nullptr);
    TextString text;
    if (length <= 0 || WideCharToMultiByte(CP_UTF8, 0, wide, count, text.SetLength(length), length, nullptr,
                                           nullptr) != length) {
        return TextString();
    }
    return text;
}

// A finished day that the registry refused to take; it is tried again with every save
// until it is written, so that a full disk at midnight costs the day nothing.
bool finishedDayPending = false;
DayEntry finishedDay;

int WritePendingDay() {
    if (finishedDayPending && WriteStoredDay(settingsStore, finishedDay.date, finishedDay.figures) != 0) {
        finishedDayPending = false;
    }
    return finishedDayPending ? 0 : 1;
}

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
    wchar_t* a = WideFromUtf8(first, &firstCount);
    wchar_t* b = WideFromUtf8(second, &secondCount);
    bool same = a != nullptr && b != nullptr && firstCount > 0 && firstCount == secondCount;
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

// A copy of what is saved, with the measurement as one consistent snapshot: the
// registry writes take milliseconds, and the hook must not wait for them.
ApplicationState SavedState() {
    ApplicationState saved;
    static_cast<OdometerState&>(saved) = SnapshotMeasurement();
    saved.sinceDate = appState.sinceDate;
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

// The day is switched under the lock, so that the hook counts every event into exactly
// one of the two days; the registry is read and written outside it. What the new day
// stored before (a clock put back to a day already recorded) is added once it is read:
// what the hook counted meanwhile stays counted.
bool RollOverDay() {
    CalendarDate today = LocalCalendarDate(std::time(nullptr));
    TickCount now = GetTickCount();
    DayEntry finished;
    bool ended = false;
    ModifyMeasurement([&today, now, &finished, &ended](OdometerState& measurement) {
        ended = SwitchDay(measurement, today, now, finished);
    });
    if (!ended) {
        return false;
    }
    if (finishedDayPending && finishedDay.date != finished.date) {
        WritePendingDay(); // an older finished day still waiting: it goes first
    }
    finishedDay = finished;
    finishedDayPending = true;
    DayFigures stored;
    StoredDay found = ReadStoredDay(settingsStore, today, stored);
    ModifyMeasurement([&today, found, &stored](OdometerState& measurement) {
        TakeOverStoredDay(measurement, today, found, stored);
    });
    return true;
}

void SaveSettings() {
    RollOverDay();
    WritePendingDay();
    SaveSettingsTo(settingsStore, SavedState());
}

TextString ReadMonitorOverride(const char* valueName) {
    return ReadMonitorOverrideFrom(settingsStore, valueName);
}

// The finished day (when the day has just ended) and today's figures go with the counter.
int SaveSettingsCheckpoint() {
    RollOverDay();
    int written = WritePendingDay();
    return SaveUserSettingsTo(settingsStore, SavedState()) & written;
}

bool FirstStartBalloonShown() { return FirstStartBalloonShownIn(settingsStore); }

int RecordFirstStartBalloonShown() { return RecordFirstStartBalloonShownIn(settingsStore); }

DayList LoadHistory() { return LoadHistoryFrom(settingsStore); }
