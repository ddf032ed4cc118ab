// The program's one tray icon, number 0 on the main window: its record, the version of
// its messages, its picture at the tray's scaling, its tip and the first start's balloon.
#ifndef SKITTERA_SHELL_TRAYICON_H
#define SKITTERA_SHELL_TRAYICON_H

#include <windows.h>

#include <shellapi.h>

#include "engine/TrayMessage.h"

extern unsigned trayMessage;           // "VELTRAC_ICON"
extern unsigned taskbarCreatedMessage; // "TaskbarCreated"

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

void RemoveTrayIcon();
// After a menu of the keyboard closed without a command.
void ReturnFocusToTray();
// What a message of the icon asks for, read in the version the shell took.
TrayRequest ReadIconMessage(WPARAM wParam, LPARAM lParam);
// Where the menu that a version-4 message asks for opens, in the program's own pixels.
POINT TrayMenuPoint(const TrayRequest& request);

#endif
