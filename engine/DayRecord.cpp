#include "engine/DayRecord.h"

#include "engine/Odometer.h"

namespace {

// The magnitude of a wheel delta, without the overflow that negating the most negative
// int would be.
unsigned WheelMagnitude(int delta) {
    return delta < 0 ? 0U - static_cast<unsigned>(delta) : static_cast<unsigned>(delta);
}

} // namespace

bool IsDayEvent(int code, unsigned message) {
    if (code != kHookActionCode) {
        return false;
    }
    switch (message) {
    case kLeftButtonDownMessage:
    case kRightButtonDownMessage:
    case kMiddleButtonDownMessage:
    case kSideButtonDownMessage:
    case kWheelMessage:
    case kHorizontalWheelMessage:
        return true;
    default:
        return false;
    }
}

// A press is counted when the button goes down, so a click, a double click's two presses
// and a drag each count as the presses they are. A wheel turns in units of which 120
// make a notch; a fine-grained wheel sends a few units at a time, so what does not yet
// make a notch is carried to the next turn of the same wheel (its direction does not
// matter: the notches turned are counted, not where they led).
bool CountDayEvent(OdometerState& state, int code, unsigned message, int wheelDelta) {
    if (!IsDayEvent(code, message)) {
        return false;
    }
    if (message != kWheelMessage && message != kHorizontalWheelMessage) {
        ++state.dayFigures.presses;
        return true;
    }
    unsigned& carried = state.wheelUnitsCarried[message == kWheelMessage ? 0 : 1];
    carried += WheelMagnitude(wheelDelta); // below 120 + 2^31: no overflow
    state.dayFigures.wheelNotches += carried / kWheelUnitsPerNotch;
    carried %= kWheelUnitsPerNotch;
    return true;
}

// The day is switched under the measurement's lock, so every move, press and turn of the
// wheel goes to exactly one of the two days. Switching back to an earlier date (the
// clock was put back) is a switch like any other: the day the clock shows goes on, from
// what was stored for it (ContinueDay). Today's speeds start again with the day: its
// average measures from here, and its highest speed is one of today's. A date that
// could not be read changes nothing. A day whose stored value could not be read ends
// like any other, but its figures are not handed over: what the store holds for it is
// the user's (or a later version's) and is never written over.
bool SwitchDay(OdometerState& state, const CalendarDate& today, TickCount now, DayEntry& finished) {
    if (!IsValidDate(today) || today == state.day) {
        return false;
    }
    bool handedOver = IsValidDate(state.day) && !state.dayStoredUnreadable;
    if (handedOver) {
        finished.date = state.day;
        finished.figures = state.dayFigures;
    }
    state.day = today;
    state.dayFigures = DayFigures();
    state.dayStoredUnreadable = false;
    state.startTicks = now;
    state.startDistanceCm = state.distanceCm;
    state.maxSpeed = 0;
    state.averageSpeed = 0;
    return handedOver;
}

// Nothing is added when the day has changed again since the stored value was read: it
// then belongs to a day that is not being counted.
void ContinueDay(OdometerState& state, const CalendarDate& date, const DayFigures& stored) {
    if (date != state.day) {
        return;
    }
    state.dayFigures.distanceCm += stored.distanceCm;
    state.dayFigures.presses += stored.presses;
    state.dayFigures.wheelNotches += stored.wheelNotches;
    state.dayFigures.activeSeconds += stored.activeSeconds;
}
