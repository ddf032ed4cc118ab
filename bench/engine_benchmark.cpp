// Cost of the measuring step that runs for every input event of the desktop.
#include "engine/DayRecord.h"
#include "engine/Monitors.h"
#include "engine/Odometer.h"

#include <benchmark/benchmark.h>

namespace {

// A pointer sweeping back and forth over one monitor, one event per call, with the tick
// count advancing a few milliseconds per event as the real counter does.
void BM_MeasurePointerMove(benchmark::State& run) {
    OdometerState state;
    SpeedSampleWindow window;
    ApplyScreenCalibration(state, 339, 254, 1280, 960);
    StartMeasuring(state, 1000);
    PixelPoint point{1, 1};
    TickCount now = 1000;
    long step = 3;
    for (auto _ : run) { // NOLINT(clang-analyzer-deadcode.DeadStores): the benchmark loop's own idiom
        point.x += step;
        point.y += 1;
        if (point.x > 1270 || point.x < 2) {
            step = -step;
        }
        if (point.y > 950) {
            point.y = 1;
        }
        now += 4;
        benchmark::DoNotOptimize(
            MeasurePointerEvent(state, window, kHookActionCode, kMouseMoveMessage, &point, now));
    }
    benchmark::DoNotOptimize(state.distanceCm);
}
BENCHMARK(BM_MeasurePointerMove);

// Four monitors of different sizes and factors, one left of the primary (negative
// coordinates), one right, one below; the pointer sweeps diagonally across all of them. A
// harsh case: 38 % of the events lie where no monitor is (beyond the desktop's edges or in
// its empty corners) and take the full nearest-monitor search, and one in about 800
// crosses from one monitor to another.
void BM_MeasurePointerMoveFourMonitors(benchmark::State& run) {
    OdometerState state;
    SpeedSampleWindow window;
    MonitorLayout layout;
    layout.count = 4;
    layout.monitors[0] = MonitorArea{0, 0, 2560, 1440, 0.2331, 0.2331};
    layout.monitors[1] = MonitorArea{-1920, 200, 0, 1280, 0.2745, 0.2745};
    layout.monitors[2] = MonitorArea{2560, 0, 4480, 1200, 0.28, 0.28};
    layout.monitors[3] = MonitorArea{0, 1440, 1920, 2520, 0.25, 0.25};
    SetMonitorLayout(state, layout);
    StartMeasuring(state, 1000);
    PixelPoint point{0, 700};
    TickCount now = 1000;
    long step = 5;
    long rise = 1;
    for (auto _ : run) { // NOLINT(clang-analyzer-deadcode.DeadStores): the benchmark loop's own idiom
        point.x += step;
        point.y += rise;
        if (point.x > 4500 || point.x < -1940) {
            step = -step;
        }
        if (point.y > 2530 || point.y < -10) {
            rise = -rise;
        }
        now += 4;
        benchmark::DoNotOptimize(
            MeasurePointerEvent(state, window, kHookActionCode, kMouseMoveMessage, &point, now));
    }
    benchmark::DoNotOptimize(state.distanceCm);
}
BENCHMARK(BM_MeasurePointerMoveFourMonitors);

// Keys and clicks only pass through.
void BM_MeasureOtherEvent(benchmark::State& run) {
    OdometerState state;
    SpeedSampleWindow window;
    PixelPoint point{5, 5};
    for (auto _ : run) { // NOLINT(clang-analyzer-deadcode.DeadStores): the benchmark loop's own idiom
        benchmark::DoNotOptimize(MeasurePointerEvent(state, window, kHookActionCode, 0x0100, &point, 1));
    }
}
BENCHMARK(BM_MeasureOtherEvent);

// A button press: counted for the day, nothing measured.
void BM_CountPress(benchmark::State& run) {
    OdometerState state;
    for (auto _ : run) { // NOLINT(clang-analyzer-deadcode.DeadStores): the benchmark loop's own idiom
        benchmark::DoNotOptimize(CountDayEvent(state, kHookActionCode, kLeftButtonDownMessage, 0));
    }
    benchmark::DoNotOptimize(state.dayFigures.presses);
}
BENCHMARK(BM_CountPress);

// A fine-grained wheel: 30 units a turn, a notch every fourth turn.
void BM_CountWheelTurn(benchmark::State& run) {
    OdometerState state;
    for (auto _ : run) { // NOLINT(clang-analyzer-deadcode.DeadStores): the benchmark loop's own idiom
        benchmark::DoNotOptimize(CountDayEvent(state, kHookActionCode, kWheelMessage, -30));
    }
    benchmark::DoNotOptimize(state.dayFigures.wheelNotches);
}
BENCHMARK(BM_CountWheelTurn);

} // namespace

BENCHMARK_MAIN();
