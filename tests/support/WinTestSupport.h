// What the Windows tests and the end-to-end probe share: message pumps and waits with
// time-outs, real pointer input, pixels read back as top-down 0x00RRGGBB rows, and a
// tray window that refuses every icon. Needs no GoogleTest and none of the program.
#ifndef SKITTERA_TESTS_SUPPORT_WINTESTSUPPORT_H
#define SKITTERA_TESTS_SUPPORT_WINTESTSUPPORT_H

#include <windows.h>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <vector>

// --- Messages and waits ---------------------------------------------------------------

void PumpMessages();
void PumpMessagesFor(DWORD milliseconds);
bool PumpUntil(DWORD timeoutMilliseconds, const std::function<bool()>& condition);

// --- The local date -------------------------------------------------------------------

// A local date as year * 10000 + month * 100 + day (20261209): as Windows tells it (the
// taskbar's clock), and as the C runtime's localtime tells it.
int WindowsLocalDate();
int RuntimeLocalDate();

// The C runtime's time zone put off from Windows' own while it stands, as a change of zone
// leaves it: the runtime reads the zone once per process and never hears of the change. Of
// a zone 14 hours east of UTC and one 12 hours west, whose dates always differ, the one
// whose date is not Windows'.
class RuntimeZoneOff {
public:
    RuntimeZoneOff();
    ~RuntimeZoneOff();
    RuntimeZoneOff(const RuntimeZoneOff&) = delete;
    RuntimeZoneOff& operator=(const RuntimeZoneOff&) = delete;
};

// --- Timing, for the measuring programs ----------------------------------------------

// The performance counter now, and a span of its counts in microseconds.
LONGLONG PerformanceNow();
double MicrosecondsOf(LONGLONG counts);

// --- Pointer input --------------------------------------------------------------------

// Time between two input events: closer moves are merged into one event.
constexpr DWORD kInputGapMilliseconds = 40;

enum class MouseButton { kLeft, kRight, kMiddle, kSide1, kSide2 };

void SendAbsoluteMove(long x, long y);
void SendRelativeMove(long dx, long dy);
void SendClick(long x, long y, MouseButton button = MouseButton::kLeft, int clicks = 1);
// One turn of the vertical (or horizontal) wheel by delta units, 120 to a notch.
void SendWheel(int delta, bool horizontal = false);
void SendWhilePumping(const std::function<void()>& sender);
void MovePointerThrough(std::initializer_list<POINT> points);

// --- Keyboard input -------------------------------------------------------------------

// One press and release of a key, to whatever has the keyboard.
void SendKey(WORD virtualKey);
// Types the text (UTF-8), character by character, to whatever has the keyboard.
void SendText(const char* text);

// --- Windows --------------------------------------------------------------------------

HWND VisibleWindow(const char* className, const char* title = nullptr);
// For the screenshot tools: paints the window and its controls at once and writes its
// screen rectangle, "left top width height", to the file.
void PaintAndWriteRectangle(HWND window, const char* file);
HWND ThreadDialog();
// The preview programs that the screenshot tools run: reads "RECTANGLE-FILE
// [HOLD-MILLISECONDS]" (false, with a usage line, when the file is missing), then, once
// the thread's dialog is visible, places it at (24, 24), lets `prepare` set it up, paints
// it and writes its rectangle, and closes it when the hold is over.
bool StartPreview(int argc, char** argv, const char* program, void (*prepare)(HWND dialog));

// --- Pixels ---------------------------------------------------------------------------

// Pixels as 0x00RRGGBB, row by row from the top.
struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> rgb;
    std::uint32_t At(int x, int y) const { return rgb[static_cast<std::size_t>(y) * width + x]; }
};

Pixels CaptureScreen(const RECT& area);
Pixels CaptureClient(HWND window, const RECT& area);
Pixels BitmapPixels(HBITMAP picture);
Pixels ResourcePixels(int id, HMODULE module = nullptr);
std::uint32_t RgbOf(COLORREF colour);
std::uint32_t SystemColourRgb(int index);

// A memory context drawing into a top-down 32-bit picture of its own, filled with one
// colour at the start: a target for drawing code whose pixels a test reads back.
class Canvas {
public:
    Canvas(int width, int height, COLORREF paper);
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    HDC Dc() const { return dc_; }
    COLORREF At(int x, int y) const;

private:
    int width_;
    HDC dc_;
    HBITMAP bitmap_;
    HGDIOBJ previous_;
    const std::uint32_t* bits_ = nullptr;
};

// --- Tray -----------------------------------------------------------------------------

// A tray window that the shell finds before the real one: it refuses the commands it is
// told to (NIM_ADD, NIM_MODIFY, NIM_DELETE, NIM_SETFOCUS, NIM_SETVERSION), takes every
// other, and lists each command that came with the record's flags. Gone again when the
// object goes; one at a time.
class StandInTray {
public:
    struct Call {
        DWORD command;
        UINT flags;
    };

    explicit StandInTray(std::initializer_list<DWORD> refused = {});
    ~StandInTray();
    StandInTray(const StandInTray&) = delete;
    StandInTray& operator=(const StandInTray&) = delete;

    bool Standing() const;
    const std::vector<Call>& Calls() const { return calls_; }
    // The commands that came, in order, and how many carried all the given flags.
    std::vector<DWORD> Commands() const;
    int Count(DWORD command, UINT flags = 0) const;

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND window_ = nullptr;
    std::vector<DWORD> refused_;
    std::vector<Call> calls_;
};

// A shell that is not ready yet: it refuses every icon.
class RefusingTray : public StandInTray {
public:
    RefusingTray() : StandInTray({0, 1, 2, 3, 4}) {}
};

#endif
