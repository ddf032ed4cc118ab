#include "engine/StartRules.h"

namespace {

constexpr unsigned long kPlatformWindows9x = 1; // VER_PLATFORM_WIN32_WINDOWS
constexpr unsigned long kPlatformWindowsNt = 2; // VER_PLATFORM_WIN32_NT

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

bool SameIntegrityLevel(bool ownKnown, unsigned long own, bool otherKnown, unsigned long other) {
    if (!ownKnown) {
        return true;
    }
    return otherKnown && own == other;
}
