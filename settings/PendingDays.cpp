#include "settings/PendingDays.h"

#include <cmath>

bool PendingDays::Add(const DayEntry& day) {
    if (!std::isfinite(day.figures.distanceCm) || day.figures.distanceCm < 0 ||
        day.figures.distanceCm > kMostDayDistanceCm) {
        return false;
    }
    std::size_t at = 0;
    while (at < count_ && days_[at].date < day.date) {
        ++at;
    }
    if (at < count_ && days_[at].date == day.date) {
        DayFigures& waiting = days_[at].figures;
        waiting.distanceCm += day.figures.distanceCm;
        waiting.presses += day.figures.presses;
        waiting.wheelNotches += day.figures.wheelNotches;
        waiting.activeSeconds += day.figures.activeSeconds;
        return true;
    }
    if (count_ == kCapacity) {
        return false;
    }
    for (std::size_t i = count_; i > at; --i) {
        days_[i] = days_[i - 1];
    }
    days_[at] = day;
    ++count_;
    return true;
}

bool PendingDays::Take(const CalendarDate& date, DayFigures& figures) {
    for (std::size_t at = 0; at < count_; ++at) {
        if (days_[at].date == date) {
            figures = days_[at].figures;
            for (std::size_t i = at + 1; i < count_; ++i) {
                days_[i - 1] = days_[i];
            }
            --count_;
            return true;
        }
    }
    return false;
}

// Every day is tried, not only up to the first refusal: one day the store will not take
// does not hold back the others.
int PendingDays::WriteTo(SettingsStore& store) {
    std::size_t kept = 0;
    for (std::size_t at = 0; at < count_; ++at) {
        if (WriteStoredDay(store, days_[at].date, days_[at].figures) == 0) {
            days_[kept++] = days_[at];
        }
    }
    count_ = kept;
    return count_ == 0 ? 1 : 0;
}
