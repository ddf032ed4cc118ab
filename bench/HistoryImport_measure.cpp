// A measured run, not a timed test: how long "Importa..." takes to read and check a
// hundred years of days (36,500 lines), and to merge and write ten years (3,650 days)
// into the real registry under Wine. The days go under a scratch key of its own, never
// the program's, removed afterwards. It prints its figures (docs/performance.md) and
// checks only that every day was read and written.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/HistoryCsv.h"
#include "engine/HistoryImport.h"
#include "measuring/Globals.h"
#include "measuring/StoredSettings.h"
#include "settings/History.h"
#include "tests/support/WinTestSupport.h"

namespace {

constexpr char kScratchKey[] = "Software\\Skittera.ImportMeasure";
constexpr char kScratchHistory[] = "Software\\Skittera.ImportMeasure\\Storico";

double MillisecondsSince(LONGLONG start) { return MicrosecondsOf(PerformanceNow() - start) / 1000; }

// `count` days from 1 January 1926, each with figures as long as a busy day's, as the
// Italian export writes them.
std::string ExportedDays(int count) {
    DayList days;
    for (int day = 0; day < count; ++day) {
        days.Append(DayEntry{CivilFromDays(DaysFromCivil(CalendarDate{1926, 1, 1}) + day),
                             DayFigures{123456.7890123456 + day, 12345, 6789, 28800}});
    }
    std::string file;
    auto collect = [](void* context, const char* bytes, std::size_t size) {
        static_cast<std::string*>(context)->append(bytes, size);
        return true;
    };
    WriteHistoryCsv(days, MakeCsvFormat(";", ","), collect, &file);
    return file;
}

void RemoveScratchKey() {
    RegDeleteKeyA(HKEY_CURRENT_USER, kScratchHistory);
    RegDeleteKeyA(HKEY_CURRENT_USER, kScratchKey);
}

TEST(HistoryImport, AHundredYearsCheckedAndTenYearsWrittenMeasured) {
    const std::string hundredYears = ExportedDays(36500);
    std::vector<double> times;
    std::size_t read = 0;
    for (int run = 0; run < 7; ++run) {
        DayList days;
        LONGLONG start = PerformanceNow();
        ImportError error = ReadHistoryCsv(hundredYears.data(), hundredYears.size(), days);
        times.push_back(MillisecondsSince(start));
        EXPECT_EQ(error.problem, ImportProblem::kNone);
        read = days.size();
    }
    std::sort(times.begin(), times.end());
    std::printf(
        "ReadHistoryCsv of 36,500 lines (%.1f MB): of 7 runs min %.1f ms, median %.1f ms, max %.1f ms\n",
        hundredYears.size() / 1e6, times.front(), times[3], times.back());
    EXPECT_EQ(read, 36500u);

    // Ten years into an empty record (every day a look-up and a write), then the same
    // file again with "Somma" (every day a read and a write of the sum).
    const std::string tenYears = ExportedDays(3650);
    DayList days;
    ASSERT_EQ(ReadHistoryCsv(tenYears.data(), tenYears.size(), days).problem, ImportProblem::kNone);
    RemoveScratchKey();
    settingsStore.SetBaseKey(kScratchKey);
    const CalendarDate today{2026, 12, 9};
    for (const char* what : {"into an empty record", "again with Somma"}) {
        ImportPlan plan;
        LONGLONG start = PerformanceNow();
        bool written = ImportHistory(days, today, ImportChoice::kSum, plan);
        double total = MillisecondsSince(start);
        EXPECT_TRUE(written);
        EXPECT_EQ(plan.write.size(), 3650u);
        std::printf("ImportHistory of 3,650 days %s: %.1f ms\n", what, total);
    }

    // Where the time goes under Wine: every registry call is a round trip to the Wine
    // server. The look-up of a day opens the key twice (whether the value exists, then
    // its text), and the write opens it once more.
    DayFigures figures;
    LONGLONG start = PerformanceNow();
    for (const DayEntry& day : days) {
        ReadStoredDay(settingsStore, day.date, figures);
    }
    std::printf("  of which the look-ups, 3,650 ReadStoredDay: %.1f ms\n", MillisecondsSince(start));
    start = PerformanceNow();
    for (const DayEntry& day : days) {
        WriteStoredDay(settingsStore, day.date, day.figures);
    }
    std::printf("  and the writes, 3,650 WriteStoredDay: %.1f ms\n", MillisecondsSince(start));
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kScratchHistory, 0, KEY_READ, &key), ERROR_SUCCESS);
    start = PerformanceNow();
    for (int day = 0; day < 3650; ++day) {
        DWORD values = 0;
        RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr,
                         nullptr, nullptr);
    }
    std::printf("  3,650 bare round trips (RegQueryInfoKeyA): %.1f ms\n", MillisecondsSince(start));
    RegCloseKey(key);
    settingsStore.SetBaseKey(kSettingsKeyPath);
    RemoveScratchKey();
}

} // namespace
