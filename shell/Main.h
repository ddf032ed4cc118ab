// The program's life: start-up and the message loop, once this copy is the one that
// runs (shell/SingleInstance.h). The main window (shell/MainWindow.h) does the rest,
// shut-down included.
#ifndef SKITTERA_SHELL_MAIN_H
#define SKITTERA_SHELL_MAIN_H

#include <windows.h>

bool LimitDllSearchToSystem();
int InitApplication(HINSTANCE instance);
int InitInstance(HINSTANCE instance);
int RunMessageLoop();

#endif
