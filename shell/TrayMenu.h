// The tray menu, shown from the tray with its owner-drawn items (OwnerDrawMenu.h).
#ifndef SKITTERA_SHELL_TRAYMENU_H
#define SKITTERA_SHELL_TRAYMENU_H

#include <windows.h>

#include "shell/OwnerDrawMenu.h"

// Shows the menu from the tray, its right edge at the point, answering the mouse and
// the keyboard, and returns the command chosen, 0 when none was. The owner-draw
// requests are answered here; the caller carries out the command. focusKept, when
// given, tells whether the menu's window still had the focus as the menu closed (it
// was closed by a key, not by a click into another window).
UINT TrackTrayMenu(HMENU menu, POINT at, bool* focusKept = nullptr);

// The class of the window that owns the tray menu while it is open.
constexpr char kMenuOwnerClass[] = "SkitteraMenu";

// The tray menu at the point, with "Propietà" as its default item; returns the command
// chosen, 0 for none, and tells through focusKept as TrackTrayMenu does.
UINT ShowTrayMenu(POINT at, bool* focusKept);

#endif
