// "Importa...": the Open dialog, the file read whole, the one question, and the messages.
#include "dialog/HistoryImport.h"

#include <commdlg.h>

#include <cstdlib>

#include "dialog/HistoryExport.h"
#include "engine/HistoryCsv.h"
#include "engine/HistoryImport.h"
#include "engine/UserTexts.h"
#include "measuring/StoredSettings.h"
#include "resources/resource.h"

namespace {

// wsprintfW writes at most 1024 characters.
constexpr int kMessageCapacity = 1024;

bool ChooseFile(HWND window, wchar_t* path) {
    lstrcpynW(path, kExportFileName, MAX_PATH);
    OPENFILENAMEW request{};
    request.lStructSize = sizeof request;
    request.hwndOwner = window;
    request.lpstrFilter = kCsvFilter;
    request.nFilterIndex = 1;
    request.lpstrFile = path;
    request.nMaxFile = MAX_PATH;
    request.lpstrTitle = kImportTitle;
    request.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (GetOpenFileNameW(&request)) {
        return true;
    }
    if (CommDlgExtendedError() != 0) {
        MessageBoxW(window, kImportDialogFailedText, kHistoryMessageTitle, MB_OK | MB_ICONERROR);
    }
    return false; // cancelled
}

// The file's bytes, at most one more than the import takes (so that a larger file shows
// as one), on the C heap; the system's error, or 0.
DWORD ReadWholeFile(const wchar_t* path, char*& bytes, std::size_t& size) {
    bytes = nullptr;
    size = 0;
    // Others may keep the file open (a spreadsheet that has just saved it).
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return GetLastError() != 0 ? GetLastError() : ERROR_READ_FAULT;
    }
    DWORD error = 0;
    LARGE_INTEGER length{};
    if (!GetFileSizeEx(file, &length)) {
        error = GetLastError();
    } else {
        std::size_t wanted = static_cast<unsigned long long>(length.QuadPart) > kMostImportBytes
                                 ? kMostImportBytes + 1
                                 : static_cast<std::size_t>(length.QuadPart);
        bytes = static_cast<char*>(std::malloc(wanted + 1));
        DWORD read = 0;
        if (bytes == nullptr) {
            error = ERROR_NOT_ENOUGH_MEMORY;
        } else if (!ReadFile(file, bytes, static_cast<DWORD>(wanted), &read, nullptr)) {
            error = GetLastError();
        } else {
            size = read;
        }
    }
    CloseHandle(file);
    if (error != 0) {
        std::free(bytes);
        bytes = nullptr;
        size = 0;
    }
    return error;
}

void ShowMessage(HWND window, const wchar_t* text, UINT icon) {
    MessageBoxW(window, text, kHistoryMessageTitle, MB_OK | icon);
}

// The line and field that stopped the reading, and what is wrong there.
void ReportRefusedFile(HWND window, const ImportError& error) {
    wchar_t what[kMessageCapacity];
    switch (error.problem) {
    case ImportProblem::kFileTooLarge:
        ShowMessage(window, kImportTooLargeText, MB_ICONERROR);
        return;
    case ImportProblem::kNoMemory:
        ShowMessage(window, kImportNoMemoryText, MB_ICONERROR);
        return;
    case ImportProblem::kNoHeader:
        lstrcpynW(what, kImportNoHeaderText, kMessageCapacity);
        break;
    case ImportProblem::kFieldCount:
        wsprintfW(what, kImportFieldCountFormat, static_cast<unsigned>(error.detail));
        break;
    case ImportProblem::kOpenQuote:
        lstrcpynW(what, kImportOpenQuoteText, kMessageCapacity);
        break;
    case ImportProblem::kBadDate:
        lstrcpynW(what, kImportBadDateText, kMessageCapacity);
        break;
    case ImportProblem::kRepeatedDate:
        wsprintfW(what, kImportRepeatedDateFormat, static_cast<unsigned>(error.detail));
        break;
    case ImportProblem::kNegative:
        lstrcpynW(what, kImportNegativeText, kMessageCapacity);
        break;
    case ImportProblem::kNotFinite:
        lstrcpynW(what, kImportNotFiniteText, kMessageCapacity);
        break;
    case ImportProblem::kBeyondADay:
        lstrcpynW(what, kImportBeyondADayText, kMessageCapacity);
        break;
    case ImportProblem::kCountTooLarge:
        lstrcpynW(what, kImportCountTooLargeText, kMessageCapacity);
        break;
    case ImportProblem::kNone:
    case ImportProblem::kNotANumber:
    default:
        lstrcpynW(what, kImportNotANumberText, kMessageCapacity);
        break;
    }
    wchar_t where[kMessageCapacity];
    if (error.field > 0) {
        // The titles are ASCII.
        wchar_t title[32];
        MultiByteToWideChar(CP_ACP, 0, HistoryCsvTitle(error.field - 1), -1, title, 32);
        wsprintfW(where, kImportFieldFormat, static_cast<unsigned>(error.line), title, what);
    } else {
        wsprintfW(where, kImportLineFormat, static_cast<unsigned>(error.line), what);
    }
    wchar_t text[kMessageCapacity];
    wsprintfW(text, kImportRefusedFormat, where);
    ShowMessage(window, text, MB_ICONERROR);
}

// The question about the days in both: the answer is the button's id.
INT_PTR CALLBACK QuestionProc(HWND question, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: {
        wchar_t text[kMessageCapacity];
        wsprintfW(text, kImportQuestionFormat, static_cast<unsigned>(lParam));
        SetDlgItemTextW(question, IDC_IMPORT_QUESTION, text);
        return TRUE; // the focus on the default button
    }
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_IMPORT_SUM:
        case IDC_IMPORT_KEEP:
        case IDCANCEL:
            EndDialog(question, LOWORD(wParam));
            return TRUE;
        default:
            return FALSE;
        }
    case WM_CLOSE:
        EndDialog(question, IDCANCEL);
        return TRUE;
    default:
        return FALSE;
    }
}

// How many days were added, summed, kept and skipped, and why the kept and skipped ones were.
void ReportDone(HWND window, const ImportCounts& counts) {
    std::size_t kept = counts.kept + counts.unreadable + counts.tooLarge;
    wchar_t text[kMessageCapacity];
    int length = wsprintfW(text, kImportDoneFormat, static_cast<unsigned>(counts.added),
                           static_cast<unsigned>(counts.summed), static_cast<unsigned>(kept),
                           static_cast<unsigned>(counts.skipped));
    const struct {
        std::size_t count;
        const wchar_t* format;
    } reasons[] = {{counts.kept, kImportKeptAnsweredFormat},
                   {counts.unreadable, kImportKeptUnreadableFormat},
                   {counts.tooLarge, kImportKeptTooLargeFormat},
                   {counts.skipped, kImportSkippedFormat}};
    for (const auto& reason : reasons) {
        if (reason.count > 0 && length < kMessageCapacity - 200) {
            length += wsprintfW(text + length, reason.format, static_cast<unsigned>(reason.count));
        }
    }
    ShowMessage(window, text, MB_ICONINFORMATION);
}

} // namespace

bool ImportHistoryFromWindow(HWND window, DayList& record, const CalendarDate& today) {
    wchar_t path[MAX_PATH];
    if (!ChooseFile(window, path)) {
        return false;
    }
    char* bytes = nullptr;
    std::size_t size = 0;
    DWORD readError = ReadWholeFile(path, bytes, size);
    if (readError != 0) {
        wchar_t reason[256];
        DescribeSystemError(readError, reason, 256);
        wchar_t text[kMessageCapacity];
        wsprintfW(text, kImportReadFailedFormat, path, reason);
        ShowMessage(window, text, MB_ICONERROR);
        return false;
    }
    DayList imported;
    ImportError error = ReadHistoryCsv(bytes, size, imported);
    std::free(bytes);
    if (error.problem != ImportProblem::kNone) {
        ReportRefusedFile(window, error);
        return false;
    }
    ImportChoice choice = ImportChoice::kSum;
    std::size_t inBoth = CountDaysInBoth(imported, record, today);
    if (inBoth > 0) {
        INT_PTR answer = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_IMPORT_QUESTION),
                                         window, QuestionProc, static_cast<LPARAM>(inBoth));
        if (answer != IDC_IMPORT_SUM && answer != IDC_IMPORT_KEEP) {
            return false; // Annulla: nothing imported
        }
        choice = answer == IDC_IMPORT_SUM ? ImportChoice::kSum : ImportChoice::kKeep;
    }
    ImportPlan plan;
    if (!ImportHistory(imported, today, choice, plan)) {
        ShowMessage(window, kImportWriteFailedText, MB_ICONERROR);
        return false;
    }
    bool shown = MergeWrittenDays(record, plan.write);
    ReportDone(window, plan.counts);
    return shown && !plan.write.empty();
}
