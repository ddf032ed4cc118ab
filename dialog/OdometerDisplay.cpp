// The drums of the properties dialog. Each kind of drum (ten digits, the point, the
// empty drum) is loaded once per opening, when a cell first needs it, and every cell
// that shows that kind shows the same picture. The dialog owns these pictures and
// deletes them once, when it closes, after every cell has let go of them: a static
// control never deletes a picture handed to it with STM_SETIMAGE.
//
// A cell is given another picture only when its character needs a different drum, and
// the cells are found once per opening: under Wine the hand-over (the cell resizes and
// repaints) and every GetDlgItem are round trips to the window server, and loading a
// picture from the resources cost a third of the time of the worst tick, in which all
// sixteen drums change.
#include "dialog/OdometerDisplay.h"

#include "dialog/DrumPictures.h"
#include "engine/DisplayTexts.h"
#include "resources/resource.h"
#include "shell/Globals.h"
#include "shell/MeasurementLock.h"
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

// Which drum a cell shows: 0 stands for a picture the program did not choose (the
// template's, or none after a failed load).
constexpr int kUnknownDrum = 0;

// The open dialog's cells, the drum each one shows, and the pictures they share.
struct Drums {
    HWND dialog = nullptr;
    HWND cells[kCells] = {};
    int shown[kCells] = {};
    HBITMAP pictures[kDrumKinds] = {};
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

bool IsSharedPicture(HGDIOBJ picture) {
    for (HBITMAP shared : drums.pictures) {
        if (shared != nullptr && shared == picture) {
            return true;
        }
    }
    return false;
}

// The picture of one kind of drum, loaded at its first use in this opening. A picture
// that cannot be loaded gives null, and the next call tries again.
HBITMAP DrumPicture(int drum) {
    int kind = drum - IDB_DIGIT_0;
    if (kind < 0 || kind >= kDrumKinds) {
        return nullptr;
    }
    if (drums.pictures[kind] == nullptr) {
        drums.pictures[kind] = TallyLoadBitmap(appState.instanceHandle, drum);
    }
    return drums.pictures[kind];
}

// Hands a picture (or none) to a cell. What the cell gives back is deleted unless it
// is one of the shared drums: the template's picture, or a copy the control made of
// one of ours (Windows' version 6 static control copies a bitmap with an alpha channel
// and hands the copy back at the next replacement).
void ReplaceCellPicture(int slot, HBITMAP picture, int drum) {
    HWND cell = drums.cells[slot];
    auto previous = reinterpret_cast<HGDIOBJ>(
        SendMessageA(cell, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(picture)));
    if (previous != nullptr && !IsSharedPicture(previous)) {
        TallyDeleteObject(previous);
    }
    auto kept = reinterpret_cast<HGDIOBJ>(SendMessageA(cell, STM_GETIMAGE, IMAGE_BITMAP, 0));
    if (kept != nullptr && kept != picture) {
        TallyAdopt(kept);
    }
    drums.shown[slot] = picture != nullptr ? drum : kUnknownDrum;
}

// The template's empty drum has already given the cell the size of a drum picture, and
// every drum picture has that size; a cell that keeps its size is spared resizing
// itself on every hand-over (under Wine a round trip to the server and two window
// messages, a quarter of the hand-over's cost). It shows its picture unchanged, now
// stretched to the same size.
void KeepCellSize(HWND cell) {
    LONG style = GetWindowLongA(cell, GWL_STYLE);
    if ((style & SS_REALSIZECONTROL) == 0) {
        SetWindowLongA(cell, GWL_STYLE, style | SS_REALSIZECONTROL);
    }
}

} // namespace

bool IsDrumCell(int id) { return CellSlot(id) >= 0; }

// Both rows from the current state: the distance in the chosen unit and the highest
// speed. Called at open, on every tick, after a unit change and after a reset.
void ShowOdometer(HWND dialog) {
    OdometerState measurement = SnapshotMeasurement();
    TextString distance = FormatDistanceDigits(measurement);
    ShowDigitRow(dialog, distance, kDistanceCells, IDC_DISTANCE_CELL_FIRST);
    TextString maxSpeed = FormatMaxSpeedDigits(measurement);
    ShowDigitRow(dialog, maxSpeed, kSpeedCells, IDC_SPEED_CELL_FIRST);
}

// Character i of the text goes to cell firstId + i, as the shared picture of its drum.
// A cell that already shows the right drum keeps it. A picture that cannot be loaded
// leaves its cell empty, and the next call tries again; a text shorter than the row
// shows empty drums after its end. Only the dialog whose drums were taken over has
// cells to show.
void ShowDigitRow(HWND dialog, const TextString& digits, int count, int firstId) {
    if (dialog == nullptr || dialog != drums.dialog) {
        return;
    }
    for (int cell = 0; cell < count; ++cell) {
        int slot = CellSlot(firstId + cell);
        if (slot < 0 || drums.cells[slot] == nullptr) {
            continue;
        }
        int drum = DrumPictureAt(digits, cell);
        if (drums.shown[slot] == drum) {
            continue;
        }
        ReplaceCellPicture(slot, DrumPicture(drum), drum);
    }
}

// When the dialog opens: finds its cells, takes over the pictures in them, and lets
// every cell that holds one keep its size from now on. The template loads the empty
// drum into every cell itself; the first ShowOdometer replaces those pictures and
// deletes them, so they are counted from here.
void TakeOverDrums(HWND dialog) {
    drums = Drums();
    for (const DrumRow& row : kDrumRows) {
        for (int cell = 0; cell < row.cells; ++cell) {
            HWND control = GetDlgItem(dialog, row.firstId + cell);
            drums.cells[CellSlot(row.firstId + cell)] = control;
            auto picture = reinterpret_cast<HGDIOBJ>(
                control != nullptr ? SendMessageA(control, STM_GETIMAGE, IMAGE_BITMAP, 0) : 0);
            if (picture != nullptr) {
                TallyAdopt(picture);
                KeepCellSize(control);
            }
        }
    }
    drums.dialog = dialog;
}

// Empties every cell, deleting what the cells gave back that was not shared, then
// deletes the shared pictures, which no cell shows any more.
void ReleaseDrums(HWND dialog) {
    if (dialog == nullptr || dialog != drums.dialog) {
        return;
    }
    for (int slot = 0; slot < kCells; ++slot) {
        if (drums.cells[slot] != nullptr) {
            ReplaceCellPicture(slot, nullptr, kUnknownDrum);
        }
    }
    for (HBITMAP& picture : drums.pictures) {
        TallyDeleteObject(picture);
        picture = nullptr;
    }
    drums = Drums();
}
