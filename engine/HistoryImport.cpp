#include "engine/HistoryImport.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "engine/HistoryCsv.h"
#include "support/DecimalText.h"

namespace {

// A piece of the file: not zero-terminated, and it may hold any byte.
struct Span {
    const char* text = nullptr;
    std::size_t length = 0;
};

bool StartsWith(Span span, std::size_t at, const char* text, std::size_t length) {
    return at + length <= span.length && std::memcmp(span.text + at, text, length) == 0;
}

bool Equals(Span span, const char* text) {
    std::size_t length = std::strlen(text);
    return span.length == length && StartsWith(span, 0, text, length);
}

// Where text next begins in span from at, or span.length.
std::size_t Find(Span span, std::size_t at, Span text) {
    for (; at + text.length <= span.length; ++at) {
        if (StartsWith(span, at, text.text, text.length)) {
            return at;
        }
    }
    return span.length;
}

// The file's lines that are not blank, each without its line end (LF or CR LF), after a
// byte order mark a spreadsheet may have put first.
class LineReader {
public:
    LineReader(const char* bytes, std::size_t size) : bytes_(bytes), size_(size) {
        if (size >= 3 && std::memcmp(bytes, "\xEF\xBB\xBF", 3) == 0) {
            at_ = 3;
        }
    }

    bool Next(Span& line, std::size_t& number) {
        while (at_ < size_) {
            std::size_t start = at_;
            const void* newline = std::memchr(bytes_ + at_, '\n', size_ - at_);
            std::size_t end = newline != nullptr
                                  ? static_cast<std::size_t>(static_cast<const char*>(newline) - bytes_)
                                  : size_;
            at_ = newline != nullptr ? end + 1 : size_;
            ++number_;
            std::size_t length = end - start;
            if (length > 0 && bytes_[start + length - 1] == '\r') {
                --length;
            }
            if (length > 0) {
                line = Span{bytes_ + start, length};
                number = number_;
                return true;
            }
        }
        return false;
    }

private:
    const char* bytes_;
    std::size_t size_;
    std::size_t at_ = 0;
    std::size_t number_ = 0;
};

// A line cut at the separator: the first kHistoryCsvColumns fields, without their quotes,
// and how many there are in all; openQuote is the field (from 1) whose quotes are not
// closed right, 0 when all are.
struct Fields {
    Span field[kHistoryCsvColumns];
    std::size_t count = 0;
    int openQuote = 0;
};

Fields SplitLine(Span line, Span separator) {
    Fields fields;
    std::size_t at = 0;
    for (;;) {
        Span field;
        if (at < line.length && line.text[at] == '"') {
            // Up to the quote that is not doubled; a doubled one stays in the field as it
            // is, where no date or number can hold it.
            std::size_t close = at + 1;
            while (close < line.length &&
                   (line.text[close] != '"' || (close + 1 < line.length && line.text[close + 1] == '"'))) {
                close += line.text[close] == '"' ? 2 : 1;
            }
            field = Span{line.text + at + 1, close < line.length ? close - at - 1 : 0};
            at = close + 1;
            if (close >= line.length ||
                (at < line.length && !StartsWith(line, at, separator.text, separator.length))) {
                fields.openQuote = static_cast<int>(fields.count) + 1;
                return fields;
            }
        } else {
            std::size_t end = Find(line, at, separator);
            field = Span{line.text + at, end - at};
            at = end;
        }
        if (fields.count < static_cast<std::size_t>(kHistoryCsvColumns)) {
            fields.field[fields.count] = field;
        }
        ++fields.count;
        if (at >= line.length) {
            return fields;
        }
        at += separator.length;
    }
}

// The header as the export writes it, in whatever separator stands between "Data" and
// the distance's title: that separator is the file's.
bool ReadHeader(Span line, Span& separator) {
    std::size_t after = 0;
    if (StartsWith(line, 0, "\"Data\"", 6)) {
        after = 6;
    } else if (StartsWith(line, 0, "Data", 4)) {
        after = 4;
    } else {
        return false;
    }
    const char* second = HistoryCsvTitle(1);
    std::size_t at = Find(line, after, Span{second, std::strlen(second)});
    if (at > after && line.text[at - 1] == '"') {
        --at;
    }
    if (at >= line.length || at == after || at - after >= kCsvMarkCapacity) {
        return false;
    }
    separator = Span{line.text + after, at - after};
    Fields fields = SplitLine(line, separator);
    if (fields.openQuote != 0 || fields.count != static_cast<std::size_t>(kHistoryCsvColumns)) {
        return false;
    }
    for (int column = 0; column < kHistoryCsvColumns; ++column) {
        if (!Equals(fields.field[column], HistoryCsvTitle(column))) {
            return false;
        }
    }
    return true;
}

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool StartsWithWord(Span span, std::size_t at, const char* word) {
    for (std::size_t i = 0; word[i] != '\0'; ++i) {
        if (at + i >= span.length || Lower(span.text[at + i]) != word[i]) {
            return false;
        }
    }
    return true;
}

// The ways a spreadsheet or a C library writes infinity and not-a-number: "inf", "NaN",
// "-Infinity", and the Microsoft runtime's "1.#INF", "-1.#IND", "1.#QNAN".
bool NamesNoFiniteNumber(Span field) {
    std::size_t at = field.length > 0 && (field.text[0] == '+' || field.text[0] == '-') ? 1 : 0;
    if (StartsWithWord(field, at, "inf") || StartsWithWord(field, at, "nan")) {
        return true;
    }
    const void* hash = std::memchr(field.text, '#', field.length);
    if (hash == nullptr) {
        return false;
    }
    std::size_t after = static_cast<std::size_t>(static_cast<const char*>(hash) - field.text) + 1;
    return StartsWithWord(field, after, "inf") || StartsWithWord(field, after, "ind") ||
           StartsWithWord(field, after, "qnan") || StartsWithWord(field, after, "snan");
}

// A decimal mark the export could have written: not a digit, letter, sign, space or quote.
bool MarkCharacter(char c) {
    bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    return !IsDigit(c) && !letter && c != '+' && c != '-' && c != '"' && c != ' ' && c != '\r' && c != '\n';
}

// Longer than any finite double written with ten decimals.
constexpr std::size_t kLongestDistance = 1000;

// Whole digits, then optionally a decimal mark and decimals: the export's "%.10f" in the
// user's mark (and fewer decimals, as a spreadsheet may save it).
ImportProblem ReadDistance(Span field, double& value) {
    if (NamesNoFiniteNumber(field)) {
        return ImportProblem::kNotFinite;
    }
    if (field.length > 1 && field.text[0] == '-' && IsDigit(field.text[1])) {
        return ImportProblem::kNegative;
    }
    char number[kLongestDistance + 2];
    if (field.length > kLongestDistance) {
        return ImportProblem::kNotANumber;
    }
    std::memcpy(number, field.text, field.length);
    number[field.length] = '\0';
    if (std::memchr(field.text, '\0', field.length) != nullptr) {
        return ImportProblem::kNotANumber;
    }
    std::size_t whole = 0;
    while (whole < field.length && IsDigit(field.text[whole])) {
        ++whole;
    }
    std::size_t decimals = whole;
    while (decimals < field.length && !IsDigit(field.text[decimals]) && MarkCharacter(field.text[decimals])) {
        ++decimals;
    }
    std::size_t end = decimals;
    while (end < field.length && IsDigit(field.text[end])) {
        ++end;
    }
    bool plain = whole > 0 && end == field.length &&
                 (decimals == whole || (end > decimals && decimals - whole < kCsvMarkCapacity));
    const char* stop = nullptr;
    if (!plain) {
        // A number in another form (an exponent) whose value no double holds is still
        // named for what it is.
        bool read = ReadDecimalNumber(number, DecimalForm::kSignedWithExponent, stop, value);
        return !read && stop != number && stop == number + field.length ? ImportProblem::kNotFinite
                                                                        : ImportProblem::kNotANumber;
    }
    if (decimals > whole) {
        number[whole] = '.';
        std::memmove(number + whole + 1, number + decimals, end - decimals + 1);
    }
    // The form is right: only a value beyond the largest double fails here.
    if (!ReadDecimalNumber(number, DecimalForm::kPlain, stop, value)) {
        return ImportProblem::kNotFinite;
    }
    // The record would hold it as unreadable, and no day can hold it.
    return value > kMostDayDistanceCm ? ImportProblem::kBeyondADay : ImportProblem::kNone;
}

ImportProblem ReadCount(Span field, std::uint64_t& value) {
    std::size_t at = field.length > 1 && field.text[0] == '-' ? 1 : 0;
    if (at == field.length) {
        return ImportProblem::kNotANumber;
    }
    std::uint64_t read = 0;
    bool tooLarge = false;
    for (std::size_t i = at; i < field.length; ++i) {
        if (!IsDigit(field.text[i])) {
            return ImportProblem::kNotANumber;
        }
        if (!tooLarge) {
            read = read * 10 + static_cast<std::uint64_t>(field.text[i] - '0');
            tooLarge = read > kMostImportedCount;
        }
    }
    if (at == 1) {
        return ImportProblem::kNegative;
    }
    if (tooLarge) {
        return ImportProblem::kCountTooLarge;
    }
    value = read;
    return ImportProblem::kNone;
}

// One line of a day; the problem of its first field that is not right.
ImportError ReadDay(Span line, Span separator, DayEntry& day) {
    ImportError error;
    Fields fields = SplitLine(line, separator);
    if (fields.openQuote != 0) {
        error.problem = ImportProblem::kOpenQuote;
        // Beyond the fifth field there is no title to name: the line is at fault.
        error.field = fields.openQuote <= kHistoryCsvColumns ? fields.openQuote : 0;
        return error;
    }
    if (fields.count != static_cast<std::size_t>(kHistoryCsvColumns)) {
        error.problem = ImportProblem::kFieldCount;
        error.detail = fields.count;
        return error;
    }
    if (!ParseIsoDate(fields.field[0].text, fields.field[0].length, day.date)) {
        error.problem = ImportProblem::kBadDate;
        error.field = 1;
        return error;
    }
    error.problem = ReadDistance(fields.field[1], day.figures.distanceCm);
    error.field = 2;
    std::uint64_t* counts[] = {&day.figures.presses, &day.figures.wheelNotches, &day.figures.activeSeconds};
    for (int i = 0; i < 3 && error.problem == ImportProblem::kNone; ++i) {
        error.problem = ReadCount(fields.field[i + 2], *counts[i]);
        error.field = i + 3;
    }
    if (error.problem == ImportProblem::kNone) {
        error.field = 0;
    }
    return error;
}

// The line of the file that gave day `index` (from 0): the days are the lines that are
// not blank after the header.
std::size_t LineOfDay(const char* bytes, std::size_t size, std::size_t index) {
    LineReader lines(bytes, size);
    Span line;
    std::size_t number = 0;
    for (std::size_t seen = 0; seen <= index + 1 && lines.Next(line, number); ++seen) {
    }
    return number;
}

// A file out of date order is put in order; two days of the same date are an error that
// names the second one's line and the first one's.
ImportError SortDays(const char* bytes, std::size_t size, DayList& days) {
    ImportError error;
    std::size_t count = days.size();
    auto* order = static_cast<std::size_t*>(std::malloc(count * sizeof(std::size_t)));
    DayList sorted;
    if (order == nullptr) {
        error.problem = ImportProblem::kNoMemory;
        return error;
    }
    for (std::size_t i = 0; i < count; ++i) {
        order[i] = i;
    }
    std::sort(order, order + count, [&days](std::size_t a, std::size_t b) {
        return days[a].date < days[b].date || (days[a].date == days[b].date && a < b);
    });
    for (std::size_t i = 0; i < count && error.problem == ImportProblem::kNone; ++i) {
        if (i > 0 && days[order[i]].date == days[order[i - 1]].date) {
            error.problem = ImportProblem::kRepeatedDate;
            error.line = LineOfDay(bytes, size, order[i]);
            error.field = 1;
            error.detail = LineOfDay(bytes, size, order[i - 1]);
        } else if (!sorted.Append(days[order[i]])) {
            error.problem = ImportProblem::kNoMemory;
        }
    }
    std::free(order);
    if (error.problem == ImportProblem::kNone) {
        days = std::move(sorted);
    }
    return error;
}

// The figures of both days added together; false when the sum is beyond what a day holds.
bool AddFigures(const DayFigures& a, const DayFigures& b, DayFigures& sum) {
    const std::uint64_t* left[] = {&a.presses, &a.wheelNotches, &a.activeSeconds};
    const std::uint64_t* right[] = {&b.presses, &b.wheelNotches, &b.activeSeconds};
    std::uint64_t* total[] = {&sum.presses, &sum.wheelNotches, &sum.activeSeconds};
    for (int i = 0; i < 3; ++i) {
        if (*left[i] > UINT64_MAX - *right[i]) {
            return false;
        }
        *total[i] = *left[i] + *right[i];
    }
    sum.distanceCm = a.distanceCm + b.distanceCm;
    return sum.distanceCm <= kMostDayDistanceCm;
}

} // namespace

ImportError ReadHistoryCsv(const char* bytes, std::size_t size, DayList& days) {
    days = DayList();
    ImportError error;
    if (size > kMostImportBytes) {
        error.problem = ImportProblem::kFileTooLarge;
        return error;
    }
    LineReader lines(bytes, size);
    Span line;
    Span separator;
    if (!lines.Next(line, error.line) || !ReadHeader(line, separator)) {
        error.problem = ImportProblem::kNoHeader;
        error.line = error.line == 0 ? 1 : error.line;
        return error;
    }
    bool inOrder = true;
    while (lines.Next(line, error.line)) {
        DayEntry day;
        ImportError dayError = ReadDay(line, separator, day);
        if (dayError.problem != ImportProblem::kNone) {
            dayError.line = error.line;
            days = DayList();
            return dayError;
        }
        inOrder = inOrder && (days.empty() || days[days.size() - 1].date < day.date);
        if (!days.Append(day)) {
            days = DayList();
            error.problem = ImportProblem::kNoMemory;
            return error;
        }
    }
    error = ImportError();
    if (!inOrder) {
        error = SortDays(bytes, size, days);
        if (error.problem != ImportProblem::kNone) {
            days = DayList();
        }
    }
    return error;
}

bool PlanImport(const DayList& imported, const CalendarDate& today, ImportChoice choice,
                StoredDayLookup lookup, void* context, ImportPlan& plan) {
    plan = ImportPlan();
    for (const DayEntry& day : imported) {
        if (!(day.date < today)) {
            ++plan.counts.skipped;
            continue;
        }
        DayFigures stored;
        StoredDay found = lookup(context, day.date, stored);
        DayEntry write = day;
        DayEntry before;
        if (found == StoredDay::Unreadable) {
            ++plan.counts.unreadable;
            continue;
        }
        if (found == StoredDay::Readable) {
            if (choice == ImportChoice::kKeep) {
                ++plan.counts.kept;
                continue;
            }
            if (!AddFigures(stored, day.figures, write.figures)) {
                ++plan.counts.tooLarge;
                continue;
            }
            before = DayEntry{day.date, stored};
            ++plan.counts.summed;
        } else {
            ++plan.counts.added;
        }
        if (!plan.write.Append(write) || !plan.before.Append(before)) {
            plan = ImportPlan();
            return false;
        }
    }
    return true;
}

std::size_t CountDaysInBoth(const DayList& imported, const DayList& record, const CalendarDate& today) {
    std::size_t both = 0;
    std::size_t r = 0;
    for (const DayEntry& day : imported) {
        if (!(day.date < today)) {
            break;
        }
        while (r < record.size() && record[r].date < day.date) {
            ++r;
        }
        if (r < record.size() && record[r].date == day.date) {
            ++both;
        }
    }
    return both;
}

bool MergeWrittenDays(DayList& record, const DayList& written) {
    DayList merged;
    std::size_t r = 0;
    std::size_t w = 0;
    while (r < record.size() || w < written.size()) {
        bool takeWritten = r == record.size() || (w < written.size() && !(record[r].date < written[w].date));
        if (takeWritten && r < record.size() && record[r].date == written[w].date) {
            ++r; // replaced by what was written
        }
        if (!merged.Append(takeWritten ? written[w++] : record[r++])) {
            return false;
        }
    }
    record = std::move(merged);
    return true;
}
