// The properties dialog (template IDD_PROPERTIES): the odometer, the speedometer, the
// unit, the counter reset and the start at log-on. Opened modally by the main window
// with DialogBoxParamA; its end result is always 0.
#ifndef SKITTERA_DIALOG_PROPERTIESDIALOG_H
#define SKITTERA_DIALOG_PROPERTIESDIALOG_H

#include <windows.h>

// The dialog's window-menu entry that shows how each monitor is measured. A window-menu
// command lies below 0xF000 (the system's own) with its low four bits 0.
constexpr UINT kMonitorReportCommand = 0x0110;
constexpr char kMonitorReportEntry[] = "Schermi...";

// The message boxes of the log-on check box when the entry is not as the box asked; wide,
// so that the accented letters show right whatever the system's code page.
constexpr wchar_t kLogonMessageTitle[] = L"Skittera";
constexpr wchar_t kLogonMachineEntryStaysText[] =
    L"Avvio automatico configurato per tutti gli utenti: solo un amministratore pu\u00F2 disattivarlo "
    L"(Gestione attivit\u00E0 > App di avvio).";
constexpr wchar_t kLogonAnotherCopyText[] =
    L"Un'altra copia di Skittera \u00E8 configurata per l'avvio automatico di tutti gli utenti: solo un "
    L"amministratore pu\u00F2 sostituirla (Gestione attivit\u00E0 > App di avvio).";
constexpr wchar_t kLogonFailedText[] = L"Non \u00E8 stato possibile cambiare l'avvio automatico.";

INT_PTR CALLBACK PropertiesDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

#endif
