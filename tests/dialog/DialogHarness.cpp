#include "DialogHarness.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "dialog/DrumPictures.h"
#include "dialog/PropertiesDialog.h"
#include "dialog/SpeedGauge.h"
#include "engine/DisplayTexts.h"
#include "resources/resource.h"
#include "shell/Globals.h"

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

INT_PTR RunPropertiesDialog(const DialogSteps& steps, DialogEnd end) {
    pendingSteps = &steps;
    pendingEnd = end;
    runningDialog = nullptr;
    UINT_PTR drive = SetTimer(nullptr, 0, 1, DriveDialog);
    INT_PTR result = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_PROPERTIES), nullptr,
                                     PropertiesDialogProc, 0);
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
