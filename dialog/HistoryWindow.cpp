// The history window: the dialog around the chart (HistoryChart.h). It shows the figures
// beside the chart, switches between days, weeks and months, exports the record and
// imports a file into it.
#include "dialog/HistoryWindow.h"

#include "dialog/HistoryChart.h"
#include "dialog/HistoryExport.h"
#include "dialog/HistoryImport.h"
#include "engine/DisplayTexts.h"
#include "engine/HistorySummary.h"
#include "engine/UserTexts.h"
#include "resources/resource.h"

namespace {

// What the open window shows: the record (its own copy, which an import adds to) and the
// day it is shown on, in the unit given.
struct HistoryView {
    DayList days;
    CalendarDate today;
    double unitDivisor = kCentimetres;
};

HistoryView view;

struct HistoryWindowInput {
    CalendarDate today;
    double unitDivisor;
};

double ViewDivisor() { return UnitOrCentimetres(view.unitDivisor).divisor; }

// --- The dialog's texts -------------------------------------------------------------------

void ShowDistance(HWND dialog, int id, double distanceCm) {
    char text[kHistoryTextCapacity];
    FormatHistoryDistance(distanceCm, ViewDivisor(), text, sizeof text);
    SetDlgItemTextA(dialog, id, text);
}

void ShowSummary(HWND dialog) {
    HistorySummary summary = SummariseHistory(view.days, view.today);
    ShowDistance(dialog, IDC_HISTORY_TODAY, summary.today.distanceCm);
    ShowDistance(dialog, IDC_HISTORY_YESTERDAY, summary.yesterday.distanceCm);
    ShowDistance(dialog, IDC_HISTORY_THIS_WEEK, summary.thisWeek.distanceCm);
    ShowDistance(dialog, IDC_HISTORY_THIS_MONTH, summary.thisMonth.distanceCm);
    if (summary.hasRecordDay) {
        SetDlgItemTextA(dialog, IDC_HISTORY_RECORD_DATE, FormatDottedDate(summary.recordDate).buffer);
        ShowDistance(dialog, IDC_HISTORY_RECORD_DISTANCE, summary.recordDistanceCm);
    } else {
        SetDlgItemTextA(dialog, IDC_HISTORY_RECORD_DATE, kNoRecordDayText);
        SetDlgItemTextA(dialog, IDC_HISTORY_RECORD_DISTANCE, "");
    }
}

// --- The dialog's commands ----------------------------------------------------------------

void ChoosePeriod(HWND dialog, HistoryPeriod period) {
    ShowChartBars(GetDlgItem(dialog, IDC_HISTORY_CHART), BuildBars(view.days, view.today, period),
                  view.unitDivisor);
}

HistoryPeriod ChosenPeriod(HWND dialog) {
    if (IsDlgButtonChecked(dialog, IDC_HISTORY_WEEKS) == BST_CHECKED) {
        return HistoryPeriod::kWeeks;
    }
    return IsDlgButtonChecked(dialog, IDC_HISTORY_MONTHS) == BST_CHECKED ? HistoryPeriod::kMonths
                                                                         : HistoryPeriod::kDays;
}

// The imported days show at once, in the chart and beside it. Days from today on are
// never imported, so today's figures stay the counting's.
void ImportIntoRecord(HWND dialog) {
    if (ImportHistoryFromWindow(dialog, view.days, view.today)) {
        ChoosePeriod(dialog, ChosenPeriod(dialog));
        ShowSummary(dialog);
    }
}

void StartHistoryWindow(HWND dialog, const HistoryWindowInput& input) {
    view.today = input.today;
    view.unitDivisor = input.unitDivisor;
    CheckRadioButton(dialog, IDC_HISTORY_DAYS, IDC_HISTORY_MONTHS, IDC_HISTORY_DAYS);
    ChoosePeriod(dialog, HistoryPeriod::kDays);
    ShowSummary(dialog);
    SetFocus(GetDlgItem(dialog, IDC_HISTORY_CHART));
}

INT_PTR CALLBACK HistoryWindowProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        StartHistoryWindow(dialog, *reinterpret_cast<const HistoryWindowInput*>(lParam));
        return FALSE; // the focus is on the chart
    case WM_COMMAND:
        if (HIWORD(wParam) != BN_CLICKED) {
            return FALSE;
        }
        switch (LOWORD(wParam)) {
        case IDC_HISTORY_DAYS:
            ChoosePeriod(dialog, HistoryPeriod::kDays);
            return TRUE;
        case IDC_HISTORY_WEEKS:
            ChoosePeriod(dialog, HistoryPeriod::kWeeks);
            return TRUE;
        case IDC_HISTORY_MONTHS:
            ChoosePeriod(dialog, HistoryPeriod::kMonths);
            return TRUE;
        case IDC_HISTORY_EXPORT:
            ExportHistoryFromWindow(dialog, view.days);
            return TRUE;
        case IDC_HISTORY_IMPORT:
            ImportIntoRecord(dialog);
            return TRUE;
        case IDOK:
        case IDCANCEL:
            EndDialog(dialog, 0);
            return TRUE;
        default:
            return FALSE;
        }
    case WM_CLOSE:
    case WM_ENDSESSION: // as the properties dialog below it does
        EndDialog(dialog, 0);
        return TRUE;
    default:
        return FALSE;
    }
}

} // namespace

INT_PTR OpenHistoryWindow(HWND owner, const DayList& days, const CalendarDate& today, double unitDivisor) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    if (!RegisterHistoryChart(instance)) {
        return -1;
    }
    if (!view.days.CopyFrom(days)) {
        return -1;
    }
    view.days.SortByDate(); // the import merges into it in date order
    HistoryWindowInput input{today, unitDivisor};
    INT_PTR result = DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_HISTORY), owner, HistoryWindowProc,
                                     reinterpret_cast<LPARAM>(&input));
    view = HistoryView();
    ForgetChartBars();
    return result;
}
