#include "DialogHarness.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "dialog/PropertiesDialog.h"
#include "dialog/SpeedGauge.h"
#include "engine/DisplayTexts.h"
#include "resources/resource.h"
#include "shell/Globals.h"

namespace {

constexpr UINT kRescueMilliseconds = 10000;

const DialogSteps* pendingSteps = nullptr;
DialogEnd pendingEnd = DialogEnd::kHarnessCloses;
HWND runningDialog = nullptr;
UINT_PTR rescueTimer = 0;

BOOL CALLBACK FindDialogWindow(HWND window, LPARAM found) {
    char className[16] = {};
    GetClassNameA(window, className, sizeof className);
    if (std::strcmp(className, "#32770") == 0) {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

void CALLBACK RescueDialog(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    rescueTimer = 0;
    if (runningDialog != nullptr && IsWindow(runningDialog)) {
        ADD_FAILURE() << "the dialog did not close by itself";
        SendMessageA(runningDialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    }
}

// Runs on the dialog's own modal loop: the dialog is open and shown by then.
void CALLBACK DriveDialog(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    HWND dialog = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindDialogWindow, reinterpret_cast<LPARAM>(&dialog));
    if (dialog == nullptr) {
        ADD_FAILURE() << "no dialog is open";
        return;
    }
    // The modal loop shows the dialog only once its queue has run empty; until then,
    // come back later.
    if (!IsWindowVisible(dialog)) {
        SetTimer(nullptr, 0, 10, DriveDialog);
        return;
    }
    runningDialog = dialog;
    SettleDialog(dialog);
    (*pendingSteps)(dialog);
    if (pendingEnd == DialogEnd::kHarnessCloses) {
        if (IsWindow(dialog)) {
            Click(dialog, IDCANCEL);
        }
    } else {
        rescueTimer = SetTimer(nullptr, 0, kRescueMilliseconds, RescueDialog);
    }
}

} // namespace

void ResetDialogState() {
    ResetApplicationState(appState);
    appState.instanceHandle = GetModuleHandleA(nullptr);
    appState.unitDivisor = kCentimetres;
    appState.sinceDate = "07.12.1997";
    needleShown = false;
    needleDx = 0;
    needleDy = 0;
}

INT_PTR RunPropertiesDialog(const DialogSteps& steps, DialogEnd end) {
    pendingSteps = &steps;
    pendingEnd = end;
    runningDialog = nullptr;
    UINT_PTR drive = SetTimer(nullptr, 0, 1, DriveDialog);
    INT_PTR result = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_PROPERTIES), nullptr,
                                     PropertiesDialogProc, 0);
    if (result == -1) {
        KillTimer(nullptr, drive);
        ADD_FAILURE() << "the dialog did not open, error " << GetLastError();
    }
    if (rescueTimer != 0) {
        KillTimer(nullptr, rescueTimer);
        rescueTimer = 0;
    }
    pendingSteps = nullptr;
    runningDialog = nullptr;
    return result;
}

void SettleDialog(HWND dialog) {
    RedrawWindow(dialog, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_TIMER && message.hwnd == dialog) {
            continue; // the dialog ticks when a test asks it to
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    RedrawWindow(dialog, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    GdiFlush();
}

void PumpMessagesFor(DWORD milliseconds) {
    DWORD start = GetTickCount();
    while (GetTickCount() - start < milliseconds) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        Sleep(5);
    }
}

void Tick(HWND dialog) {
    SendMessageA(dialog, WM_TIMER, 0, 0);
    SettleDialog(dialog);
}

void Click(HWND dialog, int id) {
    SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
    SettleDialog(dialog);
}

std::string ControlText(HWND dialog, int id) {
    char text[256] = {};
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

namespace {

BITMAPINFO TopDownRgb(int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

} // namespace

// What is on the screen in the window's client area. The harness's own drawing
// objects are created directly, not through the program's tally.
Pixels CaptureClient(HWND window, const RECT& area) {
    Pixels pixels;
    pixels.width = area.right - area.left;
    pixels.height = area.bottom - area.top;
    pixels.rgb.assign(static_cast<std::size_t>(pixels.width * pixels.height), 0);
    HDC screen = GetDC(window);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info = TopDownRgb(pixels.width, pixels.height);
    void* bits = nullptr;
    HBITMAP copy = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = SelectObject(memory, copy);
    BitBlt(memory, 0, 0, pixels.width, pixels.height, screen, area.left, area.top, SRCCOPY);
    GdiFlush();
    const auto* source = static_cast<const std::uint32_t*>(bits);
    for (std::size_t i = 0; i < pixels.rgb.size(); ++i) {
        pixels.rgb[i] = source[i] & 0xFFFFFFu;
    }
    SelectObject(memory, previous);
    DeleteObject(copy);
    DeleteDC(memory);
    ReleaseDC(window, screen);
    return pixels;
}

Pixels BitmapPixels(HBITMAP picture) {
    Pixels pixels;
    BITMAP size{};
    if (picture == nullptr || GetObjectA(picture, sizeof size, &size) == 0) {
        return pixels;
    }
    pixels.width = size.bmWidth;
    pixels.height = size.bmHeight;
    pixels.rgb.assign(static_cast<std::size_t>(pixels.width * pixels.height), 0);
    BITMAPINFO info = TopDownRgb(pixels.width, pixels.height);
    HDC screen = GetDC(nullptr);
    GetDIBits(screen, picture, 0, static_cast<UINT>(pixels.height), pixels.rgb.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    for (std::uint32_t& pixel : pixels.rgb) {
        pixel &= 0xFFFFFFu;
    }
    return pixels;
}

Pixels ResourcePixels(int id) {
    HBITMAP picture = LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id));
    Pixels pixels = BitmapPixels(picture);
    DeleteObject(picture);
    return pixels;
}

std::uint32_t SystemColourRgb(int index) {
    COLORREF colour = GetSysColor(index);
    return (static_cast<std::uint32_t>(GetRValue(colour)) << 16) |
           (static_cast<std::uint32_t>(GetGValue(colour)) << 8) | GetBValue(colour);
}
