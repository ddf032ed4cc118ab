// The counting of one day: the midnight rule, the clock going back, presses, wheel
// notches, active seconds, and today's speeds across the wrap of the tick count.
#include "engine/DayRecord.h"

#include <gtest/gtest.h>

#include "engine/Odometer.h"

namespace {

constexpr CalendarDate kMonday{2026, 12, 7};
constexpr CalendarDate kTuesday{2026, 12, 8};
constexpr CalendarDate kThursday{2026, 12, 10};

// 320 x 240 mm at 1280 x 960 pixels: 0.25 mm per pixel, so 400 pixels across are 10 cm.
class DayRecordTest : public ::testing::Test {
protected:
    void SetUp() override {
        ApplyScreenCalibration(state, 320, 240, 1280, 960);
        StartMeasuring(state, 1000);
        DayEntry none;
        SwitchDay(state, kMonday, 1000, none);
        Move(100, 100, 1000);
    }

    // Back and forth along one row: every call after the first adds 10 cm.
    void Move(long x, long y, TickCount now) {
        PixelPoint point{x, y};
        MeasurePointerEvent(state, window, kHookActionCode, kMouseMoveMessage, &point, now);
    }
    void MoveAcross(TickCount now) { Move(state.lastPosition.x == 100 ? 500 : 100, 100, now); }

    OdometerState state;
    SpeedSampleWindow window;
};

TEST_F(DayRecordTest, AMoveBeforeMidnightStaysWithTheOldDayAndOneAfterStartsTheNew) {
    MoveAcross(2000);
    DayEntry finished;
    ASSERT_TRUE(SwitchDay(state, kTuesday, 3000, finished));
    EXPECT_EQ(finished.date, kMonday);
    EXPECT_DOUBLE_EQ(finished.figures.distanceCm, 10);
    EXPECT_EQ(finished.figures.activeSeconds, 1U);
    EXPECT_EQ(state.day, kTuesday);
    EXPECT_EQ(state.dayFigures.distanceCm, 0);

    MoveAcross(4000);
    EXPECT_DOUBLE_EQ(state.dayFigures.distanceCm, 10);
    EXPECT_DOUBLE_EQ(state.distanceCm, 20); // the counter runs on across days
    // The same date, or one that could not be read, switches nothing.
    EXPECT_FALSE(SwitchDay(state, kTuesday, 5000, finished));
    EXPECT_FALSE(SwitchDay(state, CalendarDate{2026, 2, 30}, 5000, finished));
    EXPECT_FALSE(SwitchDay(state, CalendarDate(), 5000, finished));
    EXPECT_DOUBLE_EQ(state.dayFigures.distanceCm, 10);
}

TEST_F(DayRecordTest, ADayWithoutMovesIsHandedOverWithZeroFiguresAndSkippedDaysNeverAppear) {
    DayEntry finished;
    ASSERT_TRUE(SwitchDay(state, kTuesday, 2000, finished));
    EXPECT_EQ(finished.figures.distanceCm, 0);
    EXPECT_EQ(finished.figures.activeSeconds, 0U);
    ASSERT_TRUE(SwitchDay(state, kThursday, 3000, finished));
    EXPECT_EQ(finished.date, kTuesday); // Wednesday, when the machine slept, is no day of the record
}

TEST_F(DayRecordTest, WhenTheClockGoesBackTheDayItShowsGoesOnFromWhatWasStored) {
    DayEntry finished;
    SwitchDay(state, kTuesday, 2000, finished);
    MoveAcross(3000);
    ASSERT_TRUE(SwitchDay(state, kMonday, 4000, finished));
    EXPECT_EQ(finished.date, kTuesday);
    EXPECT_DOUBLE_EQ(finished.figures.distanceCm, 10);

    MoveAcross(5000); // counted while the stored Monday is being read
    ContinueDay(state, kMonday, DayFigures{250, 7, 3, 40});
    ContinueDay(state, kTuesday, DayFigures{1000, 1, 1, 1}); // read for a day no longer counted
    EXPECT_EQ(state.day, kMonday);
    EXPECT_DOUBLE_EQ(state.dayFigures.distanceCm, 260);
    EXPECT_EQ(state.dayFigures.presses, 7U);
    EXPECT_EQ(state.dayFigures.wheelNotches, 3U);
    EXPECT_EQ(state.dayFigures.activeSeconds, 41U);
}

// A stored value the program could not read is left as it is: the day it belongs to is
// counted on (the speeds and the display need it) but never handed over to be written,
// whether it ends at midnight or the clock leaves it; the next day is an ordinary one.
TEST_F(DayRecordTest, ADayWhoseStoredValueWasUnreadableIsNeverHandedOver) {
    state.dayStoredUnreadable = true;
    MoveAcross(2000);
    DayEntry finished{kThursday, DayFigures{1, 1, 1, 1}};
    EXPECT_FALSE(SwitchDay(state, kTuesday, 3000, finished));
    EXPECT_EQ(finished.date, kThursday); // left as it was: nothing to write
    EXPECT_EQ(finished.figures.distanceCm, 1);
    EXPECT_EQ(state.day, kTuesday); // the day switched all the same
    EXPECT_EQ(state.dayFigures.distanceCm, 0);
    EXPECT_FALSE(state.dayStoredUnreadable);

    MoveAcross(4000);
    ASSERT_TRUE(SwitchDay(state, kMonday, 5000, finished)); // the clock put back
    EXPECT_EQ(finished.date, kTuesday);
    EXPECT_DOUBLE_EQ(finished.figures.distanceCm, 10);
    state.dayStoredUnreadable = true; // what the store holds for Monday cannot be read either
    EXPECT_FALSE(SwitchDay(state, kTuesday, 6000, finished));
    EXPECT_EQ(finished.date, kTuesday);
    EXPECT_DOUBLE_EQ(finished.figures.distanceCm, 10);
}

TEST_F(DayRecordTest, ActiveSecondsAreTheSecondsWithAtLeastOneCountedMove) {
    // Seconds of the tick count: 2, 2, 2, 3, 7, 7 -> three distinct seconds. The move at
    // 9000 goes nowhere and the one at 1000 in SetUp only recorded the first position.
    const TickCount ticks[] = {2000, 2500, 2999, 3000, 7000, 7999};
    for (TickCount now : ticks) {
        MoveAcross(now);
    }
    Move(state.lastPosition.x, 100, 9000);
    EXPECT_EQ(state.dayFigures.activeSeconds, 3U);
    // A second that spans midnight belongs to the day it started in.
    DayEntry finished;
    SwitchDay(state, kTuesday, 7999, finished);
    MoveAcross(7999);
    EXPECT_EQ(state.dayFigures.activeSeconds, 0U);
    MoveAcross(8000);
    EXPECT_EQ(state.dayFigures.activeSeconds, 1U);
}

TEST_F(DayRecordTest, EachButtonDownIsOnePressAndNothingElseIsAPress) {
    const unsigned downs[] = {0x0201, 0x0204, 0x0207, 0x020B, 0x020B};
    for (unsigned message : downs) {
        EXPECT_TRUE(CountDayEvent(state, kHookActionCode, message, 0));
    }
    // Button ups (left, right, middle, side), a double click, a key, a move, and a down
    // that came with another hook code.
    const unsigned others[] = {0x0202, 0x0205, 0x0208, 0x020C, 0x0203, 0x0100, 0x0200};
    for (unsigned message : others) {
        EXPECT_FALSE(CountDayEvent(state, kHookActionCode, message, 0));
    }
    EXPECT_FALSE(CountDayEvent(state, 3, 0x0201, 0));
    EXPECT_EQ(state.dayFigures.presses, 5U);
    EXPECT_EQ(state.dayFigures.wheelNotches, 0U);
}

struct WheelCase {
    const char* name;
    unsigned message;
    int deltas[6];
    std::uint64_t notches;
};

class WheelNotchTest : public ::testing::TestWithParam<WheelCase> {};

TEST_P(WheelNotchTest, EveryHundredAndTwentyUnitsAreANotchWithTheRemainderCarried) {
    OdometerState state;
    for (int delta : GetParam().deltas) {
        CountDayEvent(state, kHookActionCode, GetParam().message, delta);
    }
    EXPECT_EQ(state.dayFigures.wheelNotches, GetParam().notches);
    EXPECT_EQ(state.dayFigures.presses, 0U);
}

// Notches worked out by hand: the sum of the magnitudes, divided by 120, rounded down.
INSTANTIATE_TEST_SUITE_P(
    Deltas, WheelNotchTest,
    ::testing::Values(WheelCase{"OneNotchEachWay", 0x020A, {120, -120}, 2},
                      WheelCase{"FineWheelQuarters", 0x020A, {30, 30, 30, 30, 30}, 1}, // 150 units
                      WheelCase{"FineWheelBothWays", 0x020E, {-40, 40, -40, 40, -40, 40}, 2},
                      WheelCase{"FastTurn", 0x020A, {720, 0, 0, 0, 0, 0}, 6},
                      // -32768 (the most negative 16-bit delta) is 32768 units: 273 notches and 8 over.
                      WheelCase{"MostNegativeDelta", 0x020A, {-32768, 112}, 274},
                      WheelCase{"MostNegativeInt", 0x020A, {-2147483647 - 1}, 17895697}), // 2^31 / 120
    [](const ::testing::TestParamInfo<WheelCase>& tested) { return tested.param.name; });

TEST_F(DayRecordTest, TheCounterResetLeavesTheDayAlone) {
    MoveAcross(2000);
    CountDayEvent(state, kHookActionCode, kLeftButtonDownMessage, 0);
    TextString since;
    ResetCounter(state, since, CalendarDate{2024, 3, 15});
    EXPECT_EQ(state.distanceCm, 0);
    EXPECT_DOUBLE_EQ(state.dayFigures.distanceCm, 10);
    EXPECT_EQ(state.dayFigures.presses, 1U);
}

TEST_F(DayRecordTest, TodaysSpeedsStartAgainAtMidnight) {
    state.maxSpeed = 5000;
    MoveAcross(2000);
    DayEntry finished;
    SwitchDay(state, kTuesday, 10000, finished);
    EXPECT_EQ(state.maxSpeed, 0);
    EXPECT_EQ(state.averageSpeed, 0);
    // 10 cm in the 10 s since midnight: 10 x 36000 / 10000 = 36 m/h; the 10 cm of
    // Monday are not in it.
    MoveAcross(15000);
    state.movedSinceTick = 0;
    IdleTick(state, 20000);
    EXPECT_DOUBLE_EQ(state.averageSpeed, 36);
}

// A program started at tick 1000 that has run for 50 days: the tick count wrapped after
// 49.7 days. Midnight of the fiftieth day came ten hours before its end, at tick
// 1000 + 50 days - 10 h = 4284001000; ten hours later the tick count reads
// 1000 + 4320000000 - 2^32 = 25033704. 100 cm in those ten hours (36000000 ms) are
// 100 x 36000 / 36000000 = 0.1 m/h. Measured from the start instead, the 32-bit
// difference would be 25032704 ms and, with fifty days of distance, the average many
// times too high.
TEST_F(DayRecordTest, TheWrapOfTheTickCountDoesNotDistortTodaysAverage) {
    state.distanceCm = 500000; // fifty days of moving
    DayEntry finished;
    SwitchDay(state, kTuesday, 4284001000U, finished);
    for (int move = 0; move < 10; ++move) {
        MoveAcross(4284002000U + static_cast<TickCount>(move) * 1000);
    }
    state.movedSinceTick = 0;
    IdleTick(state, 25033704U);
    EXPECT_NEAR(state.averageSpeed, 0.1, 1e-12);
}

} // namespace
