// The main window: the splash at first, then hidden for the rest of the run as the
// target of the tray icon, the tray menu's commands and owner-draw requests, the main
// timer, "TaskbarCreated", the end of the session and a second instance's hand-over.
#include "shell/MainWindow.h"

#include <cstring>

#include "dialog/PropertiesDialog.h"
#include "engine/DisplayTexts.h"
#include "resources/resource.h"
#include "settings/Settings.h"
#include "shell/Displays.h"
#include "shell/Globals.h"
#include "shell/Integrity.h"
#include "shell/Main.h"
#include "shell/MeasurementLock.h"
#include "shell/PointerHook.h"
#include "shell/PowerWatch.h"
#include "shell/ShellRules.h"
#include "shell/TrayMenu.h"
#include "support/GdiTally.h"
#include "support/SystemFunction.h"
#include "support/Timers.h"

// The whole record of Windows Vista and later, which the icon's version-4 messages need,
// worked out field by field: size 4, window, icon number 4, flags 4, callback message 4,
// icon, tip 128, state 4 and its mask 4, balloon text 256, time-out or version 4,
// balloon title 64, balloon flags 4, GUID 16 (aligned to 4), balloon icon.
// i686, pointers of 4 and no padding: 4+4+4+4+4+4+128+8+256+4+64+4+16+4 = 508.
// x86_64, pointers of 8 on multiples of 8: size 4, 4 padding, window to 16, three
// numbers to 28, 4 padding, icon to 40, tip to 168, state to 176, text to 432, version
// to 436, title to 500, flags to 504, GUID to 520, balloon icon to 528.
#if defined(__x86_64__)
static_assert(sizeof(TrayIconData) == 528, "the 64-bit tray record of Windows Vista is 528 bytes");
#elif defined(__i386__)
static_assert(sizeof(TrayIconData) == 508, "the 32-bit tray record of Windows Vista is 508 bytes");
#endif
// The tip is cut at 64 characters, the zero included, as the first shells took it; the
// distance texts are made for 63.
static_assert(kTooltipCapacity <= sizeof NOTIFYICONDATAA{}.szTip, "the tip fits the record");

namespace {

// WM_DPICHANGED and SPI_SETLOGICALDPIOVERRIDE (the scaling slider), both of Windows 8.1
// and later: the headers name them only for newer targets than this program's.
constexpr UINT kDpiChangedMessage = 0x02E0;
constexpr WPARAM kSetLogicalDpiOverride = 0x009F;
// PBT_POWERSETTINGCHANGE, Vista and later.
constexpr WPARAM kPowerSettingChange = 0x8013;

// Functions of Windows 10 1607 and later, looked up where they exist.
using SystemMetricsForDpiProc = int(WINAPI*)(int, UINT);
using DpiForSystemProc = UINT(WINAPI*)();
using DpiForWindowProc = UINT(WINAPI*)(HWND);

// Of Windows Vista and later, like the record above: the standard tooltip, which a shell
// at version 4 shows only when asked.
constexpr UINT kShowTip = 0x00000080; // NIF_SHOWTIP

// Where the icon is and how to keep it in sight, shown once at the first start: Windows
// 11 puts a new icon out of sight, behind the arrow, and only the user can bring it out.
constexpr char kFirstStartBalloonTitle[] = "Skittera";
constexpr char kFirstStartBalloonText[] =
    "L'icona \xE8 nell'area di notifica. Per vederla sempre: Impostazioni > Personalizzazione > "
    "Barra delle applicazioni > Altre icone della barra delle applicazioni (Windows 11) o Selezionare "
    "le icone da visualizzare sulla barra delle applicazioni (Windows 10).";
static_assert(sizeof kFirstStartBalloonText <= sizeof NOTIFYICONDATAA{}.szInfo, "the balloon text fits");
static_assert(sizeof kFirstStartBalloonTitle <= sizeof NOTIFYICONDATAA{}.szInfoTitle, "the title fits");

bool trayIconShown = false;
// What the shell shows of the icon, as far as it has accepted: the size of the picture
// (0 while there is no icon) and the tip ("" until the first refresh after an add).
int trayIconPixels = 0;
char shownTip[kTooltipCapacity] = "";
// The version of the icon's messages that the shell took (ShellRules.h), and the event
// of the icon's last message.
unsigned trayVersion = kTrayVersionClassic;
unsigned lastTrayEvent = 0;
bool shutdownDone = false;
// The main timer rests while nobody can move the pointer or read the tip: the display is
// off or the session locked.
bool displayOff = false;
bool sessionLocked = false;
bool sessionWatched = false;
HookWatch hookWatch;
CheckpointRecord checkpoint;

const PixelPoint* ReadCursor(PixelPoint& position) {
    POINT cursor;
    if (!GetCursorPos(&cursor)) {
        return nullptr;
    }
    position = PixelPoint{cursor.x, cursor.y};
    return &position;
}

bool Resting() { return displayOff || sessionLocked; }

// The DPI that the notification area is drawn at. The taskbar's own window follows the
// scaling as the user changes it; the system DPI, the fallback, is the one of the log-on.
// A DPI-unaware program (this one, on Windows 10 1607 and later) is told 96 for either
// unless it asks in a per-monitor-aware moment. 0 when this Windows cannot tell.
UINT TrayDpi() {
    auto dpiForWindow = FindSystemFunction<DpiForWindowProc>("user32.dll", "GetDpiForWindow");
    auto dpiForSystem = FindSystemFunction<DpiForSystemProc>("user32.dll", "GetDpiForSystem");
    UINT dpi = 0;
    DPI_AWARENESS_CONTEXT previous = EnterPhysicalPixels();
    HWND taskbar = FindWindowA("Shell_TrayWnd", nullptr);
    if (dpiForWindow != nullptr && taskbar != nullptr) {
        dpi = dpiForWindow(taskbar);
    }
    if (dpi == 0 && dpiForSystem != nullptr) {
        dpi = dpiForSystem();
    }
    LeavePhysicalPixels(previous);
    return dpi;
}

void MarkTrayIconGone() {
    trayIconShown = false;
    trayIconPixels = 0;
    shownTip[0] = '\0';
}

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

// Asks the shell for version 4 of the icon's messages, which say where the icon is and
// come from the keyboard too. A shell that refuses stays at version 0.
unsigned DeclareTrayVersion() {
    TrayIconData record = TrayIconRecord(0, nullptr);
    record.fields.uVersion = kTrayVersion4;
    return NotifyTray(NIM_SETVERSION, record) ? kTrayVersion4 : kTrayVersionClassic;
}

void HandleTrayMessage(WPARAM wParam, LPARAM lParam) {
    TrayRequest request = ReadTrayMessage(trayVersion, wParam, lParam, lastTrayEvent);
    if (request.event != 0) {
        lastTrayEvent = request.event;
    }
    POINT at{request.anchor.x, request.anchor.y};
    switch (request.action) {
    case TrayAction::OpenDialog:
        DismissSplash();
        OpenPropertiesDialog();
        break;
    case TrayAction::MenuAtPointer:
        GetCursorPos(&at);
        [[fallthrough]];
    case TrayAction::MenuAtAnchor:
        DismissSplash();
        ShowTrayMenu(at, request.byKeyboard);
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
        SaveCheckpoint(GetTickCount());
    } else {
        WakeUp();
    }
}

void HandlePowerBroadcast(WPARAM event, LPARAM data) {
    switch (event) {
    case PBT_APMSUSPEND:
        SaveCheckpoint(GetTickCount());
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

// The record that names the program's one icon (identifier 0 on the main window), whole,
// with the tip cut to 63 characters. Every record that adds or changes something asks for
// the standard tooltip, which a shell at version 4 would otherwise leave out.
TrayIconData TrayIconRecord(UINT flags, const char* tip) {
    TrayIconData record{};
    record.fields.cbSize = sizeof record;
    record.fields.hWnd = appState.mainWindow;
    record.fields.uID = 0;
    record.fields.uFlags = flags != 0 ? flags | kShowTip : 0;
    if (tip != nullptr) {
        lstrcpynA(record.fields.szTip, tip, kTooltipCapacity);
    }
    return record;
}

// The size of picture the notification area wants now: the small-icon size at its DPI
// (Windows 10 1607 and later tell it for any DPI), else the small-icon size this
// program is told.
int WantedTrayIconPixels() {
    auto metricForDpi = FindSystemFunction<SystemMetricsForDpiProc>("user32.dll", "GetSystemMetricsForDpi");
    UINT dpi = metricForDpi != nullptr ? TrayDpi() : 0;
    int metric = dpi != 0 ? metricForDpi(SM_CXSMICON, dpi) : 0;
    if (metric <= 0) {
        metric = GetSystemMetrics(SM_CXSMICON);
    }
    return TrayIconPixels(metric);
}

// The record's size covers the balloon icon beyond the fields the headers name, so the
// whole record goes to the shell.
BOOL NotifyTray(DWORD command, TrayIconData& record) { return Shell_NotifyIconA(command, &record.fields); }

// Adds the one tray icon with the tip "Skittera", its picture drawn for the tray's size
// (the 32-pixel picture shrunk by the shell looks ragged), and declares the version of
// its messages; the first time ever, the balloon says where the icon is. At log-on the
// shell may not be ready yet; the main timer then tries again on every tick until the
// icon is there.
void AddTrayIcon() {
    int pixels = WantedTrayIconPixels();
    TrayIconData record = TrayIconRecord(NIF_MESSAGE | NIF_ICON | NIF_TIP, "Skittera");
    record.fields.uCallbackMessage = trayMessage;
    record.fields.hIcon = TallyLoadIcon(appState.instanceHandle, IDI_SKITTERA, pixels);
    BOOL shown = NotifyTray(NIM_ADD, record);
    if (!shown) {
        // A shell that kept its icons across its own restart refuses to add one that it
        // still shows; bringing that one up to date is just as good.
        shown = NotifyTray(NIM_MODIFY, record);
    }
    // The shell keeps a copy of its own.
    TallyDestroyIcon(record.fields.hIcon);
    MarkTrayIconGone();
    if (shown) {
        trayIconShown = true;
        trayIconPixels = pixels;
        trayVersion = DeclareTrayVersion();
        lastTrayEvent = 0; // the messages start afresh, perhaps in the other form
        ShowFirstStartBalloon();
    }
}

bool TrayIconShown() { return trayIconShown; }
int TrayIconPixelsShown() { return trayIconPixels; }
const char* TrayTipShown() { return shownTip; }

unsigned TrayIconVersion() { return trayVersion; }

// Gives the shown icon a picture of the size, unless it has that size already. The
// scaling changes while the program runs; the shell would otherwise stretch the old
// picture.
void ResizeTrayIcon(int pixels) {
    if (!trayIconShown || pixels == trayIconPixels) {
        return;
    }
    TrayIconData record = TrayIconRecord(NIF_ICON, nullptr);
    record.fields.hIcon = TallyLoadIcon(appState.instanceHandle, IDI_SKITTERA, pixels);
    if (record.fields.hIcon == nullptr) {
        return;
    }
    if (NotifyTray(NIM_MODIFY, record)) {
        trayIconPixels = pixels;
    } else {
        MarkTrayIconGone(); // the shell lost it: the next tick adds it again
    }
    TallyDestroyIcon(record.fields.hIcon);
}

// The balloon with the way to the icon, shown beside the icon once in the program's life
// on this account: the registry records it as soon as the shell took the balloon, and
// from then on it never comes again. Returns whether it was shown now.
bool ShowFirstStartBalloon() {
    if (FirstStartBalloonShown()) {
        return false;
    }
    TrayIconData record = TrayIconRecord(NIF_INFO, nullptr);
    lstrcpynA(record.fields.szInfoTitle, kFirstStartBalloonTitle, sizeof record.fields.szInfoTitle);
    lstrcpynA(record.fields.szInfo, kFirstStartBalloonText, sizeof record.fields.szInfo);
    record.fields.dwInfoFlags = NIIF_INFO;
    if (!NotifyTray(NIM_MODIFY, record)) {
        return false; // tried again the next time the icon is added
    }
    RecordFirstStartBalloonShown();
    return true;
}

// The tray tip shows the distance in the chosen unit. The shell hears of it only when
// the text changes: every call crosses into Explorer, and while the pointer rests (or
// the screen is off) nothing has changed. A tip the shell refuses means the icon is gone
// (Explorer lost it without a new taskbar): the next tick adds it again, and the tip is
// written afresh after that.
void RefreshTooltip() {
    if (!trayIconShown) {
        return;
    }
    char tip[kTooltipCapacity];
    FormatTooltipText(SnapshotMeasurement(), tip, sizeof tip);
    TrayIconData record = TrayIconRecord(NIF_TIP, tip);
    if (std::strcmp(record.fields.szTip, shownTip) == 0) {
        return;
    }
    if (NotifyTray(NIM_MODIFY, record)) {
        lstrcpynA(shownTip, record.fields.szTip, sizeof shownTip);
    } else {
        MarkTrayIconGone();
    }
}

// The tray menu at the point, loaded afresh, with "Propietà" as its default item, drawn by
// its owner, and released as soon as it closes. A menu asked for from the keyboard and
// closed without a command while the focus stayed with it (Escape) gives the focus back
// to the notification area, where the keyboard was; a click into another window leaves
// the focus where the click put it, and a menu of the mouse leaves it as a click does.
void ShowTrayMenu(POINT at, bool byKeyboard) {
    if (ShutdownDone()) {
        return; // a tray message that arrived as the program was ending
    }
    HMENU loaded = LoadMenuA(appState.instanceHandle, MAKEINTRESOURCEA(IDR_TRAYMENU));
    HMENU menu = GetSubMenu(loaded, 0);

    MENUITEMINFOA defaultItem{};
    defaultItem.cbSize = sizeof defaultItem;
    defaultItem.fMask = MIIM_STATE;
    defaultItem.fState = MFS_DEFAULT;
    SetMenuItemInfoA(menu, IDM_PROPERTIES, FALSE, &defaultItem);

    ConvertMenuToOwnerDraw(menu);
    bool focusKept = false;
    UINT command = TrackTrayMenu(menu, at, &focusKept);
    // A message must reach the program after the menu, or the next menu may not close
    // when the user clicks elsewhere.
    PostMessageA(appState.mainWindow, WM_NULL, 0, 0);
    FreeOwnerDrawMenu(menu);
    if (loaded != nullptr) {
        DestroyMenu(loaded);
    }
    if (ShutdownDone()) {
        // The program was ended while the menu was open. A menu's own message loop may
        // have taken the quit message (Wine's does), so it goes out again.
        PostQuitMessage(0);
    } else if (command != 0) {
        PostMessageA(appState.mainWindow, WM_COMMAND, MAKEWPARAM(command, 0), 0);
    } else if (byKeyboard && focusKept) {
        TrayIconData record = TrayIconRecord(0, nullptr);
        NotifyTray(NIM_SETFOCUS, record);
    }
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
    RecordCheckpoint(checkpoint, SnapshotMeasurement(), appState.sinceDate, now);
    PixelPoint position;
    ResetHookWatch(hookWatch, ReadCursor(position), HookEventsSeen());
}

// Every tick: the splash goes, a missing tray icon is tried again, the tip is
// refreshed, a dropped hook is renewed, a new local day begins (the finished one is
// written at once) and, at most every five minutes, the counter and today's figures
// are written down so that a crash, a kill or a power cut costs minutes, not a day.
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
    if (RollOverDay() || CheckpointDue(checkpoint, SnapshotMeasurement(), appState.sinceDate, now)) {
        SaveCheckpoint(now);
    }
}

// Writes the distance, the unit, the since-date and today's figures (and a day that has
// just ended); the log-on entry is left to the exit.
void SaveCheckpoint(TickCount now) {
    if (ShutdownDone()) {
        return;
    }
    // What is recorded as saved is taken before the save: a move measured during the
    // registry writes then makes the next checkpoint due rather than go unsaved. A
    // checkpoint the registry refused is not one: it is tried again at the next tick.
    OdometerState saved = SnapshotMeasurement();
    if (SaveSettingsCheckpoint() != 0) {
        RecordCheckpoint(checkpoint, saved, appState.sinceDate, now);
    }
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
    TrayIconData record = TrayIconRecord(0, nullptr);
    NotifyTray(NIM_DELETE, record);
    MarkTrayIconGone();
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
        SaveCheckpoint(GetTickCount());
        return TRUE;
    case WM_ENDSESSION:
        // Only when the session really ends; when it goes on after all, the program
        // keeps counting rather than linger without icon, hook and a way to quit.
        if (wParam != FALSE) {
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
