// The program's life: the single-instance hand-over, start-up and the message loop.
// The main window (shell/MainWindow.h) does the rest, shut-down included.
#ifndef SKITTERA_SHELL_MAIN_H
#define SKITTERA_SHELL_MAIN_H

#include <windows.h>

int ActivateRunningInstance();
int InitApplication(HINSTANCE instance);
int InitInstance(HINSTANCE instance);
int RunMessageLoop();

#endif
