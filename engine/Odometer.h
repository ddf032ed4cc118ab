// The measuring engine: calibration, the pointer-move measurement step that both
// pointer hooks feed, and the speed steps of the properties dialog.
#ifndef SKITTERA_ENGINE_ODOMETER_H
#define SKITTERA_ENGINE_ODOMETER_H

#include "engine/OdometerState.h"
#include "support/TextString.h"

// The platform's hook code for an event to be processed (HC_ACTION) and the
// pointer-move message (WM_MOUSEMOVE), spelled out so the engine needs no Windows header.
constexpr int kHookActionCode = 0;
constexpr unsigned kMouseMoveMessage = 0x0200;

// One monitor from (0, 0) to the resolution, with the factors of its physical size.
void ApplyScreenCalibration(OdometerState& state, int horzSizeMm, int vertSizeMm, int horzResPixels,
                            int vertResPixels);

bool IsPointerMoveEvent(int code, unsigned message);

bool MeasurePointerEvent(OdometerState& state, SpeedSampleWindow& window, int code, unsigned message,
                         const PixelPoint* position, TickCount now);

void StartMeasuring(OdometerState& state, TickCount now);
void TakeSpeedReference(OdometerState& state, TickCount now);
void IdleTick(OdometerState& state, TickCount now);
void ResetCounter(OdometerState& state, TextString& sinceDate, const CalendarDate& today);
void ResetDistance(OdometerState& state);

TickCount TicksBetween(TickCount earlier, TickCount later);
TickCount TicksSince(TickCount reference, TickCount now);
TextString FormatSinceDate(const CalendarDate& today);

#endif
