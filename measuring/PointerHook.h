// The pointer hook: the screen calibration taken at start, the hook thread with the
// installation and removal of the hook, and the two hook procedures that feed every
// pointer move to the measuring step. A low-level mouse hook is used wherever the
// platform grants one; the journal-record hook is the fallback for where it does not.
#ifndef SKITTERA_MEASURING_POINTERHOOK_H
#define SKITTERA_MEASURING_POINTERHOOK_H

#include <windows.h>

#include "engine/Monitors.h"
#include "engine/OdometerState.h"

// The hook's own working variables (the busy flag and the speed sample window). No
// code outside the hook procedures writes them.
extern SpeedSampleWindow hookSamples;

enum class HookKind { None, LowLevelMouse, JournalRecord };

void ApplyMonitorLayout(const MonitorLayout& layout);
void InstallHook();
void RemoveHook();
HookKind InstalledHookKind();
bool HookRunsOnItsOwnThread();
// Input events that have reached either hook since start; the main timer compares
// it between ticks to notice a hook that the platform dropped.
unsigned long HookEventsSeen();

LRESULT CALLBACK LowLevelMouseProc(int code, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK JournalRecordProc(int code, WPARAM wParam, LPARAM lParam);

#endif
