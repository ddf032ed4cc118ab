// The program's one tray icon: its record, the version of its messages, its picture at
// the tray's scaling, its tip and the balloon of the first start.
#include "shell/TrayIcon.h"

#include <cstring>

#include "engine/DisplayTexts.h"
#include "engine/TrayMessage.h"
#include "engine/UserTexts.h"
#include "measuring/Displays.h"
#include "measuring/Globals.h"
#include "measuring/MeasurementLock.h"
#include "measuring/StoredSettings.h"
#include "resources/resource.h"
#include "support/GdiTally.h"
#include "support/SystemFunction.h"

unsigned trayMessage = RegisterWindowMessageA("VELTRAC_ICON");
unsigned taskbarCreatedMessage = RegisterWindowMessageA("TaskbarCreated");

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

// Functions of Windows 10 1607 and later, looked up where they exist.
using SystemMetricsForDpiProc = int(WINAPI*)(int, UINT);
using DpiForSystemProc = UINT(WINAPI*)();
using DpiForWindowProc = UINT(WINAPI*)(HWND);
// Of Windows 8.1 and later.
using PhysicalToLogicalPointProc = BOOL(WINAPI*)(HWND, LPPOINT);
// Of Windows 10 1607 and later.
using ThreadDpiAwarenessContextProc = DPI_AWARENESS_CONTEXT(WINAPI*)();
using AwarenessFromContextProc = int(WINAPI*)(DPI_AWARENESS_CONTEXT);

// Of Windows Vista and later, like the record above: the standard tooltip, which a shell
// at version 4 shows only when asked.
constexpr UINT kShowTip = 0x00000080; // NIF_SHOWTIP

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

// How this thread takes part in the scaling: what its context says (Windows 10 1607 and
// later), else what the manifest's dpiAware declares to the Windows before, system-aware.
DpiAwareness ThreadAwareness() {
    auto threadContext =
        FindSystemFunction<ThreadDpiAwarenessContextProc>("user32.dll", "GetThreadDpiAwarenessContext");
    auto awarenessOf =
        FindSystemFunction<AwarenessFromContextProc>("user32.dll", "GetAwarenessFromDpiAwarenessContext");
    if (threadContext == nullptr || awarenessOf == nullptr) {
        return DpiAwareness::SystemAware;
    }
    switch (awarenessOf(threadContext())) {
    case 0: // DPI_AWARENESS_UNAWARE
        return DpiAwareness::Unaware;
    case 2: // DPI_AWARENESS_PER_MONITOR_AWARE
        return DpiAwareness::PerMonitorAware;
    default:
        return DpiAwareness::SystemAware;
    }
}

// The anchor converted by the program's own rule, for when Windows' conversion failed:
// the monitor under the anchor found in physical pixels, at the tray's scaling.
POINT ConvertAnchor(PixelPoint anchor) {
    PixelPoint corner{0, 0};
    DPI_AWARENESS_CONTEXT previous = EnterPhysicalPixels();
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (GetMonitorInfoA(MonitorFromPoint(POINT{anchor.x, anchor.y}, MONITOR_DEFAULTTONEAREST), &info)) {
        corner = PixelPoint{info.rcMonitor.left, info.rcMonitor.top};
    }
    LeavePhysicalPixels(previous);
    HDC screen = GetDC(nullptr);
    int systemDpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSX) : 0;
    if (screen != nullptr) {
        ReleaseDC(nullptr, screen);
    }
    PixelPoint logical = LogicalFromPhysical(
        anchor, corner, TrayDpi(), systemDpi > 0 ? static_cast<unsigned>(systemDpi) : 0, ThreadAwareness());
    return POINT{logical.x, logical.y};
}

void MarkTrayIconGone() {
    trayIconShown = false;
    trayIconPixels = 0;
    shownTip[0] = '\0';
}

// Asks the shell for version 4 of the icon's messages, which say where the icon is and
// come from the keyboard too. A shell that refuses stays at version 0.
unsigned DeclareTrayVersion() {
    TrayIconData record = TrayIconRecord(0, nullptr);
    record.fields.uVersion = kTrayVersion4;
    return NotifyTray(NIM_SETVERSION, record) ? kTrayVersion4 : kTrayVersionClassic;
}

} // namespace

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
    TrayIconData record = TrayIconRecord(NIF_MESSAGE | NIF_ICON | NIF_TIP, kProgramTitle);
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

// The shell is told to let the icon go; its picture and tip are gone with it.
void RemoveTrayIcon() {
    TrayIconData record = TrayIconRecord(0, nullptr);
    NotifyTray(NIM_DELETE, record);
    MarkTrayIconGone();
}

// The focus back to the notification area, where the keyboard was.
void ReturnFocusToTray() {
    TrayIconData record = TrayIconRecord(0, nullptr);
    NotifyTray(NIM_SETFOCUS, record);
}

TrayRequest ReadIconMessage(WPARAM wParam, LPARAM lParam) {
    TrayRequest request = ReadTrayMessage(trayVersion, wParam, lParam, lastTrayEvent);
    if (request.event != 0) {
        lastTrayEvent = request.event;
    }
    return request;
}

// Where the menu asked for opens, in this program's own pixels. For a click, where the
// pointer was: the position of the message when it came through the queue, else (a shell
// sends these messages, and a sent message has no position of its own: GetMessagePos
// would tell the last queued message's) where the pointer is now, by the icon. Windows
// gives either in the program's coordinates at any scaling. For the keyboard, the shell's anchor, the icon:
// at version 4 it comes in physical pixels, which a program unaware of per-monitor scaling would take for its
// own and put the menu at the anchor times the scale, at an edge or on another monitor. Windows 8.1 and later
// convert it; Windows 7 and 8 have no per-monitor scaling and no such conversion, and the anchor is taken as
// it comes.
POINT TrayMenuPoint(const TrayRequest& request) {
    if (!request.byKeyboard) {
        if (!InSendMessage()) {
            DWORD position = GetMessagePos();
            return POINT{static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position))};
        }
        POINT pointer{request.anchor.x, request.anchor.y};
        GetCursorPos(&pointer);
        return pointer;
    }
    POINT anchor{request.anchor.x, request.anchor.y};
    auto toLogical = FindSystemFunction<PhysicalToLogicalPointProc>("user32.dll",
                                                                    "PhysicalToLogicalPointForPerMonitorDPI");
    if (toLogical == nullptr) {
        return anchor;
    }
    POINT converted = anchor;
    return toLogical(appState.mainWindow, &converted) ? converted : ConvertAnchor(request.anchor);
}
