// No drawing object outlives its use: the program's count of pictures, pens, brushes
// and memory contexts is back where it started after many openings and many ticks,
// and every picture the dialog's cells showed, the template's own included, is gone
// once it closes. (Wine reports no GDI object count of its own, so the program counts
// at the places where it creates and deletes them.)
#include "DialogHarness.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "engine/DisplayTexts.h"
#include "resources/resource.h"
#include "shell/Globals.h"
#include "support/GdiTally.h"

namespace {

// There are twelve kinds of drum (ten digits, the point, the empty drum), each loaded
// at most once per opening.
constexpr std::size_t kDrumKinds = 12;
// While the dialog is open it holds at most one picture of each kind of drum, the
// figure, the dial and its mask.
constexpr long kMostHeldWhileOpen = kDrumKinds + 3;

bool IsDrumId(int id) {
    return (id >= IDC_DISTANCE_CELL_FIRST && id < IDC_DISTANCE_CELL_FIRST + kDistanceCells) ||
           (id >= IDC_SPEED_CELL_FIRST && id < IDC_SPEED_CELL_FIRST + kSpeedCells);
}

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

// Opening replaces the template's empty drums with the program's own pictures; when
// the dialog closes, every picture the template loaded (the figure too, which stays in
// its cell the whole time) and every picture the drums showed is deleted. Wine's static
// control deletes none of them by itself.
TEST_F(DialogLeakTest, NoPictureOfTheCellsOutlivesTheDialog) {
    templatePictures.clear();
    HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROCRET, CatchTemplatePicture, nullptr, GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
    std::vector<HGDIOBJ> shown;
    RunPropertiesDialog([&](HWND dialog) {
        shown = DrumsShown(dialog);
        EXPECT_LE(GdiObjectsInUse(), baseline + kMostHeldWhileOpen);
    });
    UnhookWindowsHookEx(hook);
    ASSERT_EQ(templatePictures.size(), static_cast<std::size_t>(kDistanceCells + kSpeedCells + 1));
    int drumCells = 0;
    for (const TemplatePicture& loaded : templatePictures) {
        EXPECT_NE(loaded.picture, nullptr) << loaded.id;
        EXPECT_EQ(GetObjectType(loaded.picture), 0u) << "template picture of control " << loaded.id;
        if (IsDrumId(loaded.id)) {
            ++drumCells;
            for (HGDIOBJ drum : shown) {
                EXPECT_NE(drum, loaded.picture) << loaded.id;
            }
        }
    }
    EXPECT_EQ(drumCells, kDistanceCells + kSpeedCells);
    for (std::size_t cell = 0; cell < shown.size(); ++cell) {
        EXPECT_EQ(GetObjectType(shown[cell]), 0u) << "drum " << cell;
    }
    EXPECT_EQ(GdiObjectsInUse(), baseline);
}

// A drum whose digit stays keeps its picture; one whose digit changes gets another.
// Cells showing the same drum share one picture, loaded once per opening: a digit
// that comes back brings back the picture it had.
TEST_F(DialogLeakTest, OnlyChangedDrumsGetNewPictures) {
    appState.distanceCm = 11345; // "~~~~~11345": five empty drums, then 1, 1, 3, 4, 5
    RunPropertiesDialog([](HWND dialog) {
        std::vector<HGDIOBJ> before = DrumsShown(dialog);
        EXPECT_EQ(before[0], before[4]);
        EXPECT_EQ(before[5], before[6]);
        EXPECT_NE(before[5], before[7]);
        appState.distanceCm = 11346;
        Tick(dialog);
        std::vector<HGDIOBJ> after = DrumsShown(dialog);
        for (std::size_t cell = 0; cell < before.size(); ++cell) {
            if (cell == kDistanceCells - 1) {
                EXPECT_NE(after[cell], before[cell]);
                EXPECT_EQ(BitmapPixels(static_cast<HBITMAP>(after[cell])).rgb, ResourcePixels(113).rgb);
            } else {
                EXPECT_EQ(after[cell], before[cell]) << cell;
            }
        }
        appState.distanceCm = 11345;
        Tick(dialog);
        EXPECT_EQ(DrumsShown(dialog), before);
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
// the dialog never holds more than one picture of each kind of drum, every cell shows
// a live picture, and every one of them is gone once the dialog closes.
TEST_F(DialogLeakTest, AnHourOfTicks) {
    long base = baseline;
    std::set<HGDIOBJ> seen;
    RunPropertiesDialog([&](HWND dialog) {
        int deadShown = 0;
        for (int second = 0; second < 3600; ++second) {
            appState.distanceCm += 17.3;
            appState.currentSpeed = second * 3.0;
            appState.movedSinceTick = second % 2;
            SendMessageA(dialog, WM_TIMER, 0, 0);
            for (HGDIOBJ picture : DrumsShown(dialog)) {
                seen.insert(picture);
                if (GetObjectType(picture) != OBJ_BITMAP) {
                    ++deadShown;
                }
            }
            if (second % 600 == 0) {
                SettleDialog(dialog);
                EXPECT_LE(GdiObjectsInUse(), base + kMostHeldWhileOpen) << "second " << second;
            }
        }
        EXPECT_EQ(deadShown, 0) << "cells showing a deleted picture";
        EXPECT_LE(GdiObjectsInUse(), base + kMostHeldWhileOpen);
    });
    EXPECT_LE(seen.size(), kDrumKinds);
    for (HGDIOBJ picture : seen) {
        EXPECT_EQ(GetObjectType(picture), 0u);
    }
    EXPECT_EQ(GdiObjectsInUse(), baseline);
}

} // namespace
