// How a copy of the program starts: where the splash stands, which platforms run the
// program, whether it runs or hands over to a running copy, and whether two copies may
// talk to each other.
#ifndef SKITTERA_ENGINE_STARTRULES_H
#define SKITTERA_ENGINE_STARTRULES_H

#include "engine/OdometerState.h"

constexpr int kSplashWidth = 250;
constexpr int kSplashHeight = 171;

// The main timer: 3 s while the splash shows, 5 s from then on.
constexpr unsigned kSplashTimerMs = 3000;
constexpr unsigned kMainTimerMs = 5000;

struct ScreenRect {
    long left;
    long top;
    long right; // exclusive, as the platform's rectangles
    long bottom;
};

PixelPoint SplashOrigin(const ScreenRect& workArea);

bool IsSupportedPlatform(unsigned long platformId);

// What a starting copy does next, from whether it holds the instance mutex, whether a
// copy answers as the running one (its main window exists and is not ending) and how
// long it has waited. A copy that is ending holds the mutex until its settings are
// saved and no longer answers: the new copy waits for the mutex rather than hand over
// to a window that is going away.
enum class StartStep { Run, HandOver, Wait, GiveUp };
constexpr TickCount kWaitForRunningCopyMs = 10000;

StartStep NextStartStep(bool holdsMutex, bool copyAnswers, TickCount waitedMs);

// Two copies of the program talk to each other only at one level. Without a level of its
// own to compare (a system without levels) a copy takes the other for its equal; the
// other's level unread while its own is known means the other is above it.
bool SameIntegrityLevel(bool ownKnown, unsigned long own, bool otherKnown, unsigned long other);

#endif
