#include "DialogHarness.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "dialog/DrumPictures.h"
#include "dialog/HistoryChart.h"
#include "dialog/HistoryExport.h"
#include "dialog/HistoryWindow.h"
#include "dialog/PropertiesDialog.h"
#include "dialog/SpeedGauge.h"
#include "engine/DisplayTexts.h"
#include "measuring/Globals.h"
#include "resources/resource.h"

namespace {

constexpr UINT kRescueMilliseconds = 10000;

const DialogSteps* pendingSteps = nullptr;
DialogEnd pendingEnd = DialogEnd::kHarnessCloses;
HWND runningDialog = nullptr;
UINT_PTR rescueTimer = 0;

void CALLBACK RescueDialog(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    rescueTimer = 0;
    if (runningDialog != nullptr && IsWindow(runningDialog)) {
        ADD_FAILURE() << "the dialog did not close by itself";
        SendMessageA(runningDialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    }
}

// Runs on the dialog's own modal loop: the dialog is open and shown by then.
void CALLBACK DriveDialog(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    HWND dialog = ThreadDialog();
    if (dialog == nullptr) {
        ADD_FAILURE() << "no dialog is open";
        return;
    }
    // The modal loop shows the dialog only once its queue has run empty; until then,
    // come back later.
    if (!IsWindowVisible(dialog)) {
        SetTimer(nullptr, 0, 10, DriveDialog);
        return;
    }
    runningDialog = dialog;
    SettleDialog(dialog);
    (*pendingSteps)(dialog);
    if (pendingEnd == DialogEnd::kHarnessCloses) {
        if (IsWindow(dialog)) {
            Click(dialog, IDCANCEL);
        }
    } else {
        rescueTimer = SetTimer(nullptr, 0, kRescueMilliseconds, RescueDialog);
    }
}

} // namespace

void ResetDialogState() {
    ResetApplicationState(appState);
    appState.instanceHandle = GetModuleHandleA(nullptr);
    appState.unitDivisor = kCentimetres;
    appState.sinceDate = "07.12.1997";
    needleShown = false;
    needleDx = 0;
    needleDy = 0;
}

namespace {

// Opens a modal window with `open` and drives it with the steps from inside its loop.
INT_PTR RunModal(const std::function<INT_PTR()>& open, const DialogSteps& steps, DialogEnd end) {
    pendingSteps = &steps;
    pendingEnd = end;
    runningDialog = nullptr;
    UINT_PTR drive = SetTimer(nullptr, 0, 1, DriveDialog);
    INT_PTR result = open();
    if (result == -1) {
        KillTimer(nullptr, drive);
        ADD_FAILURE() << "the dialog did not open, error " << GetLastError();
    }
    if (rescueTimer != 0) {
        KillTimer(nullptr, rescueTimer);
        rescueTimer = 0;
    }
    pendingSteps = nullptr;
    runningDialog = nullptr;
    return result;
}

} // namespace

INT_PTR RunPropertiesDialog(const DialogSteps& steps, DialogEnd end) {
    return RunModal(
        [] {
            return DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_PROPERTIES), nullptr,
                                   PropertiesDialogProc, 0);
        },
        steps, end);
}

INT_PTR RunHistoryWindow(const DayList& days, const CalendarDate& today, double unitDivisor,
                         const DialogSteps& steps, DialogEnd end) {
    return RunModal([&] { return OpenHistoryWindow(nullptr, days, today, unitDivisor); }, steps, end);
}

void SettleDialog(HWND dialog) {
    RedrawWindow(dialog, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_TIMER && message.hwnd == dialog) {
            continue; // the dialog ticks when a test asks it to
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    RedrawWindow(dialog, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    GdiFlush();
}

void Tick(HWND dialog) {
    SendMessageA(dialog, WM_TIMER, 0, 0);
    SettleDialog(dialog);
}

void Click(HWND dialog, int id) {
    SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
    SettleDialog(dialog);
}

std::string ControlText(HWND dialog, int id) {
    char text[256] = {};
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

RECT DrumPlace(HWND dialog, int id) {
    RECT place{};
    GetWindowRect(GetDlgItem(dialog, id), &place);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&place), 2);
    return place;
}

// Which picture shows which character is the drum rule's own test (DrumPictures_test);
// that the twelve pictures differ, the resource checks'.
void ExpectDrums(HWND dialog, int firstId, const std::string& row) {
    static std::map<int, Pixels> pictures;
    for (int cell = 0; cell < static_cast<int>(row.size()); ++cell) {
        int id = firstId + cell;
        int drum = DrumPictureId(row[static_cast<std::size_t>(cell)]);
        auto found = pictures.find(drum);
        if (found == pictures.end()) {
            found = pictures.emplace(drum, ResourcePixels(drum)).first;
        }
        const Pixels& expected = found->second;
        ASSERT_GT(expected.width, 0);
        RECT place = DrumPlace(dialog, id);
        ASSERT_EQ(place.right - place.left, expected.width) << "cell " << id;
        ASSERT_EQ(place.bottom - place.top, expected.height) << "cell " << id;
        Pixels onScreen = CaptureClient(dialog, place);
        EXPECT_EQ(onScreen.rgb, expected.rgb) << "screen of cell " << id << " of " << row;
    }
}

namespace {

bool IsBarColour(std::uint32_t pixel) {
    return pixel == SystemColourRgb(COLOR_WINDOWTEXT) || pixel == SystemColourRgb(COLOR_HIGHLIGHT);
}

int SlotMiddle(const RECT& plot, int slot, int count) {
    long width = plot.right - plot.left;
    return static_cast<int>(plot.left + (width * slot + width / 2) / count);
}

} // namespace

std::vector<int> ChartBarHeights(HWND chart, int count) {
    RECT plot = HistoryChartPlot(chart);
    Pixels pixels = CaptureClient(chart, plot);
    std::vector<int> heights;
    for (int slot = 0; slot < count; ++slot) {
        int x = SlotMiddle(plot, slot, count) - plot.left;
        int height = 0;
        while (height < pixels.height && IsBarColour(pixels.At(x, pixels.height - 1 - height))) {
            ++height;
        }
        heights.push_back(height);
    }
    return heights;
}

int SelectedChartBar(HWND chart, int count) {
    RECT plot = HistoryChartPlot(chart);
    Pixels pixels = CaptureClient(chart, plot);
    int selected = -1;
    for (int slot = 0; slot < count; ++slot) {
        if (pixels.At(SlotMiddle(plot, slot, count) - plot.left, pixels.height - 1) ==
            SystemColourRgb(COLOR_HIGHLIGHT)) {
            EXPECT_EQ(selected, -1) << "two bars are selected: " << selected << " and " << slot;
            selected = slot;
        }
    }
    return selected;
}
