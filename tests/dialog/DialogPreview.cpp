// Opens the properties dialog with a sample state and holds it open for a while, so
// that a screenshot can be taken (tools/dialog-screenshot.sh). Writes the dialog's
// screen rectangle to the file named by its first argument.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "dialog/PropertiesDialog.h"
#include "engine/DisplayTexts.h"
#include "resources/resource.h"
#include "settings/Settings.h"
#include "shell/Globals.h"
#include "tests/support/WinTestSupport.h"

namespace {

constexpr double kSampleSpeed = 3150; // 31.50 on the scale
const char* rectangleFile = nullptr;
DWORD holdMilliseconds = 3000;
DWORD openedAt = 0;
bool placed = false;

// Keeps the pointer "moving" at the sample speed, so the ticks keep the needle up.
void CALLBACK Animate(HWND, UINT, UINT_PTR, DWORD) {
    HWND dialog = ThreadDialog();
    if (dialog == nullptr || !IsWindowVisible(dialog)) {
        return;
    }
    appState.currentSpeed = kSampleSpeed;
    appState.movedSinceTick = 1;
    if (!placed) {
        placed = true;
        openedAt = GetTickCount();
        SetWindowPos(dialog, HWND_TOP, 24, 24, 0, 0, SWP_NOSIZE);
        SendMessageA(dialog, WM_TIMER, 0, 0);
        PaintAndWriteRectangle(dialog, rectangleFile);
    }
    if (GetTickCount() - openedAt >= holdMilliseconds) {
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: dialog_preview RECTANGLE-FILE [HOLD-MILLISECONDS]\n");
        return 2;
    }
    rectangleFile = argv[1];
    if (argc >= 3) {
        holdMilliseconds = static_cast<DWORD>(std::strtoul(argv[2], nullptr, 10));
    }
    ResetApplicationState(appState);
    appState.instanceHandle = GetModuleHandleA(nullptr);
    appState.unitDivisor = kMetres;
    appState.distanceCm = 123456.7;
    appState.maxSpeed = 4321;
    appState.averageSpeed = 1875;
    appState.currentSpeed = kSampleSpeed;
    appState.sinceDate = "15.03.2024";
    // The box shows the entries as they are: one for the preview while it shows, in the
    // throwaway prefix, and none afterwards.
    ChangeLogonChoice(true);
    SetTimer(nullptr, 0, 100, Animate);
    DialogBoxParamA(appState.instanceHandle, MAKEINTRESOURCEA(IDD_PROPERTIES), nullptr, PropertiesDialogProc,
                    0);
    ChangeLogonChoice(false);
    return 0;
}
