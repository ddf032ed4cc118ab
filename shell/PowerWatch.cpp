#include "shell/PowerWatch.h"

#include <wtsapi32.h>

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "support/SystemFunction.h"

namespace {

// GUID_CONSOLE_DISPLAY_STATE (Windows 8 and later: 0 off, 1 on, 2 dimmed) and
// GUID_MONITOR_POWER_ON (Vista and 7: 0 off, 1 on), from the SDK's winnt.h, which gives
// them only to newer targets than this program's.
constexpr GUID kConsoleDisplayState = {
    0x6fe69556, 0x704a, 0x47a0, {0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47}};
constexpr GUID kMonitorPowerOn = {
    0x02731015, 0x4510, 0x4526, {0x99, 0xe6, 0xe5, 0xa1, 0x7e, 0xbd, 0x1a, 0xea}};

// The record that lParam points to, as winuser.h has it for Vista and later.
struct PowerSetting {
    GUID setting;
    DWORD dataLength;
    unsigned char data[1];
};

constexpr DWORD kNotifyWindowHandle = 0; // DEVICE_NOTIFY_WINDOW_HANDLE

using RegisterProc = HANDLE(WINAPI*)(HANDLE, const GUID*, DWORD);
using UnregisterProc = BOOL(WINAPI*)(HANDLE);

HANDLE displayNotifications[2] = {nullptr, nullptr};

// Whether `size` bytes from `address` can be read: committed memory that is not a guard
// page and allows reading.
bool Readable(const void* address, SIZE_T size) {
    constexpr DWORD kReadable =
        PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READ | PAGE_EXECUTE_READWRITE;
    auto cursor = reinterpret_cast<std::uintptr_t>(address);
    std::uintptr_t end = cursor + size;
    if (end < cursor) {
        return false; // past the end of the address space
    }
    while (cursor < end) {
        MEMORY_BASIC_INFORMATION region;
        if (VirtualQuery(reinterpret_cast<const void*>(cursor), &region, sizeof region) == 0 ||
            region.State != MEM_COMMIT || (region.Protect & kReadable) == 0 ||
            (region.Protect & PAGE_GUARD) != 0) {
            return false;
        }
        cursor = reinterpret_cast<std::uintptr_t>(region.BaseAddress) + region.RegionSize;
    }
    return true;
}

} // namespace

bool WatchDisplayAndSession(HWND window) {
    auto registerSetting = FindSystemFunction<RegisterProc>("user32.dll", "RegisterPowerSettingNotification");
    if (registerSetting != nullptr) {
        const GUID* settings[2] = {&kConsoleDisplayState, &kMonitorPowerOn};
        for (int i = 0; i < 2; ++i) {
            if (displayNotifications[i] == nullptr) {
                displayNotifications[i] = registerSetting(window, settings[i], kNotifyWindowHandle);
            }
        }
    }
    return WatchSession(window);
}

bool WatchSession(HWND window) {
    return WTSRegisterSessionNotification(window, NOTIFY_FOR_THIS_SESSION) != FALSE;
}

void StopWatchingDisplayAndSession(HWND window) {
    WTSUnRegisterSessionNotification(window);
    auto unregister = FindSystemFunction<UnregisterProc>("user32.dll", "UnregisterPowerSettingNotification");
    for (HANDLE& notification : displayNotifications) {
        if (notification != nullptr && unregister != nullptr) {
            unregister(notification);
        }
        notification = nullptr;
    }
}

DisplayPower ReadDisplayPower(LPARAM setting) {
    const auto* record = reinterpret_cast<const PowerSetting*>(setting);
    constexpr SIZE_T kHeader = offsetof(PowerSetting, data);
    if (record == nullptr || !Readable(record, kHeader + sizeof(DWORD))) {
        return DisplayPower::Unknown;
    }
    bool display = std::memcmp(&record->setting, &kConsoleDisplayState, sizeof(GUID)) == 0 ||
                   std::memcmp(&record->setting, &kMonitorPowerOn, sizeof(GUID)) == 0;
    if (!display || record->dataLength < sizeof(DWORD)) {
        return DisplayPower::Unknown;
    }
    DWORD state;
    std::memcpy(&state, record->data, sizeof state);
    switch (state) {
    case 0:
        return DisplayPower::Off;
    case 1: // on
    case 2: // dimmed
        return DisplayPower::On;
    default:
        return DisplayPower::Unknown;
    }
}
