// Cost of the measuring step that runs for every input event of the desktop.
#include "engine/Odometer.h"

#include <benchmark/benchmark.h>

namespace {

// A pointer sweeping back and forth, one event per call, with the tick count
// advancing a few milliseconds per event as the real counter does.
void BM_MeasurePointerMove(benchmark::State& run) {
    OdometerState state;
    SpeedSampleWindow window;
    ApplyScreenCalibration(state, 339, 254, 1280, 960);
    StartMeasuring(state, 1000);
    PixelPoint point{1, 1};
    TickCount now = 1000;
    long step = 3;
    for (auto _ : run) {
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

// Keys and clicks only pass through.
void BM_MeasureOtherEvent(benchmark::State& run) {
    OdometerState state;
    SpeedSampleWindow window;
    PixelPoint point{5, 5};
    for (auto _ : run) {
        benchmark::DoNotOptimize(MeasurePointerEvent(state, window, kHookActionCode, 0x0100, &point, 1));
    }
}
BENCHMARK(BM_MeasureOtherEvent);

} // namespace

BENCHMARK_MAIN();
