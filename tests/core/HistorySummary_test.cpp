#include "engine/HistorySummary.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <set>
#include <string>

namespace {

const CalendarDate kToday{2026, 12, 9}; // a Wednesday, in ISO week 50

DayEntry Day(int year, int month, int day, double distanceCm, std::uint64_t presses = 0) {
    DayEntry entry;
    entry.date = CalendarDate{year, month, day};
    entry.figures.distanceCm = distanceCm;
    entry.figures.presses = presses;
    return entry;
}

std::string Text(const CalendarDate& date) { return FormatDottedDate(date).buffer; }

struct DateCase {
    std::int64_t days; // worked out from 1970-01-01 by whole years and months
    CalendarDate date;
    int weekday; // 0 Monday, from a printed calendar
    IsoWeek week;
};

const DateCase kDates[] = {
    {0, {1970, 1, 1}, 3, {1970, 1}},        {-1, {1969, 12, 31}, 2, {1970, 1}},
    {11017, {2000, 3, 1}, 2, {2000, 9}},    // 10957 for 2000-01-01, + 31 + 29
    {20796, {2026, 12, 9}, 2, {2026, 50}},  // 20454 for 2026-01-01, + 334 + 8
    {20454, {2026, 1, 1}, 3, {2026, 1}},    // a Thursday: its week is the year's first
    {20819, {2027, 1, 1}, 4, {2026, 53}},   // a Friday: its week is 2026's 53rd
    {20087, {2024, 12, 30}, 0, {2025, 1}},  // a Monday whose Thursday is in 2025
    {18630, {2021, 1, 3}, 6, {2020, 53}},   // a Sunday ending 2020's last week
    {-135081, {1600, 2, 29}, 1, {1600, 9}}, // one 400-year era (146097 days) before 2000-03-01, less a day
};

TEST(HistoryCalendar, DaysWeekdaysAndIsoWeeks) {
    for (const DateCase& c : kDates) {
        SCOPED_TRACE(Text(c.date));
        EXPECT_EQ(DaysFromCivil(c.date), c.days);
        EXPECT_EQ(CivilFromDays(c.days), c.date);
        EXPECT_EQ(WeekdayFromMonday(c.date), c.weekday);
        EXPECT_EQ(IsoWeekOf(c.date).year, c.week.year);
        EXPECT_EQ(IsoWeekOf(c.date).week, c.week.week);
    }
    // Every day of four centuries follows the one before, and converts back to itself.
    CalendarDate previous = CivilFromDays(DaysFromCivil(CalendarDate{1899, 12, 31}));
    for (std::int64_t day = DaysFromCivil(CalendarDate{1900, 1, 1});
         day < DaysFromCivil(CalendarDate{2300, 1, 1}); ++day) {
        CalendarDate date = CivilFromDays(day);
        ASSERT_TRUE(IsValidDate(date)) << day;
        ASSERT_TRUE(previous < date) << day;
        ASSERT_EQ(DaysFromCivil(date), day);
        previous = date;
    }
    EXPECT_EQ(DaysInMonth(2024, 2), 29);
    EXPECT_EQ(DaysInMonth(2100, 2), 28);
    EXPECT_EQ(DaysInMonth(2000, 2), 29);
    EXPECT_FALSE(IsValidDate(CalendarDate{2026, 2, 29}));
    EXPECT_FALSE(IsValidDate(CalendarDate{2026, 13, 1}));
    EXPECT_FALSE(IsValidDate(CalendarDate{0, 1, 1}));
}

TEST(HistoryCalendar, BothWrittenFormsPadEveryPartWithZeros) {
    EXPECT_STREQ(FormatDottedDate(CalendarDate{987, 6, 5}).buffer, "05.06.0987");
    EXPECT_STREQ(FormatIsoDate(CalendarDate{987, 6, 5}).buffer, "0987-06-05");
}

TEST(HistoryBars, EachPeriodEndsWithTodaysAndSumsItsDays) {
    DayList days = {
        Day(2026, 12, 9, 100, 1),
        Day(2026, 11, 10, 50, 2),
        Day(2026, 11, 9, 999),
        Day(2026, 12, 1, 7),
        Day(2026, 12, 13, 3), // after today (the clock went back): this week's, not
                              // a day's bar
        Day(2026, 9, 21, 11),
        Day(2026, 9, 20, 13),
        Day(2025, 12, 31, 17),
        Day(2026, 2, 30, 19),
        Day(2026, 12, 2, std::nan("")),
        Day(2026, 12, 3, -5),
    };

    HistoryBars daily = BuildBars(days, kToday, HistoryPeriod::kDays);
    ASSERT_EQ(daily.count, 30);
    EXPECT_EQ(daily.bars[29].first, kToday);
    EXPECT_EQ(daily.bars[0].first,
              (CalendarDate{2026, 11, 10})); // 29 days back: 9 in December, 20 in November
    EXPECT_EQ(daily.bars[0].figures.distanceCm, 50);
    EXPECT_EQ(daily.bars[0].figures.presses, 2u);
    EXPECT_EQ(daily.bars[21].first, (CalendarDate{2026, 12, 1}));
    EXPECT_EQ(daily.bars[21].figures.distanceCm, 7);
    EXPECT_EQ(daily.bars[29].figures.distanceCm, 100);
    double total = 0;
    for (int i = 0; i < daily.count; ++i) {
        total += daily.bars[i].figures.distanceCm;
    }
    EXPECT_EQ(total, 157); // 50 + 7 + 100: the NaN and the negative day count 0

    HistoryBars weekly = BuildBars(days, kToday, HistoryPeriod::kWeeks);
    ASSERT_EQ(weekly.count, 12);
    EXPECT_EQ(weekly.bars[11].first, (CalendarDate{2026, 12, 7}));
    EXPECT_EQ(weekly.bars[11].last, (CalendarDate{2026, 12, 13}));
    EXPECT_EQ(weekly.bars[11].figures.distanceCm, 103);           // 100 + 3
    EXPECT_EQ(weekly.bars[0].first, (CalendarDate{2026, 9, 21})); // 11 weeks before 7 December
    EXPECT_EQ(weekly.bars[0].figures.distanceCm, 11);

    HistoryBars monthly = BuildBars(days, CalendarDate{2026, 1, 15}, HistoryPeriod::kMonths);
    ASSERT_EQ(monthly.count, 12);
    EXPECT_EQ(monthly.bars[0].first, (CalendarDate{2025, 2, 1}));
    EXPECT_EQ(monthly.bars[0].last, (CalendarDate{2025, 2, 28}));
    EXPECT_EQ(monthly.bars[10].figures.distanceCm, 17); // December 2025
    EXPECT_EQ(monthly.bars[11].last, (CalendarDate{2026, 1, 31}));

    EXPECT_EQ(BuildBars(days, CalendarDate{2026, 2, 30}, HistoryPeriod::kDays).count, 0);
}

TEST(HistorySummary, TodayYesterdayWeekMonthAndTheRecordDay) {
    DayList days = {
        Day(2026, 12, 9, 100),  Day(2026, 12, 8, 40),   Day(2026, 12, 7, 10),
        Day(2026, 12, 6, 500),  Day(2026, 11, 30, 500), Day(2026, 12, 10, std::nan("")),
        Day(2026, 4, 31, 9000),
    };
    HistorySummary summary = SummariseHistory(days, kToday);
    EXPECT_EQ(summary.today.distanceCm, 100);
    EXPECT_EQ(summary.yesterday.distanceCm, 40);
    EXPECT_EQ(summary.thisWeek.distanceCm, 150);  // Monday 7 to today
    EXPECT_EQ(summary.thisMonth.distanceCm, 650); // 100 + 40 + 10 + 500
    ASSERT_TRUE(summary.hasRecordDay);
    EXPECT_EQ(summary.recordDate, (CalendarDate{2026, 11, 30})); // of two equal days, the earlier
    EXPECT_EQ(summary.recordDistanceCm, 500);

    EXPECT_FALSE(SummariseHistory({Day(2026, 12, 9, 0)}, kToday).hasRecordDay);
    std::uint64_t most = ~std::uint64_t{0};
    DayEntry full = Day(2026, 12, 9, 1, most);
    EXPECT_EQ(SummariseHistory({full, full}, kToday).today.presses, most); // sums stop at the top

    // A distance beyond any day's counts as 0, as a damaged one does: sums stay finite.
    HistorySummary huge = SummariseHistory({Day(2026, 12, 8, 1e308), Day(2026, 12, 9, 1e308)}, kToday);
    EXPECT_EQ(huge.thisWeek.distanceCm, 0);
    EXPECT_FALSE(huge.hasRecordDay);
    EXPECT_EQ(SummariseHistory({Day(2026, 12, 8, 1e12), Day(2026, 12, 9, 1e12)}, kToday).thisWeek.distanceCm,
              2e12);
}

TEST(HistoryAxis, RoundStepsThatReachTheHighestBar) {
    struct Case {
        double highest;
        int mostSteps;
        double step;
        int steps;
        int decimals;
    };
    const Case cases[] = {
        {0, 5, 1, 1, 0},
        {5, 5, 1, 5, 0},
        {100, 5, 20, 5, 0},
        {101, 5, 50, 3, 0},
        {0.3, 5, 0.1, 3, 1},
        {0.00042, 5, 0.0001, 5, 4},
        {7, 4, 2, 4, 0},
        {123456, 5, 50000, 3, 0},
        {std::nan(""), 5, 1, 1, 0},
        {-4, 5, 1, 1, 0},
        // Beyond what a record holds the axis stays finite: a highest value whose step
        // would underflow is the axis of 0, the largest double one of 10^300.
        {5e-324, 5, 1, 1, 0},
        {1e-300, 1, 1, 1, 0},
        {DBL_MAX, 1, 1e300, 1, 0},
        {DBL_MAX, 5, 2e299, 5, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.highest);
        ValueAxis axis = ChooseValueAxis(c.highest, c.mostSteps);
        EXPECT_DOUBLE_EQ(axis.step, c.step);
        EXPECT_EQ(axis.steps, c.steps);
        EXPECT_DOUBLE_EQ(axis.top, c.step * c.steps);
        EXPECT_EQ(axis.decimals, c.decimals);
    }
}

TEST(HistoryTexts, DistancesTimesMarksAndTheLineUnderTheChart) {
    char text[kHistoryTextCapacity];
    const struct {
        double cm;
        double divisor;
        const char* shown;
    } distances[] = {{12345, 1, "12345 cm"},
                     {12345, 100, "123.45 m"},
                     {12345, 100000, "0.12345 km"},
                     {std::nan(""), 100, "0.00 m"},
                     {12345, 7, "12345 cm"}};
    for (const auto& d : distances) {
        FormatHistoryDistance(d.cm, d.divisor, text, sizeof text);
        EXPECT_STREQ(text, d.shown);
    }
    FormatActiveTime(3725, text, sizeof text);
    EXPECT_STREQ(text, "1:02:05");
    FormatActiveTime(360000, text, sizeof text);
    EXPECT_STREQ(text, "100:00:00");

    DayEntry day = Day(2026, 12, 9, 12345, 3);
    day.figures.wheelNotches = 4;
    day.figures.activeSeconds = 3725;
    const char* const expected[] = {
        "mer 09.12.2026: 123.45 m, 3 clic, 4 scatti della rotella, attivo 1:02:05",
        "settimana 50 del 2026 (07.12 - 13.12): 123.45 m, 3 clic, 4 scatti della rotella, attivo 1:02:05",
        "dicembre 2026: 123.45 m, 3 clic, 4 scatti della rotella, attivo 1:02:05",
    };
    const HistoryPeriod periods[] = {HistoryPeriod::kDays, HistoryPeriod::kWeeks, HistoryPeriod::kMonths};
    for (int p = 0; p < 3; ++p) {
        HistoryBars bars = BuildBars({day}, kToday, periods[p]);
        FormatBarDescription(bars.bars[bars.count - 1], periods[p], 100, text, sizeof text);
        EXPECT_STREQ(text, expected[p]);
    }

    // Days: the Mondays 16, 23, 30 November and 7 December, and today.
    HistoryBars daily = BuildBars({}, kToday, HistoryPeriod::kDays);
    std::set<int> marked;
    for (int i = 0; i < daily.count; ++i) {
        FormatBarMark(daily, i, text, sizeof text);
        if (text[0] != '\0') {
            marked.insert(i);
        }
    }
    EXPECT_EQ(marked, (std::set<int>{6, 13, 20, 27, 29}));
    FormatBarMark(daily, 6, text, sizeof text);
    EXPECT_STREQ(text, "16/11");
    HistoryBars weekly = BuildBars({}, kToday, HistoryPeriod::kWeeks);
    FormatBarMark(weekly, 11, text, sizeof text);
    EXPECT_STREQ(text, "07/12");
    FormatBarMark(weekly, 10, text, sizeof text);
    EXPECT_STREQ(text, "");
    HistoryBars monthly = BuildBars({}, kToday, HistoryPeriod::kMonths);
    FormatBarMark(monthly, 0, text, sizeof text);
    EXPECT_STREQ(text, "gen");
    FormatBarMark(monthly, 12, text, sizeof text);
    EXPECT_STREQ(text, "");
}

} // namespace
