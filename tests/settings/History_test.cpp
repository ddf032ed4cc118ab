// The record of every day in the store: the value's name and text, what a reader
// accepts and what it passes over, loading the whole record, today's value written
// with the counter and continued by a later start, and the finished days that wait
// while the store refuses them.
#include "settings/History.h"

#include <atomic>
#include <limits>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "engine/DayRecord.h"
#include "measuring/ApplicationState.h"
#include "settings/PendingDays.h"
#include "settings/Settings.h"
#include "tests/settings/MemoryRegistry.h"

using namespace std::string_literals;

namespace {

constexpr char kHistoryKey[] = "Software\\Skittera\\Storico";
// The local date at start.
constexpr CalendarDate kToday{2024, 3, 15};

void Stored(const std::string& name, const std::string& bytes) {
    memory_registry::PutValue(CurrentUserRoot(), kHistoryKey, name, bytes);
}
std::string StoredBytes(const std::string& name) {
    return memory_registry::ValueBytes(CurrentUserRoot(), kHistoryKey, name);
}

TEST(DayValueFormat, NameAndValueAreWrittenAsStoredAndReadBackExactly) {
    EXPECT_STREQ(FormatDayName(CalendarDate{2024, 3, 5}).buffer, "2024-03-05");
    EXPECT_STREQ(FormatDayValue(DayFigures{1234.5, 17, 3, 600}).buffer, "1234.5000000000;17;3;600");
    EXPECT_STREQ(FormatDayValue(DayFigures{0, 0, 0, 0}).buffer, "0.0000000000;0;0;0");
    EXPECT_STREQ(FormatDayValue(DayFigures{0.1, UINT64_MAX, 0, 86400}).buffer,
                 "0.1000000000;18446744073709551615;0;86400");

    // Ten decimals hold a distance to 1e-10 cm: what is read back is what was written.
    const DayFigures days[] = {{98765.4321, 1, 2, 3}, {1e9 + 0.25, 4000000000ULL, 7, 86399}};
    for (const DayFigures& figures : days) {
        DayFigures read;
        ASSERT_TRUE(ParseDayValue(FormatDayValue(figures).buffer, read));
        EXPECT_EQ(read.distanceCm, figures.distanceCm);
        EXPECT_EQ(read.presses, figures.presses);
        EXPECT_EQ(read.wheelNotches, figures.wheelNotches);
        EXPECT_EQ(read.activeSeconds, figures.activeSeconds);
    }
    DayFigures read;
    ASSERT_TRUE(ParseDayValue("12.5;1;2;3;99;nuovo", read)); // later figures are ignored
    EXPECT_EQ(read.distanceCm, 12.5);
    EXPECT_EQ(read.activeSeconds, 3U);
    CalendarDate date;
    ASSERT_TRUE(ParseDayName("2024-02-29", date)); // a leap day
    EXPECT_EQ(date, (CalendarDate{2024, 2, 29}));
}

class UnreadableDayName : public ::testing::TestWithParam<const char*> {};

TEST_P(UnreadableDayName, IsNotADay) {
    CalendarDate date{1, 1, 1};
    EXPECT_FALSE(ParseDayName(GetParam(), date));
    EXPECT_EQ(date, (CalendarDate{1, 1, 1})); // left as it was
}

INSTANTIATE_TEST_SUITE_P(Names, UnreadableDayName,
                         ::testing::Values("", "2024-3-15", "2024/03/15", "2024-03-15 ", " 2024-03-15",
                                           "2023-02-29", "2024-13-01", "2024-00-10", "2024-04-31",
                                           "0000-01-01", "20240315", "2024-03-1x", "SkitDistanza",
                                           "2024-03-150"));

// 10^308 cm written out in digits: two such days would add up to infinity.
const std::string kBeyondAnyDay = "1" + std::string(308, '0') + ".0;0;0;0";

class UnreadableDayValue : public ::testing::TestWithParam<const char*> {};

TEST_P(UnreadableDayValue, IsNotRead) {
    DayFigures figures{5, 5, 5, 5};
    EXPECT_FALSE(ParseDayValue(GetParam(), figures));
    EXPECT_EQ(figures.distanceCm, 5);
}

INSTANTIATE_TEST_SUITE_P(Values, UnreadableDayValue,
                         ::testing::Values("", "12.5", "12.5;1;2", "12.5;1;2;", "12.5;;2;3", "-1.0;1;2;3",
                                           "nan;1;2;3", "inf;0;0;0", "1e5;1;2;3", " 12.5;1;2;3",
                                           "12.5;1;2;3x", "12,5;1;2;3", "12.;1;2;3", ".5;1;2;3",
                                           "12.5;-1;2;3", "12.5;1;2;18446744073709551616", "12.5;+1;2;3",
                                           "1000000000001.0;0;0;0", kBeyondAnyDay.c_str()));

class HistoryStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        memory_registry::Reset();
        store.SetBaseKey(kSettingsKeyPath);
    }
    void TearDown() override { EXPECT_EQ(memory_registry::OpenKeyCount(), 0); }

    // What start-up does: the defaults, then the load.
    ApplicationState Started() {
        ApplicationState state;
        ResetApplicationState(state);
        state.unitDivisor = 1;
        LoadSettingsFrom(store, state, kToday);
        return state;
    }

    SettingsStore store;
};

TEST_F(HistoryStoreTest, TheWholeRecordIsReadOldestFirstPassingOverWhatCannotBeRead) {
    EXPECT_TRUE(LoadHistoryFrom(store).empty()); // no key yet
    Stored("2024-03-15", "10.0000000000;1;2;3\0"s);
    Stored("2023-12-31", "5.5000000000;0;0;60;più tardi\0"s);
    Stored("2024-01-01", "20.0000000000;4;5;6"s); // stored without its terminating zero
    Stored("2024-02-30", "1.0;1;1;1\0"s);         // no such day
    Stored("2024-03-01", "rotto\0"s);
    Stored("2024-03-02", std::string(600, '7') + ";1;1;1"); // longer than any value read
    Stored("Nota", "1.0;1;1;1\0"s);

    DayList days = LoadHistoryFrom(store);
    ASSERT_EQ(days.size(), 3U);
    EXPECT_EQ(days[0].date, (CalendarDate{2023, 12, 31}));
    EXPECT_EQ(days[0].figures.activeSeconds, 60U);
    EXPECT_EQ(days[1].date, (CalendarDate{2024, 1, 1}));
    EXPECT_EQ(days[1].figures.presses, 4U);
    EXPECT_EQ(days[2].date, (CalendarDate{2024, 3, 15}));
    EXPECT_EQ(days[2].figures.distanceCm, 10);
    EXPECT_TRUE(memory_registry::Log().empty()); // reading changes nothing
}

TEST_F(HistoryStoreTest, TodayIsWrittenWithTheCounterAndALaterStartAddsToIt) {
    Stored("2024-03-14", "99.0000000000;9;9;9\0"s);
    ApplicationState first = Started();
    first.distanceCm = 40;
    first.dayFigures = DayFigures{40, 3, 2, 30};
    ASSERT_EQ(SaveUserSettingsTo(store, first), 1);
    EXPECT_EQ(StoredBytes("2024-03-15"), "40.0000000000;3;2;30\0"s);

    ApplicationState second = Started(); // the same day, later
    EXPECT_EQ(second.day, (CalendarDate{2024, 3, 15}));
    EXPECT_EQ(second.dayFigures.distanceCm, 40);
    second.dayFigures.distanceCm += 2.5;
    second.dayFigures.presses += 1;
    SaveSettingsTo(store, second);
    EXPECT_EQ(StoredBytes("2024-03-15"), "42.5000000000;4;2;30\0"s);
    EXPECT_EQ(StoredBytes("2024-03-14"), "99.0000000000;9;9;9\0"s); // past days never change
}

// The history's read-ahead reads the record on a thread of its own, through a store of
// its own, while the main thread goes on with its checkpoints: its store's key set again
// (as every checkpoint and a re-added icon do), the counter and the day's figures
// written, through the 31 days of a month, each beginning with its first value (where the
// values move under an enumeration). Every read finds a whole record: the ten past days
// as stored, then days of that month, each date once and in order, each with its four
// figures as one checkpoint wrote them together. Run under ThreadSanitizer
// (tools/test-steps.sh) it also shows that the two stores share nothing.
TEST_F(HistoryStoreTest, TheRecordReadOnAThreadWhileTheMainThreadSavesIsWhole) {
    for (int day = 1; day <= 10; ++day) {
        Stored("2024-02-" + std::string(day < 10 ? "0" : "") + std::to_string(day),
               std::to_string(day) + ".0000000000;" + std::to_string(day) + ";0;0\0"s);
    }
    SettingsStore readersStore;
    readersStore.SetBaseKey(kSettingsKeyPath);
    std::atomic<bool> saving{true};
    std::atomic<int> reads{0};
    std::string fault; // the first read that was not whole, told by the main thread
    std::thread reader([&readersStore, &saving, &reads, &fault] {
        do {
            DayList days = LoadHistoryFrom(readersStore);
            bool whole = days.size() >= 10;
            for (std::size_t index = 0; whole && index < days.size(); ++index) {
                const DayEntry& entry = days[index];
                const DayFigures& figures = entry.figures;
                if (index < 10) {
                    whole = entry.date == CalendarDate{2024, 2, static_cast<int>(index) + 1} &&
                            figures.distanceCm == static_cast<double>(index + 1) &&
                            figures.presses == index + 1;
                } else {
                    whole = entry.date.year == 2024 && entry.date.month == 3 &&
                            days[index - 1].date < entry.date && figures.presses == figures.wheelNotches &&
                            figures.presses == figures.activeSeconds &&
                            figures.distanceCm == static_cast<double>(figures.presses);
                }
            }
            if (!whole && fault.empty()) {
                fault =
                    "read " + std::to_string(reads.load()) + " of " + std::to_string(days.size()) + " days";
            }
            ++reads;
        } while (saving.load());
    });
    ApplicationState state = Started();
    for (std::uint64_t round = 1; round <= 3000; ++round) {
        store.SetBaseKey(kSettingsKeyPath);
        state.day = CalendarDate{2024, 3, 1 + static_cast<int>(round / 100)};
        state.distanceCm = static_cast<double>(round);
        state.dayFigures = DayFigures{static_cast<double>(round), round, round, round};
        ASSERT_EQ(SaveUserSettingsTo(store, state), 1);
    }
    saving = false;
    reader.join();
    EXPECT_EQ(fault, "");
    EXPECT_GT(reads.load(), 1);
    EXPECT_EQ(StoredBytes("2024-03-30"), "2999.0000000000;2999;2999;2999\0"s);
    EXPECT_EQ(StoredBytes("2024-03-31"), "3000.0000000000;3000;3000;3000\0"s);
}

TEST_F(HistoryStoreTest, AnUnreadableValueForTodayIsNeverOverwritten) {
    Stored("2024-03-15", "scritto a mano\0"s);
    ApplicationState state = Started();
    EXPECT_TRUE(state.dayStoredUnreadable);
    state.dayFigures = DayFigures{40, 3, 2, 30};
    state.distanceCm = 40;
    EXPECT_EQ(SaveUserSettingsTo(store, state), 1);
    EXPECT_EQ(StoredBytes("2024-03-15"), "scritto a mano\0"s);
    EXPECT_EQ(memory_registry::ValueBytes(CurrentUserRoot(), kSettingsKeyPath, kDistanceValueName),
              "40.0000000000\0"s);

    // The store holds it even when it is too long to read.
    Stored("2024-03-15", std::string(1000, '1'));
    EXPECT_TRUE(Started().dayStoredUnreadable);
}

// The day keeping writes what SwitchDay hands over; an unreadable value (or one longer
// than the store reads, as a later version might write) outlives the day it belongs to.
TEST_F(HistoryStoreTest, AnUnreadableValueForTodayIsNotOverwrittenWhenTheDayEnds) {
    const std::string kept[] = {"scritto a mano\0"s, std::string(1000, '1')};
    for (const std::string& bytes : kept) {
        Stored("2024-03-15", bytes);
        ApplicationState state = Started();
        state.dayFigures = DayFigures{40, 3, 2, 30};
        state.distanceCm = 40;
        DayEntry finished;
        if (SwitchDay(state, CalendarDate{2024, 3, 16}, 0, finished)) {
            WriteStoredDay(store, finished.date, finished.figures);
        }
        state.dayFigures = DayFigures{5, 1, 0, 4};
        EXPECT_EQ(SaveUserSettingsTo(store, state), 1);
        EXPECT_EQ(StoredBytes("2024-03-15"), bytes);
        EXPECT_EQ(StoredBytes("2024-03-16"), "5.0000000000;1;0;4\0"s); // the next day is written
    }
}

TEST_F(HistoryStoreTest, ADistanceThatIsNotANumberIsNeverWritten) {
    EXPECT_EQ(WriteStoredDay(store, CalendarDate{2024, 3, 15},
                             DayFigures{std::numeric_limits<double>::quiet_NaN()}),
              0);
    EXPECT_FALSE(memory_registry::HasValue(CurrentUserRoot(), kHistoryKey, "2024-03-15"));
}

// Midnight comes twice while the registry refuses every write: both days wait, and once
// it takes writes again both are written, oldest first, with their figures.
TEST_F(HistoryStoreTest, FinishedDaysTheStoreRefusesWaitAndAreWrittenOldestFirst) {
    ApplicationState state = Started();
    PendingDays pending;
    DayEntry finished;
    memory_registry::SetValueChangesRefused(CurrentUserRoot(), true);
    state.dayFigures = DayFigures{40, 3, 2, 30};
    ASSERT_TRUE(SwitchDay(state, CalendarDate{2024, 3, 16}, 0, finished));
    EXPECT_TRUE(pending.Add(finished));
    EXPECT_EQ(pending.WriteTo(store), 0);
    state.dayFigures = DayFigures{7.25, 9, 0, 12};
    ASSERT_TRUE(SwitchDay(state, CalendarDate{2024, 3, 17}, 0, finished));
    EXPECT_TRUE(pending.Add(finished));
    EXPECT_EQ(pending.WriteTo(store), 0);
    EXPECT_EQ(pending.size(), 2U);
    EXPECT_FALSE(memory_registry::HasValue(CurrentUserRoot(), kHistoryKey, "2024-03-15"));

    memory_registry::SetValueChangesRefused(CurrentUserRoot(), false);
    memory_registry::ClearLog();
    EXPECT_EQ(pending.WriteTo(store), 1);
    EXPECT_TRUE(pending.empty());
    EXPECT_EQ(StoredBytes("2024-03-15"), "40.0000000000;3;2;30\0"s);
    EXPECT_EQ(StoredBytes("2024-03-16"), "7.2500000000;9;0;12\0"s);
    const std::vector<std::string>& log = memory_registry::Log();
    ASSERT_EQ(log.size(), 2U);
    EXPECT_NE(log[0].find("Storico:2024-03-15="), std::string::npos) << log[0];
    EXPECT_NE(log[1].find("Storico:2024-03-16="), std::string::npos) << log[1];
    EXPECT_EQ(pending.WriteTo(store), 1); // written once: nothing is left to write again
    EXPECT_EQ(log.size(), 2U);
}

// The clock goes back to a day still waiting while the store holds an older value for
// it (the last checkpoint it took): the day goes on from its waiting figures, as the day
// keeping does, and what is written at last is all of it, counted once.
TEST_F(HistoryStoreTest, ADayTheClockGoesBackToGoesOnFromItsWaitingFigures) {
    Stored("2024-03-15", "10.0000000000;1;0;5\0"s);
    ApplicationState state = Started();
    PendingDays pending;
    DayEntry finished;
    memory_registry::SetValueChangesRefused(CurrentUserRoot(), true);
    state.dayFigures = DayFigures{40, 3, 2, 30}; // 10 cm stored and 30 counted since
    ASSERT_TRUE(SwitchDay(state, CalendarDate{2024, 3, 16}, 0, finished));
    pending.Add(finished);
    pending.WriteTo(store);

    ASSERT_TRUE(SwitchDay(state, CalendarDate{2024, 3, 15}, 0, finished)); // the clock put back
    pending.Add(finished);
    DayFigures figures;
    StoredDay found = StoredDay::Readable;
    if (!pending.Take(CalendarDate{2024, 3, 15}, figures)) {
        found = ReadStoredDay(store, CalendarDate{2024, 3, 15}, figures);
    }
    state.dayFigures = DayFigures{2, 1, 0, 1}; // counted while the day was looked up
    TakeOverStoredDay(state, CalendarDate{2024, 3, 15}, found, figures);
    EXPECT_EQ(state.dayFigures.distanceCm, 42);
    ASSERT_TRUE(SwitchDay(state, CalendarDate{2024, 3, 16}, 0, finished));
    pending.Add(finished);
    EXPECT_EQ(pending.size(), 2U);

    memory_registry::SetValueChangesRefused(CurrentUserRoot(), false);
    EXPECT_EQ(pending.WriteTo(store), 1);
    EXPECT_EQ(StoredBytes("2024-03-15"), "42.0000000000;4;2;31\0"s);
    EXPECT_EQ(StoredBytes("2024-03-16"), "0.0000000000;0;0;0\0"s);
}

TEST(PendingDaysTest, DaysWaitInDateOrderAndADateHandedOverAgainAddsToItsEntry) {
    PendingDays pending;
    EXPECT_TRUE(pending.Add(DayEntry{CalendarDate{2024, 3, 15}, DayFigures{40, 3, 2, 30}}));
    EXPECT_TRUE(pending.Add(DayEntry{CalendarDate{2024, 3, 14}, DayFigures{1, 1, 1, 1}}));
    EXPECT_TRUE(pending.Add(DayEntry{CalendarDate{2024, 3, 14}, DayFigures{0.5, 2, 0, 3}}));
    ASSERT_EQ(pending.size(), 2U);
    EXPECT_EQ(pending[0].date, (CalendarDate{2024, 3, 14}));
    EXPECT_EQ(pending[0].figures.distanceCm, 1.5);
    EXPECT_EQ(pending[0].figures.activeSeconds, 4U);
    EXPECT_EQ(pending[1].date, (CalendarDate{2024, 3, 15}));

    DayFigures figures{5, 5, 5, 5};
    EXPECT_FALSE(pending.Take(CalendarDate{2024, 3, 16}, figures));
    EXPECT_EQ(figures.presses, 5U); // left alone
    ASSERT_TRUE(pending.Take(CalendarDate{2024, 3, 14}, figures));
    EXPECT_EQ(figures.distanceCm, 1.5);
    EXPECT_FALSE(pending.Take(CalendarDate{2024, 3, 14}, figures)); // taken once
    ASSERT_EQ(pending.size(), 1U);
    EXPECT_EQ(pending[0].date, (CalendarDate{2024, 3, 15}));
}

// A full list keeps what it has; a day of a date already waiting still finds its entry.
TEST(PendingDaysTest, AFullListOrADistanceThatIsNotANumberKeepsNothingMore) {
    PendingDays pending;
    EXPECT_FALSE(pending.Add(DayEntry{CalendarDate{2024, 3, 1}, DayFigures{-1, 1, 1, 1}}));
    EXPECT_FALSE(pending.Add(
        DayEntry{CalendarDate{2024, 3, 1}, DayFigures{std::numeric_limits<double>::infinity(), 1, 1, 1}}));
    EXPECT_TRUE(pending.empty());
    for (int i = 0; i < 32; ++i) { // 1 to 28 January, then 1 to 4 February
        ASSERT_TRUE(
            pending.Add(DayEntry{CalendarDate{2024, 1 + i / 28, 1 + i % 28}, DayFigures{1, 0, 0, 1}}));
    }
    EXPECT_FALSE(pending.Add(DayEntry{CalendarDate{2023, 12, 31}, DayFigures{9, 9, 9, 9}}));
    EXPECT_FALSE(pending.Add(DayEntry{CalendarDate{2024, 3, 1}, DayFigures{9, 9, 9, 9}}));
    EXPECT_TRUE(pending.Add(DayEntry{CalendarDate{2024, 2, 4}, DayFigures{2, 0, 0, 2}}));
    ASSERT_EQ(pending.size(), 32U);
    EXPECT_EQ(pending[0].date, (CalendarDate{2024, 1, 1}));
    EXPECT_EQ(pending[31].date, (CalendarDate{2024, 2, 4}));
    EXPECT_EQ(pending[31].figures.distanceCm, 3);
}

} // namespace

namespace {

// "Importa..." over the store: the days written oldest first, a stored value that cannot
// be read left as it is, and a write the store refuses midway taking back every day
// written before it, so that trying again cannot count a day twice.
TEST_F(HistoryStoreTest, ImportedDaysAreWrittenInOrderOrNotAtAll) {
    Stored("2024-03-10", "10.0000000000;1;0;5\0"s);
    Stored("2024-03-11", "rotto\0"s);
    const DayList imported = {{{2024, 3, 9}, {2.5, 1, 1, 1}},
                              {{2024, 3, 10}, {2.5, 1, 1, 1}},
                              {{2024, 3, 11}, {2.5, 1, 1, 1}},
                              {{2024, 3, 12}, {2.5, 1, 1, 1}},
                              {{2024, 3, 15}, {2.5, 1, 1, 1}}};
    const CalendarDate today{2024, 3, 15};
    const std::string before = memory_registry::Dump();

    ImportPlan plan;
    memory_registry::RefuseSettingValue("2024-03-12");
    EXPECT_FALSE(ImportDaysInto(store, imported, today, ImportChoice::kSum, plan));
    EXPECT_EQ(memory_registry::Dump(), before);
    EXPECT_TRUE(plan.write.empty());

    memory_registry::RefuseSettingValue("");
    memory_registry::ClearLog();
    ASSERT_TRUE(ImportDaysInto(store, imported, today, ImportChoice::kSum, plan));
    EXPECT_EQ(plan.counts.added, 2U);
    EXPECT_EQ(plan.counts.summed, 1U);
    EXPECT_EQ(plan.counts.unreadable, 1U);
    EXPECT_EQ(plan.counts.skipped, 1U);
    const std::vector<std::string>& log = memory_registry::Log();
    ASSERT_EQ(log.size(), 3U);
    EXPECT_NE(log[0].find("Storico:2024-03-09=2.5000000000;1;1;1"), std::string::npos) << log[0];
    EXPECT_NE(log[1].find("Storico:2024-03-10=12.5000000000;2;1;6"), std::string::npos) << log[1];
    EXPECT_NE(log[2].find("Storico:2024-03-12=2.5000000000;1;1;1"), std::string::npos) << log[2];
    EXPECT_EQ(StoredBytes("2024-03-11"), "rotto\0"s);
}

} // namespace
