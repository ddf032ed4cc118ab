// The stored settings of this run: the process-wide store and state (Globals.h) bound to
// the settings' rules. LoadSettings runs once at start, and sets runAtStartup to whether
// an entry really starts this program at log-on. The log-on entry changes only when the
// user changes the choice, at once, through ChangeLogonChoice. The saves are the keeping
// of the days' (DayKeeping.h).
#ifndef SKITTERA_MEASURING_STOREDSETTINGS_H
#define SKITTERA_MEASURING_STOREDSETTINGS_H

#include "engine/DayFigures.h"
#include "engine/HistoryImport.h"
#include "settings/LogonEntry.h"
#include "support/TextString.h"

void LoadSettings();

// Turns the start at log-on on or off for this program, then sets runAtStartup to what
// the entries now do, whatever the outcome, and updates the restart registration.
LogonChange ChangeLogonChoice(bool on);
// Reads again whether an entry starts this program, since Task Manager or an administrator
// may have changed the entries while the program ran, into runAtStartup; a change brings
// the restart registration in line.
void RefreshLogonChoice();
// Where this program's log-on entries are switched and how its paths compare, on this
// system.
LogonPlaces ThisProgramsLogonPlaces();

// Whether the first-start balloon has been shown on this account, and the record that it
// has; RecordFirstStartBalloonShown returns 1 when the registry holds it.
bool FirstStartBalloonShown();
int RecordFirstStartBalloonShown();

// A monitor's size as the user stated it (settings/Settings.h: ReadMonitorOverrideFrom).
TextString ReadMonitorOverride(const char* valueName);

// Every readable day of the stored record, oldest first; on the main thread (the history's
// read-ahead has a store of its own, HistoryRecord.h).
DayList LoadHistory();

// "Importa...": the file's days merged into the stored record and written, all or nothing
// (settings/History.h: ImportDaysInto); on the main thread, as the day keeping's writes.
// Nothing is written, and false returned, while a finished day the registry refused
// still waits: it would be written later over the imported figures of its date.
bool ImportHistory(const DayList& imported, const CalendarDate& today, ImportChoice choice, ImportPlan& plan);

#endif
