// One copy runs per session: the copy that holds the instance mutex. A second start
// hands over to the running copy, which brings its dialog forward.
#ifndef SKITTERA_SHELL_SINGLEINSTANCE_H
#define SKITTERA_SHELL_SINGLEINSTANCE_H

#include <windows.h>

// The class of the main window; a second instance finds the first one by it.
constexpr char kMainWindowClass[] = "Skittera";

// "Local\" puts the mutex in the session's own namespace, so users of other sessions
// (fast user switching, remote desktops) each run their own copy.
constexpr char kInstanceMutexName[] = "Local\\Skittera.RunningInstance";

// Set on the main window, as a property, from the start of the shut-down: the copy no
// longer answers as the running one, and a new copy waits for the mutex instead.
constexpr char kEndingMark[] = "Skittera.Ending";

// Decides, first thing, whether this copy runs: 1 when it is to run; otherwise it has
// handed over to the running copy (or given up waiting for it).
int BecomeTheRunningInstance();
// Lets the next copy run, once this one's settings are saved.
void LeaveInstanceMutex();

HWND FindRunningCopy();
void BringForward(HWND running);
// Brings a running instance forward. Returns 1 when there is one.
int ActivateRunningInstance();

#endif
