// The program's life: the single-instance hand-over, start-up, the message loop and
// shut-down.
#ifndef SKITTERA_SHELL_MAIN_H
#define SKITTERA_SHELL_MAIN_H

#include <windows.h>

// The class of the main window; a second instance finds the first one by it.
constexpr char kMainWindowClass[] = "Skittera";

int ActivateRunningInstance();
int InitApplication(HINSTANCE instance);
int InitInstance(HINSTANCE instance);
void AddTrayIcon();
bool TrayIconShown();
int RunMessageLoop();
void ShutdownApplication();
bool ShutdownDone();

#endif
