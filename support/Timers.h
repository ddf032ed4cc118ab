// Window timers that let Windows fire them together with others (Windows 8 and later),
// so that an idle machine wakes less often for them.
#ifndef SKITTERA_SUPPORT_TIMERS_H
#define SKITTERA_SUPPORT_TIMERS_H

#include <windows.h>

// A tenth of the period as tolerance: a 5-second tick may come up to half a second late,
// which nothing it does minds. Where the system has no coalescing, a plain timer.
// Returns what SetTimer returns.
UINT_PTR SetTolerantTimer(HWND window, UINT_PTR id, UINT periodMs);

// The tolerance that SetTolerantTimer asks for.
constexpr ULONG TimerTolerance(UINT periodMs) { return periodMs / 10; }

#endif
