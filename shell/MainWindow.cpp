// The main window: the splash at first, then hidden for the rest of the run as the
// target of the tray icon, the tray menu's commands and owner-draw requests, the main
// timer, "TaskbarCreated", the end of the session and a second instance's hand-over.
#include "shell/MainWindow.h"

#include <cstring>

#include "dialog/PropertiesDialog.h"
#include "engine/DisplayTexts.h"
#include "engine/HookWatch.h"
#include "engine/StartRules.h"
#include "engine/TrayMessage.h"
#include "measuring/DayKeeping.h"
#include "measuring/Displays.h"
#include "measuring/Globals.h"
#include "measuring/MeasurementLock.h"
#include "measuring/PointerHook.h"
#include "resources/resource.h"
#include "shell/Integrity.h"
#include "shell/PowerWatch.h"
#include "shell/SingleInstance.h"
#include "shell/TrayIcon.h"
#include "shell/TrayMenu.h"
#include "support/GdiTally.h"
#include "support/SystemFunction.h"
#include "support/Timers.h"

namespace {

// WM_DPICHANGED and SPI_SETLOGICALDPIOVERRIDE (the scaling slider), both of Windows 8.1
// and later: the headers name them only for newer targets than this program's.
constexpr UINT kDpiChangedMessage = 0x02E0;
constexpr WPARAM kSetLogicalDpiOverride = 0x009F;
// PBT_POWERSETTINGCHANGE, Vista and later.
constexpr WPARAM kPowerSettingChange = 0x8013;

bool shutdownDone = false;
// The main timer rests while nobody can move the pointer or read the tip: the display is
// off or the session locked.
bool displayOff = false;
bool sessionLocked = false;
bool sessionWatched = false;
HookWatch hookWatch;

// A checkpoint, unless the program is ending (its exit saves).
void CheckpointWhileRunning(TickCount now) {
    if (!ShutdownDone()) {
        SaveCheckpoint(now);
    }
}

const PixelPoint* ReadCursor(PixelPoint& position) {
    POINT cursor;
    if (!GetCursorPos(&cursor)) {
        return nullptr;
    }
    position = PixelPoint{cursor.x, cursor.y};
    return &position;
}

bool Resting() { return displayOff || sessionLocked; }

void RestartMainTimer(UINT period) {
    KillTimer(appState.mainWindow, kMainTimer);
    if (!Resting()) {
        SetTolerantTimer(appState.mainWindow, kMainTimer, period);
    }
}

// Windows removes a low-level hook that once took too long, and tells nobody. A
// pointer that moved while the hook heard nothing gives it away, unless the input was
// never the hook's to hear: over or behind an elevated window, or on the secure desktop.
// Renewing the hook then would only be done again at every tick, to no end.
void WatchHook() {
    PixelPoint position;
    const PixelPoint* cursor = ReadCursor(position);
    if (HookNeedsReinstall(hookWatch, cursor, HookEventsSeen()) && !InputHiddenFromHook()) {
        ReinstallHook();
    }
}

// A menu asked for from the keyboard and closed without a command while the focus stayed
// with it (Escape) gives the focus back to the notification area, where the keyboard
// was; a click into another window leaves the focus where the click put it, and a menu
// of the mouse leaves it as a click does.
void OpenTrayMenu(POINT at, bool byKeyboard) {
    if (ShutdownDone()) {
        return; // a tray message that arrived as the program was ending
    }
    bool focusKept = false;
    UINT command = ShowTrayMenu(at, &focusKept);
    if (ShutdownDone()) {
        // The program was ended while the menu was open. A menu's own message loop may
        // have taken the quit message (Wine's does), so it goes out again.
        PostQuitMessage(0);
    } else if (command != 0) {
        PostMessageA(appState.mainWindow, WM_COMMAND, MAKEWPARAM(command, 0), 0);
    } else if (byKeyboard && focusKept) {
        ReturnFocusToTray();
    }
}

void HandleTrayMessage(WPARAM wParam, LPARAM lParam) {
    TrayRequest request = ReadIconMessage(wParam, lParam);
    POINT at{0, 0};
    switch (request.action) {
    case TrayAction::OpenDialog:
        DismissSplash();
        OpenPropertiesDialog();
        break;
    case TrayAction::MenuAtPointer:
        GetCursorPos(&at);
        DismissSplash();
        OpenTrayMenu(at, false);
        break;
    case TrayAction::MenuAtAnchor:
        at = TrayMenuPoint(request);
        DismissSplash();
        OpenTrayMenu(at, request.byKeyboard);
        break;
    case TrayAction::None:
        break;
    }
}

// The shell has a new taskbar (it started again after a crash): the icon goes back
// and the hook is renewed.
void HandleTaskbarCreated() {
    if (ShutdownDone()) {
        return;
    }
    AddTrayIcon();
    ReinstallHook();
    RestartMainTimer(kMainTimerMs);
}

// Back from sleep, or the display on again, or the session unlocked: the hook is renewed
// (Windows drops it most often across these), the watch starts afresh, and the tick's
// work is done at once, so that a day that ended meanwhile is closed before a new move.
void WakeUp() {
    if (ShutdownDone()) {
        return;
    }
    TickCount now = GetTickCount();
    ReinstallHook();
    PixelPoint position;
    ResetHookWatch(hookWatch, ReadCursor(position), HookEventsSeen());
    MainTimerTick(now);
    RestartMainTimer(kMainTimerMs);
}

// The display goes off or the session is locked: a checkpoint first (a machine with
// modern standby may go to sleep without a word), then the timer rests. Either ending
// while the other holds changes nothing.
void SetResting(bool& reason, bool value) {
    bool before = Resting();
    reason = value;
    if (ShutdownDone() || before == Resting()) {
        return;
    }
    if (Resting()) {
        KillTimer(appState.mainWindow, kMainTimer);
        CheckpointWhileRunning(GetTickCount());
    } else {
        WakeUp();
    }
}

void HandlePowerBroadcast(WPARAM event, LPARAM data) {
    switch (event) {
    case PBT_APMSUSPEND:
        CheckpointWhileRunning(GetTickCount());
        break;
    case PBT_APMRESUMEAUTOMATIC:
        WakeUp();
        break;
    case kPowerSettingChange:
        switch (ReadDisplayPower(data)) {
        case DisplayPower::Off:
            SetResting(displayOff, true);
            break;
        case DisplayPower::On:
            SetResting(displayOff, false);
            break;
        case DisplayPower::Unknown:
            break;
        }
        break;
    default:
        break;
    }
}

void HandleSessionChange(WPARAM event) {
    if (event == WTS_SESSION_LOCK) {
        SetResting(sessionLocked, true);
    } else if (event == WTS_SESSION_UNLOCK) {
        SetResting(sessionLocked, false);
    }
}

// Exit and a close: an open tray menu is closed first, so that its loop gives way to
// the quit message.
void EndProgram() {
    EndMenu();
    ShutdownApplication();
    PostQuitMessage(0);
}

// From here on the program no longer answers as the running copy: its window is hidden
// (the splash goes at once) and marked as ending, so that a copy started now waits for
// the mutex instead of handing over to a window that is going away.
void StopAnswering() {
    SetPropA(appState.mainWindow, kEndingMark, reinterpret_cast<HANDLE>(1));
    ShowWindow(appState.mainWindow, SW_HIDE);
    appState.splashShowing = 0;
    KillTimer(appState.mainWindow, kMainTimer);
}

// The session ends: Windows may end the process at any moment after this message has
// been answered, so the settings are saved first and nothing else is done. The icon and
// the hook go with the session; taking them down would only spend the time the save
// needs (the shell may be ending too, and answer slowly or not at all).
void EndSession() {
    if (shutdownDone) {
        return;
    }
    shutdownDone = true;
    StopAnswering();
    SaveSettings();
    EndMenu();
    PostQuitMessage(0);
}

// The system settings whose change can come with a change of the monitors: the work
// area (a monitor or the taskbar moved) and the scaling.
bool IsDisplaySetting(WPARAM setting) {
    return setting == SPI_SETWORKAREA || setting == kSetLogicalDpiOverride;
}

void HandleCommand(WPARAM wParam) {
    DismissSplash();
    switch (LOWORD(wParam)) {
    case IDM_EXIT:
        EndProgram();
        break;
    case IDM_PROPERTIES:
        OpenPropertiesDialog();
        break;
    default:
        break;
    }
}

} // namespace

// Hides the splash and sets the main timer to its running period; does nothing once
// the splash is gone, so every command, tick and tray click may call it.
void DismissSplash() {
    if (appState.splashShowing == 0) {
        return;
    }
    if (!ShutdownDone()) {
        RestartMainTimer(kMainTimerMs);
    }
    ShowWindow(appState.mainWindow, SW_HIDE);
    appState.splashShowing = 0;
}

// The modal properties dialog, once at a time, brought to the front when it is open
// already. The hook is renewed first, which also brings back one that the platform
// dropped.
void OpenPropertiesDialog() {
    if (ShutdownDone()) {
        return; // a double click or a hand-over that arrived as the program was ending
    }
    if (appState.dialogOpen != 0) {
        // Open but perhaps buried under other windows: it comes to the front.
        BringForward(appState.mainWindow);
        return;
    }
    appState.dialogOpen = 1;
    ReinstallHook();
    DialogBoxParamA(appState.instanceHandle, MAKEINTRESOURCEA(IDD_PROPERTIES), appState.mainWindow,
                    PropertiesDialogProc, 0);
    appState.dialogOpen = 0;
}

// The hook thread takes the hook out of the input stream and puts it in again; the
// thread itself keeps running.
void ReinstallHook() { InstallHook(); }

// Measuring begins: nothing is shut down, nothing needs saving yet, and the hook watch
// starts from here.
void StartHousekeeping(TickCount now) {
    shutdownDone = false;
    displayOff = false;
    sessionLocked = false;
    sessionWatched = WatchDisplayAndSession(appState.mainWindow);
    StartKeepingDays(now);
    PixelPoint position;
    ResetHookWatch(hookWatch, ReadCursor(position), HookEventsSeen());
}

// Every tick: the splash goes, a missing tray icon is tried again, the tip is
// refreshed, a dropped hook is renewed, and the days are kept (DayKeeping.h).
void MainTimerTick(TickCount now) {
    DismissSplash();
    if (ShutdownDone()) {
        return;
    }
    if (!TrayIconShown()) {
        AddTrayIcon();
    }
    if (!sessionWatched) {
        sessionWatched = WatchSession(appState.mainWindow);
    }
    RefreshTooltip();
    WatchHook();
    KeepDays(now);
}

// Stops answering as the running copy, takes the program out of the tray and the input
// stream and saves the settings. Runs once: Exit, the end of the session, a close from
// outside or the end of the message loop may follow one another.
void ShutdownApplication() {
    if (shutdownDone) {
        return;
    }
    shutdownDone = true;
    StopAnswering();
    RemoveTrayIcon();
    RemoveHook();
    SaveSettings();
}

bool ShutdownDone() { return shutdownDone; }

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_QUIT:
        ShutdownApplication();
        return 0;
    case WM_QUERYENDSESSION:
        CheckpointWhileRunning(GetTickCount());
        return TRUE;
    case WM_ENDSESSION:
        // Only when the session really ends; when it goes on after all, the program
        // keeps counting rather than linger without icon, hook and a way to quit.
        // Restart Manager closing the program to update it ends no session: the program
        // ends as Exit ends it, or its icon would stay beside the restarted copy's.
        if (wParam != FALSE && (lParam & ENDSESSION_CLOSEAPP) != 0) {
            EndProgram();
        } else if (wParam != FALSE) {
            EndSession();
        }
        return 0;
    case WM_POWERBROADCAST:
        HandlePowerBroadcast(wParam, lParam);
        return TRUE;
    case WM_WTSSESSION_CHANGE:
        HandleSessionChange(wParam);
        return 0;
    case WM_DESTROY:
        StopWatchingDisplayAndSession(window);
        break;
    case WM_CLOSE:
        // Closed from outside: end the way Exit does, rather than lose the window and
        // leave a process with a hook that nothing can reach any more.
        EndProgram();
        return 0;
    case WM_NCDESTROY:
        RemovePropA(window, kEndingMark);
        break;
    case WM_DRAWITEM:
        DrawMenuItem(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return 0;
    case WM_MEASUREITEM:
        MeasureMenuItem(reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
        return 0;
    case WM_COMMAND:
        HandleCommand(wParam);
        return 0;
    case WM_TIMER:
        MainTimerTick(GetTickCount());
        return 0;
    case WM_TIMECHANGE:
        // The clock or the time zone changed (by hand, by the automatic time zone after
        // a journey): the date is read again at once, so that the day switches at the
        // new zone's midnight and today's figures go under the date the clock shows. A
        // change of daylight-saving time keeps the date, and so the day.
        if (!ShutdownDone()) {
            FollowLocalDate(GetTickCount());
        }
        return 0;
    case WM_DISPLAYCHANGE:
        // A resolution, a rotation, a monitor plugged in or out, a dock: every monitor is
        // read again. Here, never in the hook, which must answer at once.
    case kDpiChangedMessage:
        // Only per-monitor-aware windows get it, and the hook's pixels do not change with
        // the scaling; should it come all the same, reading the monitors again is cheap.
        // Any of them may come with a new scaling, and the tray icon's size with it.
        CalibrateDisplays();
        ResizeTrayIcon(WantedTrayIconPixels());
        break;
    case WM_SETTINGCHANGE:
        if (IsDisplaySetting(wParam)) {
            CalibrateDisplays();
            ResizeTrayIcon(WantedTrayIconPixels());
        }
        break;
    default:
        // Registered message numbers are never 0; a failed registration must not turn
        // WM_NULL into a tray click.
        if (trayMessage != 0 && message == trayMessage) {
            HandleTrayMessage(wParam, lParam);
            return 0;
        }
        if (taskbarCreatedMessage != 0 && message == taskbarCreatedMessage) {
            HandleTaskbarCreated();
            return 0;
        }
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
