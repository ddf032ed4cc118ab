// The monitor table: where a pointer position is taken, and how a move is measured on
// one monitor, across two and after a new layout.
#include "engine/Monitors.h"

#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "engine/Odometer.h"

namespace {

class MonitorsTest : public ::testing::Test {
protected:
    void Use(std::initializer_list<MonitorArea> monitors) {
        MonitorLayout layout;
        for (const MonitorArea& area : monitors) {
            layout.monitors[layout.count++] = area;
        }
        SetMonitorLayout(state, layout);
        StartMeasuring(state, 1000);
    }

    bool Move(long x, long y) {
        PixelPoint point{x, y};
        now += 10;
        return MeasurePointerEvent(state, window, kHookActionCode, kMouseMoveMessage, &point, now);
    }

    // The distance a move adds, in millimetres.
    double MovedMm(long fromX, long fromY, long toX, long toY) {
        SetMonitorLayout(state, state.layout); // the first move only records
        Move(fromX, fromY);
        state.distanceCm = 0;
        Move(toX, toY);
        return state.distanceCm * 10;
    }

    OdometerState state;
    SpeedSampleWindow window;
    TickCount now = 1000;
};

// A primary monitor of 0.25 mm per pixel and a smaller one of 0.5 mm on its right.
const MonitorArea kPrimary{0, 0, 1920, 1080, 0.25, 0.25};
const MonitorArea kRightOfPrimary{1920, 0, 3200, 1024, 0.5, 0.5};

TEST_F(MonitorsTest, APointOnAMonitorStaysWhereItIs) {
    Use({kPrimary, kRightOfPrimary});
    PixelPoint point{2500, 600};
    EXPECT_EQ(TakeToMonitor(state.layout, 0, point), 1);
    EXPECT_EQ(point.x, 2500);
    EXPECT_EQ(point.y, 600);
    PixelPoint corner{0, 0};
    EXPECT_EQ(TakeToMonitor(state.layout, 1, corner), 0);
    PixelPoint lastPixel{3199, 1023};
    EXPECT_EQ(TakeToMonitor(state.layout, 0, lastPixel), 1);
}

TEST_F(MonitorsTest, APointOutsideEveryMonitorGoesToTheNearestPixel) {
    Use({kPrimary, kRightOfPrimary});
    // Below the right monitor: 27 pixels from its bottom row (1023), 581 right of the
    // primary's last column (1919).
    PixelPoint below{2500, 1050};
    EXPECT_EQ(TakeToMonitor(state.layout, 0, below), 1);
    EXPECT_EQ(below.x, 2500);
    EXPECT_EQ(below.y, 1023);
    // Beyond the left edge and beyond a corner: (3220, -20) is 21 columns right of 3199
    // and 20 rows above row 0, 29 pixels from the corner pixel.
    PixelPoint left{-30, 500};
    EXPECT_EQ(TakeToMonitor(state.layout, 1, left), 0);
    EXPECT_EQ(left.x, 0);
    EXPECT_EQ(left.y, 500);
    PixelPoint beyondCorner{3220, -20};
    EXPECT_EQ(TakeToMonitor(state.layout, 0, beyondCorner), 1);
    EXPECT_EQ(beyondCorner.x, 3199);
    EXPECT_EQ(beyondCorner.y, 0);
}

// Farther than an event's movement (32 pixels) from every monitor is beyond reach: the
// point is still taken to the nearest pixel, and the step tells it.
TEST_F(MonitorsTest, APointFarFromEveryMonitorIsBeyondReach) {
    Use({kPrimary, kRightOfPrimary});
    const struct {
        PixelPoint point;
        long expectedX, expectedY;
        bool beyondReach;
    } kCases[] = {
        {{2500, 600}, 2500, 600, false}, // on the monitor
        {{3231, 500}, 3199, 500, false}, // 32 columns right of the last one (3199)
        {{3232, 500}, 3199, 500, true},  // 33
        {{3223, -24}, 3199, 0, true},    // 24 columns and 24 rows off the corner: 33.9 pixels
        {{std::numeric_limits<int>::max(), std::numeric_limits<int>::min()}, 3199, 0, true}, // no overflow
    };
    for (const auto& test : kCases) {
        PixelPoint point = test.point;
        bool beyondReach = !test.beyondReach;
        EXPECT_EQ(TakeToMonitor(state.layout, 0, point, &beyondReach), 1)
            << test.point.x << ", " << test.point.y;
        EXPECT_EQ(beyondReach, test.beyondReach) << test.point.x << ", " << test.point.y;
        EXPECT_EQ(point.x, test.expectedX);
        EXPECT_EQ(point.y, test.expectedY);
    }
}

// Moves while a monitor the table does not know holds the pointer, as between a display
// change and its announcement: here a monitor right of the primary, plugged in while the
// table still has the primary alone. The step onto a point beyond reach counts as far as
// the edge, as any push against it; the step after it only records. Each path is
// measured from a fresh table, at 0.25 mm per pixel.
TEST_F(MonitorsTest, MovesBeyondReachOfEveryMonitorStartAfresh) {
    struct Path {
        const char* what;
        std::initializer_list<PixelPoint> points;
        double expectedMm;
    };
    const Path kPaths[] = {
        // 1951 is 32 columns beyond the last one (1919): there and back, 19 pixels each
        // way. 1952 is 33: the way back only records.
        {"the farthest push", {{1900, 500}, {1951, 500}, {1900, 500}}, 9.5},
        {"one pixel farther", {{1900, 500}, {1952, 500}, {1900, 500}}, 4.75},
        // A flick that the hook reports 180 pixels beyond the edge: 119 pixels to it.
        {"a flick far beyond the edge", {{1800, 500}, {2099, 500}, {1850, 500}}, 29.75},
        // Taken to the edge these would slide 400 rows down it (100 mm): only the first
        // step counts, 19 pixels to the edge.
        {"moves on the unknown monitor", {{1900, 500}, {2400, 500}, {2400, 900}, {2000, 900}}, 4.75},
        // Taken to the edge, the return would be one move of (1819, 400) pixels, 466 mm
        // long; the first point back only records, the next move counts its 100 pixels.
        {"back from it", {{1900, 500}, {2400, 500}, {100, 100}, {200, 100}}, 4.75 + 25.0},
    };
    for (const Path& path : kPaths) {
        state = OdometerState{};
        Use({kPrimary});
        for (const PixelPoint& point : path.points) {
            Move(point.x, point.y);
        }
        EXPECT_DOUBLE_EQ(state.distanceCm * 10, path.expectedMm) << path.what;
    }
}

TEST_F(MonitorsTest, OnATieThePreviousPointsMonitorWins) {
    Use({kPrimary, kRightOfPrimary});
    // (1922, 1026) is 3 pixels right of the primary's column 1919 and 3 below the right
    // monitor's row 1023: as near to one as to the other.
    PixelPoint point{1922, 1026};
    EXPECT_EQ(TakeToMonitor(state.layout, 1, point), 1);
    EXPECT_EQ(point.x, 1922);
    EXPECT_EQ(point.y, 1023);
    point = PixelPoint{1922, 1026};
    EXPECT_EQ(TakeToMonitor(state.layout, 0, point), 0);
    EXPECT_EQ(point.x, 1919);
    EXPECT_EQ(point.y, 1026);
    // A favoured index the table does not have is harmless.
    point = PixelPoint{100, 100};
    EXPECT_EQ(TakeToMonitor(state.layout, 7, point), 0);
    EXPECT_EQ(TakeToMonitor(state.layout, -1, point), 0);
}

TEST_F(MonitorsTest, NoMonitorNoPlace) {
    MonitorLayout empty;
    PixelPoint point{5, 6};
    EXPECT_EQ(TakeToMonitor(empty, 0, point), -1);
    EXPECT_EQ(point.x, 5);
    EXPECT_EQ(point.y, 6);
}

// An L-shaped desktop: a wide monitor on top, a narrower one below its left part. Below
// the wide one's right part is a corner where no monitor is; the pointer pushed down
// against that edge stays on the edge and adds nothing.
TEST_F(MonitorsTest, PushingIntoTheDeadCornerOfAnLShapedLayoutAddsNothing) {
    Use({MonitorArea{0, 0, 1920, 1080, 0.25, 0.25}, MonitorArea{0, 1080, 1280, 2104, 0.25, 0.25}});
    Move(1500, 1079);
    for (int push = 0; push < 10; ++push) {
        Move(1500, 1090 + 10 * push);
        Move(1500, 1079);
    }
    EXPECT_EQ(state.distanceCm, 0);
    EXPECT_EQ(state.lastPosition.y, 1079);
    EXPECT_EQ(state.lastMonitor, 0);
    // Pushed down and to the right, the pointer slides along the edge: (1600, 1100) is 21
    // rows below the top monitor and 321 columns right of the lower one, so it is taken to
    // (1600, 1079), 100 pixels on: 25 mm.
    Move(1600, 1100);
    EXPECT_DOUBLE_EQ(state.distanceCm, 2.5);
    // Down into the lower monitor through the open edge counts as usual: 200 rows.
    Move(1000, 1079);
    Move(1000, 1279);
    EXPECT_DOUBLE_EQ(state.distanceCm, 2.5 + 15.0 + 5.0);
}

TEST_F(MonitorsTest, AMoveAcrossTwoMonitorsCountsEachPartAtItsOwnFactors) {
    Use({kPrimary, kRightOfPrimary});
    // Straight right from column 1820 to 2020: 100 pixels on the primary (to its edge at
    // 1920) at 0.25 mm, 100 on the right monitor at 0.5 mm: 25 + 50 = 75 mm.
    EXPECT_DOUBLE_EQ(MovedMm(1820, 500, 2020, 500), 75.0);
    EXPECT_DOUBLE_EQ(MovedMm(2020, 500, 1820, 500), 75.0);
    // A diagonal of (80, 60) pixels, 100 long, from (1880, 400): it reaches column 1920
    // halfway. 50 pixels at 0.25 mm and 50 at 0.5 mm: 12.5 + 25 = 37.5 mm.
    EXPECT_DOUBLE_EQ(MovedMm(1880, 400, 1960, 460), 37.5);
    // Across the shared edge by one pixel: the pixel left of the edge is the primary's.
    EXPECT_DOUBLE_EQ(MovedMm(1919, 500, 1920, 500), 0.25);
}

TEST_F(MonitorsTest, DifferentFactorsAcrossAndDownOnTheSecondMonitor) {
    Use({kPrimary, MonitorArea{1920, 0, 3840, 1080, 0.125, 0.4}});
    // The same diagonal: on the primary 50 pixels at 0.25 mm = 12.5 mm; on the second
    // (40, 30) pixels at (0.125, 0.4) mm = (5, 12) mm, 13 mm long. 25.5 mm.
    EXPECT_DOUBLE_EQ(MovedMm(1880, 400, 1960, 460), 25.5);
}

TEST_F(MonitorsTest, AGapBetweenMonitorsIsNotCounted) {
    Use({kPrimary, MonitorArea{2000, 0, 3920, 1080, 0.5, 0.5}});
    // 20 pixels to the primary's edge at 0.25 mm, 80 pixels of gap, 20 pixels on the other
    // monitor at 0.5 mm: 5 + 10 = 15 mm.
    EXPECT_DOUBLE_EQ(MovedMm(1900, 500, 2020, 500), 15.0);
    // A point in the gap goes to the nearer monitor: 1950 is 31 columns from 1919 and 50
    // from 2000. 1919 - 1900 = 19 pixels at 0.25 mm.
    EXPECT_DOUBLE_EQ(MovedMm(1900, 500, 1950, 500), 4.75);
}

TEST_F(MonitorsTest, OverlappingMonitorsCountTheOverlapOnce) {
    Use({MonitorArea{0, 0, 1000, 1000, 0.25, 0.25}, MonitorArea{500, 0, 1500, 1000, 0.5, 0.5}});
    // From (100, 10), on the first only, to (1200, 10), on the second only: the second
    // starts at column 500. 400 pixels at 0.25 mm and 700 at 0.5 mm: 100 + 350 = 450 mm.
    EXPECT_DOUBLE_EQ(MovedMm(100, 10, 1200, 10), 450.0);
}

// Monitors left of and above the primary have negative coordinates and count like any.
TEST_F(MonitorsTest, NegativeCoordinatesAreOrdinary) {
    const MonitorArea aboveLeft{-1280, -1024, 0, 0, 0.3, 0.3};
    Use({kPrimary, aboveLeft});
    // Within it: (300, 400) pixels, 500 long, at 0.3 mm: 150 mm.
    EXPECT_DOUBLE_EQ(MovedMm(-1000, -500, -700, -100), 150.0);
    // From (-100, -100) to (100, 100): it touches the primary's corner (0, 0) halfway.
    // 100·√2 pixels at 0.3 mm and 100·√2 at 0.25 mm: 55·√2 mm.
    EXPECT_NEAR(MovedMm(-100, -100, 100, 100), 55.0 * std::sqrt(2.0), 1e-9);
    // Below that monitor and left of the primary is no monitor: (-30, 20) is 21 rows from
    // the upper one's last row (-1) and 30 columns from the primary's first: upper one.
    PixelPoint point{-30, 20};
    EXPECT_EQ(TakeToMonitor(state.layout, 0, point), 1);
    EXPECT_EQ(point.x, -30);
    EXPECT_EQ(point.y, -1);
}

TEST_F(MonitorsTest, TheFirstMoveAfterANewLayoutOnlyRecords) {
    Use({kPrimary});
    Move(100, 100);
    Move(200, 100);
    EXPECT_DOUBLE_EQ(state.distanceCm, 2.5);
    // The resolution changes: 0.5 mm per pixel now. The next position is not measured from
    // one taken in the old layout.
    MonitorLayout halved;
    halved.count = 1;
    halved.monitors[0] = MonitorArea{0, 0, 960, 540, 0.5, 0.5};
    SetMonitorLayout(state, halved);
    EXPECT_FALSE(state.hasPrevious);
    EXPECT_TRUE(Move(900, 500));
    EXPECT_DOUBLE_EQ(state.distanceCm, 2.5);
    Move(800, 500); // 100 pixels at 0.5 mm
    EXPECT_DOUBLE_EQ(state.distanceCm, 7.5);
}

TEST_F(MonitorsTest, BadRectanglesAreDroppedAndBadFactorsCountNothing) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double infinity = std::numeric_limits<double>::infinity();
    Use({MonitorArea{100, 0, 100, 500, 0.25, 0.25},       // no width
         MonitorArea{0, 500, 800, 0, 0.25, 0.25},         // upside down
         MonitorArea{0, 0, 800, 600, nan, -0.25},         // no factor either way
         MonitorArea{800, 0, 1600, 600, infinity, 1e300}, // beyond any monitor
         MonitorArea{1600, 0, 2400, 600, 0.25, 0.25}});
    ASSERT_EQ(state.layout.count, 3);
    EXPECT_EQ(state.layout.monitors[0].left, 0);
    EXPECT_EQ(state.layout.monitors[0].mmPerPixelX, 0);
    EXPECT_EQ(state.layout.monitors[0].mmPerPixelY, 0);
    EXPECT_EQ(state.layout.monitors[1].mmPerPixelX, 0);
    EXPECT_EQ(state.layout.monitors[1].mmPerPixelY, 0);
    EXPECT_EQ(state.layout.monitors[2].left, 1600);
    EXPECT_EQ(state.layout.monitors[2].mmPerPixelX, 0.25);

    // Across both bad monitors onto the good one: only the part on the good one counts,
    // 100 pixels at 0.25 mm.
    Move(10, 10);
    Move(1700, 10);
    EXPECT_DOUBLE_EQ(state.distanceCm, 2.5);
    EXPECT_TRUE(std::isfinite(state.currentSpeed));
}

TEST_F(MonitorsTest, ALayoutWithoutMonitorsCountsNothing) {
    MonitorLayout none;
    none.count = -3;
    SetMonitorLayout(state, none);
    EXPECT_EQ(state.layout.count, 0);
    EXPECT_TRUE(Move(10, 10)); // still a pointer move for the speed steps
    Move(500, 500);
    EXPECT_EQ(state.distanceCm, 0);
    EXPECT_FALSE(state.hasPrevious);
    EXPECT_EQ(state.movedSinceTick, 1);
}

TEST_F(MonitorsTest, ATableOfMoreThanSixteenKeepsTheFirstSixteen) {
    MonitorLayout many;
    many.count = 40;
    for (int index = 0; index < kMaxMonitors; ++index) {
        many.monitors[index] = MonitorArea{1000L * index, 0, 1000L * index + 1000, 800, 0.25, 0.25};
    }
    SetMonitorLayout(state, many);
    ASSERT_EQ(state.layout.count, kMaxMonitors);
    EXPECT_EQ(state.layout.monitors[15].left, 15000);
    // A move over the table's last monitor: 400 pixels at 0.25 mm.
    EXPECT_DOUBLE_EQ(MovedMm(15100, 100, 15500, 100), 100.0);
}

} // namespace
