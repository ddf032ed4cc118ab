// Opens the properties dialog with a sample state and holds it open for a while, so
// that a screenshot can be taken (tools/dialog-screenshot.sh). Writes the dialog's
// screen rectangle to the file named by its first argument.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "dialog/PropertiesDialog.h"
#include "engine/DisplayTexts.h"
#include "measuring/Globals.h"
#include "measuring/StoredSettings.h"
#include "resources/resource.h"
#include "settings/Settings.h"
#include "tests/support/WinTestSupport.h"

namespace {

constexpr double kSampleSpeed = 3150; // 31.50 on the scale

// Keeps the pointer "moving" at the sample speed, so the ticks keep the needle up.
void CALLBACK Animate(HWND, UINT, UINT_PTR, DWORD) {
    appState.currentSpeed = kSampleSpeed;
    appState.movedSinceTick = 1;
}

void Prepare(HWND dialog) {
    Animate(nullptr, 0, 0, 0);
    SendMessageA(dialog, WM_TIMER, 0, 0);
}

} // namespace

int main(int argc, char** argv) {
    if (!StartPreview(argc, argv, "dialog_preview", Prepare)) {
        return 2;
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
