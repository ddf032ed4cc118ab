// The speedometer of the properties dialog: the dial picture drawn over the hidden
// frame control, an exclusive-or needle for the current speed, and the current and
// average speed texts beside it.
#ifndef SKITTERA_DIALOG_SPEEDGAUGE_H
#define SKITTERA_DIALOG_SPEEDGAUGE_H

#include <windows.h>

// The needle on the screen: the tip of the drawn needle lies at the hub minus
// (needleDx, needleDy). It belongs to the screen image, not to one opening of the
// dialog: a full paint forgets it because it paints the dial afresh.
extern bool needleShown;
extern int needleDx;
extern int needleDy;

void DrawSpeedGauge(HWND dialog, HDC target, bool fullPaint);
RECT GaugeRect();

#endif
