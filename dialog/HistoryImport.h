// "Importa..." in the history window: a file that "Esporta..." wrote, merged into the
// record (engine/HistoryImport.h for the rules).
#ifndef SKITTERA_DIALOG_HISTORYIMPORT_H
#define SKITTERA_DIALOG_HISTORYIMPORT_H

#include <windows.h>

#include "engine/DayFigures.h"

// Asks for a file with the Open dialog, reads and checks all of it, asks once what to do
// with the days the record already holds, writes, and tells the user what was done or
// why nothing was. True when days were written: record (oldest first) then holds them.
bool ImportHistoryFromWindow(HWND window, DayList& record, const CalendarDate& today);

#endif
