// The record of each day: what the program measured on one local calendar day, and the
// calendar's arithmetic and written forms. Free of <windows.h>: the counting rules, the
// stored format and the summaries are tested natively.
#ifndef SKITTERA_ENGINE_DAYFIGURES_H
#define SKITTERA_ENGINE_DAYFIGURES_H

#include <cstddef>
#include <cstdint>
#include <initializer_list>

#include "support/TextString.h"

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

// Days since 1970-01-01 of the proleptic Gregorian calendar (negative before), and back.
std::int64_t DaysFromCivil(const CalendarDate& date);
CalendarDate CivilFromDays(std::int64_t days);
// Whether the date names a real day of a year from 1 to 9999.
bool IsValidDate(const CalendarDate& date);
// 0 for a month that is no month.
int DaysInMonth(int year, int month);
// Floor division and remainder, for day numbers before 1970.
std::int64_t FloorDiv(std::int64_t a, std::int64_t b);
std::int64_t FloorMod(std::int64_t a, std::int64_t b);

// A date as the program writes it, every part padded with zeros: "dd.mm.yyyy" where the
// user reads it (and in the stored date the counter runs from), "yyyy-mm-dd" in the
// record's value names and in the exported file.
TextString FormatDottedDate(const CalendarDate& date);
TextString FormatIsoDate(const CalendarDate& date);
// Exactly "yyyy-mm-dd" in length bytes, naming a real day; date is left alone otherwise.
bool ParseIsoDate(const char* text, std::size_t length, CalendarDate& date);

// The longest distance a day can hold, 10^12 cm: ten million kilometres, beyond any
// pointer. A stored day beyond it is unreadable, as any other malformed value.
constexpr double kMostDayDistanceCm = 1e12;

// The four figures of one day.
struct DayFigures {
    double distanceCm = 0;           // the same measurement as the counter
    std::uint64_t presses = 0;       // button presses: left, right, middle and the two side buttons
    std::uint64_t wheelNotches = 0;  // vertical and horizontal, 120 units of wheel delta each
    std::uint64_t activeSeconds = 0; // seconds of the clock in which at least one move was measured
};

// What the store holds for one day: nothing, figures it can read, or a value it cannot
// read (one a later version wrote, or a damaged one), which nothing may write over.
enum class StoredDay { Missing, Readable, Unreadable };

// One day of the record.
struct DayEntry {
    CalendarDate date;
    DayFigures figures;
};

// The record of the days, as a list on the C heap that throws nothing: the program is built
// without exceptions, and std::vector would bring the C++ library's exception runtime in
// with its length error and its allocator. A day that finds no memory is not added: Append
// then returns false and the list stays as it was.
class DayList {
public:
    DayList() = default;
    // Every entry that finds memory, in order (for building small lists in place).
    DayList(std::initializer_list<DayEntry> entries);
    DayList(const DayList&) = delete;
    DayList& operator=(const DayList&) = delete;
    DayList(DayList&& other) noexcept;
    DayList& operator=(DayList&& other) noexcept;
    ~DayList();

    bool Append(const DayEntry& entry);
    // A copy of other's entries in place of this list's; false, and this list empty, when
    // there is no memory for them.
    bool CopyFrom(const DayList& other);
    // Oldest first; days of the same date keep their order.
    void SortByDate();

    std::size_t size() const { return count_; }
    bool empty() const { return count_ == 0; }
    DayEntry& operator[](std::size_t index) { return entries_[index]; }
    const DayEntry& operator[](std::size_t index) const { return entries_[index]; }
    DayEntry* begin() { return entries_; }
    DayEntry* end() { return entries_ + count_; }
    const DayEntry* begin() const { return entries_; }
    const DayEntry* end() const { return entries_ + count_; }

private:
    bool Reserve(std::size_t capacity);

    DayEntry* entries_ = nullptr;
    std::size_t count_ = 0;
    std::size_t capacity_ = 0;
};

#endif
