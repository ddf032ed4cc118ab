// The days that ended and wait to be written to the record. The registry may refuse a
// write (a full disk, a quota); a day it refuses is kept and tried again with every save
// until it is written, so that a refusal at midnight costs the day nothing, and every
// day that ends meanwhile waits with it. Over any store, free of <windows.h>.
#ifndef SKITTERA_SETTINGS_PENDINGDAYS_H
#define SKITTERA_SETTINGS_PENDINGDAYS_H

#include <cstddef>

#include "engine/DayFigures.h"
#include "settings/History.h"
#include "settings/SettingsStore.h"

class PendingDays {
public:
    // Far more days than end while the registry refuses every write. The list is fixed,
    // so that keeping a day needs no memory at the moment it ends.
    static constexpr std::size_t kCapacity = 32;

    // A day handed over by SwitchDay, kept in date order. A day of a date already
    // waiting adds its figures to the waiting ones: a day the clock goes back to goes on
    // from its waiting figures, which leave the list (Take), so what is handed over
    // again for that date is only what was counted since. Returns false when the day is
    // not kept: the list is full, or its distance is not a number the record holds (the
    // store never takes such a day, and today's is kept back in the same way).
    bool Add(const DayEntry& day);

    // The waiting figures of a date, taken out of the list: the clock went back to a day
    // that is still to be written, and the store holds an older value for it (or none).
    // Returns false, and leaves figures alone, when that date is not waiting.
    bool Take(const CalendarDate& date, DayFigures& figures);

    // Writes every waiting day, oldest first; a day the store refuses stays waiting, in
    // its place. Returns 1 when no day is left waiting.
    int WriteTo(SettingsStore& store);

    std::size_t size() const { return count_; }
    bool empty() const { return count_ == 0; }
    const DayEntry& operator[](std::size_t index) const { return days_[index]; }

private:
    DayEntry days_[kCapacity];
    std::size_t count_ = 0;
};

#endif
