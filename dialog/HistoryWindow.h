// The history window (template IDD_HISTORY): the chart of the record of the days, the
// figures of today, yesterday, this week, this month and the record day, and the export
// of the whole record as a CSV file. Modal, opened from the properties dialog.
#ifndef SKITTERA_DIALOG_HISTORYWINDOW_H
#define SKITTERA_DIALOG_HISTORYWINDOW_H

#include <windows.h>

#include "engine/DayFigures.h"

// Shows the days (any order) as of `today`, the distances in the unit of unitDivisor;
// returns when the window is closed: 0, or -1 when it could not open.
INT_PTR OpenHistoryWindow(HWND owner, const DayList& days, const CalendarDate& today, double unitDivisor);

// Writes the record as CSV to the file at path, in the user's list separator and
// decimal mark. The file is written beside the target under another name and then put
// in its place, so a failure leaves the target as it was; on failure *error holds the
// system's error code.
bool ExportHistoryCsv(const DayList& days, const char* path, DWORD* error);

// The rectangle the chart's bars stand in, in the chart's client coordinates: bar i of
// n fills the i-th of n equal slots from its left, growing up from its bottom.
RECT HistoryChartPlot(HWND chart);

// Today's date on the local clock.
CalendarDate LocalToday();

#endif
