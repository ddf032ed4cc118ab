// The monitor table of the measuring step: which monitor a pointer position lies on, and
// how long a move is on the monitors' surfaces. Free of <windows.h>.
#ifndef SKITTERA_ENGINE_MONITORS_H
#define SKITTERA_ENGINE_MONITORS_H

#include "engine/OdometerState.h"

// Factors above this many millimetres per pixel are no monitor's (a 5 m projection at
// 640 pixels is under 8); they count nothing rather than infinite distances.
constexpr double kMaxMmPerPixel = 100.0;

// How far beyond every monitor a reported point may lie and still be a push against an
// edge. The low-level hook reports the cursor's last position plus the event's movement
// before Windows stops the cursor at the edge, so a push lands beyond it by at most one
// event's movement: at the 125 reports a second of an ordinary mouse, a brisk sweep of
// 4000 pixels a second (two full-HD screens) moves 32 pixels per event. A point farther
// out may lie on a monitor the table does not know (one plugged in or moved, or a
// resolution raised, between the change and its announcement): the step onto it counts
// as far as the edge, as a push does, and the next step is not measured from it.
constexpr long kEdgeOvershootPixels = 32;

// Whether the pixel lies on the monitor. Inline: the measuring step asks it of the
// previous point's monitor for every move.
inline bool MonitorContains(const MonitorArea& area, const PixelPoint& point) {
    return point.x >= area.left && point.x < area.right && point.y >= area.top && point.y < area.bottom;
}

void SetMonitorLayout(OdometerState& state, const MonitorLayout& layout);

int TakeToMonitor(const MonitorLayout& layout, int favoured, PixelPoint& point, bool* beyondReach = nullptr);

double MoveLengthMm(const MonitorLayout& layout, int fromMonitor, PixelPoint from, int toMonitor,
                    PixelPoint to);

// The same monitors with the same factors, in the same order.
bool SameMonitorLayout(const MonitorLayout& a, const MonitorLayout& b);

#endif
