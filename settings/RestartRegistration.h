// The program's registration for a restart by Windows: after a restart for updates,
// Windows brings back the programs that registered while they ran. The log-on entry
// brings the program back by itself, and a second start would open its dialog, so the
// program registers only while its entry is off.
#ifndef SKITTERA_SETTINGS_RESTARTREGISTRATION_H
#define SKITTERA_SETTINGS_RESTARTREGISTRATION_H

#include <windows.h>

// RegisterApplicationRestart's flags (Windows Vista and later): no restart after a crash
// or a hang. The registration stands in for the log-on entry, which brings the program
// back after a restart of Windows and never after a crash; a program that crashed once
// is not started again to crash again. Restarts for a reboot and for an update of the
// program's file stay allowed: they are what the registration is for.
constexpr DWORD kRestartNoCrash = 1; // RESTART_NO_CRASH
constexpr DWORD kRestartNoHang = 2;  // RESTART_NO_HANG
constexpr DWORD kRestartFlags = kRestartNoCrash | kRestartNoHang;

using RegisterRestartProc = HRESULT(WINAPI*)(PCWSTR commandLine, DWORD flags);
using UnregisterRestartProc = HRESULT(WINAPI*)();

struct RestartCalls {
    RegisterRestartProc registerRestart = nullptr;
    UnregisterRestartProc unregisterRestart = nullptr;
};

// The two calls from KERNEL32, looked up at run time: Windows XP has neither; then both
// are null.
RestartCalls LookUpRestartCalls();

// Registers (no command-line arguments, kRestartFlags) while runAtStartup is 0, withdraws
// the registration otherwise. true when the call was made and succeeded; false where the
// system lacks it or refused.
bool UpdateRestartRegistration(int runAtStartup, const RestartCalls& calls);

#endif
