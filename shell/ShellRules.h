// The shell's decisions that need no <windows.h>: where the splash stands, which
// platforms run the program, whether a calibration changed the monitors, when the
// pointer hook has evidently been dropped, and when the counter is due for a checkpoint.
#ifndef SKITTERA_SHELL_SHELLRULES_H
#define SKITTERA_SHELL_SHELLRULES_H

#include "engine/Odometer.h"
#include "engine/OdometerState.h"
#include "support/TextString.h"

#include <cstdint>

constexpr int kSplashWidth = 250;
constexpr int kSplashHeight = 171;

// The main timer: 3 s while the splash shows, 5 s from then on.
constexpr unsigned kSplashTimerMs = 3000;
constexpr unsigned kMainTimerMs = 5000;
// The longest stretch of counting that a crash, a kill or a power cut may cost.
constexpr TickCount kCheckpointPeriodMs = 5 * 60 * 1000;

struct ScreenRect {
    long left;
    long top;
    long right; // exclusive, as the platform's rectangles
    long bottom;
};

PixelPoint SplashOrigin(const ScreenRect& workArea);

bool IsSupportedPlatform(unsigned long platformId);

// The tray icon's size in pixels, from the small-icon size the system reports for the
// scaling (16 at 100 %, 20 at 125 %, 24 at 150 % and so on): that size, kept between
// the classic 16 and the largest icon there is, 256.
constexpr int kSmallestTrayIcon = 16;
constexpr int kLargestTrayIcon = 256;

int TrayIconPixels(int smallIconMetric);

// What a starting copy does next, from whether it holds the instance mutex, whether a
// copy answers as the running one (its main window exists and is not ending) and how
// long it has waited. A copy that is ending holds the mutex until its settings are
// saved and no longer answers: the new copy waits for the mutex rather than hand over
// to a window that is going away.
enum class StartStep { Run, HandOver, Wait, GiveUp };
constexpr TickCount kWaitForRunningCopyMs = 10000;

StartStep NextStartStep(bool holdsMutex, bool copyAnswers, TickCount waitedMs);

// What a message from the tray icon asks for. A shell that took version 4 of the icon's
// messages puts the event in lParam's low word, the icon's number in its high word and,
// in wParam, the screen point the event belongs to: the pointer for the mouse, the icon
// itself for the keyboard. A shell left at version 0 puts the icon's number in wParam
// and the event, a mouse message, in lParam. The program's one icon is number 0.
constexpr unsigned kTrayVersionClassic = 0;
constexpr unsigned kTrayVersion4 = 4;

enum class TrayAction {
    None,
    OpenDialog,    // a double click, Enter or Space on the icon, a second copy's hand-over
    MenuAtAnchor,  // the context menu asked for by the mouse or the keyboard (version 4)
    MenuAtPointer, // a right click at version 0, which says nowhere where it was
};

struct TrayRequest {
    TrayAction action = TrayAction::None;
    PixelPoint anchor{0, 0}; // screen coordinates, for MenuAtAnchor
    unsigned event = 0;      // the event of the program's icon; 0 for another icon's
    bool byKeyboard = false; // the menu was asked for from the keyboard
};

// previousEvent is the event of the icon's message before this one (0 for none).
TrayRequest ReadTrayMessage(unsigned version, std::uintptr_t wParam, std::intptr_t lParam,
                            unsigned previousEvent = 0);

// The same monitors with the same factors, in the same order.
bool SameMonitorLayout(const MonitorLayout& a, const MonitorLayout& b);

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
// Two copies of the program talk to each other only at one level. Without a level of its
// own to compare (a system without levels) a copy takes the other for its equal; the
// other's level unread while its own is known means the other is above it.
bool SameIntegrityLevel(bool ownKnown, unsigned long own, bool otherKnown, unsigned long other);

// The three per-user values and today's figures as last written, and when.
struct CheckpointRecord {
    double distanceCm = 0;
    double unitDivisor = 0;
    TextString sinceDate;
    CalendarDate day;
    DayFigures dayFigures;
    TickCount savedAt = 0;
};

void RecordCheckpoint(CheckpointRecord& record, const OdometerState& state, const TextString& sinceDate,
                      TickCount now);
bool CheckpointPending(const CheckpointRecord& record, const OdometerState& state,
                       const TextString& sinceDate);
bool CheckpointDue(const CheckpointRecord& record, const OdometerState& state, const TextString& sinceDate,
                   TickCount now);

#endif
