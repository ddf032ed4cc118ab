// The properties dialog. It keeps nothing of its own: everything it shows is read
// from the application state when it is drawn, and everything it changes is written
// there, to be saved at exit. While open it refreshes itself once a second.
#include "dialog/PropertiesDialog.h"

#include "dialog/HistoryWindow.h"
#include "dialog/OdometerDisplay.h"
#include "dialog/SpeedGauge.h"
#include "engine/DisplayTexts.h"
#include "engine/Odometer.h"
#include "measuring/DayKeeping.h"
#include "measuring/Displays.h"
#include "measuring/Globals.h"
#include "measuring/HistoryRecord.h"
#include "measuring/MeasurementLock.h"
#include "measuring/StoredSettings.h"
#include "resources/resource.h"
#include "settings/Settings.h"
#include "support/GdiTally.h"
#include "support/Timers.h"

namespace {

constexpr UINT_PTR kTickTimer = 0;
constexpr UINT kTickMilliseconds = 1000;

struct UnitButton {
    int id;
    double divisor;
};

const UnitButton kUnitButtons[] = {
    {IDC_UNIT_CM, kCentimetres},
    {IDC_UNIT_M, kMetres},
    {IDC_UNIT_KM, kKilometres},
};

// The unit shown: the one whose divisor matches exactly. A divisor that matches none
// is shown as centimetres, as the odometer and the tooltip already show it.
const DistanceUnit& ShownUnit() { return UnitOrCentimetres(SnapshotMeasurement().unitDivisor); }

// The radio buttons and the label always name the unit the drums are in, also when
// the command came from somewhere other than a click on the button.
void ShowUnit(HWND dialog) {
    const DistanceUnit& unit = ShownUnit();
    for (const UnitButton& button : kUnitButtons) {
        if (button.divisor == unit.divisor) {
            CheckRadioButton(dialog, IDC_UNIT_CM, IDC_UNIT_KM, button.id);
        }
    }
    SetDlgItemTextA(dialog, IDC_UNIT_LABEL, unit.abbreviation);
}

// The box shows whether the program starts at log-on, as the entries were last read: at
// every opening, and after every change.
void ShowRunAtLogon(HWND dialog) {
    CheckDlgButton(dialog, IDC_RUN_AT_LOGON, appState.runAtStartup != 0 ? BST_CHECKED : BST_UNCHECKED);
}

void ShowSinceDate(HWND dialog) { SetDlgItemTextA(dialog, IDC_SINCE_DATE, appState.sinceDate.buffer); }

// Whether a control is a picture cell: a static control that shows a bitmap.
bool IsPictureCell(HWND control) {
    char className[8] = {};
    return GetClassNameA(control, className, sizeof className) > 0 && lstrcmpiA(className, "Static") == 0 &&
           (GetWindowLongA(control, GWL_STYLE) & SS_TYPEMASK) == SS_BITMAP;
}

// The dialog whose template pictures (the figure; the drum cells have given theirs up
// by then) were taken over, so that only those are ever released.
HWND templatePicturesOwner = nullptr;

// The dialog manager loads the template's pictures into their cells. Windows' static
// control deletes a picture it loaded itself when it is destroyed, as long as nobody
// replaced it; Wine's never does, so every opening left them behind (the figure alone
// is 65 x 96 pixels, about 25 KB). So the dialog takes these pictures over when it
// opens, and takes them out and deletes them when it closes: right on both, since a
// control whose picture was replaced leaves every picture to the program.
void TakeOverTemplatePictures(HWND dialog) {
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        if (IsPictureCell(child)) {
            TallyAdopt(reinterpret_cast<HGDIOBJ>(SendMessageA(child, STM_GETIMAGE, IMAGE_BITMAP, 0)));
        }
    }
    templatePicturesOwner = dialog;
}

void ReleaseTemplatePictures(HWND dialog) {
    if (dialog == nullptr || dialog != templatePicturesOwner) {
        return;
    }
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        if (IsPictureCell(child)) {
            TallyDeleteObject(reinterpret_cast<HGDIOBJ>(SendMessageA(child, STM_SETIMAGE, IMAGE_BITMAP, 0)));
        }
    }
    templatePicturesOwner = nullptr;
}

void ReleaseGaugePictures() {
    TallyDeleteObject(appState.gaugeFace);
    TallyDeleteObject(appState.gaugeMask);
    appState.gaugeFace = nullptr;
    appState.gaugeMask = nullptr;
}

// The gauge is drawn over the frame control, which only marks the place.
void MeasureGaugeFrame(HWND dialog) {
    HWND frameControl = GetDlgItem(dialog, IDC_GAUGE_FRAME);
    RECT frame{0, 0, 0, 0};
    if (frameControl != nullptr) {
        GetWindowRect(frameControl, &frame);
        POINT topLeft{frame.left, frame.top};
        POINT bottomRight{frame.right, frame.bottom};
        ScreenToClient(dialog, &topLeft);
        ScreenToClient(dialog, &bottomRight);
        frame = RECT{topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
        ShowWindow(frameControl, SW_HIDE);
    }
    appState.gaugeFrame.left = frame.left;
    appState.gaugeFrame.top = frame.top;
    appState.gaugeFrame.right = frame.right;
    appState.gaugeFrame.bottom = frame.bottom;
}

// The "Schermi..." entry of the dialog's window menu (the icon at the top left, or
// Alt+Space): the template stays as it is, and the entry is where a Windows user looks for
// what a dialog has to say beyond its face.
void AddMonitorReportEntry(HWND dialog) {
    HMENU menu = GetSystemMenu(dialog, FALSE);
    if (menu != nullptr) {
        AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
        AppendMenuA(menu, MF_STRING, kMonitorReportCommand, kMonitorReportEntry);
    }
}

void StartDialog(HWND dialog) {
    // The monitors are read again, so that a size the user has just stated for one counts
    // from this opening on, without waiting for a change of the displays.
    CalibrateDisplays();
    AddMonitorReportEntry(dialog);
    ShowUnit(dialog);
    // The reference and the cleared flag are taken together: a move that the hook
    // thread measures while the dialog is still being set up counts for its first tick.
    TickCount now = GetTickCount();
    ModifyMeasurement([now](OdometerState& measurement) {
        TakeSpeedReference(measurement, now);
        measurement.movedSinceTick = 0;
    });
    TakeOverDrums(dialog);
    TakeOverTemplatePictures(dialog);
    ShowOdometer(dialog);
    RefreshLogonChoice();
    ShowRunAtLogon(dialog);
    ShowSinceDate(dialog);
    ReleaseGaugePictures(); // none are left from an earlier opening, but never lose one
    appState.gaugeFace = TallyLoadBitmap(appState.instanceHandle, IDB_GAUGE_FACE);
    appState.gaugeMask = TallyLoadBitmap(appState.instanceHandle, IDB_GAUGE_MASK);
    MeasureGaugeFrame(dialog);
    SetTolerantTimer(dialog, kTickTimer, kTickMilliseconds);
    ReadHistoryAhead();
}

// Once a second: a second without pointer moves brings the current speed to 0; then
// the drums, the needle and the speed texts show the state. The flag is cleared in the
// same step as the idle test, not after the drawing: a move that the hook thread
// measures while the drums are drawn belongs to the next second.
void TickDialog(HWND dialog) {
    TickCount now = GetTickCount();
    ModifyMeasurement([now](OdometerState& measurement) {
        IdleTick(measurement, now);
        measurement.movedSinceTick = 0;
    });
    ShowOdometer(dialog);
    HDC target = GetDC(dialog);
    if (target != nullptr) {
        DrawSpeedGauge(dialog, target, false);
        ReleaseDC(dialog, target);
    }
}

// The counter starts again from today; the new date shows at once.
void ResetFromDialog(HWND dialog) {
    // The date is formatted before the lock is taken, so that the hook waits for three
    // assignments only.
    TextString today = FormatSinceDate(TodaysDate());
    ModifyMeasurement([](OdometerState& measurement) { ResetDistance(measurement); });
    appState.sinceDate = today;
    ShowOdometer(dialog);
    ShowSinceDate(dialog);
}

void ChooseUnit(HWND dialog, double divisor) {
    ModifyMeasurement([divisor](OdometerState& measurement) { measurement.unitDivisor = divisor; });
    ShowUnit(dialog);
    ShowOdometer(dialog);
}

// What the user is told when the log-on entry could not be made as the box asked.
const wchar_t* LogonChangeMessage(LogonChange outcome) {
    switch (outcome) {
    case LogonChange::Done:
        return nullptr;
    case LogonChange::MachineEntryStays:
        return kLogonMachineEntryStaysText;
    case LogonChange::AnotherCopyForEveryUser:
        return kLogonAnotherCopyText;
    case LogonChange::Failed:
        return kLogonFailedText;
    }
    return kLogonFailedText;
}

// The choice is what the check box shows: an automatic check box has already changed
// its own state when it reports the click, and a command that did not come from the
// box leaves the choice as the user sees it. The entry changes at once; afterwards the
// box shows what the entries really do, and a change that did not happen is told.
void TakeRunAtLogonChoice(HWND dialog) {
    bool on = IsDlgButtonChecked(dialog, IDC_RUN_AT_LOGON) == BST_CHECKED;
    if (on == (appState.runAtStartup != 0)) {
        return;
    }
    LogonChange outcome = ChangeLogonChoice(on);
    ShowRunAtLogon(dialog);
    const wchar_t* message = LogonChangeMessage(outcome);
    if (message != nullptr) {
        MessageBoxW(dialog, message, kLogonMessageTitle, MB_OK | MB_ICONWARNING);
    }
}

// The history window, owned by this dialog, in the unit the drums show. Its today is the
// day being counted, brought to the local date first: a midnight or a change of the time
// zone that the main timer has not noticed yet would otherwise show today's figures
// under yesterday's bar, and "Oggi" at 0.
void OpenHistory(HWND dialog) {
    CalendarDate today = FollowLocalDate(GetTickCount());
    DayList days = ReadHistoryForWindow();
    OpenHistoryWindow(dialog, days, today, ShownUnit().divisor);
    ReadHistoryAhead(); // for the next opening
}

void CloseDialog(HWND dialog) {
    ReleaseGaugePictures();
    KillTimer(dialog, kTickTimer);
    EndDialog(dialog, 0);
}

// The drums the paint covers, and the gauge. A full paint draws the dial afresh and
// forgets the needle for the whole dial, so a paint that would cover only part of the
// gauge is widened to all of it: otherwise the part left alone keeps the old needle
// while the new one is drawn, or loses it. A paint that leaves the gauge alone does not
// draw it at all.
void PaintDialog(HWND dialog) {
    RECT gauge = GaugeRect();
    RECT dirty;
    RECT overlap;
    if (GetUpdateRect(dialog, &dirty, FALSE) && IntersectRect(&overlap, &dirty, &gauge)) {
        InvalidateRect(dialog, &gauge, TRUE);
    }
    PAINTSTRUCT paint;
    HDC target = BeginPaint(dialog, &paint);
    if (target != nullptr) {
        PaintDrums(dialog, target);
    }
    if (target != nullptr && RectVisible(target, &gauge)) {
        DrawSpeedGauge(dialog, target, true);
    }
    EndPaint(dialog, &paint);
}

// The commands with a notification code of 0; TRUE for those the dialog knows.
BOOL RunCommand(HWND dialog, int id) {
    switch (id) {
    case IDOK:
    case IDCANCEL:
    case IDC_CLOSE_ALT:
        CloseDialog(dialog);
        return TRUE;
    case IDC_RESET:
        ResetFromDialog(dialog);
        return TRUE;
    case IDC_UNIT_CM:
        ChooseUnit(dialog, kCentimetres);
        return TRUE;
    case IDC_UNIT_M:
        ChooseUnit(dialog, kMetres);
        return TRUE;
    case IDC_UNIT_KM:
        ChooseUnit(dialog, kKilometres);
        return TRUE;
    case IDC_RUN_AT_LOGON:
        TakeRunAtLogonChoice(dialog);
        return TRUE;
    case IDC_HISTORY:
        OpenHistory(dialog);
        return TRUE;
    default:
        return FALSE;
    }
}

} // namespace

INT_PTR CALLBACK PropertiesDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM /*lParam*/) {
    switch (message) {
    case WM_INITDIALOG:
        StartDialog(dialog);
        return FALSE; // the dialog manager is not asked to set the focus
    case WM_COMMAND:
        if (HIWORD(wParam) != 0) {
            return FALSE;
        }
        return RunCommand(dialog, LOWORD(wParam));
    case WM_TIMER:
        TickDialog(dialog);
        return FALSE;
    case WM_SYSCOMMAND:
        // The system keeps the low four bits of a window-menu command for itself.
        if ((wParam & 0xFFF0) == kMonitorReportCommand) {
            ShowMonitorReport(dialog);
            return TRUE;
        }
        return FALSE;
    case WM_PAINT:
        PaintDialog(dialog);
        return FALSE;
    case WM_CLOSE:
    case WM_ENDSESSION:
        CloseDialog(dialog);
        return TRUE;
    case WM_DESTROY:
        // However the dialog goes, the pictures it holds go with it.
        ReleaseDrums(dialog);
        ReleaseTemplatePictures(dialog);
        ReleaseGaugePictures();
        ForgetHistoryReadAhead();
        return FALSE;
    default:
        return FALSE;
    }
}
