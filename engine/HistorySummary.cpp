#include "engine/HistorySummary.h"

#include <cmath>
#include <cstdio>
#include <limits>

#include "engine/DisplayTexts.h"

namespace {

std::uint64_t SaturatingAdd(std::uint64_t a, std::uint64_t b) {
    return b > std::numeric_limits<std::uint64_t>::max() - a ? std::numeric_limits<std::uint64_t>::max()
                                                             : a + b;
}

void AddFigures(DayFigures& sum, const DayFigures& day) {
    sum.distanceCm += CountedDistanceCm(day.distanceCm);
    sum.presses = SaturatingAdd(sum.presses, day.presses);
    sum.wheelNotches = SaturatingAdd(sum.wheelNotches, day.wheelNotches);
    sum.activeSeconds = SaturatingAdd(sum.activeSeconds, day.activeSeconds);
}

// Months counted from January of year 0, so that months subtract across years.
std::int64_t MonthNumber(const CalendarDate& date) {
    return static_cast<std::int64_t>(date.year) * 12 + (date.month - 1);
}

CalendarDate FirstOfMonthNumber(std::int64_t number) {
    return CalendarDate{static_cast<int>(FloorDiv(number, 12)), static_cast<int>(FloorMod(number, 12)) + 1,
                        1};
}

std::int64_t MondayOf(std::int64_t day) { return day - FloorMod(day + 3, 7); }

const char* const kMonthNames[] = {"gennaio", "febbraio", "marzo",     "aprile",  "maggio",   "giugno",
                                   "luglio",  "agosto",   "settembre", "ottobre", "novembre", "dicembre"};
const char* const kMonthMarks[] = {"gen", "feb", "mar", "apr", "mag", "giu",
                                   "lug", "ago", "set", "ott", "nov", "dic"};
const char* const kWeekdayNames[] = {"lun", "mar", "mer", "gio", "ven", "sab", "dom"};

// Where a day falls among the bars, or -1 outside them.
int BarIndex(const HistoryBars& bars, const CalendarDate& date) {
    if (bars.count == 0 || !IsValidDate(date)) {
        return -1;
    }
    std::int64_t offset = 0;
    const CalendarDate& oldest = bars.bars[0].first;
    switch (bars.period) {
    case HistoryPeriod::kDays:
        offset = DaysFromCivil(date) - DaysFromCivil(oldest);
        break;
    case HistoryPeriod::kWeeks:
        offset = FloorDiv(DaysFromCivil(date) - DaysFromCivil(oldest), 7);
        break;
    case HistoryPeriod::kMonths:
        offset = MonthNumber(date) - MonthNumber(oldest);
        break;
    }
    return offset >= 0 && offset < bars.count ? static_cast<int>(offset) : -1;
}

bool Within(const CalendarDate& date, std::int64_t firstDay, std::int64_t lastDay) {
    std::int64_t day = DaysFromCivil(date);
    return day >= firstDay && day <= lastDay;
}

} // namespace

// 1970-01-01 was a Thursday.
int WeekdayFromMonday(const CalendarDate& date) {
    return static_cast<int>(FloorMod(DaysFromCivil(date) + 3, 7));
}

// A week belongs to the year that holds its Thursday; week 1 is the one with the year's
// first Thursday.
IsoWeek IsoWeekOf(const CalendarDate& date) {
    std::int64_t thursday = MondayOf(DaysFromCivil(date)) + 3;
    IsoWeek week;
    week.year = CivilFromDays(thursday).year;
    week.week = static_cast<int>((thursday - DaysFromCivil(CalendarDate{week.year, 1, 1})) / 7 + 1);
    return week;
}

int BarCount(HistoryPeriod period) {
    switch (period) {
    case HistoryPeriod::kWeeks:
        return kWeekBars;
    case HistoryPeriod::kMonths:
        return kMonthBars;
    case HistoryPeriod::kDays:
        break;
    }
    return kDayBars;
}

// The periods end with the one that holds today; a day of the record outside them, or
// with a date that is no date, is left out. Days without a record are bars of 0.
HistoryBars BuildBars(const DayList& days, const CalendarDate& today, HistoryPeriod period) {
    HistoryBars result;
    result.period = period;
    if (!IsValidDate(today)) {
        return result;
    }
    int count = BarCount(period);
    std::int64_t todayNumber = DaysFromCivil(today);
    for (int index = 0; index < count; ++index) {
        int back = count - 1 - index;
        HistoryBar& bar = result.bars[index];
        switch (period) {
        case HistoryPeriod::kDays:
            bar.first = CivilFromDays(todayNumber - back);
            bar.last = bar.first;
            break;
        case HistoryPeriod::kWeeks: {
            std::int64_t monday = MondayOf(todayNumber) - 7 * static_cast<std::int64_t>(back);
            bar.first = CivilFromDays(monday);
            bar.last = CivilFromDays(monday + 6);
            break;
        }
        case HistoryPeriod::kMonths:
            bar.first = FirstOfMonthNumber(MonthNumber(today) - back);
            bar.last = bar.first;
            bar.last.day = DaysInMonth(bar.first.year, bar.first.month);
            break;
        }
    }
    result.count = count;
    for (const DayEntry& day : days) {
        int index = BarIndex(result, day.date);
        if (index >= 0) {
            AddFigures(result.bars[index].figures, day.figures);
        }
    }
    return result;
}

double CountedDistanceCm(double distanceCm) {
    return std::isfinite(distanceCm) && distanceCm > 0 && distanceCm <= kMostDayDistanceCm ? distanceCm : 0;
}

// The record day is the day with the longest distance; of two equal days, the earlier.
HistorySummary SummariseHistory(const DayList& days, const CalendarDate& today) {
    HistorySummary summary;
    if (!IsValidDate(today)) {
        return summary;
    }
    std::int64_t todayNumber = DaysFromCivil(today);
    std::int64_t monday = MondayOf(todayNumber);
    std::int64_t firstOfMonth = DaysFromCivil(CalendarDate{today.year, today.month, 1});
    std::int64_t lastOfMonth = firstOfMonth + DaysInMonth(today.year, today.month) - 1;
    for (const DayEntry& day : days) {
        if (!IsValidDate(day.date)) {
            continue;
        }
        if (Within(day.date, todayNumber, todayNumber)) {
            AddFigures(summary.today, day.figures);
        }
        if (Within(day.date, todayNumber - 1, todayNumber - 1)) {
            AddFigures(summary.yesterday, day.figures);
        }
        if (Within(day.date, monday, monday + 6)) {
            AddFigures(summary.thisWeek, day.figures);
        }
        if (Within(day.date, firstOfMonth, lastOfMonth)) {
            AddFigures(summary.thisMonth, day.figures);
        }
        double distance = CountedDistanceCm(day.figures.distanceCm);
        if (distance > 0 && (!summary.hasRecordDay || distance > summary.recordDistanceCm ||
                             (distance == summary.recordDistanceCm && day.date < summary.recordDate))) {
            summary.hasRecordDay = true;
            summary.recordDate = day.date;
            summary.recordDistanceCm = distance;
        }
    }
    return summary;
}

// The smallest round step whose mostSteps multiples reach the highest value. A highest
// value of 0 (or none that is a finite number, or one too small for a step of 10^-20)
// gives an axis from 0 to 1. A highest value beyond 10^300 is taken as 10^300, so that the
// step and the top stay finite: no record comes near either limit.
ValueAxis ChooseValueAxis(double highest, int mostSteps) {
    constexpr double kSmallestStep = 1e-20;
    constexpr double kHighestAxisValue = 1e300;
    ValueAxis axis;
    if (mostSteps < 1) {
        mostSteps = 1;
    }
    if (!std::isfinite(highest) || highest / mostSteps < kSmallestStep) {
        return axis;
    }
    highest = std::fmin(highest, kHighestAxisValue);
    int exponent = static_cast<int>(std::floor(std::log10(highest / mostSteps)));
    static const int kMultiples[] = {1, 2, 5, 10};
    for (int multiple : kMultiples) {
        double step = multiple * std::pow(10.0, exponent);
        // A hair of tolerance, so that 0.3 / 0.1 counts as 3 steps and not 4.
        double needed = std::ceil(highest / step - 1e-9);
        if (needed <= mostSteps) {
            axis.step = step;
            axis.steps = needed < 1 ? 1 : static_cast<int>(needed);
            break;
        }
    }
    axis.top = axis.step * axis.steps;
    int stepExponent = static_cast<int>(std::floor(std::log10(axis.step) + 1e-9));
    axis.decimals = stepExponent < 0 ? -stepExponent : 0;
    return axis;
}

void FormatHistoryDistance(double distanceCm, double unitDivisor, char* text, std::size_t capacity) {
    const DistanceUnit& unit = UnitOrCentimetres(unitDivisor);
    std::snprintf(text, capacity, "%.*f %s", unit.decimals, CountedDistanceCm(distanceCm) / unit.divisor,
                  unit.abbreviation);
}

void FormatActiveTime(std::uint64_t seconds, char* text, std::size_t capacity) {
    std::snprintf(text, capacity, "%llu:%02u:%02u", static_cast<unsigned long long>(seconds / 3600),
                  static_cast<unsigned>(seconds / 60 % 60), static_cast<unsigned>(seconds % 60));
}

// Days are marked on Mondays and today, weeks every other one counted back from this
// one (by the date of their Monday), months each by name.
void FormatBarMark(const HistoryBars& bars, int index, char* text, std::size_t capacity) {
    text[0] = '\0';
    if (index < 0 || index >= bars.count || !IsValidDate(bars.bars[index].first)) {
        return;
    }
    const CalendarDate& first = bars.bars[index].first;
    bool isLast = index == bars.count - 1;
    switch (bars.period) {
    case HistoryPeriod::kDays:
        if (isLast || WeekdayFromMonday(first) == 0) {
            std::snprintf(text, capacity, "%02d/%02d", first.day, first.month);
        }
        break;
    case HistoryPeriod::kWeeks:
        if ((bars.count - 1 - index) % 2 == 0) {
            std::snprintf(text, capacity, "%02d/%02d", first.day, first.month);
        }
        break;
    case HistoryPeriod::kMonths:
        std::snprintf(text, capacity, "%s", kMonthMarks[first.month - 1]);
        break;
    }
}

void FormatBarDescription(const HistoryBar& bar, HistoryPeriod period, double unitDivisor, char* text,
                          std::size_t capacity) {
    char when[64] = "";
    text[0] = '\0';
    if (!IsValidDate(bar.first) || !IsValidDate(bar.last)) {
        return;
    }
    switch (period) {
    case HistoryPeriod::kDays:
        std::snprintf(when, sizeof when, "%s %s", kWeekdayNames[WeekdayFromMonday(bar.first)],
                      FormatDottedDate(bar.first).buffer);
        break;
    case HistoryPeriod::kWeeks: {
        IsoWeek week = IsoWeekOf(bar.first);
        std::snprintf(when, sizeof when, "settimana %d del %d (%02d.%02d - %02d.%02d)", week.week, week.year,
                      bar.first.day, bar.first.month, bar.last.day, bar.last.month);
        break;
    }
    case HistoryPeriod::kMonths:
        std::snprintf(when, sizeof when, "%s %d", kMonthNames[bar.first.month - 1], bar.first.year);
        break;
    }
    char distance[64];
    char active[48];
    FormatHistoryDistance(bar.figures.distanceCm, unitDivisor, distance, sizeof distance);
    FormatActiveTime(bar.figures.activeSeconds, active, sizeof active);
    std::snprintf(text, capacity, "%s: %s, %llu clic, %llu scatti della rotella, attivo %s", when, distance,
                  static_cast<unsigned long long>(bar.figures.presses),
                  static_cast<unsigned long long>(bar.figures.wheelNotches), active);
}
