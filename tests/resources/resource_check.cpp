// Loads every resource of skittera.rc the way the program does and checks what comes back: the pictures'
// sizes and depths, the icon's two images, the tray menu, and the properties dialog built from its template.
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

void CheckIconImage(HINSTANCE instance, int size) {
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
    Check(header->biWidth == size && header->biHeight == 2 * size && header->biBitCount == 4,
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
    CheckIconImage(instance, 32);
    CheckIconImage(instance, 16);
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

// The dialog's windows in creation order, which is the template's and the tab order. A null text marks a
// picture cell, which shows its bitmap instead; "\u00e0" stands for the a-grave of "Velocità".
struct ExpectedControl {
    int id;
    const char* className;
    const wchar_t* text;
    int pictureId;
};

const ExpectedControl kControls[] = {
    {IDCANCEL, "Button", L"Chiudi", 0},
    {-1, "Static", nullptr, IDB_FIGURE},
    {IDC_RESET, "Button", L"Azzera Contatore", 0},
    {IDC_UNIT_CM, "Button", L"Centimetri", 0},
    {IDC_UNIT_M, "Button", L"Metri", 0},
    {IDC_UNIT_KM, "Button", L"Chilometri", 0},
    {-1, "Button", L"Visualizza", 0},
    {1005, "Static", nullptr, IDB_DIGIT_BLANK},
    {1006, "Static", nullptr, IDB_DIGIT_BLANK},
    {1007, "Static", nullptr, IDB_DIGIT_BLANK},
    {1008, "Static", nullptr, IDB_DIGIT_BLANK},
    {1009, "Static", nullptr, IDB_DIGIT_BLANK},
    {1010, "Static", nullptr, IDB_DIGIT_BLANK},
    {1011, "Static", nullptr, IDB_DIGIT_BLANK},
    {1012, "Static", nullptr, IDB_DIGIT_BLANK},
    {1013, "Static", nullptr, IDB_DIGIT_BLANK},
    {1014, "Static", nullptr, IDB_DIGIT_BLANK},
    {-1, "Static", L"Percorsi:", 0},
    {IDC_RUN_AT_LOGON, "Button", L"Esegui all'Avvio", 0},
    {-1, "Static", L"dal:", 0},
    {IDC_SINCE_DATE, "Static", L"Static", 0},
    {-1, "Static", L"", 0},
    {IDC_UNIT_LABEL, "Static", L"dal:", 0},
    {-1, "Button", L"Velocit\u00e0", 0},
    {1023, "Static", nullptr, IDB_DIGIT_BLANK},
    {1024, "Static", nullptr, IDB_DIGIT_BLANK},
    {1025, "Static", nullptr, IDB_DIGIT_BLANK},
    {1026, "Static", nullptr, IDB_DIGIT_BLANK},
    {1027, "Static", nullptr, IDB_DIGIT_BLANK},
    {1028, "Static", nullptr, IDB_DIGIT_BLANK},
    {-1, "Static", L"Massima di oggi:", 0},
    {IDC_GAUGE_FRAME, "Static", L"", 0},
    {IDC_CURRENT_SPEED, "Static", L"Static", 0},
    {-1, "Static", L"Media di oggi:", 0},
    {IDC_AVERAGE_SPEED, "Static", L"Static", 0},
    {-1, "Static", L"Corrente:", 0},
    {-1, "Static", L"m/h", 0},
};

INT_PTR CALLBACK QuietDialogProc(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG ? TRUE : FALSE;
}

void CheckPictureCell(HWND control, const ExpectedControl& want, int index) {
    HBITMAP shown = reinterpret_cast<HBITMAP>(SendMessageA(control, STM_GETIMAGE, IMAGE_BITMAP, 0));
    if (!shown) {
        Check(false, "control %d (id %d) shows no picture", index, want.id);
        return;
    }
    BITMAP info = {};
    GetObjectA(shown, sizeof info, &info);
    RECT client = {};
    GetClientRect(control, &client);
    // Shown at the picture's own size: the control takes the picture's size, whatever the template says.
    Check(client.right == info.bmWidth && client.bottom == info.bmHeight,
          "control %d (id %d) is %ldx%ld around a %ldx%ld picture", index, want.id, client.right,
          client.bottom, info.bmWidth, info.bmHeight);
    int expectedWidth = want.pictureId == IDB_FIGURE ? 65 : 20;
    int expectedHeight = want.pictureId == IDB_FIGURE ? 96 : 27;
    Check(info.bmWidth == expectedWidth && info.bmHeight == expectedHeight,
          "control %d (id %d) shows a %ldx%ld picture", index, want.id, info.bmWidth, info.bmHeight);
    LONG exStyle = GetWindowLongA(control, GWL_EXSTYLE);
    bool isDrum = want.pictureId == IDB_DIGIT_BLANK;
    Check(((exStyle & WS_EX_TRANSPARENT) != 0) == isDrum, "control %d (id %d) has extended style 0x%lx",
          index, want.id, exStyle);
}

void CheckDialog(HINSTANCE instance) {
    HWND dialog = CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_PROPERTIES), nullptr, QuietDialogProc, 0);
    if (!dialog) {
        Check(false, "dialog %d cannot be created (error %lu)", IDD_PROPERTIES, GetLastError());
        return;
    }
    char text[256];
    GetWindowTextA(dialog, text, sizeof text);
    Check(std::strcmp(text, "Skittera") == 0, "the dialog's caption is \"%s\"", text);
    Check(SendMessageA(dialog, WM_GETFONT, 0, 0) != 0, "the dialog has no font of its own");

    const int expectedCount = sizeof kControls / sizeof kControls[0];
    int index = 0;
    for (HWND control = GetWindow(dialog, GW_CHILD); control; control = GetWindow(control, GW_HWNDNEXT)) {
        if (index >= expectedCount) {
            Check(false, "the dialog has more than %d controls", expectedCount);
            break;
        }
        const ExpectedControl& want = kControls[index];
        int id = GetDlgCtrlID(control);
        Check(static_cast<WORD>(id) == static_cast<WORD>(want.id), "control %d has id %d, not %d", index, id,
              want.id);
        char className[64];
        GetClassNameA(control, className, sizeof className);
        Check(lstrcmpiA(className, want.className) == 0, "control %d (id %d) is a %s, not a %s", index,
              want.id, className, want.className);
        if (want.text) {
            char expected[256];
            ToAnsi(want.text, expected, sizeof expected);
            GetWindowTextA(control, text, sizeof text);
            Check(std::strcmp(text, expected) == 0, "control %d (id %d) reads \"%s\"", index, want.id, text);
        } else {
            CheckPictureCell(control, want, index);
        }
        bool visible = (GetWindowLongA(control, GWL_STYLE) & WS_VISIBLE) != 0;
        Check(visible == (want.id != IDC_GAUGE_FRAME), "control %d (id %d) has the wrong visibility", index,
              want.id);
        ++index;
    }
    Check(index == expectedCount, "the dialog has %d controls, not %d", index, expectedCount);

    // Where the speedometer lands: its 124x124 face is copied into this rectangle without scaling.
    RECT frame = {};
    HWND frameControl = GetDlgItem(dialog, IDC_GAUGE_FRAME);
    if (frameControl) {
        GetWindowRect(frameControl, &frame);
        std::printf("gauge frame: %ld x %ld pixels\n", frame.right - frame.left, frame.bottom - frame.top);
    }
    DestroyWindow(dialog);
}

} // namespace

int main() {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    CheckPictures(instance);
    CheckIcon(instance);
    CheckMenu(instance);
    CheckDialog(instance);
    if (failureCount) {
        std::printf("resource check: %d failure(s)\n", failureCount);
        return 1;
    }
    std::printf("resource check: every resource loads as expected\n");
    return 0;
}
