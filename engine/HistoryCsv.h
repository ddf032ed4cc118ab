// The record of the days as a CSV file for a spreadsheet: a header row, then a row a
// day, oldest first, with ISO dates. The list separator and the decimal mark are the
// user's (on Windows from the locale), so that the file opens as columns where it is
// double-clicked. Free of <windows.h> and tested natively.
#ifndef SKITTERA_ENGINE_HISTORYCSV_H
#define SKITTERA_ENGINE_HISTORYCSV_H

#include <cstddef>

#include "engine/DayFigures.h"

constexpr std::size_t kCsvMarkCapacity = 8; // LOCALE_SLIST and LOCALE_SDECIMAL hold at most 4 characters

struct CsvFormat {
    char separator[kCsvMarkCapacity] = ",";
    char decimalMark[kCsvMarkCapacity] = ".";
};

// The format from the locale's list separator and decimal mark. A mark that is empty,
// too long, or could be mistaken for part of a number or of a quoted field is replaced:
// the decimal mark by ".", the separator by ";" where the decimal mark is "," and by ","
// otherwise.
CsvFormat MakeCsvFormat(const char* listSeparator, const char* decimalMark);

// Receives the file's bytes in order; false stops the writing.
using CsvSink = bool (*)(void* context, const char* bytes, std::size_t count);

// Writes the header and every day with a real date, oldest first. The distance is the
// record's centimetres with ten decimals ("%.10f", the decimal mark in place of the
// point), the counts as whole numbers; a distance that is not a finite number is left
// empty. Fields that hold the separator are quoted. Lines end with CR LF. Says whether
// the sink took everything.
bool WriteHistoryCsv(const DayList& days, const CsvFormat& format, CsvSink sink, void* context);

// The columns: the date, the distance, the presses, the wheel notches, the active
// seconds; and the title the header gives each (column 0 to 4, "" for another).
constexpr int kHistoryCsvColumns = 5;
const char* HistoryCsvTitle(int column);

#endif
