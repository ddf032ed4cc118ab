// The record of every day in the registry: one REG_SZ value per local day under
// HKEY_CURRENT_USER\Software\Skittera\Storico, named "YYYY-MM-DD" and holding "D;P;W;S"
// (the distance in centimetres with ten decimals, then presses, wheel notches and active
// seconds as decimal integers). Readers ignore fields after the fourth, and leave alone
// a value whose name or data they cannot read.
#ifndef SKITTERA_SETTINGS_HISTORY_H
#define SKITTERA_SETTINGS_HISTORY_H

#include "engine/DayFigures.h"
#include "engine/HistoryImport.h"
#include "settings/SettingsStore.h"
#include "support/TextString.h"

// Below the program's per-user key.
constexpr char kHistorySubkey[] = "Storico";

bool ParseDayName(const char* name, CalendarDate& date);
TextString FormatDayName(const CalendarDate& date);
bool ParseDayValue(const char* text, DayFigures& figures);
TextString FormatDayValue(const DayFigures& figures);

// Over an explicit store whose base key is the program's key.
StoredDay ReadStoredDay(SettingsStore& store, const CalendarDate& date, DayFigures& figures);
int WriteStoredDay(SettingsStore& store, const CalendarDate& date, const DayFigures& figures);
// Every day that can be read, oldest first.
DayList LoadHistoryFrom(SettingsStore& store);

// "Importa...": the file's days merged into what the store holds now (engine/HistoryImport.h)
// and written oldest first. A date whose stored value cannot be read is never written.
// All or nothing: when the store refuses a write, the days written before it are put
// back as they were and the result is false (plan.write then lists nothing written).
bool ImportDaysInto(SettingsStore& store, const DayList& imported, const CalendarDate& today,
                    ImportChoice choice, ImportPlan& plan);

#endif
