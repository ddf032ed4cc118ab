// Opens the history window on a sample record of about a year and a half and holds it
// open for a while, so that a screenshot can be taken (tools/dialog-screenshot.sh
// --history). Writes the window's screen rectangle to the file named by its first
// argument.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "dialog/HistoryWindow.h"
#include "engine/DisplayTexts.h"
#include "engine/HistorySummary.h"
#include "resources/resource.h"
#include "tests/support/WinTestSupport.h"

namespace {

const CalendarDate kToday{2026, 12, 9};

// Working days longer than weekends, a slow rise over the months, a few days off; a
// fixed pattern, so the picture is the same every time.
DayList SampleRecord() {
    DayList days;
    std::int64_t last = DaysFromCivil(kToday);
    for (std::int64_t day = last - 540; day <= last; ++day) {
        DayEntry entry;
        entry.date = CivilFromDays(day);
        int weekday = WeekdayFromMonday(entry.date);
        unsigned noise = static_cast<unsigned>(day * 2654435761u) >> 24; // 0 to 255
        if (noise % 17 == 3) {
            continue; // a day the program did not run
        }
        double metres = (weekday < 5 ? 95 : 30) + noise * 0.25 + static_cast<double>(day - last + 540) * 0.05;
        entry.figures.distanceCm = metres * 100 + noise / 7.0;
        entry.figures.presses = static_cast<std::uint64_t>(metres * 21);
        entry.figures.wheelNotches = static_cast<std::uint64_t>(metres * 6 + noise);
        entry.figures.activeSeconds = static_cast<std::uint64_t>(metres * 55);
        days.Append(entry);
    }
    return days;
}

// A bar a few days back selected, as a user looking at last week would leave it.
void Prepare(HWND dialog) {
    SetForegroundWindow(dialog);
    HWND chart = GetDlgItem(dialog, IDC_HISTORY_CHART);
    for (int i = 0; i < 6; ++i) {
        SendMessageA(chart, WM_KEYDOWN, VK_LEFT, 0);
    }
}

} // namespace

int main(int argc, char** argv) {
    if (!StartPreview(argc, argv, "history_preview", Prepare)) {
        return 2;
    }
    DayList days = SampleRecord();
    OpenHistoryWindow(nullptr, days, kToday, kMetres);
    return 0;
}
