// The drums of the properties dialog. Every cell owns the picture it shows: each
// replacement deletes the picture it replaces, and the dialog takes the last ones
// back before it closes, so no picture outlives the dialog.
//
// A cell is given a new picture only when its character needs a different drum. Each
// replacement costs a resource load, a resize and a repaint of the control (a third
// of a millisecond under Wine), and a tick rewrites sixteen cells of which, with the
// pointer resting, none changes; so every cell remembers which drum it shows.
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

// The cells of the open dialog, found once when it opens: under Wine every GetDlgItem
// asks the window server for the dialog's whole list of controls, and sixteen of
// those round trips were most of what a resting tick cost.
struct DrumCells {
    HWND dialog = nullptr;
    HWND cells[kDistanceCells + kSpeedCells] = {};
};

DrumCells drumCells;

// Where a cell's handle is kept in drumCells, or -1 for an id that is no drum.
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

HWND DrumCell(HWND dialog, int id) {
    int slot = CellSlot(id);
    if (dialog == drumCells.dialog && slot >= 0) {
        return drumCells.cells[slot];
    }
    return GetDlgItem(dialog, id);
}

// The cell's own user value holds the id of the drum it shows; 0 stands for a picture
// the program did not choose (the template's, or none after a failed load).
constexpr int kUnknownDrum = 0;

int ShownDrum(HWND cell) { return static_cast<int>(GetWindowLongPtrA(cell, GWLP_USERDATA)); }

// Hands a picture (or none) to a cell and deletes the one it showed before.
void ReplaceCellPicture(HWND cell, HBITMAP picture, int drum) {
    LRESULT previous = SendMessageA(cell, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(picture));
    if (previous != 0) {
        TallyDeleteObject(reinterpret_cast<HGDIOBJ>(previous));
    }
    SetWindowLongPtrA(cell, GWLP_USERDATA, picture != nullptr ? drum : kUnknownDrum);
}

} // namespace

// Both rows from the current state: the distance in the chosen unit and the highest
// speed. Called at open, on every tick, after a unit change and after a reset.
void ShowOdometer(HWND dialog) {
    OdometerState measurement = SnapshotMeasurement();
    TextString distance = FormatDistanceDigits(measurement);
    ShowDigitRow(dialog, distance, kDistanceCells, IDC_DISTANCE_CELL_FIRST);
    TextString maxSpeed = FormatMaxSpeedDigits(measurement);
    ShowDigitRow(dialog, maxSpeed, kSpeedCells, IDC_SPEED_CELL_FIRST);
}

// Character i of the text goes to cell firstId + i, as a fresh copy of its drum
// picture loaded from the resources. A cell that already shows the right drum keeps
// it. A picture that cannot be loaded leaves its cell empty, and the next call tries
// again; a text shorter than the row shows empty drums after its end.
void ShowDigitRow(HWND dialog, const TextString& digits, int count, int firstId) {
    for (int cell = 0; cell < count; ++cell) {
        HWND control = DrumCell(dialog, firstId + cell);
        if (control == nullptr) {
            continue;
        }
        int drum = DrumPictureAt(digits, cell);
        if (ShownDrum(control) == drum) {
            continue;
        }
        ReplaceCellPicture(control, TallyLoadBitmap(appState.instanceHandle, drum), drum);
    }
}

// When the dialog opens: finds its cells, and takes over the pictures in them. The
// template loads the empty drum into every cell itself; the first ShowOdometer
// replaces those pictures and deletes them like its own, so they are counted from here.
void TakeOverDrums(HWND dialog) {
    drumCells = DrumCells();
    for (const DrumRow& row : kDrumRows) {
        for (int cell = 0; cell < row.cells; ++cell) {
            HWND control = GetDlgItem(dialog, row.firstId + cell);
            drumCells.cells[CellSlot(row.firstId + cell)] = control;
            LRESULT picture = control != nullptr ? SendMessageA(control, STM_GETIMAGE, IMAGE_BITMAP, 0) : 0;
            if (picture != 0) {
                TallyAdopt(reinterpret_cast<HGDIOBJ>(picture));
            }
        }
    }
    drumCells.dialog = dialog;
}

// Empties every cell and deletes the pictures they showed: nothing replaces the last
// pictures of a dialog that closes.
void ReleaseDrums(HWND dialog) {
    for (const DrumRow& row : kDrumRows) {
        for (int cell = 0; cell < row.cells; ++cell) {
            HWND control = GetDlgItem(dialog, row.firstId + cell);
            if (control != nullptr) {
                ReplaceCellPicture(control, nullptr, kUnknownDrum);
            }
        }
    }
    if (dialog == drumCells.dialog) {
        drumCells = DrumCells();
    }
}
