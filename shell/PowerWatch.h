// What the main window hears about the display and the session: the display going off
// and on (a power-setting notification), the session locked and unlocked.
#ifndef SKITTERA_SHELL_POWERWATCH_H
#define SKITTERA_SHELL_POWERWATCH_H

#include <windows.h>

// Asks for the display's state (Windows 8 and later, and the monitor's power on Windows
// 7; looked up at run time) and for the session's lock and unlock. Returns false when
// the session's notifications could not be had yet: early at log-on the service behind
// them may not be running, and asking again later is what its documentation advises.
bool WatchDisplayAndSession(HWND window);
// Asks for the session's notifications again, where the first request failed.
bool WatchSession(HWND window);
void StopWatchingDisplayAndSession(HWND window);

enum class DisplayPower { Unknown, Off, On };

// The display's state from a PBT_POWERSETTINGCHANGE's lParam. Anything else (another
// setting, a record too short, a pointer that leads nowhere, as one sent from outside may)
// is Unknown. Dimmed counts as on: the user is still there.
DisplayPower ReadDisplayPower(LPARAM setting);

#endif
