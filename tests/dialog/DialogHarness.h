// Runs the real properties dialog from the program's resources, modally as the main
// window does, and lets a test act inside its modal loop; reads back what the dialog
// shows on the screen.
#ifndef SKITTERA_TESTS_DIALOG_DIALOGHARNESS_H
#define SKITTERA_TESTS_DIALOG_DIALOGHARNESS_H

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

using DialogSteps = std::function<void(HWND dialog)>;

enum class DialogEnd {
    kHarnessCloses, // the harness presses "Chiudi" after the steps
    kStepsClose,    // the steps end the dialog themselves (a rescue closes it after a while)
};

// The application state a test starts from: resources from this program, centimetres,
// nothing measured yet. Also forgets any needle left from an earlier test.
void ResetDialogState();

// Opens the dialog, runs the steps once it is shown and painted, and returns what
// DialogBoxParamA returned.
INT_PTR RunPropertiesDialog(const DialogSteps& steps, DialogEnd end = DialogEnd::kHarnessCloses);

// Lets the dialog handle what is waiting for it: painting, posted messages.
void SettleDialog(HWND dialog);
// Runs the message loop for a while, as the modal loop would.
void PumpMessagesFor(DWORD milliseconds);
// One tick of the dialog's timer, at once.
void Tick(HWND dialog);
// Presses a button as a click would.
void Click(HWND dialog, int id);
std::string ControlText(HWND dialog, int id);

// Pixels as 0x00RRGGBB, row by row from the top.
struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> rgb;
    std::uint32_t At(int x, int y) const { return rgb[static_cast<std::size_t>(y * width + x)]; }
};

Pixels CaptureClient(HWND window, const RECT& area);
Pixels BitmapPixels(HBITMAP picture);
Pixels ResourcePixels(int id);
std::uint32_t SystemColourRgb(int index);

#endif
