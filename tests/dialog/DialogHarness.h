// Runs the real properties dialog from the program's resources, modally as the main
// window does, and lets a test act inside its modal loop; reads back what the dialog
// shows on the screen.
#ifndef SKITTERA_TESTS_DIALOG_DIALOGHARNESS_H
#define SKITTERA_TESTS_DIALOG_DIALOGHARNESS_H

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "engine/DayFigures.h"
#include "tests/support/WinTestSupport.h"

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

// Opens the history window on the days as of `today`, runs the steps once it is shown
// and painted, as RunPropertiesDialog does.
INT_PTR RunHistoryWindow(const DayList& days, const CalendarDate& today, double unitDivisor,
                         const DialogSteps& steps, DialogEnd end = DialogEnd::kHarnessCloses);

// Lets the dialog handle what is waiting for it: painting, posted messages.
void SettleDialog(HWND dialog);
// One tick of the dialog's timer, at once.
void Tick(HWND dialog);
// Presses a button as a click would.
void Click(HWND dialog, int id);
std::string ControlText(HWND dialog, int id);

// Where the drum of cell `id` is drawn, in the dialog's client coordinates: the
// rectangle of the hidden cell that marks it.
RECT DrumPlace(HWND dialog, int id);
// The screen shows the row's drums ("~" an empty drum) at the places of the cells from
// firstId on, each exactly as its picture in the resources.
void ExpectDrums(HWND dialog, int firstId, const std::string& row);

// The history chart read from the screen: the height in pixels of the bar standing in
// each of `count` equal slots of the chart's plot (its pixels in the window's text colour
// or the selection colour, counted up from the plot's bottom at the slot's middle), and
// the slot whose bar is in the selection colour (-1 for none).
std::vector<int> ChartBarHeights(HWND chart, int count);
int SelectedChartBar(HWND chart, int count);

#endif
