#include "settings/Settings.h"

#include <cmath>

#include "engine/DayRecord.h"
#include "engine/DisplayTexts.h"
#include "engine/Odometer.h"
#include "settings/History.h"
#include "settings/Registry.h"
#include "support/DecimalText.h"

namespace {

// White space as the C library's conversions skip it.
bool IsBlank(char ch) {
    return ch == ' ' || ch == '\t' || ch == '\n' || ch == '\v' || ch == '\f' || ch == '\r';
}

} // namespace

// Like the C library's atof, except that the text must be decimal (no hexadecimal
// forms, which some runtimes accept and others do not) and a result that is not a
// finite number gives 0: "nan", "inf" and "1e999" can only come from an edited value,
// and an infinite counter would never count again.
double ParseStoredDistance(const char* text) {
    while (IsBlank(*text)) {
        ++text;
    }
    const char* end = nullptr;
    double value = 0;
    return ReadDecimalNumber(text, DecimalForm::kSignedWithExponent, end, value) ? value : 0;
}

// Reads the registry once and writes nothing to it; a missing key stays missing. Every
// value that is missing, empty, too large or not understood keeps its default:
// distance 0, today's date, centimetres. `today` is the local date as Windows tells it
// (measuring/DayKeeping.h), the day counted from here on. The log-on entry is read apart
// (LogonEntry.h), knowing the program's path.
void LoadSettingsFrom(SettingsStore& store, PersistedState& state, const CalendarDate& today) {
    state.distanceCm = 0;
    TextString distance = store.ReadString(nullptr, kDistanceValueName);
    if (!distance.IsEmpty()) {
        state.distanceCm = ParseStoredDistance(distance.buffer);
    }

    state.sinceDate = store.ReadString(nullptr, kSinceDateValueName);
    if (state.sinceDate.IsEmpty()) {
        state.sinceDate = FormatSinceDate(today);
    }

    state.startDistanceCm = state.distanceCm;

    state.day = today;
    state.dayFigures = DayFigures();
    state.dayStoredUnreadable = false;
    DayFigures stored;
    TakeOverStoredDay(state, state.day, ReadStoredDay(store, state.day, stored), stored);

    TextString unitName = store.ReadString(nullptr, kUnitValueName);
    const DistanceUnit* unit = FindUnitByName(unitName.buffer);
    state.unitDivisor = unit != nullptr ? unit->divisor : kCentimetres;
}

// A program started again on the same day, or a clock put back to a day already
// recorded, goes on from the stored figures. A stored value that cannot be read is the
// user's (or another program's) and is never overwritten: that day is then not written.
void TakeOverStoredDay(OdometerState& state, const CalendarDate& date, StoredDay found,
                       const DayFigures& stored) {
    if (found == StoredDay::Readable) {
        ContinueDay(state, date, stored);
    } else if (found == StoredDay::Unreadable && date == state.day) {
        state.dayStoredUnreadable = true;
    }
}

// Any value under the name counts, whatever its type or content: the balloon is a
// greeting, and once is enough even when someone else wrote the value.
bool FirstStartBalloonShownIn(SettingsStore& store) {
    return store.HasValue(nullptr, kBalloonShownValueName);
}

int RecordFirstStartBalloonShownIn(SettingsStore& store) {
    return store.WriteNumber(nullptr, kBalloonShownValueName, 1);
}

// Read from the per-user key whatever the store's base key is at the moment.
TextString ReadMonitorOverrideFrom(SettingsStore& store, const char* valueName) {
    return store.ReadStringFrom(CurrentUserRoot(), kSettingsKeyPath, valueName);
}

// The three per-user values and today's figures, each in one write. Saving again with the same state
// leaves the registry as it was, so this may run as a checkpoint any number of times.
// Returns 1 when every value was written (a distance that is kept back counts as
// written: the registry holds the last good one), 0 when any write failed.
int SaveUserSettingsTo(SettingsStore& store, const PersistedState& state) {
    int written = 1;

    // A counter that is no longer a number would be stored as "nan" and read back as 0;
    // the value of the previous save is worth more.
    if (std::isfinite(state.distanceCm)) {
        TextString distance;
        distance.Format("%.10f", state.distanceCm);
        written &= store.WriteString(nullptr, kDistanceValueName, distance);
    }

    // A divisor that is no unit's is stored as the displays show it.
    const DistanceUnit& unit = UnitOrCentimetres(state.unitDivisor);
    written &= store.WriteString(nullptr, kUnitValueName, TextString(unit.name));

    written &= store.WriteString(nullptr, kSinceDateValueName, state.sinceDate);

    // Today's figures, in the same step as the counter, so that the two never disagree
    // by more than one checkpoint. A distance that is no longer a number is kept back as
    // the counter's is.
    if (IsValidDate(state.day) && !state.dayStoredUnreadable && std::isfinite(state.dayFigures.distanceCm)) {
        written &= WriteStoredDay(store, state.day, state.dayFigures);
    }
    return written;
}

// What the exit saves. The log-on entry is not among it: it changes when the user
// changes the check box, where a refusal can be told, and an exit that rewrote it would
// undo Task Manager's switch or an administrator's removal made meanwhile.
void SaveSettingsTo(SettingsStore& store, const PersistedState& state) { SaveUserSettingsTo(store, state); }
