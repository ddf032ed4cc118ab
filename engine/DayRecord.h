// The counting of one day: presses, wheel notches and active seconds beside the distance,
// and the change from one local day to the next. Free of <windows.h>.
#ifndef SKITTERA_ENGINE_DAYRECORD_H
#define SKITTERA_ENGINE_DAYRECORD_H

#include "engine/DayFigures.h"
#include "engine/OdometerState.h"

// The pointer messages that the day counts besides the moves, spelled out so that the
// engine needs no Windows header.
constexpr unsigned kLeftButtonDownMessage = 0x0201;   // WM_LBUTTONDOWN
constexpr unsigned kRightButtonDownMessage = 0x0204;  // WM_RBUTTONDOWN
constexpr unsigned kMiddleButtonDownMessage = 0x0207; // WM_MBUTTONDOWN
constexpr unsigned kWheelMessage = 0x020A;            // WM_MOUSEWHEEL
constexpr unsigned kSideButtonDownMessage = 0x020B;   // WM_XBUTTONDOWN, either side button
constexpr unsigned kHorizontalWheelMessage = 0x020E;  // WM_MOUSEHWHEEL
// One notch of a wheel, in the units of a wheel message's delta (WHEEL_DELTA).
constexpr int kWheelUnitsPerNotch = 120;

bool IsDayEvent(int code, unsigned message);

// Counts a button press or a turn of a wheel into the day being counted; wheelDelta is
// the signed delta of a wheel message and is not looked at for a button. Returns
// whether the event was counted. Runs in the hook, under the measurement's lock.
bool CountDayEvent(OdometerState& state, int code, unsigned message, int wheelDelta);

// Where the day boundary is noticed: on the main window's timer and before every save.
// When the local date differs from the day being counted, the day being counted is
// handed over in finished (when there was one) and the new day starts from zero, and
// with it today's speeds. A day whose stored value could not be read is not handed
// over: that value is left as it is. Returns whether a day was handed over, to be
// written; finished is left alone otherwise.
bool SwitchDay(OdometerState& state, const CalendarDate& today, TickCount now, DayEntry& finished);

// What was stored for the day being counted before this run (an earlier run on the same
// day, or a day the clock went back to) is added to what this run has counted.
void ContinueDay(OdometerState& state, const CalendarDate& date, const DayFigures& stored);

#endif
