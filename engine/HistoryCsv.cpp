#include "engine/HistoryCsv.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "engine/HistorySummary.h"
#include "support/DecimalText.h"

namespace {

const char kHeader[][24] = {"Data", "Distanza (cm)", "Clic", "Scatti della rotella", "Secondi attivi"};

// Digits, signs, letters of exponents and infinities, spaces, and the quote would make a
// number or a quoted field ambiguous.
bool UsableMark(const char* mark) {
    std::size_t length = mark != nullptr ? std::strlen(mark) : 0;
    if (length == 0 || length >= kCsvMarkCapacity) {
        return false;
    }
    for (std::size_t i = 0; i < length; ++i) {
        char c = mark[i];
        bool letterOrDigit = IsDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        if (letterOrDigit || c == '+' || c == '-' || c == '"' || c == ' ' || c == '\r' || c == '\n') {
            return false;
        }
    }
    return true;
}

// Whether a reader that splits at the first separator it meets would split the field:
// the separator inside it, or one that starts inside it and runs on into the separator
// after it ("(cm)" before "))" reads as "(cm" and ")").
bool SeparatorStartsWithin(const char* field, const char* separator) {
    std::size_t length = std::strlen(field);
    std::size_t separatorLength = std::strlen(separator);
    for (std::size_t at = 0; at < length; ++at) {
        std::size_t inField = length - at < separatorLength ? length - at : separatorLength;
        if (std::strncmp(field + at, separator, inField) == 0 &&
            std::strncmp(separator + inField, separator, separatorLength - inField) == 0) {
            return true;
        }
    }
    return false;
}

// A row being put together in a buffer of its own; a field too long for it is cut, but
// no field of this file comes near the size.
class Row {
public:
    explicit Row(const CsvFormat& format) : format_(format) {}

    void Add(const char* field) {
        if (fields_ > 0) {
            Append(format_.separator);
        }
        ++fields_;
        bool quoted = SeparatorStartsWithin(field, format_.separator) || std::strchr(field, '"') != nullptr;
        if (!quoted) {
            Append(field);
            return;
        }
        Append("\"");
        for (const char* c = field; *c != '\0'; ++c) {
            char one[3] = {*c, *c == '"' ? '"' : '\0', '\0'};
            Append(one);
        }
        Append("\"");
    }

    bool Send(CsvSink sink, void* context) {
        Append("\r\n");
        return sink(context, text_, length_);
    }

private:
    void Append(const char* part) {
        std::size_t count = std::strlen(part);
        if (count > sizeof text_ - 1 - length_) {
            count = sizeof text_ - 1 - length_;
        }
        std::memcpy(text_ + length_, part, count);
        length_ += count;
        text_[length_] = '\0';
    }

    const CsvFormat& format_;
    char text_[512] = "";
    std::size_t length_ = 0;
    int fields_ = 0;
};

void FormatDistanceField(double distanceCm, const CsvFormat& format, char* field, std::size_t capacity) {
    field[0] = '\0';
    if (!std::isfinite(distanceCm)) {
        return;
    }
    char number[400];
    std::snprintf(number, sizeof number, "%.10f", distanceCm);
    const char* point = std::strchr(number, '.');
    std::size_t whole = point != nullptr ? static_cast<std::size_t>(point - number) : std::strlen(number);
    std::snprintf(field, capacity, "%.*s%s%s", static_cast<int>(whole), number,
                  point != nullptr ? format.decimalMark : "", point != nullptr ? point + 1 : "");
}

} // namespace

CsvFormat MakeCsvFormat(const char* listSeparator, const char* decimalMark) {
    CsvFormat format;
    if (UsableMark(decimalMark)) {
        std::snprintf(format.decimalMark, sizeof format.decimalMark, "%s", decimalMark);
    }
    if (UsableMark(listSeparator)) {
        std::snprintf(format.separator, sizeof format.separator, "%s", listSeparator);
    } else {
        std::snprintf(format.separator, sizeof format.separator, "%s",
                      std::strcmp(format.decimalMark, ",") == 0 ? ";" : ",");
    }
    return format;
}

bool WriteHistoryCsv(const DayList& days, const CsvFormat& format, CsvSink sink, void* context) {
    Row header(format);
    for (const char* title : kHeader) {
        header.Add(title);
    }
    if (!header.Send(sink, context)) {
        return false;
    }
    DayList ordered;
    if (!ordered.CopyFrom(days)) {
        return false;
    }
    ordered.SortByDate();
    for (const DayEntry& day : ordered) {
        if (!IsValidDate(day.date)) {
            continue;
        }
        Row row(format);
        row.Add(FormatIsoDate(day.date).buffer);
        char field[448];
        FormatDistanceField(day.figures.distanceCm, format, field, sizeof field);
        row.Add(field);
        const unsigned long long counts[] = {day.figures.presses, day.figures.wheelNotches,
                                             day.figures.activeSeconds};
        for (unsigned long long count : counts) {
            std::snprintf(field, sizeof field, "%llu", count);
            row.Add(field);
        }
        if (!row.Send(sink, context)) {
            return false;
        }
    }
    return true;
}

const char* HistoryCsvTitle(int column) {
    return column >= 0 && column < kHistoryCsvColumns ? kHeader[column] : "";
}
