// No drawing object outlives its use: the program's count of pictures, pens, brushes
// and memory contexts is back where it started after many openings and many ticks.
// (Wine reports no GDI object count of its own, so the program counts at the places
// where it creates and deletes them.)
#include "DialogHarness.h"

#include <gtest/gtest.h>

#include <vector>

#include "engine/DisplayTexts.h"
#include "resources/resource.h"
#include "shell/Globals.h"
#include "support/GdiTally.h"

namespace {

// While the dialog is open it holds sixteen drum pictures and the two gauge pictures.
constexpr long kHeldWhileOpen = kDistanceCells + kSpeedCells + 2;

std::vector<HGDIOBJ> DrumsShown(HWND dialog) {
    std::vector<HGDIOBJ> shown;
    shown.reserve(kDistanceCells + kSpeedCells);
    for (int cell = 0; cell < kDistanceCells; ++cell) {
        shown.push_back(reinterpret_cast<HGDIOBJ>(
            SendDlgItemMessageA(dialog, IDC_DISTANCE_CELL_FIRST + cell, STM_GETIMAGE, IMAGE_BITMAP, 0)));
    }
    for (int cell = 0; cell < kSpeedCells; ++cell) {
        shown.push_back(reinterpret_cast<HGDIOBJ>(
            SendDlgItemMessageA(dialog, IDC_SPEED_CELL_FIRST + cell, STM_GETIMAGE, IMAGE_BITMAP, 0)));
    }
    return shown;
}

// The pictures the template put into the drum cells, caught as each cell is created.
std::vector<HGDIOBJ> templatePictures;

LRESULT CALLBACK CatchTemplatePicture(int code, WPARAM wParam, LPARAM lParam) {
    const auto* call = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    if (code == HC_ACTION && call->message == WM_CREATE) {
        int id = GetDlgCtrlID(call->hwnd);
        bool drum = (id >= IDC_DISTANCE_CELL_FIRST && id < IDC_DISTANCE_CELL_FIRST + kDistanceCells) ||
                    (id >= IDC_SPEED_CELL_FIRST && id < IDC_SPEED_CELL_FIRST + kSpeedCells);
        if (drum) {
            templatePictures.push_back(
                reinterpret_cast<HGDIOBJ>(SendMessageA(call->hwnd, STM_GETIMAGE, IMAGE_BITMAP, 0)));
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

// Opening replaces the template's empty drums with the program's own pictures, and
// the replaced ones are deleted like any other.
TEST_F(DialogLeakTest, OpeningReplacesTheTemplatePictures) {
    templatePictures.clear();
    HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROCRET, CatchTemplatePicture, nullptr, GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
    std::vector<HGDIOBJ> shown;
    RunPropertiesDialog([&](HWND dialog) { shown = DrumsShown(dialog); });
    UnhookWindowsHookEx(hook);
    ASSERT_EQ(templatePictures.size(), static_cast<std::size_t>(kDistanceCells + kSpeedCells));
    for (std::size_t cell = 0; cell < shown.size(); ++cell) {
        EXPECT_NE(templatePictures[cell], nullptr) << cell;
        EXPECT_NE(shown[cell], templatePictures[cell]) << cell;
        EXPECT_EQ(GetObjectType(templatePictures[cell]), 0u) << cell;
    }
    EXPECT_EQ(GdiObjectsInUse(), baseline);
}

// A drum whose digit stays keeps its picture; one whose digit changes gets a new
// picture, and the old one is deleted.
TEST_F(DialogLeakTest, OnlyChangedDrumsGetNewPictures) {
    appState.distanceCm = 12345;
    RunPropertiesDialog([](HWND dialog) {
        std::vector<HGDIOBJ> before = DrumsShown(dialog);
        appState.distanceCm = 12346;
        Tick(dialog);
        std::vector<HGDIOBJ> after = DrumsShown(dialog);
        for (std::size_t cell = 0; cell < before.size(); ++cell) {
            if (cell == kDistanceCells - 1) {
                EXPECT_NE(after[cell], before[cell]);
                EXPECT_EQ(GetObjectType(before[cell]), 0u);
                EXPECT_EQ(BitmapPixels(static_cast<HBITMAP>(after[cell])).rgb, ResourcePixels(113).rgb);
            } else {
                EXPECT_EQ(after[cell], before[cell]) << cell;
            }
        }
    });
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
                EXPECT_EQ(GdiObjectsInUse(), base + kHeldWhileOpen) << "opening " << opening;
                Tick(dialog);
                if (opening % 10 == 0) {
                    Click(dialog, opening % 20 == 0 ? IDC_UNIT_M : IDC_UNIT_CM);
                    InvalidateRect(dialog, nullptr, TRUE);
                    SettleDialog(dialog);
                }
                EXPECT_EQ(GdiObjectsInUse(), base + kHeldWhileOpen) << "opening " << opening;
                PostMessageA(dialog, message, wParam, 0);
            },
            DialogEnd::kStepsClose);
        ASSERT_EQ(GdiObjectsInUse(), baseline) << "after opening " << opening;
    }
}

// An hour of ticks with the distance growing: every tick replaces all sixteen drums,
// and each replaced picture is really deleted.
TEST_F(DialogLeakTest, AnHourOfTicks) {
    long base = baseline;
    RunPropertiesDialog([&](HWND dialog) {
        int stillAlive = 0;
        for (int second = 0; second < 3600; ++second) {
            std::vector<HGDIOBJ> before = DrumsShown(dialog);
            appState.distanceCm += 17.3;
            appState.currentSpeed = second * 3.0;
            appState.movedSinceTick = second % 2;
            SendMessageA(dialog, WM_TIMER, 0, 0);
            std::vector<HGDIOBJ> after = DrumsShown(dialog);
            for (std::size_t cell = 0; cell < before.size(); ++cell) {
                if (before[cell] != after[cell] && GetObjectType(before[cell]) != 0) {
                    ++stillAlive;
                }
            }
            if (second % 600 == 0) {
                SettleDialog(dialog);
                EXPECT_EQ(GdiObjectsInUse(), base + kHeldWhileOpen) << "second " << second;
            }
        }
        EXPECT_EQ(stillAlive, 0) << "replaced drum pictures that were not deleted";
        EXPECT_EQ(GdiObjectsInUse(), base + kHeldWhileOpen);
    });
    EXPECT_EQ(GdiObjectsInUse(), baseline);
}

} // namespace
