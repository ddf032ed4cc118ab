// The history window (template IDD_HISTORY): the chart of the record of the days
// (HistoryChart.h), the figures of today, yesterday, this week, this month and the record
// day, the export of the whole record as a CSV file (HistoryExport.h) and the import of
// one (HistoryImport.h). Modal, opened from the properties dialog.
#ifndef SKITTERA_DIALOG_HISTORYWINDOW_H
#define SKITTERA_DIALOG_HISTORYWINDOW_H

#include <windows.h>

#include "engine/DayFigures.h"

// Shows a copy of the days (any order) as of `today`, the distances in the unit of unitDivisor;
// returns when the window is closed: 0, or -1 when it could not open.
INT_PTR OpenHistoryWindow(HWND owner, const DayList& days, const CalendarDate& today, double unitDivisor);

#endif
