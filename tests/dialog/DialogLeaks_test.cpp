// No drawing object outlives its use: the program's count of pictures, pens, brushes
// and memory contexts is back where it started after many openings and many ticks,
// and every picture the dialog's cells showed, the template's own included, is gone
// once it closes. (Wine reports no GDI object count of its own, so the program counts
// at the places where it creates and deletes them.)
#include "DialogHarness.h"

#include <gtest/gtest.h>

#include <vector>

#include "engine/DisplayTexts.h"
#include "measuring/Globals.h"
#include "resources/resource.h"
#include "support/GdiTally.h"

namespace {

// There are twelve kinds of drum (ten digits, the point, the empty drum), each loaded
// at most once per opening.
constexpr std::size_t kDrumKinds = 12;
// While the dialog is open it holds at most one picture of each kind of drum, the
// figure, the dial and its mask.
constexpr long kMostHeldWhileOpen = kDrumKinds + 3;

// The pictures the template put into its picture cells (the sixteen drums and the
// figure), caught as each cell is created.
struct TemplatePicture {
    int id;
    HGDIOBJ picture;
};
std::vector<TemplatePicture> templatePictures;

LRESULT CALLBACK CatchTemplatePicture(int code, WPARAM wParam, LPARAM lParam) {
    const auto* call = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    if (code == HC_ACTION && call->message == WM_CREATE) {
        char className[8] = {};
        GetClassNameA(call->hwnd, className, sizeof className);
        if (lstrcmpiA(className, "Static") == 0 &&
            (GetWindowLongA(call->hwnd, GWL_STYLE) & SS_TYPEMASK) == SS_BITMAP) {
            templatePictures.push_back(
                {GetDlgCtrlID(call->hwnd),
                 reinterpret_cast<HGDIOBJ>(SendMessageA(call->hwnd, STM_GETIMAGE, IMAGE_BITMAP, 0))});
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

class DialogLeakTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetDialogState();
        appState.distanceCm = 98765.4;
        appState.maxSpeed = 1234;
        baseline = GdiObjectsInUse();
    }
    long baseline = 0;
};

// Every picture the template loaded into its picture cells (the sixteen empty drums,
// which the dialog does not use, and the figure, which stays in its cell the whole
// time) is deleted by the time the dialog has closed, and so is every drum picture the
// dialog loaded. Wine's static control deletes none of them by itself.
TEST_F(DialogLeakTest, NoPictureOfTheCellsOutlivesTheDialog) {
    templatePictures.clear();
    HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROCRET, CatchTemplatePicture, nullptr, GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
    RunPropertiesDialog([&](HWND dialog) {
        ExpectDrums(dialog, IDC_DISTANCE_CELL_FIRST, "~~~~~98765");
        EXPECT_LE(GdiObjectsInUse(), baseline + kMostHeldWhileOpen);
    });
    UnhookWindowsHookEx(hook);
    ASSERT_EQ(templatePictures.size(), static_cast<std::size_t>(kDistanceCells + kSpeedCells + 1));
    for (const TemplatePicture& loaded : templatePictures) {
        EXPECT_NE(loaded.picture, nullptr) << loaded.id;
        EXPECT_EQ(GetObjectType(loaded.picture), 0u) << "template picture of control " << loaded.id;
    }
    EXPECT_EQ(GdiObjectsInUse(), baseline);
}

TEST_F(DialogLeakTest, HundredsOfOpeningsAndClosings) {
    const UINT closings[] = {WM_COMMAND, WM_CLOSE, WM_ENDSESSION};
    const WPARAM commands[] = {IDOK, IDCANCEL, IDC_CLOSE_ALT};
    long base = baseline;
    for (int opening = 0; opening < 300; ++opening) {
        UINT message = closings[opening % 3];
        WPARAM wParam = message == WM_COMMAND ? commands[(opening / 3) % 3] : TRUE;
        RunPropertiesDialog(
            [&](HWND dialog) {
                EXPECT_LE(GdiObjectsInUse(), base + kMostHeldWhileOpen) << "opening " << opening;
                Tick(dialog);
                if (opening % 10 == 0) {
                    Click(dialog, opening % 20 == 0 ? IDC_UNIT_M : IDC_UNIT_CM);
                    InvalidateRect(dialog, nullptr, TRUE);
                    SettleDialog(dialog);
                }
                EXPECT_LE(GdiObjectsInUse(), base + kMostHeldWhileOpen) << "opening " << opening;
                PostMessageA(dialog, message, wParam, 0);
            },
            DialogEnd::kStepsClose);
        ASSERT_EQ(GdiObjectsInUse(), baseline) << "after opening " << opening;
    }
}

// An hour of ticks with the distance growing: the drums turn through every digit, yet
// the dialog never holds more than one picture of each kind of drum, and the drums
// shown at the end are the last second's.
TEST_F(DialogLeakTest, AnHourOfTicks) {
    long base = baseline;
    RunPropertiesDialog([&](HWND dialog) {
        for (int second = 0; second < 3600; ++second) {
            appState.distanceCm += 17.3;
            appState.currentSpeed = second * 3.0;
            appState.movedSinceTick = second % 2;
            SendMessageA(dialog, WM_TIMER, 0, 0);
            if (second % 600 == 0) {
                SettleDialog(dialog);
                EXPECT_LE(GdiObjectsInUse(), base + kMostHeldWhileOpen) << "second " << second;
            }
        }
        SettleDialog(dialog);
        // 98765.4 cm + 3600 x 17.3 cm = 161045.4 cm; the highest speed stays 12.34 m/h.
        ExpectDrums(dialog, IDC_DISTANCE_CELL_FIRST, "~~~~161045");
        ExpectDrums(dialog, IDC_SPEED_CELL_FIRST, "~12.34");
        EXPECT_LE(GdiObjectsInUse(), base + kMostHeldWhileOpen);
    });
    EXPECT_EQ(GdiObjectsInUse(), baseline);
}

} // namespace
