#include "dialog/HistoryRecord.h"

#include "engine/DayRecord.h"
#include "settings/History.h"
#include "shell/MeasurementLock.h"

// The stored days, and today's as the counting holds it now: the stored value of today
// is up to one checkpoint behind.
DayList ReadHistoryForWindow() {
    DayList days = LoadHistory();
    OdometerState now = SnapshotMeasurement();
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
