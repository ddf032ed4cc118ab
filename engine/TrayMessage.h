// The tray icon's picture size and what a message from the icon asks for.
#ifndef SKITTERA_ENGINE_TRAYMESSAGE_H
#define SKITTERA_ENGINE_TRAYMESSAGE_H

#include "engine/OdometerState.h"
#include <cstdint>

// The tray icon's size in pixels, from the small-icon size the system reports for the
// scaling (16 at 100 %, 20 at 125 %, 24 at 150 % and so on): that size, kept between
// the classic 16 and the largest icon there is, 256.
constexpr int kSmallestTrayIcon = 16;
constexpr int kLargestTrayIcon = 256;

int TrayIconPixels(int smallIconMetric);

// What a message from the tray icon asks for. A shell that took version 4 of the icon's
// messages puts the event in lParam's low word, the icon's number in its high word and,
// in wParam, the screen point the event belongs to: the pointer for the mouse, the icon
// itself for the keyboard. A shell left at version 0 puts the icon's number in wParam
// and the event, a mouse message, in lParam. The program's one icon is number 0.
constexpr unsigned kTrayVersionClassic = 0;
constexpr unsigned kTrayVersion4 = 4;

enum class TrayAction {
    None,
    OpenDialog,    // a double click, Enter or Space on the icon, a second copy's hand-over
    MenuAtAnchor,  // the context menu asked for by the mouse or the keyboard (version 4)
    MenuAtPointer, // a right click at version 0, which says nowhere where it was
};

struct TrayRequest {
    TrayAction action = TrayAction::None;
    PixelPoint anchor{0, 0}; // screen coordinates, for MenuAtAnchor
    unsigned event = 0;      // the event of the program's icon; 0 for another icon's
    bool byKeyboard = false; // the menu was asked for from the keyboard
};

// previousEvent is the event of the icon's message before this one (0 for none).
TrayRequest ReadTrayMessage(unsigned version, std::uintptr_t wParam, std::intptr_t lParam,
                            unsigned previousEvent = 0);

// How a program takes part in the scaling: its DPI awareness.
enum class DpiAwareness { Unaware, SystemAware, PerMonitorAware };

// The DPI of 100 %, the one an unaware program always sees.
constexpr unsigned kUnscaledDpi = 96;

// A screen point in physical pixels (the keyboard's anchor from a shell at version 4) in
// the logical pixels of a program of the given awareness: the point lies on a monitor
// whose physical top-left corner is monitorCorner and whose scaling is monitorDpi, with
// systemDpi the system's (the log-on's). A DPI of 0, not known, leaves the point as it is.
PixelPoint LogicalFromPhysical(PixelPoint physical, PixelPoint monitorCorner, unsigned monitorDpi,
                               unsigned systemDpi, DpiAwareness awareness);

#endif
