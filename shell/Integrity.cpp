#include "shell/Integrity.h"
#include "shell/TrayIcon.h"

#include "engine/HookWatch.h"
#include "engine/StartRules.h"
#include "measuring/Globals.h"
#include "support/SystemFunction.h"

namespace {

bool ReadOwnIntegrityLevel(unsigned long& level) { return ReadIntegrityLevel(GetCurrentProcessId(), level); }

// Whether input meant for the window's process reaches the hook of a process at `own`.
bool HookHearsInputFor(HWND window, unsigned long own) {
    DWORD processId = 0;
    if (window == nullptr || GetWindowThreadProcessId(window, &processId) == 0 ||
        processId == GetCurrentProcessId()) {
        return true;
    }
    unsigned long target = 0;
    bool known = ReadIntegrityLevel(processId, target);
    return HookHearsInputAt(own, known, target);
}

// The desktop that takes input now is this thread's: not the secure desktop, which a
// process of the user cannot even open.
bool OwnDesktopTakesInput() {
    HDESK input = OpenInputDesktop(0, FALSE, DESKTOP_READOBJECTS);
    if (input == nullptr) {
        return false;
    }
    char inputName[64] = "";
    char ownName[64] = "";
    DWORD length = 0;
    bool same = GetUserObjectInformationA(input, UOI_NAME, inputName, sizeof inputName, &length) &&
                GetUserObjectInformationA(GetThreadDesktop(GetCurrentThreadId()), UOI_NAME, ownName,
                                          sizeof ownName, &length) &&
                lstrcmpiA(inputName, ownName) == 0;
    CloseDesktop(input);
    return same;
}

} // namespace

bool ReadIntegrityLevel(DWORD processId, unsigned long& level) {
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    if (process == nullptr) {
        return false;
    }
    HANDLE token = nullptr;
    bool read = false;
    if (OpenProcessToken(process, TOKEN_QUERY, &token)) {
        // The label: a SID_AND_ATTRIBUTES and the SID it points to, well within this.
        alignas(8) unsigned char buffer[64];
        DWORD size = 0;
        if (GetTokenInformation(token, TokenIntegrityLevel, buffer, sizeof buffer, &size)) {
            PSID sid = reinterpret_cast<TOKEN_MANDATORY_LABEL*>(buffer)->Label.Sid;
            if (IsValidSid(sid) && *GetSidSubAuthorityCount(sid) > 0) {
                level = *GetSidSubAuthority(sid, *GetSidSubAuthorityCount(sid) - 1U);
                read = true;
            }
        }
        CloseHandle(token);
    }
    CloseHandle(process);
    return read;
}

bool SameIntegrityAs(HWND window) {
    DWORD processId = 0;
    if (window == nullptr || GetWindowThreadProcessId(window, &processId) == 0) {
        return false;
    }
    unsigned long own = 0;
    unsigned long other = 0;
    bool ownKnown = ReadOwnIntegrityLevel(own);
    bool otherKnown = ReadIntegrityLevel(processId, other);
    return SameIntegrityLevel(ownKnown, own, otherKnown, other);
}

bool InputHiddenFromHook() {
    if (!OwnDesktopTakesInput()) {
        return true;
    }
    unsigned long own = 0;
    if (!ReadOwnIntegrityLevel(own)) {
        return false; // no level of its own to compare with: the hook is taken to hear all
    }
    POINT pointer;
    HWND underPointer = GetCursorPos(&pointer) ? WindowFromPoint(pointer) : nullptr;
    return !HookHearsInputFor(underPointer, own) || !HookHearsInputFor(GetForegroundWindow(), own);
}

int AllowShellMessages(HWND window) {
    using ChangeFilterProc = BOOL(WINAPI*)(HWND, UINT, DWORD, void*);
    constexpr DWORD kAllow = 1; // MSGFLT_ALLOW
    auto change = FindSystemFunction<ChangeFilterProc>("user32.dll", "ChangeWindowMessageFilterEx");
    if (change == nullptr) {
        return 0;
    }
    int allowed = 0;
    for (UINT message : {taskbarCreatedMessage, trayMessage}) {
        if (message != 0 && change(window, message, kAllow, nullptr)) {
            ++allowed;
        }
    }
    return allowed;
}
