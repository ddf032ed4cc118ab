// WinMain and the steps around the message loop: the single-instance test and the
// hand-over to a running instance, the platform check, start-up (settings,
// calibration, window class, splash, tray icon, pointer hook) and the message loop.
#include "shell/Main.h"

#include "engine/DisplayTexts.h"
#include "engine/Odometer.h"
#include "engine/StartRules.h"
#include "engine/UserTexts.h"
#include "measuring/Displays.h"
#include "measuring/Globals.h"
#include "measuring/MeasurementLock.h"
#include "measuring/PointerHook.h"
#include "measuring/StoredSettings.h"
#include "resources/resource.h"
#include "settings/RestartRegistration.h"
#include "settings/Settings.h"
#include "shell/Integrity.h"
#include "shell/MainWindow.h"
#include "shell/SingleInstance.h"
#include "shell/TrayIcon.h"
#include "support/GdiTally.h"
#include "support/SystemFunction.h"
#include "support/Timers.h"

namespace {

// The picture is copied onto the window once; it has no paint handling of its own.
// Without the picture the splash shows the window's white background.
void PaintSplash() {
    HBITMAP picture = TallyLoadBitmap(appState.instanceHandle, IDB_SPLASH);
    if (picture == nullptr) {
        return;
    }
    HDC window = GetDC(appState.mainWindow);
    HDC memory = TallyCreateCompatibleDC(window);
    HGDIOBJ previous = SelectObject(memory, picture);
    BitBlt(window, 0, 0, kSplashWidth, kSplashHeight, memory, 0, 0, SRCCOPY);
    SelectObject(memory, previous);
    TallyDeleteObject(picture);
    TallyDeleteDC(memory);
    ReleaseDC(appState.mainWindow, window);
}

// The program from the platform check to the end of the message loop. Returns the
// exit code.
int RunInstance(HINSTANCE instance) {
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    if (!GetVersionExA(&version)) {
        return 0;
    }
    if (!IsSupportedPlatform(version.dwPlatformId)) {
        MessageBoxA(nullptr, kUnsupportedPlatformText, kUnsupportedPlatformTitle, MB_ICONERROR);
        return 0;
    }

    ResetApplicationState(appState);
    if (!InitApplication(instance)) {
        return 0;
    }
    if (!InitInstance(instance)) {
        return 0;
    }
    appState.splashShowing = 1;
    SetTolerantTimer(appState.mainWindow, kMainTimer, kSplashTimerMs);
    return RunMessageLoop();
}

// The primary screen's work area; the whole screen when it cannot be read.
ScreenRect WorkArea() {
    RECT area{0, 0, 0, 0};
    if (!SystemParametersInfoA(SPI_GETWORKAREA, sizeof area, &area, 0)) {
        area.right = GetSystemMetrics(SM_CXSCREEN);
        area.bottom = GetSystemMetrics(SM_CYSCREEN);
    }
    return ScreenRect{area.left, area.top, area.right, area.bottom};
}

} // namespace

// Lets no DLL that the program or a system DLL loads by bare name come from the
// program's folder or the current one: only System32 is searched. Windows 8 and later
// have SetDefaultDllDirectories, Windows 7 only with KB2533623, so it is looked up at
// run time; where it is missing nothing changes. Returns true when the search was
// narrowed.
bool LimitDllSearchToSystem() {
    constexpr DWORD kSearchSystem32 = 0x00000800; // LOAD_LIBRARY_SEARCH_SYSTEM32
    using SetDefaultDllDirectoriesProc = BOOL(WINAPI*)(DWORD);
    auto limit = FindSystemFunction<SetDefaultDllDirectoriesProc>("kernel32.dll", "SetDefaultDllDirectories");
    return limit != nullptr && limit(kSearchSystem32) != FALSE;
}

// Defaults, the stored settings, the calibration and the window class. Returns the
// class atom, 0 when the class cannot be registered.
int InitApplication(HINSTANCE instance) {
    appState.runAtStartup = 0;
    appState.dialogOpen = 0;
    ModifyMeasurement([](OdometerState& measurement) {
        measurement.distanceCm = 0;
        measurement.hasPrevious = false;
        measurement.unitDivisor = kCentimetres;
        measurement.currentSpeed = 0;
        measurement.maxSpeed = 0;
    });
    LoadSettings();
    // Windows brings the program back after a restart for updates only while its log-on
    // entry would not.
    UpdateRestartRegistration(appState.runAtStartup, LookUpRestartCalls());

    WNDCLASSA windowClass{};
    windowClass.style = 0;
    windowClass.lpfnWndProc = MainWindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    windowClass.lpszClassName = kMainWindowClass;

    CalibrateDisplays();
    return RegisterClassA(&windowClass);
}

// The splash window (which later stays hidden as the main window), the tray icon and
// the pointer hook. Returns 0 when the window cannot be created.
int InitInstance(HINSTANCE instance) {
    ScreenRect workArea = WorkArea();
    appState.instanceHandle = instance;
    PixelPoint origin = SplashOrigin(workArea);
    // A tool window: the splash shows at every log-on, and is to put no button on the
    // taskbar and no entry in Alt+Tab for its few seconds.
    appState.mainWindow = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kMainWindowClass, nullptr,
                                          WS_POPUP | WS_VISIBLE | WS_BORDER, origin.x, origin.y, kSplashWidth,
                                          kSplashHeight, nullptr, nullptr, instance, nullptr);
    if (appState.mainWindow == nullptr) {
        return 0;
    }
    PaintSplash();
    // An elevated copy hears the shell (a new taskbar, clicks on its icon) all the same.
    AllowShellMessages(appState.mainWindow);
    AddTrayIcon();
    TickCount now = GetTickCount();
    ModifyMeasurement([now](OdometerState& measurement) { StartMeasuring(measurement, now); });
    InstallHook();
    StartHousekeeping(now);
    return 1;
}

// Runs until the quit message. A quit posted from outside ends the loop without the
// Exit command; the settings are saved all the same. Returns the exit code, 1.
int RunMessageLoop() {
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        // The program sets no timer with a callback. DispatchMessage would call the
        // address in a WM_TIMER's lParam, so one posted from outside goes no further.
        if (message.message == WM_TIMER && message.lParam != 0) {
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    ShutdownApplication();
    return 1;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    LimitDllSearchToSystem();
    if (!BecomeTheRunningInstance()) {
        LeaveInstanceMutex();
        return 0;
    }
    int exitCode = RunInstance(instance);
    LeaveInstanceMutex();
    return exitCode;
}
