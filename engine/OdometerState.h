// The measurement state: the distance counter, the monitor table, the speed statistics
// and their references. Free of <windows.h> so that it is tested natively.
#ifndef SKITTERA_ENGINE_ODOMETERSTATE_H
#define SKITTERA_ENGINE_ODOMETERSTATE_H

#include <cstdint>

#include "engine/DayFigures.h"

// The platform's millisecond tick count: 32 bits, wraps about every 49.7 days.
using TickCount = std::uint32_t;

// A point in the pointer hook's coordinates: physical screen pixels, signed.
struct PixelPoint {
    long x;
    long y;
};

constexpr int kMaxMonitors = 16;

// One monitor in the pointer hook's coordinates: physical screen pixels, signed (monitors
// left of or above the primary one have negative coordinates), right and bottom exclusive
// as the platform's RECT; and the size of one of its pixels on the monitor's surface.
struct MonitorArea {
    long left = 0;
    long top = 0;
    long right = 0;
    long bottom = 0;
    double mmPerPixelX = 0;
    double mmPerPixelY = 0;
};

// The monitor table that calibration builds. A fixed array: the measuring step reads it
// for every pointer move and must never allocate.
struct MonitorLayout {
    int count = 0;
    MonitorArea monitors[kMaxMonitors];
};

struct OdometerState {
    double distanceCm = 0;   // total distance travelled, centimetres
    double maxSpeed = 0;     // highest window speed today (since midnight or start), m/h
    double currentSpeed = 0; // speed over the last five samples, 0 when idle, m/h
    double averageSpeed = 0; // average speed today (since midnight or start), m/h
    double unitDivisor = 0;  // display unit: 1 cm, 100 m, 100000 km
    double refDistanceCm = 0;
    // Where today's average measures from: the tick count and the counter at start or at
    // the start of the day, whichever came later.
    TickCount startTicks = 0;
    double startDistanceCm = 0;
    TickCount refTicks = 0;
    int movedSinceTick = 0; // a move event arrived since the dialog's last tick
    // The pointer at the previous move event, already taken onto a monitor, and that
    // monitor's index. Without a previous position (at start, after a new layout) a move
    // only records where the pointer is; the top-left pixel is an ordinary position.
    bool hasPrevious = false;
    PixelPoint lastPosition{0, 0};
    int lastMonitor = 0;
    MonitorLayout layout; // every monitor with its calibration
    // The local day being counted (year 0 before the first) and its figures so far: what
    // was stored for it before this run and what this run has counted. The day's distance
    // and active seconds grow with the moves; presses and wheel notches with the buttons
    // and wheels.
    CalendarDate day;
    DayFigures dayFigures;
    // The day's stored value could not be read: it is left as it is, never overwritten.
    bool dayStoredUnreadable = false;
    // Wheel units that do not make a notch yet, vertical and horizontal wheel.
    unsigned wheelUnitsCarried[2] = {0, 0};
    // The second of the tick count of the last counted move, for the active seconds.
    bool hasActiveSecond = false;
    TickCount lastActiveSecond = 0;
};

// The pointer hook's own working variables: the five-sample speed window and the
// guard against a nested call. Kept apart from OdometerState because nothing but
// the hook reads or writes them.
struct SpeedSampleWindow {
    static constexpr int kSlots = 5;
    int hookBusy = 0;
    int sampleCount = 0; // 0 to 5; stays 5 once the window is full
    double distanceSamples[kSlots] = {};
    double timeSamples[kSlots] = {};
};

#endif
