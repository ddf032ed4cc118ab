// How long a pointer move waits for the program's hook while the properties dialog
// repaints without a pause. A measured run that prints its figures (see
// docs/performance.md); it checks only that every move reached the hook, never how
// long that took.
//
// Under Wine SendInput returns once every low-level hook of the desktop has answered,
// so its duration is what each pointer move of the desktop waits. Three arrangements,
// each with the main thread repainting the dialog (every drum changing) all the time:
// no hook at all (the floor), the program's hook on its own thread, and a hook on the
// painting thread itself, where the program's hook used to live.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <thread>
#include <vector>

#include "engine/Odometer.h"
#include "measuring/Displays.h"
#include "measuring/Globals.h"
#include "measuring/MeasurementLock.h"
#include "measuring/PointerHook.h"
#include "tests/dialog/DialogHarness.h"
#include "tests/support/WinTestSupport.h"

namespace {

constexpr int kMoves = 150;

void Report(const char* what, std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    auto at = [&](double share) { return samples[static_cast<std::size_t>(share * (samples.size() - 1))]; };
    std::printf("%-40s n=%-4zu median %8.0f us  p95 %8.0f us  max %8.0f us\n", what, samples.size(), at(0.5),
                at(0.95), samples.back());
    std::fflush(stdout);
}

// The yardstick: a hook on the thread that paints, doing nothing but pass the event on.
std::atomic<int> paintingThreadHookCalls{0};
HHOOK paintingThreadHook = nullptr;

LRESULT CALLBACK PaintingThreadHookProc(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && wParam == WM_MOUSEMOVE) {
        ++paintingThreadHookCalls;
    }
    return CallNextHookEx(paintingThreadHook, code, wParam, lParam);
}

// Moves the pointer to and fro, about 25 moves a second, and times each SendInput.
std::vector<double> SendMoves() {
    std::vector<double> waits;
    for (int move = 0; move < kMoves; ++move) {
        INPUT input{};
        input.type = INPUT_MOUSE;
        long x = move % 2 == 0 ? 300 : 700;
        input.mi.dx = static_cast<LONG>((x * 65536 + 32768) / GetSystemMetrics(SM_CXSCREEN));
        input.mi.dy = static_cast<LONG>((400 * 65536 + 32768) / GetSystemMetrics(SM_CYSCREEN));
        input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
        LONGLONG start = PerformanceNow();
        SendInput(1, &input, sizeof input);
        waits.push_back(MicrosecondsOf(PerformanceNow() - start));
        Sleep(kInputGapMilliseconds);
    }
    return waits;
}

// Opens the dialog and repaints it without a pause, every drum changing each time, while
// another thread moves the pointer. Returns how long each move waited.
std::vector<double> MovesWhileTheDialogRepaints() {
    std::vector<double> waits;
    int repaints = 0;
    RunPropertiesDialog([&](HWND dialog) {
        std::atomic<bool> done{false};
        std::thread mover([&] {
            waits = SendMoves();
            done = true;
        });
        while (!done) {
            double distance = repaints % 2 == 0 ? 1111111111 : 2222222222;
            ModifyMeasurement([distance](OdometerState& measurement) {
                measurement.distanceCm = distance;
                measurement.maxSpeed = distance / 10000;
            });
            // Between two repaints the messages are taken, as the dialog's modal loop
            // takes them: a hook on this thread is answered there.
            PumpMessages();
            SendMessageA(dialog, WM_TIMER, 0, 0);
            RedrawWindow(dialog, nullptr, nullptr,
                         RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
            ++repaints;
        }
        mover.join();
    });
    std::printf("  (%d repaints of the whole dialog meanwhile)\n", repaints);
    return waits;
}

TEST(HookAnswer, MeasuredWhileTheDialogRepaints) {
    ResetDialogState();
    CalibrateScreen();
    ModifyMeasurement([](OdometerState& measurement) { StartMeasuring(measurement, GetTickCount()); });

    Report("no hook", MovesWhileTheDialogRepaints());

    InstallHook();
    ASSERT_TRUE(HookRunsOnItsOwnThread());
    unsigned long before = HookEventsSeen();
    Report("the program's hook, on its own thread", MovesWhileTheDialogRepaints());
    // Every move reached it (Wine may add one of its own as the dialog comes and goes).
    EXPECT_GE(HookEventsSeen() - before, static_cast<unsigned long>(kMoves));
    RemoveHook();

    paintingThreadHook = SetWindowsHookExA(WH_MOUSE_LL, PaintingThreadHookProc, GetModuleHandleA(nullptr), 0);
    ASSERT_NE(paintingThreadHook, nullptr);
    Report("a hook on the painting thread", MovesWhileTheDialogRepaints());
    std::printf("  (that hook was called for %d of %d moves)\n", paintingThreadHookCalls.load(), kMoves);
    UnhookWindowsHookEx(paintingThreadHook);
}

} // namespace
