// The speedometer. A full paint copies the dial and its mask; a needle update only
// draws two short exclusive-or lines (the old needle again, which removes it, and the
// new one), so the once-a-second update never redraws the dial and needs no memory
// context.
#include "dialog/SpeedGauge.h"

#include <algorithm>
#include <cstring>

#include "dialog/GaugeGeometry.h"
#include "engine/DisplayTexts.h"
#include "measuring/Globals.h"
#include "measuring/MeasurementLock.h"
#include "resources/resource.h"
#include "support/GdiTally.h"
#include "support/RasterOps.h"

bool needleShown = false;
int needleDx = 0;
int needleDy = 0;

namespace {

constexpr int kNeedleWidth = 2;

POINT DialHub() {
    return POINT{appState.gaugeFrame.left + kDialCentre, appState.gaugeFrame.top + kDialCentre};
}

void DrawNeedle(HDC target, POINT hub, int dx, int dy) {
    MoveToEx(target, hub.x, hub.y, nullptr);
    LineTo(target, hub.x - dx, hub.y - dy);
}

// The dial picture with the corners outside the disc in the dialog's own ground
// colour, so the round dial stands on the dialog. The picture is placed at the
// frame's top-left corner unscaled; the frame only limits how much of it shows. A
// picture that could not be loaded is left out rather than copying whatever the
// memory context holds.
void PaintDial(HDC target) {
    HDC memory = TallyCreateCompatibleDC(target);
    if (memory == nullptr) {
        return;
    }
    HGDIOBJ previousPicture = GetCurrentObject(memory, OBJ_BITMAP);
    RECT frame = GaugeRect();
    // Where the frame is larger than the picture (a dialog font wider than the one the
    // template was laid out with), the rest of it keeps the dialog's ground instead of
    // whatever lies beyond the picture's edge.
    BITMAP picture{};
    if (appState.gaugeFace == nullptr || GetObjectA(appState.gaugeFace, sizeof picture, &picture) == 0) {
        picture.bmWidth = kDialSize;
        picture.bmHeight = kDialSize;
    }
    int width = std::min(static_cast<int>(frame.right - frame.left), static_cast<int>(picture.bmWidth));
    int height = std::min(static_cast<int>(frame.bottom - frame.top), static_cast<int>(picture.bmHeight));
    if (appState.gaugeFace != nullptr) {
        SelectObject(memory, appState.gaugeFace);
        BitBlt(target, frame.left, frame.top, width, height, memory, 0, 0, SRCCOPY);
    }
    if (appState.gaugeMask != nullptr) {
        HBRUSH ground = TallyCreateSolidBrush(GetSysColor(COLOR_BTNFACE));
        HGDIOBJ previousBrush = SelectObject(target, ground);
        // Black and white map the monochrome mask to all-zero and all-one pixels.
        SetTextColor(target, RGB(0, 0, 0));
        SetBkColor(target, RGB(255, 255, 255));
        SelectObject(memory, appState.gaugeMask);
        BitBlt(target, frame.left, frame.top, width, height, memory, 0, 0, kRopBrushWhereMaskBlack);
        SelectObject(target, previousBrush);
        TallyDeleteObject(ground);
    }
    SelectObject(memory, previousPicture);
    TallyDeleteDC(memory);
}

// Rewriting a label with the text it already shows would only make it repaint, which
// is most of what a tick costs while the pointer rests.
void ShowSpeedText(HWND dialog, int id, double speed) {
    char text[kSpeedTextCapacity];
    char shown[kSpeedTextCapacity];
    FormatSpeedText(speed, text, sizeof text);
    HWND label = GetDlgItem(dialog, id);
    if (GetWindowTextA(label, shown, sizeof shown) > 0 && std::strcmp(shown, text) == 0) {
        return;
    }
    SetWindowTextA(label, text);
}

} // namespace

// Where the gauge is drawn, in the dialog's client coordinates.
RECT GaugeRect() {
    const auto& frame = appState.gaugeFrame;
    return RECT{frame.left, frame.top, frame.right, frame.bottom};
}

// Draws the gauge into the dialog's client area: with fullPaint the dial and one
// needle (the paint context of WM_PAINT), otherwise the needle moves from where it
// was drawn to the current speed (a context from GetDC). Either way the speed texts
// are rewritten. Only while the dialog is open: the pictures and the frame are set.
void DrawSpeedGauge(HWND dialog, HDC target, bool fullPaint) {
    OdometerState measurement = SnapshotMeasurement();
    NeedleOffset tip = NeedleTipOffset(measurement.currentSpeed);
    POINT hub = DialHub();

    int saved = SaveDC(target);

    if (fullPaint) {
        needleShown = false;
        PaintDial(target);
    }

    // Without its pen the needle is neither erased nor drawn, so the remembered needle
    // still matches the screen.
    HPEN needlePen = TallyCreatePen(PS_SOLID, kNeedleWidth, GetSysColor(COLOR_INFOBK));
    if (needlePen != nullptr) {
        SelectObject(target, needlePen);
        SetROP2(target, R2_XORPEN);
        if (needleShown) {
            DrawNeedle(target, hub, needleDx, needleDy);
        }
        DrawNeedle(target, hub, tip.dx, tip.dy);
        needleDx = tip.dx;
        needleDy = tip.dy;
        needleShown = true;
    }

    ShowSpeedText(dialog, IDC_CURRENT_SPEED, measurement.currentSpeed);
    ShowSpeedText(dialog, IDC_AVERAGE_SPEED, measurement.averageSpeed);

    // Puts back the target's own pen, brush, colours and raster mode before the needle
    // pen goes.
    RestoreDC(target, saved);
    TallyDeleteObject(needlePen);
}
