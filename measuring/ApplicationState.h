// ApplicationState: the program's one process-wide record of run-time state. The
// Windows handles are declared through their STRICT handle types (struct HWND__ and
// friends), which <windows.h> defines the same way, so this header needs no Windows
// header and the engine and settings logic built on it stay portable.
#ifndef SKITTERA_MEASURING_APPLICATIONSTATE_H
#define SKITTERA_MEASURING_APPLICATIONSTATE_H

#include <cstdint>

#include "settings/Settings.h"

struct HINSTANCE__;
struct HWND__;
struct HHOOK__;
struct HBITMAP__;

// A rectangle in dialog client coordinates, laid out as the platform's RECT.
struct FrameRect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
};

// The measurement fields come first, from OdometerState, so that the engine and the
// text rules work on any OdometerState, the process-wide one included; then the date the
// counter runs from, which the store saves with it.
struct ApplicationState : PersistedState {
    HINSTANCE__* instanceHandle = nullptr;
    HWND__* mainWindow = nullptr;
    int splashShowing = 0;
    HHOOK__* hookHandle = nullptr;
    int dialogOpen = 0;
    int runAtStartup = 0;
    HBITMAP__* gaugeFace = nullptr;
    HBITMAP__* gaugeMask = nullptr;
    // Spelled with "struct": <windows.h> declares a function FrameRect, which hides the
    // type's plain name wherever both are seen.
    struct FrameRect gaugeFrame;
};

void ResetApplicationState(ApplicationState& state);

#endif
