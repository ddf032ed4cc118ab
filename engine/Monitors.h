// The monitor table of the measuring step: which monitor a pointer position lies on, and
// how long a move is on the monitors' surfaces. Free of <windows.h>.
#ifndef SKITTERA_ENGINE_MONITORS_H
#define SKITTERA_ENGINE_MONITORS_H

#include "engine/OdometerState.h"

// Factors above this many millimetres per pixel are no monitor's (a 5 m projection at
// 640 pixels is under 8); they count nothing rather than infinite distances.
constexpr double kMaxMmPerPixel = 100.0;

// Whether the pixel lies on the monitor. Inline: the measuring step asks it of the
// previous point's monitor for every move.
inline bool MonitorContains(const MonitorArea& area, const PixelPoint& point) {
    return point.x >= area.left && point.x < area.right && point.y >= area.top && point.y < area.bottom;
}

void SetMonitorLayout(OdometerState& state, const MonitorLayout& layout);

int TakeToMonitor(const MonitorLayout& layout, int favoured, PixelPoint& point);

double MoveLengthMm(const MonitorLayout& layout, int fromMonitor, PixelPoint from, int toMonitor,
                    PixelPoint to);

#endif
