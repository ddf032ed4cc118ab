#include "tests/support/WinTestSupport.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <thread>

namespace {

// Dispatches everything waiting for this thread; a quit message is kept aside instead.
// The wide calls, as a Unicode window's own loop has them: a character typed outside the
// ANSI code page reaches it as itself, not as "?".
bool DispatchWaiting(WPARAM& exitCode) {
    MSG message;
    bool quit = false;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            quit = true;
            exitCode = message.wParam;
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return quit;
}

} // namespace

// Dispatches everything waiting for this thread. A quit message is not taken from the
// caller: it is posted again at the end, for the caller's own loop to see.
void PumpMessages() {
    PumpUntil(0, [] { return true; });
}

// Runs the message loop for a while, as a modal loop would; low-level hooks of this
// thread are called in here too.
LONGLONG PerformanceNow() {
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return counter.QuadPart;
}

double MicrosecondsOf(LONGLONG counts) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(counts) * 1e6 / static_cast<double>(frequency.QuadPart);
}

void PumpMessagesFor(DWORD milliseconds) {
    PumpUntil(milliseconds, [] { return false; });
}

// Pumps until the condition holds or the time-out passes; says whether it held. The
// condition is looked at after every round of messages, every 10 ms at the least.
bool PumpUntil(DWORD timeoutMilliseconds, const std::function<bool()>& condition) {
    DWORD start = GetTickCount();
    bool quit = false;
    WPARAM exitCode = 0;
    bool held = false;
    for (;;) {
        quit = DispatchWaiting(exitCode) || quit;
        held = condition();
        DWORD elapsed = GetTickCount() - start;
        if (held || elapsed >= timeoutMilliseconds) {
            break;
        }
        DWORD wait = timeoutMilliseconds - elapsed < 10 ? timeoutMilliseconds - elapsed : 10;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, wait, QS_ALLINPUT);
    }
    if (quit) {
        PostQuitMessage(static_cast<int>(exitCode));
    }
    return held;
}

namespace {

void SendMouse(LONG dx, LONG dy, DWORD flags, DWORD data = 0) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = dx;
    input.mi.dy = dy;
    input.mi.dwFlags = flags;
    input.mi.mouseData = data;
    SendInput(1, &input, sizeof input);
    Sleep(kInputGapMilliseconds);
}

} // namespace

// Moves the pointer to a pixel of the primary screen, in normalised coordinates aimed at
// the middle of the pixel.
void SendAbsoluteMove(long x, long y) {
    SendMouse(static_cast<LONG>((x * 65536 + 32768) / GetSystemMetrics(SM_CXSCREEN)),
              static_cast<LONG>((y * 65536 + 32768) / GetSystemMetrics(SM_CYSCREEN)),
              MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE);
}

void SendRelativeMove(long dx, long dy) { SendMouse(dx, dy, MOUSEEVENTF_MOVE); }

void SendClick(long x, long y, MouseButton button, int clicks) {
    SendAbsoluteMove(x, y);
    DWORD down = MOUSEEVENTF_LEFTDOWN;
    DWORD up = MOUSEEVENTF_LEFTUP;
    DWORD data = 0;
    switch (button) {
    case MouseButton::kLeft:
        break;
    case MouseButton::kRight:
        down = MOUSEEVENTF_RIGHTDOWN;
        up = MOUSEEVENTF_RIGHTUP;
        break;
    case MouseButton::kMiddle:
        down = MOUSEEVENTF_MIDDLEDOWN;
        up = MOUSEEVENTF_MIDDLEUP;
        break;
    case MouseButton::kSide1:
    case MouseButton::kSide2:
        down = MOUSEEVENTF_XDOWN;
        up = MOUSEEVENTF_XUP;
        data = button == MouseButton::kSide1 ? XBUTTON1 : XBUTTON2;
        break;
    }
    for (int click = 0; click < clicks; ++click) {
        SendMouse(0, 0, down, data);
        SendMouse(0, 0, up, data);
    }
}

void SendWheel(int delta, bool horizontal) {
    // MOUSEEVENTF_HWHEEL, of Windows Vista and later: the headers name it only for newer
    // targets than the program's.
    constexpr DWORD kHorizontalWheelFlag = 0x01000;
    SendMouse(0, 0, horizontal ? kHorizontalWheelFlag : MOUSEEVENTF_WHEEL, static_cast<DWORD>(delta));
}

void SendKey(WORD virtualKey) {
    INPUT input[2]{};
    input[0].type = INPUT_KEYBOARD;
    input[0].ki.wVk = virtualKey;
    input[1] = input[0];
    input[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, input, sizeof(INPUT));
}

void SendText(const char* text) {
    int count = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
    std::vector<wchar_t> wide(count > 0 ? static_cast<std::size_t>(count) : 1, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text, -1, wide.data(), count);
    for (const wchar_t* c = wide.data(); *c != L'\0'; ++c) {
        INPUT input[2]{};
        input[0].type = INPUT_KEYBOARD;
        input[0].ki.wScan = static_cast<WORD>(*c);
        input[0].ki.dwFlags = KEYEVENTF_UNICODE;
        input[1] = input[0];
        input[1].ki.dwFlags = KEYEVENTF_UNICODE | KEYEVENTF_KEYUP;
        SendInput(2, input, sizeof(INPUT));
    }
}

// Runs the sender on a thread of its own while this thread pumps, so that this thread's
// low-level hooks and windows take the input as it comes; pumps a little longer after.
void SendWhilePumping(const std::function<void()>& sender) {
    std::atomic<bool> done{false};
    std::thread thread([&] {
        sender();
        done = true;
    });
    while (!done) {
        PumpMessagesFor(20);
    }
    thread.join();
    PumpMessagesFor(200);
}

void MovePointerThrough(std::initializer_list<POINT> points) {
    SendWhilePumping([&] {
        for (const POINT& point : points) {
            SendAbsoluteMove(point.x, point.y);
        }
    });
}

void PaintAndWriteRectangle(HWND window, const char* file) {
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    RECT frame;
    GetWindowRect(window, &frame);
    if (FILE* out = std::fopen(file, "w")) {
        std::fprintf(out, "%ld %ld %ld %ld\n", frame.left, frame.top, frame.right - frame.left,
                     frame.bottom - frame.top);
        std::fclose(out);
    }
}

namespace {

struct Preview {
    const char* rectangleFile = nullptr;
    DWORD holdMilliseconds = 3000;
    DWORD openedAt = 0;
    bool placed = false;
    void (*prepare)(HWND) = nullptr;
};
Preview preview;

void CALLBACK HoldPreview(HWND, UINT, UINT_PTR, DWORD) {
    HWND dialog = ThreadDialog();
    if (dialog == nullptr || !IsWindowVisible(dialog)) {
        return;
    }
    if (!preview.placed) {
        preview.placed = true;
        preview.openedAt = GetTickCount();
        SetWindowPos(dialog, HWND_TOP, 24, 24, 0, 0, SWP_NOSIZE);
        preview.prepare(dialog);
        PaintAndWriteRectangle(dialog, preview.rectangleFile);
    }
    if (GetTickCount() - preview.openedAt >= preview.holdMilliseconds) {
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    }
}

} // namespace

bool StartPreview(int argc, char** argv, const char* program, void (*prepare)(HWND dialog)) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s RECTANGLE-FILE [HOLD-MILLISECONDS]\n", program);
        return false;
    }
    preview.rectangleFile = argv[1];
    if (argc >= 3) {
        preview.holdMilliseconds = static_cast<DWORD>(std::strtoul(argv[2], nullptr, 10));
    }
    preview.prepare = prepare;
    SetTimer(nullptr, 0, 100, HoldPreview);
    return true;
}

HWND VisibleWindow(const char* className, const char* title) {
    HWND window = FindWindowA(className, title);
    return window != nullptr && IsWindowVisible(window) ? window : nullptr;
}

namespace {

BOOL CALLBACK TakeDialog(HWND window, LPARAM found) {
    char className[16] = "";
    GetClassNameA(window, className, sizeof className);
    if (std::strcmp(className, "#32770") == 0) {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

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

// Copies from a context into fresh pixels. The drawing objects are created directly,
// not through the program's tally.
Pixels CaptureFrom(HDC source, const RECT& area) {
    Pixels pixels;
    pixels.width = area.right - area.left;
    pixels.height = area.bottom - area.top;
    if (pixels.width <= 0 || pixels.height <= 0) {
        return Pixels();
    }
    HDC memory = CreateCompatibleDC(source);
    BITMAPINFO info = TopDownRgb(pixels.width, pixels.height);
    void* bits = nullptr;
    HBITMAP copy = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = SelectObject(memory, copy);
    BitBlt(memory, 0, 0, pixels.width, pixels.height, source, area.left, area.top, SRCCOPY);
    GdiFlush();
    const auto* rows = static_cast<const std::uint32_t*>(bits);
    pixels.rgb.assign(rows, rows + static_cast<std::size_t>(pixels.width) * pixels.height);
    SelectObject(memory, previous);
    DeleteObject(copy);
    DeleteDC(memory);
    for (std::uint32_t& pixel : pixels.rgb) {
        pixel &= 0xFFFFFFu;
    }
    return pixels;
}

} // namespace

// The dialog this thread has open (its class is the dialog class), or none.
HWND ThreadDialog() {
    HWND dialog = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), TakeDialog, reinterpret_cast<LPARAM>(&dialog));
    return dialog;
}

// What the screen shows inside a rectangle in screen coordinates.
Pixels CaptureScreen(const RECT& area) {
    HDC screen = GetDC(nullptr);
    Pixels pixels = CaptureFrom(screen, area);
    ReleaseDC(nullptr, screen);
    return pixels;
}

// What is on the screen in a rectangle of the window's client area.
Pixels CaptureClient(HWND window, const RECT& area) {
    HDC client = GetDC(window);
    Pixels pixels = CaptureFrom(client, area);
    ReleaseDC(window, client);
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
    pixels.rgb.assign(static_cast<std::size_t>(pixels.width) * pixels.height, 0);
    BITMAPINFO info = TopDownRgb(pixels.width, pixels.height);
    HDC screen = GetDC(nullptr);
    GetDIBits(screen, picture, 0, static_cast<UINT>(pixels.height), pixels.rgb.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    for (std::uint32_t& pixel : pixels.rgb) {
        pixel &= 0xFFFFFFu;
    }
    return pixels;
}

// A picture from a module's resources (this program's when none is given); no pixels
// when there is no such picture.
Pixels ResourcePixels(int id, HMODULE module) {
    HBITMAP picture =
        LoadBitmapA(module != nullptr ? module : GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id));
    Pixels pixels = BitmapPixels(picture);
    if (picture != nullptr) {
        DeleteObject(picture);
    }
    return pixels;
}

std::uint32_t RgbOf(COLORREF colour) {
    return (static_cast<std::uint32_t>(GetRValue(colour)) << 16) |
           (static_cast<std::uint32_t>(GetGValue(colour)) << 8) | GetBValue(colour);
}

std::uint32_t SystemColourRgb(int index) { return RgbOf(GetSysColor(index)); }

Canvas::Canvas(int width, int height, COLORREF paper) : width_(width) {
    BITMAPINFO info = TopDownRgb(width, height);
    void* bits = nullptr;
    dc_ = CreateCompatibleDC(nullptr);
    bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bits_ = static_cast<const std::uint32_t*>(bits);
    previous_ = SelectObject(dc_, bitmap_);
    RECT all{0, 0, width, height};
    HBRUSH brush = CreateSolidBrush(paper);
    FillRect(dc_, &all, brush);
    DeleteObject(brush);
}

Canvas::~Canvas() {
    SelectObject(dc_, previous_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
}

// The pixel as drawn so far, as GetPixel would give it.
COLORREF Canvas::At(int x, int y) const {
    GdiFlush();
    std::uint32_t pixel = bits_[static_cast<std::size_t>(y) * width_ + x];
    return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
}

namespace {

const char kTrayClass[] = "Shell_TrayWnd";

} // namespace

// Wine's shell hands each command to the tray window as WM_COPYDATA, the command in
// dwData and a record of its own in lpData whose third 32-bit field is the flags
// (window, icon number, flags, ...). The shell's tray window answers FALSE for a command
// it does not take.
LRESULT CALLBACK StandInTray::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* tray = reinterpret_cast<StandInTray*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (message != WM_COPYDATA || tray == nullptr) {
        return DefWindowProcA(window, message, wParam, lParam);
    }
    const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    Call call{static_cast<DWORD>(data->dwData), 0};
    if (data->cbData >= 3 * sizeof(DWORD) && data->lpData != nullptr) {
        std::memcpy(&call.flags, static_cast<const char*>(data->lpData) + 2 * sizeof(DWORD),
                    sizeof call.flags);
    }
    tray->calls_.push_back(call);
    for (DWORD refused : tray->refused_) {
        if (refused == call.command) {
            return FALSE;
        }
    }
    return TRUE;
}

// The shell finds its tray window by class; a topmost one made later stands in front of
// the real one, so every command goes to this one.
StandInTray::StandInTray(std::initializer_list<DWORD> refused) : refused_(refused) {
    WNDCLASSA trayClass{};
    trayClass.lpfnWndProc = Procedure;
    trayClass.hInstance = GetModuleHandleA(nullptr);
    trayClass.lpszClassName = kTrayClass;
    RegisterClassA(&trayClass);
    window_ = CreateWindowExA(WS_EX_TOPMOST, kTrayClass, nullptr, WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                              trayClass.hInstance, nullptr);
    if (window_ != nullptr) {
        SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
}

StandInTray::~StandInTray() {
    if (window_ != nullptr) {
        DestroyWindow(window_);
    }
    UnregisterClassA(kTrayClass, GetModuleHandleA(nullptr));
}

bool StandInTray::Standing() const {
    return window_ != nullptr && FindWindowA(kTrayClass, nullptr) == window_;
}

std::vector<DWORD> StandInTray::Commands() const {
    std::vector<DWORD> commands;
    for (const Call& call : calls_) {
        commands.push_back(call.command);
    }
    return commands;
}

int StandInTray::Count(DWORD command, UINT flags) const {
    int count = 0;
    for (const Call& call : calls_) {
        count += call.command == command && (call.flags & flags) == flags;
    }
    return count;
}

// --- The local date -------------------------------------------------------------------

int WindowsLocalDate() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    return now.wYear * 10000 + now.wMonth * 100 + now.wDay;
}

int RuntimeLocalDate() {
    std::time_t now = std::time(nullptr);
    const std::tm* local = std::localtime(&now);
    return local != nullptr ? (local->tm_year + 1900) * 10000 + (local->tm_mon + 1) * 100 + local->tm_mday
                            : 0;
}

RuntimeZoneOff::RuntimeZoneOff() {
    for (const char* zone : {"TZ=AAA-14", "TZ=BBB+12"}) {
        _putenv(zone);
        _tzset();
        if (RuntimeLocalDate() != WindowsLocalDate()) {
            return;
        }
    }
}

RuntimeZoneOff::~RuntimeZoneOff() {
    _putenv("TZ=");
    _tzset();
}
