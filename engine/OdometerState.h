// The measurement state: the distance counter, the calibration, the speed statistics
// and their references. Free of <windows.h> so that it is tested natively.
#ifndef SKITTERA_ENGINE_ODOMETERSTATE_H
#define SKITTERA_ENGINE_ODOMETERSTATE_H

#include <cstdint>

// The platform's millisecond tick count: 32 bits, wraps about every 49.7 days.
using TickCount = std::uint32_t;

struct OdometerState {
    double distanceCm = 0;   // total distance travelled, centimetres
    double mmPerPixelX = 0;  // horizontal calibration
    double mmPerPixelY = 0;  // vertical calibration
    double maxSpeed = 0;     // highest window speed since start, m/h
    double currentSpeed = 0; // speed over the last five samples, 0 when idle, m/h
    double averageSpeed = 0; // average speed since start, m/h
    double lastXmm = 0;      // pointer position at the previous move event;
    double lastYmm = 0;      // (0, 0) means there is none yet
    double unitDivisor = 0;  // display unit: 1 cm, 100 m, 100000 km
    double refDistanceCm = 0;
    TickCount startTicks = 0;
    double startDistanceCm = 0;
    TickCount refTicks = 0;
    int movedSinceTick = 0; // a move event arrived since the dialog's last tick
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
