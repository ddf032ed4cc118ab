#include "support/Timers.h"

#include "support/SystemFunction.h"

namespace {

using SetCoalescableTimerProc = UINT_PTR(WINAPI*)(HWND, UINT_PTR, UINT, TIMERPROC, ULONG);

} // namespace

UINT_PTR SetTolerantTimer(HWND window, UINT_PTR id, UINT periodMs) {
    // Windows 8 and later; timers are set seldom, so it is looked up each time.
    auto setCoalescable = FindSystemFunction<SetCoalescableTimerProc>("user32.dll", "SetCoalescableTimer");
    if (setCoalescable != nullptr) {
        UINT_PTR timer = setCoalescable(window, id, periodMs, nullptr, TimerTolerance(periodMs));
        if (timer != 0) {
            return timer;
        }
    }
    return SetTimer(window, id, periodMs, nullptr);
}
