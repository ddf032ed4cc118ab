#include "shell/ShellRules.h"

#include <cstring>

namespace {

constexpr unsigned long kPlatformWindows9x = 1; // VER_PLATFORM_WIN32_WINDOWS
constexpr unsigned long kPlatformWindowsNt = 2; // VER_PLATFORM_WIN32_NT

// The tray events the program answers.
constexpr unsigned kContextMenu = 0x007B;     // WM_CONTEXTMENU
constexpr unsigned kLeftDoubleClick = 0x0203; // WM_LBUTTONDBLCLK
constexpr unsigned kRightButtonUp = 0x0205;   // WM_RBUTTONUP
constexpr unsigned kKeySelect = 0x0400 | 0x1; // NIN_KEYSELECT: NIN_SELECT (WM_USER) with NINF_KEY

// The signed 16-bit coordinate in the low word of the value.
long SignedLowWord(std::uintptr_t value) { return static_cast<std::int16_t>(value & 0xFFFF); }

} // namespace

// Centred in the work area's size, measured from the screen's corner: a taskbar on the
// top or left edge shifts the work area but not the splash. Integer division truncates
// toward zero, so a work area narrower than the splash gives a negative origin.
PixelPoint SplashOrigin(const ScreenRect& workArea) {
    PixelPoint origin;
    origin.x = (workArea.right - workArea.left - kSplashWidth) / 2;
    origin.y = (workArea.bottom - workArea.top - kSplashHeight) / 2;
    return origin;
}

bool IsSupportedPlatform(unsigned long platformId) {
    return platformId == kPlatformWindows9x || platformId == kPlatformWindowsNt;
}

// A failed metric reads 0, and nothing smaller than the classic small icon is any use in
// the tray; a size beyond any icon (a broken driver, a scaling no monitor has) would only
// make the loader build an enormous picture that the shell then shrinks again.
int TrayIconPixels(int smallIconMetric) {
    if (smallIconMetric < kSmallestTrayIcon) {
        return kSmallestTrayIcon;
    }
    return smallIconMetric > kLargestTrayIcon ? kLargestTrayIcon : smallIconMetric;
}

// A copy that answers is handed over to even when the mutex is this copy's: an older
// build that knows no mutex may be running. Without an answer, the mutex decides; a
// copy that holds it and never shows a window (it hangs in its start-up, or takes
// longer than any orderly end) is not run beside.
StartStep NextStartStep(bool holdsMutex, bool copyAnswers, TickCount waitedMs) {
    if (copyAnswers) {
        return StartStep::HandOver;
    }
    if (holdsMutex) {
        return StartStep::Run;
    }
    return waitedMs >= kWaitForRunningCopyMs ? StartStep::GiveUp : StartStep::Wait;
}

// A second copy's hand-over (wParam 0, lParam WM_LBUTTONDBLCLK) reads as a double click
// on icon 0 in both forms. At version 4 the shell sends a right click as WM_RBUTTONUP and
// then WM_CONTEXTMENU: only the second opens the menu, so that it opens once; Shift+F10
// and the menu key send WM_CONTEXTMENU alone. A single click (NIN_SELECT, WM_LBUTTONUP)
// does nothing, as before: the double click opens the dialog. Messages for another icon,
// and lParams with bits beyond the ones the form uses, ask for nothing. A WM_CONTEXTMENU
// that does not follow the right button's release came from the keyboard.
TrayRequest ReadTrayMessage(unsigned version, std::uintptr_t wParam, std::intptr_t lParam,
                            unsigned previousEvent) {
    TrayRequest request;
    auto bits = static_cast<std::uintptr_t>(lParam);
    unsigned event = 0;
    if (version >= kTrayVersion4) {
        if ((bits >> 16) != 0) {
            return request; // another icon's number in the high word
        }
        event = static_cast<unsigned>(bits);
        request.anchor = PixelPoint{SignedLowWord(wParam), SignedLowWord(wParam >> 16)};
    } else {
        if (wParam != 0 || bits > 0xFFFF) {
            return request;
        }
        event = static_cast<unsigned>(bits);
    }
    request.event = event;
    switch (event) {
    case kLeftDoubleClick:
    case kKeySelect:
        request.action = TrayAction::OpenDialog;
        break;
    case kContextMenu:
        request.action = version >= kTrayVersion4 ? TrayAction::MenuAtAnchor : TrayAction::None;
        request.byKeyboard = request.action == TrayAction::MenuAtAnchor && previousEvent != kRightButtonUp;
        break;
    case kRightButtonUp:
        request.action = version >= kTrayVersion4 ? TrayAction::None : TrayAction::MenuAtPointer;
        break;
    default:
        break;
    }
    return request;
}

// Only the monitors the count covers; the table's unused entries mean nothing.
bool SameMonitorLayout(const MonitorLayout& a, const MonitorLayout& b) {
    if (a.count != b.count) {
        return false;
    }
    for (int index = 0; index < a.count; ++index) {
        const MonitorArea& x = a.monitors[index];
        const MonitorArea& y = b.monitors[index];
        if (x.left != y.left || x.top != y.top || x.right != y.right || x.bottom != y.bottom ||
            x.mmPerPixelX != y.mmPerPixelX || x.mmPerPixelY != y.mmPerPixelY) {
            return false;
        }
    }
    return true;
}

// Called on each main-timer tick with the pointer position (null when it cannot be
// read) and the number of hook events so far. The pointer moved between two ticks
// while not one event reached the hook: the hook is gone. Either way the watch starts
// over from this tick.
bool HookNeedsReinstall(HookWatch& watch, const PixelPoint* cursor, unsigned long eventsSeen) {
    bool moved = cursor != nullptr && watch.havePosition &&
                 (cursor->x != watch.lastPosition.x || cursor->y != watch.lastPosition.y);
    bool silent = eventsSeen == watch.eventsAtLastTick;
    ResetHookWatch(watch, cursor, eventsSeen);
    return moved && silent;
}

void ResetHookWatch(HookWatch& watch, const PixelPoint* cursor, unsigned long eventsSeen) {
    watch.havePosition = cursor != nullptr;
    if (cursor != nullptr) {
        watch.lastPosition = *cursor;
    }
    watch.eventsAtLastTick = eventsSeen;
}

bool HookHearsInputAt(unsigned long ownLevel, bool targetKnown, unsigned long targetLevel) {
    return targetKnown && targetLevel <= ownLevel;
}

bool SameIntegrityLevel(bool ownKnown, unsigned long own, bool otherKnown, unsigned long other) {
    if (!ownKnown) {
        return true;
    }
    return otherKnown && own == other;
}

void RecordCheckpoint(CheckpointRecord& record, const OdometerState& state, const TextString& sinceDate,
                      TickCount now) {
    record.distanceCm = state.distanceCm;
    record.unitDivisor = state.unitDivisor;
    record.sinceDate = sinceDate;
    record.day = state.day;
    record.dayFigures = state.dayFigures;
    record.savedAt = now;
}

// Something the registry does not hold yet: the distance grew, the dialog changed the
// unit or reset the counter, or today's figures changed (a click or a turn of the
// wheel without a move, a new day).
bool CheckpointPending(const CheckpointRecord& record, const OdometerState& state,
                       const TextString& sinceDate) {
    const DayFigures& day = state.dayFigures;
    const DayFigures& saved = record.dayFigures;
    return state.distanceCm != record.distanceCm || state.unitDivisor != record.unitDivisor ||
           std::strcmp(sinceDate.buffer, record.sinceDate.buffer) != 0 || state.day != record.day ||
           day.distanceCm != saved.distanceCm || day.presses != saved.presses ||
           day.wheelNotches != saved.wheelNotches || day.activeSeconds != saved.activeSeconds;
}

// A change waits at most one checkpoint period before it is written; a counter that
// stands still is never rewritten.
bool CheckpointDue(const CheckpointRecord& record, const OdometerState& state, const TextString& sinceDate,
                   TickCount now) {
    return CheckpointPending(record, state, sinceDate) &&
           TicksBetween(record.savedAt, now) >= kCheckpointPeriodMs;
}
