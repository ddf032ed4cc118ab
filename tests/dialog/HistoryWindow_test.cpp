// The history window under Wine: the chart read back from the screen, the selection
// following the keys and the mouse, the periods, the figures beside the chart, the
// export, through the real Save As dialog too, and the import through the Open dialog.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "dialog/HistoryChart.h"
#include "dialog/HistoryExport.h"
#include "dialog/HistoryWindow.h"
#include "engine/DisplayTexts.h"
#include "engine/HistorySummary.h"
#include "measuring/Globals.h"
#include "measuring/HistoryRecord.h"
#include "measuring/MeasurementLock.h"
#include "resources/resource.h"
#include "settings/History.h"
#include "support/GdiTally.h"
#include "tests/dialog/DialogHarness.h"

namespace {

const CalendarDate kToday{2026, 12, 9}; // a Wednesday

// Thirty days up to today; day i (0 the oldest, 10 November) has 100 x (1 + 7i mod 10)
// centimetres, so 1 to 10 metres in a jumbled order, i presses, 2i notches, i minutes.
DayList ThirtyDays() {
    DayList days;
    for (int i = 0; i < 30; ++i) {
        DayEntry day;
        day.date = CivilFromDays(DaysFromCivil(kToday) - (29 - i));
        day.figures = DayFigures{100.0 * (1 + (7 * i) % 10), static_cast<std::uint64_t>(i),
                                 static_cast<std::uint64_t>(2 * i), static_cast<std::uint64_t>(60 * i)};
        days.Append(day);
    }
    return days;
}

int Metres(int i) { return 1 + (7 * i) % 10; }

HWND Chart(HWND dialog) { return GetDlgItem(dialog, IDC_HISTORY_CHART); }

void Press(HWND dialog, WORD key) {
    SendKey(key);
    PumpMessagesFor(150);
    SettleDialog(dialog);
}

std::string Selected(HWND dialog) { return ControlText(dialog, IDC_HISTORY_SELECTED); }

TEST(HistoryWindow, BarsStandInProportionToTheDistances) {
    DayList days = ThirtyDays();
    RunHistoryWindow(days, kToday, kMetres, [](HWND dialog) {
        std::vector<int> heights = ChartBarHeights(Chart(dialog), 30);
        const int tallest = heights[7]; // day 7 is one of the 10-metre days
        ASSERT_GT(tallest, 40);
        for (int i = 0; i < 30; ++i) {
            // Within a pixel of the share of the tallest bar.
            EXPECT_NEAR(heights[static_cast<std::size_t>(i)] * 10.0, tallest * Metres(i), 10.0)
                << "bar " << i;
        }
    });
}

TEST(HistoryWindow, TheSelectionFollowsTheKeysAndTheMouse) {
    DayList days = ThirtyDays();
    RunHistoryWindow(days, kToday, kMetres, [](HWND dialog) {
        HWND chart = Chart(dialog);
        SetForegroundWindow(dialog);
        EXPECT_EQ(GetFocus(), chart);
        EXPECT_EQ(SelectedChartBar(chart, 30), 29);
        EXPECT_EQ(Selected(dialog),
                  "mer 09.12.2026: 4.00 m, 29 clic, 58 scatti della rotella, attivo 0:29:00");

        const struct {
            WORD key;
            int selected;
            const char* date;
        } steps[] = {
            {VK_LEFT, 28, "mar 08.12.2026: 7.00 m"}, {VK_HOME, 0, "mar 10.11.2026: 1.00 m"},
            {VK_LEFT, 0, "mar 10.11.2026"},          {VK_RIGHT, 1, "mer 11.11.2026: 8.00 m"},
            {VK_END, 29, "mer 09.12.2026"},          {VK_RIGHT, 29, "mer 09.12.2026"},
        };
        for (const auto& step : steps) {
            Press(dialog, step.key);
            EXPECT_EQ(SelectedChartBar(chart, 30), step.selected) << "after key " << step.key;
            EXPECT_EQ(Selected(dialog).rfind(step.date, 0), 0u) << Selected(dialog);
        }

        // A click in the middle of the eleventh slot.
        RECT plot = HistoryChartPlot(chart);
        POINT point{plot.left + (plot.right - plot.left) * 21 / 60, plot.bottom - 2};
        ClientToScreen(chart, &point);
        SendClick(point.x, point.y);
        PumpMessagesFor(150);
        SettleDialog(dialog);
        EXPECT_EQ(SelectedChartBar(chart, 30), 10);
        EXPECT_EQ(Selected(dialog).rfind("ven 20.11.2026", 0), 0u) << Selected(dialog);
    });
}

TEST(HistoryWindow, WeeksMonthsAndTheFiguresBesideTheChart) {
    DayList days = ThirtyDays();
    RunHistoryWindow(days, kToday, kMetres, [](HWND dialog) {
        // Today 4, yesterday 7, Monday 10; December holds days 21 to 29; the first
        // 10-metre day is day 7, 17 November.
        EXPECT_EQ(ControlText(dialog, IDC_HISTORY_TODAY), "4.00 m");
        EXPECT_EQ(ControlText(dialog, IDC_HISTORY_YESTERDAY), "7.00 m");
        EXPECT_EQ(ControlText(dialog, IDC_HISTORY_THIS_WEEK), "21.00 m");
        EXPECT_EQ(ControlText(dialog, IDC_HISTORY_THIS_MONTH), "54.00 m");
        EXPECT_EQ(ControlText(dialog, IDC_HISTORY_RECORD_DATE), "17.11.2026");
        EXPECT_EQ(ControlText(dialog, IDC_HISTORY_RECORD_DISTANCE), "10.00 m");

        Click(dialog, IDC_HISTORY_WEEKS);
        EXPECT_EQ(Selected(dialog), "settimana 50 del 2026 (07.12 - 13.12): 21.00 m, 84 clic, 168 scatti "
                                    "della rotella, attivo 1:24:00");
        std::vector<int> weeks = ChartBarHeights(Chart(dialog), 12);
        for (int week = 0; week < 12; ++week) {
            // The thirty days fall in the weeks of 9 November to 7 December, the last five.
            EXPECT_EQ(weeks[static_cast<std::size_t>(week)] > 0, week >= 7) << "week " << week;
        }
        EXPECT_EQ(SelectedChartBar(Chart(dialog), 12), 11);

        Click(dialog, IDC_HISTORY_MONTHS);
        EXPECT_EQ(Selected(dialog),
                  "dicembre 2026: 54.00 m, 225 clic, 450 scatti della rotella, attivo 3:45:00");
        std::vector<int> months = ChartBarHeights(Chart(dialog), 12);
        // November holds days 0 to 20: 1 + 7i mod 10 over 21 days is twice 55 and 1, 111 metres.
        EXPECT_NEAR(months[10] * 54.0, months[11] * 111.0, 111.0);
    });
}

// --- Export ---------------------------------------------------------------------------

// Paths are UTF-8 here and wide for Windows: a folder may be named in any alphabet.
std::wstring Wide(const std::string& text) {
    int count = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, nullptr, 0);
    std::wstring wide(count > 0 ? static_cast<std::size_t>(count) : 1, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, &wide[0], count);
    wide.resize(wide.size() - 1);
    return wide;
}

std::string Utf8(const wchar_t* wide) {
    int count = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    std::string text(count > 0 ? static_cast<std::size_t>(count) : 1, '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide, -1, &text[0], count, nullptr, nullptr);
    text.resize(text.size() - 1);
    return text;
}

std::string NewFolder(const std::string& name) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    std::string folder = Utf8(temp) + name + std::to_string(GetCurrentProcessId());
    CreateDirectoryW(Wide(folder).c_str(), nullptr);
    return folder;
}

std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(Wide(folder + "\\*").c_str(), &found);
    while (search != INVALID_HANDLE_VALUE) {
        if (found.cFileName[0] != L'.') {
            names.push_back(Utf8(found.cFileName));
        }
        if (!FindNextFileW(search, &found)) {
            FindClose(search);
            break;
        }
    }
    return names;
}

std::string FileBytes(const std::string& path) {
    std::string text;
    HANDLE file =
        CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    char chunk[4096];
    DWORD read = 0;
    while (file != INVALID_HANDLE_VALUE && ReadFile(file, chunk, sizeof chunk, &read, nullptr) && read > 0) {
        text.append(chunk, read);
    }
    if (file != INVALID_HANDLE_VALUE) {
        CloseHandle(file);
    }
    return text;
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
    HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

std::vector<std::string> Lines(const std::string& path) {
    std::vector<std::string> lines;
    std::string text = FileBytes(path);
    for (std::size_t start = 0, end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
        lines.push_back(text.substr(start, end - start));
    }
    return lines;
}

void RemoveFolder(const std::string& folder) {
    for (const std::string& name : FilesIn(folder)) {
        std::string path = folder + '\\';
        path += name;
        DeleteFileW(Wide(path).c_str());
    }
    RemoveDirectoryW(Wide(folder).c_str());
}

// The file a spreadsheet in this user's language reads as columns.
void ExpectExportedFile(const std::string& path) {
    char separator[8] = "";
    char decimalMark[8] = "";
    GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SLIST, separator, sizeof separator);
    GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, decimalMark, sizeof decimalMark);
    std::string s = separator;
    std::vector<std::string> lines = Lines(path);
    ASSERT_EQ(lines.size(), 31u) << path;
    EXPECT_EQ(lines[0],
              "Data" + s + "Distanza (cm)" + s + "Clic" + s + "Scatti della rotella" + s + "Secondi attivi");
    EXPECT_EQ(lines[1], "2026-11-10" + s + "100" + decimalMark + "0000000000" + s + "0" + s + "0" + s + "0");
    EXPECT_EQ(lines[30],
              "2026-12-09" + s + "400" + decimalMark + "0000000000" + s + "29" + s + "58" + s + "1740");
}

TEST(HistoryExport, ReplacesTheFileWholeOrLeavesItAlone) {
    DayList days = ThirtyDays();
    std::string folder = NewFolder("skittera-export-");
    std::string target = folder + "\\storico.csv";
    {
        std::ofstream old(target, std::ios::binary);
        old << "an older export";
    }
    DWORD error = 0;
    ASSERT_TRUE(ExportHistoryCsv(days, Wide(target).c_str(), &error)) << error;
    ExpectExportedFile(target);
    EXPECT_EQ(FilesIn(folder), std::vector<std::string>{"storico.csv"});

    // A folder of that name cannot be replaced by a file: the write fails, says why, and
    // leaves neither the folder's place nor a half-written file behind.
    std::string blocked = folder + "\\occupato.csv";
    CreateDirectoryA(blocked.c_str(), nullptr);
    EXPECT_FALSE(ExportHistoryCsv(days, Wide(blocked).c_str(), &error));
    EXPECT_NE(error, 0u);
    EXPECT_NE(GetFileAttributesA(blocked.c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
    EXPECT_EQ(FilesIn(folder).size(), 2u);
    EXPECT_FALSE(ExportHistoryCsv(days, Wide(folder + "\\missing\\storico.csv").c_str(), &error));
    EXPECT_EQ(FilesIn(folder).size(), 2u);

    RemoveDirectoryA(blocked.c_str());
    DeleteFileA(target.c_str());
    RemoveDirectoryA(folder.c_str());
}

// The thread's visible dialog other than `shown`: the one that `shown` has opened.
HWND shownDialog = nullptr;

BOOL CALLBACK FindOtherDialog(HWND window, LPARAM found) {
    char className[16] = "";
    GetClassNameA(window, className, sizeof className);
    if (std::string(className) == "#32770" && window != shownDialog && IsWindowVisible(window)) {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

HWND OpenedDialog() {
    HWND window = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindOtherDialog, reinterpret_cast<LPARAM>(&window));
    return window;
}

// The box that holds the offered file name (an edit, or the edit inside a combo box).
BOOL CALLBACK FindNameBox(HWND child, LPARAM found) {
    char className[16] = "";
    char text[64] = "";
    GetClassNameA(child, className, sizeof className);
    GetWindowTextA(child, text, sizeof text);
    if (lstrcmpiA(className, "Edit") == 0 && std::string(text) == "storico-skittera.csv") {
        *reinterpret_cast<HWND*>(found) = child;
        return FALSE;
    }
    return TRUE;
}

std::string saveAsTarget;
bool saveAsFilled = false;

std::string TextOf(HWND window) {
    wchar_t text[1024] = L"";
    GetWindowTextW(window, text, 1024);
    return Utf8(text);
}

// Types the file's full name into the Save As dialog and presses Enter, as a user would;
// but only once the dialog is in front and its name box has the focus (each tick brings
// that a step nearer), so that no key goes to a window that is not ready for it.
void CALLBACK DriveSaveAs(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND saveAs = OpenedDialog();
    HWND nameBox = nullptr;
    if (saveAs == nullptr || saveAsFilled) {
        return;
    }
    EnumChildWindows(saveAs, FindNameBox, reinterpret_cast<LPARAM>(&nameBox));
    if (nameBox == nullptr) {
        return; // not filled in yet
    }
    if (GetForegroundWindow() != saveAs) {
        SetForegroundWindow(saveAs);
        return;
    }
    if (GetFocus() != nameBox) {
        SetFocus(nameBox);
        return;
    }
    saveAsFilled = true;
    KillTimer(nullptr, timer);
    SendMessageA(nameBox, EM_SETSEL, 0, -1); // the typing replaces the offered name
    SendText(saveAsTarget.c_str());
    if (!PumpUntil(5000, [nameBox] { return TextOf(nameBox) == saveAsTarget; })) {
        ADD_FAILURE() << "the name box holds \"" << TextOf(nameBox) << "\"";
    }
    SendKey(VK_RETURN);
}

void CALLBACK CancelSaveAs(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    if (HWND saveAs = OpenedDialog()) {
        ADD_FAILURE() << "the Save As dialog did not offer storico-skittera.csv, or did not close";
        PostMessageA(saveAs, WM_COMMAND, IDCANCEL, 0);
    }
}

// The file goes where the Save As dialog was told, into a folder named in Latin letters
// or in Cyrillic ones (a user name outside the ANSI code page).
TEST(HistoryExport, ThroughTheSaveAsDialogDrivenByKeys) {
    DayList days = ThirtyDays();
    for (const char* name :
         {"skittera-saveas-", "skittera-\xD0\x96\xD1\x83\xD1\x80\xD0\xBD\xD0\xB0\xD0\xBB-"}) {
        SCOPED_TRACE(name);
        std::string folder = NewFolder(name);
        saveAsTarget = folder + "\\dal-dialogo.csv";
        saveAsFilled = false;
        RunHistoryWindow(days, kToday, kMetres, [](HWND dialog) {
            shownDialog = dialog;
            SetTimer(nullptr, 0, 100, DriveSaveAs);
            UINT_PTR rescue = SetTimer(nullptr, 0, 15000, CancelSaveAs);
            Click(dialog, IDC_HISTORY_EXPORT); // returns when the Save As dialog has closed
            KillTimer(nullptr, rescue);
            EXPECT_TRUE(saveAsFilled);
        });
        ExpectExportedFile(saveAsTarget);
        EXPECT_EQ(FilesIn(folder), std::vector<std::string>{"dal-dialogo.csv"});
        RemoveFolder(folder);
        shownDialog = nullptr;
    }
}

// --- Import ---------------------------------------------------------------------------

std::string importQuestion;
std::string importMessage;

std::string DialogItemText(HWND dialog, int id) {
    wchar_t text[1024] = L"";
    GetDlgItemTextW(dialog, id, text, 1024);
    return Utf8(text);
}

// After the Open dialog (DriveSaveAs types into it): "Somma" in the question, then the
// closing message read and closed.
void CALLBACK AnswerImport(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND opened = OpenedDialog();
    if (opened == nullptr) {
        return;
    }
    if (GetDlgItem(opened, IDC_IMPORT_SUM) != nullptr) {
        importQuestion = DialogItemText(opened, IDC_IMPORT_QUESTION);
        SendMessageW(GetDlgItem(opened, IDC_IMPORT_SUM), BM_CLICK, 0, 0);
    } else if (TextOf(opened) == "Skittera") {
        importMessage = DialogItemText(opened, 0xFFFF); // the message box's text
        KillTimer(nullptr, timer);
        PostMessageW(opened, WM_COMMAND, IDOK, 0);
    }
}

// A file chosen in the real Open dialog, in a folder named in Cyrillic: the day the
// record holds is summed after the one question, the new day added, today's skipped;
// the store holds them and the chart and the figures beside it show them at once.
TEST(HistoryImport, ThroughTheOpenDialogIntoTheRecordAndTheChart) {
    settingsStore.SetBaseKey("Software\\Skittera.HistoryImportTest");
    const CalendarDate sunday{2026, 12, 6};
    const CalendarDate monday{2026, 12, 7};
    ASSERT_EQ(WriteStoredDay(settingsStore, monday, DayFigures{300, 3, 0, 30}), 1);
    DayList days = {{monday, {300, 3, 0, 30}}, {kToday, {400, 4, 0, 40}}};
    std::string folder = NewFolder("skittera-\xD0\x98\xD0\xBC\xD0\xBF\xD0\xBE\xD1\x80\xD1\x82-");
    saveAsTarget = folder + "\\storico.csv";
    WriteFileBytes(saveAsTarget, "Data;Distanza (cm);Clic;Scatti della rotella;Secondi attivi\r\n"
                                 "2026-12-06;100,0000000000;1;2;3\r\n"
                                 "2026-12-07;250,0000000000;1;2;3\r\n"
                                 "2026-12-09;50,0000000000;1;2;3\r\n");
    saveAsFilled = false;
    importQuestion.clear();
    importMessage.clear();
    RunHistoryWindow(days, kToday, kMetres, [](HWND dialog) {
        shownDialog = dialog;
        EXPECT_EQ(ControlText(dialog, IDC_HISTORY_THIS_MONTH), "7.00 m");
        EXPECT_EQ(ChartBarHeights(Chart(dialog), 30)[26], 0); // Sunday
        SetTimer(nullptr, 0, 100, DriveSaveAs);
        SetTimer(nullptr, 0, 100, AnswerImport);
        UINT_PTR rescue = SetTimer(nullptr, 0, 20000, CancelSaveAs);
        Click(dialog, IDC_HISTORY_IMPORT); // returns when the import is done
        KillTimer(nullptr, rescue);
        EXPECT_TRUE(saveAsFilled);
        SettleDialog(dialog);
        EXPECT_EQ(ControlText(dialog, IDC_HISTORY_THIS_WEEK), "9.50 m");
        EXPECT_EQ(ControlText(dialog, IDC_HISTORY_THIS_MONTH), "10.50 m");
        EXPECT_EQ(ControlText(dialog, IDC_HISTORY_TODAY), "4.00 m");
        std::vector<int> heights = ChartBarHeights(Chart(dialog), 30);
        EXPECT_GT(heights[26], 0);
        EXPECT_NEAR(heights[27] * 100.0, heights[26] * 550.0, 550.0); // Monday 5.5 m, Sunday 1 m
    });
    EXPECT_EQ(importQuestion.rfind("Giorni del file gi\xC3\xA0 nello storico: 1.", 0), 0u) << importQuestion;
    EXPECT_EQ(importMessage,
              "Importazione completata.\n\nGiorni aggiunti: 1\nGiorni sommati: 1\nGiorni "
              "mantenuti: 0\nGiorni saltati: 1\n\nSaltati perch\xC3\xA9 di oggi o successivi (oggi "
              "appartiene al conteggio in corso): 1.");
    DayFigures stored;
    EXPECT_EQ(ReadStoredDay(settingsStore, sunday, stored), StoredDay::Readable);
    EXPECT_EQ(stored.distanceCm, 100.0);
    EXPECT_EQ(stored.activeSeconds, 3u);
    EXPECT_EQ(ReadStoredDay(settingsStore, monday, stored), StoredDay::Readable);
    EXPECT_EQ(stored.distanceCm, 550.0);
    EXPECT_EQ(stored.presses, 4u);
    EXPECT_EQ(ReadStoredDay(settingsStore, kToday, stored), StoredDay::Missing);

    RemoveFolder(folder);
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Skittera.HistoryImportTest\\Storico");
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Skittera.HistoryImportTest");
    settingsStore.SetBaseKey(kSettingsKeyPath);
    shownDialog = nullptr;
}

// Escape reaches the window through its own modal loop, which turns it into "Chiudi".
TEST(HistoryWindow, EscapeClosesIt) {
    DayList days = ThirtyDays();
    INT_PTR result = RunHistoryWindow(
        days, kToday, kMetres,
        [](HWND dialog) {
            SetForegroundWindow(dialog);
            SendKey(VK_ESCAPE);
        },
        DialogEnd::kStepsClose);
    EXPECT_EQ(result, 0);
}

// The colours of a high-contrast scheme (Windows' "High Contrast Black"): the window
// draws in them, and the bars keep their proportions.
TEST(HistoryWindow, DrawsInTheSystemsColours) {
    const int elements[] = {COLOR_WINDOW, COLOR_WINDOWTEXT, COLOR_HIGHLIGHT, COLOR_GRAYTEXT};
    const COLORREF contrast[] = {RGB(0, 0, 0), RGB(255, 255, 255), RGB(26, 235, 255), RGB(63, 242, 63)};
    COLORREF saved[4];
    for (int i = 0; i < 4; ++i) {
        saved[i] = GetSysColor(elements[i]);
    }
    ASSERT_TRUE(SetSysColors(4, elements, contrast));
    DayList days = ThirtyDays();
    RunHistoryWindow(days, kToday, kMetres, [](HWND dialog) {
        HWND chart = Chart(dialog);
        RECT client;
        GetClientRect(chart, &client);
        EXPECT_EQ(CaptureClient(chart, RECT{1, 1, 2, 2}).At(0, 0), 0u); // the ground is the window colour
        std::vector<int> heights = ChartBarHeights(chart, 30);
        EXPECT_NEAR(heights[0] * 10.0, heights[7] * 1.0, 10.0); // 1 and 10 metres
        EXPECT_GT(heights[0], 0);
        EXPECT_EQ(SelectedChartBar(chart, 30), 29);
    });
    SetSysColors(4, elements, saved);
}

// The days read ahead as the dialog opens are the window's, with today's figures from the
// counting; once midnight has passed since the read, they are read again, for the final
// figures that the day which ended has been given since.
TEST(HistoryRecord, DaysReadAheadGiveWayAfterMidnight) {
    settingsStore.SetBaseKey("Software\\Skittera.HistoryRecordTest");
    const CalendarDate monday{2026, 12, 7};
    const CalendarDate tuesday{2026, 12, 8};
    ASSERT_EQ(WriteStoredDay(settingsStore, monday, DayFigures{300, 3, 0, 30}), 1);
    ModifyMeasurement([&](OdometerState& measurement) {
        measurement.day = monday;
        measurement.dayFigures = DayFigures{350, 4, 0, 35};
    });
    ReadHistoryAhead();
    Sleep(300); // one value: the read has long ended

    // Before midnight: Monday as the counting holds it, not as stored.
    DayList days = ReadHistoryForWindow();
    ASSERT_EQ(days.size(), 1u);
    EXPECT_EQ(days[0].figures.distanceCm, 350.0);

    ReadHistoryAhead();
    Sleep(300);
    ASSERT_EQ(WriteStoredDay(settingsStore, monday, DayFigures{400, 5, 0, 40}), 1); // midnight
    ModifyMeasurement([&](OdometerState& measurement) {
        measurement.day = tuesday;
        measurement.dayFigures = DayFigures{20, 1, 0, 2};
    });
    days = ReadHistoryForWindow();
    ASSERT_EQ(days.size(), 2u);
    EXPECT_EQ(days[0].figures.distanceCm, 400.0);
    EXPECT_EQ(days[1].date, tuesday);
    EXPECT_EQ(days[1].figures.distanceCm, 20.0);

    ForgetHistoryReadAhead(); // nothing under way: returns at once
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Skittera.HistoryRecordTest\\Storico");
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Skittera.HistoryRecordTest");
    settingsStore.SetBaseKey(kSettingsKeyPath);
    ModifyMeasurement([](OdometerState& measurement) { measurement = OdometerState{}; });
}

HWND openedHistory = nullptr;

void CALLBACK CheckAndCloseHistory(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND window = OpenedDialog();
    if (window == nullptr) {
        return;
    }
    KillTimer(nullptr, timer);
    openedHistory = window;
    char caption[32] = "";
    GetWindowTextA(window, caption, sizeof caption);
    EXPECT_STREQ(caption, "Storico");
    EXPECT_EQ(GetWindow(window, GW_OWNER), shownDialog);
    EXPECT_FALSE(IsWindowEnabled(shownDialog)); // modal
    EXPECT_NE(GetDlgItem(window, IDC_HISTORY_CHART), nullptr);
    SendMessageA(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
}

// "Storico..." opens the window over the properties dialog, owned by it.
TEST(HistoryWindow, OpensFromThePropertiesDialog) {
    ResetDialogState();
    RunPropertiesDialog([](HWND dialog) {
        shownDialog = dialog;
        openedHistory = nullptr;
        SetTimer(nullptr, 0, 50, CheckAndCloseHistory);
        Click(dialog, IDC_HISTORY); // returns when the history window has closed
        EXPECT_NE(openedHistory, nullptr);
        EXPECT_TRUE(IsWindowEnabled(dialog));
    });
    shownDialog = nullptr;
}

std::string todayShown;

void CALLBACK ReadTodayAndCloseHistory(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND window = OpenedDialog();
    if (window == nullptr) {
        return;
    }
    KillTimer(nullptr, timer);
    todayShown = ControlText(window, IDC_HISTORY_TODAY);
    SendMessageA(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
}

// The window's today is the day being counted, on Windows' date, also when the C
// runtime's time zone is another (a change of zone it never heard of): "Oggi" shows the
// figures being counted.
TEST(HistoryWindow, ItsTodayIsTheDayBeingCounted) {
    ResetDialogState();
    settingsStore.SetBaseKey("Software\\Skittera.HistoryTodayTest");
    const int today = WindowsLocalDate();
    ModifyMeasurement([today](OdometerState& measurement) {
        measurement.day = CalendarDate{today / 10000, today / 100 % 100, today % 100};
        measurement.dayFigures = DayFigures{250, 1, 0, 5};
        measurement.unitDivisor = kMetres;
    });
    {
        RuntimeZoneOff runtime;
        ASSERT_NE(RuntimeLocalDate(), today);
        RunPropertiesDialog([](HWND dialog) {
            shownDialog = dialog;
            todayShown.clear();
            SetTimer(nullptr, 0, 50, ReadTodayAndCloseHistory);
            Click(dialog, IDC_HISTORY); // returns when the history window has closed
        });
    }
    shownDialog = nullptr;
    EXPECT_EQ(todayShown, "2.50 m");
    ForgetHistoryReadAhead();
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Skittera.HistoryTodayTest\\Storico");
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Skittera.HistoryTodayTest");
    settingsStore.SetBaseKey(kSettingsKeyPath);
    ModifyMeasurement([](OdometerState& measurement) { measurement = OdometerState{}; });
}

TEST(HistoryWindow, LeavesNoDrawingObjectsBehind) {
    DayList days = ThirtyDays();
    long baseline = GdiObjectsInUse();
    for (int opening = 0; opening < 3; ++opening) {
        RunHistoryWindow(days, kToday, kKilometres, [](HWND dialog) {
            for (int id : {IDC_HISTORY_WEEKS, IDC_HISTORY_MONTHS, IDC_HISTORY_DAYS}) {
                Click(dialog, id);
                SendMessageA(Chart(dialog), WM_KEYDOWN, VK_HOME, 0);
                SettleDialog(dialog);
            }
        });
        EXPECT_EQ(GdiObjectsInUse(), baseline) << "opening " << opening;
    }
}

} // namespace
