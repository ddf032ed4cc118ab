// The export of the record of the days as a CSV file, from the history window.
#include "dialog/HistoryExport.h"

#include <commdlg.h>

#include <cwchar>

#include "engine/HistoryCsv.h"
#include "engine/UserTexts.h"

namespace {

bool WriteToFile(void* context, const char* bytes, std::size_t count) {
    DWORD written = 0;
    return WriteFile(static_cast<HANDLE>(context), bytes, static_cast<DWORD>(count), &written, nullptr) !=
               0 &&
           written == count;
}

// The locale's list separator and decimal mark, as a spreadsheet set up for the user's
// language reads a CSV file that is double-clicked.
CsvFormat UserCsvFormat() {
    char separator[kCsvMarkCapacity] = "";
    char decimalMark[kCsvMarkCapacity] = "";
    if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SLIST, separator, sizeof separator) == 0) {
        separator[0] = '\0';
    }
    if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, decimalMark, sizeof decimalMark) == 0) {
        decimalMark[0] = '\0';
    }
    return MakeCsvFormat(separator, decimalMark);
}

// The error of the step that just failed; a step that failed without saying why still
// counts as failed.
DWORD FailureCode() {
    DWORD error = GetLastError();
    return error != 0 ? error : ERROR_WRITE_FAULT;
}

// The export's steps: a new file beside the target, the record into it, then the file
// in the target's place. The error of the step that failed, or 0. Every call is a wide
// one, so that a folder named outside the ANSI code page (a Cyrillic user name on an
// Italian system) is the folder written to, and the file the Save As dialog asked about
// is the one replaced.
DWORD WriteHistoryFile(const DayList& days, const wchar_t* path) {
    // The folder keeps its last backslash, so that C:\file.csv gives C:\ and not the
    // current folder of drive C.
    wchar_t folder[MAX_PATH];
    lstrcpynW(folder, path, MAX_PATH);
    wchar_t* lastSlash = std::wcsrchr(folder, L'\\');
    wchar_t* lastForward = std::wcsrchr(folder, L'/');
    wchar_t* cut = lastForward > lastSlash ? lastForward : lastSlash;
    if (cut != nullptr) {
        cut[1] = L'\0';
    } else {
        lstrcpyW(folder, L".");
    }
    wchar_t temporary[MAX_PATH];
    if (GetTempFileNameW(folder, L"skt", 0, temporary) == 0) {
        return FailureCode();
    }
    DWORD failure = 0;
    HANDLE file =
        CreateFileW(temporary, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        failure = FailureCode();
    } else {
        if (!WriteHistoryCsv(days, UserCsvFormat(), WriteToFile, file) || FlushFileBuffers(file) == 0) {
            failure = FailureCode();
        }
        CloseHandle(file);
    }
    if (failure == 0 && !MoveFileExW(temporary, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        failure = FailureCode();
    }
    if (failure != 0) {
        DeleteFileW(temporary);
    }
    return failure;
}

void ReportFailedExport(HWND dialog, const wchar_t* path, DWORD error) {
    wchar_t reason[256];
    DescribeSystemError(error, reason, 256);
    wchar_t text[1024]; // wsprintfW writes at most 1024 characters
    wsprintfW(text, kExportFailedFormat, path, reason);
    MessageBoxW(dialog, text, kHistoryMessageTitle, MB_OK | MB_ICONERROR);
}

} // namespace

void DescribeSystemError(DWORD error, wchar_t* reason, int capacity) {
    if (FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0, reason,
                       static_cast<DWORD>(capacity), nullptr) == 0) {
        wchar_t number[64];
        wsprintfW(number, kSystemErrorFormat, static_cast<unsigned long>(error));
        lstrcpynW(reason, number, capacity);
    }
}

void ExportHistoryFromWindow(HWND dialog, const DayList& days) {
    wchar_t path[MAX_PATH];
    lstrcpynW(path, kExportFileName, MAX_PATH);
    OPENFILENAMEW request{};
    request.lStructSize = sizeof request;
    request.hwndOwner = dialog;
    request.lpstrFilter = kCsvFilter;
    request.nFilterIndex = 1;
    request.lpstrFile = path;
    request.nMaxFile = MAX_PATH;
    request.lpstrTitle = kExportTitle;
    request.lpstrDefExt = L"csv";
    request.Flags =
        OFN_EXPLORER | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (!GetSaveFileNameW(&request)) {
        if (CommDlgExtendedError() != 0) {
            MessageBoxW(dialog, kExportDialogFailedText, kHistoryMessageTitle, MB_OK | MB_ICONERROR);
        }
        return; // cancelled
    }
    DWORD error = 0;
    if (!ExportHistoryCsv(days, path, &error)) {
        ReportFailedExport(dialog, path, error);
    }
}

bool ExportHistoryCsv(const DayList& days, const wchar_t* path, DWORD* error) {
    DWORD failure = WriteHistoryFile(days, path);
    if (error != nullptr) {
        *error = failure;
    }
    return failure == 0;
}
