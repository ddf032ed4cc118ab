// Loading and saving of the persisted state: the distance counter, the display unit,
// the date the counter runs from, and the entry that starts the program at log-on.
#ifndef SKITTERA_SETTINGS_SETTINGS_H
#define SKITTERA_SETTINGS_SETTINGS_H

#include "engine/OdometerState.h"
#include "settings/History.h"
#include "settings/LogonEntry.h"
#include "settings/SettingsStore.h"
#include "support/TextString.h"

// Per user, in the store's key (SettingsStore.h: kSettingsKeyPath).
constexpr char kDistanceValueName[] = "SkitDistanza";
constexpr char kUnitValueName[] = "SkitCome";
constexpr char kSinceDateValueName[] = "SkitData";
// 1 (REG_DWORD) once the balloon that shows where the tray icon is has been shown.
constexpr char kBalloonShownValueName[] = "SkitFumetto";

// The measurement with the date it runs from: what the store reads the per-user values
// and today's figures into, and writes them from.
struct PersistedState : OdometerState {
    TextString sinceDate;
};

// LoadSettingsFrom runs once at start. SaveUserSettingsTo writes the three per-user
// values and today's figures only, and may run as often as wanted while the program
// runs; it returns 1 when the registry holds them all afterwards. SaveSettingsTo is what
// the exit saves. None of them changes the log-on entry: only the user's choice does, at
// once (LogonEntry.h).
void LoadSettingsFrom(SettingsStore& store, PersistedState& state, const CalendarDate& today);
int SaveUserSettingsTo(SettingsStore& store, const PersistedState& state);
void SaveSettingsTo(SettingsStore& store, const PersistedState& state);

bool FirstStartBalloonShownIn(SettingsStore& store);
int RecordFirstStartBalloonShownIn(SettingsStore& store);

// The size of a monitor as the user stated it, under the per-user key in the value named
// for that monitor (engine/Edid.h: MonitorOverrideName); empty when there is none. The
// program only reads these values: the user writes them, nothing here ever does.
TextString ReadMonitorOverrideFrom(SettingsStore& store, const char* valueName);

// What the store held for a day (ReadStoredDay), taken into the day being counted.
void TakeOverStoredDay(OdometerState& state, const CalendarDate& date, StoredDay found,
                       const DayFigures& stored);

// The distance a stored text stands for, in centimetres.
double ParseStoredDistance(const char* text);

#endif
