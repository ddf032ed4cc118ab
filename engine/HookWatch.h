// When the pointer hook has evidently been dropped by the platform, and which input a
// low-level hook can hear at all.
#ifndef SKITTERA_ENGINE_HOOKWATCH_H
#define SKITTERA_ENGINE_HOOKWATCH_H

#include "engine/OdometerState.h"

// Tells a hook that the platform removed (it drops a low-level hook that once took too
// long, without a word) from a pointer that simply rests.
struct HookWatch {
    bool havePosition = false;
    PixelPoint lastPosition{0, 0};
    unsigned long eventsAtLastTick = 0;
};

bool HookNeedsReinstall(HookWatch& watch, const PixelPoint* cursor, unsigned long eventsSeen);
void ResetHookWatch(HookWatch& watch, const PixelPoint* cursor, unsigned long eventsSeen);

// Integrity levels as a token's mandatory label gives them (0x2000 medium, 0x3000 high).
// Input meant for a process of a higher level never reaches a low-level hook; a level
// that cannot be read is an elevated process's, whose token a normal one may not read.
bool HookHearsInputAt(unsigned long ownLevel, bool targetKnown, unsigned long targetLevel);

#endif
