// "Importa..." over any file: a file is either refused with a line and a field, and no
// day, or read into real days, oldest first, that a day can hold; those days exported and
// imported again are the same days, and after one more round the file stays the same.
#include <cmath>
#include <cstring>
#include <string>

#include "bench/fuzz/FuzzInput.h"
#include "engine/DayFigures.h"
#include "engine/HistoryCsv.h"
#include "engine/HistoryImport.h"

namespace {

bool Collect(void* context, const char* bytes, std::size_t count) {
    static_cast<std::string*>(context)->append(bytes, count);
    return true;
}

std::string Exported(const DayList& days, const CsvFormat& format) {
    std::string file;
    FUZZ_CHECK(WriteHistoryCsv(days, format, Collect, &file));
    return file;
}

bool Before(const CalendarDate& a, const CalendarDate& b) {
    if (a.year != b.year) {
        return a.year < b.year;
    }
    return a.month != b.month ? a.month < b.month : a.day < b.day;
}

// Nothing found in the store: every day before today is added.
StoredDay NothingStored(void* /*context*/, const CalendarDate& /*date*/, DayFigures& /*figures*/) {
    return StoredDay::Missing;
}

} // namespace

// Input: the file's bytes, as the Open dialog would hand them over.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    DayList days;
    ImportError error = ReadHistoryCsv(reinterpret_cast<const char*>(data), size, days);
    if (error.problem != ImportProblem::kNone) {
        FUZZ_CHECK(days.empty());
        FUZZ_CHECK(error.line >= 1 && error.field >= 0 && error.field <= 5);
        return 0;
    }
    for (std::size_t i = 0; i < days.size(); ++i) {
        const DayEntry& day = days[i];
        FUZZ_CHECK(IsValidDate(day.date));
        FUZZ_CHECK(i == 0 || Before(days[i - 1].date, day.date));
        FUZZ_CHECK(std::isfinite(day.figures.distanceCm) && day.figures.distanceCm >= 0 &&
                   day.figures.distanceCm <= kMostDayDistanceCm);
        FUZZ_CHECK(day.figures.presses <= kMostImportedCount &&
                   day.figures.wheelNotches <= kMostImportedCount &&
                   day.figures.activeSeconds <= kMostImportedCount);
    }

    // Back out in the other locale's marks, and in again.
    CsvFormat format = MakeCsvFormat(",", ".");
    std::string file = Exported(days, format);
    DayList again;
    ImportError second = ReadHistoryCsv(file.data(), file.size(), again);
    FUZZ_CHECK(second.problem == ImportProblem::kNone);
    FUZZ_CHECK(again.size() == days.size());
    for (std::size_t i = 0; i < days.size(); ++i) {
        FUZZ_CHECK(again[i].date == days[i].date);
        FUZZ_CHECK(again[i].figures.presses == days[i].figures.presses &&
                   again[i].figures.wheelNotches == days[i].figures.wheelNotches &&
                   again[i].figures.activeSeconds == days[i].figures.activeSeconds);
        // The file holds ten decimals: the distance may move by half of the last one.
        FUZZ_CHECK(std::fabs(again[i].figures.distanceCm - days[i].figures.distanceCm) <=
                   0.5e-10 + 1e-15 * days[i].figures.distanceCm);
    }
    // A double keeps about 16 digits, so the ten decimals of a large distance settle
    // after one round: from then on the file is the same.
    std::string settled = Exported(again, format);
    DayList third;
    FUZZ_CHECK(ReadHistoryCsv(settled.data(), settled.size(), third).problem == ImportProblem::kNone);
    FUZZ_CHECK(Exported(third, format) == settled);

    ImportPlan plan;
    if (PlanImport(days, CalendarDate{10000, 1, 1}, ImportChoice::kSum, NothingStored, nullptr, plan)) {
        FUZZ_CHECK(plan.counts.added == days.size() && plan.write.size() == days.size());
        FUZZ_CHECK(plan.counts.summed == 0 && plan.counts.kept == 0 && plan.counts.skipped == 0);
    }
    return 0;
}
