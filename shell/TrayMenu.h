// The tray menu's owner-drawn items: every item whose text reads "<picture>|<label>"
// is shown as its picture beside its label, with a highlight bar beside a raised
// picture cell for the selected item and an embossed grey look for a disabled one.
#ifndef SKITTERA_SHELL_TRAYMENU_H
#define SKITTERA_SHELL_TRAYMENU_H

#include <windows.h>

#include "support/TextString.h"

// One per converted item, referenced by the item's data from conversion to release.
struct OwnerDrawMenuItem {
    TextString label;
    HBITMAP picture = nullptr; // owned; null when the number names no picture
    OwnerDrawMenuItem* next = nullptr;
};

void ConvertMenuToOwnerDraw(HMENU menu);
void MeasureMenuItem(MEASUREITEMSTRUCT* measure);
void DrawMenuItem(const DRAWITEMSTRUCT* draw);
HBITMAP BuildDisabledMask(HDC source);
void FreeOwnerDrawMenu(HMENU menu);

// Records converted and not yet freed; the leak tests read it.
int OwnerDrawRecordsInUse();

#endif
