#include "dialog/GaugeGeometry.h"

#include <cmath>

namespace {

// A speed that is not a number, or one so large that the cosine routine gives up,
// rests the needle on the scale's zero rather than pointing anywhere at random.
bool UsableOffset(double offset) { return std::isfinite(offset) && std::fabs(offset) <= kNeedleLength; }

} // namespace

double NeedleAngleRadians(double speed) {
    return (speed * kNeedleDegreesPerSpeed + kNeedleZeroDegrees) * kRadiansPerDegree;
}

// The tip offsets, truncated toward zero as the conversion to int does.
NeedleOffset NeedleTipOffset(double speed) {
    double angle = NeedleAngleRadians(speed);
    double dx = kNeedleLength * std::cos(angle);
    double dy = kNeedleLength * std::sin(angle);
    if (!UsableOffset(dx) || !UsableOffset(dy)) {
        return NeedleTipOffset(0);
    }
    return NeedleOffset{static_cast<int>(dx), static_cast<int>(dy)};
}
