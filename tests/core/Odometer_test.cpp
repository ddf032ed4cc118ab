#include "engine/Odometer.h"

#include <cmath>
#include <tuple>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

namespace {

constexpr unsigned kKeyDown = 0x0100;    // WM_KEYDOWN
constexpr unsigned kLeftButton = 0x0201; // WM_LBUTTONDOWN
constexpr unsigned kMouseWheel = 0x020A; // WM_MOUSEWHEEL

// Every figure a skipped event must leave as it was.
auto Figures(const OdometerState& state) {
    return std::make_tuple(state.distanceCm, state.layout.count, state.maxSpeed, state.currentSpeed,
                           state.averageSpeed, state.hasPrevious, state.lastPosition.x, state.lastPosition.y,
                           state.lastMonitor, state.refDistanceCm, state.startTicks, state.startDistanceCm,
                           state.refTicks, state.movedSinceTick);
}

// A screen of 320 x 240 mm at 1280 x 960 pixels: 0.25 mm per pixel both ways.
class OdometerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ApplyScreenCalibration(state, 320, 240, 1280, 960);
        StartMeasuring(state, 1000);
    }

    bool Move(long x, long y, TickCount when) {
        at = PixelPoint{x, y};
        now = when;
        PixelPoint point = at;
        return MeasurePointerEvent(state, window, kHookActionCode, kMouseMoveMessage, &point, now);
    }

    // From the last move on: `moves` more, each dx pixels to the right and dt ms later.
    void MoveOn(int moves, long dx, TickCount dt) {
        for (int move = 0; move < moves; ++move) {
            Move(at.x + dx, at.y, now + dt);
        }
    }

    // A full window of samples of 2 cm in 100 ms.
    void FillWindowWithTwoCentimetreSamples() {
        window.sampleCount = 5;
        for (int slot = 0; slot < 5; ++slot) {
            window.distanceSamples[slot] = 2;
            window.timeSamples[slot] = 100;
        }
    }

    OdometerState state;
    SpeedSampleWindow window;
    PixelPoint at{0, 0};
    TickCount now = 0;
};

TEST_F(OdometerTest, CalibrationFromTheScreenSize) {
    ASSERT_EQ(state.layout.count, 1);
    const MonitorArea& screen = state.layout.monitors[0];
    EXPECT_EQ(screen.left, 0);
    EXPECT_EQ(screen.top, 0);
    EXPECT_EQ(screen.right, 1280);
    EXPECT_EQ(screen.bottom, 960);
    EXPECT_EQ(screen.mmPerPixelX, 0.25);
    EXPECT_EQ(screen.mmPerPixelY, 0.25);

    OdometerState wine;
    ApplyScreenCalibration(wine, 339, 254, 1280, 960);
    EXPECT_DOUBLE_EQ(wine.layout.monitors[0].mmPerPixelX, 339.0 / 1280.0);
    EXPECT_DOUBLE_EQ(wine.layout.monitors[0].mmPerPixelY, 254.0 / 960.0);
}

TEST_F(OdometerTest, CalibrationWithoutAResolutionCountsNothing) {
    OdometerState blind;
    ApplyScreenCalibration(blind, 320, 240, 0, 0);
    EXPECT_EQ(blind.layout.count, 0);
    SpeedSampleWindow samples;
    PixelPoint from{100, 100}, to{400, 500};
    MeasurePointerEvent(blind, samples, kHookActionCode, kMouseMoveMessage, &from, 10);
    MeasurePointerEvent(blind, samples, kHookActionCode, kMouseMoveMessage, &to, 20);
    EXPECT_EQ(blind.distanceCm, 0);
}

// Paths of moves 10 ms apart, and the distance after each: the worked example, a hundred
// pixels across, and the top-left pixel, where people fling the pointer, as an ordinary
// position (moves to it and away from it count, a first move onto it is recorded; 40
// pixels at 0.25 mm are 1 cm). A first move only records the position.
TEST_F(OdometerTest, WorkedExampleDistance) {
    struct Step {
        long x, y;
        double distanceCm;
    };
    const std::vector<Step> paths[] = {
        {{100, 100, 0}, {400, 500, 12.5}},
        {{200, 300, 0}, {300, 300, 2.5}},
        {{40, 0, 0}, {0, 0, 1.0}, {40, 0, 2.0}, {80, 0, 3.0}},
        {{0, 0, 0}, {0, 40, 1.0}},
    };
    for (const auto& path : paths) {
        state = OdometerState();
        window = SpeedSampleWindow();
        SetUp();
        TickCount when = 1000;
        for (const Step& step : path) {
            EXPECT_TRUE(Move(step.x, step.y, when += 10));
            EXPECT_EQ(state.distanceCm, step.distanceCm) << step.x << "," << step.y;
            EXPECT_TRUE(state.hasPrevious);
            EXPECT_EQ(state.lastPosition.x, step.x);
            EXPECT_EQ(state.lastPosition.y, step.y);
        }
    }
}

TEST_F(OdometerTest, StandingStillAddsNothingAndIsIdle) {
    Move(100, 100, 1010);
    Move(200, 100, 1020);
    state.currentSpeed = 55; // as if an earlier window had measured a speed
    TakeSpeedReference(state, 1020);
    Move(200, 100, 1500);
    EXPECT_EQ(state.distanceCm, 2.5);
    EXPECT_EQ(state.currentSpeed, 0);
    EXPECT_EQ(state.refTicks, 1500u);
    EXPECT_EQ(state.movedSinceTick, 1);
}

TEST_F(OdometerTest, OtherEventsArePassedOverUntouched) {
    Move(100, 100, 1010);
    state.movedSinceTick = 0;
    OdometerState before = state;
    PixelPoint elsewhere{900, 900};
    const int kNoRemove = 3; // HC_NOREMOVE
    for (auto event :
         {std::make_pair(kHookActionCode, kKeyDown), std::make_pair(kHookActionCode, kLeftButton),
          std::make_pair(kHookActionCode, kMouseWheel), std::make_pair(kNoRemove, kMouseMoveMessage)}) {
        EXPECT_FALSE(MeasurePointerEvent(state, window, event.first, event.second, &elsewhere, 1100));
    }
    EXPECT_EQ(Figures(state), Figures(before));
    EXPECT_EQ(window.sampleCount, 0);
}

TEST_F(OdometerTest, AnUnreadablePositionSkipsTheEvent) {
    Move(100, 100, 1010);
    state.movedSinceTick = 0;
    OdometerState before = state;
    EXPECT_FALSE(MeasurePointerEvent(state, window, kHookActionCode, kMouseMoveMessage, nullptr, 1100));
    EXPECT_EQ(Figures(state), Figures(before));
}

TEST_F(OdometerTest, WorkedExampleSpeedOfAFullWindow) {
    // Four earlier samples of 2 cm in 100 ms each; the fifth arrives with the next move.
    FillWindowWithTwoCentimetreSamples();
    Move(100, 100, 1000);
    TakeSpeedReference(state, 1000);
    Move(180, 100, 1100); // 80 pixels = 2 cm in 100 ms
    EXPECT_DOUBLE_EQ(state.currentSpeed, 720);
    EXPECT_DOUBLE_EQ(state.maxSpeed, 720);
    EXPECT_EQ(state.refTicks, 1100u);
    EXPECT_EQ(state.refDistanceCm, state.distanceCm);
}

TEST_F(OdometerTest, WarmUpTakesFiveSamplesBeforeTheFirstSpeed) {
    Move(0, 1, 1000);
    for (int move = 1; move <= 5; ++move) {
        MoveOn(1, 80, 100);
        EXPECT_EQ(state.currentSpeed, 0) << "sample " << move;
        EXPECT_EQ(state.maxSpeed, 0);
        EXPECT_EQ(window.sampleCount, move);
        EXPECT_EQ(state.refTicks, 1000u); // warm-up samples all measure from the start
    }
    // The warm-up samples are cumulative: 2, 4, 6, 8, 10 cm over 100 ... 500 ms.
    Move(480, 1, 1600);
    // Slots after the shift: 4, 6, 8, 10 cm and the new 12 cm; 200 ... 600 ms.
    EXPECT_DOUBLE_EQ(state.currentSpeed, 40.0 * 36000 / 2000);
    EXPECT_DOUBLE_EQ(state.maxSpeed, state.currentSpeed);
    EXPECT_DOUBLE_EQ(state.averageSpeed, 12.0 * 36000 / 600);
}

TEST_F(OdometerTest, HighestSpeedKeepsTheHighest) {
    ApplyScreenCalibration(state, 1280, 240, 5120, 960); // wide enough for the run: 0.25 mm per pixel
    Move(0, 1, 1000);
    MoveOn(5, 80, 100);
    MoveOn(6, 320, 100); // fast: 8 cm per 100 ms from now on
    double fast = state.maxSpeed;
    EXPECT_DOUBLE_EQ(state.currentSpeed, 8.0 * 36000 / 100);
    EXPECT_DOUBLE_EQ(fast, state.currentSpeed);
    MoveOn(6, 40, 100); // slower: the current speed falls, the highest stays
    EXPECT_LT(state.currentSpeed, fast);
    EXPECT_DOUBLE_EQ(state.currentSpeed, 1.0 * 36000 / 100);
    EXPECT_DOUBLE_EQ(state.maxSpeed, fast);
}

TEST_F(OdometerTest, AWindowWithoutElapsedTimeKeepsEverySpeedFinite) {
    // Eleven moves inside one tick: the window's time sum is 0.
    Move(10, 7, 1000);
    MoveOn(11, 40, 0);
    EXPECT_GT(state.distanceCm, 0);
    EXPECT_TRUE(std::isfinite(state.currentSpeed));
    EXPECT_TRUE(std::isfinite(state.maxSpeed));
    EXPECT_TRUE(std::isfinite(state.averageSpeed));
    EXPECT_EQ(state.currentSpeed, 0);
    EXPECT_EQ(state.maxSpeed, 0);
    EXPECT_EQ(state.averageSpeed, 0);
    // Once time passes, the same window yields a real speed.
    Move(600, 7, 1100);
    EXPECT_GT(state.currentSpeed, 0);
    EXPECT_TRUE(std::isfinite(state.currentSpeed));
}

TEST_F(OdometerTest, AnAverageAtTheTickOfStartKeepsItsValue) {
    Move(100, 100, 1000);
    Move(100, 100, 1000); // idle step at the very tick of start
    EXPECT_EQ(state.averageSpeed, 0);
    EXPECT_FALSE(std::isnan(state.averageSpeed));
    state.movedSinceTick = 0;
    IdleTick(state, 1000);
    EXPECT_EQ(state.averageSpeed, 0);
}

TEST(OdometerStart, ALoadedDistanceIsNotTakenForOneGiantMove) {
    OdometerState state;
    SpeedSampleWindow window;
    ApplyScreenCalibration(state, 320, 240, 1280, 960);
    state.distanceCm = 5000000; // fifty kilometres from earlier runs
    state.startDistanceCm = state.distanceCm;
    StartMeasuring(state, 200000);
    EXPECT_EQ(state.refDistanceCm, state.distanceCm);
    EXPECT_EQ(state.refTicks, 200000u);
    PixelPoint point{10, 10};
    TickCount now = 200000;
    for (int move = 0; move < 12; ++move) {
        point.x += 40;
        now += 50;
        MeasurePointerEvent(state, window, kHookActionCode, kMouseMoveMessage, &point, now);
    }
    // 1 cm per 50 ms is 720 m/h; nothing near the loaded fifty kilometres enters the window.
    EXPECT_LE(state.maxSpeed, 720 * 3);
    EXPECT_DOUBLE_EQ(state.currentSpeed, 720);
    for (double sample : window.distanceSamples) {
        EXPECT_LT(sample, 100);
    }
}

TEST_F(OdometerTest, IdleTickOnlyWhenThePointerRested) {
    Move(100, 100, 1000);
    MoveOn(7, 40, 100);
    double current = state.currentSpeed;
    ASSERT_GT(current, 0);

    // A second with moves: nothing changes.
    IdleTick(state, 2000);
    EXPECT_EQ(state.currentSpeed, current);
    EXPECT_EQ(state.refTicks, 1700u);

    // A second without: the speed drops to 0 and the average is taken from the whole run.
    state.movedSinceTick = 0;
    IdleTick(state, 3000);
    EXPECT_EQ(state.currentSpeed, 0);
    EXPECT_EQ(state.refTicks, 3000u);
    EXPECT_DOUBLE_EQ(state.averageSpeed, state.distanceCm * 36000 / 2000);
}

TEST_F(OdometerTest, ResetKeepsTheSpeedsWorking) {
    Move(100, 100, 1000);
    MoveOn(8, 40, 100);
    double movedBefore = state.distanceCm;
    double highest = state.maxSpeed;
    TextString since("01.01.2000");
    ResetCounter(state, since, CalendarDate{2026, 12, 9});
    EXPECT_EQ(state.distanceCm, 0);
    EXPECT_EQ(state.maxSpeed, highest);
    EXPECT_TRUE(since == "09.12.2026") << since.buffer;

    MoveOn(6, 40, 100); // moving on after the reset: the current speed is measured, not stuck at 0
    EXPECT_DOUBLE_EQ(state.currentSpeed, 1.0 * 36000 / 100);
    EXPECT_DOUBLE_EQ(state.distanceCm, 6.0);
    // The average since start covers everything moved since start, never negative.
    EXPECT_DOUBLE_EQ(state.averageSpeed, (movedBefore + 6.0) * 36000 / (now - 1000));
    state.movedSinceTick = 0;
    IdleTick(state, now + 1000);
    EXPECT_GT(state.averageSpeed, 0);
    EXPECT_DOUBLE_EQ(state.averageSpeed, (movedBefore + 6.0) * 36000 / (now + 1000 - 1000));
}

// A tick read before another thread's later reference is no time at all, not 49.7 days;
// half the counter's range (2^31 ms) tells a wrap from that.
TEST(OdometerWrap, ATickBeforeTheReferenceIsNoTime) {
    const struct {
        TickCount reference, now, expected;
    } kCases[] = {
        {1000, 1100, 100},
        {0xFFFFFF00u, 0x00000100u, 0x200}, // across the wrap
        {1016, 1010, 0},                   // read 6 ms before the reference
        {0, 0x80000000u, 0},               // half the range: taken as before
    };
    for (const auto& test : kCases) {
        EXPECT_EQ(TicksSince(test.reference, test.now), test.expected)
            << test.reference << " to " << test.now;
    }
}

// The dialog takes its reference at 1016 while the hook, holding the tick 1010 it read
// earlier, waits for the lock. Four earlier samples of 2 cm in 100 ms and this one of 2 cm
// in no time: 10 cm in 400 ms, 900 m/h (the plain difference would give nearly 0).
TEST_F(OdometerTest, ASampleReadBeforeTheDialogsReferenceCountsNoTime) {
    FillWindowWithTwoCentimetreSamples();
    Move(100, 100, 1000);
    TakeSpeedReference(state, 1016);
    Move(180, 100, 1010);
    EXPECT_DOUBLE_EQ(state.currentSpeed, 900);
    EXPECT_EQ(window.timeSamples[4], 0);
    // The next sample measures from the hook's tick: 2 cm in 90 ms more.
    Move(260, 100, 1100);
    EXPECT_EQ(window.timeSamples[4], 90);
}

TEST(OdometerWrap, TickDifferencesSurviveTheCounterWrap) {
    EXPECT_EQ(TicksBetween(0xFFFFFF00u, 0x00000100u), 0x200u);
    EXPECT_EQ(TicksBetween(5, 5), 0u);

    OdometerState state;
    SpeedSampleWindow window;
    ApplyScreenCalibration(state, 320, 240, 1280, 960);
    TickCount now = 0xFFFFFE00u; // 49.7 days of uptime, half a second before the wrap
    StartMeasuring(state, now);
    PixelPoint point{4, 4};
    MeasurePointerEvent(state, window, kHookActionCode, kMouseMoveMessage, &point, now);
    for (int move = 0; move < 10; ++move) {
        point.x += 40;
        now += 100; // wraps on the sixth move
        MeasurePointerEvent(state, window, kHookActionCode, kMouseMoveMessage, &point, now);
        EXPECT_GE(state.currentSpeed, 0);
        EXPECT_GE(state.averageSpeed, 0);
    }
    EXPECT_DOUBLE_EQ(state.currentSpeed, 720 / 2.0);
    EXPECT_DOUBLE_EQ(state.averageSpeed, 10.0 * 36000 / 1000);
    state.movedSinceTick = 0;
    IdleTick(state, now + 1000);
    EXPECT_DOUBLE_EQ(state.averageSpeed, 10.0 * 36000 / 2000);
}

// Two digits for the day and the month; a clock that gave no real day gives no date.
TEST(OdometerDate, TheSinceDateHasTwoDigitDayAndMonth) {
    const struct {
        CalendarDate today;
        const char* text;
    } cases[] = {
        {{1997, 12, 7}, "07.12.1997"},
        {{2024, 2, 29}, "29.02.2024"},
        {{2023, 2, 29}, ""},
        {{0, 1, 1}, ""},
    };
    for (const auto& tested : cases) {
        TextString text = FormatSinceDate(tested.today);
        EXPECT_TRUE(text == tested.text) << text.buffer;
    }
}

} // namespace
