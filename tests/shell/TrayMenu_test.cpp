// The owner-drawn tray menu under Wine, with the program's own resources: conversion
// and release, the item size, the pixels of each look, and the menu shown hundreds of
// times without anything left behind.
#include "shell/TrayMenu.h"

#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "measuring/Globals.h"
#include "resources/resource.h"
#include "shell/MenuLayout.h"
#include "support/GdiTally.h"
#include "tests/support/WinTestSupport.h"

namespace {

constexpr COLORREF kPaper = RGB(1, 2, 3); // what the target held before the item was drawn
constexpr COLORREF kGrey = RGB(192, 192, 192);
constexpr COLORREF kWhite = RGB(255, 255, 255);

MENUITEMINFOA ReadItem(HMENU menu, UINT position, char* text = nullptr, UINT capacity = 0) {
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_DATA | MIIM_STRING;
    info.dwTypeData = text;
    info.cch = capacity;
    EXPECT_TRUE(GetMenuItemInfoA(menu, position, TRUE, &info));
    return info;
}

const OwnerDrawMenuItem* RecordOf(HMENU menu, UINT position) {
    return reinterpret_cast<const OwnerDrawMenuItem*>(ReadItem(menu, position).dwItemData);
}

// What a screen reader finds through an owner-drawn item's data: MSAAMENUINFO first,
// with its signature and the item's name as wide text of the given length.
void ExpectAccessibleName(HMENU menu, UINT position, const std::wstring& name) {
    const auto* accessible = reinterpret_cast<const MSAAMENUINFO*>(ReadItem(menu, position).dwItemData);
    ASSERT_NE(accessible, nullptr);
    EXPECT_EQ(accessible->dwMSAASignature, 0xAA0DF00Du); // MSAA_MENU_SIG
    ASSERT_NE(accessible->pszWText, nullptr);
    EXPECT_EQ(std::wstring(accessible->pszWText), name);
    EXPECT_EQ(accessible->cchWText, name.size()); // without the zero
}

// The label's size on a fresh memory device context, in the given font or, with none,
// in the context's own (the system font).
SIZE TextExtent(const char* label, const LOGFONTA* font) {
    HDC fresh = CreateCompatibleDC(nullptr);
    HFONT created = font != nullptr ? CreateFontIndirectA(font) : nullptr;
    HGDIOBJ previous = created != nullptr ? SelectObject(fresh, created) : nullptr;
    SIZE extent{};
    GetTextExtentPoint32A(fresh, label, static_cast<int>(std::strlen(label)), &extent);
    if (created != nullptr) {
        SelectObject(fresh, previous);
        DeleteObject(created);
    }
    DeleteDC(fresh);
    return extent;
}

// The picture's own pixels, as the resource holds them.
class Picture {
public:
    explicit Picture(int id) {
        bitmap = LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id));
        dc = CreateCompatibleDC(nullptr);
        previous = SelectObject(dc, bitmap);
    }
    ~Picture() {
        SelectObject(dc, previous);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
    COLORREF At(int x, int y) const { return GetPixel(dc, x, y); }
    bool Inked(int x, int y) const {
        if (x < 0 || y < 0 || x >= kMenuPictureWidth || y >= kMenuPictureHeight) {
            return false;
        }
        COLORREF colour = At(x, y);
        return colour != kGrey && colour != kWhite;
    }

    HBITMAP bitmap;
    HDC dc;
    HGDIOBJ previous;
};

class TrayMenuTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetApplicationState(appState);
        appState.instanceHandle = GetModuleHandleA(nullptr);
        gdiBefore = GdiObjectsInUse();
        recordsBefore = OwnerDrawRecordsInUse();
    }

    void TearDown() override {
        EXPECT_EQ(GdiObjectsInUse(), gdiBefore);
        EXPECT_EQ(OwnerDrawRecordsInUse(), recordsBefore);
    }

    // Draws item 0 of a converted one-item menu "<id>|<label>" onto a canvas.
    void DrawItem(Canvas& canvas, const char* text, UINT state, UINT action = ODA_DRAWENTIRE) {
        HMENU menu = CreatePopupMenu();
        AppendMenuA(menu, MF_STRING, 7, text);
        ConvertMenuToOwnerDraw(menu);
        DRAWITEMSTRUCT draw{};
        draw.CtlType = ODT_MENU;
        draw.itemID = 7;
        draw.itemAction = action;
        draw.itemState = state;
        draw.hDC = canvas.Dc();
        draw.rcItem = RECT{0, 0, 100, 20};
        draw.itemData = ReadItem(menu, 0).dwItemData;
        DrawMenuItem(&draw);
        FreeOwnerDrawMenu(menu);
        DestroyMenu(menu);
    }

    // Measures item 0 of a converted one-item menu "<id>|<label>".
    MEASUREITEMSTRUCT MeasureItem(const char* text) {
        HMENU menu = CreatePopupMenu();
        AppendMenuA(menu, MF_STRING, 1, text);
        ConvertMenuToOwnerDraw(menu);
        MEASUREITEMSTRUCT measure{};
        measure.CtlType = ODT_MENU;
        measure.itemData = ReadItem(menu, 0).dwItemData;
        MeasureMenuItem(&measure);
        FreeOwnerDrawMenu(menu);
        DestroyMenu(menu);
        return measure;
    }

    long gdiBefore = 0;
    int recordsBefore = 0;
};

TEST_F(TrayMenuTest, TheTrayMenuBecomesTwoOwnerDrawnItemsWithPictures) {
    HMENU loaded = LoadMenuA(appState.instanceHandle, MAKEINTRESOURCEA(IDR_TRAYMENU));
    ASSERT_NE(loaded, nullptr);
    HMENU menu = GetSubMenu(loaded, 0);
    ASSERT_EQ(GetMenuItemCount(menu), 2);
    ConvertMenuToOwnerDraw(menu);

    MENUITEMINFOA exit = ReadItem(menu, 0);
    EXPECT_EQ(exit.fType, static_cast<UINT>(MFT_OWNERDRAW));
    EXPECT_EQ(exit.wID, static_cast<UINT>(IDM_EXIT));
    EXPECT_EQ(RecordOf(menu, 0)->label, "Esci");
    MENUITEMINFOA properties = ReadItem(menu, 1);
    EXPECT_EQ(properties.fType, static_cast<UINT>(MFT_OWNERDRAW));
    EXPECT_EQ(properties.wID, static_cast<UINT>(IDM_PROPERTIES));
    EXPECT_EQ(RecordOf(menu, 1)->label, "Propiet\xE0");
    ExpectAccessibleName(menu, 0, L"Esci");
    ExpectAccessibleName(menu, 1, L"Propiet\u00E0");

    BITMAP picture{};
    ASSERT_NE(RecordOf(menu, 0)->picture, nullptr);
    ASSERT_TRUE(GetObjectA(RecordOf(menu, 0)->picture, sizeof picture, &picture));
    EXPECT_EQ(picture.bmWidth, 16);
    EXPECT_EQ(picture.bmHeight, 15);
    EXPECT_NE(RecordOf(menu, 1)->picture, nullptr);
    EXPECT_EQ(GdiObjectsInUse(), gdiBefore + 2);
    EXPECT_EQ(OwnerDrawRecordsInUse(), recordsBefore + 2);

    FreeOwnerDrawMenu(menu);
    EXPECT_EQ(ReadItem(menu, 0).dwItemData, 0u);
    FreeOwnerDrawMenu(menu); // a second release finds nothing to free
    DestroyMenu(loaded);
}

TEST_F(TrayMenuTest, ItemsThatAreNotPlainTextWithABarStayAsTheyAre) {
    HMENU menu = CreatePopupMenu();
    AppendMenuA(menu, MF_STRING, 1, "Esci");
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu, MF_OWNERDRAW, 3, reinterpret_cast<LPCSTR>(0x1234));
    HBITMAP bitmap = CreateBitmap(8, 8, 1, 1, nullptr);
    AppendMenuA(menu, MF_BITMAP, 4, reinterpret_cast<LPCSTR>(bitmap));
    ConvertMenuToOwnerDraw(menu);

    char text[64] = "";
    MENUITEMINFOA plain = ReadItem(menu, 0, text, sizeof text);
    EXPECT_EQ(plain.fType, static_cast<UINT>(MFT_STRING));
    EXPECT_STREQ(text, "Esci");
    EXPECT_EQ(ReadItem(menu, 1).fType & MFT_SEPARATOR, static_cast<UINT>(MFT_SEPARATOR));
    EXPECT_EQ(ReadItem(menu, 2).dwItemData, 0x1234u);
    EXPECT_EQ(ReadItem(menu, 3).fType & MFT_BITMAP, static_cast<UINT>(MFT_BITMAP));
    EXPECT_EQ(OwnerDrawRecordsInUse(), recordsBefore);

    // Releasing leaves an owner-drawn item that is not ours alone.
    FreeOwnerDrawMenu(menu);
    EXPECT_EQ(ReadItem(menu, 2).dwItemData, 0x1234u);
    DestroyMenu(menu);
    DeleteObject(bitmap);
}

TEST_F(TrayMenuTest, LabelRulesForOddTexts) {
    const struct {
        const char* text;
        const char* label;
        const wchar_t* name; // for screen readers
        bool picture;
    } items[] = {
        {"183|Apri|Chiudi", "Apri|Chiudi", L"Apri|Chiudi", true},     // the first bar alone divides
        {"abc|Senza numero", "Senza numero", L"Senza numero", false}, // no number, no picture
        {"999|Senza figura", "Senza figura", L"Senza figura", false}, // no picture has that number
        {"184|", "", L"", true},                                      // an empty label
    };
    HMENU menu = CreatePopupMenu();
    UINT id = 1;
    for (const auto& item : items) {
        AppendMenuA(menu, MF_STRING, id++, item.text);
    }
    ConvertMenuToOwnerDraw(menu);
    for (UINT position = 0; position < 4; ++position) {
        SCOPED_TRACE(items[position].text);
        EXPECT_EQ(RecordOf(menu, position)->label, items[position].label);
        EXPECT_EQ(RecordOf(menu, position)->picture != nullptr, items[position].picture);
        ExpectAccessibleName(menu, position, items[position].name);
    }
    EXPECT_EQ(ReadItem(menu, 2).wID, 3u);
    FreeOwnerDrawMenu(menu);
    DestroyMenu(menu);
}

// A name in letters outside a Western code page ("Uscita" in Russian) reaches screen
// readers whole: it is the item's own wide text, not the ANSI label converted back.
TEST_F(TrayMenuTest, TheAccessibleNameKeepsLettersTheCodePageLacks) {
    HMENU menu = CreatePopupMenu();
    AppendMenuW(menu, MF_STRING, 1, L"184|\u0412\u044B\u0445\u043E\u0434");
    ConvertMenuToOwnerDraw(menu);
    ExpectAccessibleName(menu, 0, L"\u0412\u044B\u0445\u043E\u0434");
    FreeOwnerDrawMenu(menu);
    DestroyMenu(menu);
}

TEST_F(TrayMenuTest, ConversionKeepsStateSubMenusAndReachesIntoThem) {
    HMENU inner = CreatePopupMenu();
    AppendMenuA(inner, MF_STRING, 11, "184|Dentro");
    HMENU menu = CreatePopupMenu();
    AppendMenuA(menu, MF_STRING | MF_POPUP, reinterpret_cast<UINT_PTR>(inner), "183|Altro");
    AppendMenuA(menu, MF_STRING | MF_GRAYED, 2, "184|Spento");
    SetMenuDefaultItem(menu, 2, FALSE);
    ConvertMenuToOwnerDraw(menu);

    MENUITEMINFOA popup = ReadItem(menu, 0);
    EXPECT_EQ(popup.fType, static_cast<UINT>(MFT_OWNERDRAW));
    EXPECT_EQ(popup.hSubMenu, inner);
    EXPECT_EQ(ReadItem(inner, 0).fType, static_cast<UINT>(MFT_OWNERDRAW));
    EXPECT_EQ(RecordOf(inner, 0)->label, "Dentro");
    MENUITEMINFOA greyed = ReadItem(menu, 1);
    EXPECT_EQ(greyed.fType, static_cast<UINT>(MFT_OWNERDRAW));
    EXPECT_TRUE(greyed.fState & MFS_GRAYED);
    EXPECT_TRUE(greyed.fState & MFS_DEFAULT);
    EXPECT_EQ(OwnerDrawRecordsInUse(), recordsBefore + 3);

    FreeOwnerDrawMenu(menu); // frees the sub-menu's record too
    EXPECT_EQ(OwnerDrawRecordsInUse(), recordsBefore);
    DestroyMenu(menu);
}

TEST_F(TrayMenuTest, MeasureIsLabelExtentPlusMargin) {
    MEASUREITEMSTRUCT measure = MeasureItem("184|Esci");
    SIZE extent = TextExtent("Esci", nullptr);
    ASSERT_GT(extent.cx, 0);
    EXPECT_EQ(measure.itemWidth, static_cast<UINT>(extent.cx + 22));
    EXPECT_EQ(measure.itemHeight, static_cast<UINT>(extent.cy > 16 ? extent.cy : 17));

    // Item data that is not one of ours measures as an empty item and is never read.
    MEASUREITEMSTRUCT foreign{};
    foreign.CtlType = ODT_MENU;
    foreign.itemData = 0x10;
    MeasureMenuItem(&foreign);
    EXPECT_EQ(foreign.itemWidth, 22u);
    EXPECT_EQ(foreign.itemHeight, 17u);
    MEASUREITEMSTRUCT control{};
    control.CtlType = ODT_BUTTON;
    MeasureMenuItem(&control);
    EXPECT_EQ(control.itemWidth, 0u);
    MeasureMenuItem(nullptr);
}

// Windows draws the labels in the menu font, which grows with the dots per inch; the
// items must hold them whole. Also run at 144 dpi (CMakeLists.txt), where the label in
// that font is taller than the screen font's.
TEST_F(TrayMenuTest, ItemsHoldTheirLabelsInTheMenuFont) {
    MEASUREITEMSTRUCT measure = MeasureItem("183|Propiet\xE0");
    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = sizeof metrics;
    ASSERT_TRUE(SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0));
    SIZE extent = TextExtent("Propiet\xE0", &metrics.lfMenuFont);
    ASSERT_GT(extent.cy, 0);
    EXPECT_GE(measure.itemHeight, static_cast<UINT>(extent.cy));
    EXPECT_GE(measure.itemWidth, static_cast<UINT>(extent.cx + 22));
}

TEST_F(TrayMenuTest, EnabledItemShowsItsPictureOnTheMenuColour) {
    Canvas canvas(100, 20, kPaper);
    int saved = SaveDC(canvas.Dc());
    COLORREF textBefore = GetTextColor(canvas.Dc());
    DrawItem(canvas, "184|Esci", 0);
    Picture exit(IDB_MENU_EXIT);
    int top = MenuPictureTop(0, [&] {
        SIZE extent{};
        GetTextExtentPoint32A(canvas.Dc(), "Esci", 4, &extent);
        return static_cast<int>(extent.cy);
    }());
    for (int y = 0; y < kMenuPictureHeight; ++y) {
        for (int x = 0; x < kMenuPictureWidth; ++x) {
            ASSERT_EQ(canvas.At(2 + x, top + y), exit.At(x, y)) << x << "," << y;
        }
    }
    EXPECT_EQ(canvas.At(99, 19), GetSysColor(COLOR_MENU));
    EXPECT_EQ(canvas.At(0, 0), GetSysColor(COLOR_MENU));
    // The label is drawn from x = 22 in the colour the context came with.
    bool inked = false;
    for (int y = 0; y < 20 && !inked; ++y) {
        for (int x = 22; x < 60 && !inked; ++x) {
            inked = canvas.At(x, y) == textBefore;
        }
    }
    EXPECT_TRUE(inked);
    for (int y = 0; y < 20; ++y) {
        for (int x = 0; x < 22; ++x) {
            if (x < 2 || x >= 18 || y < top || y >= top + 15) {
                ASSERT_EQ(canvas.At(x, y), GetSysColor(COLOR_MENU)) << x << "," << y;
            }
        }
    }
    // The context is handed back as it came.
    EXPECT_EQ(GetTextColor(canvas.Dc()), textBefore);
    EXPECT_EQ(GetBkMode(canvas.Dc()), OPAQUE);
    EXPECT_EQ(SaveDC(canvas.Dc()), saved + 1);
}

TEST_F(TrayMenuTest, SelectedItemHasAHighlightBarBesideARaisedPictureCell) {
    Canvas canvas(100, 20, kPaper);
    DrawItem(canvas, "184|Esci", ODS_SELECTED);
    COLORREF light = GetSysColor(COLOR_BTNHIGHLIGHT);
    COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);
    EXPECT_EQ(canvas.At(20, 0), GetSysColor(COLOR_HIGHLIGHT));
    EXPECT_EQ(canvas.At(99, 19), GetSysColor(COLOR_HIGHLIGHT));
    EXPECT_EQ(canvas.At(0, 10), light);   // left edge
    EXPECT_EQ(canvas.At(10, 0), light);   // top edge
    EXPECT_EQ(canvas.At(19, 10), shadow); // right edge
    EXPECT_EQ(canvas.At(10, 19), shadow); // bottom edge
    EXPECT_EQ(canvas.At(1, 1), kPaper);   // inside the cell the target keeps its pixels
}

TEST_F(TrayMenuTest, SelectedItemWithoutAPictureIsHighlightedAcrossTheRow) {
    Canvas canvas(100, 20, kPaper);
    DrawItem(canvas, "999|Esci", ODS_SELECTED);
    EXPECT_EQ(canvas.At(0, 10), GetSysColor(COLOR_HIGHLIGHT));
    EXPECT_EQ(canvas.At(10, 0), GetSysColor(COLOR_HIGHLIGHT));
    EXPECT_EQ(canvas.At(19, 19), GetSysColor(COLOR_HIGHLIGHT));
}

TEST_F(TrayMenuTest, DisabledItemShowsItsPictureEngraved) {
    for (UINT state : {static_cast<UINT>(ODS_GRAYED), static_cast<UINT>(ODS_DISABLED | ODS_SELECTED)}) {
        Canvas canvas(100, 20, kPaper);
        DrawItem(canvas, "184|Esci", state);
        Picture exit(IDB_MENU_EXIT);
        SIZE extent{};
        GetTextExtentPoint32A(canvas.Dc(), "Esci", 4, &extent);
        int top = MenuPictureTop(0, extent.cy);
        bool selected = (state & ODS_SELECTED) != 0;
        COLORREF ground = GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_MENU);
        for (int y = -1; y <= kMenuPictureHeight; ++y) {
            for (int x = -1; x <= kMenuPictureWidth; ++x) {
                if (selected && 2 + x < 20) {
                    continue; // the cell of a selected item keeps the paper
                }
                COLORREF expected = exit.Inked(x, y)           ? GetSysColor(COLOR_BTNSHADOW)
                                    : exit.Inked(x - 1, y - 1) ? GetSysColor(COLOR_BTNHIGHLIGHT)
                                                               : ground;
                ASSERT_EQ(canvas.At(2 + x, top + y), expected) << state << ": " << x << "," << y;
            }
        }
        if (selected) {
            // No raised frame for a disabled item, even when selected.
            EXPECT_EQ(canvas.At(0, 10), kPaper);
            EXPECT_EQ(canvas.At(19, 10), kPaper);
        }
    }
}

TEST_F(TrayMenuTest, DisabledLabelIsEmbossed) {
    Canvas canvas(100, 20, kPaper);
    DrawItem(canvas, "999|Esci", ODS_GRAYED);
    int grey = 0;
    int light = 0;
    for (int y = 0; y < 20; ++y) {
        for (int x = 22; x < 100; ++x) {
            grey += canvas.At(x, y) == GetSysColor(COLOR_GRAYTEXT);
            light += canvas.At(x, y) == GetSysColor(COLOR_HIGHLIGHTTEXT);
        }
    }
    EXPECT_GT(grey, 5);
    EXPECT_GT(light, 5);
}

TEST_F(TrayMenuTest, FocusChangesAndForeignRequestsDrawNothingHarmful) {
    Canvas canvas(100, 20, kPaper);
    DrawItem(canvas, "184|Esci", ODS_SELECTED, ODA_FOCUS);
    EXPECT_EQ(canvas.At(50, 10), kPaper);

    DRAWITEMSTRUCT foreign{};
    foreign.CtlType = ODT_MENU;
    foreign.itemAction = ODA_DRAWENTIRE;
    foreign.hDC = canvas.Dc();
    foreign.rcItem = RECT{0, 0, 100, 20};
    foreign.itemData = 0x10; // not a record of ours: an empty item, never read through
    DrawMenuItem(&foreign);
    EXPECT_EQ(canvas.At(50, 10), GetSysColor(COLOR_MENU));
    DrawMenuItem(nullptr);
}

TEST_F(TrayMenuTest, DisabledMaskIsBlackWhereThePictureHasInk) {
    Picture exit(IDB_MENU_EXIT);
    HBITMAP mask = BuildDisabledMask(exit.dc);
    ASSERT_NE(mask, nullptr);
    BITMAP shape{};
    GetObjectA(mask, sizeof shape, &shape);
    EXPECT_EQ(shape.bmBitsPixel, 1);
    EXPECT_EQ(shape.bmWidth, 16);
    EXPECT_EQ(shape.bmHeight, 15);
    EXPECT_EQ(GetBkColor(exit.dc), kWhite);

    HDC reader = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(reader, mask);
    int inked = 0;
    for (int y = 0; y < 15; ++y) {
        for (int x = 0; x < 16; ++x) {
            COLORREF expected = exit.Inked(x, y) ? RGB(0, 0, 0) : kWhite;
            ASSERT_EQ(GetPixel(reader, x, y), expected) << x << "," << y;
            inked += exit.Inked(x, y);
        }
    }
    EXPECT_GT(inked, 10);
    EXPECT_LT(inked, 16 * 15);
    SelectObject(reader, previous);
    DeleteDC(reader);
    TallyDeleteObject(mask);
}

// Tracks the menu for real: the window forwards the owner-draw requests, and a timer
// ends the menu once its items have been drawn.
int drawRequests = 0;
int drawsAtOpen = 0;
int ticksWhileOpen = 0;

LRESULT CALLBACK OwnerWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_MEASUREITEM:
        MeasureMenuItem(reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_DRAWITEM:
        ++drawRequests;
        DrawMenuItem(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

void CALLBACK EndMenuOnceDrawn(HWND, UINT, UINT_PTR, DWORD) {
    ++ticksWhileOpen;
    if (drawRequests >= drawsAtOpen + 2 || ticksWhileOpen > 50) {
        EndMenu();
    }
}

TEST_F(TrayMenuTest, ShowingTheMenuHundredsOfTimesLeavesNothingBehind) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = OwnerWindowProc;
    windowClass.hInstance = appState.instanceHandle;
    windowClass.lpszClassName = "TrayMenuOwner";
    RegisterClassA(&windowClass);
    HWND owner = CreateWindowExA(0, "TrayMenuOwner", nullptr, WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                 appState.instanceHandle, nullptr);
    ASSERT_NE(owner, nullptr);
    int shownWithDrawing = 0;
    for (int round = 0; round < 200; ++round) {
        HMENU loaded = LoadMenuA(appState.instanceHandle, MAKEINTRESOURCEA(IDR_TRAYMENU));
        HMENU menu = GetSubMenu(loaded, 0);
        ConvertMenuToOwnerDraw(menu);
        drawsAtOpen = drawRequests;
        ticksWhileOpen = 0;
        UINT_PTR timer = SetTimer(nullptr, 0, 10, EndMenuOnceDrawn);
        SetForegroundWindow(owner);
        TrackPopupMenu(menu, TPM_RIGHTALIGN | TPM_RIGHTBUTTON, 600, 400, 0, owner, nullptr);
        KillTimer(nullptr, timer);
        PostMessageA(owner, WM_NULL, 0, 0);
        shownWithDrawing += drawRequests >= drawsAtOpen + 2;
        FreeOwnerDrawMenu(menu);
        DestroyMenu(loaded);
        ASSERT_EQ(GdiObjectsInUse(), gdiBefore) << "round " << round;
        ASSERT_EQ(OwnerDrawRecordsInUse(), recordsBefore) << "round " << round;
    }
    EXPECT_EQ(shownWithDrawing, 200);
    DestroyWindow(owner);
}

// Tracks the tray menu as the program does. A timer waits until the menu shows, looks
// at its owner and presses keys as a person would; should the menu still be open long
// after, it ends it, so that a menu deaf to the keys fails the test instead of hanging.
struct OwnerLook {
    bool exists = false;
    bool foreground = false;
    bool visible = false;
    bool sizeless = false;
    bool ownedByMainWindow = false;
};
OwnerLook ownerLook;
std::vector<WORD> keysToPress;
bool keysPressed = false;
int ticksWaited = 0;

void CALLBACK LookAtTheOwnerAndPressKeys(HWND, UINT, UINT_PTR, DWORD) {
    if (++ticksWaited > 250) {
        EndMenu();
        return;
    }
    if (keysPressed || VisibleWindow("#32768") == nullptr) {
        return;
    }
    HWND owner = FindWindowA(kMenuOwnerClass, nullptr);
    RECT place{0, 0, 0, 0};
    GetWindowRect(owner, &place);
    ownerLook.exists = owner != nullptr;
    ownerLook.foreground = owner != nullptr && GetForegroundWindow() == owner;
    ownerLook.visible = IsWindowVisible(owner) != FALSE;
    ownerLook.sizeless = IsRectEmpty(&place) != FALSE;
    ownerLook.ownedByMainWindow = GetWindow(owner, GW_OWNER) == appState.mainWindow;
    for (WORD key : keysToPress) {
        SendKey(key);
    }
    keysPressed = true;
    ticksWaited = 0;
}

TEST_F(TrayMenuTest, TheTrayMenuHasAForegroundOwnerAndAnswersTheKeyboard) {
    appState.mainWindow = CreateWindowExA(0, "STATIC", nullptr, WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                          appState.instanceHandle, nullptr);
    ASSERT_NE(appState.mainWindow, nullptr);
    struct Round {
        std::vector<WORD> keys;
        UINT expected;
    };
    // "Esci" is the first item, "Propietà" the second; Up from no selection goes to the
    // last item.
    const Round rounds[] = {
        {{VK_DOWN, VK_RETURN}, IDM_EXIT},
        {{VK_UP, VK_RETURN}, IDM_PROPERTIES},
        {{VK_DOWN, VK_DOWN, VK_UP, VK_RETURN}, IDM_EXIT},
        {{VK_ESCAPE}, 0},
    };
    for (const Round& round : rounds) {
        HMENU loaded = LoadMenuA(appState.instanceHandle, MAKEINTRESOURCEA(IDR_TRAYMENU));
        HMENU menu = GetSubMenu(loaded, 0);
        ConvertMenuToOwnerDraw(menu);
        ownerLook = OwnerLook();
        keysToPress = round.keys;
        keysPressed = false;
        ticksWaited = 0;
        UINT_PTR timer = SetTimer(nullptr, 0, 20, LookAtTheOwnerAndPressKeys);
        UINT chosen = TrackTrayMenu(menu, POINT{600, 400});
        KillTimer(nullptr, timer);
        FreeOwnerDrawMenu(menu);
        DestroyMenu(loaded);

        EXPECT_TRUE(keysPressed);
        EXPECT_EQ(chosen, round.expected) << "after " << round.keys.size() << " keys";
        EXPECT_TRUE(ownerLook.exists);
        EXPECT_TRUE(ownerLook.foreground);
        EXPECT_TRUE(ownerLook.visible);
        EXPECT_TRUE(ownerLook.sizeless);
        EXPECT_TRUE(ownerLook.ownedByMainWindow);
        EXPECT_EQ(FindWindowA(kMenuOwnerClass, nullptr), nullptr); // it goes with the menu
    }
    DestroyWindow(appState.mainWindow);
}

} // namespace
