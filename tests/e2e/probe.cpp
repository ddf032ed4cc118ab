// A small helper for the end-to-end tests: it looks at the running program from the
// outside (its window, the tray, the screen) and sends it messages as the shell or
// another program would. One command per call; prints what it found, and exits with 0
// when the command succeeded, 1 when what it looked for is not there, 2 on misuse.
//
//   probe window                      "window L T R B visible|hidden" of the main window
//   probe wait-window MS              until the main window exists
//   probe wait-hidden MS              until the main window exists and is hidden
//   probe wait-gone MS                until no main window exists
//   probe wait-dialog MS              until the properties dialog is visible
//   probe dialogs                     "dialogs N": how many properties dialogs are visible
//   probe close-dialog                presses the dialog's "Chiudi"
//   probe dialog-rounds N             N times: opens the dialog by the tray icon's double click,
//                                     moves the pointer a little and closes it again
//   probe wait-menu MS                until a pop-up menu is visible; prints its rectangle
//   probe wait-no-menu MS             until no pop-up menu is visible
//   probe post|send NAME [W [L]]      a message to the main window (send prints the result)
//   probe broadcast-taskbar           "TaskbarCreated" to every top-level window, as the shell does
//   probe delete-icon                 removes the program's tray icon behind its back
//   probe taskbar                     "taskbar visible|hidden WORKAREA-BOTTOM"
//   probe windows                     "windows N icons M": how many main windows exist, hidden or
//                                     not, and how many of them have a tray icon
//   probe starting-copy MS            plays a copy in its start-up: holds the instance mutex, shows its
//                                     window only after MS, and waits for a hand-over
//   probe ending-copy MS              plays a copy in its shut-down: its window marked as ending,
//                                     holds the instance mutex for MS more and counts hand-overs
//   probe crashed-copy MS             holds the instance mutex for MS, then ends without letting go
//   probe deaf-copy MS                plays a copy that hangs: its window takes no close, for MS
//   probe refuse-tray MS              plays a shell that is not ready: refuses every icon for MS
//   probe linger                      keeps the prefix's desktop up until it is ended
//   probe calibration                 what the display reports: HORZSIZE VERTSIZE HORZRES VERTRES
//   probe find-picture EXE ID L T R B where picture ID of EXE shows unchanged inside the rectangle
//   probe splash-mismatch EXE         pixels of the splash window that differ from picture 102
//   probe monitors                    "monitor L T R B" for each monitor, as Windows lists them
//   probe cover                       a window over every monitor, until it is ended: without a
//                                     virtual desktop a low-level hook hears only moves over windows
//   probe change-display W H          the display mode W x H, as a user's display settings would
//   probe restore-display             the display mode of the registry again
#include <windows.h>

#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>

#include "shell/SingleInstance.h"
#include "tests/support/WinTestSupport.h"

namespace {

const char kClass[] = "Skittera";

HWND MainWindow() { return FindWindowA(kClass, nullptr); }

// The running copy's main window; null, and a line "absent" that says so, when there is none.
HWND RunningWindow() {
    HWND window = MainWindow();
    if (window == nullptr) {
        std::printf("absent\n");
    }
    return window;
}

HWND VisiblePopupMenu() { return VisibleWindow("#32768"); }

HWND VisibleDialog() { return VisibleWindow("#32770", "Skittera"); }

HWND VisibleHistoryWindow() { return VisibleWindow("#32770", "Storico"); }

struct MainWindowCount {
    int windows = 0;
    int icons = 0;
};

// Windows has no call that lists the tray's icons; an icon that exists can be changed,
// and a change that changes nothing (no flags) tells whether it is there.
bool HasTrayIcon(HWND window) {
    NOTIFYICONDATAA record{};
    record.cbSize = NOTIFYICONDATAA_V1_SIZE;
    record.hWnd = window;
    record.uID = 0;
    return Shell_NotifyIconA(NIM_MODIFY, &record) != FALSE;
}

BOOL CALLBACK CountMainWindow(HWND window, LPARAM count) {
    char className[32] = "";
    GetClassNameA(window, className, sizeof className);
    if (std::strcmp(className, kClass) == 0) {
        MainWindowCount& counted = *reinterpret_cast<MainWindowCount*>(count);
        ++counted.windows;
        counted.icons += HasTrayIcon(window) ? 1 : 0;
    }
    return TRUE;
}

BOOL CALLBACK CountDialog(HWND window, LPARAM count) {
    char title[32] = "";
    char className[32] = "";
    GetWindowTextA(window, title, sizeof title);
    GetClassNameA(window, className, sizeof className);
    if (IsWindowVisible(window) && std::strcmp(title, "Skittera") == 0 &&
        std::strcmp(className, "#32770") == 0) {
        ++*reinterpret_cast<int*>(count);
    }
    return TRUE;
}

// Stands in for a shell that is not ready for as long as asked.
int RefuseTray(const char* milliseconds) {
    RefusingTray tray;
    if (!tray.Standing()) {
        std::printf("cannot stand in for the tray\n");
        return 1;
    }
    std::printf("refusing\n");
    std::fflush(stdout);
    PumpMessagesFor(static_cast<DWORD>(std::strtoul(milliseconds, nullptr, 10)));
    return 0;
}

bool WaitFor(const char* milliseconds, const std::function<bool()>& condition) {
    return PumpUntil(static_cast<DWORD>(std::strtoul(milliseconds, nullptr, 10)), condition);
}

UINT MessageNumber(const char* name) {
    struct Named {
        const char* name;
        UINT number;
    };
    static const Named kNamed[] = {
        {"close", WM_CLOSE},
        {"quit", WM_QUIT},
        {"command", WM_COMMAND},
        {"timer", WM_TIMER},
        {"endsession", WM_ENDSESSION},
        {"queryendsession", WM_QUERYENDSESSION},
        {"powerbroadcast", WM_POWERBROADCAST},
        {"drawitem", WM_DRAWITEM},
        {"measureitem", WM_MEASUREITEM},
        {"null", WM_NULL},
    };
    if (std::strcmp(name, "tray") == 0) {
        return RegisterWindowMessageA("VELTRAC_ICON");
    }
    if (std::strcmp(name, "taskbar") == 0) {
        return RegisterWindowMessageA("TaskbarCreated");
    }
    for (const Named& named : kNamed) {
        if (std::strcmp(name, named.name) == 0) {
            return named.number;
        }
    }
    return static_cast<UINT>(std::strtoul(name, nullptr, 0));
}

// A picture from the program file's resources.
Pixels ProgramPicture(const char* exe, int id) {
    HMODULE module = LoadLibraryExA(exe, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (module == nullptr) {
        return Pixels();
    }
    Pixels picture = ResourcePixels(id, module);
    FreeLibrary(module);
    return picture;
}

int FindPicture(char** arguments) {
    Pixels picture = ProgramPicture(arguments[0], std::atoi(arguments[1]));
    if (picture.rgb.empty()) {
        std::printf("no picture %s\n", arguments[1]);
        return 2;
    }
    RECT area{std::atoi(arguments[2]), std::atoi(arguments[3]), std::atoi(arguments[4]),
              std::atoi(arguments[5])};
    Pixels screen = CaptureScreen(area);
    for (int top = 0; top + picture.height <= screen.height; ++top) {
        for (int left = 0; left + picture.width <= screen.width; ++left) {
            bool same = true;
            for (int y = 0; y < picture.height && same; ++y) {
                for (int x = 0; x < picture.width && same; ++x) {
                    same = screen.At(left + x, top + y) == picture.At(x, y);
                }
            }
            if (same) {
                std::printf("found %ld %ld\n", area.left + left, area.top + top);
                return 0;
            }
        }
    }
    std::printf("missing\n");
    return 1;
}

// The splash window shows the picture from its client area's corner, clipped by the border.
int SplashMismatch(const char* exe) {
    HWND window = RunningWindow();
    if (window == nullptr) {
        return 1;
    }
    Pixels picture = ProgramPicture(exe, 102);
    if (picture.rgb.empty()) {
        std::printf("no picture 102\n");
        return 2;
    }
    RECT client;
    GetClientRect(window, &client);
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    Pixels screen =
        CaptureScreen(RECT{origin.x, origin.y, origin.x + client.right, origin.y + client.bottom});
    int differing = 0;
    for (int y = 0; y < screen.height && y < picture.height; ++y) {
        for (int x = 0; x < screen.width && x < picture.width; ++x) {
            differing += screen.At(x, y) != picture.At(x, y);
        }
    }
    std::printf("mismatch %d of %ld\n", differing, client.right * client.bottom);
    return differing == 0 ? 0 : 1;
}

DWORD Milliseconds(const char* text) { return static_cast<DWORD>(std::strtoul(text, nullptr, 10)); }

// Holds the program's instance mutex as a copy does from its first instruction on, and
// prints "holding" once it does; null, and a line that says so, when another copy has it.
HANDLE HoldInstanceMutex() {
    HANDLE mutex = CreateMutexA(nullptr, TRUE, kInstanceMutexName);
    if (mutex != nullptr && GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(mutex);
        mutex = nullptr;
    }
    std::printf(mutex != nullptr ? "holding\n" : "the instance mutex is taken\n");
    std::fflush(stdout);
    return mutex;
}

UINT handOvers = 0;

LRESULT CALLBACK StartingCopyProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == RegisterWindowMessageA("VELTRAC_ICON") && wParam == 0 && lParam == WM_LBUTTONDBLCLK) {
        ++handOvers;
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// A hidden window of the program's class, so that a second copy finds it, that counts the
// hand-overs it is sent.
HWND CreateStandInWindow() {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = StartingCopyProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kClass;
    RegisterClassA(&windowClass);
    return CreateWindowExA(0, kClass, nullptr, WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
}

// A first copy that is still starting: it holds the mutex, and its window (of the
// program's class, so that a second copy finds it) comes only after the given time. A
// second copy started meanwhile must wait for it and hand over. Prints "handed over N"
// once the hand-over has arrived and a second more has passed (so that a repeated one
// would be counted), or "no hand-over".
int PlayStartingCopy(const char* milliseconds) {
    HANDLE mutex = HoldInstanceMutex();
    if (mutex == nullptr) {
        return 2;
    }
    PumpMessagesFor(Milliseconds(milliseconds));
    HWND window = CreateStandInWindow();
    bool arrived = PumpUntil(20000, [] { return handOvers > 0; });
    if (arrived) {
        PumpMessagesFor(1000);
    }
    std::printf(arrived ? "handed over %u\n" : "no hand-over\n", handOvers);
    DestroyWindow(window);
    ReleaseMutex(mutex);
    CloseHandle(mutex);
    return arrived ? 0 : 1;
}

// A first copy that is ending: its window is still there, marked as ending, and it holds
// the mutex a while longer (as the program does while it saves). A copy started meanwhile
// must not hand over to it, but wait for the mutex and run. Prints "ending" once the
// window is marked and, when it lets go, "handed over N".
int PlayEndingCopy(const char* milliseconds) {
    HANDLE mutex = HoldInstanceMutex();
    if (mutex == nullptr) {
        return 2;
    }
    HWND window = CreateStandInWindow();
    SetPropA(window, kEndingMark, reinterpret_cast<HANDLE>(1));
    std::printf("ending\n");
    std::fflush(stdout);
    PumpMessagesFor(Milliseconds(milliseconds));
    std::printf("handed over %u\n", handOvers);
    // The mark stays to the end, as the program's does: a window that answered again
    // for a moment before it goes would take a hand-over with it.
    DestroyWindow(window);
    ReleaseMutex(mutex);
    CloseHandle(mutex);
    return 0;
}

// A first copy that crashes in its start-up: it holds the mutex and ends without
// letting go, which leaves the mutex abandoned to whoever waits for it.
int PlayCrashedCopy(const char* milliseconds) {
    HANDLE mutex = HoldInstanceMutex();
    if (mutex == nullptr) {
        return 2;
    }
    Sleep(Milliseconds(milliseconds));
    ExitProcess(0);
}

LRESULT CALLBACK DeafCopyProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CLOSE) {
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// A copy that hangs: a window of the program's class that a close does not end, kept for
// the given time. Prints "deaf" once the window is there.
int PlayDeafCopy(const char* milliseconds) {
    HWND window = CreateStandInWindow();
    if (window == nullptr) {
        return 2;
    }
    SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(DeafCopyProc));
    std::printf("deaf\n");
    std::fflush(stdout);
    PumpMessagesFor(Milliseconds(milliseconds));
    DestroyWindow(window);
    return 0;
}

int Deliver(bool send, int count, char** arguments) {
    if (count < 1) {
        std::printf("absent\n"); // no message named
        return 1;
    }
    HWND window = RunningWindow();
    if (window == nullptr) {
        return 1;
    }
    UINT message = MessageNumber(arguments[0]);
    WPARAM wParam = count > 1 ? static_cast<WPARAM>(std::strtoull(arguments[1], nullptr, 0)) : 0;
    LPARAM lParam = count > 2 ? static_cast<LPARAM>(std::strtoll(arguments[2], nullptr, 0)) : 0;
    if (!send) {
        return PostMessageA(window, message, wParam, lParam) ? 0 : 1;
    }
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL, 5000, &result)) {
        std::printf("no answer\n");
        return 1;
    }
    std::printf("result %lu\n", static_cast<unsigned long>(result));
    return 0;
}

// Opens and closes the dialog as a user would, round after round; each round waits
// until the dialog is shown and until it is gone again.
int DialogRounds(const char* rounds) {
    HWND window = RunningWindow();
    if (window == nullptr) {
        return 1;
    }
    UINT trayMessage = MessageNumber("tray");
    long count = std::strtol(rounds, nullptr, 10);
    for (long round = 0; round < count; ++round) {
        PostMessageA(window, trayMessage, 0, WM_LBUTTONDBLCLK);
        if (!WaitFor("10000", [] { return VisibleDialog() != nullptr; })) {
            std::printf("no dialog in round %ld\n", round);
            return 1;
        }
        HWND dialog = VisibleDialog();
        for (int step = 0; step < 4; ++step) {
            SendRelativeMove(step % 2 == 0 ? 7 : -7, step % 2 == 0 ? 3 : -3);
            Sleep(30);
        }
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        if (!WaitFor("10000", [dialog] { return !IsWindow(dialog); })) {
            std::printf("the dialog stays open in round %ld\n", round);
            return 1;
        }
    }
    return 0;
}

BOOL CALLBACK PrintMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (GetMonitorInfoA(monitor, &info)) {
        std::printf("monitor %ld %ld %ld %ld\n", info.rcMonitor.left, info.rcMonitor.top,
                    info.rcMonitor.right, info.rcMonitor.bottom);
    }
    return TRUE;
}

// Without a virtual desktop Wine calls a low-level hook only for moves over its own
// windows: a plain window over the whole virtual screen, dead corners included, under
// the program's topmost splash, makes every move reach it. It pumps its messages until
// the process is ended.
int Cover() {
    WNDCLASSA coverClass{};
    coverClass.lpfnWndProc = DefWindowProcA;
    coverClass.hInstance = GetModuleHandleA(nullptr);
    coverClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
    coverClass.lpszClassName = "SkitteraTestCover";
    RegisterClassA(&coverClass);
    int left = GetSystemMetrics(SM_XVIRTUALSCREEN);
    int top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    int width = GetSystemMetrics(SM_CXVIRTUALSCREEN);
    int height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    HWND cover = CreateWindowExA(WS_EX_NOACTIVATE, coverClass.lpszClassName, nullptr, WS_POPUP | WS_VISIBLE,
                                 left, top, width, height, nullptr, nullptr, coverClass.hInstance, nullptr);
    if (cover == nullptr) {
        std::printf("cannot cover the screens\n");
        return 1;
    }
    std::printf("covering %d %d %d %d\n", left, top, left + width, top + height);
    std::fflush(stdout);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        DispatchMessageA(&message);
    }
    return 0;
}

// The program told of the new mode before the probe returns: the notice Wine sends the
// windows may still be on its way when the script's next pointer move comes, and the
// hook would measure that move on the monitors of before. A second notice only reads
// the monitors again.
int ToldOfDisplayChange(LONG result) {
    std::printf("result %ld\n", result);
    if (result != DISP_CHANGE_SUCCESSFUL) {
        return 1;
    }
    HWND window = MainWindow();
    DWORD_PTR unused = 0;
    if (window != nullptr) {
        SendMessageTimeoutA(window, WM_DISPLAYCHANGE, 32,
                            MAKELPARAM(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)),
                            SMTO_ABORTIFHUNG, 5000, &unused);
    }
    return 0;
}

int ChangeDisplay(const char* width, const char* height) {
    DEVMODEA mode{};
    mode.dmSize = sizeof mode;
    mode.dmPelsWidth = static_cast<DWORD>(std::strtoul(width, nullptr, 10));
    mode.dmPelsHeight = static_cast<DWORD>(std::strtoul(height, nullptr, 10));
    mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
    return ToldOfDisplayChange(ChangeDisplaySettingsA(&mode, 0));
}

int PrintRect(const char* what, HWND window) {
    RECT rect;
    GetWindowRect(window, &rect);
    std::printf("%s %ld %ld %ld %ld %s\n", what, rect.left, rect.top, rect.right, rect.bottom,
                IsWindowVisible(window) ? "visible" : "hidden");
    return 0;
}

// Waits for the window that the finder finds and prints its place as PrintRect does,
// named by what; "no <what>" when none came in time.
int WaitAndPrintRect(const char* wait, HWND (*find)(), const char* what) {
    if (!WaitFor(wait, [find] { return find() != nullptr; })) {
        std::printf("no %s\n", what);
        return 1;
    }
    return PrintRect(what, find());
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        return 2;
    }
    const char* command = argv[1];
    const char* wait = argc > 2 ? argv[2] : "0";
    if (std::strcmp(command, "window") == 0) {
        HWND window = RunningWindow();
        return window != nullptr ? PrintRect("window", window) : 1;
    }
    if (std::strcmp(command, "wait-window") == 0) {
        return WaitFor(wait, [] { return MainWindow() != nullptr; }) ? 0 : 1;
    }
    if (std::strcmp(command, "wait-hidden") == 0) {
        return WaitFor(wait, [] { return MainWindow() != nullptr && !IsWindowVisible(MainWindow()); }) ? 0
                                                                                                       : 1;
    }
    if (std::strcmp(command, "wait-gone") == 0) {
        return WaitFor(wait, [] { return MainWindow() == nullptr; }) ? 0 : 1;
    }
    if (std::strcmp(command, "wait-dialog") == 0) {
        return WaitAndPrintRect(wait, VisibleDialog, "dialog");
    }
    if (std::strcmp(command, "control") == 0 && argc == 3) {
        HWND control = VisibleDialog() != nullptr ? GetDlgItem(VisibleDialog(), std::atoi(argv[2])) : nullptr;
        return control != nullptr ? PrintRect("control", control) : 1;
    }
    if (std::strcmp(command, "wait-history") == 0) {
        if (!WaitFor(wait, [] { return VisibleHistoryWindow() != nullptr; })) {
            std::printf("no history window\n");
            return 1;
        }
        bool owned = GetWindow(VisibleHistoryWindow(), GW_OWNER) == VisibleDialog();
        std::printf("%s ", owned ? "owned" : "not-owned");
        return PrintRect("history", VisibleHistoryWindow());
    }
    if (std::strcmp(command, "wait-no-history") == 0) {
        return WaitFor(wait, [] { return VisibleHistoryWindow() == nullptr; }) ? 0 : 1;
    }
    if (std::strcmp(command, "dialogs") == 0) {
        int count = 0;
        EnumWindows(CountDialog, reinterpret_cast<LPARAM>(&count));
        std::printf("dialogs %d\n", count);
        return 0;
    }
    if (std::strcmp(command, "close-dialog") == 0) {
        HWND dialog = VisibleDialog();
        return dialog != nullptr && PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0) ? 0 : 1;
    }
    if (std::strcmp(command, "dialog-rounds") == 0 && argc == 3) {
        return DialogRounds(argv[2]);
    }
    if (std::strcmp(command, "wait-menu") == 0) {
        return WaitAndPrintRect(wait, VisiblePopupMenu, "menu");
    }
    if (std::strcmp(command, "wait-no-menu") == 0) {
        return WaitFor(wait, [] { return VisiblePopupMenu() == nullptr; }) ? 0 : 1;
    }
    if (std::strcmp(command, "post") == 0 || std::strcmp(command, "send") == 0) {
        return Deliver(command[0] == 's', argc - 2, argv + 2);
    }
    if (std::strcmp(command, "broadcast-taskbar") == 0) {
        return SendNotifyMessageA(HWND_BROADCAST, RegisterWindowMessageA("TaskbarCreated"), 0, 0) ? 0 : 1;
    }
    if (std::strcmp(command, "delete-icon") == 0) {
        NOTIFYICONDATAA record{};
        record.cbSize = NOTIFYICONDATAA_V1_SIZE;
        record.hWnd = MainWindow();
        record.uID = 0;
        return Shell_NotifyIconA(NIM_DELETE, &record) ? 0 : 1;
    }
    if (std::strcmp(command, "taskbar") == 0) {
        HWND taskbar = FindWindowA("Shell_TrayWnd", nullptr);
        RECT workArea{};
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &workArea, 0);
        std::printf("taskbar %s %ld\n", taskbar != nullptr && IsWindowVisible(taskbar) ? "visible" : "hidden",
                    workArea.bottom);
        return 0;
    }
    if (std::strcmp(command, "windows") == 0) {
        MainWindowCount count;
        EnumWindows(CountMainWindow, reinterpret_cast<LPARAM>(&count));
        std::printf("windows %d icons %d\n", count.windows, count.icons);
        return 0;
    }
    if (std::strcmp(command, "starting-copy") == 0 && argc == 3) {
        return PlayStartingCopy(argv[2]);
    }
    if (std::strcmp(command, "ending-copy") == 0 && argc == 3) {
        return PlayEndingCopy(argv[2]);
    }
    if (std::strcmp(command, "crashed-copy") == 0 && argc == 3) {
        return PlayCrashedCopy(argv[2]);
    }
    if (std::strcmp(command, "deaf-copy") == 0 && argc == 3) {
        return PlayDeafCopy(argv[2]);
    }
    if (std::strcmp(command, "refuse-tray") == 0 && argc == 3) {
        return RefuseTray(argv[2]);
    }
    if (std::strcmp(command, "linger") == 0) {
        // Asking for the desktop window brings the prefix's desktop up; it then stays
        // as long as this process does.
        GetDesktopWindow();
        Sleep(INFINITE);
        return 0;
    }
    if (std::strcmp(command, "calibration") == 0) {
        HDC screen = CreateCompatibleDC(nullptr);
        std::printf("calibration %d %d %d %d\n", GetDeviceCaps(screen, HORZSIZE),
                    GetDeviceCaps(screen, VERTSIZE), GetDeviceCaps(screen, HORZRES),
                    GetDeviceCaps(screen, VERTRES));
        DeleteDC(screen);
        return 0;
    }
    if (std::strcmp(command, "monitors") == 0) {
        return EnumDisplayMonitors(nullptr, nullptr, PrintMonitor, 0) ? 0 : 1;
    }
    if (std::strcmp(command, "cover") == 0) {
        return Cover();
    }
    if (std::strcmp(command, "change-display") == 0 && argc == 4) {
        return ChangeDisplay(argv[2], argv[3]);
    }
    if (std::strcmp(command, "restore-display") == 0) {
        return ToldOfDisplayChange(ChangeDisplaySettingsA(nullptr, 0));
    }
    if (std::strcmp(command, "find-picture") == 0 && argc == 8) {
        return FindPicture(argv + 2);
    }
    if (std::strcmp(command, "splash-mismatch") == 0 && argc == 3) {
        return SplashMismatch(argv[2]);
    }
    return 2;
}
