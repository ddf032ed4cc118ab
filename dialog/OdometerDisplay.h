// The odometer drums of the properties dialog: the distance row (ten drums) and the
// highest-speed row (six), drawn by the dialog at the places of the template's picture
// cells.
#ifndef SKITTERA_DIALOG_ODOMETERDISPLAY_H
#define SKITTERA_DIALOG_ODOMETERDISPLAY_H

#include <windows.h>

#include "support/TextString.h"

void ShowOdometer(HWND dialog);
void ShowDigitRow(HWND dialog, const TextString& digits, int count, int firstId);
void PaintDrums(HWND dialog, HDC target);

void TakeOverDrums(HWND dialog);
void ReleaseDrums(HWND dialog);

#endif
