#include "engine/TrayMessage.h"

namespace {
// The tray events the program answers.
constexpr unsigned kContextMenu = 0x007B;     // WM_CONTEXTMENU
constexpr unsigned kLeftDoubleClick = 0x0203; // WM_LBUTTONDBLCLK
constexpr unsigned kRightButtonUp = 0x0205;   // WM_RBUTTONUP
constexpr unsigned kKeySelect = 0x0400 | 0x1; // NIN_KEYSELECT: NIN_SELECT (WM_USER) with NINF_KEY

// The signed 16-bit coordinate in the low word of the value.
long SignedLowWord(std::uintptr_t value) { return static_cast<std::int16_t>(value & 0xFFFF); }

} // namespace

// A failed metric reads 0, and nothing smaller than the classic small icon is any use in
// the tray; a size beyond any icon (a broken driver, a scaling no monitor has) would only
// make the loader build an enormous picture that the shell then shrinks again.
int TrayIconPixels(int smallIconMetric) {
    if (smallIconMetric < kSmallestTrayIcon) {
        return kSmallestTrayIcon;
    }
    return smallIconMetric > kLargestTrayIcon ? kLargestTrayIcon : smallIconMetric;
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

namespace {

// offset × numerator ÷ denominator to the nearest whole number, halves away from 0, in
// 64 bits: a coordinate times a DPI stays far inside them.
long ScaledOffset(long offset, unsigned numerator, unsigned denominator) {
    std::int64_t product = static_cast<std::int64_t>(offset) * numerator;
    std::int64_t half = denominator / 2;
    std::int64_t rounded = product >= 0 ? (product + half) / denominator : -((-product + half) / denominator);
    return static_cast<long>(rounded);
}

} // namespace

// Windows keeps each monitor's top-left corner where it is in every program's
// coordinates and scales the distance from it: by 96 / monitor DPI for an unaware
// program, by system DPI / monitor DPI for a system-aware one, not at all for a
// per-monitor-aware one.
PixelPoint LogicalFromPhysical(PixelPoint physical, PixelPoint monitorCorner, unsigned monitorDpi,
                               unsigned systemDpi, DpiAwareness awareness) {
    unsigned target = 0;
    switch (awareness) {
    case DpiAwareness::Unaware:
        target = kUnscaledDpi;
        break;
    case DpiAwareness::SystemAware:
        target = systemDpi;
        break;
    case DpiAwareness::PerMonitorAware:
        target = monitorDpi;
        break;
    }
    if (monitorDpi == 0 || target == 0) {
        return physical;
    }
    return PixelPoint{monitorCorner.x + ScaledOffset(physical.x - monitorCorner.x, target, monitorDpi),
                      monitorCorner.y + ScaledOffset(physical.y - monitorCorner.y, target, monitorDpi)};
}
