// The export with any list separator and decimal mark the locale could give, over any
// days: read back by a reader of its own, the file gives a header of five fields and, for
// every day with a real date, the same date, the distance's ten decimals and the counts.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "bench/fuzz/FuzzInput.h"
#include "engine/DayFigures.h"
#include "engine/HistoryCsv.h"

namespace {

using Rows = std::vector<std::vector<std::string>>;

bool Collect(void* context, const char* bytes, std::size_t count) {
    static_cast<std::string*>(context)->append(bytes, count);
    return true;
}

// A spreadsheet's reading: CR LF ends a line, the separator ends a field outside quotes,
// two quotes inside them are one.
Rows Read(const std::string& file, const std::string& separator) {
    Rows rows;
    std::vector<std::string> row;
    std::string field;
    bool quoted = false;
    for (std::size_t i = 0; i < file.size(); ++i) {
        if (quoted) {
            if (file[i] == '"' && i + 1 < file.size() && file[i + 1] == '"') {
                field += '"';
                ++i;
            } else if (file[i] == '"') {
                quoted = false;
            } else {
                field += file[i];
            }
        } else if (file[i] == '"' && field.empty()) {
            quoted = true;
        } else if (file.compare(i, separator.size(), separator) == 0) {
            row.push_back(field);
            field.clear();
            i += separator.size() - 1;
        } else if (file.compare(i, 2, "\r\n") == 0) {
            row.push_back(field);
            rows.push_back(row);
            row.clear();
            field.clear();
            ++i;
        } else {
            field += file[i];
        }
    }
    FUZZ_CHECK(field.empty() && row.empty() && !quoted);
    return rows;
}

template <typename Number> Number Take(FuzzInput& input) {
    unsigned char bytes[sizeof(Number)];
    for (unsigned char& byte : bytes) {
        byte = input.Byte();
    }
    Number number;
    std::memcpy(&number, bytes, sizeof number);
    return number;
}

} // namespace

// Input: the list separator and the decimal mark, one a line, then days of 30 bytes each:
// year (two bytes), month, day, the distance as a double's bytes, three counts' bytes.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput input(data, size);
    std::string separator = input.Until('\n');
    std::string decimalMark = input.Until('\n');
    DayList days;
    while (!input.Empty() && days.size() < 64) {
        DayEntry day;
        day.date.year = Take<std::uint16_t>(input) % 10001;
        day.date.month = input.Byte() % 14;
        day.date.day = input.Byte() % 33;
        day.figures.distanceCm = Take<double>(input);
        day.figures.presses = Take<std::uint64_t>(input);
        day.figures.wheelNotches = Take<std::uint32_t>(input);
        day.figures.activeSeconds = Take<std::uint16_t>(input);
        days.Append(day);
    }
    CsvFormat format = MakeCsvFormat(separator.c_str(), decimalMark.c_str());
    FUZZ_CHECK(format.separator[0] != '\0' && format.decimalMark[0] != '\0');
    std::string file;
    FUZZ_CHECK(WriteHistoryCsv(days, format, Collect, &file));
    Rows rows = Read(file, format.separator);

    const char* const header[] = {"Data", "Distanza (cm)", "Clic", "Scatti della rotella", "Secondi attivi"};
    FUZZ_CHECK(!rows.empty() && rows[0].size() == 5);
    for (int i = 0; i < 5; ++i) {
        FUZZ_CHECK(rows[0][static_cast<std::size_t>(i)] == header[i]);
    }
    days.SortByDate();
    std::size_t next = 1;
    for (const DayEntry& day : days) {
        if (!IsValidDate(day.date)) {
            continue;
        }
        FUZZ_CHECK(next < rows.size() && rows[next].size() == 5);
        const std::vector<std::string>& row = rows[next++];
        FUZZ_CHECK(row[0] == FormatIsoDate(day.date).buffer);
        if (std::isfinite(day.figures.distanceCm)) {
            char tenDecimals[400];
            std::snprintf(tenDecimals, sizeof tenDecimals, "%.10f", day.figures.distanceCm);
            std::string number = row[1];
            std::size_t mark = number.rfind(format.decimalMark);
            FUZZ_CHECK(mark != std::string::npos);
            number.replace(mark, std::strlen(format.decimalMark), ".");
            FUZZ_CHECK(number == tenDecimals);
        } else {
            FUZZ_CHECK(row[1].empty());
        }
        FUZZ_CHECK(std::strtoull(row[2].c_str(), nullptr, 10) == day.figures.presses);
        FUZZ_CHECK(std::strtoull(row[3].c_str(), nullptr, 10) == day.figures.wheelNotches);
        FUZZ_CHECK(std::strtoull(row[4].c_str(), nullptr, 10) == day.figures.activeSeconds);
    }
    FUZZ_CHECK(next == rows.size());
    return 0;
}
