#include "engine/Odometer.h"

#include <cmath>

#include "engine/DayFigures.h"
#include "engine/Edid.h"
#include "engine/Monitors.h"

namespace {

constexpr double kMillimetresToCentimetres = 0.1;
// Centimetres per millisecond to metres per hour: 3600000 ms/h ÷ 100 cm/m.
constexpr double kCmPerMsToMetresPerHour = 36000.0;

// Today's average: the distance since start or since the day began, whichever came
// later, over the time since then. The day switch moves both references at least once a
// day, so the 32-bit difference of tick counts never spans a wrap of the counter. At
// the very tick of start there is no elapsed time to divide by, so the previous value
// stands.
void UpdateAverageSpeed(OdometerState& state, TickCount now) {
    TickCount elapsed = TicksBetween(state.startTicks, now);
    if (elapsed == 0) {
        return;
    }
    state.averageSpeed =
        (state.distanceCm - state.startDistanceCm) * kCmPerMsToMetresPerHour / static_cast<double>(elapsed);
}

// A move adds to the counter and to the day. Its second of the tick count is an active
// second of the day unless the previous counted move fell in the same second; the tick
// count serves because it is already at hand, and its seconds are as long as the
// clock's.
void CountMove(OdometerState& state, double lengthCm, TickCount now) {
    state.distanceCm += lengthCm;
    state.dayFigures.distanceCm += lengthCm;
    TickCount second = now / 1000;
    if (!state.hasActiveSecond || second != state.lastActiveSecond) {
        ++state.dayFigures.activeSeconds;
        state.lastActiveSecond = second;
        state.hasActiveSecond = true;
    }
}

void TakeIdleStep(OdometerState& state, TickCount now) {
    state.currentSpeed = 0;
    state.refTicks = now;
    UpdateAverageSpeed(state, now);
}

void TakeSample(OdometerState& state, SpeedSampleWindow& window, TickCount now) {
    double distance = state.distanceCm - state.refDistanceCm;
    double time = static_cast<double>(TicksSince(state.refTicks, now));
    constexpr int last = SpeedSampleWindow::kSlots - 1;

    // Warm-up: fill the window, all samples measured from the same reference.
    if (window.sampleCount < SpeedSampleWindow::kSlots) {
        window.distanceSamples[window.sampleCount] = distance;
        window.timeSamples[window.sampleCount] = time;
        ++window.sampleCount;
        return;
    }

    for (int slot = 0; slot < last; ++slot) {
        window.distanceSamples[slot] = window.distanceSamples[slot + 1];
        window.timeSamples[slot] = window.timeSamples[slot + 1];
    }
    window.distanceSamples[last] = distance;
    window.timeSamples[last] = time;

    double distanceSum = distance;
    double timeSum = time;
    for (int slot = 0; slot < last; ++slot) {
        distanceSum += window.distanceSamples[slot];
        timeSum += window.timeSamples[slot];
    }
    // The tick count advances in steps of several milliseconds, so five quick moves can
    // share one tick; the speed of such a window is unknown and the last one stands.
    if (timeSum > 0) {
        state.currentSpeed = distanceSum * kCmPerMsToMetresPerHour / timeSum;
        if (state.currentSpeed >= state.maxSpeed) {
            state.maxSpeed = state.currentSpeed;
        }
    }
    state.refTicks = now;
    state.refDistanceCm = state.distanceCm;
    UpdateAverageSpeed(state, now);
}

} // namespace

// One screen from (0, 0) to its resolution, millimetres per pixel from the physical size
// and resolution its driver reports.
void ApplyScreenCalibration(OdometerState& state, int horzSizeMm, int vertSizeMm, int horzResPixels,
                            int vertResPixels) {
    MonitorFacts screen{0,          0,          horzResPixels, vertResPixels, 0, nullptr, nullptr,
                        horzSizeMm, vertSizeMm, horzResPixels, vertResPixels};
    MonitorLayout layout;
    layout.count = 1;
    layout.monitors[0] = CalibrateMonitor(screen);
    SetMonitorLayout(state, layout);
}

bool IsPointerMoveEvent(int code, unsigned message) {
    return code == kHookActionCode && message == kMouseMoveMessage;
}

// One input event as a pointer hook sees it. Only pointer moves with a readable
// position are measured; everything else leaves the state alone. Returns whether
// the event was measured. Runs for every input event of the desktop, so it does a
// small amount of work, makes no system call and allocates nothing. The position is
// taken onto a monitor first: the hook reports points beyond the screen's edge, where
// the pointer does not go. A point beyond reach of every monitor is taken there too,
// but the move after it is not measured from it: such a point lies on a monitor the
// table does not know yet (one plugged in, moved or enlarged before the change is
// announced), and measured along the old table's edges the pointer's moves there and
// its jump back would count as a long trip. The move onto it counts no more than one
// event's movement, as far as the edge.
bool MeasurePointerEvent(OdometerState& state, SpeedSampleWindow& window, int code, unsigned message,
                         const PixelPoint* position, TickCount now) {
    if (!IsPointerMoveEvent(code, message) || position == nullptr) {
        return false;
    }
    // Nearly every move stays on the previous point's monitor: that costs four comparisons
    // and one square root, without a call. The coordinates are read one by one, as the
    // comparisons need them: the hook has just written them one by one, and a single wide
    // read of both would wait for those writes to land.
    const PixelPoint* point = position;
    PixelPoint taken;
    bool beyondReach = false;
    int monitor = state.lastMonitor;
    if (monitor >= state.layout.count || !MonitorContains(state.layout.monitors[monitor], *point)) {
        taken = *position;
        monitor = TakeToMonitor(state.layout, monitor, taken, &beyondReach);
        point = &taken;
    }
    if (monitor >= 0) {
        if (state.hasPrevious && (point->x != state.lastPosition.x || point->y != state.lastPosition.y)) {
            double lengthMm;
            if (monitor == state.lastMonitor) {
                const MonitorArea& area = state.layout.monitors[monitor];
                double dx = (static_cast<double>(point->x) - static_cast<double>(state.lastPosition.x)) *
                            area.mmPerPixelX;
                double dy = (static_cast<double>(point->y) - static_cast<double>(state.lastPosition.y)) *
                            area.mmPerPixelY;
                lengthMm = std::sqrt(dx * dx + dy * dy);
            } else {
                lengthMm = MoveLengthMm(state.layout, state.lastMonitor, state.lastPosition, monitor, *point);
            }
            CountMove(state, lengthMm * kMillimetresToCentimetres, now);
        }
        state.hasPrevious = !beyondReach;
        state.lastPosition.x = point->x;
        state.lastPosition.y = point->y;
        state.lastMonitor = monitor;
    }

    if (state.refDistanceCm >= state.distanceCm) {
        TakeIdleStep(state, now);
    } else {
        TakeSample(state, window, now);
    }
    state.movedSinceTick = 1;
    return true;
}

// Measuring begins: the speed reference starts here too, so a distance loaded from
// the settings is never taken for one giant move.
void StartMeasuring(OdometerState& state, TickCount now) {
    state.startTicks = now;
    TakeSpeedReference(state, now);
}

void TakeSpeedReference(OdometerState& state, TickCount now) {
    state.refDistanceCm = state.distanceCm;
    state.refTicks = now;
}

// The dialog's one-second step: a second without pointer moves brings the current
// speed to 0 and restarts the sample time from here.
void IdleTick(OdometerState& state, TickCount now) {
    if (state.movedSinceTick != 0) {
        return;
    }
    TakeIdleStep(state, now);
}

// Sets the counter to 0 from today. The speed references move with the counter, so
// the current speed keeps working and the average since start still measures the
// distance moved since start.
void ResetCounter(OdometerState& state, TextString& sinceDate, const CalendarDate& today) {
    sinceDate = FormatSinceDate(today);
    ResetDistance(state);
}

// The measurement's part of a reset, apart from the date so that a caller that shares
// the measurement with another thread can format the date before it takes the lock.
void ResetDistance(OdometerState& state) {
    state.startDistanceCm -= state.distanceCm;
    state.refDistanceCm -= state.distanceCm;
    state.distanceCm = 0;
}

// Milliseconds from one tick count to a later one, right across the wrap of the
// 32-bit counter.
TickCount TicksBetween(TickCount earlier, TickCount later) { return static_cast<TickCount>(later - earlier); }

// Milliseconds from a speed reference to now, 0 when now lies before the reference. The
// hook reads its tick before it takes the measurement's lock, so the dialog may set a
// reference a few milliseconds later than that tick in between: the plain difference
// would be nearly 2^32 ms and the sample's speed nothing. Before and after are told apart
// across the counter's wrap by half its range (24.8 days): the reference is renewed at
// every pointer move and every second of the dialog, never that long ago.
TickCount TicksSince(TickCount reference, TickCount now) {
    TickCount elapsed = TicksBetween(reference, now);
    constexpr TickCount kHalfRange = 0x80000000u;
    return elapsed < kHalfRange ? elapsed : 0;
}

// The date the counter runs from, "dd.mm.yyyy"; empty for a date that is no day of the
// years 1 to 9999 (a clock that could not be read).
TextString FormatSinceDate(const CalendarDate& today) {
    return IsValidDate(today) ? FormatDottedDate(today) : TextString();
}
