#include "dialog/HistoryRecord.h"

#include <windows.h>

#include <utility>

#include "engine/DayRecord.h"
#include "settings/History.h"
#include "shell/MeasurementLock.h"

namespace {

// One read at a time, started and taken by the dialog's thread; the worker touches only
// `days` until it ends.
struct ReadAhead {
    HANDLE thread = nullptr;
    CalendarDate day; // the counting's day when the read started
    DayList days;
};
ReadAhead readAhead;

DWORD WINAPI ReadStoredDays(void* /*unused*/) {
    readAhead.days = LoadHistory();
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
