#include "engine/Monitors.h"

#include <cmath>

namespace {

bool IsEmpty(const MonitorArea& area) { return area.right <= area.left || area.bottom <= area.top; }

double SaneFactor(double mmPerPixel) {
    // Written so that a NaN fails the test too.
    if (!(mmPerPixel >= 0 && mmPerPixel <= kMaxMmPerPixel)) {
        return 0;
    }
    return mmPerPixel;
}

// How far the point lies from the monitor's pixels on one axis. In double: the hook's
// coordinates are 32-bit and their differences may not fit.
double AxisGap(long value, long low, long highExclusive) {
    if (value < low) {
        return static_cast<double>(low) - static_cast<double>(value);
    }
    if (value >= highExclusive) {
        return static_cast<double>(value) - (static_cast<double>(highExclusive) - 1);
    }
    return 0;
}

double SquaredGap(const MonitorArea& area, const PixelPoint& point) {
    double dx = AxisGap(point.x, area.left, area.right);
    double dy = AxisGap(point.y, area.top, area.bottom);
    return dx * dx + dy * dy;
}

long Clamp(long value, long low, long highExclusive) {
    if (value < low) {
        return low;
    }
    return value >= highExclusive ? highExclusive - 1 : value;
}

// Where on one axis the straight move p + t·d is between low and high, as the
// parameters t of entering and leaving that band.
void ClipAxis(double p, double d, double low, double high, double& enter, double& leave) {
    if (d == 0) {
        return; // parallel to the band: inside it all along (both ends are on monitors)
    }
    double t0 = (low - p) / d;
    double t1 = (high - p) / d;
    if (t0 > t1) {
        double swap = t0;
        t0 = t1;
        t1 = swap;
    }
    if (t0 > enter) {
        enter = t0;
    }
    if (t1 < leave) {
        leave = t1;
    }
}

// The part of the move from `from` by (dx, dy), t from 0 to 1, that lies on the monitor.
// The monitor's area is taken as the closed rectangle from its left edge to its right
// edge, so that two monitors side by side share an edge and no part of a move across it
// is lost.
void ClipMove(const MonitorArea& area, PixelPoint from, double dx, double dy, double& enter, double& leave) {
    enter = 0;
    leave = 1;
    ClipAxis(static_cast<double>(from.x), dx, static_cast<double>(area.left), static_cast<double>(area.right),
             enter, leave);
    ClipAxis(static_cast<double>(from.y), dy, static_cast<double>(area.top), static_cast<double>(area.bottom),
             enter, leave);
}

double LengthOn(const MonitorArea& area, double dx, double dy) {
    double x = dx * area.mmPerPixelX;
    double y = dy * area.mmPerPixelY;
    return std::sqrt(x * x + y * y);
}

} // namespace

// Replaces the monitor table with what calibration found. Monitors without an area are
// dropped, beyond the table's size too; factors that are negative, not numbers or beyond
// any monitor become 0 (that monitor counts nothing). Positions measured in the old
// layout mean nothing in the new one: the next move starts afresh.
void SetMonitorLayout(OdometerState& state, const MonitorLayout& layout) {
    int given = layout.count < kMaxMonitors ? layout.count : kMaxMonitors;
    int kept = 0;
    for (int index = 0; index < given; ++index) {
        const MonitorArea& area = layout.monitors[index];
        if (IsEmpty(area)) {
            continue;
        }
        MonitorArea& slot = state.layout.monitors[kept++];
        slot = area;
        slot.mmPerPixelX = SaneFactor(area.mmPerPixelX);
        slot.mmPerPixelY = SaneFactor(area.mmPerPixelY);
    }
    state.layout.count = kept;
    state.hasPrevious = false;
    state.lastMonitor = 0;
}

// Takes the point onto the monitor it lies on, trying the favoured one (the previous
// point's) first. A point outside every monitor (the hook reports points beyond an edge,
// where the pointer is stopped afterwards) goes to the nearest monitor's nearest pixel,
// the favoured one on a tie. Returns the monitor's index, -1 when there is none. When
// asked, tells whether the point lay more than kEdgeOvershootPixels from every monitor.
int TakeToMonitor(const MonitorLayout& layout, int favoured, PixelPoint& point, bool* beyondReach) {
    if (beyondReach != nullptr) {
        *beyondReach = false;
    }
    if (layout.count <= 0) {
        return -1;
    }
    if (favoured < 0 || favoured >= layout.count) {
        favoured = 0;
    }
    if (MonitorContains(layout.monitors[favoured], point)) {
        return favoured;
    }
    for (int index = 0; index < layout.count; ++index) {
        if (MonitorContains(layout.monitors[index], point)) {
            return index;
        }
    }
    int nearest = favoured;
    double nearestGap = SquaredGap(layout.monitors[favoured], point);
    for (int index = 0; index < layout.count; ++index) {
        double gap = SquaredGap(layout.monitors[index], point);
        if (gap < nearestGap) {
            nearest = index;
            nearestGap = gap;
        }
    }
    if (beyondReach != nullptr) {
        constexpr double kFarthestSquaredGap =
            static_cast<double>(kEdgeOvershootPixels) * static_cast<double>(kEdgeOvershootPixels);
        *beyondReach = nearestGap > kFarthestSquaredGap;
    }
    const MonitorArea& area = layout.monitors[nearest];
    point.x = Clamp(point.x, area.left, area.right);
    point.y = Clamp(point.y, area.top, area.bottom);
    return nearest;
}

// Millimetres of the straight move between two points that lie on the given monitors.
// On one monitor, at its factors. From one monitor to another, the move is split where it
// leaves the first and where it enters the second, each part at its own monitor's
// factors; what lies between (a gap between the monitors, or a third monitor the move
// jumps across) is not counted. Where the two monitors overlap, the overlap counts once,
// on the second.
double MoveLengthMm(const MonitorLayout& layout, int fromMonitor, PixelPoint from, int toMonitor,
                    PixelPoint to) {
    double dx = static_cast<double>(to.x) - static_cast<double>(from.x);
    double dy = static_cast<double>(to.y) - static_cast<double>(from.y);
    const MonitorArea& first = layout.monitors[fromMonitor];
    if (fromMonitor == toMonitor) {
        return LengthOn(first, dx, dy);
    }
    const MonitorArea& second = layout.monitors[toMonitor];
    double enterFirst, leaveFirst, enterSecond, leaveSecond;
    ClipMove(first, from, dx, dy, enterFirst, leaveFirst);
    ClipMove(second, from, dx, dy, enterSecond, leaveSecond);
    double onFirst = leaveFirst < enterSecond ? leaveFirst : enterSecond;
    if (onFirst < 0) {
        onFirst = 0;
    }
    double onSecond = enterSecond < 1 ? 1 - enterSecond : 0;
    return onFirst * LengthOn(first, dx, dy) + onSecond * LengthOn(second, dx, dy);
}

// Only the monitors the count covers; the table's unused entries mean nothing.
bool SameMonitorLayout(const MonitorLayout& a, const MonitorLayout& b) {
    if (a.count != b.count) {
        return false;
    }
    for (int index = 0; index < a.count; ++index) {
        const MonitorArea& x = a.monitors[index];
        const MonitorArea& y = b.monitors[index];
        if (x.left != y.left || x.top != y.top || x.right != y.right || x.bottom != y.bottom ||
            x.mmPerPixelX != y.mmPerPixelX || x.mmPerPixelY != y.mmPerPixelY) {
            return false;
        }
    }
    return true;
}
