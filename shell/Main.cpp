// WinMain and the steps around the message loop: the single-instance test and the
// hand-over to a running instance, the platform check, start-up (settings,
// calibration, window class, splash, tray icon, pointer hook) and the message loop.
#include "shell/Main.h"

#include "engine/DisplayTexts.h"
#include "engine/Odometer.h"
#include "resources/resource.h"
#include "settings/Settings.h"
#include "shell/Displays.h"
#include "shell/Globals.h"
#include "shell/MainWindow.h"
#include "shell/MeasurementLock.h"
#include "shell/PointerHook.h"
#include "shell/ShellRules.h"
#include "support/GdiTally.h"

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

// How long a second copy waits for the running copy's window, polling every so often.
// The running copy creates it a moment after it has taken the mutex; the wait only has
// to cover a start-up slowed down by a busy machine.
constexpr DWORD kWaitForRunningCopyMs = 10000;
constexpr DWORD kPollRunningCopyMs = 50;

// The instance mutex, owned by this copy from start to exit; null in a copy that did
// not take it.
HANDLE instanceMutex = nullptr;

// Takes the mutex when nobody holds it. WAIT_ABANDONED means that the copy which held
// it ended without letting go (it crashed or was killed): the mutex is ours all the
// same, and this copy is now the running one.
bool TakeInstanceMutex(HANDLE mutex, DWORD milliseconds) {
    DWORD result = WaitForSingleObject(mutex, milliseconds);
    return result == WAIT_OBJECT_0 || result == WAIT_ABANDONED;
}

// The running copy takes this as a double click on its icon and opens its dialog,
// unless that is open already. Returns 1 when there was a copy to hand over to.
int HandOverToRunningInstance() {
    if (!ActivateRunningInstance()) {
        return 0;
    }
    HWND running = FindWindowA(kMainWindowClass, nullptr);
    if (running != nullptr) {
        PostMessageA(running, trayMessage, 0, WM_LBUTTONDBLCLK);
    }
    return 1;
}

// Decides, first thing, whether this copy runs. The named mutex makes the test
// race-free: of copies that start together exactly one takes it, however close their
// starts. Another copy that holds it may still be starting, before its window exists:
// the hand-over then waits for that window, a bounded time. Should the other copy end
// meanwhile, this one takes the mutex and runs. Returns 1 when this copy is to run.
int BecomeTheRunningInstance() {
    instanceMutex = CreateMutexA(nullptr, FALSE, kInstanceMutexName);
    if (instanceMutex == nullptr) {
        // No mutex to be had (another account's copy in this session holds the name):
        // the window is the only sign left.
        return HandOverToRunningInstance() ? 0 : 1;
    }
    DWORD start = GetTickCount();
    while (!TakeInstanceMutex(instanceMutex, 0)) {
        if (HandOverToRunningInstance()) {
            return 0;
        }
        if (TakeInstanceMutex(instanceMutex, kPollRunningCopyMs)) {
            break;
        }
        if (GetTickCount() - start >= kWaitForRunningCopyMs) {
            // A copy holds the mutex but shows no window: it hangs in its start-up.
            // Running beside it would make two; there is nobody to hand over to.
            CloseHandle(instanceMutex);
            instanceMutex = nullptr;
            return 0;
        }
    }
    // An older build that knows no mutex may be running all the same.
    if (HandOverToRunningInstance()) {
        return 0;
    }
    return 1;
}

// Lets the next copy run: after the settings are saved, so that it reads them. A copy
// that does not own the mutex only closes its handle.
void LeaveInstanceMutex() {
    if (instanceMutex != nullptr) {
        ReleaseMutex(instanceMutex);
        CloseHandle(instanceMutex);
        instanceMutex = nullptr;
    }
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
        MessageBoxA(nullptr, "This program requires Windows 95.", "Error", MB_ICONERROR);
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
    SetTimer(appState.mainWindow, kMainTimer, kSplashTimerMs, nullptr);
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

// Brings a running instance forward: its last active pop-up (the open dialog) or its
// main window. Returns 1 when there is one.
int ActivateRunningInstance() {
    HWND running = FindWindowA(kMainWindowClass, nullptr);
    if (running == nullptr) {
        return 0;
    }
    HWND popup = GetLastActivePopup(running);
    SetForegroundWindow(popup != nullptr ? popup : running);
    return 1;
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
    appState.mainWindow =
        CreateWindowExA(WS_EX_TOPMOST, kMainWindowClass, nullptr, WS_POPUP | WS_VISIBLE | WS_BORDER, origin.x,
                        origin.y, kSplashWidth, kSplashHeight, nullptr, nullptr, instance, nullptr);
    if (appState.mainWindow == nullptr) {
        return 0;
    }
    PaintSplash();
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
    if (!BecomeTheRunningInstance()) {
        LeaveInstanceMutex();
        return 0;
    }
    int exitCode = RunInstance(instance);
    LeaveInstanceMutex();
    return exitCode;
}
