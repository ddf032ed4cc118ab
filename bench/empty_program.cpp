// The yardstick for the program's memory and idle work: the smallest Win32 program that
// stays running, one hidden window and a message loop, built the same way (same
// compiler, options and static linking). It ends on WM_CLOSE.
#include <windows.h>

namespace {

LRESULT CALLBACK EmptyWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CLOSE) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = EmptyWindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = "EmptyProgram";
    if (!RegisterClassA(&windowClass) || !CreateWindowExA(0, "EmptyProgram", nullptr, WS_POPUP, 0, 0, 1, 1,
                                                          nullptr, nullptr, instance, nullptr)) {
        return 1;
    }
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}
