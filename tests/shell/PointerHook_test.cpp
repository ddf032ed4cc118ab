// The pointer hook under Wine: both hook procedures fed with events directly, and the
// low-level hook fed by real input that another thread sends while this one pumps.
#include "measuring/PointerHook.h"

#include <atomic>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "engine/DayRecord.h"
#include "engine/Monitors.h"
#include "engine/Odometer.h"
#include "measuring/Displays.h"
#include "measuring/Globals.h"
#include "measuring/MeasurementLock.h"
#include "support/GdiTally.h"
#include "tests/support/WinTestSupport.h"

namespace {

constexpr double kMmPerPixel = 0.25;

// What a low-level hook sees of each event: the event's point and, at the same
// moment, what GetCursorPos says.
struct SeenEvent {
    POINT eventPoint;
    POINT cursor;
};
std::vector<SeenEvent> seenEvents;
HHOOK recorderHook = nullptr;

LRESULT CALLBACK RecorderProc(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && wParam == WM_MOUSEMOVE) {
        SeenEvent seen{};
        seen.eventPoint = reinterpret_cast<const MSLLHOOKSTRUCT*>(lParam)->pt;
        GetCursorPos(&seen.cursor);
        seenEvents.push_back(seen);
    }
    return CallNextHookEx(recorderHook, code, wParam, lParam);
}

class PointerHookTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetApplicationState(appState);
        hookSamples = SpeedSampleWindow();
        // The whole virtual screen as one monitor of 0.25 mm per pixel.
        MonitorLayout layout;
        layout.count = 1;
        long left = GetSystemMetrics(SM_XVIRTUALSCREEN);
        long top = GetSystemMetrics(SM_YVIRTUALSCREEN);
        layout.monitors[0] = MonitorArea{left,
                                         top,
                                         left + GetSystemMetrics(SM_CXVIRTUALSCREEN),
                                         top + GetSystemMetrics(SM_CYVIRTUALSCREEN),
                                         kMmPerPixel,
                                         kMmPerPixel};
        SetMonitorLayout(appState, layout);
        appState.unitDivisor = 1;
        StartMeasuring(appState, GetTickCount());
        seenEvents.clear();
    }

    void TearDown() override {
        RemoveHook();
        if (recorderHook != nullptr) {
            UnhookWindowsHookEx(recorderHook);
            recorderHook = nullptr;
        }
    }

    static LRESULT LowLevel(WPARAM message, long x, long y, int code = HC_ACTION, DWORD mouseData = 0) {
        MSLLHOOKSTRUCT event{};
        event.pt.x = x;
        event.pt.y = y;
        event.mouseData = mouseData;
        return LowLevelMouseProc(code, message, reinterpret_cast<LPARAM>(&event));
    }

    static LRESULT Journal(UINT message, int code = HC_ACTION) {
        EVENTMSG event{};
        event.message = message;
        return JournalRecordProc(code, 0, reinterpret_cast<LPARAM>(&event));
    }
};

TEST_F(PointerHookTest, InstallPrefersTheLowLevelHookOnAThreadOfItsOwn) {
    InstallHook();
    EXPECT_NE(appState.hookHandle, nullptr);
    EXPECT_EQ(InstalledHookKind(), HookKind::LowLevelMouse);
    EXPECT_TRUE(HookRunsOnItsOwnThread());
    HHOOK first = appState.hookHandle;
    InstallHook(); // renewed on the running thread
    EXPECT_NE(appState.hookHandle, nullptr);
    EXPECT_NE(appState.hookHandle, first);
    EXPECT_TRUE(HookRunsOnItsOwnThread());
    RemoveHook();
    EXPECT_EQ(appState.hookHandle, nullptr);
    EXPECT_EQ(InstalledHookKind(), HookKind::None);
    EXPECT_FALSE(HookRunsOnItsOwnThread());
    RemoveHook(); // removing twice is harmless
}

TEST_F(PointerHookTest, LowLevelMovesAddTheDistanceBetweenEventPoints) {
    unsigned long before = HookEventsSeen();
    LowLevel(WM_MOUSEMOVE, 100, 100);
    EXPECT_EQ(appState.distanceCm, 0); // the first move only records the position
    LowLevel(WM_MOUSEMOVE, 400, 500);
    EXPECT_DOUBLE_EQ(appState.distanceCm, 12.5);
    EXPECT_EQ(appState.movedSinceTick, 1);
    EXPECT_EQ(HookEventsSeen(), before + 2);
}

TEST_F(PointerHookTest, EventPointBeyondTheScreenIsClampedToItsEdge) {
    long right = GetSystemMetrics(SM_XVIRTUALSCREEN) + GetSystemMetrics(SM_CXVIRTUALSCREEN);
    long bottom = GetSystemMetrics(SM_YVIRTUALSCREEN) + GetSystemMetrics(SM_CYVIRTUALSCREEN);
    ASSERT_GT(right, 200);
    LowLevel(WM_MOUSEMOVE, right - 1, 300);
    LowLevel(WM_MOUSEMOVE, right + 25, 300); // pushed on against the edge
    EXPECT_EQ(appState.distanceCm, 0);
    EXPECT_EQ(appState.lastPosition.x, right - 1);
    LowLevel(WM_MOUSEMOVE, right - 101, 300);
    EXPECT_DOUBLE_EQ(appState.distanceCm, 2.5);

    LowLevel(WM_MOUSEMOVE, right - 101, bottom + 40);
    EXPECT_EQ(appState.lastPosition.y, bottom - 1);
    // Down from row 300 to the last row in one event, at 0.25 mm per row.
    double afterPush = 2.5 + static_cast<double>(bottom - 1 - 300) * 0.025;
    EXPECT_DOUBLE_EQ(appState.distanceCm, afterPush);
    // 40 rows is beyond a push's reach: the move after it starts afresh.
    LowLevel(WM_MOUSEMOVE, right - 101, bottom - 101);
    EXPECT_DOUBLE_EQ(appState.distanceCm, afterPush);
}

TEST_F(PointerHookTest, ButtonsAndWheelCountForTheDayAndMoveNothing) {
    LowLevel(WM_MOUSEMOVE, 100, 100);
    appState.movedSinceTick = 0;
    long lastX = appState.lastPosition.x;
    LowLevel(WM_LBUTTONDOWN, 500, 500);
    LowLevel(WM_MOUSEWHEEL, 500, 500);
    LowLevel(WM_MOUSEMOVE, 500, 500, -1); // a code below 0 is only passed on
    EXPECT_EQ(appState.distanceCm, 0);
    EXPECT_EQ(appState.lastPosition.x, lastX);
    EXPECT_EQ(appState.movedSinceTick, 0);
    EXPECT_EQ(LowLevelMouseProc(HC_ACTION, WM_MOUSEMOVE, 0), 0); // no event record at all
    EXPECT_EQ(appState.dayFigures.presses, 1U);
    EXPECT_EQ(appState.dayFigures.wheelNotches, 0U); // a delta of 0

    // The delta is the signed high word of mouseData: -240 is two notches, and two
    // halves of the horizontal wheel make one more.
    LowLevel(WM_MOUSEWHEEL, 0, 0, HC_ACTION, static_cast<DWORD>(-240) << 16);
    LowLevel(kHorizontalWheelMessage, 0, 0, HC_ACTION, 60U << 16);
    LowLevel(kHorizontalWheelMessage, 0, 0, HC_ACTION, 60U << 16);
    LowLevel(WM_XBUTTONDOWN, 0, 0, HC_ACTION, XBUTTON2 << 16);
    LowLevel(WM_LBUTTONUP, 0, 0);
    EXPECT_EQ(appState.dayFigures.wheelNotches, 3U);
    EXPECT_EQ(appState.dayFigures.presses, 2U);
}

TEST_F(PointerHookTest, NestedCallsWhileBusyMeasureNothing) {
    LowLevel(WM_MOUSEMOVE, 100, 100);
    hookSamples.hookBusy = 1;
    LowLevel(WM_MOUSEMOVE, 300, 100);
    EXPECT_EQ(Journal(WM_MOUSEMOVE), 0);
    EXPECT_EQ(appState.distanceCm, 0);
    EXPECT_EQ(hookSamples.hookBusy, 1);
    hookSamples.hookBusy = 0;
    LowLevel(WM_MOUSEMOVE, 300, 100);
    EXPECT_DOUBLE_EQ(appState.distanceCm, 5.0);
    EXPECT_EQ(hookSamples.hookBusy, 0);
}

TEST_F(PointerHookTest, JournalHookMeasuresThePointerPosition) {
    ASSERT_TRUE(SetCursorPos(200, 120));
    Journal(WM_MOUSEMOVE);
    EXPECT_EQ(appState.lastPosition.x, 200);
    EXPECT_EQ(appState.lastPosition.y, 120);
    ASSERT_TRUE(SetCursorPos(260, 200));
    Journal(WM_MOUSEMOVE);
    EXPECT_DOUBLE_EQ(appState.distanceCm, 2.5); // 60 x 80 pixels: 100 pixels, 25 mm
    EXPECT_EQ(hookSamples.hookBusy, 0);
}

TEST_F(PointerHookTest, JournalKeysButtonsAndOtherCodesMoveNothing) {
    ASSERT_TRUE(SetCursorPos(200, 120));
    Journal(WM_MOUSEMOVE);
    appState.movedSinceTick = 0;
    ASSERT_TRUE(SetCursorPos(600, 400));
    Journal(WM_KEYDOWN);
    Journal(WM_LBUTTONDOWN);
    Journal(WM_MOUSEMOVE, HC_SYSMODALON);
    Journal(WM_RBUTTONDOWN, HC_SYSMODALON);
    Journal(WM_MOUSEWHEEL);
    EXPECT_EQ(appState.distanceCm, 0);
    EXPECT_EQ(appState.movedSinceTick, 0);
    // The record of a wheel message carries no delta: one notch each.
    EXPECT_EQ(appState.dayFigures.presses, 1U);
    EXPECT_EQ(appState.dayFigures.wheelNotches, 1U);
}

// Real presses and turns of the wheels through the installed hook: each press once,
// whatever the button, and the wheels' units summed to notches.
TEST_F(PointerHookTest, RealPressesAndWheelTurnsAreCounted) {
    InstallHook();
    ASSERT_EQ(InstalledHookKind(), HookKind::LowLevelMouse);
    SendWhilePumping([] {
        SendClick(300, 300, MouseButton::kLeft, 2);
        SendClick(300, 300, MouseButton::kRight);
        SendClick(300, 300, MouseButton::kMiddle);
        SendClick(300, 300, MouseButton::kSide1);
        SendClick(300, 300, MouseButton::kSide2);
        SendWheel(120);
        SendWheel(-360);
        SendWheel(40);
        SendWheel(40, true);
        SendWheel(-40, true);
    });
    OdometerState seen = SnapshotMeasurement();
    EXPECT_EQ(seen.dayFigures.presses, 6U);
    // 120 + 360 = four notches and 40 carried on the vertical wheel; 80 on the
    // horizontal one, no notch yet.
    EXPECT_EQ(seen.dayFigures.wheelNotches, 4U);
    EXPECT_EQ(seen.wheelUnitsCarried[0], 40U);
    EXPECT_EQ(seen.wheelUnitsCarried[1], 80U);
}

TEST_F(PointerHookTest, CalibrationFromTheScreenAndNoContextLeft) {
    long before = GdiObjectsInUse();
    CalibrateScreen();
    // The test screen: Wine reports its 1280 x 960 pixels as 339 x 254 mm (96 dots per inch).
    ASSERT_EQ(appState.layout.count, 1);
    EXPECT_DOUBLE_EQ(appState.layout.monitors[0].mmPerPixelX, 0.26484375);          // 339 / 1280
    EXPECT_DOUBLE_EQ(appState.layout.monitors[0].mmPerPixelY, 0.26458333333333333); // 254 / 960
    EXPECT_EQ(GdiObjectsInUse(), before);
}

// The two facts the low-level hook is built on, seen with real input: inside the hook
// GetCursorPos still holds the previous position, and at a screen edge the event's
// point lies beyond the screen.
TEST_F(PointerHookTest, InsideTheHookTheCursorLagsAndEdgeEventsLieOffScreen) {
    ASSERT_TRUE(SetCursorPos(100, 100));
    PumpMessagesFor(100);
    recorderHook = SetWindowsHookExA(WH_MOUSE_LL, RecorderProc, GetModuleHandleA(nullptr), 0);
    ASSERT_NE(recorderHook, nullptr);
    SendWhilePumping([] {
        SendAbsoluteMove(300, 300);
        SetCursorPos(5, 500);
        Sleep(100);
        SendRelativeMove(-50, 0);
    });
    ASSERT_EQ(seenEvents.size(), 2u);
    EXPECT_EQ(seenEvents[0].eventPoint.x, 300);
    EXPECT_EQ(seenEvents[0].eventPoint.y, 300);
    EXPECT_EQ(seenEvents[0].cursor.x, 100);
    EXPECT_EQ(seenEvents[0].cursor.y, 100);
    EXPECT_LT(seenEvents[1].eventPoint.x, 0);
    EXPECT_EQ(seenEvents[1].cursor.x, 5);
}

// Real pointer moves through the installed hook add up to the path the events describe,
// with the point beyond the left edge counted as the edge itself.
TEST_F(PointerHookTest, RealMovesAddUpToTheirPath) {
    InstallHook();
    ASSERT_EQ(InstalledHookKind(), HookKind::LowLevelMouse);
    // The recorder comes after the program's hook and so sees each event first.
    recorderHook = SetWindowsHookExA(WH_MOUSE_LL, RecorderProc, GetModuleHandleA(nullptr), 0);
    ASSERT_NE(recorderHook, nullptr);
    SendWhilePumping([] {
        SendAbsoluteMove(100, 100);
        SendAbsoluteMove(500, 100);
        SendAbsoluteMove(500, 400);
        SendAbsoluteMove(10, 400);
        // X accelerates relative moves (twice the part beyond 4 pixels by default): a
        // small one stays within a push's reach beyond the edge.
        SendRelativeMove(-12, 0);
        SendAbsoluteMove(300, 700);
    });
    ASSERT_EQ(seenEvents.size(), 6u);
    // The events lie where they were sent; the relative one beyond the left edge.
    const POINT sent[] = {{100, 100}, {500, 100}, {500, 400}, {10, 400}, {-1, 400}, {300, 700}};
    for (std::size_t event = 0; event < seenEvents.size(); ++event) {
        const POINT& seen = seenEvents[event].eventPoint;
        ASSERT_TRUE(event == 4 ? seen.x < 0 : seen.x == sent[event].x) << "event " << event << ": " << seen.x;
        ASSERT_EQ(seen.y, sent[event].y) << "event " << event;
    }
    // At 0.25 mm per pixel the legs measure 400, 300, 490 and 10 pixels (to the edge,
    // x = 0), then 300 x 300 pixels: 1200 pixels straight, 100 + 75 + 122.5 + 2.5 = 300 mm,
    // and 75 * sqrt(2) = 106.066017177982 mm on the diagonal.
    EXPECT_NEAR(appState.distanceCm, 40.6066017177982, 1e-9);
}

// The thread that installs the hook takes no message for two seconds (it paints, it
// tracks a menu, it waits for the shell) while the pointer moves: every move is counted
// all the same, and by the time it looks again. The thread that installed the hook
// used to be the one the system called it on, so then the moves waited for it, and
// under Wine they came late, merged, or not at all.
TEST_F(PointerHookTest, CountsEveryMoveWhileTheInstallingThreadIsBusy) {
    ASSERT_TRUE(SetCursorPos(100, 100));
    PumpMessagesFor(100);
    InstallHook();
    ASSERT_NE(InstalledHookKind(), HookKind::None);
    unsigned long before = HookEventsSeen();
    std::atomic<bool> done{false};
    std::thread mover([&] {
        SendAbsoluteMove(100, 100);
        SendAbsoluteMove(500, 100);
        SendAbsoluteMove(500, 400);
        SendAbsoluteMove(200, 400);
        done = true;
    });
    DWORD start = GetTickCount();
    while ((GetTickCount() - start < 2000 || !done) && GetTickCount() - start < 30000) {
        // Busy, and not a message taken.
    }
    // Waits for the last event without taking a message either.
    for (int i = 0; i < 100 && HookEventsSeen() - before < 4; ++i) {
        Sleep(50);
    }
    OdometerState measured = SnapshotMeasurement();
    mover.join();
    EXPECT_EQ(HookEventsSeen() - before, 4u);
    // At 0.25 mm a pixel: 400 pixels right (10 cm), 300 down (7.5 cm), 300 left
    // (7.5 cm); the first move only records where the pointer is.
    EXPECT_DOUBLE_EQ(measured.distanceCm, 25.0);
    EXPECT_EQ(measured.movedSinceTick, 1);
}

// While the hook thread counts, the main thread reads the measurement and changes the
// unit as its ticks and the dialog do. Every copy it reads is one that the moves
// really passed through, and the changes lose no move.
TEST_F(PointerHookTest, MainThreadReadsAndChangesLoseNoMove) {
    ASSERT_TRUE(SetCursorPos(100, 100));
    PumpMessagesFor(100);
    InstallHook();
    ASSERT_NE(InstalledHookKind(), HookKind::None);
    std::atomic<bool> done{false};
    std::thread mover([&] {
        for (int round = 0; round < 3; ++round) {
            SendAbsoluteMove(100, 100);
            SendAbsoluteMove(500, 100); // 10 cm
            SendAbsoluteMove(100, 100); // 10 cm
        }
        done = true;
    });
    int snapshots = 0;
    bool onlyWholeMoves = true;
    while (!done) {
        OdometerState seen = SnapshotMeasurement();
        // 10 cm a move, counted exactly in binary: nothing between two whole moves.
        onlyWholeMoves = onlyWholeMoves && seen.distanceCm == 10.0 * static_cast<int>(seen.distanceCm / 10.0);
        double divisor = snapshots % 2 == 0 ? 100 : 1;
        ModifyMeasurement([divisor](OdometerState& measurement) { measurement.unitDivisor = divisor; });
        ++snapshots;
    }
    mover.join();
    PumpMessagesFor(300);
    OdometerState measured = SnapshotMeasurement();
    EXPECT_GT(snapshots, 100);
    EXPECT_TRUE(onlyWholeMoves);
    // Six moves of 400 pixels at 0.25 mm; the first only records the position, and the
    // moves back onto (100, 100) from there add nothing.
    EXPECT_DOUBLE_EQ(measured.distanceCm, 60.0);
}

} // namespace
