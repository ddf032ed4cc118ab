// The chart's bars, the figures beside it and the value axis over any days (distances
// of any double, dates real or not) and any today: every sum is finite, and the axis is
// finite, round and reaches the highest bar.
#include <cmath>
#include <cstring>

#include "bench/fuzz/FuzzInput.h"
#include "engine/HistorySummary.h"

namespace {

CalendarDate TakeDate(FuzzInput& input) {
    CalendarDate date;
    date.year = input.Take<std::uint16_t>() % 10001;
    date.month = input.Byte() % 14;
    date.day = input.Byte() % 33;
    return date;
}

void ExpectCounted(const DayFigures& figures) {
    FUZZ_CHECK(std::isfinite(figures.distanceCm) && figures.distanceCm >= 0);
}

// The axis for a highest value: round steps (1, 2 or 5 times a power of ten), finite, and
// a top at or above the highest value.
void ExpectAxis(double highest, int mostSteps) {
    ValueAxis axis = ChooseValueAxis(highest, mostSteps);
    FUZZ_CHECK(std::isfinite(axis.step) && axis.step > 0 && std::isfinite(axis.top));
    FUZZ_CHECK(axis.steps >= 1 && axis.steps <= (mostSteps < 1 ? 1 : mostSteps));
    FUZZ_CHECK(axis.decimals >= 0 && axis.decimals <= 25);
    double mantissa = axis.step / std::pow(10.0, std::floor(std::log10(axis.step) + 1e-9));
    FUZZ_CHECK(std::fabs(mantissa - 1) < 1e-6 || std::fabs(mantissa - 2) < 1e-6 ||
               std::fabs(mantissa - 5) < 1e-6);
    if (highest > 0 && highest <= 1e300) {
        FUZZ_CHECK(axis.top >= highest * (1 - 1e-9) || axis.top == 1);
    }
    char label[48];
    FUZZ_CHECK(std::snprintf(label, sizeof label, "%.*f", axis.decimals, axis.top) > 0);
}

} // namespace

// Input: today's date (four bytes), the most steps, then days of 16 bytes each: the
// date (four bytes), the distance as a double's bytes, presses (four bytes).
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput input(data, size);
    CalendarDate today = TakeDate(input);
    int mostSteps = static_cast<int>(input.Byte()) - 128; // negative, zero and positive alike
    DayList days;
    while (!input.Empty() && days.size() < 128) {
        DayEntry day;
        day.date = TakeDate(input);
        day.figures.distanceCm = input.Take<double>();
        day.figures.presses = input.Take<std::uint32_t>();
        days.Append(day);
    }

    for (HistoryPeriod period : {HistoryPeriod::kDays, HistoryPeriod::kWeeks, HistoryPeriod::kMonths}) {
        HistoryBars bars = BuildBars(days, today, period);
        FUZZ_CHECK(bars.count == (IsValidDate(today) ? BarCount(period) : 0));
        double highest = 0;
        for (int i = 0; i < bars.count; ++i) {
            ExpectCounted(bars.bars[i].figures);
            highest = std::fmax(highest, bars.bars[i].figures.distanceCm);
            char text[kHistoryTextCapacity];
            FormatBarMark(bars, i, text, sizeof text);
            FormatBarDescription(bars.bars[i], period, 100, text, sizeof text);
            FUZZ_CHECK(std::strlen(text) < sizeof text);
        }
        for (double divisor : {1.0, 100.0, 100000.0}) {
            ExpectAxis(highest / divisor, mostSteps);
        }
    }
    HistorySummary summary = SummariseHistory(days, today);
    for (const DayFigures* figures :
         {&summary.today, &summary.yesterday, &summary.thisWeek, &summary.thisMonth}) {
        ExpectCounted(*figures);
    }
    FUZZ_CHECK(!summary.hasRecordDay || (summary.recordDistanceCm > 0 && IsValidDate(summary.recordDate)));
    // The axis alone, for any highest value at all.
    ExpectAxis(input.Take<double>(), mostSteps);
    return 0;
}
