// What the history window shows of the record of the days: the bars of the chart (days,
// ISO weeks, months), the figures beside it (today, yesterday, this week, this month, the
// record day), the value axis and the texts. Free of <windows.h>: the calendar rules are
// tested natively, and the local date comes in as a parameter.
#ifndef SKITTERA_ENGINE_HISTORYSUMMARY_H
#define SKITTERA_ENGINE_HISTORYSUMMARY_H

#include <cstddef>
#include <cstdint>

#include "engine/DayFigures.h"

// --- Calendar -------------------------------------------------------------------------

// 0 for Monday up to 6 for Sunday.
int WeekdayFromMonday(const CalendarDate& date);

struct IsoWeek {
    int year = 0; // the ISO week-numbering year, which differs from the calendar's near New Year
    int week = 0; // 1 to 53
};
IsoWeek IsoWeekOf(const CalendarDate& date);

// --- Bars -----------------------------------------------------------------------------

enum class HistoryPeriod { kDays, kWeeks, kMonths };

constexpr int kDayBars = 30;
constexpr int kWeekBars = 12;
constexpr int kMonthBars = 12;
constexpr int kMostBars = kDayBars;

// One bar: the figures of every recorded day from first to last, both included.
struct HistoryBar {
    CalendarDate first;
    CalendarDate last;
    DayFigures figures;
};

// The bars of the chart, oldest first: the period that holds today is the last one.
struct HistoryBars {
    HistoryPeriod period = HistoryPeriod::kDays;
    int count = 0;
    HistoryBar bars[kMostBars];
};

int BarCount(HistoryPeriod period);
HistoryBars BuildBars(const DayList& days, const CalendarDate& today, HistoryPeriod period);

// --- Figures beside the chart ---------------------------------------------------------

struct HistorySummary {
    DayFigures today;
    DayFigures yesterday;
    DayFigures thisWeek;
    DayFigures thisMonth;
    bool hasRecordDay = false; // no day with a distance above 0, no record day
    CalendarDate recordDate;
    double recordDistanceCm = 0;
};

HistorySummary SummariseHistory(const DayList& days, const CalendarDate& today);

// The distance a day or a bar counts with: a value that is not a finite number, below 0
// or beyond kMostDayDistanceCm counts as 0 (only a damaged record can hold one), so that
// sums of any number of days stay finite.
double CountedDistanceCm(double distanceCm);

// --- Value axis -----------------------------------------------------------------------

// Gridlines at every step from 0 to top = step * steps, step a round 1, 2 or 5 times a
// power of ten, the fewest steps up to the most allowed that reach the highest value.
struct ValueAxis {
    double step = 1;
    int steps = 1;
    double top = 1;
    int decimals = 0; // enough to write every gridline's value exactly
};

ValueAxis ChooseValueAxis(double highest, int mostSteps);

// --- Texts ----------------------------------------------------------------------------

constexpr std::size_t kHistoryTextCapacity = 192;

// A distance in the unit of the divisor (1, 100, 100000) with the unit's abbreviation:
// "12 cm", "3.45 m", "0.12345 km".
void FormatHistoryDistance(double distanceCm, double unitDivisor, char* text, std::size_t capacity);
// Active seconds as "h:mm:ss".
void FormatActiveTime(std::uint64_t seconds, char* text, std::size_t capacity);
// The chart's mark under bar `index`, or an empty text for a bar that carries none.
void FormatBarMark(const HistoryBars& bars, int index, char* text, std::size_t capacity);
// The line under the chart: the bar's date or period and its four figures.
void FormatBarDescription(const HistoryBar& bar, HistoryPeriod period, double unitDivisor, char* text,
                          std::size_t capacity);

#endif
