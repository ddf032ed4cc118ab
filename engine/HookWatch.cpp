#include "engine/HookWatch.h"

// Called on each main-timer tick with the pointer position (null when it cannot be
// read) and the number of hook events so far. The pointer moved between two ticks
// while not one event reached the hook: the hook is gone. Either way the watch starts
// over from this tick.
bool HookNeedsReinstall(HookWatch& watch, const PixelPoint* cursor, unsigned long eventsSeen) {
    bool moved = cursor != nullptr && watch.havePosition &&
                 (cursor->x != watch.lastPosition.x || cursor->y != watch.lastPosition.y);
    bool silent = eventsSeen == watch.eventsAtLastTick;
    ResetHookWatch(watch, cursor, eventsSeen);
    return moved && silent;
}

void ResetHookWatch(HookWatch& watch, const PixelPoint* cursor, unsigned long eventsSeen) {
    watch.havePosition = cursor != nullptr;
    if (cursor != nullptr) {
        watch.lastPosition = *cursor;
    }
    watch.eventsAtLastTick = eventsSeen;
}

bool HookHearsInputAt(unsigned long ownLevel, bool targetKnown, unsigned long targetLevel) {
    return targetKnown && targetLevel <= ownLevel;
}
