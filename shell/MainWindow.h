// The hidden main window: the splash for the first seconds, then the target of the
// tray icon, the tray menu, the main timer, the shell's broadcasts and the end of the
// session.
#ifndef SKITTERA_SHELL_MAINWINDOW_H
#define SKITTERA_SHELL_MAINWINDOW_H

#include <windows.h>

#include "engine/OdometerState.h"

// The tray menu resource's commands and the main timer's identifier.
constexpr UINT kExitCommand = 40001;
constexpr UINT kPropertiesCommand = 40002;
constexpr UINT_PTR kMainTimer = 0;

void DismissSplash();
void RefreshTooltip();
void ShowTrayMenu();
void OpenPropertiesDialog();
void ReinstallHook();

void StartHousekeeping(TickCount now);
void MainTimerTick(TickCount now);
void SaveCheckpoint(TickCount now);

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

#endif
