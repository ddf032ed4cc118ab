// The properties dialog (template IDD_PROPERTIES): the odometer, the speedometer, the
// unit, the counter reset and the start at log-on. Opened modally by the main window
// with DialogBoxParamA; its end result is always 0.
#ifndef SKITTERA_DIALOG_PROPERTIESDIALOG_H
#define SKITTERA_DIALOG_PROPERTIESDIALOG_H

#include <windows.h>

#include "engine/UserTexts.h"

// The dialog's window-menu entry that shows how each monitor is measured. A window-menu
// command lies below 0xF000 (the system's own) with its low four bits 0.
constexpr UINT kMonitorReportCommand = 0x0110;

INT_PTR CALLBACK PropertiesDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

#endif
