// A key of day values ("name=value" lines): every day that loads has a real date, its
// name as the program writes it, figures that an independent reading of the text gives,
// and figures that are written and read back the same.
#include <cstdlib>
#include <cstring>
#include <map>

#include "bench/fuzz/FuzzInput.h"
#include "settings/History.h"
#include "tests/settings/MemoryRegistry.h"

namespace {

constexpr char kHistoryKey[] = "Software\\Skittera\\Storico";

// The Gregorian calendar, counted out here rather than asked of the program.
bool RealDate(const CalendarDate& date) {
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (date.year < 1 || date.year > 9999 || date.month < 1 || date.month > 12 || date.day < 1) {
        return false;
    }
    bool leap = (date.year % 4 == 0 && date.year % 100 != 0) || date.year % 400 == 0;
    return date.day <= kDays[date.month - 1] + (date.month == 2 && leap ? 1 : 0);
}

// The C library's reading of "D;P;W;S...": what the figures must be.
void ExpectTheLibrarysReading(const std::string& text, const DayFigures& figures) {
    const char* cursor = text.c_str();
    char* end = nullptr;
    FUZZ_CHECK(std::strtod(cursor, &end) == figures.distanceCm && *end == ';');
    const std::uint64_t counts[] = {figures.presses, figures.wheelNotches, figures.activeSeconds};
    for (std::uint64_t count : counts) {
        cursor = end + 1;
        FUZZ_CHECK(std::strtoull(cursor, &end, 10) == count && end != cursor);
    }
    FUZZ_CHECK(*end == ';' || *end == '\0');
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput input(data, size);
    memory_registry::Reset();
    std::map<std::string, std::string> stored; // a day's name has no letters: no case to fold
    while (!input.Empty()) {
        std::string name = input.Until('=');
        name.resize(std::strlen(name.c_str())); // no registry name holds a zero
        std::string value = input.Until('\n');
        memory_registry::PutValue(CurrentUserRoot(), kHistoryKey, name, value);
        stored[name] = value;
    }
    SettingsStore store;
    store.SetBaseKey(kSettingsKeyPath);
    DayList days = LoadHistoryFrom(store);
    for (std::size_t i = 0; i < days.size(); ++i) {
        const DayEntry& day = days[i];
        FUZZ_CHECK(RealDate(day.date));
        FUZZ_CHECK(i == 0 || days[i - 1].date < day.date);
        TextString name = FormatDayName(day.date);
        auto found = stored.find(name.buffer);
        FUZZ_CHECK(found != stored.end());
        std::string text = found->second.substr(0, found->second.find('\0'));
        ExpectTheLibrarysReading(text, day.figures);
        FUZZ_CHECK(day.figures.distanceCm >= 0 && day.figures.distanceCm <= kMostDayDistanceCm);

        // Written with ten decimals, read back, written again: the same text.
        TextString once = FormatDayValue(day.figures);
        DayFigures read;
        FUZZ_CHECK(ParseDayValue(once.buffer, read));
        FUZZ_CHECK(std::strcmp(FormatDayValue(read).buffer, once.buffer) == 0);
        FUZZ_CHECK(WriteStoredDay(store, day.date, read) == 1);
        DayFigures again;
        FUZZ_CHECK(ReadStoredDay(store, day.date, again) == StoredDay::Readable);
        FUZZ_CHECK(again.distanceCm == read.distanceCm && again.presses == read.presses &&
                   again.wheelNotches == read.wheelNotches && again.activeSeconds == read.activeSeconds);
    }
    FUZZ_CHECK(memory_registry::OpenKeyCount() == 0);
    return 0;
}
