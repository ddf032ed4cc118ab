// Loads every resource of skittera.rc the way the program does and checks what comes back: the pictures'
// sizes and depths, the icon's six images, the tray menu, and the properties dialog built from its template.
// Prints one line per failed check and exits with 1 if any failed, 0 otherwise.

#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "resource.h"

namespace {

int failureCount = 0;

__attribute__((format(printf, 2, 3))) void Check(bool condition, const char* format, ...) {
    if (condition) {
        return;
    }
    ++failureCount;
    va_list arguments;
    va_start(arguments, format);
    std::fputs("FAIL: ", stdout);
    std::vprintf(format, arguments);
    std::fputs("\n", stdout);
    va_end(arguments);
}

// The expected text in the process's ANSI code page, so the comparison holds whatever that page is.
void ToAnsi(const wchar_t* text, char* out, int size) {
    if (WideCharToMultiByte(CP_ACP, 0, text, -1, out, size, nullptr, nullptr) == 0) {
        out[0] = '\0';
    }
}

struct ExpectedPicture {
    int id;
    int width;
    int height;
    int bitsPerPixel;
};

const ExpectedPicture kPictures[] = {
    {IDB_SPLASH, 250, 171, 4},     {IDB_FIGURE, 65, 96, 4},          {IDB_DIGIT_0 + 0, 20, 27, 4},
    {IDB_DIGIT_0 + 1, 20, 27, 4},  {IDB_DIGIT_0 + 2, 20, 27, 4},     {IDB_DIGIT_0 + 3, 20, 27, 4},
    {IDB_DIGIT_0 + 4, 20, 27, 4},  {IDB_DIGIT_0 + 5, 20, 27, 4},     {IDB_DIGIT_0 + 6, 20, 27, 4},
    {IDB_DIGIT_0 + 7, 20, 27, 4},  {IDB_DIGIT_0 + 8, 20, 27, 4},     {IDB_DIGIT_9, 20, 27, 4},
    {IDB_DIGIT_BLANK, 20, 27, 4},  {IDB_DIGIT_POINT, 20, 27, 4},     {IDB_GAUGE_FACE, 124, 124, 8},
    {IDB_GAUGE_MASK, 124, 124, 1}, {IDB_MENU_PROPERTIES, 16, 15, 4}, {IDB_MENU_EXIT, 16, 15, 4},
};

COLORREF PixelOf(HBITMAP picture, int x, int y) {
    HDC memory = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(memory, picture);
    COLORREF colour = GetPixel(memory, x, y);
    SelectObject(memory, previous);
    DeleteDC(memory);
    return colour;
}

void CheckPictures(HINSTANCE instance) {
    for (const ExpectedPicture& want : kPictures) {
        // As the program loads it: a device-dependent bitmap of the picture's size.
        HBITMAP picture = LoadBitmapA(instance, MAKEINTRESOURCEA(want.id));
        if (!picture) {
            Check(false, "bitmap %d does not load", want.id);
            continue;
        }
        BITMAP info = {};
        GetObjectA(picture, sizeof info, &info);
        Check(info.bmWidth == want.width && info.bmHeight == want.height, "bitmap %d is %ldx%ld, not %dx%d",
              want.id, info.bmWidth, info.bmHeight, want.width, want.height);
        if (want.id == IDB_GAUGE_MASK) {
            // The mask is applied with a raster operation that needs a true monochrome bitmap.
            Check(info.bmBitsPixel == 1 && info.bmPlanes == 1, "the gauge mask loads with %d bits per pixel",
                  info.bmBitsPixel);
            Check(PixelOf(picture, 62, 62) == RGB(255, 255, 255),
                  "the gauge mask is not white at its centre");
            Check(PixelOf(picture, 0, 0) == RGB(0, 0, 0), "the gauge mask is not black in its corner");
        }
        if (want.id == IDB_GAUGE_FACE || want.id == IDB_MENU_EXIT || want.id == IDB_MENU_PROPERTIES ||
            want.id == IDB_FIGURE) {
            Check(PixelOf(picture, 0, 0) == RGB(192, 192, 192), "bitmap %d's corner is not light grey",
                  want.id);
        }
        DeleteObject(picture);

        // Its stored depth, which a section created from the resource keeps.
        HANDLE section =
            LoadImageA(instance, MAKEINTRESOURCEA(want.id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION);
        DIBSECTION dib = {};
        if (section && GetObjectA(section, sizeof dib, &dib) == sizeof dib) {
            Check(dib.dsBmih.biBitCount == want.bitsPerPixel, "bitmap %d is stored with %d bits, not %d",
                  want.id, dib.dsBmih.biBitCount, want.bitsPerPixel);
        } else {
            Check(false, "bitmap %d does not load as a section", want.id);
        }
        if (section) {
            DeleteObject(section);
        }
    }
    // A digit's picture is found by arithmetic: nothing may sit just outside the drum range.
    const int outside[] = {IDB_DIGIT_0 - 1, IDB_DIGIT_POINT + 1};
    for (int id : outside) {
        HBITMAP stray = LoadBitmapA(instance, MAKEINTRESOURCEA(id));
        Check(stray == nullptr, "an unexpected bitmap %d exists", id);
        if (stray) {
            DeleteObject(stray);
        }
    }
}

// The sizes the notification area asks for from 100 % to 300 %: 16 and 32 in 16 colours, the others in
// 32-bit colour with alpha.
struct ExpectedIconImage {
    int size;
    int bitsPerPixel;
};

const ExpectedIconImage kIconImages[] = {{16, 4}, {20, 32}, {24, 32}, {32, 4}, {40, 32}, {48, 32}};

// The group holds an image of exactly this size and depth, which is then the one the loader takes.
void CheckIconImage(HINSTANCE instance, int size, int bitsPerPixel) {
    HRSRC group =
        FindResourceA(instance, MAKEINTRESOURCEA(IDI_SKITTERA), MAKEINTRESOURCEA(14)); // RT_GROUP_ICON
    if (!group) {
        Check(false, "icon group %d is missing", IDI_SKITTERA);
        return;
    }
    PBYTE directory = static_cast<PBYTE>(LockResource(LoadResource(instance, group)));
    int imageId = LookupIconIdFromDirectoryEx(directory, TRUE, size, size, LR_DEFAULTCOLOR);
    HRSRC image = imageId ? FindResourceA(instance, MAKEINTRESOURCEA(imageId), MAKEINTRESOURCEA(3)) : nullptr;
    if (!image) {
        Check(false, "no %dx%d icon image", size, size);
        return;
    }
    const BITMAPINFOHEADER* header =
        static_cast<const BITMAPINFOHEADER*>(LockResource(LoadResource(instance, image)));
    // An icon image's header counts its colour and mask bitmaps together, twice the icon's height.
    Check(header->biWidth == size && header->biHeight == 2 * size && header->biBitCount == bitsPerPixel,
          "the %dx%d icon image is %ldx%ld at %d bits", size, size, header->biWidth, header->biHeight / 2,
          header->biBitCount);
}

void CheckIcon(HINSTANCE instance) {
    HICON icon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_SKITTERA));
    Check(icon != nullptr, "icon %d does not load", IDI_SKITTERA);
    if (icon) {
        ICONINFO info = {};
        if (GetIconInfo(icon, &info)) {
            BITMAP colour = {};
            GetObjectA(info.hbmColor, sizeof colour, &colour);
            Check(colour.bmWidth == 32 && colour.bmHeight == 32, "the icon loads as %ldx%ld", colour.bmWidth,
                  colour.bmHeight);
            DeleteObject(info.hbmColor);
            DeleteObject(info.hbmMask);
        }
    }
    for (const ExpectedIconImage& expected : kIconImages) {
        CheckIconImage(instance, expected.size, expected.bitsPerPixel);
        // Loaded at that size, the icon is that size.
        HICON sized = static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(IDI_SKITTERA), IMAGE_ICON,
                                                    expected.size, expected.size, 0));
        ICONINFO info = {};
        BITMAP mask = {};
        if (sized != nullptr && GetIconInfo(sized, &info)) {
            GetObjectA(info.hbmMask, sizeof mask, &mask);
            DeleteObject(info.hbmColor);
            DeleteObject(info.hbmMask);
        }
        Check(mask.bmWidth == expected.size, "the icon loaded at %d pixels is %ld wide", expected.size,
              mask.bmWidth);
        if (sized != nullptr) {
            DestroyIcon(sized);
        }
    }
}

void CheckMenu(HINSTANCE instance) {
    Check(FindResourceExA(instance, MAKEINTRESOURCEA(4), MAKEINTRESOURCEA(IDR_TRAYMENU),
                          MAKELANGID(LANG_ITALIAN, SUBLANG_ITALIAN)) != nullptr,
          "menu %d is not Italian", IDR_TRAYMENU);
    HMENU menu = LoadMenuA(instance, MAKEINTRESOURCEA(IDR_TRAYMENU));
    if (!menu) {
        Check(false, "menu %d does not load", IDR_TRAYMENU);
        return;
    }
    char text[256];
    Check(GetMenuItemCount(menu) == 1, "the menu has %d top-level entries", GetMenuItemCount(menu));
    GetMenuStringA(menu, 0, text, sizeof text, MF_BYPOSITION);
    Check(std::strcmp(text, "Popup") == 0, "the pop-up is called \"%s\"", text);
    HMENU popup = GetSubMenu(menu, 0);
    if (popup) {
        Check(GetMenuItemCount(popup) == 2, "the pop-up has %d items", GetMenuItemCount(popup));
        Check(GetMenuItemID(popup, 0) == IDM_EXIT && GetMenuItemID(popup, 1) == IDM_PROPERTIES,
              "the pop-up's commands are %u and %u", GetMenuItemID(popup, 0), GetMenuItemID(popup, 1));
        GetMenuStringA(popup, 0, text, sizeof text, MF_BYPOSITION);
        Check(std::strcmp(text, "184|Esci") == 0, "the first item reads \"%s\"", text);
        char expected[64];
        ToAnsi(L"183|Propiet\u00e0", expected, sizeof expected);
        GetMenuStringA(popup, 1, text, sizeof text, MF_BYPOSITION);
        Check(std::strcmp(text, expected) == 0, "the second item reads \"%s\"", text);
    } else {
        Check(false, "the menu has no pop-up");
    }
    DestroyMenu(menu);
}

INT_PTR CALLBACK QuietDialogProc(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG ? TRUE : FALSE;
}

bool IsDrumCell(int id) {
    return (id >= IDC_DISTANCE_CELL_FIRST && id < IDC_DISTANCE_CELL_FIRST + 10) ||
           (id >= IDC_SPEED_CELL_FIRST && id < IDC_SPEED_CELL_FIRST + 6);
}

// A picture cell shows its picture at the picture's own size, whatever the template's
// rectangle: a drum's 20 x 27, the figure's 65 x 96.
void CheckPictureCell(HWND control) {
    int id = GetDlgCtrlID(control);
    HBITMAP shown = reinterpret_cast<HBITMAP>(SendMessageA(control, STM_GETIMAGE, IMAGE_BITMAP, 0));
    if (!shown) {
        Check(false, "picture cell %d shows no picture", id);
        return;
    }
    BITMAP info = {};
    GetObjectA(shown, sizeof info, &info);
    RECT client = {};
    GetClientRect(control, &client);
    Check(client.right == info.bmWidth && client.bottom == info.bmHeight,
          "picture cell %d is %ldx%ld around a %ldx%ld picture", id, client.right, client.bottom,
          info.bmWidth, info.bmHeight);
    long width = IsDrumCell(id) ? 20 : 65;
    long height = IsDrumCell(id) ? 27 : 96;
    Check(info.bmWidth == width && info.bmHeight == height, "picture cell %d shows a %ldx%ld picture", id,
          info.bmWidth, info.bmHeight);
}

// The dialog as Windows builds it from the template. The template itself, control by control, is checked
// against its one written-out expectation in check_resources.py; here only what the built dialog adds: a
// font of its own, and pictures at their own size in every picture cell.
void CheckDialog(HINSTANCE instance) {
    HWND dialog = CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_PROPERTIES), nullptr, QuietDialogProc, 0);
    if (!dialog) {
        Check(false, "dialog %d cannot be created (error %lu)", IDD_PROPERTIES, GetLastError());
        return;
    }
    Check(SendMessageA(dialog, WM_GETFONT, 0, 0) != 0, "the dialog has no font of its own");
    int cells = 0;
    for (HWND control = GetWindow(dialog, GW_CHILD); control; control = GetWindow(control, GW_HWNDNEXT)) {
        char className[16] = "";
        GetClassNameA(control, className, sizeof className);
        if (lstrcmpiA(className, "Static") == 0 &&
            (GetWindowLongA(control, GWL_STYLE) & SS_TYPEMASK) == SS_BITMAP) {
            CheckPictureCell(control);
            ++cells;
        }
    }
    Check(cells == 17, "the dialog has %d picture cells, not the 16 drums and the figure", cells);

    // Where the speedometer lands: its 124x124 face is copied into this rectangle without scaling.
    RECT frame = {};
    HWND frameControl = GetDlgItem(dialog, IDC_GAUGE_FRAME);
    if (frameControl) {
        GetWindowRect(frameControl, &frame);
        std::printf("gauge frame: %ld x %ld pixels\n", frame.right - frame.left, frame.bottom - frame.top);
    }
    Check(GetDlgItem(dialog, IDC_HISTORY) != nullptr, "the dialog has no \"Storico...\" button");
    DestroyWindow(dialog);
}

// The history window's template builds, with a stand-in for the chart's class (the program registers the
// real one), and every control lies inside the window.
void CheckHistoryWindow(HINSTANCE instance) {
    WNDCLASSA chartClass = {};
    chartClass.lpfnWndProc = DefWindowProcA;
    chartClass.hInstance = instance;
    chartClass.lpszClassName = "SkitteraHistoryChart";
    RegisterClassA(&chartClass);
    HWND dialog = CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_HISTORY), nullptr, QuietDialogProc, 0);
    if (!dialog) {
        Check(false, "dialog %d cannot be created (error %lu)", IDD_HISTORY, GetLastError());
        return;
    }
    Check(GetDlgItem(dialog, IDC_HISTORY_CHART) != nullptr, "the history window has no chart");
    RECT client = {};
    GetClientRect(dialog, &client);
    for (HWND control = GetWindow(dialog, GW_CHILD); control; control = GetWindow(control, GW_HWNDNEXT)) {
        RECT place = {};
        GetWindowRect(control, &place);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&place), 2);
        Check(place.left >= 0 && place.top >= 0 && place.right <= client.right &&
                  place.bottom <= client.bottom,
              "history control %d runs out of the window", GetDlgCtrlID(control));
    }
    DestroyWindow(dialog);
    UnregisterClassA("SkitteraHistoryChart", instance);
}

} // namespace

int main() {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    CheckPictures(instance);
    CheckIcon(instance);
    CheckMenu(instance);
    CheckDialog(instance);
    CheckHistoryWindow(instance);
    if (failureCount) {
        std::printf("resource check: %d failure(s)\n", failureCount);
        return 1;
    }
    std::printf("resource check: every resource loads as expected\n");
    return 0;
}
