#include "shell/PointerHook.h"

#include "engine/Edid.h"
#include "engine/Monitors.h"
#include "engine/Odometer.h"
#include "shell/Globals.h"
#include "support/GdiTally.h"

SpeedSampleWindow hookSamples;

namespace {

HookKind hookKind = HookKind::None;
unsigned long hookEvents = 0;

// Keys, buttons and the wheel pass straight on: only a pointer move needs the clock.
void MeasureAt(int code, unsigned message, const PixelPoint* position) {
    if (!IsPointerMoveEvent(code, message)) {
        return;
    }
    MeasurePointerEvent(appState, hookSamples, code, message, position, GetTickCount());
}

} // namespace

// The whole virtual screen as one monitor, at the millimetres per pixel of what the
// display driver reports of the screen's physical size and its resolution.
void CalibrateScreen() {
    HDC screen = TallyCreateCompatibleDC(nullptr);
    MonitorFacts facts{};
    facts.fallbackWidthMm = GetDeviceCaps(screen, HORZSIZE);
    facts.fallbackHeightMm = GetDeviceCaps(screen, VERTSIZE);
    facts.fallbackWidthPixels = GetDeviceCaps(screen, HORZRES);
    facts.fallbackHeightPixels = GetDeviceCaps(screen, VERTRES);
    TallyDeleteDC(screen);
    facts.left = GetSystemMetrics(SM_XVIRTUALSCREEN);
    facts.top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    facts.right = facts.left + GetSystemMetrics(SM_CXVIRTUALSCREEN);
    facts.bottom = facts.top + GetSystemMetrics(SM_CYVIRTUALSCREEN);
    MonitorLayout layout;
    layout.count = 1;
    layout.monitors[0] = CalibrateMonitor(facts);
    SetMonitorLayout(appState, layout);
}

// Journal-record hooks are refused since Windows Vista unless the program has
// UIAccess, are gone in Windows 11, and Wine accepts one but never calls it: the
// counter would stand still while everything looks fine. A low-level mouse hook works
// everywhere from Windows 2000 on, so it comes first.
void InstallHook() {
    HINSTANCE module = GetModuleHandleA(nullptr);
    appState.hookHandle = SetWindowsHookExA(WH_MOUSE_LL, LowLevelMouseProc, module, 0);
    if (appState.hookHandle != nullptr) {
        hookKind = HookKind::LowLevelMouse;
        return;
    }
    appState.hookHandle = SetWindowsHookExA(WH_JOURNALRECORD, JournalRecordProc, module, 0);
    hookKind = appState.hookHandle != nullptr ? HookKind::JournalRecord : HookKind::None;
}

// The handle is cleared so that nothing passes a stale hook on.
void RemoveHook() {
    if (appState.hookHandle != nullptr) {
        UnhookWindowsHookEx(appState.hookHandle);
    }
    appState.hookHandle = nullptr;
    hookKind = HookKind::None;
}

HookKind InstalledHookKind() { return hookKind; }

unsigned long HookEventsSeen() { return hookEvents; }

// Called for every pointer event of the desktop, on this thread, while it waits for
// messages. The position comes from the event itself: inside the hook GetCursorPos
// still holds the previous position. At a screen edge the event's point can lie
// beyond the screen (the pointer is stopped there afterwards); the measuring step takes
// it to where the pointer can really be. Nothing but the measuring step runs here.
LRESULT CALLBACK LowLevelMouseProc(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && hookSamples.hookBusy == 0 && lParam != 0) {
        hookSamples.hookBusy = 1;
        ++hookEvents;
        const MSLLHOOKSTRUCT* event = reinterpret_cast<const MSLLHOOKSTRUCT*>(lParam);
        PixelPoint position{event->pt.x, event->pt.y};
        MeasureAt(code, static_cast<unsigned>(wParam), &position);
        hookSamples.hookBusy = 0;
    }
    return CallNextHookEx(appState.hookHandle, code, wParam, lParam);
}

// The fallback hook, for where no low-level hook is granted. The event goes on to the
// next hook before the program looks at it, and the position is read with
// GetCursorPos; a nested call while busy is not passed on.
LRESULT CALLBACK JournalRecordProc(int code, WPARAM wParam, LPARAM lParam) {
    if (hookSamples.hookBusy != 0) {
        return 0;
    }
    LRESULT result = CallNextHookEx(appState.hookHandle, code, wParam, lParam);
    hookSamples.hookBusy = 1;
    const EVENTMSG* event = reinterpret_cast<const EVENTMSG*>(lParam);
    if (code == HC_ACTION && event != nullptr) {
        ++hookEvents;
        if (IsPointerMoveEvent(code, event->message)) {
            POINT cursor;
            PixelPoint position{0, 0};
            const PixelPoint* read = nullptr;
            // An event whose position cannot be read is skipped rather than measured
            // from an undefined point.
            if (GetCursorPos(&cursor)) {
                position = PixelPoint{cursor.x, cursor.y};
                read = &position;
            }
            MeasureAt(code, event->message, read);
        }
    }
    hookSamples.hookBusy = 0;
    return result;
}
