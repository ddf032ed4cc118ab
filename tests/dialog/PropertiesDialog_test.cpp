// The properties dialog as a person sees it: opened from the real resources with a
// chosen state, driven through its buttons, read back from its controls and the screen.
#include "DialogHarness.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <string>

#include "dialog/PropertiesDialog.h"
#include "dialog/SpeedGauge.h"
#include "engine/DisplayTexts.h"
#include "measuring/Displays.h"
#include "measuring/Globals.h"
#include "resources/resource.h"
#include "settings/Settings.h"
#include "support/GdiTally.h"

namespace {

bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

std::string MachineRunEntry() {
    return settingsStore.ReadUnicodeStringFrom(HKEY_LOCAL_MACHINE, kRunKeyPath, kRunValueName).buffer;
}

void ForgetLogonEntries() {
    settingsStore.DeleteValueFrom(HKEY_LOCAL_MACHINE, kRunKeyPath, kRunValueName);
    settingsStore.DeleteValueFrom(HKEY_CURRENT_USER, kRunKeyPath, kRunValueName);
}

std::string ThisProgramsPath() {
    char path[MAX_PATH * 4];
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    return std::string(path, length);
}

// Today as Windows' clock tells it, "DD.MM.YYYY".
std::string Today() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    char text[16];
    std::snprintf(text, sizeof text, "%02u.%02u.%04u", now.wDay, now.wMonth, now.wYear);
    return text;
}

class PropertiesDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetDialogState();
        baseline = GdiObjectsInUse();
    }
    void TearDown() override {
        EXPECT_EQ(GdiObjectsInUse(), baseline);
        EXPECT_EQ(appState.gaugeFace, nullptr);
        EXPECT_EQ(appState.gaugeMask, nullptr);
    }
    long baseline = 0;
};

TEST_F(PropertiesDialogTest, OpeningShowsTheStateOnDrumsAndTexts) {
    appState.distanceCm = 12345.4;
    appState.maxSpeed = 720;
    settingsStore.WriteUnicodeStringTo(HKEY_CURRENT_USER, kRunKeyPath, kRunValueName,
                                       ThisProgramsPath().c_str());
    appState.movedSinceTick = 1;
    appState.refDistanceCm = 5;
    INT_PTR result = RunPropertiesDialog([](HWND dialog) {
        ExpectDrums(dialog, IDC_DISTANCE_CELL_FIRST, "~~~~~12345");
        ExpectDrums(dialog, IDC_SPEED_CELL_FIRST, "~~7.20");
        EXPECT_EQ(ControlText(dialog, IDC_UNIT_LABEL), "cm");
        EXPECT_TRUE(Checked(dialog, IDC_UNIT_CM));
        EXPECT_FALSE(Checked(dialog, IDC_UNIT_M));
        EXPECT_FALSE(Checked(dialog, IDC_UNIT_KM));
        EXPECT_TRUE(Checked(dialog, IDC_RUN_AT_LOGON));
        EXPECT_EQ(ControlText(dialog, IDC_SINCE_DATE), "07.12.1997");
        EXPECT_EQ(ControlText(dialog, IDC_CURRENT_SPEED), "0.00 m/h");
        EXPECT_EQ(ControlText(dialog, IDC_AVERAGE_SPEED), "0.00 m/h");
        // The frame only marks the gauge's place, and the cells the drums' places.
        EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog, IDC_GAUGE_FRAME)));
        EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog, IDC_DISTANCE_CELL_FIRST + 9)));
        EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog, IDC_SPEED_CELL_FIRST)));
        EXPECT_NE(appState.gaugeFace, nullptr);
        EXPECT_NE(appState.gaugeMask, nullptr);
        // Opening takes a new speed reference and starts the first second afresh.
        EXPECT_EQ(appState.refDistanceCm, 12345.4);
        EXPECT_LE(GetTickCount() - appState.refTicks, 5000u);
        EXPECT_EQ(appState.movedSinceTick, 0);
    });
    EXPECT_EQ(result, 0);
}

TEST_F(PropertiesDialogTest, DrumsInEveryUnit) {
    appState.distanceCm = 12345.4;
    appState.unitDivisor = kMetres;
    RunPropertiesDialog([](HWND dialog) {
        // Four empty drums, 1, 2, 3, the point drum, 4, 5.
        ExpectDrums(dialog, IDC_DISTANCE_CELL_FIRST, "~~~~123.45");
        EXPECT_EQ(ControlText(dialog, IDC_UNIT_LABEL), "m");
        EXPECT_TRUE(Checked(dialog, IDC_UNIT_M));
        EXPECT_FALSE(Checked(dialog, IDC_UNIT_CM));
    });
    appState.unitDivisor = kKilometres;
    RunPropertiesDialog([](HWND dialog) {
        ExpectDrums(dialog, IDC_DISTANCE_CELL_FIRST, "~~~0.12345");
        EXPECT_EQ(ControlText(dialog, IDC_UNIT_LABEL), "km");
        EXPECT_TRUE(Checked(dialog, IDC_UNIT_KM));
    });
    appState.distanceCm = 0;
    appState.unitDivisor = kCentimetres;
    RunPropertiesDialog([](HWND dialog) { ExpectDrums(dialog, IDC_DISTANCE_CELL_FIRST, "~~~~~~~~~0"); });
    // Too many digits for the row: the first ten show. A minus sign is an empty drum.
    appState.distanceCm = 12345678901;
    appState.maxSpeed = -320;
    RunPropertiesDialog([](HWND dialog) {
        ExpectDrums(dialog, IDC_DISTANCE_CELL_FIRST, "1234567890");
        ExpectDrums(dialog, IDC_SPEED_CELL_FIRST, "~~3.20");
    });
}

// Paints every drum place of both rows over in one colour, behind the dialog's back.
void MarkDrumPlaces(HWND dialog, COLORREF colour) {
    HDC target = GetDC(dialog);
    HBRUSH brush = CreateSolidBrush(colour);
    for (int cell = 0; cell < kDistanceCells + kSpeedCells; ++cell) {
        int id = cell < kDistanceCells ? IDC_DISTANCE_CELL_FIRST + cell
                                       : IDC_SPEED_CELL_FIRST + cell - kDistanceCells;
        RECT place = DrumPlace(dialog, id);
        FillRect(target, &place, brush);
    }
    DeleteObject(brush);
    ReleaseDC(dialog, target);
    GdiFlush();
}

bool ShowsOnlyColour(HWND dialog, int id, COLORREF colour) {
    Pixels place = CaptureClient(dialog, DrumPlace(dialog, id));
    for (std::uint32_t pixel : place.rgb) {
        if (pixel != RgbOf(colour)) {
            return false;
        }
    }
    return !place.rgb.empty();
}

// A tick draws only the drums that show another character; the dialog's paint draws
// every drum it covers, and only those.
TEST_F(PropertiesDialogTest, ATickDrawsOnlyTheDrumsThatChange) {
    constexpr COLORREF kMark = RGB(255, 0, 255);
    appState.distanceCm = 11345;
    appState.maxSpeed = 720;
    RunPropertiesDialog([&](HWND dialog) {
        MarkDrumPlaces(dialog, kMark);
        appState.distanceCm = 11346;
        Tick(dialog);
        ExpectDrums(dialog, IDC_DISTANCE_CELL_FIRST + 9, "6");
        for (int cell = 0; cell < 9; ++cell) {
            EXPECT_TRUE(ShowsOnlyColour(dialog, IDC_DISTANCE_CELL_FIRST + cell, kMark)) << cell;
        }
        for (int cell = 0; cell < kSpeedCells; ++cell) {
            EXPECT_TRUE(ShowsOnlyColour(dialog, IDC_SPEED_CELL_FIRST + cell, kMark)) << cell;
        }

        // A paint of one drum's place brings back that drum alone.
        RECT third = DrumPlace(dialog, IDC_DISTANCE_CELL_FIRST + 7);
        InvalidateRect(dialog, &third, TRUE);
        SettleDialog(dialog);
        ExpectDrums(dialog, IDC_DISTANCE_CELL_FIRST + 7, "3");
        EXPECT_TRUE(ShowsOnlyColour(dialog, IDC_DISTANCE_CELL_FIRST + 6, kMark));
        EXPECT_TRUE(ShowsOnlyColour(dialog, IDC_DISTANCE_CELL_FIRST + 8, kMark));

        // A paint of the whole dialog, as after it was covered, brings back all of them.
        InvalidateRect(dialog, nullptr, TRUE);
        SettleDialog(dialog);
        ExpectDrums(dialog, IDC_DISTANCE_CELL_FIRST, "~~~~~11346");
        ExpectDrums(dialog, IDC_SPEED_CELL_FIRST, "~~7.20");
    });
}

TEST_F(PropertiesDialogTest, AnUnknownUnitIsShownAsCentimetres) {
    appState.unitDivisor = 0;
    appState.distanceCm = 250;
    RunPropertiesDialog([](HWND dialog) {
        ExpectDrums(dialog, IDC_DISTANCE_CELL_FIRST, "~~~~~~~250");
        EXPECT_EQ(ControlText(dialog, IDC_UNIT_LABEL), "cm");
        EXPECT_TRUE(Checked(dialog, IDC_UNIT_CM));
    });
    EXPECT_EQ(appState.unitDivisor, 0); // shown, not changed: only the user's choice changes it
}

TEST_F(PropertiesDialogTest, ChoosingAUnit) {
    appState.distanceCm = 250;
    RunPropertiesDialog([](HWND dialog) {
        Click(dialog, IDC_UNIT_M);
        EXPECT_EQ(appState.unitDivisor, 100);
        EXPECT_EQ(ControlText(dialog, IDC_UNIT_LABEL), "m");
        EXPECT_TRUE(Checked(dialog, IDC_UNIT_M));
        EXPECT_FALSE(Checked(dialog, IDC_UNIT_CM));
        ExpectDrums(dialog, IDC_DISTANCE_CELL_FIRST, "~~~~~~2.50");

        Click(dialog, IDC_UNIT_KM);
        EXPECT_EQ(appState.unitDivisor, 100000);
        EXPECT_EQ(ControlText(dialog, IDC_UNIT_LABEL), "km");
        ExpectDrums(dialog, IDC_DISTANCE_CELL_FIRST, "~~~0.00250");

        // A unit command that does not come from a click still moves the buttons along.
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_UNIT_CM, BN_CLICKED), 0);
        SettleDialog(dialog);
        EXPECT_EQ(appState.unitDivisor, 1);
        EXPECT_EQ(ControlText(dialog, IDC_UNIT_LABEL), "cm");
        EXPECT_TRUE(Checked(dialog, IDC_UNIT_CM));
        EXPECT_FALSE(Checked(dialog, IDC_UNIT_KM));
        ExpectDrums(dialog, IDC_DISTANCE_CELL_FIRST, "~~~~~~~250");
    });
    EXPECT_EQ(appState.distanceCm, 250); // the unit changes the texts only
}

TEST_F(PropertiesDialogTest, ResetShowsZeroAndTodayAtOnce) {
    appState.distanceCm = 12345.4;
    appState.maxSpeed = 720;
    RunPropertiesDialog([](HWND dialog) {
        EXPECT_EQ(ControlText(dialog, IDC_SINCE_DATE), "07.12.1997");
        // Only a plain click resets: another notification code from the button does not.
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_RESET, BN_DOUBLECLICKED), 0);
        EXPECT_EQ(appState.distanceCm, 12345.4);
        EXPECT_EQ(ControlText(dialog, IDC_SINCE_DATE), "07.12.1997");

        Click(dialog, IDC_RESET);
        EXPECT_EQ(appState.distanceCm, 0);
        EXPECT_STREQ(appState.sinceDate.buffer, Today().c_str());
        EXPECT_EQ(ControlText(dialog, IDC_SINCE_DATE), Today());
        ExpectDrums(dialog, IDC_DISTANCE_CELL_FIRST, "~~~~~~~~~0");
        ExpectDrums(dialog, IDC_SPEED_CELL_FIRST, "~~7.20");
    });
    EXPECT_EQ(appState.maxSpeed, 720);
    EXPECT_EQ(appState.runAtStartup, 1);
    ForgetLogonEntries();
}

// The box changes the entry at once (Wine lets the machine's key be written, as for an
// administrator) and then shows what the entries do.
TEST_F(PropertiesDialogTest, TheLogOnBoxChangesTheEntryAtOnce) {
    ForgetLogonEntries();
    appState.runAtStartup = 1; // as loaded, before the entry was removed behind the program's back
    RunPropertiesDialog([](HWND dialog) {
        EXPECT_FALSE(Checked(dialog, IDC_RUN_AT_LOGON));
        EXPECT_EQ(appState.runAtStartup, 0);
        Click(dialog, IDC_RUN_AT_LOGON);
        EXPECT_EQ(appState.runAtStartup, 1);
        EXPECT_TRUE(Checked(dialog, IDC_RUN_AT_LOGON));
        EXPECT_EQ(MachineRunEntry(), ThisProgramsPath());
        // A command that did not come from the box changes nothing the user sees.
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_RUN_AT_LOGON, BN_CLICKED), 0);
        EXPECT_EQ(appState.runAtStartup, 1);
        Click(dialog, IDC_RUN_AT_LOGON);
        EXPECT_EQ(appState.runAtStartup, 0);
        EXPECT_FALSE(Checked(dialog, IDC_RUN_AT_LOGON));
        EXPECT_EQ(MachineRunEntry(), "");
    });
    EXPECT_EQ(appState.runAtStartup, 0);
    ForgetLogonEntries();
}

TEST_F(PropertiesDialogTest, SpeedTextsFollowTheTicks) {
    appState.distanceCm = 600;
    appState.startDistanceCm = 500;
    RunPropertiesDialog([](HWND dialog) {
        // A second with pointer moves: the tick shows the speeds as the hook left them.
        appState.currentSpeed = 720;
        appState.averageSpeed = -320;
        appState.movedSinceTick = 1;
        Tick(dialog);
        EXPECT_EQ(ControlText(dialog, IDC_CURRENT_SPEED), "7.20 m/h");
        EXPECT_EQ(ControlText(dialog, IDC_AVERAGE_SPEED), "-3.20 m/h");
        EXPECT_EQ(appState.currentSpeed, 720);
        EXPECT_EQ(appState.movedSinceTick, 0);

        // A second without: the current speed drops to 0 and the average is taken
        // over the whole run, 1000 cm in 100 s: 10 cm/s, 360 m/h. The run started
        // 100 s before this tick; a slow tick of up to a second still stays within 4 m/h.
        appState.distanceCm = 1500;
        appState.startTicks = GetTickCount() - 100000;
        Tick(dialog);
        EXPECT_EQ(appState.currentSpeed, 0);
        EXPECT_NEAR(appState.averageSpeed, 360, 5);
        EXPECT_EQ(ControlText(dialog, IDC_CURRENT_SPEED), "0.00 m/h");
        char average[kSpeedTextCapacity];
        FormatSpeedText(appState.averageSpeed, average, sizeof average);
        EXPECT_EQ(ControlText(dialog, IDC_AVERAGE_SPEED), average);

        // A speed that is no number shows as such, and the needle rests at zero.
        appState.currentSpeed = std::numeric_limits<double>::quiet_NaN();
        appState.movedSinceTick = 1;
        Tick(dialog);
        EXPECT_EQ(ControlText(dialog, IDC_CURRENT_SPEED), "n/d m/h");
        EXPECT_EQ(needleDx, 35);
        EXPECT_EQ(needleDy, -35);
    });
}

TEST_F(PropertiesDialogTest, TheTimerTicksEverySecond) {
    appState.distanceCm = 250;
    RunPropertiesDialog([](HWND dialog) {
        appState.currentSpeed = 5000;
        appState.movedSinceTick = 0;
        appState.distanceCm = 4321;
        PumpMessagesFor(2500);
        EXPECT_EQ(appState.currentSpeed, 0);
        EXPECT_EQ(ControlText(dialog, IDC_CURRENT_SPEED), "0.00 m/h");
        ExpectDrums(dialog, IDC_DISTANCE_CELL_FIRST, "~~~~~~4321");
    });
}

// The texts of a message box's static controls (the message's control id is 0xFFFF on
// Windows and 100 under Wine), read from inside its modal loop, which then is closed.
std::string monitorBoxText;
int monitorBoxWaits = 0;

BOOL CALLBACK CollectStaticText(HWND child, LPARAM) {
    char className[16] = {};
    char text[4096] = {};
    if (GetClassNameA(child, className, sizeof className) > 0 && lstrcmpiA(className, "Static") == 0 &&
        GetWindowTextA(child, text, sizeof text) > 0) {
        monitorBoxText += text;
    }
    return TRUE;
}

void CALLBACK ReadAndCloseMonitorBox(HWND, UINT, UINT_PTR, DWORD) {
    HWND box = FindWindowA("#32770", kMonitorReportTitle);
    if (box == nullptr && ++monitorBoxWaits < 200) {
        return;
    }
    if (box != nullptr && monitorBoxText.empty()) {
        EnumChildWindows(box, CollectStaticText, 0);
        PostMessageA(box, WM_COMMAND, IDOK, 0);
    }
}

// Opening reads the monitors again (the test's state starts with none), and the window
// menu's "Schermi..." shows each one: Wine's virtual desktop, 1280 x 960 pixels without
// EDID, at GDI's 339 x 254 mm (96 dpi).
TEST_F(PropertiesDialogTest, TheWindowMenuShowsHowEachMonitorIsMeasured) {
    ASSERT_EQ(appState.layout.count, 0);
    RunPropertiesDialog([](HWND dialog) {
        ASSERT_EQ(appState.layout.count, 1);
        EXPECT_DOUBLE_EQ(appState.layout.monitors[0].mmPerPixelX, 339.0 / 1280);
        char entry[32] = {};
        GetMenuStringA(GetSystemMenu(dialog, FALSE), kMonitorReportCommand, entry, sizeof entry,
                       MF_BYCOMMAND);
        EXPECT_STREQ(entry, "Schermi...");

        monitorBoxText.clear();
        monitorBoxWaits = 0;
        UINT_PTR timer = SetTimer(nullptr, 0, 25, ReadAndCloseMonitorBox);
        SendMessageA(dialog, WM_SYSCOMMAND, kMonitorReportCommand, 0);
        KillTimer(nullptr, timer);
        EXPECT_NE(monitorBoxText.find("Schermo 1: 1280 x 960 pixel, 339 x 254 mm riportati da Windows.\r\n"
                                      "Senza EDID"),
                  std::string::npos)
            << monitorBoxText;
        EXPECT_EQ(monitorBoxText.find("Schermo 2"), std::string::npos);
        EXPECT_TRUE(IsWindowVisible(dialog));
    });
}

TEST_F(PropertiesDialogTest, UnknownCommandsAreLeftToTheDialogManager) {
    appState.distanceCm = 250;
    RunPropertiesDialog([](HWND dialog) {
        EXPECT_EQ(SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(1016, BN_CLICKED), 0), FALSE);
        EXPECT_EQ(SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_UNIT_M, BN_SETFOCUS), 0), FALSE);
        EXPECT_EQ(appState.unitDivisor, 1);
        EXPECT_TRUE(IsWindowVisible(dialog));
    });
}

// Every way out releases the gauge pictures and the drums and ends with 0.
TEST_F(PropertiesDialogTest, EveryWayToClose) {
    struct Route {
        const char* name;
        UINT message;
        WPARAM wParam;
    };
    const Route routes[] = {
        {"OK", WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED)},
        {"Cancel", WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED)},
        {"1004", WM_COMMAND, MAKEWPARAM(IDC_CLOSE_ALT, BN_CLICKED)},
        {"close box", WM_CLOSE, 0},
        {"end of session", WM_ENDSESSION, TRUE},
        {"no end of session", WM_ENDSESSION, FALSE},
    };
    for (const Route& route : routes) {
        HBITMAP face = nullptr;
        INT_PTR result = RunPropertiesDialog(
            [&](HWND dialog) {
                face = appState.gaugeFace;
                PostMessageA(dialog, route.message, route.wParam, 0);
            },
            DialogEnd::kStepsClose);
        EXPECT_EQ(result, 0) << route.name;
        EXPECT_EQ(appState.gaugeFace, nullptr) << route.name;
        EXPECT_EQ(appState.gaugeMask, nullptr) << route.name;
        // The count goes down only for a picture that was really deleted.
        EXPECT_EQ(GdiObjectsInUse(), baseline) << route.name;
        EXPECT_NE(face, nullptr) << route.name;
        EXPECT_EQ(GetObjectType(face), 0u) << route.name;
    }
}

TEST_F(PropertiesDialogTest, EnterAndEscapeClose) {
    for (WPARAM key : {static_cast<WPARAM>(VK_RETURN), static_cast<WPARAM>(VK_ESCAPE)}) {
        INT_PTR result = RunPropertiesDialog(
            [key](HWND dialog) {
                // On a push button Enter would press that button; on a radio button it
                // presses the default one, "Chiudi".
                HWND radio = GetDlgItem(dialog, IDC_UNIT_CM);
                SetFocus(radio);
                PostMessageA(radio, WM_KEYDOWN, key, 1);
            },
            DialogEnd::kStepsClose);
        EXPECT_EQ(result, 0) << key;
        EXPECT_EQ(GdiObjectsInUse(), baseline) << key;
    }
}

// Without its pictures the dialog still opens, counts and closes: the drums' places
// show the dialog's ground and the gauge shows only its needle.
TEST_F(PropertiesDialogTest, MissingPictures) {
    appState.instanceHandle = GetModuleHandleA("kernel32.dll");
    appState.distanceCm = 250;
    RunPropertiesDialog([](HWND dialog) {
        EXPECT_EQ(appState.gaugeFace, nullptr);
        Pixels place = CaptureClient(dialog, DrumPlace(dialog, IDC_DISTANCE_CELL_FIRST + 9));
        ASSERT_FALSE(place.rgb.empty());
        for (std::uint32_t pixel : place.rgb) {
            ASSERT_EQ(pixel, SystemColourRgb(COLOR_BTNFACE));
        }
        appState.currentSpeed = 2500;
        appState.movedSinceTick = 1;
        Tick(dialog);
        EXPECT_EQ(ControlText(dialog, IDC_CURRENT_SPEED), "25.00 m/h");
        EXPECT_EQ(needleDx, 46);
        Click(dialog, IDC_UNIT_M);
        EXPECT_EQ(ControlText(dialog, IDC_UNIT_LABEL), "m");
    });
}

} // namespace
