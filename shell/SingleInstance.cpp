// One copy runs per session: the single-instance test, the hand-over to a running copy
// and the mark of a copy that is ending.
#include "shell/SingleInstance.h"

#include "engine/StartRules.h"
#include "engine/UserTexts.h"
#include "shell/Integrity.h"
#include "shell/TrayIcon.h"

namespace {

// How often a second copy looks again for the running copy's window or the mutex. The
// running copy creates its window a moment after it has taken the mutex, and lets go of
// the mutex a moment after its window stopped answering; the whole wait is bounded
// (kWaitForRunningCopyMs).
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

// The running copy takes this as a double click on its icon and brings its dialog
// forward, opening it when it is not open yet. A copy at another integrity level (one of
// the two runs as administrator) is not driven from here: an elevated copy is not to take
// orders from a normal program, and a normal one's window would take none from an
// elevated copy anyway. The user is told where the running copy is instead.
void HandOverTo(HWND running) {
    if (!SameIntegrityAs(running)) {
        MessageBoxA(nullptr, kOtherPrivilegesText, kProgramTitle, MB_OK | MB_ICONINFORMATION);
        return;
    }
    BringForward(running);
    PostMessageA(running, trayMessage, 0, WM_LBUTTONDBLCLK);
}

} // namespace

// Decides, first thing, whether this copy runs. The named mutex makes the test
// race-free: of copies that start together exactly one takes it, however close their
// starts. Another copy that holds it may still be starting, before its window exists,
// or ending, after its window stopped answering: this copy then waits, a bounded time,
// for that window or for the mutex. Returns 1 when this copy is to run.
int BecomeTheRunningInstance() {
    instanceMutex = CreateMutexA(nullptr, FALSE, kInstanceMutexName);
    if (instanceMutex == nullptr) {
        // No mutex to be had (another account's copy in this session holds the name):
        // the window is the only sign left.
        HWND running = FindRunningCopy();
        if (running == nullptr) {
            return 1;
        }
        HandOverTo(running);
        return 0;
    }
    DWORD start = GetTickCount();
    bool holdsMutex = TakeInstanceMutex(instanceMutex, 0);
    for (;;) {
        HWND running = FindRunningCopy();
        switch (NextStartStep(holdsMutex, running != nullptr, GetTickCount() - start)) {
        case StartStep::Run:
            return 1;
        case StartStep::HandOver:
            HandOverTo(running);
            return 0;
        case StartStep::GiveUp:
            CloseHandle(instanceMutex);
            instanceMutex = nullptr;
            return 0;
        case StartStep::Wait:
            holdsMutex = TakeInstanceMutex(instanceMutex, kPollRunningCopyMs);
            break;
        }
    }
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

// The main window of a copy that answers as the running one: a copy whose shut-down
// has begun marks its window as ending and is passed over. Null when there is none.
HWND FindRunningCopy() {
    HWND window = nullptr;
    while ((window = FindWindowExA(nullptr, window, kMainWindowClass, nullptr)) != nullptr) {
        if (GetPropA(window, kEndingMark) == nullptr) {
            return window;
        }
    }
    return nullptr;
}

// Brings a running copy's window forward: its last active pop-up (the open dialog, or
// the history window in front of it) or the main window itself.
void BringForward(HWND running) {
    HWND popup = GetLastActivePopup(running);
    HWND front = popup != nullptr ? popup : running;
    HWND inFront = GetLastActivePopup(front);
    if (inFront != nullptr) {
        front = inFront;
    }
    SetForegroundWindow(front);
}

// Brings a running instance forward. Returns 1 when there is one.
int ActivateRunningInstance() {
    HWND running = FindRunningCopy();
    if (running == nullptr) {
        return 0;
    }
    BringForward(running);
    return 1;
}
