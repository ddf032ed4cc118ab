// The export with any list separator and decimal mark the locale could give, over any
// days: read back as a spreadsheet reads it (tests/core/CsvRows.h), the file gives a header of five fields
// and, for every day with a real date, the same date, the distance's ten decimals and the counts.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "bench/fuzz/FuzzInput.h"
#include "engine/DayFigures.h"
#include "engine/HistoryCsv.h"
#include "tests/core/CsvRows.h"

namespace {

bool Collect(void* context, const char* bytes, std::size_t count) {
    static_cast<std::string*>(context)->append(bytes, count);
    return true;
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
        day.date.year = input.Take<std::uint16_t>() % 10001;
        day.date.month = input.Byte() % 14;
        day.date.day = input.Byte() % 33;
        day.figures.distanceCm = input.Take<double>();
        day.figures.presses = input.Take<std::uint64_t>();
        day.figures.wheelNotches = input.Take<std::uint32_t>();
        day.figures.activeSeconds = input.Take<std::uint16_t>();
        days.Append(day);
    }
    CsvFormat format = MakeCsvFormat(separator.c_str(), decimalMark.c_str());
    FUZZ_CHECK(format.separator[0] != '\0' && format.decimalMark[0] != '\0');
    std::string file;
    FUZZ_CHECK(WriteHistoryCsv(days, format, Collect, &file));
    CsvRows rows;
    FUZZ_CHECK(ReadCsvRows(file, format.separator, rows));

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
