// LoadSettings and SaveSettings over the process-wide store and state.
#include "settings/Settings.h"

#include <windows.h>

#include <ctime>

#include "engine/DayRecord.h"
#include "settings/History.h"
#include "shell/Globals.h"
#include "shell/MeasurementLock.h"

namespace {

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
        measurement.day = loaded.day;
        measurement.dayFigures = loaded.dayFigures;
        measurement.dayStoredUnreadable = loaded.dayStoredUnreadable;
    });
    appState.sinceDate = loaded.sinceDate;
    appState.runAtStartup = loaded.runAtStartup;
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
    TextString path = ProgramPath(appState.instanceHandle);
    SaveSettingsTo(settingsStore, SavedState(), path.buffer);
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
