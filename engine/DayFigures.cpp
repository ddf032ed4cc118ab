#include "engine/DayFigures.h"

#include <cstdlib>
#include <cstring>

#include "support/DecimalText.h"

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) { return a / b - (a % b != 0 && (a < 0) != (b < 0)); }
std::int64_t FloorMod(std::int64_t a, std::int64_t b) { return a - FloorDiv(a, b) * b; }

// Howard Hinnant's days-from-civil: eras of 400 years, years starting in March so that
// the leap day is the last of the year.
std::int64_t DaysFromCivil(const CalendarDate& date) {
    std::int64_t year = date.year - (date.month <= 2 ? 1 : 0);
    std::int64_t era = FloorDiv(year, 400);
    std::int64_t yearOfEra = year - era * 400;
    std::int64_t monthFromMarch = date.month > 2 ? date.month - 3 : date.month + 9;
    std::int64_t dayOfYear = (153 * monthFromMarch + 2) / 5 + date.day - 1;
    std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

CalendarDate CivilFromDays(std::int64_t days) {
    days += 719468;
    std::int64_t era = FloorDiv(days, 146097);
    std::int64_t dayOfEra = days - era * 146097;
    std::int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    std::int64_t monthFromMarch = (5 * dayOfYear + 2) / 153;
    CalendarDate date;
    date.day = static_cast<int>(dayOfYear - (153 * monthFromMarch + 2) / 5 + 1);
    date.month = static_cast<int>(monthFromMarch < 10 ? monthFromMarch + 3 : monthFromMarch - 9);
    date.year = static_cast<int>(yearOfEra + era * 400 + (date.month <= 2 ? 1 : 0));
    return date;
}

int DaysInMonth(int year, int month) {
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) {
        return 0;
    }
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

bool IsValidDate(const CalendarDate& date) {
    return date.year >= 1 && date.year <= 9999 && date.day >= 1 &&
           date.day <= DaysInMonth(date.year, date.month);
}

TextString FormatDottedDate(const CalendarDate& date) {
    TextString text;
    text.Format("%02d.%02d.%04d", date.day, date.month, date.year);
    return text;
}

TextString FormatIsoDate(const CalendarDate& date) {
    TextString text;
    text.Format("%04d-%02d-%02d", date.year, date.month, date.day);
    return text;
}

namespace {

// Exactly count digits at text, as a number.
bool ReadFixedDigits(const char* text, int count, int& value) {
    value = 0;
    for (int i = 0; i < count; ++i) {
        if (!IsDigit(text[i])) {
            return false;
        }
        value = value * 10 + (text[i] - '0');
    }
    return true;
}

} // namespace

bool ParseIsoDate(const char* text, std::size_t length, CalendarDate& date) {
    CalendarDate read;
    if (text == nullptr || length != 10 || text[4] != '-' || text[7] != '-' ||
        !ReadFixedDigits(text, 4, read.year) || !ReadFixedDigits(text + 5, 2, read.month) ||
        !ReadFixedDigits(text + 8, 2, read.day) || !IsValidDate(read)) {
        return false;
    }
    date = read;
    return true;
}

DayList::DayList(std::initializer_list<DayEntry> entries) {
    for (const DayEntry& entry : entries) {
        Append(entry);
    }
}

DayList::DayList(DayList&& other) noexcept
    : entries_(other.entries_), count_(other.count_), capacity_(other.capacity_) {
    other.entries_ = nullptr;
    other.count_ = 0;
    other.capacity_ = 0;
}

DayList& DayList::operator=(DayList&& other) noexcept {
    if (this != &other) {
        std::free(entries_);
        entries_ = other.entries_;
        count_ = other.count_;
        capacity_ = other.capacity_;
        other.entries_ = nullptr;
        other.count_ = 0;
        other.capacity_ = 0;
    }
    return *this;
}

DayList::~DayList() { std::free(entries_); }

bool DayList::Reserve(std::size_t capacity) {
    if (capacity <= capacity_) {
        return true;
    }
    if (capacity > static_cast<std::size_t>(-1) / sizeof(DayEntry)) {
        return false;
    }
    void* grown = std::realloc(entries_, capacity * sizeof(DayEntry));
    if (grown == nullptr) {
        return false;
    }
    entries_ = static_cast<DayEntry*>(grown);
    capacity_ = capacity;
    return true;
}

bool DayList::Append(const DayEntry& entry) {
    if (count_ == capacity_ && !Reserve(capacity_ < 16 ? 16 : capacity_ * 2)) {
        return false;
    }
    entries_[count_++] = entry;
    return true;
}

bool DayList::CopyFrom(const DayList& other) {
    if (this == &other) {
        return true;
    }
    count_ = 0;
    if (!Reserve(other.count_)) {
        return false;
    }
    if (other.count_ != 0) {
        std::memcpy(entries_, other.entries_, other.count_ * sizeof(DayEntry));
    }
    count_ = other.count_;
    return true;
}

// Insertion sort: the record comes nearly in order (the registry lists its values in the
// order they were written), which it sorts in one pass, and it needs no memory.
void DayList::SortByDate() {
    for (std::size_t i = 1; i < count_; ++i) {
        DayEntry entry = entries_[i];
        std::size_t j = i;
        while (j > 0 && entry.date < entries_[j - 1].date) {
            entries_[j] = entries_[j - 1];
            --j;
        }
        entries_[j] = entry;
    }
}
