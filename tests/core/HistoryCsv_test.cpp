#include "engine/HistoryCsv.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/core/CsvRows.h"

namespace {

bool Collect(void* context, const char* bytes, std::size_t count) {
    static_cast<std::string*>(context)->append(bytes, count);
    return true;
}

std::string Csv(const DayList& days, const CsvFormat& format) {
    std::string file;
    EXPECT_TRUE(WriteHistoryCsv(days, format, Collect, &file));
    return file;
}

std::vector<std::vector<std::string>> ReadCsv(const std::string& file, const std::string& separator) {
    CsvRows rows;
    EXPECT_TRUE(ReadCsvRows(file, separator, rows)) << "the file ends inside a line";
    return rows;
}

double Number(std::string text, const std::string& decimalMark) {
    std::size_t at = text.find(decimalMark);
    if (at != std::string::npos) {
        text.replace(at, decimalMark.size(), ".");
    }
    return std::strtod(text.c_str(), nullptr);
}

DayEntry Day(int year, int month, int day, double cm, std::uint64_t presses, std::uint64_t wheel,
             std::uint64_t seconds) {
    DayEntry entry;
    entry.date = CalendarDate{year, month, day};
    entry.figures = DayFigures{cm, presses, wheel, seconds};
    return entry;
}

TEST(HistoryCsv, ItalianFileAsWritten) {
    DayList days = {Day(2026, 12, 9, 1234.5, 3, 4, 5), Day(2026, 1, 2, 0.0000000001, 0, 0, 0)};
    EXPECT_EQ(Csv(days, MakeCsvFormat(";", ",")),
              "Data;Distanza (cm);Clic;Scatti della rotella;Secondi attivi\r\n"
              "2026-01-02;0,0000000001;0;0;0\r\n"
              "2026-12-09;1234,5000000000;3;4;5\r\n");
}

// Every kind of separator gives back exactly what the record holds: ten decimals of the
// centimetres, the whole counts, the dates, oldest first.
TEST(HistoryCsv, EachSeparatorReadsBackExactly) {
    const std::uint64_t most = ~std::uint64_t{0};
    DayList days = {
        Day(2026, 12, 9, 123456789.0123456789, 42, 7, 3600),
        Day(2016, 2, 29, 0.5, most, most, most),
        Day(2026, 3, 1, 98765.4321, 1, 2, 3),
        Day(2026, 2, 30, 1, 1, 1, 1), // no date: left out
        Day(2025, 12, 31, std::nan(""), 9, 8, 7),
    };
    const CalendarDate order[] = {{2016, 2, 29}, {2025, 12, 31}, {2026, 3, 1}, {2026, 12, 9}};
    const int source[] = {1, 4, 2, 0};
    const struct {
        const char* separator;
        const char* decimalMark;
    } formats[] = {{";", ","}, {",", "."}, {"\t", "."}, {",", ","}, {"||", "::"}, {"))", "."}};
    for (const auto& f : formats) {
        SCOPED_TRACE(std::string(f.separator) + " " + f.decimalMark);
        CsvFormat format = MakeCsvFormat(f.separator, f.decimalMark);
        std::vector<std::vector<std::string>> rows = ReadCsv(Csv(days, format), f.separator);
        ASSERT_EQ(rows.size(), 5u);
        ASSERT_EQ(rows[0].size(), 5u); // "(cm)" before "))" is no separator
        EXPECT_EQ(rows[0][1], "Distanza (cm)");
        for (int r = 0; r < 4; ++r) {
            const std::vector<std::string>& row = rows[static_cast<std::size_t>(r) + 1];
            const DayFigures& want = days[static_cast<std::size_t>(source[r])].figures;
            ASSERT_EQ(row.size(), 5u);
            char date[16];
            std::snprintf(date, sizeof date, "%04d-%02d-%02d", order[r].year, order[r].month, order[r].day);
            EXPECT_EQ(row[0], date);
            if (std::isnan(want.distanceCm)) {
                EXPECT_EQ(row[1], "");
            } else {
                char tenDecimals[64];
                std::snprintf(tenDecimals, sizeof tenDecimals, "%.10f", want.distanceCm);
                EXPECT_EQ(Number(row[1], f.decimalMark), std::strtod(tenDecimals, nullptr));
            }
            EXPECT_EQ(std::strtoull(row[2].c_str(), nullptr, 10), want.presses);
            EXPECT_EQ(std::strtoull(row[3].c_str(), nullptr, 10), want.wheelNotches);
            EXPECT_EQ(std::strtoull(row[4].c_str(), nullptr, 10), want.activeSeconds);
        }
    }
}

TEST(HistoryCsv, MarksTheLocaleCannotGiveAreReplaced) {
    const struct {
        const char* separator;
        const char* decimalMark;
        const char* wantSeparator;
        const char* wantMark;
    } cases[] = {
        {";", ",", ";", ","},         {"", ",", ";", ","},   {"1", ".", ",", "."},
        {nullptr, nullptr, ",", "."}, {"\"", ",", ";", ","}, {"abcdefghij", "-", ",", "."},
        {" ", "e", ",", "."},
    };
    for (const auto& c : cases) {
        CsvFormat format = MakeCsvFormat(c.separator, c.decimalMark);
        EXPECT_STREQ(format.separator, c.wantSeparator);
        EXPECT_STREQ(format.decimalMark, c.wantMark);
    }
}

TEST(HistoryCsv, StopsWhenTheSinkRefuses) {
    int calls = 0;
    auto refuseSecond = [](void* context, const char*, std::size_t) {
        return ++*static_cast<int*>(context) < 2;
    };
    DayList days = {Day(2026, 12, 9, 1, 1, 1, 1), Day(2026, 12, 9, 1, 1, 1, 1), Day(2026, 12, 9, 1, 1, 1, 1)};
    EXPECT_FALSE(WriteHistoryCsv(days, CsvFormat(), refuseSecond, &calls));
    EXPECT_EQ(calls, 2);
}

} // namespace
