// The keeping of the days and the checkpoints: the roll-over to a new local day, the
// finished days waiting to be written, and the writes of the counter and today's figures
// while the program runs and at its end.
#include "measuring/DayKeeping.h"

#include <windows.h>

#include "engine/Checkpoint.h"
#include "engine/DayRecord.h"
#include "measuring/Globals.h"
#include "measuring/MeasurementLock.h"
#include "settings/History.h"
#include "settings/PendingDays.h"
#include "settings/Settings.h"

namespace {

LocalDateSource localDateSource = nullptr;

// The finished days the registry has not taken yet; they are tried again with every save
// until they are written, so that a full disk at midnight costs no day anything.
PendingDays pendingDays;

int WritePendingDays() { return pendingDays.WriteTo(settingsStore); }

// A copy of what is saved, with the measurement as one consistent snapshot: the
// registry writes take milliseconds, and the hook must not wait for them.
PersistedState SavedState() {
    PersistedState saved;
    static_cast<OdometerState&>(saved) = SnapshotMeasurement();
    saved.sinceDate = appState.sinceDate;
    return saved;
}

// What was last written, and when.
CheckpointRecord checkpoint;

// The day is switched under the lock, so that the hook counts every event into exactly
// one of the two days; the registry is read and written outside it. What the new day
// stored before (a clock put back to a day already recorded) is added once it is read:
// what the hook counted meanwhile stays counted. A day the clock goes back to that is
// still waiting to be written goes on from its waiting figures instead: the registry
// holds an older value for it then (the last checkpoint it took), or none. A day whose
// stored value could not be read ends without being handed over: nothing is written for
// it.
bool RollOverDay() {
    CalendarDate today = TodaysDate();
    TickCount now = GetTickCount();
    DayEntry finished;
    bool ended = false;
    bool handedOver = false;
    ModifyMeasurement([&today, now, &finished, &ended, &handedOver](OdometerState& measurement) {
        CalendarDate before = measurement.day;
        handedOver = SwitchDay(measurement, today, now, finished);
        // A day ended whether or not it was handed over (an unreadable one is not).
        ended = IsValidDate(before) && measurement.day != before;
    });
    if (!ended) {
        return false;
    }
    if (handedOver) {
        pendingDays.Add(finished);
    }
    DayFigures stored;
    bool waiting = pendingDays.Take(today, stored);
    StoredDay found = waiting ? StoredDay::Readable : ReadStoredDay(settingsStore, today, stored);
    bool continued = false;
    ModifyMeasurement([&today, found, &stored, &continued](OdometerState& measurement) {
        continued = measurement.day == today;
        TakeOverStoredDay(measurement, today, found, stored);
    });
    if (waiting && !continued) {
        pendingDays.Add(DayEntry{today, stored}); // no longer the day counted: it still waits
    }
    return true;
}

// The counter, the unit, the since-date and today's figures, with the finished days
// still waiting; 1 when the registry took them all.
int WriteCheckpoint() {
    int written = WritePendingDays();
    return SaveUserSettingsTo(settingsStore, SavedState()) & written;
}

// What is recorded as saved is taken before the save: a move measured during the
// registry writes then makes the next checkpoint due rather than go unsaved. A
// checkpoint the registry refused is not one: it is tried again at the next tick.
void WriteAndRecordCheckpoint(TickCount now) {
    OdometerState saved = SnapshotMeasurement();
    if (WriteCheckpoint() != 0) {
        RecordCheckpoint(checkpoint, saved, appState.sinceDate, now);
    }
}

} // namespace

CalendarDate TodaysDate() {
    if (localDateSource != nullptr) {
        return localDateSource();
    }
    SYSTEMTIME now;
    GetLocalTime(&now);
    return CalendarDate{now.wYear, now.wMonth, now.wDay};
}

void SetLocalDateSource(LocalDateSource source) { localDateSource = source; }

void StartKeepingDays(TickCount now) {
    RecordCheckpoint(checkpoint, SnapshotMeasurement(), appState.sinceDate, now);
}

// A new local day begins (the finished one is written at once) or, at most every five
// minutes, the counter and today's figures are written down, so that a crash, a kill or
// a power cut costs minutes, not a day.
void KeepDays(TickCount now) {
    if (RollOverDay() || CheckpointDue(checkpoint, SnapshotMeasurement(), appState.sinceDate, now)) {
        WriteAndRecordCheckpoint(now);
    }
}

CalendarDate FollowLocalDate(TickCount now) {
    if (RollOverDay()) {
        WriteAndRecordCheckpoint(now);
    }
    return SnapshotMeasurement().day;
}

void SaveCheckpoint(TickCount now) {
    RollOverDay();
    WriteAndRecordCheckpoint(now);
}

int SaveSettingsCheckpoint() {
    RollOverDay();
    return WriteCheckpoint();
}

bool WriteWaitingDays() { return WritePendingDays() == 1; }

void SaveSettings() {
    RollOverDay();
    WritePendingDays();
    SaveSettingsTo(settingsStore, SavedState());
}
