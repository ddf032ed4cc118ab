// Loading and saving of the persisted state: the distance counter, the display unit,
// the date the counter runs from, and the entry that starts the program at log-on.
#ifndef SKITTERA_SETTINGS_SETTINGS_H
#define SKITTERA_SETTINGS_SETTINGS_H

#include <ctime>

#include "settings/History.h"
#include "settings/LogonEntry.h"
#include "settings/SettingsStore.h"
#include "shell/ApplicationState.h"
#include "support/TextString.h"

// Per user, under HKEY_CURRENT_USER.
constexpr char kSettingsKeyPath[] = "Software\\Skittera";
constexpr char kDistanceValueName[] = "SkitDistanza";
constexpr char kUnitValueName[] = "SkitCome";
constexpr char kSinceDateValueName[] = "SkitData";
// 1 (REG_DWORD) once the balloon that shows where the tray icon is has been shown.
constexpr char kBalloonShownValueName[] = "SkitFumetto";

// Over the process-wide store and state (shell/Globals.h). LoadSettings runs once at
// start, and sets runAtStartup to whether an entry really starts this program at log-on;
// SaveSettings at exit. Neither changes the log-on entry: only the user's choice does,
// at once, through ChangeLogonChoice. SaveSettingsCheckpoint writes the three per-user values
// only, and may run as often as wanted while the program runs; it returns 1 when the
// registry holds them all afterwards.
void LoadSettings();
void SaveSettings();
int SaveSettingsCheckpoint();
// When the local date has changed since the day being counted began, hands the finished
// day over to be written with the next save and starts the new one. Returns whether it
// did; the caller then saves.
bool RollOverDay();
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

// The same rules over an explicit store and state; runAtStartup is left as it is.
void LoadSettingsFrom(SettingsStore& store, ApplicationState& state, std::time_t now);
int SaveUserSettingsTo(SettingsStore& store, const ApplicationState& state);
void SaveSettingsTo(SettingsStore& store, const ApplicationState& state);

bool FirstStartBalloonShownIn(SettingsStore& store);
int RecordFirstStartBalloonShownIn(SettingsStore& store);

// The size of a monitor as the user stated it, under the per-user key in the value named
// for that monitor (engine/Edid.h: MonitorOverrideName); empty when there is none. The
// program only reads these values: the user writes them, nothing here ever does.
TextString ReadMonitorOverride(const char* valueName);
TextString ReadMonitorOverrideFrom(SettingsStore& store, const char* valueName);

// What the store held for a day (ReadStoredDay), taken into the day being counted.
void TakeOverStoredDay(OdometerState& state, const CalendarDate& date, StoredDay found,
                       const DayFigures& stored);

// The distance a stored text stands for, in centimetres.
double ParseStoredDistance(const char* text);

#endif
