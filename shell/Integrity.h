// Integrity levels and the secure desktop: what keeps input from the pointer hook, and
// which copies of the program may talk to each other.
#ifndef SKITTERA_SHELL_INTEGRITY_H
#define SKITTERA_SHELL_INTEGRITY_H

#include <windows.h>

// The integrity level (the last sub-authority of the token's mandatory label: 0x2000
// medium, 0x3000 high) of a process; false when its token cannot be read, as a normal
// process cannot read an elevated one's.
bool ReadIntegrityLevel(DWORD processId, unsigned long& level);

// Whether the process that owns the window runs at the same integrity level as this one.
bool SameIntegrityAs(HWND window);

// Whether pointer input may now be kept from a low-level hook of this process: the
// secure desktop is in front (a consent prompt, the lock screen), or the window under
// the pointer or the foreground window belongs to a process of a higher level.
bool InputHiddenFromHook();

// Lets "TaskbarCreated" and the tray message reach the window from a shell of a lower
// integrity level (an elevated copy's window filters them out otherwise). Windows 7 and
// later; looked up at run time. Returns how many of the two were allowed.
int AllowShellMessages(HWND window);

#endif
