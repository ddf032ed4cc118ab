#include "support/Timers.h"

namespace {

using SetCoalescableTimerProc = UINT_PTR(WINAPI*)(HWND, UINT_PTR, UINT, TIMERPROC, ULONG);

SetCoalescableTimerProc CoalescableTimerSetter() {
    HMODULE user32 = GetModuleHandleA("user32.dll");
    if (user32 == nullptr) {
        return nullptr;
    }
    // Through a plain function pointer type: the address is of the documented signature.
    auto address = reinterpret_cast<void (*)()>(GetProcAddress(user32, "SetCoalescableTimer"));
    return reinterpret_cast<SetCoalescableTimerProc>(address);
}

} // namespace

UINT_PTR SetTolerantTimer(HWND window, UINT_PTR id, UINT periodMs) {
    SetCoalescableTimerProc setCoalescable = CoalescableTimerSetter(); // timers are set seldom
    if (setCoalescable != nullptr) {
        UINT_PTR timer = setCoalescable(window, id, periodMs, nullptr, TimerTolerance(periodMs));
        if (timer != 0) {
            return timer;
        }
    }
    return SetTimer(window, id, periodMs, nullptr);
}
