// The odometer drums of the properties dialog: the distance row (ten cells) and the
// highest-speed row (six cells), each cell a static control showing one drum picture.
#ifndef SKITTERA_DIALOG_ODOMETERDISPLAY_H
#define SKITTERA_DIALOG_ODOMETERDISPLAY_H

#include <windows.h>

#include "support/TextString.h"

void ShowOdometer(HWND dialog);
void ShowDigitRow(HWND dialog, const TextString& digits, int count, int firstId);

void TakeOverDrums(HWND dialog);
void ReleaseDrums(HWND dialog);
bool IsDrumCell(int id);

#endif
