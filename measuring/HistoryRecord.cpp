#include "measuring/HistoryRecord.h"

#include <windows.h>

#include <utility>

#include "engine/DayRecord.h"
#include "measuring/Globals.h"
#include "measuring/MeasurementLock.h"
#include "measuring/StoredSettings.h"
#include "settings/History.h"
#include "settings/SettingsStore.h"

namespace {

// One read at a time, started and taken by the dialog's thread; the worker touches only
// `store` and `days` until it ends. The store is the worker's own, pointed at the
// program's key before the thread starts: the main thread's saves go on meanwhile through
// the process-wide one.
struct ReadAhead {
    HANDLE thread = nullptr;
    CalendarDate day; // the counting's day when the read started
    SettingsStore store;
    DayList days;
};
ReadAhead readAhead;

DWORD WINAPI ReadStoredDays(void* /*unused*/) {
    readAhead.days = LoadHistoryFrom(readAhead.store);
    return 0;
}

// The days read ahead, or nothing when no read was started: waits for one under way.
bool TakeReadAhead(DayList& days, CalendarDate& startedOn) {
    if (readAhead.thread == nullptr) {
        return false;
    }
    WaitForSingleObject(readAhead.thread, INFINITE);
    CloseHandle(readAhead.thread);
    readAhead.thread = nullptr;
    days = std::move(readAhead.days);
    startedOn = readAhead.day;
    return true;
}

} // namespace

void ReadHistoryAhead() {
    if (readAhead.thread != nullptr) {
        return;
    }
    readAhead.day = SnapshotMeasurement().day;
    readAhead.store.SetBaseKey(settingsStore.baseKeyPath);
    // Without a thread the window reads when it opens, as it would without this.
    readAhead.thread = CreateThread(nullptr, 0, ReadStoredDays, nullptr, 0, nullptr);
}

void ForgetHistoryReadAhead() {
    DayList unused;
    CalendarDate day;
    TakeReadAhead(unused, day);
}

// The stored days, and today's as the counting holds it now: the stored value of today
// is up to one checkpoint behind. Days read before midnight miss the final figures of the
// day that ended since, so they are read again.
DayList ReadHistoryForWindow() {
    DayList days;
    CalendarDate readOn;
    OdometerState now = SnapshotMeasurement();
    if (!TakeReadAhead(days, readOn) || !(readOn == now.day)) {
        days = LoadHistory();
    }
    if (!IsValidDate(now.day)) {
        return days;
    }
    for (DayEntry& entry : days) {
        if (entry.date == now.day) {
            entry.figures = now.dayFigures;
            return days;
        }
    }
    // A day the clock went back before the newest stored one still goes where its date says.
    days.Append(DayEntry{now.day, now.dayFigures});
    days.SortByDate();
    return days;
}
