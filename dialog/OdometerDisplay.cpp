// The drums of the properties dialog. The template's sixteen picture cells only mark
// where the drums go, as the gauge frame marks the gauge: the dialog hides them when
// it opens and draws the drums itself, in its paint and, for the drums that change, at
// once through one window context.
//
// Handing a new picture to a static control costs about five round trips to the window
// server under Wine (the picture goes into the control's window data, the control takes
// a window context of its own and paints at once), which made a tick in which every
// drum changes take four times as long as a whole ordinary tick. Drawing them here
// costs one window context per update, whatever the number of drums.
//
// Each kind of drum (ten digits, the point, the empty drum) is loaded once per opening,
// when a place first needs it, and every place that shows that kind is drawn from the
// same picture; the dialog deletes the twelve pictures when it closes.
#include "dialog/OdometerDisplay.h"

#include <algorithm>

#include "dialog/DrumPictures.h"
#include "engine/DisplayTexts.h"
#include "measuring/Globals.h"
#include "measuring/MeasurementLock.h"
#include "resources/resource.h"
#include "support/GdiTally.h"

namespace {

struct DrumRow {
    int firstId;
    int cells;
};

const DrumRow kDrumRows[] = {
    {IDC_DISTANCE_CELL_FIRST, kDistanceCells},
    {IDC_SPEED_CELL_FIRST, kSpeedCells},
};

constexpr int kCells = kDistanceCells + kSpeedCells;

// The drum pictures are numbered from the picture of 0 to the point drum.
constexpr int kDrumKinds = IDB_DIGIT_POINT - IDB_DIGIT_0 + 1;

// What a place shows when no drum is drawn there: the dialog's own ground (before the
// first update, or after a picture could not be loaded).
constexpr int kNoDrum = 0;

// The open dialog's drum places (dialog client coordinates; an empty rectangle for a
// cell the template lacks), the drum each one shows, and the pictures they share.
struct Drums {
    HWND dialog = nullptr;
    RECT places[kCells] = {};
    int shown[kCells] = {};
    HBITMAP pictures[kDrumKinds] = {};
    SIZE sizes[kDrumKinds] = {};
};

Drums drums;

// Where a cell is kept in drums, or -1 for an id that is no drum.
int CellSlot(int id) {
    int slot = 0;
    for (const DrumRow& row : kDrumRows) {
        if (id >= row.firstId && id < row.firstId + row.cells) {
            return slot + (id - row.firstId);
        }
        slot += row.cells;
    }
    return -1;
}

// The picture of one kind of drum, loaded at its first use in this opening. A picture
// that cannot be loaded gives null, and the next call tries again.
HBITMAP DrumPicture(int drum) {
    int kind = drum - IDB_DIGIT_0;
    if (kind < 0 || kind >= kDrumKinds) {
        return nullptr;
    }
    if (drums.pictures[kind] == nullptr) {
        HBITMAP picture = TallyLoadBitmap(appState.instanceHandle, drum);
        BITMAP size{};
        if (picture != nullptr && GetObjectA(picture, sizeof size, &size) == 0) {
            TallyDeleteObject(picture);
            picture = nullptr;
        }
        drums.pictures[kind] = picture;
        drums.sizes[kind] = SIZE{size.bmWidth, size.bmHeight};
    }
    return drums.pictures[kind];
}

// Draws the drums of the chosen places, each picture at its own size at its place's
// top-left corner and cut to the place. A place without a drum is left alone: the
// caller has the dialog erase it.
template <typename Chosen> void DrawDrums(HDC target, Chosen chosen) {
    HDC memory = TallyCreateCompatibleDC(target);
    if (memory == nullptr) {
        return;
    }
    HGDIOBJ previousPicture = GetCurrentObject(memory, OBJ_BITMAP);
    for (int slot = 0; slot < kCells; ++slot) {
        int kind = drums.shown[slot] - IDB_DIGIT_0;
        if (!chosen(slot) || kind < 0 || kind >= kDrumKinds || drums.pictures[kind] == nullptr) {
            continue;
        }
        const RECT& place = drums.places[slot];
        int width =
            std::min(static_cast<int>(place.right - place.left), static_cast<int>(drums.sizes[kind].cx));
        int height =
            std::min(static_cast<int>(place.bottom - place.top), static_cast<int>(drums.sizes[kind].cy));
        SelectObject(memory, drums.pictures[kind]);
        BitBlt(target, place.left, place.top, width, height, memory, 0, 0, SRCCOPY);
    }
    SelectObject(memory, previousPicture);
    TallyDeleteDC(memory);
}

// Character i of the text is to show in the place of cell firstId + i. Marks in
// `changed` the places whose drum changed; a place whose picture cannot be loaded
// shows no drum, and the next update tries again.
void ChooseDrums(const TextString& digits, int count, int firstId, bool* changed) {
    for (int cell = 0; cell < count; ++cell) {
        int slot = CellSlot(firstId + cell);
        if (slot < 0 || IsRectEmpty(&drums.places[slot])) {
            continue;
        }
        int drum = DrumPictureAt(digits, cell);
        if (DrumPicture(drum) == nullptr) {
            drum = kNoDrum;
        }
        if (drums.shown[slot] != drum) {
            drums.shown[slot] = drum;
            changed[slot] = true;
        }
    }
}

// Shows the changed places on the screen at once. A hidden dialog is drawn whole by its
// first paint. A place that lost its drum gets the dialog's ground back from the dialog
// itself.
void ShowChangedDrums(HWND dialog, const bool* changed) {
    if (!IsWindowVisible(dialog)) {
        return;
    }
    bool any = false;
    for (int slot = 0; slot < kCells; ++slot) {
        if (changed[slot] && drums.shown[slot] == kNoDrum) {
            InvalidateRect(dialog, &drums.places[slot], TRUE);
        }
        any = any || changed[slot];
    }
    if (!any) {
        return;
    }
    HDC target = GetDC(dialog);
    if (target != nullptr) {
        DrawDrums(target, [changed](int slot) { return changed[slot]; });
        ReleaseDC(dialog, target);
    }
}

} // namespace

// Both rows from the current state: the distance in the chosen unit and the highest
// speed. Called at open, on every tick, after a unit change and after a reset.
void ShowOdometer(HWND dialog) {
    if (dialog == nullptr || dialog != drums.dialog) {
        return;
    }
    OdometerState measurement = SnapshotMeasurement();
    TextString distance = FormatDistanceDigits(measurement);
    TextString maxSpeed = FormatMaxSpeedDigits(measurement);
    bool changed[kCells] = {};
    ChooseDrums(distance, kDistanceCells, IDC_DISTANCE_CELL_FIRST, changed);
    ChooseDrums(maxSpeed, kSpeedCells, IDC_SPEED_CELL_FIRST, changed);
    ShowChangedDrums(dialog, changed);
}

// Character i of the text goes to the place of cell firstId + i; a text shorter than
// the row shows empty drums after its end. A drum that stays is not drawn again. Only
// the dialog whose drums were taken over has places to show.
void ShowDigitRow(HWND dialog, const TextString& digits, int count, int firstId) {
    if (dialog == nullptr || dialog != drums.dialog) {
        return;
    }
    bool changed[kCells] = {};
    ChooseDrums(digits, count, firstId, changed);
    ShowChangedDrums(dialog, changed);
}

// The dialog's paint: every drum whose place the paint covers.
void PaintDrums(HWND dialog, HDC target) {
    if (dialog == nullptr || dialog != drums.dialog) {
        return;
    }
    DrawDrums(target, [target](int slot) { return RectVisible(target, &drums.places[slot]) != FALSE; });
}

// When the dialog opens: takes each cell's rectangle as its drum's place, hides the
// cell and deletes the empty drum the template loaded into it (hidden, it would keep
// the picture for nothing until the dialog closes). Nothing is drawn until the first
// ShowOdometer.
void TakeOverDrums(HWND dialog) {
    drums = Drums();
    for (const DrumRow& row : kDrumRows) {
        for (int cell = 0; cell < row.cells; ++cell) {
            HWND control = GetDlgItem(dialog, row.firstId + cell);
            if (control == nullptr) {
                continue;
            }
            RECT place{};
            GetWindowRect(control, &place);
            MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&place), 2);
            drums.places[CellSlot(row.firstId + cell)] = place;
            ShowWindow(control, SW_HIDE);
            auto picture = reinterpret_cast<HGDIOBJ>(SendMessageA(control, STM_SETIMAGE, IMAGE_BITMAP, 0));
            TallyDeleteObject(TallyAdopt(picture));
        }
    }
    drums.dialog = dialog;
}

// Deletes the shared pictures when the dialog goes.
void ReleaseDrums(HWND dialog) {
    if (dialog == nullptr || dialog != drums.dialog) {
        return;
    }
    for (HBITMAP& picture : drums.pictures) {
        TallyDeleteObject(picture);
        picture = nullptr;
    }
    drums = Drums();
}
