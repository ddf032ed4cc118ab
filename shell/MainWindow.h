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

// The tray record of Windows Vista and later, which the icon's version-4 messages need:
// the headers, set for older systems, end the record before its last field.
struct TrayIconData {
    NOTIFYICONDATAA fields;
    HICON balloonIcon; // hBalloonIcon
};

TrayIconData TrayIconRecord(UINT flags, const char* tip);
BOOL NotifyTray(DWORD command, TrayIconData& record);
int WantedTrayIconPixels();
void AddTrayIcon();
void ResizeTrayIcon(int pixels);
unsigned TrayIconVersion();
bool ShowFirstStartBalloon();
void RefreshTooltip();
// What the shell has accepted: whether it shows the icon, the size of its picture (0
// while there is none) and its tip ("" until the first refresh after the icon came).
bool TrayIconShown();
int TrayIconPixelsShown();
const char* TrayTipShown();

void DismissSplash();
void ShowTrayMenu(POINT at, bool byKeyboard);
void OpenPropertiesDialog();
void ReinstallHook();

void StartHousekeeping(TickCount now);
void MainTimerTick(TickCount now);
void SaveCheckpoint(TickCount now);
void ShutdownApplication();
bool ShutdownDone();

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

#endif
