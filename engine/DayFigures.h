// The record of each day: what the program measured on one local calendar day. Free of
// <windows.h>: the counting rules, the stored format and the summaries are tested natively.
#ifndef SKITTERA_ENGINE_DAYFIGURES_H
#define SKITTERA_ENGINE_DAYFIGURES_H

#include <cstdint>

// A local calendar date (the Gregorian calendar, month 1 to 12, day 1 to 31).
struct CalendarDate {
    int year = 0;
    int month = 0;
    int day = 0;
};

inline bool operator==(const CalendarDate& a, const CalendarDate& b) {
    return a.year == b.year && a.month == b.month && a.day == b.day;
}
inline bool operator!=(const CalendarDate& a, const CalendarDate& b) { return !(a == b); }
inline bool operator<(const CalendarDate& a, const CalendarDate& b) {
    if (a.year != b.year) {
        return a.year < b.year;
    }
    if (a.month != b.month) {
        return a.month < b.month;
    }
    return a.day < b.day;
}

// The four figures of one day.
struct DayFigures {
    double distanceCm = 0;           // the same measurement as the counter
    std::uint64_t presses = 0;       // button presses: left, right, middle and the two side buttons
    std::uint64_t wheelNotches = 0;  // vertical and horizontal, 120 units of wheel delta each
    std::uint64_t activeSeconds = 0; // seconds of the clock in which at least one move was measured
};

// One day of the record.
struct DayEntry {
    CalendarDate date;
    DayFigures figures;
};

#endif
