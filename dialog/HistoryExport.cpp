// The export of the record of the days as a CSV file, from the history window.
#include "dialog/HistoryExport.h"

#include <commdlg.h>

#include <cstdio>
#include <cstring>

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
// in the target's place. The error of the step that failed, or 0.
DWORD WriteHistoryFile(const DayList& days, const char* path) {
    // The folder keeps its last backslash, so that C:\file.csv gives C:\ and not the
    // current folder of drive C.
    char folder[MAX_PATH];
    std::snprintf(folder, sizeof folder, "%s", path);
    char* lastSlash = std::strrchr(folder, '\\');
    char* lastForward = std::strrchr(folder, '/');
    char* cut = lastForward > lastSlash ? lastForward : lastSlash;
    if (cut != nullptr) {
        cut[1] = '\0';
    } else {
        std::snprintf(folder, sizeof folder, ".");
    }
    char temporary[MAX_PATH];
    if (GetTempFileNameA(folder, "skt", 0, temporary) == 0) {
        return FailureCode();
    }
    DWORD failure = 0;
    HANDLE file =
        CreateFileA(temporary, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        failure = FailureCode();
    } else {
        if (!WriteHistoryCsv(days, UserCsvFormat(), WriteToFile, file) || FlushFileBuffers(file) == 0) {
            failure = FailureCode();
        }
        CloseHandle(file);
    }
    if (failure == 0 && !MoveFileExA(temporary, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        failure = FailureCode();
    }
    if (failure != 0) {
        DeleteFileA(temporary);
    }
    return failure;
}

void ReportFailedExport(HWND dialog, const char* path, DWORD error) {
    char reason[256] = "";
    if (FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0, reason,
                       sizeof reason, nullptr) == 0) {
        std::snprintf(reason, sizeof reason, kExportErrorFormat, static_cast<unsigned long>(error));
    }
    char text[MAX_PATH + 400];
    std::snprintf(text, sizeof text, kExportFailedFormat, path, reason);
    MessageBoxA(dialog, text, kProgramTitle, MB_OK | MB_ICONERROR);
}

} // namespace

void ExportHistoryFromWindow(HWND dialog, const DayList& days) {
    char path[MAX_PATH];
    lstrcpynA(path, kExportFileName, sizeof path);
    OPENFILENAMEA request{};
    request.lStructSize = sizeof request;
    request.hwndOwner = dialog;
    request.lpstrFilter = kExportFilter;
    request.nFilterIndex = 1;
    request.lpstrFile = path;
    request.nMaxFile = sizeof path;
    request.lpstrTitle = kExportTitle;
    request.lpstrDefExt = "csv";
    request.Flags =
        OFN_EXPLORER | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (!GetSaveFileNameA(&request)) {
        if (CommDlgExtendedError() != 0) {
            MessageBoxA(dialog, kExportDialogFailedText, kProgramTitle, MB_OK | MB_ICONERROR);
        }
        return; // cancelled
    }
    DWORD error = 0;
    if (!ExportHistoryCsv(days, path, &error)) {
        ReportFailedExport(dialog, path, error);
    }
}

bool ExportHistoryCsv(const DayList& days, const char* path, DWORD* error) {
    DWORD failure = WriteHistoryFile(days, path);
    if (error != nullptr) {
        *error = failure;
    }
    return failure == 0;
}
