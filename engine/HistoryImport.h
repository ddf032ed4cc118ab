// "Importa...": a file that "Esporta..." wrote (HistoryCsv.h) read back into days, and
// those days merged into the stored record. All or nothing: the whole file is read and
// checked before anything is written, and a line that is not a day stops the import,
// named by its number and field. Free of <windows.h> and tested natively.
#ifndef SKITTERA_ENGINE_HISTORYIMPORT_H
#define SKITTERA_ENGINE_HISTORYIMPORT_H

#include <cstddef>
#include <cstdint>

#include "engine/DayFigures.h"

// A hundred years of days take under 2 MB; a larger file is no export of the record.
constexpr std::size_t kMostImportBytes = std::size_t{10} * 1024 * 1024;
// A spreadsheet holds numbers as doubles, which count exactly only up to 2^53.
constexpr std::uint64_t kMostImportedCount = std::uint64_t{1} << 53;

enum class ImportProblem {
    kNone,
    kFileTooLarge,  // over kMostImportBytes
    kNoHeader,      // the first line is not the header the export writes
    kFieldCount,    // a line without exactly kHistoryCsvColumns fields
    kOpenQuote,     // a quoted field that is not closed before the separator or the line's end
    kBadDate,       // not a real day written yyyy-mm-dd
    kRepeatedDate,  // a date already given on an earlier line
    kNotANumber,    // empty, or not written as the export writes a number
    kNegative,      // a figure below zero
    kNotFinite,     // a distance of infinity, not-a-number or beyond the largest double
    kBeyondADay,    // a distance over kMostDayDistanceCm, which no day holds
    kCountTooLarge, // a count over kMostImportedCount
    kNoMemory,
};

// What stopped the reading: the problem, the line (1 for the header), the field (1 to
// kHistoryCsvColumns, 0 for the whole line), and for kFieldCount the fields found, for
// kRepeatedDate the line that gave the date first.
struct ImportError {
    ImportProblem problem = ImportProblem::kNone;
    std::size_t line = 0;
    int field = 0;
    std::size_t detail = 0;
};

// Reads the whole file: an optional UTF-8 byte order mark, the header, then a day a
// line, CR LF or LF, blank lines passed over. The separator is the one the header uses;
// a field may be quoted; the distance's decimal mark is whatever stands between its
// whole digits and its decimals. On success days holds every day, oldest first; on
// failure days is empty.
ImportError ReadHistoryCsv(const char* bytes, std::size_t size, DayList& days);

// What to do with a day that both the file and the record hold: one answer for the
// whole file.
enum class ImportChoice { kSum, kKeep };

// What the store holds for a date, and its figures when readable.
using StoredDayLookup = StoredDay (*)(void* context, const CalendarDate& date, DayFigures& figures);

struct ImportCounts {
    std::size_t added = 0;      // not in the record
    std::size_t summed = 0;     // in both, the figures added together
    std::size_t kept = 0;       // in both, the record's day kept as the answer asked
    std::size_t unreadable = 0; // kept: the record holds a value it cannot read there
    std::size_t tooLarge = 0;   // kept: the sum would be beyond what a day can hold
                                // (a count past 2^64, a distance past kMostDayDistanceCm)
    std::size_t skipped = 0;    // from today on: today belongs to the running count
};

// The days to write, oldest first, and beside each what the store held before (the date
// {0, 0, 0} where it held nothing): the way back should a write fail.
struct ImportPlan {
    ImportCounts counts;
    DayList write;
    DayList before;
};

// Merges the file's days (oldest first, as ReadHistoryCsv gives them) into the stored
// record that lookup reads. False, and no plan, when there is no memory for it.
bool PlanImport(const DayList& imported, const CalendarDate& today, ImportChoice choice,
                StoredDayLookup lookup, void* context, ImportPlan& plan);

// How many of the file's days before today the record (oldest first) holds: the days
// the question is about.
std::size_t CountDaysInBoth(const DayList& imported, const DayList& record, const CalendarDate& today);

// The record (oldest first) with the written days in place, oldest first: what the
// chart shows once the import is done. False, and the record as it was, without memory.
bool MergeWrittenDays(DayList& record, const DayList& written);

#endif
