// The monitor table: where a pointer position is taken, and how a move is measured on
// one monitor, across two and after a new layout.
#include "engine/Monitors.h"

#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "engine/Odometer.h"

namespace {

MonitorLayout LayoutOf(std::initializer_list<MonitorArea> monitors) {
    MonitorLayout layout;
    for (const MonitorArea& area : monitors) {
        layout.monitors[layout.count++] = area;
    }
    return layout;
}

class MonitorsTest : public ::testing::Test {
protected:
    void Use(std::initializer_list<MonitorArea> monitors) {
        SetMonitorLayout(state, LayoutOf(monitors));
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

// Where a point is taken: a point on a monitor stays where it is; one outside every
// monitor goes to the nearest pixel; on a tie the previous point's monitor (the favoured
// one) wins; a favoured index the table does not have is harmless; without monitors
// there is no place. Farther than an event's movement (32 pixels) from every monitor is
// beyond reach: the point is still taken to the nearest pixel, and the step tells it
// (-1: not looked at).
TEST_F(MonitorsTest, APointOnAMonitorStaysWhereItIs) {
    const MonitorLayout two = LayoutOf({kPrimary, kRightOfPrimary}), none;
    const MonitorLayout aboveLeft = LayoutOf({kPrimary, MonitorArea{-1280, -1024, 0, 0, 0.3, 0.3}});
    const struct {
        const MonitorLayout& layout;
        int favoured;
        long x, y;
        int monitor;
        long takenX, takenY;
        int beyondReach;
    } cases[] = {
        {two, 0, 2500, 600, 1, 2500, 600, 0},
        {two, 1, 0, 0, 0, 0, 0, 0},
        {two, 0, 3199, 1023, 1, 3199, 1023, 0},
        // Below the right monitor: 27 pixels from its bottom row (1023), 581 right of the
        // primary's last column (1919).
        {two, 0, 2500, 1050, 1, 2500, 1023, 0},
        // Beyond the left edge and beyond a corner: (3220, -20) is 21 columns right of 3199
        // and 20 rows above row 0, 29 pixels from the corner pixel.
        {two, 1, -30, 500, 0, 0, 500, 0},
        {two, 0, 3220, -20, 1, 3199, 0, 0},
        // (1922, 1026) is 3 pixels right of the primary's column 1919 and 3 below the right
        // monitor's row 1023: as near to one as to the other.
        {two, 1, 1922, 1026, 1, 1922, 1023, 0},
        {two, 0, 1922, 1026, 0, 1919, 1026, 0},
        {two, 7, 100, 100, 0, 100, 100, 0},
        {two, -1, 100, 100, 0, 100, 100, 0},
        {none, 0, 5, 6, -1, 5, 6, -1},
        // Monitors left of and above the primary have negative coordinates. Below that one
        // and left of the primary is no monitor: (-30, 20) is 21 rows from the upper one's
        // last row (-1) and 30 columns from the primary's first: the upper one.
        {aboveLeft, 0, -30, 20, 1, -30, -1, 0},
        // 32 columns right of the last one (3199), then 33; 24 columns and 24 rows off the
        // corner: 33.9 pixels; and no overflow.
        {two, 0, 3231, 500, 1, 3199, 500, 0},
        {two, 0, 3232, 500, 1, 3199, 500, 1},
        {two, 0, 3223, -24, 1, 3199, 0, 1},
        {two, 0, std::numeric_limits<int>::max(), std::numeric_limits<int>::min(), 1, 3199, 0, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.x << ", " << c.y);
        PixelPoint point{c.x, c.y}, reporting{c.x, c.y};
        bool beyondReach = c.beyondReach != 1;
        EXPECT_EQ(TakeToMonitor(c.layout, c.favoured, point), c.monitor);
        EXPECT_EQ(TakeToMonitor(c.layout, c.favoured, reporting, &beyondReach), c.monitor);
        EXPECT_EQ(point.x, c.takenX);
        EXPECT_EQ(point.y, c.takenY);
        EXPECT_TRUE(reporting.x == c.takenX && reporting.y == c.takenY);
        if (c.beyondReach >= 0) {
            EXPECT_EQ(beyondReach, c.beyondReach == 1);
        }
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

// What a move adds, in millimetres, each part at the factors of the monitor it crosses.
TEST_F(MonitorsTest, AMoveAcrossTwoMonitorsCountsEachPartAtItsOwnFactors) {
    const MonitorLayout two = LayoutOf({kPrimary, kRightOfPrimary});
    const MonitorLayout unequal = LayoutOf({kPrimary, MonitorArea{1920, 0, 3840, 1080, 0.125, 0.4}});
    const MonitorLayout gap = LayoutOf({kPrimary, MonitorArea{2000, 0, 3920, 1080, 0.5, 0.5}});
    const MonitorLayout overlap =
        LayoutOf({MonitorArea{0, 0, 1000, 1000, 0.25, 0.25}, MonitorArea{500, 0, 1500, 1000, 0.5, 0.5}});
    const MonitorLayout aboveLeft = LayoutOf({kPrimary, MonitorArea{-1280, -1024, 0, 0, 0.3, 0.3}});
    const struct {
        const MonitorLayout& layout;
        long fromX, fromY, toX, toY;
        double mm;
        double within = 0; // 0: as near as a double allows
    } moves[] = {
        // Straight right from column 1820 to 2020: 100 pixels on the primary (to its edge at
        // 1920) at 0.25 mm, 100 on the right monitor at 0.5 mm: 25 + 50 = 75 mm; and back.
        {two, 1820, 500, 2020, 500, 75.0},
        {two, 2020, 500, 1820, 500, 75.0},
        // A diagonal of (80, 60) pixels, 100 long, from (1880, 400): it reaches column 1920
        // halfway. 50 pixels at 0.25 mm and 50 at 0.5 mm: 12.5 + 25 = 37.5 mm.
        {two, 1880, 400, 1960, 460, 37.5},
        // Across the shared edge by one pixel: the pixel left of the edge is the primary's.
        {two, 1919, 500, 1920, 500, 0.25},
        // The same diagonal where the second monitor's factors differ across and down: on
        // the primary 12.5 mm; on the second (40, 30) pixels at (0.125, 0.4) mm = (5, 12)
        // mm, 13 mm long. 25.5 mm.
        {unequal, 1880, 400, 1960, 460, 25.5},
        // A gap between monitors is not counted: 20 pixels to the primary's edge at 0.25 mm,
        // 80 pixels of gap, 20 pixels on the other monitor at 0.5 mm: 5 + 10 = 15 mm. A
        // point in the gap goes to the nearer monitor: 1950 is 31 columns from 1919 and 50
        // from 2000. 1919 - 1900 = 19 pixels at 0.25 mm.
        {gap, 1900, 500, 2020, 500, 15.0},
        {gap, 1900, 500, 1950, 500, 4.75},
        // Overlapping monitors count the overlap once. From (100, 10), on the first only, to
        // (1200, 10), on the second only: the second starts at column 500. 400 pixels at
        // 0.25 mm and 700 at 0.5 mm: 100 + 350 = 450 mm.
        {overlap, 100, 10, 1200, 10, 450.0},
        // Negative coordinates are ordinary. Within the monitor above and left: (300, 400)
        // pixels, 500 long, at 0.3 mm: 150 mm. From (-100, -100) to (100, 100): it touches
        // the primary's corner (0, 0) halfway. 100·√2 pixels at 0.3 mm and 100·√2 at
        // 0.25 mm: 55·√2 mm.
        {aboveLeft, -1000, -500, -700, -100, 150.0},
        {aboveLeft, -100, -100, 100, 100, 55.0 * std::sqrt(2.0), 1e-9},
    };
    for (const auto& move : moves) {
        SetMonitorLayout(state, move.layout);
        StartMeasuring(state, now);
        const double moved = MovedMm(move.fromX, move.fromY, move.toX, move.toY);
        if (move.within == 0) {
            EXPECT_DOUBLE_EQ(moved, move.mm) << move.fromX << ", " << move.fromY;
        } else {
            EXPECT_NEAR(moved, move.mm, move.within) << move.fromX << ", " << move.fromY;
        }
    }
}

TEST_F(MonitorsTest, TheFirstMoveAfterANewLayoutOnlyRecords) {
    Use({kPrimary});
    Move(100, 100);
    Move(200, 100);
    EXPECT_DOUBLE_EQ(state.distanceCm, 2.5);
    // The resolution changes: 0.5 mm per pixel now. The next position is not measured from
    // one taken in the old layout.
    SetMonitorLayout(state, LayoutOf({MonitorArea{0, 0, 960, 540, 0.5, 0.5}}));
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
