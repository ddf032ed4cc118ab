// The tray menu: loaded, shown from the tray, answered, released.
#include "shell/TrayMenu.h"

#include "measuring/Globals.h"
#include "resources/resource.h"
#include "shell/OwnerDrawMenu.h"

namespace {

// The tray menu's owner: a window that is shown but has no size. The menu answers the
// keyboard and closes when the user clicks elsewhere only while its owner is the
// foreground window, and a hidden window cannot always become that: under Wine, keys
// reach only a window that is on the screen.
LRESULT CALLBACK MenuOwnerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_MEASUREITEM:
        MeasureMenuItem(reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_DRAWITEM:
        DrawMenuItem(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

HWND CreateMenuOwner(POINT at) {
    WNDCLASSA ownerClass{};
    if (!GetClassInfoA(appState.instanceHandle, kMenuOwnerClass, &ownerClass)) {
        ownerClass.lpfnWndProc = MenuOwnerProc;
        ownerClass.hInstance = appState.instanceHandle;
        ownerClass.lpszClassName = kMenuOwnerClass;
        RegisterClassA(&ownerClass);
    }
    // Owned by the main window and a tool window, it gets no taskbar button; with no
    // size there is nothing to see.
    return CreateWindowExA(WS_EX_TOOLWINDOW, kMenuOwnerClass, nullptr, WS_POPUP, at.x, at.y, 0, 0,
                           appState.mainWindow, nullptr, appState.instanceHandle, nullptr);
}

// Under Wine the keyboard follows the foreground window only when the X server takes
// the focus change, which it does only if the change is dated after the last one; Wine
// dates it with the time of the last message the thread took. A tray click arrives as
// a message sent from another thread, which leaves that time where the last tick or
// posted message set it, possibly before the user last clicked somewhere else.
void TakeFreshMessage(HWND window) {
    PostMessageA(window, WM_NULL, 0, 0);
    MSG message;
    PeekMessageA(&message, window, WM_NULL, WM_NULL, PM_REMOVE);
}

} // namespace

// The owner comes to the foreground before the menu opens, as a menu from the tray
// needs, and goes with the menu. Should no window be made, the main window owns the
// menu, as well as a hidden window can.
UINT TrackTrayMenu(HMENU menu, POINT at, bool* focusKept) {
    HWND owner = CreateMenuOwner(at);
    if (owner != nullptr) {
        TakeFreshMessage(owner);
        ShowWindow(owner, SW_SHOW);
    }
    HWND tracking = owner != nullptr ? owner : appState.mainWindow;
    SetForegroundWindow(tracking);
    BOOL chosen = TrackPopupMenu(menu, TPM_RIGHTALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD, at.x, at.y, 0,
                                 tracking, nullptr);
    if (focusKept != nullptr) {
        *focusKept = GetForegroundWindow() == tracking;
    }
    if (owner != nullptr) {
        DestroyWindow(owner);
    }
    return chosen > 0 ? static_cast<UINT>(chosen) : 0;
}

// The tray menu at the point, loaded afresh, with "Propietà" as its default item, drawn by
// its owner, and released as soon as it closes.
UINT ShowTrayMenu(POINT at, bool* focusKept) {
    HMENU loaded = LoadMenuA(appState.instanceHandle, MAKEINTRESOURCEA(IDR_TRAYMENU));
    HMENU menu = GetSubMenu(loaded, 0);

    MENUITEMINFOA defaultItem{};
    defaultItem.cbSize = sizeof defaultItem;
    defaultItem.fMask = MIIM_STATE;
    defaultItem.fState = MFS_DEFAULT;
    SetMenuItemInfoA(menu, IDM_PROPERTIES, FALSE, &defaultItem);

    ConvertMenuToOwnerDraw(menu);
    UINT command = TrackTrayMenu(menu, at, focusKept);
    // A message must reach the program after the menu, or the next menu may not close
    // when the user clicks elsewhere.
    PostMessageA(appState.mainWindow, WM_NULL, 0, 0);
    FreeOwnerDrawMenu(menu);
    if (loaded != nullptr) {
        DestroyMenu(loaded);
    }
    return command;
}
