#include "measuring/PointerHook.h"

#include <process.h>

#include <atomic>

#include "engine/DayRecord.h"
#include "engine/Monitors.h"
#include "engine/Odometer.h"
#include "measuring/Globals.h"
#include "measuring/MeasurementLock.h"

SpeedSampleWindow hookSamples;

namespace {

// A thread message: take the hook out of the input stream and put it in again.
constexpr UINT kRenewHookMessage = WM_APP + 1;
// How long the main thread waits for the hook thread to start, renew its hook or end.
// It answers within microseconds; the bound is only there so that nothing can hang.
constexpr DWORD kHookThreadAnswerMs = 5000;

std::atomic<HookKind> hookKind{HookKind::None};
std::atomic<unsigned long> hookEvents{0};

// The hook thread and the event by which it answers the main thread. Only the main
// thread starts and stops it.
HANDLE hookThread = nullptr;
DWORD hookThreadId = 0;
HANDLE hookAnswered = nullptr;
// Set when no thread could be made: the hook then lives on the main thread, as a last
// resort that still counts.
bool hookOnMainThread = false;

// Journal-record hooks are refused since Windows Vista unless the program has
// UIAccess, are gone in Windows 11, and Wine accepts one but never calls it: the
// counter would stand still while everything looks fine. A low-level mouse hook works
// everywhere from Windows 2000 on, so it comes first. Both kinds are called on the
// thread that installs them, while it waits for messages.
void InstallOnThisThread() {
    HINSTANCE module = GetModuleHandleA(nullptr);
    appState.hookHandle = SetWindowsHookExA(WH_MOUSE_LL, LowLevelMouseProc, module, 0);
    if (appState.hookHandle != nullptr) {
        hookKind = HookKind::LowLevelMouse;
        return;
    }
    appState.hookHandle = SetWindowsHookExA(WH_JOURNALRECORD, JournalRecordProc, module, 0);
    hookKind = appState.hookHandle != nullptr ? HookKind::JournalRecord : HookKind::None;
}

// The handle is cleared so that nothing passes a stale hook on.
void RemoveFromThisThread() {
    if (appState.hookHandle != nullptr) {
        UnhookWindowsHookEx(appState.hookHandle);
    }
    appState.hookHandle = nullptr;
    hookKind = HookKind::None;
}

// The hook thread does nothing but wait for messages, so that the system finds it
// ready at every input event whatever the windows on the main thread are doing: a
// hook on a busy thread holds up the whole desktop's pointer, and Windows drops a
// low-level hook that keeps it waiting too long. The hook is installed, renewed and
// removed here, on the thread it is called on.
unsigned __stdcall HookThreadMain(void*) {
    MSG message;
    // Makes this thread's message queue, so that the main thread's posts reach it.
    PeekMessageA(&message, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
    // Every pointer move of the desktop waits for this thread: it must get the
    // processor at once, and it gives it back within microseconds.
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL);
    InstallOnThisThread();
    SetEvent(hookAnswered);
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (message.hwnd == nullptr && message.message == kRenewHookMessage) {
            RemoveFromThisThread();
            InstallOnThisThread();
            SetEvent(hookAnswered);
        }
    }
    RemoveFromThisThread();
    return 0;
}

bool StartHookThread() {
    if (hookAnswered == nullptr) {
        hookAnswered = CreateEventA(nullptr, FALSE, FALSE, nullptr);
        if (hookAnswered == nullptr) {
            return false;
        }
    }
    ResetEvent(hookAnswered);
    unsigned threadId = 0;
    uintptr_t thread = _beginthreadex(nullptr, 0, HookThreadMain, nullptr, 0, &threadId);
    if (thread == 0) {
        return false;
    }
    hookThread = reinterpret_cast<HANDLE>(thread);
    hookThreadId = threadId;
    WaitForSingleObject(hookAnswered, kHookThreadAnswerMs);
    return true;
}

} // namespace

// The monitors as calibration found them (Displays.cpp), in the hook's physical
// pixels; the measuring step starts afresh with the next pointer move. A table equal to
// the one in force is left alone: announcements that changed nothing (the taskbar's
// work area, a colour depth) cost no pointer move.
void ApplyMonitorLayout(const MonitorLayout& layout) {
    ModifyMeasurement([&layout](OdometerState& measurement) {
        if (!SameMonitorLayout(layout, measurement.layout)) {
            SetMonitorLayout(measurement, layout);
        }
    });
}

// Called by the main thread. Starts the hook thread, which installs the hook, or asks
// the running one to renew its hook (which brings back one that the platform
// dropped); either way it returns once the hook thread has answered.
void InstallHook() {
    if (hookThread != nullptr && WaitForSingleObject(hookThread, 0) == WAIT_OBJECT_0) {
        // The thread has ended (it never should): a new one takes over.
        CloseHandle(hookThread);
        hookThread = nullptr;
        hookThreadId = 0;
    }
    if (hookThread != nullptr) {
        ResetEvent(hookAnswered);
        if (PostThreadMessageA(hookThreadId, kRenewHookMessage, 0, 0)) {
            WaitForSingleObject(hookAnswered, kHookThreadAnswerMs);
        }
        return;
    }
    if (hookOnMainThread) {
        RemoveFromThisThread();
        InstallOnThisThread();
        return;
    }
    if (!StartHookThread()) {
        hookOnMainThread = true;
        InstallOnThisThread();
    }
}

// Called by the main thread: the hook thread unhooks and ends. Once it has, the
// measurement is the main thread's alone.
void RemoveHook() {
    if (hookOnMainThread) {
        RemoveFromThisThread();
        hookOnMainThread = false;
        return;
    }
    if (hookThread == nullptr) {
        return;
    }
    PostThreadMessageA(hookThreadId, WM_QUIT, 0, 0);
    // A thread that does not end in time (it never should) is left to the end of the
    // process, which takes its hook out of the input stream too.
    WaitForSingleObject(hookThread, kHookThreadAnswerMs);
    CloseHandle(hookThread);
    hookThread = nullptr;
    hookThreadId = 0;
}

HookKind InstalledHookKind() { return hookKind; }

bool HookRunsOnItsOwnThread() { return hookThread != nullptr; }

unsigned long HookEventsSeen() { return hookEvents.load(std::memory_order_relaxed); }

// Called for every pointer event of the desktop, on the hook thread, while it waits
// for messages. The position comes from the event itself: inside the hook
// GetCursorPos still holds the previous position. At a screen edge the event's point
// can lie beyond every monitor (the pointer is stopped there afterwards); the measuring
// step takes it to the nearest monitor. Nothing but the measuring step runs under the
// lock.
LRESULT CALLBACK LowLevelMouseProc(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && hookSamples.hookBusy == 0 && lParam != 0) {
        hookSamples.hookBusy = 1;
        hookEvents.fetch_add(1, std::memory_order_relaxed);
        const MSLLHOOKSTRUCT* event = reinterpret_cast<const MSLLHOOKSTRUCT*>(lParam);
        unsigned message = static_cast<unsigned>(wParam);
        // A pointer move needs the clock and the lock; a press or a turn of a wheel only
        // the lock; everything else passes straight on. The clock is read before the lock,
        // so the dialog may set a later speed reference in between; the engine counts such
        // a sample as no time.
        if (IsPointerMoveEvent(code, message)) {
            TickCount now = GetTickCount();
            PixelPoint position{event->pt.x, event->pt.y};
            MeasurementGuard guard;
            MeasurePointerEvent(appState, hookSamples, code, message, &position, now);
        } else if (IsDayEvent(code, message)) {
            // A wheel's delta is the signed high word of mouseData.
            int wheelDelta = static_cast<short>(HIWORD(event->mouseData));
            MeasurementGuard guard;
            CountDayEvent(appState, code, message, wheelDelta);
        }
        hookSamples.hookBusy = 0;
    }
    return CallNextHookEx(appState.hookHandle, code, wParam, lParam);
}

// The fallback hook, for where no low-level hook is granted. The event goes on to the
// next hook before the program looks at it, and the position is read with
// GetCursorPos; a nested call while busy is not passed on.
LRESULT CALLBACK JournalRecordProc(int code, WPARAM wParam, LPARAM lParam) {
    if (hookSamples.hookBusy != 0) {
        return 0;
    }
    LRESULT result = CallNextHookEx(appState.hookHandle, code, wParam, lParam);
    hookSamples.hookBusy = 1;
    const EVENTMSG* event = reinterpret_cast<const EVENTMSG*>(lParam);
    if (code == HC_ACTION && event != nullptr) {
        hookEvents.fetch_add(1, std::memory_order_relaxed);
        POINT cursor;
        // An event whose position cannot be read is skipped rather than measured from
        // an undefined point.
        if (IsPointerMoveEvent(code, event->message) && GetCursorPos(&cursor)) {
            TickCount now = GetTickCount();
            PixelPoint position{cursor.x, cursor.y};
            MeasurementGuard guard;
            MeasurePointerEvent(appState, hookSamples, code, event->message, &position, now);
        } else if (IsDayEvent(code, event->message)) {
            // A journal record carries the pointer's position but no documented wheel
            // delta: each wheel message it records counts as one notch, the size of a
            // message from an ordinary wheel.
            MeasurementGuard guard;
            CountDayEvent(appState, code, event->message, kWheelUnitsPerNotch);
        }
    }
    hookSamples.hookBusy = 0;
    return result;
}
