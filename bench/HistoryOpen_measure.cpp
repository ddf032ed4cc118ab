// How long the history window takes with ten years of record (3,650 days): from the
// call that opens it until it is shown and painted, and for each switch between days,
// weeks and months. A measured run that prints its figures; the checks are about what
// the window shows, never about how long it took (see docs/performance.md).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "engine/DisplayTexts.h"
#include "engine/HistorySummary.h"
#include "resources/resource.h"
#include "tests/dialog/DialogHarness.h"

namespace {

const CalendarDate kToday{2026, 12, 9};
constexpr int kDays = 3650;
constexpr int kOpenings = 7;

double Milliseconds(LONGLONG counts) { return MicrosecondsOf(counts) / 1000; }

void Print(const char* what, std::vector<double> times) {
    std::sort(times.begin(), times.end());
    std::printf("%-40s median %.2f ms, worst %.2f ms of %zu\n", what, times[times.size() / 2], times.back(),
                times.size());
}

// Ten years, and one day beside them: what the window costs without a record to speak of.
void MeasureOpenings(int dayCount) {
    DayList days;
    for (int i = 0; i < dayCount; ++i) {
        DayEntry day;
        day.date = CivilFromDays(DaysFromCivil(kToday) - (dayCount - 1 - i));
        day.figures = DayFigures{1000.0 + i, 10, 20, 30};
        days.Append(day);
    }
    std::vector<double> openings;
    std::vector<double> switches;
    static LONGLONG started = 0;
    static std::vector<double>* openingTimes = nullptr;
    static std::vector<double>* switchTimes = nullptr;
    openingTimes = &openings;
    switchTimes = &switches;
    for (int opening = 0; opening < kOpenings; ++opening) {
        started = PerformanceNow();
        RunHistoryWindow(days, kToday, kMetres, [](HWND dialog) {
            openingTimes->push_back(Milliseconds(PerformanceNow() - started));
            // The longest day is the newest.
            EXPECT_EQ(ControlText(dialog, IDC_HISTORY_RECORD_DATE), "09.12.2026");
            for (int id : {IDC_HISTORY_WEEKS, IDC_HISTORY_MONTHS, IDC_HISTORY_DAYS}) {
                LONGLONG before = PerformanceNow();
                Click(dialog, id);
                switchTimes->push_back(Milliseconds(PerformanceNow() - before));
            }
        });
    }
    std::printf("%d days:\n", dayCount);
    Print("opening, shown and painted", openings);
    Print("switching the period, repainted", switches);
}

TEST(HistoryOpening, TenYearsOfRecordAndOneDay) {
    MeasureOpenings(kDays);
    MeasureOpenings(1);
    MeasureOpenings(kDays);
}

} // namespace
