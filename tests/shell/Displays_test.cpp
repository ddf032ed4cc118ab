// Reading the monitors under Wine, in the three display set-ups of tools/wine-session.sh:
// the usual virtual desktop (one monitor without EDID), one screen whose EDID states
// 400 x 300 mm, and two monitors side by side. Each suite runs in its own session (see
// CMakeLists.txt); the expected figures are worked out in the comments.
#include "measuring/Displays.h"

#include <utility>

#include <gtest/gtest.h>

#include "engine/Odometer.h"
#include "measuring/Globals.h"
#include "measuring/PointerHook.h"
#include "settings/Settings.h"

namespace {

using GetThreadContextProc = DPI_AWARENESS_CONTEXT(WINAPI*)();
using SetContextProc = DPI_AWARENESS_CONTEXT(WINAPI*)(DPI_AWARENESS_CONTEXT);
using AwarenessOfContextProc = DPI_AWARENESS(WINAPI*)(DPI_AWARENESS_CONTEXT);

template <typename Proc> Proc User32Function(const char* name) {
    auto address = reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleA("user32.dll"), name));
    return reinterpret_cast<Proc>(address);
}

DPI_AWARENESS ThreadAwareness() {
    auto current = User32Function<GetThreadContextProc>("GetThreadDpiAwarenessContext");
    auto awareness = User32Function<AwarenessOfContextProc>("GetAwarenessFromDpiAwarenessContext");
    return current != nullptr && awareness != nullptr ? awareness(current()) : DPI_AWARENESS_INVALID;
}

void ExpectArea(const MonitorArea& area, long left, long top, long right, long bottom, double mmPerPixelX,
                double mmPerPixelY) {
    EXPECT_EQ(area.left, left);
    EXPECT_EQ(area.top, top);
    EXPECT_EQ(area.right, right);
    EXPECT_EQ(area.bottom, bottom);
    EXPECT_DOUBLE_EQ(area.mmPerPixelX, mmPerPixelX);
    EXPECT_DOUBLE_EQ(area.mmPerPixelY, mmPerPixelY);
}

const char kOverrideName[] = "SkitSchermo.SKT1234.00000042";

void SetOverride(DWORD type, const void* data, DWORD size) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Skittera", 0, nullptr, 0, KEY_WRITE, nullptr,
                              &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, kOverrideName, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
}

void RemoveOverride() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Skittera", 0, KEY_WRITE, &key) == ERROR_SUCCESS) {
        RegDeleteValueA(key, kOverrideName);
        RegCloseKey(key);
    }
}

// --- One virtual desktop of 1280 x 960 ---------------------------------------------------

// The per-monitor context is taken for the reading and the thread's own given back: the
// program's windows must stay as they were created. (Wine makes every thread per-monitor
// aware whatever the manifest says, so the test makes its thread DPI-unaware first, as
// the program's manifest makes it on Windows 10 and 11.)
TEST(DesktopDisplays, PhysicalPixelsOnlyWhileReading) {
    auto setContext = User32Function<SetContextProc>("SetThreadDpiAwarenessContext");
    ASSERT_NE(setContext, nullptr) << "this Wine has no thread DPI contexts";
    DPI_AWARENESS_CONTEXT original = setContext(DPI_AWARENESS_CONTEXT_UNAWARE);
    ASSERT_NE(original, nullptr);
    ASSERT_EQ(ThreadAwareness(), DPI_AWARENESS_UNAWARE);

    DPI_AWARENESS_CONTEXT previous = EnterPhysicalPixels();
    ASSERT_NE(previous, nullptr);
    EXPECT_EQ(ThreadAwareness(), DPI_AWARENESS_PER_MONITOR_AWARE);
    LeavePhysicalPixels(previous);
    EXPECT_EQ(ThreadAwareness(), DPI_AWARENESS_UNAWARE);

    ReadMonitorLayout();
    EXPECT_EQ(ThreadAwareness(), DPI_AWARENESS_UNAWARE);
    CalibrateScreen(); // the one-screen fallback reads in the same context
    EXPECT_EQ(ThreadAwareness(), DPI_AWARENESS_UNAWARE);
    setContext(original);
}

// Wine's monitor in a virtual desktop has no EDID, so GDI's figures stand: 1280 px at
// 96 dpi are 1280 x 25.4 / 96 = 338.67, reported as 339 mm; 960 px give 254 mm.
TEST(DesktopDisplays, WithoutEdidGdiSizeIsUsed) {
    EdidInfo edid{};
    EXPECT_FALSE(ReadMonitorEdid("\\\\.\\DISPLAY1", edid));
    EXPECT_FALSE(ReadMonitorEdid("\\\\.\\DISPLAY9", edid));
    EXPECT_FALSE(ReadMonitorEdid("", edid));

    MonitorReports reports;
    MonitorLayout layout = ReadMonitorLayout(&reports);
    ASSERT_EQ(layout.count, 1);
    ExpectArea(layout.monitors[0], 0, 0, 1280, 960, 339.0 / 1280, 254.0 / 960);
    // What the user is shown: the same area, GDI's size, and no value name to state another.
    ASSERT_EQ(reports.count, 1);
    ExpectArea(reports.monitors[0].area, 0, 0, 1280, 960, 339.0 / 1280, 254.0 / 960);
    EXPECT_EQ(reports.monitors[0].source, MonitorSizeSource::Fallback);
    EXPECT_TRUE(reports.monitors[0].overrideName.IsEmpty());
    EXPECT_FALSE(reports.monitors[0].overrideRefused);

    // The one-screen fallback: the same figures, from the virtual screen and the screen's DC.
    ResetApplicationState(appState);
    CalibrateScreen();
    ASSERT_EQ(appState.layout.count, 1);
    ExpectArea(appState.layout.monitors[0], 0, 0, 1280, 960, 339.0 / 1280, 254.0 / 960);
}

// An announcement that leaves the monitors as they were (the taskbar's work area, a
// colour depth) must not cost the move in progress; a real change starts afresh.
TEST(DesktopDisplays, RecalibrationKeepsTheMoveWhenNothingChanged) {
    ResetApplicationState(appState);
    appState.unitDivisor = 1;
    CalibrateDisplays();
    StartMeasuring(appState, GetTickCount());
    MSLLHOOKSTRUCT event{};
    event.pt = POINT{100, 100};
    LowLevelMouseProc(HC_ACTION, WM_MOUSEMOVE, reinterpret_cast<LPARAM>(&event));
    CalibrateDisplays();
    event.pt = POINT{100, 580};
    LowLevelMouseProc(HC_ACTION, WM_MOUSEMOVE, reinterpret_cast<LPARAM>(&event));
    // 480 px x 254/960 mm = 127 mm.
    EXPECT_NEAR(appState.distanceCm, 12.7, 1e-9);
}

// --- One screen whose EDID states 400 x 300 mm ---------------------------------------------

// The block tests/e2e/set_edid.c gives the screen: "SKT", product 0x1234, serial 0x42.
TEST(EdidDisplays, TheMonitorsEdidIsRead) {
    EdidInfo edid{};
    ASSERT_TRUE(ReadMonitorEdid("\\\\.\\DISPLAY1", edid));
    EXPECT_STREQ(edid.manufacturer, "SKT");
    EXPECT_EQ(edid.productCode, 0x1234u);
    EXPECT_EQ(edid.serialNumber, 0x42ul);
    EXPECT_EQ(edid.imageWidthMm, 400);
    EXPECT_EQ(edid.imageHeightMm, 300);
}

// 400 mm / 1280 px = 300 mm / 960 px = 0.3125 mm per pixel; the user's 320 x 240 mm give
// 0.25, and 320,5 x 240,375 mm 0.25039. An override that is not a size, or not text at
// all, is passed over, and the user is told so.
TEST(EdidDisplays, EdidSizeAndTheUsersOverride) {
    RemoveOverride();
    MonitorReports reports;
    MonitorLayout layout = ReadMonitorLayout(&reports);
    ASSERT_EQ(layout.count, 1);
    ExpectArea(layout.monitors[0], 0, 0, 1280, 960, 0.3125, 0.3125);
    ASSERT_EQ(reports.count, 1);
    EXPECT_TRUE(reports.monitors[0].overrideName == kOverrideName);
    EXPECT_EQ(reports.monitors[0].source, MonitorSizeSource::DetailedTiming);
    EXPECT_FALSE(reports.monitors[0].overrideRefused);

    SetOverride(REG_SZ, "320x240", 8);
    layout = ReadMonitorLayout(&reports);
    ASSERT_EQ(layout.count, 1);
    ExpectArea(layout.monitors[0], 0, 0, 1280, 960, 0.25, 0.25);
    EXPECT_EQ(reports.monitors[0].source, MonitorSizeSource::Override);
    SetOverride(REG_SZ, "320,5x240,375", 14);
    ExpectArea(ReadMonitorLayout().monitors[0], 0, 0, 1280, 960, 320.5 / 1280, 240.375 / 960);

    SetOverride(REG_SZ, "320 by 240", 11);
    EXPECT_DOUBLE_EQ(ReadMonitorLayout(&reports).monitors[0].mmPerPixelX, 0.3125);
    EXPECT_EQ(reports.monitors[0].source, MonitorSizeSource::DetailedTiming);
    EXPECT_TRUE(reports.monitors[0].overrideRefused);
    DWORD number = 320;
    SetOverride(REG_DWORD, &number, sizeof number);
    EXPECT_DOUBLE_EQ(ReadMonitorLayout().monitors[0].mmPerPixelX, 0.3125);
    SetOverride(REG_BINARY, "320x240", 7); // no terminating zero
    EXPECT_DOUBLE_EQ(ReadMonitorLayout().monitors[0].mmPerPixelX, 0.25);
    RemoveOverride();
}

// --- Two monitors: the primary 1024 x 768, another 1280 x 1024 left of it ---------------------

// Wine's modes of these monitors are nonsense (the first says it is the whole X screen,
// the second 0 x 0), so the rectangles must come from the monitors themselves, read in
// physical pixels. No EDID on this path: GDI's 271 x 203 mm for 1024 x 768 and
// 339 x 271 mm for 1280 x 1024 (96 dpi, as above).
TEST(TwoMonitors, EachMonitorWithItsOwnRectangleAndFactors) {
    MonitorLayout layout = ReadMonitorLayout();
    ASSERT_EQ(layout.count, 2);
    const MonitorArea* primary = &layout.monitors[0];
    const MonitorArea* left = &layout.monitors[1];
    if (primary->left != 0) {
        std::swap(primary, left);
    }
    ExpectArea(*primary, 0, 0, 1024, 768, 271.0 / 1024, 203.0 / 768);
    ExpectArea(*left, -1280, 0, 0, 1024, 339.0 / 1280, 271.0 / 1024);
}

} // namespace
