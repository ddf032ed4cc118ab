#include "dialog/HistoryRecord.h"

#include "engine/DayRecord.h"
#include "settings/History.h"
#include "shell/MeasurementLock.h"

// The stored days, and today's as the counting holds it now: the stored value of today
// is up to one checkpoint behind.
std::vector<DayEntry> ReadHistoryForWindow() {
    std::vector<DayEntry> days = LoadHistory();
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
    days.push_back(DayEntry{now.day, now.dayFigures});
    return days;
}
