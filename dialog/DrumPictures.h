// Which drum picture shows which character of an odometer digit string. Free of
// <windows.h>: the rule is tested natively.
#ifndef SKITTERA_DIALOG_DRUMPICTURES_H
#define SKITTERA_DIALOG_DRUMPICTURES_H

#include "support/TextString.h"

// The picture id for one character: a digit drum, the point drum, or the empty drum
// for anything else (the padding "~", a minus sign, letters, bytes above 127).
int DrumPictureId(char character);

// The picture id for cell `cell` of a row showing `digits`: a cell beyond the end of
// the text shows the empty drum.
int DrumPictureAt(const TextString& digits, int cell);

#endif
