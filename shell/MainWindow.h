// The hidden main window: the splash for the first seconds, then the target of the
// tray icon, the tray menu, the main timer, the shell's broadcasts and the end of the
// session. It owns the tray icon and takes the program down at the end.
#ifndef SKITTERA_SHELL_MAINWINDOW_H
#define SKITTERA_SHELL_MAINWINDOW_H

#include <windows.h>

#include <shellapi.h>

#include "engine/OdometerState.h"

// The class of the main window; a second instance finds the first one by it.
constexpr char kMainWindowClass[] = "Skittera";
constexpr UINT_PTR kMainTimer = 0;

NOTIFYICONDATAA TrayIconRecord(UINT flags, const char* tip);
int WantedTrayIconPixels();
void AddTrayIcon();
void ResizeTrayIcon(int pixels);
void RefreshTooltip();
// What the shell has accepted: whether it shows the icon, the size of its picture (0
// while there is none) and its tip ("" until the first refresh after the icon came).
bool TrayIconShown();
int TrayIconPixelsShown();
const char* TrayTipShown();

void DismissSplash();
void ShowTrayMenu();
void OpenPropertiesDialog();
void ReinstallHook();

void StartHousekeeping(TickCount now);
void MainTimerTick(TickCount now);
void SaveCheckpoint(TickCount now);
void ShutdownApplication();
bool ShutdownDone();

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

#endif
