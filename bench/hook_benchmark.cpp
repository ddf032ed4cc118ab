// Cost of the pointer hook per input event, measured inside the Windows build (run it
// under Wine or on Windows; see docs/performance.md). Calls the hook procedures the way
// the system does, with the hook installed, and prints nanoseconds per event.
#include <windows.h>

#include <cstdio>

#include "engine/Odometer.h"
#include "measuring/Displays.h"
#include "measuring/Globals.h"
#include "measuring/MeasurementLock.h"
#include "measuring/PointerHook.h"

namespace {

constexpr int kEvents = 100000;

double Nanoseconds(LARGE_INTEGER start, LARGE_INTEGER end, LARGE_INTEGER frequency, int events) {
    return static_cast<double>(end.QuadPart - start.QuadPart) * 1e9 /
           static_cast<double>(frequency.QuadPart) / events;
}

// A pointer sweeping back and forth across the screen, one event per call.
template <typename Call> double Measure(Call call) {
    LARGE_INTEGER frequency;
    LARGE_INTEGER start;
    LARGE_INTEGER end;
    QueryPerformanceFrequency(&frequency);
    long x = 1;
    long step = 3;
    QueryPerformanceCounter(&start);
    for (int event = 0; event < kEvents; ++event) {
        x += step;
        if (x > 1270 || x < 2) {
            step = -step;
        }
        call(x, (event / 7) % 900 + 1);
    }
    QueryPerformanceCounter(&end);
    return Nanoseconds(start, end, frequency, kEvents);
}

} // namespace

int main() {
    appState.unitDivisor = 1;
    CalibrateScreen();
    StartMeasuring(appState, GetTickCount());
    InstallHook();
    if (InstalledHookKind() != HookKind::LowLevelMouse) {
        std::printf("no low-level hook could be installed\n");
        return 1;
    }

    double lowLevel = Measure([](long x, long y) {
        MSLLHOOKSTRUCT event{};
        event.pt.x = x;
        event.pt.y = y;
        LowLevelMouseProc(HC_ACTION, WM_MOUSEMOVE, reinterpret_cast<LPARAM>(&event));
    });
    double lowLevelButton = Measure([](long x, long y) {
        MSLLHOOKSTRUCT event{};
        event.pt.x = x;
        event.pt.y = y;
        LowLevelMouseProc(HC_ACTION, WM_LBUTTONDOWN, reinterpret_cast<LPARAM>(&event));
    });
    double journal = Measure([](long, long) {
        EVENTMSG event{};
        event.message = WM_MOUSEMOVE;
        JournalRecordProc(HC_ACTION, 0, reinterpret_cast<LPARAM>(&event));
    });
    SpeedSampleWindow samples;
    double step = Measure([&samples](long x, long y) {
        PixelPoint point{x, y};
        MeasurePointerEvent(appState, samples, kHookActionCode, kMouseMoveMessage, &point, GetTickCount());
    });
    double passOn = Measure([](long, long) { CallNextHookEx(appState.hookHandle, HC_ACTION, 0, 0); });
    RemoveHook();
    // What the main thread holds the lock for: a tick's copy of the measurement, and a
    // change such as the unit's.
    // Both take and release a critical section, calls that the compiler cannot leave out.
    double snapshot = Measure([](long, long) { static_cast<void>(SnapshotMeasurement()); });
    double change = Measure([](long x, long) {
        ModifyMeasurement(
            [x](OdometerState& measurement) { measurement.unitDivisor = x % 2 == 0 ? 1 : 100; });
    });
    ModifyMeasurement([](OdometerState& measurement) { measurement.unitDivisor = 1; });

    std::printf("low-level hook, pointer move:   %8.1f ns per event\n", lowLevel);
    std::printf("low-level hook, button:         %8.1f ns per event\n", lowLevelButton);
    std::printf("journal hook, pointer move:     %8.1f ns per event\n", journal);
    std::printf("measuring step with tick count: %8.1f ns per event\n", step);
    std::printf("CallNextHookEx alone:           %8.1f ns per call\n", passOn);
    std::printf("snapshot under the lock:        %8.1f ns per call\n", snapshot);
    std::printf("change under the lock:          %8.1f ns per call\n", change);
    std::printf("distance swept: %.1f cm\n", SnapshotMeasurement().distanceCm);
    return 0;
}
