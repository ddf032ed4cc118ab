#include "settings/History.h"

#include <cmath>
#include <cstdint>
#include <cstring>

#include "engine/DayRecord.h"
#include "support/DecimalText.h"

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

// A decimal integer of one or more digits, up to the end of the field (a ';' or the end
// of the text); one that does not fit 64 bits is not read.
bool ReadCount(const char*& cursor, std::uint64_t& value) {
    const char* start = cursor;
    value = 0;
    while (IsDigit(*cursor)) {
        auto digit = static_cast<std::uint64_t>(*cursor - '0');
        if (value > (UINT64_MAX - digit) / 10) {
            return false;
        }
        value = value * 10 + digit;
        ++cursor;
    }
    return cursor != start && (*cursor == ';' || *cursor == '\0');
}

// The distance as it is written, up to the end of its field. Sign, exponent and
// blanks are not the program's writing, and such a value is not read; nor is a distance
// beyond any day's (kMostDayDistanceCm), which only an edited value can hold.
bool ReadDistance(const char*& cursor, double& value) {
    const char* end = nullptr;
    if (!ReadDecimalNumber(cursor, DecimalForm::kPlain, end, value) || *end != ';' ||
        value > kMostDayDistanceCm) {
        return false;
    }
    cursor = end;
    return true;
}

void AppendCount(TextString& text, std::uint64_t value) {
    char digits[24];
    int at = sizeof digits - 1;
    digits[at] = '\0';
    do {
        digits[--at] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    text.Append(";").Append(digits + at);
}

void CollectDay(void* context, const char* name, const TextString& text) {
    DayEntry entry;
    if (ParseDayName(name, entry.date) && ParseDayValue(text.buffer, entry.figures)) {
        static_cast<DayList*>(context)->Append(entry);
    }
}

} // namespace

// "YYYY-MM-DD" and nothing else, a date that exists.
bool ParseDayName(const char* name, CalendarDate& date) {
    CalendarDate read;
    if (name == nullptr || std::strlen(name) != 10 || name[4] != '-' || name[7] != '-' ||
        !ReadFixedDigits(name, 4, read.year) || !ReadFixedDigits(name + 5, 2, read.month) ||
        !ReadFixedDigits(name + 8, 2, read.day) || !IsValidDate(read)) {
        return false;
    }
    date = read;
    return true;
}

TextString FormatDayName(const CalendarDate& date) { return FormatIsoDate(date); }

// "D;P;W;S", and whatever follows a fourth ';': room for figures a later version adds.
bool ParseDayValue(const char* text, DayFigures& figures) {
    if (text == nullptr) {
        return false;
    }
    DayFigures read;
    const char* cursor = text;
    if (!ReadDistance(cursor, read.distanceCm)) {
        return false;
    }
    std::uint64_t* counts[3] = {&read.presses, &read.wheelNotches, &read.activeSeconds};
    for (std::uint64_t* count : counts) {
        if (*cursor != ';') {
            return false;
        }
        ++cursor;
        if (!ReadCount(cursor, *count)) {
            return false;
        }
    }
    figures = read;
    return true;
}

TextString FormatDayValue(const DayFigures& figures) {
    TextString text;
    text.Format("%.10f", figures.distanceCm);
    AppendCount(text, figures.presses);
    AppendCount(text, figures.wheelNotches);
    AppendCount(text, figures.activeSeconds);
    return text;
}

StoredDay ReadStoredDay(SettingsStore& store, const CalendarDate& date, DayFigures& figures) {
    TextString name = FormatDayName(date);
    if (!store.HasValue(kHistorySubkey, name.buffer)) {
        return StoredDay::Missing;
    }
    TextString text = store.ReadString(kHistorySubkey, name.buffer);
    return ParseDayValue(text.buffer, figures) ? StoredDay::Readable : StoredDay::Unreadable;
}

// A distance that is no longer a number, or beyond any day's, would be stored as a value
// that is never read again; such a day is not written.
int WriteStoredDay(SettingsStore& store, const CalendarDate& date, const DayFigures& figures) {
    if (!IsValidDate(date) || !std::isfinite(figures.distanceCm) || figures.distanceCm < 0 ||
        figures.distanceCm > kMostDayDistanceCm) {
        return 0;
    }
    return store.WriteString(kHistorySubkey, FormatDayName(date).buffer, FormatDayValue(figures));
}

DayList LoadHistoryFrom(SettingsStore& store) {
    DayList days;
    store.ForEachString(kHistorySubkey, CollectDay, &days);
    days.SortByDate();
    return days;
}
