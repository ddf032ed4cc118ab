// The history window's chart control (class "SkitteraHistoryChart"): the bars of the
// record, the value axis and the marks, and the chosen bar, whose figures it writes into
// the window's line for them.
#ifndef SKITTERA_DIALOG_HISTORYCHART_H
#define SKITTERA_DIALOG_HISTORYCHART_H

#include <windows.h>

#include "engine/HistorySummary.h"

// The class, once per process; false when it cannot be registered.
bool RegisterHistoryChart(HINSTANCE instance);

// Shows the bars, their distances in the unit of unitDivisor, with the newest chosen.
void ShowChartBars(HWND chart, const HistoryBars& bars, double unitDivisor);
// The window closed: the chart keeps nothing of it.
void ForgetChartBars();

// The rectangle the chart's bars stand in, in the chart's client coordinates: bar i of
// n fills the i-th of n equal slots from its left, growing up from its bottom.
RECT HistoryChartPlot(HWND chart);

#endif
