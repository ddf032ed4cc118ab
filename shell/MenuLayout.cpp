#include "shell/MenuLayout.h"

#include <cstdlib>

// "184|Esci" gives picture 184 and the label "Esci". Only the first bar separates: a
// later bar belongs to the label.
MenuItemText ParseMenuItemText(const TextString& text) {
    MenuItemText item;
    int bar = text.Find("|");
    if (bar < 0) {
        item.label = text;
        return item;
    }
    item.hasBar = true;
    item.pictureId = ParsePictureNumber(text.Left(bar).buffer);
    item.label = text.Right(text.length - bar - 1);
    return item;
}

// The decimal number at the start of the text (leading blanks, an optional sign, the
// digits up to the first non-digit; none gives 0), of which the low 16 bits name the
// resource. strtol rather than atoi: a number too long for a long is clamped instead
// of being undefined.
unsigned short ParsePictureNumber(const char* text) {
    long number = std::strtol(text, nullptr, 10);
    return static_cast<unsigned short>(static_cast<unsigned long>(number) & 0xFFFFu);
}

// The label plus the 22-pixel picture margin; at least 17 pixels high so that the
// 15-pixel picture has a pixel of air above and below.
MenuItemSize MenuItemSizeForLabel(int labelWidth, int labelHeight) {
    MenuItemSize size;
    size.width = labelWidth + kMenuLabelLeft;
    size.height = labelHeight > 16 ? labelHeight : kMenuMinimumHeight;
    return size;
}

// The picture stands centred on the taller of label and minimum item height.
int MenuPictureTop(int itemTop, int labelHeight) {
    int height = labelHeight > kMenuMinimumHeight ? labelHeight : kMenuMinimumHeight;
    return itemTop + (height - kMenuPictureHeight) / 2 + 1;
}
