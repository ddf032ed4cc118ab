#include "settings/History.h"

#include <cmath>
#include <cstdint>
#include <cstring>

#include "engine/DayRecord.h"
#include "settings/Registry.h"
#include "support/DecimalText.h"

namespace {

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
    return name != nullptr && ParseIsoDate(name, std::strlen(name), date);
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

// One entry a date. A value can be met twice when the key changes while it is read (the
// history's read-ahead reads while the main thread writes a new day's first value): the
// places of an enumeration are not fixed, and the registry promises no order.
DayList LoadHistoryFrom(SettingsStore& store) {
    DayList read;
    store.ForEachString(kHistorySubkey, CollectDay, &read);
    read.SortByDate();
    DayList days;
    for (const DayEntry& entry : read) {
        if (!days.empty() && days[days.size() - 1].date == entry.date) {
            days[days.size() - 1] = entry;
        } else {
            days.Append(entry);
        }
    }
    return days;
}

namespace {

StoredDay LookUpStoredDay(void* store, const CalendarDate& date, DayFigures& figures) {
    return ReadStoredDay(*static_cast<SettingsStore*>(store), date, figures);
}

// A day the import wrote, as it was before: its old figures, or no value at all.
bool PutBack(SettingsStore& store, const DayEntry& before, const CalendarDate& date) {
    if (IsValidDate(before.date)) {
        return WriteStoredDay(store, before.date, before.figures) == 1;
    }
    TextString path = store.baseKeyPath;
    path.Append("\\").Append(kHistorySubkey);
    return store.DeleteValueFrom(CurrentUserRoot(), path.buffer, FormatDayName(date).buffer) == 1;
}

} // namespace

// The plan reads the store and the writes follow it at once, on the same thread, so
// nothing writes a day in between: what it found unreadable stays out of the plan.
bool ImportDaysInto(SettingsStore& store, const DayList& imported, const CalendarDate& today,
                    ImportChoice choice, ImportPlan& plan) {
    if (!PlanImport(imported, today, choice, LookUpStoredDay, &store, plan)) {
        return false;
    }
    for (std::size_t i = 0; i < plan.write.size(); ++i) {
        if (WriteStoredDay(store, plan.write[i].date, plan.write[i].figures) != 1) {
            for (std::size_t j = i + 1; j-- > 0;) {
                PutBack(store, plan.before[j], plan.write[j].date);
            }
            plan.write = DayList();
            return false;
        }
    }
    return true;
}
