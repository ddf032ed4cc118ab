// The tray menu's text convention and item geometry, free of <windows.h>: a menu item
// text "184|Esci" carries the resource number of its picture before the bar and its
// label after it; the owner-drawn item is sized and laid out from the label's extent.
#ifndef SKITTERA_SHELL_MENULAYOUT_H
#define SKITTERA_SHELL_MENULAYOUT_H

#include "support/TextString.h"

// Pictures are 16 x 15 on a light grey ground; the label starts after a 22-pixel margin
// that holds the picture and, for the selected item, its raised 20-pixel cell.
constexpr int kMenuPictureWidth = 16;
constexpr int kMenuPictureHeight = 15;
constexpr int kMenuPictureLeft = 2;
constexpr int kMenuLabelLeft = 22;
constexpr int kMenuLabelTop = 1;
constexpr int kMenuPictureCellWidth = 20;
constexpr int kMenuMinimumHeight = 17;

struct MenuItemText {
    bool hasBar = false;          // without a bar the item stays a plain text item
    unsigned short pictureId = 0; // 0 when the text before the bar holds no number
    TextString label;             // everything after the first bar
};

struct MenuItemSize {
    int width;
    int height;
};

MenuItemText ParseMenuItemText(const TextString& text);
unsigned short ParsePictureNumber(const char* text);
MenuItemSize MenuItemSizeForLabel(int labelWidth, int labelHeight);
int MenuPictureTop(int itemTop, int labelHeight);

#endif
