// The tray menu's owner-drawn items: their records, their conversion, measure and
// paint, and their release.
#include "shell/OwnerDrawMenu.h"

#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <new>

#include "measuring/Globals.h"
#include "shell/MenuLayout.h"
#include "support/GdiTally.h"
#include "support/RasterOps.h"

namespace {

constexpr COLORREF kPictureBackground = RGB(192, 192, 192);

// The records now alive. Item data that reaches the window from outside is only ever
// used after it has been found here, so a stray WM_DRAWITEM cannot make the program
// read through a pointer it never made.
OwnerDrawMenuItem* liveRecords = nullptr;
int liveRecordCount = 0;

OwnerDrawMenuItem* FindRecord(ULONG_PTR data) {
    for (OwnerDrawMenuItem* record = liveRecords; record != nullptr; record = record->next) {
        if (reinterpret_cast<ULONG_PTR>(record) == data) {
            return record;
        }
    }
    return nullptr;
}

void LinkRecord(OwnerDrawMenuItem* record) {
    record->next = liveRecords;
    liveRecords = record;
    ++liveRecordCount;
}

void UnlinkRecord(OwnerDrawMenuItem* record) {
    for (OwnerDrawMenuItem** link = &liveRecords; *link != nullptr; link = &(*link)->next) {
        if (*link == record) {
            *link = record->next;
            --liveRecordCount;
            return;
        }
    }
}

// Records live on the C heap rather than through operator new: even the nothrow form of
// that catches the exception of the throwing one, and so links the C++ library's whole
// exception runtime (about 90 KB) into a program that throws nothing.
OwnerDrawMenuItem* CreateRecord() {
    void* memory = std::malloc(sizeof(OwnerDrawMenuItem));
    return memory != nullptr ? new (memory) OwnerDrawMenuItem : nullptr;
}

void DestroyRecord(OwnerDrawMenuItem* record) {
    TallyDeleteObject(record->picture);
    std::free(record->accessible.pszWText);
    record->~OwnerDrawMenuItem();
    std::free(record);
}

MENUITEMINFOA ItemInfo(UINT mask) {
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = mask;
    return info;
}

// The item's label as wide text for screen readers, on the C heap, and its length
// without the zero. The item's own wide text, read before it changes, keeps every
// letter of the resource whatever the ANSI code page; should that fail, the ANSI label
// is converted. Null when there is no memory.
wchar_t* WideLabel(HMENU menu, UINT position, const TextString& label, DWORD& length) {
    wchar_t text[256] = L"";
    MENUITEMINFOW item{};
    item.cbSize = sizeof item;
    item.fMask = MIIM_STRING;
    item.dwTypeData = text;
    item.cch = sizeof text / sizeof text[0];
    const wchar_t* bar = nullptr;
    if (GetMenuItemInfoW(menu, position, TRUE, &item)) {
        text[sizeof text / sizeof text[0] - 1] = L'\0';
        bar = wcschr(text, L'|');
    }
    int count = bar != nullptr ? lstrlenW(bar + 1)
                               : MultiByteToWideChar(CP_ACP, 0, label.buffer, label.length, nullptr, 0);
    auto* wide = static_cast<wchar_t*>(std::malloc((static_cast<size_t>(count) + 1) * sizeof(wchar_t)));
    if (wide == nullptr) {
        return nullptr;
    }
    if (bar != nullptr) {
        std::memcpy(wide, bar + 1, static_cast<size_t>(count) * sizeof(wchar_t));
    } else if (count > 0) {
        count = MultiByteToWideChar(CP_ACP, 0, label.buffer, label.length, wide, count);
    }
    wide[count] = L'\0';
    length = static_cast<DWORD>(count);
    return wide;
}

// Turns one plain "<picture>|<label>" item into an owner-drawn one. Only the type, the
// data and the text change: the command, the sub-menu and the state (default, greyed,
// checked) stay as they were, so a greyed item is not enabled by being converted.
// The text becomes the bare label for whoever reads menus aloud.
void ConvertItem(HMENU menu, UINT position, const char* text) {
    MenuItemText parsed = ParseMenuItemText(TextString(text));
    if (!parsed.hasBar) {
        return;
    }
    OwnerDrawMenuItem* record = CreateRecord();
    if (record == nullptr) {
        return;
    }
    record->label = parsed.label;
    record->accessible.dwMSAASignature = MSAA_MENU_SIG;
    record->accessible.pszWText = WideLabel(menu, position, record->label, record->accessible.cchWText);
    if (parsed.pictureId != 0) {
        record->picture = TallyLoadBitmap(appState.instanceHandle, parsed.pictureId);
    }
    MENUITEMINFOA change = ItemInfo(MIIM_FTYPE | MIIM_DATA | MIIM_STRING);
    change.fType = MFT_OWNERDRAW;
    change.dwItemData = reinterpret_cast<ULONG_PTR>(record);
    change.dwTypeData = record->label.buffer;
    if (!SetMenuItemInfoA(menu, position, TRUE, &change)) {
        DestroyRecord(record);
        return;
    }
    LinkRecord(record);
}

void FillSolid(HDC dc, const RECT& area, int colourIndex) {
    HBRUSH brush = TallyCreateSolidBrush(GetSysColor(colourIndex));
    FillRect(dc, &area, brush);
    TallyDeleteObject(brush);
}

// Copies the mask to the item in the colour of a solid brush.
void PaintThroughMask(HDC target, int x, int y, HDC mask, int colourIndex) {
    HBRUSH brush = TallyCreateSolidBrush(GetSysColor(colourIndex));
    HGDIOBJ previous = SelectObject(target, brush);
    BitBlt(target, x, y, kMenuPictureWidth, kMenuPictureHeight, mask, 0, 0, kRopBrushWhereMaskBlack);
    SelectObject(target, previous);
    TallyDeleteObject(brush);
}

void DrawLine(HDC dc, int colourIndex, const POINT& from, const POINT& via, const POINT& to) {
    HPEN pen = TallyCreatePen(PS_SOLID, 1, GetSysColor(colourIndex));
    HGDIOBJ previous = SelectObject(dc, pen);
    MoveToEx(dc, from.x, from.y, nullptr);
    LineTo(dc, via.x, via.y);
    LineTo(dc, to.x, to.y);
    SelectObject(dc, previous);
    TallyDeleteObject(pen);
}

// The picture's non-background pixels twice through its mask: light, one pixel right
// and down, then shadow on top, which reads as engraved.
void DrawGreyPicture(HDC target, HDC picture, int left, int pictureTop) {
    HBITMAP mask = BuildDisabledMask(picture);
    if (mask == nullptr) {
        return;
    }
    HGDIOBJ previous = SelectObject(picture, mask);
    SetTextColor(target, RGB(0, 0, 0));
    SetBkColor(target, RGB(255, 255, 255));
    PaintThroughMask(target, left + kMenuPictureLeft + 1, pictureTop + 1, picture, COLOR_BTNHIGHLIGHT);
    PaintThroughMask(target, left + kMenuPictureLeft, pictureTop, picture, COLOR_BTNSHADOW);
    SelectObject(picture, previous);
    TallyDeleteObject(mask);
}

void DrawPicture(HDC target, HBITMAP picture, int left, int pictureTop, bool disabled) {
    HDC memory = TallyCreateCompatibleDC(target);
    if (memory == nullptr) {
        return;
    }
    HGDIOBJ previous = SelectObject(memory, picture);
    if (disabled) {
        DrawGreyPicture(target, memory, left, pictureTop);
    } else {
        BitBlt(target, left + kMenuPictureLeft, pictureTop, kMenuPictureWidth, kMenuPictureHeight, memory, 0,
               0, SRCCOPY);
    }
    SelectObject(memory, previous);
    TallyDeleteDC(memory);
}

// The label's extent in the screen's default font, by which the items have always been
// sized, and in the menu font that Windows draws them with, which grows with the dots
// per inch: the larger of the two, so that the menu looks as it did at 100 % and its
// labels stay whole where the system does not scale the program's windows as pictures.
SIZE LabelExtent(const TextString& label) {
    SIZE extent{0, 0};
    HDC screen = TallyCreateCompatibleDC(nullptr);
    GetTextExtentPoint32A(screen, label.buffer, label.length, &extent);
    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = sizeof metrics;
    HFONT menuFont = nullptr;
    if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
        menuFont = CreateFontIndirectA(&metrics.lfMenuFont);
    }
    if (menuFont != nullptr) {
        HGDIOBJ previous = SelectObject(screen, menuFont);
        SIZE menuExtent{0, 0};
        GetTextExtentPoint32A(screen, label.buffer, label.length, &menuExtent);
        SelectObject(screen, previous);
        DeleteObject(menuFont);
        extent.cx = menuExtent.cx > extent.cx ? menuExtent.cx : extent.cx;
        extent.cy = menuExtent.cy > extent.cy ? menuExtent.cy : extent.cy;
    }
    TallyDeleteDC(screen);
    return extent;
}

} // namespace

// Converts every qualifying item of the menu and of all its sub-menus.
void ConvertMenuToOwnerDraw(HMENU menu) {
    int count = GetMenuItemCount(menu);
    for (int position = 0; position < count; ++position) {
        char text[256] = "";
        MENUITEMINFOA info = ItemInfo(MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_CHECKMARKS | MIIM_FTYPE |
                                      MIIM_STRING | MIIM_DATA);
        info.dwTypeData = text;
        info.cch = sizeof text;
        if (!GetMenuItemInfoA(menu, static_cast<UINT>(position), TRUE, &info)) {
            continue;
        }
        // Only plain text items: separators, pictures and items already drawn by
        // their owner stay as they are.
        if (info.fType == MFT_STRING) {
            ConvertItem(menu, static_cast<UINT>(position), text);
        }
        if (info.hSubMenu != nullptr) {
            ConvertMenuToOwnerDraw(info.hSubMenu);
        }
    }
}

// The item's size from its label, measured with the default font of a fresh memory
// context; an item that carries no record of ours measures as an empty label.
void MeasureMenuItem(MEASUREITEMSTRUCT* measure) {
    if (measure == nullptr || measure->CtlType != ODT_MENU) {
        return;
    }
    SIZE extent{0, 0};
    const OwnerDrawMenuItem* record = FindRecord(measure->itemData);
    if (record != nullptr) {
        extent = LabelExtent(record->label);
    }
    MenuItemSize size = MenuItemSizeForLabel(extent.cx, extent.cy);
    measure->itemWidth = static_cast<UINT>(size.width);
    measure->itemHeight = static_cast<UINT>(size.height);
}

// Paints one item for a full draw or a change of selection.
void DrawMenuItem(const DRAWITEMSTRUCT* draw) {
    if (draw == nullptr || draw->CtlType != ODT_MENU ||
        (draw->itemAction & (ODA_DRAWENTIRE | ODA_SELECT)) == 0) {
        return;
    }
    const OwnerDrawMenuItem* record = FindRecord(draw->itemData);
    const char* label = record != nullptr ? record->label.buffer : "";
    int labelLength = record != nullptr ? record->label.length : 0;
    HBITMAP picture = record != nullptr ? record->picture : nullptr;
    HDC dc = draw->hDC;
    const RECT& item = draw->rcItem;
    bool selected = (draw->itemState & ODS_SELECTED) != 0;
    // A greyed menu item arrives as ODS_GRAYED, a disabled one as ODS_DISABLED, and
    // one made inactive through MENUITEMINFO as both.
    bool disabled = (draw->itemState & (ODS_DISABLED | ODS_GRAYED)) != 0;

    SIZE extent{0, 0};
    GetTextExtentPoint32A(dc, label, labelLength, &extent);
    int pictureTop = MenuPictureTop(item.top, extent.cy);

    int saved = SaveDC(dc);
    SetBkMode(dc, TRANSPARENT);
    if (selected) {
        SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
        RECT bar = item;
        if (picture != nullptr) {
            bar.left += kMenuPictureCellWidth; // the picture cell keeps what is there
        }
        FillSolid(dc, bar, COLOR_HIGHLIGHT);
    } else {
        if (disabled) {
            SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
        }
        FillSolid(dc, item, COLOR_MENU);
    }
    if (disabled && !selected) {
        TextOutA(dc, item.left + kMenuLabelLeft + 1, item.top + kMenuLabelTop + 1, label, labelLength);
        SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
    }
    TextOutA(dc, item.left + kMenuLabelLeft, item.top + kMenuLabelTop, label, labelLength);

    if (picture != nullptr) {
        DrawPicture(dc, picture, item.left, pictureTop, disabled);
        if (selected && !disabled) {
            // A raised cell: light on the left and top, shadow on the right and bottom.
            int right = item.left + kMenuPictureCellWidth - 1;
            int bottom = item.bottom - 1;
            DrawLine(dc, COLOR_BTNHIGHLIGHT, POINT{item.left, bottom}, POINT{item.left, item.top},
                     POINT{right, item.top});
            DrawLine(dc, COLOR_BTNSHADOW, POINT{right, item.top}, POINT{right, bottom},
                     POINT{item.left, bottom});
        }
    }
    RestoreDC(dc, saved);
}

// A monochrome 16 x 15 mask of the picture selected into the source context: black
// where the picture has any colour but its light grey ground and white, white
// elsewhere. Null when no mask can be made. Leaves white as the source's background.
HBITMAP BuildDisabledMask(HDC source) {
    HDC maskContext = TallyCreateCompatibleDC(source);
    if (maskContext == nullptr) {
        return nullptr;
    }
    // A fresh memory context holds a 1 x 1 monochrome bitmap, so a bitmap compatible
    // with it is monochrome too.
    HBITMAP mask = TallyCreateCompatibleBitmap(maskContext, kMenuPictureWidth, kMenuPictureHeight);
    if (mask == nullptr) {
        TallyDeleteDC(maskContext);
        return nullptr;
    }
    HGDIOBJ previous = SelectObject(maskContext, mask);
    PatBlt(maskContext, 0, 0, kMenuPictureWidth, kMenuPictureHeight, WHITENESS);
    // Colour to monochrome: pixels of the background colour become white, all others black.
    SetBkColor(source, kPictureBackground);
    BitBlt(maskContext, 0, 0, kMenuPictureWidth, kMenuPictureHeight, source, 0, 0, SRCCOPY);
    SetBkColor(source, RGB(255, 255, 255));
    BitBlt(maskContext, 0, 0, kMenuPictureWidth, kMenuPictureHeight, source, 0, 0, SRCPAINT);
    SelectObject(maskContext, previous);
    TallyDeleteDC(maskContext);
    return mask;
}

// Releases the record and picture of every owner-drawn item of the menu and its
// sub-menus, and clears the item's data so that nothing can free it twice.
void FreeOwnerDrawMenu(HMENU menu) {
    int count = GetMenuItemCount(menu);
    for (int position = 0; position < count; ++position) {
        MENUITEMINFOA info = ItemInfo(MIIM_FTYPE | MIIM_DATA | MIIM_SUBMENU);
        if (!GetMenuItemInfoA(menu, static_cast<UINT>(position), TRUE, &info)) {
            continue;
        }
        if (info.fType == MFT_OWNERDRAW) {
            OwnerDrawMenuItem* record = FindRecord(info.dwItemData);
            if (record != nullptr) {
                UnlinkRecord(record);
                DestroyRecord(record);
                MENUITEMINFOA cleared = ItemInfo(MIIM_DATA);
                SetMenuItemInfoA(menu, static_cast<UINT>(position), TRUE, &cleared);
            }
        }
        if (info.hSubMenu != nullptr) {
            FreeOwnerDrawMenu(info.hSubMenu);
        }
    }
}

int OwnerDrawRecordsInUse() { return liveRecordCount; }
