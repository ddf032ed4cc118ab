// The tray menu's owner-drawn items: every item whose text reads "<picture>|<label>"
// is shown as its picture beside its label, with a highlight bar beside a raised
// picture cell for the selected item and an embossed grey look for a disabled one.
#ifndef SKITTERA_SHELL_OWNERDRAWMENU_H
#define SKITTERA_SHELL_OWNERDRAWMENU_H

#include <windows.h>

#include <oleacc.h>

#include <type_traits>

#include "support/TextString.h"

// One per converted item, referenced by the item's data from conversion to release.
struct OwnerDrawMenuItem {
    // First, where screen readers look for an owner-drawn item's name: the signature and
    // the label as wide text (owned, on the C heap; null when none could be made).
    MSAAMENUINFO accessible{};
    TextString label;
    HBITMAP picture = nullptr; // owned; null when the number names no picture
    OwnerDrawMenuItem* next = nullptr;
};
// A standard-layout record starts with its first member, so the item data points at the
// MSAAMENUINFO.
static_assert(std::is_standard_layout<OwnerDrawMenuItem>::value, "the item's data starts with MSAAMENUINFO");

void ConvertMenuToOwnerDraw(HMENU menu);
void MeasureMenuItem(MEASUREITEMSTRUCT* measure);
void DrawMenuItem(const DRAWITEMSTRUCT* draw);
HBITMAP BuildDisabledMask(HDC source);
void FreeOwnerDrawMenu(HMENU menu);

// Records converted and not yet freed; the leak tests read it.
int OwnerDrawRecordsInUse();

#endif
