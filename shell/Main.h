// The program's life: the single-instance hand-over, start-up and the message loop.
// The main window (shell/MainWindow.h) does the rest, shut-down included.
#ifndef SKITTERA_SHELL_MAIN_H
#define SKITTERA_SHELL_MAIN_H

#include <windows.h>

// One copy runs per session: the copy that holds this mutex. "Local\" puts it in the
// session's own namespace, so users of other sessions (fast user switching, remote
// desktops) each run their own copy.
constexpr char kInstanceMutexName[] = "Local\\Skittera.RunningInstance";

// Set on the main window, as a property, from the start of the shut-down: the copy no
// longer answers as the running one, and a new copy waits for the mutex instead.
constexpr char kEndingMark[] = "Skittera.Ending";

HWND FindRunningCopy();
void BringForward(HWND running);
int ActivateRunningInstance();
bool LimitDllSearchToSystem();
int InitApplication(HINSTANCE instance);
int InitInstance(HINSTANCE instance);
int RunMessageLoop();

#endif
