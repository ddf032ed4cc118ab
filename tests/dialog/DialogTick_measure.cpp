// The cost of one dialog tick under Wine: the idle step, sixteen drums, the needle and
// the two speed texts. A measured run that prints its figures; the checks are about
// what the ticks did, never about how long they took (see docs/performance.md).
#include "DialogHarness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "engine/DisplayTexts.h"
#include "resources/resource.h"
#include "shell/Globals.h"
#include "support/GdiTally.h"

namespace {

constexpr int kWarmUpTicks = 50;
constexpr int kMeasuredTicks = 1000;
constexpr int kPaintedTicks = 200;

double Microseconds(LONGLONG ticks, LONGLONG frequency) {
    return static_cast<double>(ticks) * 1e6 / static_cast<double>(frequency);
}

void Report(const char* what, std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    double sum = 0;
    for (double sample : samples) {
        sum += sample;
    }
    auto at = [&](double share) { return samples[static_cast<std::size_t>(share * (samples.size() - 1))]; };
    std::printf("%-44s n=%-5zu mean %6.0f us  median %6.0f us  p95 %6.0f us  max %6.0f us\n", what,
                samples.size(), sum / static_cast<double>(samples.size()), at(0.5), at(0.95), samples.back());
    std::fflush(stdout);
}

// The state the hook leaves for one second of each kind.
struct Scenario {
    const char* name;
    void (*prepare)(int second);
};

// The pointer rested: no distance, the idle step brings the speed to 0.
void RestingSecond(int) { appState.movedSinceTick = 0; }

// The pointer moved some centimetres: the last drums, the needle and the texts change.
void MovingSecond(int second) {
    appState.distanceCm += 23.7;
    appState.currentSpeed = 500 + (second * 37) % 4000;
    appState.averageSpeed = 300 + second % 50;
    appState.movedSinceTick = 1;
}

// The worst case: every one of the sixteen drums shows another digit than before.
void EveryDrumChanges(int second) {
    appState.distanceCm = second % 2 == 0 ? 1111111111 : 2222222222;
    appState.maxSpeed = second % 2 == 0 ? 111111 : 222222;
    appState.currentSpeed = second % 2 == 0 ? 1000 : 9000;
    appState.movedSinceTick = 1;
}

const Scenario kScenarios[] = {
    {"resting second", RestingSecond},
    {"moving second", MovingSecond},
    {"every drum changes", EveryDrumChanges},
};

std::vector<double> TimeTicks(HWND dialog, const Scenario& scenario, int count, bool withRepaint,
                              LONGLONG frequency) {
    std::vector<double> samples;
    for (int second = 0; second < count; ++second) {
        scenario.prepare(second);
        LARGE_INTEGER start;
        LARGE_INTEGER end;
        QueryPerformanceCounter(&start);
        SendMessageA(dialog, WM_TIMER, 0, 0);
        if (withRepaint) {
            RedrawWindow(dialog, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        }
        QueryPerformanceCounter(&end);
        samples.push_back(Microseconds(end.QuadPart - start.QuadPart, frequency));
    }
    return samples;
}

TEST(DialogTick, MeasuredCost) {
    ResetDialogState();
    appState.distanceCm = 1000000;
    appState.unitDivisor = kCentimetres;
    appState.startTicks = GetTickCount() - 60000;
    long baseline = GdiObjectsInUse();
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);

    RunPropertiesDialog([&](HWND dialog) {
        long held = GdiObjectsInUse();
        TimeTicks(dialog, kScenarios[1], kWarmUpTicks, true, frequency.QuadPart);
        SettleDialog(dialog);
        for (const Scenario& scenario : kScenarios) {
            // The tick's own work, as the timer message runs it, then the same with the
            // repaint of the drums and texts it causes.
            Report(scenario.name, TimeTicks(dialog, scenario, kMeasuredTicks, false, frequency.QuadPart));
            std::string painted = std::string(scenario.name) + ", with the repaint";
            Report(painted.c_str(), TimeTicks(dialog, scenario, kPaintedTicks, true, frequency.QuadPart));
            EXPECT_EQ(GdiObjectsInUse(), held) << scenario.name;
            EXPECT_EQ(appState.movedSinceTick, 0) << scenario.name;
        }
        // The last worst-case tick left 2222222222 cm and 2222.22 on the drums.
        char expected[kSpeedTextCapacity];
        FormatSpeedText(appState.currentSpeed, expected, sizeof expected);
        EXPECT_EQ(ControlText(dialog, IDC_CURRENT_SPEED), expected);
        auto last = reinterpret_cast<HBITMAP>(
            SendDlgItemMessageA(dialog, IDC_DISTANCE_CELL_FIRST + 9, STM_GETIMAGE, IMAGE_BITMAP, 0));
        EXPECT_EQ(BitmapPixels(last).rgb, ResourcePixels(IDB_DIGIT_0 + 2).rgb);
    });
    EXPECT_EQ(GdiObjectsInUse(), baseline);
}

} // namespace
