#include "dialog/GaugeGeometry.h"

#include <cmath>
#include <limits>

#include <gtest/gtest.h>

namespace {

struct TipRow {
    double speed;
    double degrees;
    int dx;
    int dy;
};

// Every row of the tip table: the tip lies at the hub minus (dx, dy).
const TipRow kTipTable[] = {
    {0, -45, 35, -35},      // lower left
    {1000, -18, 47, -15},   //
    {2500, 22.5, 46, 19},   //
    {5000, 90, 0, 50},      // straight up
    {7500, 157.5, -46, 19}, //
    {10000, 225, -35, -35}, // lower right
    {20000, 495, -35, 35},  // past the end of the scale
};

TEST(GaugeGeometry, TipTable) {
    for (const TipRow& row : kTipTable) {
        NeedleOffset tip = NeedleTipOffset(row.speed);
        EXPECT_EQ(tip.dx, row.dx) << "speed " << row.speed;
        EXPECT_EQ(tip.dy, row.dy) << "speed " << row.speed;
        EXPECT_NEAR(NeedleAngleRadians(row.speed), row.degrees * 3.14159265358979 / 180, 1e-9)
            << "speed " << row.speed;
    }
}

TEST(GaugeGeometry, OffsetsTruncateTowardZero) {
    // At speed 0 both exact offsets are about 35.36 in size: truncation gives 35 and
    // -35, where rounding down would give -36 for the negative one.
    NeedleOffset zero = NeedleTipOffset(0);
    EXPECT_EQ(zero.dx, 35);
    EXPECT_EQ(zero.dy, -35);
    // Straight up the cosine is a tiny positive number, not quite 0.
    EXPECT_GT(50 * std::cos(NeedleAngleRadians(5000)), 0);
    EXPECT_EQ(NeedleTipOffset(5000).dx, 0);
    // A speed just below the top: the tip is a hair to the left of the hub, still 0.
    EXPECT_EQ(NeedleTipOffset(4999).dx, 0);
    EXPECT_EQ(NeedleTipOffset(4990).dx, 0);
    EXPECT_EQ(NeedleTipOffset(4950).dx, 1);
}

TEST(GaugeGeometry, TheNeedleKeepsItsLength) {
    for (int speed = -5000; speed <= 30000; speed += 37) {
        NeedleOffset tip = NeedleTipOffset(speed);
        double length = std::hypot(tip.dx, tip.dy);
        EXPECT_LE(length, 50.0) << speed;
        EXPECT_GE(length, 48.5) << speed;
    }
}

TEST(GaugeGeometry, SpeedsThatAreNoNumberRestAtZero) {
    const double odd[] = {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                          -std::numeric_limits<double>::infinity()};
    for (double speed : odd) {
        NeedleOffset tip = NeedleTipOffset(speed);
        EXPECT_EQ(tip.dx, 35) << speed;
        EXPECT_EQ(tip.dy, -35) << speed;
    }
    // Huge but finite speeds still give a tip on the needle's circle.
    for (double speed : {1e18, 1e300, -1e300, std::numeric_limits<double>::max()}) {
        NeedleOffset tip = NeedleTipOffset(speed);
        EXPECT_LE(std::abs(tip.dx), 50) << speed;
        EXPECT_LE(std::abs(tip.dy), 50) << speed;
    }
}

} // namespace
