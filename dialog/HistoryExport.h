// The export of the record of the days as a CSV file.
#ifndef SKITTERA_DIALOG_HISTORYEXPORT_H
#define SKITTERA_DIALOG_HISTORYEXPORT_H

#include <windows.h>

#include "engine/DayFigures.h"

// Asks for a file with the Save As dialog and writes the record there, telling the user
// when that fails.
void ExportHistoryFromWindow(HWND dialog, const DayList& days);

// The system's words for an error, or kSystemErrorFormat with its number.
void DescribeSystemError(DWORD error, wchar_t* reason, int capacity);

// Writes the record as CSV to the file at path (any characters: the calls are the wide
// ones), in the user's list separator and decimal mark. The file is written beside the target under another
// name and then put in its place, so a failure leaves the target as it was; on failure *error holds the
// system's error code.
bool ExportHistoryCsv(const DayList& days, const wchar_t* path, DWORD* error);

#endif
