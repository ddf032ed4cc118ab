// A measured run, not a timed test: how long reading ten years of the record (3,650 days)
// takes against the real registry under Wine. The days go under a scratch key of their
// own, never the program's, and the key is removed afterwards. It prints its figures
// (docs/performance.md) and checks only that every day was read.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include <gtest/gtest.h>

#include "engine/DayRecord.h"
#include "measuring/Globals.h"
#include "measuring/HistoryRecord.h"
#include "measuring/StoredSettings.h"
#include "settings/History.h"
#include "tests/support/WinTestSupport.h"

namespace {

constexpr char kScratchKey[] = "Software\\Skittera.HistoryMeasure";
constexpr char kScratchHistory[] = "Software\\Skittera.HistoryMeasure\\Storico";
constexpr int kDays = 3650;

double MillisecondsSince(LONGLONG start) { return MicrosecondsOf(PerformanceNow() - start) / 1000; }

// Ten years of days from 1 January 2016, each with figures as long as a busy day's.
void WriteTenYears() {
    settingsStore.SetBaseKey(kScratchKey);
    CalendarDate date{2016, 1, 1};
    for (int day = 0; day < kDays; ++day) {
        DayFigures figures{123456.7890123456 + day, 12345, 6789, 28800};
        ASSERT_EQ(WriteStoredDay(settingsStore, date, figures), 1);
        ++date.day;
        if (!IsValidDate(date)) {
            date.day = 1;
            if (++date.month > 12) {
                date.month = 1;
                ++date.year;
            }
        }
    }
}

TEST(HistoryLoad, TenYearsOfRecordMeasured) {
    WriteTenYears();
    std::vector<double> times;
    std::size_t read = 0;
    for (int run = 0; run < 7; ++run) {
        LONGLONG start = PerformanceNow();
        DayList days = LoadHistory();
        times.push_back(MillisecondsSince(start));
        read = days.size();
    }
    double first = times.front();
    std::sort(times.begin(), times.end());
    std::printf("LoadHistory of %d days: first %.1f ms; of 7 runs min %.1f ms, median %.1f ms, max %.1f ms\n",
                kDays, first, times.front(), times[3], times.back());
    EXPECT_EQ(read, static_cast<std::size_t>(kDays));

    // The floor under Wine: every registry call is a round trip to the Wine server, and
    // reading the record takes one per day. The same number of the cheapest registry
    // call (the key's value count) shows what the round trips alone cost on this machine.
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kScratchHistory, 0, KEY_READ, &key), ERROR_SUCCESS);
    LONGLONG start = PerformanceNow();
    for (int day = 0; day < kDays; ++day) {
        DWORD values = 0;
        RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr,
                         nullptr, nullptr);
    }
    std::printf("%d bare round trips (RegQueryInfoKeyA): %.1f ms\n", kDays, MillisecondsSince(start));
    RegCloseKey(key);

    // What the user waits for when the days were read ahead as the properties dialog
    // opened, and "Storico..." is clicked a moment later (300 ms: a quick click).
    std::vector<double> waits;
    for (int run = 0; run < 7; ++run) {
        ReadHistoryAhead();
        Sleep(300);
        start = PerformanceNow();
        DayList days = ReadHistoryForWindow();
        waits.push_back(MillisecondsSince(start));
        read = days.size();
    }
    std::sort(waits.begin(), waits.end());
    std::printf("ReadHistoryForWindow 300 ms after ReadHistoryAhead: median %.2f ms, max %.2f ms\n", waits[3],
                waits.back());
    EXPECT_GE(read, static_cast<std::size_t>(kDays));
    // A key with values and no subkeys goes with its values.
    RegDeleteKeyA(HKEY_CURRENT_USER, kScratchHistory);
    RegDeleteKeyA(HKEY_CURRENT_USER, kScratchKey);
}

} // namespace
