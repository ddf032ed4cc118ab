// The keeping of the days and the checkpoints, over the process-wide store and state. A
// day that ends is handed over under the measurement lock, so that the hook counts every
// event into exactly one of the two days, and written with the next save; the finished
// days the registry refuses are kept and tried again, oldest first, with every save
// until they are written (settings/PendingDays.h).
#ifndef SKITTERA_MEASURING_DAYKEEPING_H
#define SKITTERA_MEASURING_DAYKEEPING_H

#include "engine/DayFigures.h"
#include "engine/OdometerState.h"

// The local date: the one clock for "today", for the counting, the since-date and the
// history. It is Windows' own (GetLocalTime), read afresh each time, so that it follows a
// change of the time zone at once; the C runtime's localtime reads the zone once per
// process and would go on with the old one.
CalendarDate TodaysDate();

// A stand-in for Windows' clock, for the tests: what TodaysDate returns while it is set;
// null puts Windows' clock back.
using LocalDateSource = CalendarDate (*)();
void SetLocalDateSource(LocalDateSource source);

// Measuring begins: the state as loaded counts as written.
void StartKeepingDays(TickCount now);
// Once per main-timer tick: a new local day begins, its predecessor written at once, and
// at most every five minutes a changed counter and today's figures are written.
void KeepDays(TickCount now);
// The local date read again at once (the clock or the time zone changed, or the history
// is about to show "today"): a day that ended is handed over and written now, as at a
// tick. Returns the day being counted, which is then the local date.
CalendarDate FollowLocalDate(TickCount now);
// Writes the distance, the unit, the since-date and today's figures (and a day that has
// just ended) now, for a suspend, a lock or the end of the session; the log-on entry is
// left alone.
void SaveCheckpoint(TickCount now);
// The same writes, without the record of when; 1 when the registry holds them all.
int SaveSettingsCheckpoint();
// What the exit saves.
void SaveSettings();
// The finished days still waiting tried again now, oldest first: before an import writes
// days of its own, so that no waiting day is written later over what it wrote. True when
// none is left waiting.
bool WriteWaitingDays();

#endif
