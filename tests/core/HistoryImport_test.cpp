// "Importa...": the file read back and merged into the record, in one table of files,
// stored records and answers.
#include "engine/HistoryImport.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "engine/HistoryCsv.h"

namespace {

const char kItalianHeader[] = "Data;Distanza (cm);Clic;Scatti della rotella;Secondi attivi\r\n";
const char kEnglishHeader[] = "Data,Distanza (cm),Clic,Scatti della rotella,Secondi attivi\n";

// A file of the Italian header, one good day (line 2) and then the line given (line 3).
std::string ThirdLine(const std::string& line) {
    return std::string(kItalianHeader) + "2024-01-01;1,5;1;2;3\r\n" + line + "\r\n";
}

struct StoredEntry {
    CalendarDate date;
    StoredDay state;
    DayFigures figures;
};
using StoredRecord = std::vector<StoredEntry>;

StoredDay LookUp(void* context, const CalendarDate& date, DayFigures& figures) {
    for (const StoredEntry& entry : *static_cast<const StoredRecord*>(context)) {
        if (entry.date == date) {
            figures = entry.figures;
            return entry.state;
        }
    }
    return StoredDay::Missing;
}

// Distances as the registry holds them (read from ten decimals, so that a value that is
// not a short binary fraction comes through too), and the counts' largest.
DayList Record() {
    return DayList{
        {{2023, 12, 30}, {0.1, 0, 0, 0}},
        {{2023, 12, 31}, {98765432.1234567890, 9007199254740992ULL, 1, 86400}},
        {{2024, 1, 1}, {1234.5678901234, 17, 3, 600}},
    };
}

std::string Exported(const CsvFormat& format) {
    std::string file;
    auto collect = [](void* context, const char* bytes, std::size_t count) {
        static_cast<std::string*>(context)->append(bytes, count);
        return true;
    };
    DayList days = Record();
    WriteHistoryCsv(days, format, collect, &file);
    return file;
}

StoredRecord RecordAsStored() {
    StoredRecord stored;
    for (const DayEntry& day : Record()) {
        stored.push_back({day.date, StoredDay::Readable, day.figures});
    }
    return stored;
}

std::vector<DayEntry> RecordDays() {
    DayList record = Record();
    return std::vector<DayEntry>(record.begin(), record.end());
}

struct Case {
    const char* what;
    std::string file;
    ImportError error; // kNone: the file is read, and then...
    StoredRecord stored;
    ImportChoice choice;
    CalendarDate today;
    ImportCounts counts; // added, summed, kept, unreadable, tooLarge, skipped
    std::vector<DayEntry> written;
};

constexpr ImportChoice kSum = ImportChoice::kSum;
constexpr ImportChoice kKeep = ImportChoice::kKeep;
constexpr CalendarDate kToday{2024, 3, 1};

ImportError Error(ImportProblem problem, std::size_t line, int field, std::size_t detail = 0) {
    return ImportError{problem, line, field, detail};
}
ImportError Bad(ImportProblem problem, int field) { return Error(problem, 3, field); }
const ImportError kRead{};

std::uint64_t Bits(double value) {
    std::uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}
bool SameBits(double a, double b) { return Bits(a) == Bits(b); }

TEST(HistoryImport, FilesReadAndMergedIntoTheRecord) {
    const DayFigures one{150, 1, 2, 3};
    const std::string tooLarge(kMostImportBytes + 1, '\n');
    std::string largest = kItalianHeader;
    largest.resize(kMostImportBytes, '\n');
    const std::string zeros320(320, '0');
    const Case cases[] = {
        // Each separator and decimal mark the export may write, quoted or not, either line end.
        {"Italian, CR LF",
         ThirdLine("2024-01-02;0,0000000001;0;0;0"),
         kRead,
         {},
         kSum,
         kToday,
         {2, 0, 0, 0, 0, 0},
         {{{2024, 1, 1}, {1.5, 1, 2, 3}}, {{2024, 1, 2}, {1e-10, 0, 0, 0}}}},
        {"English, LF",
         std::string(kEnglishHeader) + "2024-01-02,150.0000000000,1,2,3\n",
         kRead,
         {},
         kSum,
         kToday,
         {1, 0, 0, 0, 0, 0},
         {{{2024, 1, 2}, one}}},
        {"a comma for both, the distance quoted",
         "Data,Distanza (cm),Clic,Scatti della rotella,Secondi "
         "attivi\r\n2024-01-02,\"150,0000000000\",1,2,3\r\n",
         kRead,
         {},
         kSum,
         kToday,
         {1, 0, 0, 0, 0, 0},
         {{{2024, 1, 2}, one}}},
        {"every field quoted, a tab, a byte order mark, blank lines, no last line end",
         "\xEF\xBB\xBF\"Data\"\t\"Distanza (cm)\"\t\"Clic\"\t\"Scatti della rotella\"\t\"Secondi attivi\"\n\n"
         "\"2024-01-02\"\t\"150.5\"\t\"1\"\t\"2\"\t\"3\"\r\n\r\n2024-01-03\t150\t1\t2\t3",
         kRead,
         {},
         kSum,
         kToday,
         {2, 0, 0, 0, 0, 0},
         {{{2024, 1, 2}, {150.5, 1, 2, 3}}, {{2024, 1, 3}, one}}},
        {"marks of more than one character",
         "Data||Distanza (cm)||Clic||Scatti della rotella||Secondi "
         "attivi\r\n2024-01-02||150::25||1||2||3\r\n",
         kRead,
         {},
         kSum,
         kToday,
         {1, 0, 0, 0, 0, 0},
         {{{2024, 1, 2}, {150.25, 1, 2, 3}}}},
        {"out of date order, counts up to 2^53",
         ThirdLine("2023-06-30;2;9007199254740992;0;1"),
         kRead,
         {},
         kSum,
         kToday,
         {2, 0, 0, 0, 0, 0},
         {{{2023, 6, 30}, {2, 9007199254740992ULL, 0, 1}}, {{2024, 1, 1}, {1.5, 1, 2, 3}}}},
        {"a file of exactly the largest size", largest, kRead, {}, kSum, kToday, {}, {}},

        // The header first; every line a day.
        {"no header",
         "2024-01-01;1,5;1;2;3\r\n",
         Error(ImportProblem::kNoHeader, 1, 0),
         {},
         kSum,
         kToday,
         {},
         {}},
        {"an empty file", "", Error(ImportProblem::kNoHeader, 1, 0), {}, kSum, kToday, {}, {}},
        {"another header",
         "Data;Distanza (m);Clic;Scatti della rotella;Secondi attivi\r\n",
         Error(ImportProblem::kNoHeader, 1, 0),
         {},
         kSum,
         kToday,
         {},
         {}},
        {"over 10 MB", tooLarge, Error(ImportProblem::kFileTooLarge, 0, 0), {}, kSum, kToday, {}, {}},
        {"no such day",
         ThirdLine("2023-02-29;1;1;1;1"),
         Bad(ImportProblem::kBadDate, 1),
         {},
         kSum,
         kToday,
         {},
         {}},
        {"a date in another form",
         ThirdLine("01.02.2024;1;1;1;1"),
         Bad(ImportProblem::kBadDate, 1),
         {},
         kSum,
         kToday,
         {},
         {}},
        {"a date twice",
         ThirdLine("2024-01-01;1;1;1;1"),
         Error(ImportProblem::kRepeatedDate, 3, 1, 2),
         {},
         kSum,
         kToday,
         {},
         {}},
        {"a negative distance",
         ThirdLine("2024-01-02;-1,5;1;1;1"),
         Bad(ImportProblem::kNegative, 2),
         {},
         kSum,
         kToday,
         {},
         {}},
        {"a negative count",
         ThirdLine("2024-01-02;1;1;-2;1"),
         Bad(ImportProblem::kNegative, 4),
         {},
         kSum,
         kToday,
         {},
         {}},
        {"no distance",
         ThirdLine("2024-01-02;;1;1;1"),
         Bad(ImportProblem::kNotANumber, 2),
         {},
         kSum,
         kToday,
         {},
         {}},
        {"a word for a distance",
         ThirdLine("2024-01-02;molto;1;1;1"),
         Bad(ImportProblem::kNotANumber, 2),
         {},
         kSum,
         kToday,
         {},
         {}},
        {"an exponent",
         ThirdLine("2024-01-02;1e5;1;1;1"),
         Bad(ImportProblem::kNotANumber, 2),
         {},
         kSum,
         kToday,
         {},
         {}},
        {"a decimal mark and no decimals",
         ThirdLine("2024-01-02;12,;1;1;1"),
         Bad(ImportProblem::kNotANumber, 2),
         {},
         kSum,
         kToday,
         {},
         {}},
        {"a word for a count",
         ThirdLine("2024-01-02;1;1;1;tanti"),
         Bad(ImportProblem::kNotANumber, 5),
         {},
         kSum,
         kToday,
         {},
         {}},
        {"a count with decimals",
         ThirdLine("2024-01-02;1;1,5;1;1"),
         Bad(ImportProblem::kNotANumber, 3),
         {},
         kSum,
         kToday,
         {},
         {}},
        {"an infinite distance",
         ThirdLine("2024-01-02;inf;1;1;1"),
         Bad(ImportProblem::kNotFinite, 2),
         {},
         kSum,
         kToday,
         {},
         {}},
        {"not a number",
         ThirdLine("2024-01-02;NaN;1;1;1"),
         Bad(ImportProblem::kNotFinite, 2),
         {},
         kSum,
         kToday,
         {},
         {}},
        {"the Microsoft runtime's infinity",
         ThirdLine("2024-01-02;1,#INF;1;1;1"),
         Bad(ImportProblem::kNotFinite, 2),
         {},
         kSum,
         kToday,
         {},
         {}},
        {"beyond the largest double",
         ThirdLine("2024-01-02;1" + zeros320 + ",0;1;1;1"),
         Bad(ImportProblem::kNotFinite, 2),
         {},
         kSum,
         kToday,
         {},
         {}},
        {"an exponent beyond it",
         ThirdLine("2024-01-02;1e999;1;1;1"),
         Bad(ImportProblem::kNotFinite, 2),
         {},
         kSum,
         kToday,
         {},
         {}},
        {"a distance beyond any day's",
         ThirdLine("2024-01-02;1000000000000,5;1;1;1"),
         Bad(ImportProblem::kBeyondADay, 2),
         {},
         kSum,
         kToday,
         {},
         {}},
        {"a count over 2^53",
         ThirdLine("2024-01-02;1;9007199254740993;1;1"),
         Bad(ImportProblem::kCountTooLarge, 3),
         {},
         kSum,
         kToday,
         {},
         {}},
        {"a count over 2^64",
         ThirdLine("2024-01-02;1;1;1;18446744073709551616"),
         Bad(ImportProblem::kCountTooLarge, 5),
         {},
         kSum,
         kToday,
         {},
         {}},
        {"four fields",
         ThirdLine("2024-01-02;1;1;1"),
         Error(ImportProblem::kFieldCount, 3, 0, 4),
         {},
         kSum,
         kToday,
         {},
         {}},
        {"six fields",
         ThirdLine("2024-01-02;1;1;1;1;1"),
         Error(ImportProblem::kFieldCount, 3, 0, 6),
         {},
         kSum,
         kToday,
         {},
         {}},
        {"the other separator",
         ThirdLine("2024-01-02,1,1,1,1"),
         Error(ImportProblem::kFieldCount, 3, 0, 1),
         {},
         kSum,
         kToday,
         {},
         {}},
        {"a quote not closed",
         ThirdLine("2024-01-02;\"1;1;1;1"),
         Bad(ImportProblem::kOpenQuote, 2),
         {},
         kSum,
         kToday,
         {},
         {}},
        {"a quote not closed in a sixth field is the line's",
         ThirdLine("2024-01-02;1;1;1;1;\"1"),
         Error(ImportProblem::kOpenQuote, 3, 0),
         {},
         kSum,
         kToday,
         {},
         {}},
        {"a blank line counts",
         std::string(kItalianHeader) + "\r\n2024-01-01;1;1;1;1\r\n2024-01-01;1;1;1;1\r\n",
         Error(ImportProblem::kRepeatedDate, 4, 1, 3),
         {},
         kSum,
         kToday,
         {},
         {}},

        // The merge: added, summed or kept by the answer, today and after skipped, an
        // unreadable stored day never written over.
        {"days from today on are skipped",
         std::string(kItalianHeader) + "2024-02-29;1;1;1;1\r\n2024-03-01;1;1;1;1\r\n2024-03-02;1;1;1;1\r\n",
         kRead,
         {},
         kSum,
         kToday,
         {1, 0, 0, 0, 0, 2},
         {{{2024, 2, 29}, {1, 1, 1, 1}}}},
        {"Somma",
         ThirdLine("2024-01-02;2,25;1;1;1"),
         kRead,
         {{{2024, 1, 1}, StoredDay::Readable, {0.25, 10, 20, 30}}, {{2024, 1, 2}, StoredDay::Unreadable, {}}},
         kSum,
         kToday,
         {0, 1, 0, 1, 0, 0},
         {{{2024, 1, 1}, {1.75, 11, 22, 33}}}},
        {"Mantieni",
         ThirdLine("2024-01-02;2,25;1;1;1"),
         kRead,
         {{{2024, 1, 1}, StoredDay::Readable, {0.25, 10, 20, 30}}},
         kKeep,
         kToday,
         {1, 0, 1, 0, 0, 0},
         {{{2024, 1, 2}, {2.25, 1, 1, 1}}}},
        {"a sum beyond a day",
         ThirdLine("2024-01-02;1;1;1;1"),
         kRead,
         {{{2024, 1, 1}, StoredDay::Readable, {1, 1, UINT64_MAX - 1, 1}}},
         kSum,
         kToday,
         {1, 0, 0, 0, 1, 0},
         {{{2024, 1, 2}, {1, 1, 1, 1}}}},
        {"a summed distance beyond a day",
         ThirdLine("2024-01-02;600000000000;1;1;1"),
         kRead,
         {{{2024, 1, 2}, StoredDay::Readable, {600000000000.0, 1, 1, 1}}},
         kSum,
         kToday,
         {1, 0, 0, 0, 1, 0},
         {{{2024, 1, 1}, {1.5, 1, 2, 3}}}},
        {"exported and imported into an empty record",
         Exported(MakeCsvFormat(";", ",")),
         kRead,
         {},
         kSum,
         kToday,
         {3, 0, 0, 0, 0, 0},
         RecordDays()},
        {"exported in English and imported again with Somma",
         Exported(MakeCsvFormat(",", ".")),
         kRead,
         RecordAsStored(),
         kSum,
         kToday,
         {0, 3, 0, 0, 0, 0},
         {{{2023, 12, 30}, {0.2, 0, 0, 0}},
          {{2023, 12, 31}, {197530864.246913578, 18014398509481984ULL, 2, 172800}},
          {{2024, 1, 1}, {2469.1357802468, 34, 6, 1200}}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DayList days;
        ImportError error = ReadHistoryCsv(c.file.data(), c.file.size(), days);
        EXPECT_EQ(error.problem, c.error.problem);
        EXPECT_EQ(error.line, c.error.line);
        EXPECT_EQ(error.field, c.error.field);
        EXPECT_EQ(error.detail, c.error.detail);
        if (error.problem != ImportProblem::kNone) {
            EXPECT_TRUE(days.empty());
            continue;
        }
        ImportPlan plan;
        ASSERT_TRUE(PlanImport(days, c.today, c.choice, LookUp, const_cast<StoredRecord*>(&c.stored), plan));
        const ImportCounts& n = plan.counts;
        EXPECT_EQ((std::vector<std::size_t>{n.added, n.summed, n.kept, n.unreadable, n.tooLarge, n.skipped}),
                  (std::vector<std::size_t>{c.counts.added, c.counts.summed, c.counts.kept,
                                            c.counts.unreadable, c.counts.tooLarge, c.counts.skipped}));
        ASSERT_EQ(plan.write.size(), c.written.size());
        ASSERT_EQ(plan.before.size(), c.written.size());
        for (std::size_t i = 0; i < c.written.size(); ++i) {
            const DayEntry& got = plan.write[i];
            const DayEntry& want = c.written[i];
            EXPECT_EQ(got.date, want.date) << i;
            EXPECT_TRUE(SameBits(got.figures.distanceCm, want.figures.distanceCm))
                << i << ": " << got.figures.distanceCm << " for " << want.figures.distanceCm;
            EXPECT_EQ(got.figures.presses, want.figures.presses) << i;
            EXPECT_EQ(got.figures.wheelNotches, want.figures.wheelNotches) << i;
            EXPECT_EQ(got.figures.activeSeconds, want.figures.activeSeconds) << i;
        }

        // The question is about the readable days of both; the chart then shows the
        // record with every written day in place.
        DayList record;
        for (const StoredEntry& entry : c.stored) {
            if (entry.state == StoredDay::Readable) {
                record.Append(DayEntry{entry.date, entry.figures});
            }
        }
        EXPECT_EQ(CountDaysInBoth(days, record, c.today), n.summed + n.kept + n.tooLarge);
        ASSERT_TRUE(MergeWrittenDays(record, plan.write));
        EXPECT_EQ(record.size(), n.summed + n.kept + n.tooLarge + n.added);
        for (std::size_t i = 1; i < record.size(); ++i) {
            EXPECT_TRUE(record[i - 1].date < record[i].date);
        }
    }
}

} // namespace
