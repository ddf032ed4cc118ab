// The hidden main window: the splash for the first seconds, then the target of the
// tray icon, the tray menu, the main timer, the shell's broadcasts and the end of the
// session. It owns the tray icon and takes the program down at the end.
#ifndef SKITTERA_SHELL_MAINWINDOW_H
#define SKITTERA_SHELL_MAINWINDOW_H

#include <windows.h>

#include "engine/OdometerState.h"

constexpr UINT_PTR kMainTimer = 0;

void DismissSplash();
void OpenPropertiesDialog();
void ReinstallHook();

void StartHousekeeping(TickCount now);
void MainTimerTick(TickCount now);
void ShutdownApplication();
bool ShutdownDone();

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

#endif
