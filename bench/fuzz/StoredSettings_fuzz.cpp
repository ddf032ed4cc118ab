// The three stored values and today's record as any bytes: loaded, saved and loaded
// again, they must come back the same, and a second save must change nothing.
#include <cmath>
#include <cstring>

#include "bench/fuzz/FuzzInput.h"
#include "engine/DayRecord.h"
#include "settings/History.h"
#include "settings/Settings.h"
#include "tests/settings/MemoryRegistry.h"

namespace {

constexpr CalendarDate kToday{2024, 3, 15};

PersistedState Loaded(SettingsStore& store) {
    PersistedState state;
    state.unitDivisor = 1;
    LoadSettingsFrom(store, state, kToday);
    return state;
}

bool SameFigures(const DayFigures& a, const DayFigures& b) {
    return a.distanceCm == b.distanceCm && a.presses == b.presses && a.wheelNotches == b.wheelNotches &&
           a.activeSeconds == b.activeSeconds;
}

} // namespace

// Input: "SkitDistanza\nSkitCome\nSkitData\n" and then today's record value, as raw bytes.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput input(data, size);
    memory_registry::Reset();
    for (const char* name : {kDistanceValueName, kUnitValueName, kSinceDateValueName}) {
        memory_registry::PutValue(CurrentUserRoot(), kSettingsKeyPath, name, input.Until('\n'));
    }
    TextString today = FormatDayName(kToday);
    memory_registry::PutValue(CurrentUserRoot(), "Software\\Skittera\\Storico", today.buffer, input.Rest());

    SettingsStore store;
    PersistedState first = Loaded(store);
    FUZZ_CHECK(std::isfinite(first.distanceCm));
    FUZZ_CHECK(!first.sinceDate.IsEmpty());
    FUZZ_CHECK(first.unitDivisor == 1 || first.unitDivisor == 100 || first.unitDivisor == 100000);
    SaveSettingsTo(store, first);
    std::string saved = memory_registry::Dump();

    PersistedState second = Loaded(store);
    // The text comes back exactly; the distance as its ten decimals give it back.
    FUZZ_CHECK(std::strcmp(first.sinceDate.buffer, second.sinceDate.buffer) == 0);
    FUZZ_CHECK(first.unitDivisor == second.unitDivisor);
    FUZZ_CHECK(std::fabs(first.distanceCm - second.distanceCm) <=
               1e-10 + std::fabs(first.distanceCm) * 1e-15);
    FUZZ_CHECK(first.dayStoredUnreadable == second.dayStoredUnreadable);
    FUZZ_CHECK(first.dayFigures.presses == second.dayFigures.presses);
    FUZZ_CHECK(first.dayFigures.activeSeconds == second.dayFigures.activeSeconds);

    SaveSettingsTo(store, second);
    FUZZ_CHECK(memory_registry::Dump() == saved);
    PersistedState third = Loaded(store);
    FUZZ_CHECK(second.distanceCm == third.distanceCm);
    FUZZ_CHECK(SameFigures(second.dayFigures, third.dayFigures));
    FUZZ_CHECK(memory_registry::OpenKeyCount() == 0);
    return 0;
}
