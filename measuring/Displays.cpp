// Gathering what each monitor says about itself: where it lies in physical pixels, how
// it is turned, the size its EDID states, the size the user may have stated instead, and
// what GDI reports for it when nothing better exists.
#include "measuring/Displays.h"

#include <setupapi.h>

#include <cstdlib>

#include "measuring/MeasurementLock.h"
#include "measuring/PointerHook.h"
#include "measuring/StoredSettings.h"
#include "settings/Settings.h"
#include "support/GdiTally.h"
#include "support/SystemFunction.h"

namespace {

// GUID_DEVINTERFACE_MONITOR: the device interface class of monitors.
const GUID kMonitorInterfaceClass = {
    0xe6f07b5f, 0xee97, 0x4a90, {0xb0, 0x76, 0x33, 0xf5, 0x7b, 0xf4, 0xea, 0xa7}};

// An EDID is a base block of 128 bytes and at most 255 extension blocks of 128; a value
// larger than that is not an EDID.
constexpr DWORD kLargestEdid = 128 * 256;
// Display modes beyond these figures are nonsense from a driver, not a monitor.
constexpr DWORD kLargestModeSide = 1 << 16;
constexpr LONG kFarthestPosition = 1 << 24;
// Monitors on one output in clone mode; the first with a readable EDID speaks for them.
constexpr DWORD kMonitorsPerOutput = 8;
// A monitor device's interface path as EnumDisplayDevicesA gives it, terminating zero included.
constexpr DWORD kInterfacePathRoom = sizeof(DISPLAY_DEVICEA::DeviceID);

using SetThreadDpiAwarenessContextProc = DPI_AWARENESS_CONTEXT(WINAPI*)(DPI_AWARENESS_CONTEXT);

// Windows 10 1607 and later only.
SetThreadDpiAwarenessContextProc ThreadDpiAwarenessSetter() {
    return FindSystemFunction<SetThreadDpiAwarenessContextProc>("user32.dll", "SetThreadDpiAwarenessContext");
}

struct MonitorHandles {
    int count = 0;
    HMONITOR handles[kMaxMonitors] = {};
};

BOOL CALLBACK CollectMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
    MonitorHandles* list = reinterpret_cast<MonitorHandles*>(data);
    if (list->count < kMaxMonitors) {
        list->handles[list->count++] = monitor;
    }
    return TRUE;
}

// The EDID in the registry value "EDID" of an open device key. False when the value is
// missing, cannot be an EDID or does not parse. The whole value has to be read (a smaller
// buffer gets ERROR_MORE_DATA and no bytes at all), so its room is taken for the moment
// from the C heap: a std::vector here would link the C++ library's exception and string
// machinery (59 KB of the 64-bit program) for one buffer.
bool ReadEdidValue(HKEY key, EdidInfo& edid) {
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExA(key, "EDID", nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        size < kEdidBlockLength || size > kLargestEdid) {
        return false;
    }
    auto* bytes = static_cast<unsigned char*>(std::malloc(size));
    if (bytes == nullptr) {
        return false;
    }
    const DWORD room = size;
    bool parsed = RegQueryValueExA(key, "EDID", nullptr, &type, bytes, &size) == ERROR_SUCCESS &&
                  size <= room && ParseEdid(bytes, size, edid);
    std::free(bytes);
    return parsed;
}

// The EDID in the device key of the monitor whose device interface has this path: Windows
// keeps the block the monitor sent under the key's "EDID" value, and SetupAPI opens that
// key from the interface, so the program needs no knowledge of where the key lies. The
// path comes from a DISPLAY_DEVICEA, whose DeviceID holds at most kInterfacePathRoom - 1
// characters: an interface with a longer path is another one, and is passed over unread.
bool ReadEdidOfInterface(const char* interfacePath, EdidInfo& edid) {
    HDEVINFO devices = SetupDiGetClassDevsA(&kMonitorInterfaceClass, nullptr, nullptr,
                                            DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    if (devices == INVALID_HANDLE_VALUE) {
        return false;
    }
    bool found = false;
    SP_DEVICE_INTERFACE_DATA interfaceData{};
    interfaceData.cbSize = sizeof interfaceData;
    for (DWORD index = 0;
         SetupDiEnumDeviceInterfaces(devices, nullptr, &kMonitorInterfaceClass, index, &interfaceData);
         ++index) {
        DWORD required = 0;
        SetupDiGetDeviceInterfaceDetailA(devices, &interfaceData, nullptr, 0, &required, nullptr);
        // Aligned as the record, so that its size field is.
        alignas(SP_DEVICE_INTERFACE_DETAIL_DATA_A) char
            storage[sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A) + kInterfacePathRoom];
        if (required < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A) || required > sizeof storage) {
            continue;
        }
        auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_A*>(storage);
        detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A);
        SP_DEVINFO_DATA device{};
        device.cbSize = sizeof device;
        if (!SetupDiGetDeviceInterfaceDetailA(devices, &interfaceData, detail, required, nullptr, &device) ||
            lstrcmpiA(detail->DevicePath, interfacePath) != 0) {
            continue;
        }
        HKEY key = SetupDiOpenDevRegKey(devices, &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
        if (key != INVALID_HANDLE_VALUE) {
            found = ReadEdidValue(key, edid);
            RegCloseKey(key);
        }
        break;
    }
    SetupDiDestroyDeviceInfoList(devices);
    return found;
}

// The monitor's rectangle from its display mode: the position and size of the mode are
// the monitor's physical pixels whatever the program's DPI awareness. False when the
// mode is not readable or not sensible.
bool ReadModeRect(const DEVMODEA& mode, RECT& rect) {
    const DWORD needed = DM_POSITION | DM_PELSWIDTH | DM_PELSHEIGHT;
    if ((mode.dmFields & needed) != needed || mode.dmPelsWidth == 0 || mode.dmPelsHeight == 0 ||
        mode.dmPelsWidth > kLargestModeSide || mode.dmPelsHeight > kLargestModeSide ||
        mode.dmPosition.x < -kFarthestPosition || mode.dmPosition.x > kFarthestPosition ||
        mode.dmPosition.y < -kFarthestPosition || mode.dmPosition.y > kFarthestPosition) {
        return false;
    }
    rect.left = mode.dmPosition.x;
    rect.top = mode.dmPosition.y;
    rect.right = rect.left + static_cast<LONG>(mode.dmPelsWidth);
    rect.bottom = rect.top + static_cast<LONG>(mode.dmPelsHeight);
    return true;
}

// What GDI reports of the output's physical size, the size the calibration used before
// monitors were read one by one.
void ReadDeviceCapsSize(const char* outputName, int& widthMm, int& heightMm) {
    // A device context of that output; the screen's when the output has none.
    HDC output = CreateDCA(outputName, nullptr, nullptr, nullptr);
    HDC device = output != nullptr ? output : CreateCompatibleDC(nullptr);
    widthMm = GetDeviceCaps(device, HORZSIZE);
    heightMm = GetDeviceCaps(device, VERTSIZE);
    DeleteDC(device);
}

// Everything the engine needs about one monitor. The EDID and the override text live in
// the record so that the facts can point at them.
struct GatheredMonitor {
    MonitorFacts facts{};
    EdidInfo edid{};
    TextString overrideText;
};

bool GatherMonitor(HMONITOR handle, bool physicalPixels, GatheredMonitor& gathered) {
    MONITORINFOEXA info{};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoA(handle, &info)) {
        return false;
    }
    RECT rect = info.rcMonitor;
    int rotation = 0;
    DEVMODEA mode{};
    mode.dmSize = sizeof mode;
    if (EnumDisplaySettingsA(info.szDevice, ENUM_CURRENT_SETTINGS, &mode)) {
        if ((mode.dmFields & DM_DISPLAYORIENTATION) != 0 && mode.dmDisplayOrientation <= DMDO_270) {
            rotation = static_cast<int>(mode.dmDisplayOrientation);
        }
        // Without the per-monitor context a DPI-unaware or system-aware program may be
        // given scaled monitor rectangles; the mode is in physical pixels, as the hook's
        // points are.
        RECT modeRect;
        if (!physicalPixels && ReadModeRect(mode, modeRect)) {
            rect = modeRect;
        }
    }

    MonitorFacts& facts = gathered.facts;
    facts.left = rect.left;
    facts.top = rect.top;
    facts.right = rect.right;
    facts.bottom = rect.bottom;
    facts.rotationQuarterTurns = rotation;
    facts.edid = nullptr;
    facts.overrideText = nullptr;
    if (ReadMonitorEdid(info.szDevice, gathered.edid)) {
        facts.edid = &gathered.edid;
        TextString name = MonitorOverrideName(gathered.edid);
        gathered.overrideText = ReadMonitorOverride(name.buffer);
        if (!gathered.overrideText.IsEmpty()) {
            facts.overrideText = gathered.overrideText.buffer;
        }
    }
    // GDI's millimetres over the monitor's physical pixels: where GDI reports scaled
    // pixels (HORZRES of a DPI-unaware program at 150 %), its size is still the whole
    // screen's, so it is divided by the pixels the hook counts in.
    ReadDeviceCapsSize(info.szDevice, facts.fallbackWidthMm, facts.fallbackHeightMm);
    facts.fallbackWidthPixels = static_cast<int>(rect.right - rect.left);
    facts.fallbackHeightPixels = static_cast<int>(rect.bottom - rect.top);
    return true;
}

} // namespace

DPI_AWARENESS_CONTEXT EnterPhysicalPixels() {
    SetThreadDpiAwarenessContextProc setContext = ThreadDpiAwarenessSetter();
    if (setContext == nullptr) {
        return nullptr;
    }
    // Per-monitor awareness (version 1) is what 1607 knows; for reading monitors it gives
    // the same physical rectangles as version 2.
    return setContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE);
}

void LeavePhysicalPixels(DPI_AWARENESS_CONTEXT previous) {
    SetThreadDpiAwarenessContextProc setContext = ThreadDpiAwarenessSetter();
    if (previous != nullptr && setContext != nullptr) {
        setContext(previous);
    }
}

// The output's monitor devices, named by their device interface (Windows Vista on), in
// the order Windows gives them.
bool ReadMonitorEdid(const char* outputName, EdidInfo& edid) {
    DISPLAY_DEVICEA monitor{};
    monitor.cb = sizeof monitor;
    for (DWORD index = 0; index < kMonitorsPerOutput &&
                          EnumDisplayDevicesA(outputName, index, &monitor, EDD_GET_DEVICE_INTERFACE_NAME);
         ++index) {
        monitor.DeviceID[sizeof monitor.DeviceID - 1] = '\0';
        if (monitor.DeviceID[0] != '\0' && ReadEdidOfInterface(monitor.DeviceID, edid)) {
            return true;
        }
        monitor = DISPLAY_DEVICEA{};
        monitor.cb = sizeof monitor;
    }
    return false;
}

// Also, when asked, what the user is shown of each monitor, in the same order.
MonitorLayout ReadMonitorLayout(MonitorReports* reports) {
    MonitorLayout layout{};
    if (reports != nullptr) {
        reports->count = 0;
    }
    DPI_AWARENESS_CONTEXT previous = EnterPhysicalPixels();
    MonitorHandles handles;
    if (EnumDisplayMonitors(nullptr, nullptr, CollectMonitor, reinterpret_cast<LPARAM>(&handles))) {
        for (int index = 0; index < handles.count; ++index) {
            GatheredMonitor gathered;
            if (!GatherMonitor(handles.handles[index], previous != nullptr, gathered)) {
                continue;
            }
            MonitorSizeSource source;
            MonitorArea area = CalibrateMonitor(gathered.facts, source);
            layout.monitors[layout.count++] = area;
            if (reports != nullptr) {
                MonitorReport& report = reports->monitors[reports->count++];
                report.area = area;
                report.source = source;
                report.overrideName =
                    gathered.facts.edid != nullptr ? MonitorOverrideName(gathered.edid) : TextString();
                report.overrideRefused =
                    gathered.facts.overrideText != nullptr && source != MonitorSizeSource::Override;
            }
        }
    }
    LeavePhysicalPixels(previous);
    return layout;
}

// The whole virtual screen as one monitor, for when no monitor can be read one by one, at
// the millimetres per pixel of what the display driver reports of the screen's physical
// size and its resolution. The rectangle and the resolution are read in physical pixels,
// as the hook's points are: a DPI-unaware program is given them scaled down (by a third
// at 150 %), and most points would then lie beyond the table. Everything is read first;
// the hook waits only for the new table to be put in place.
void CalibrateScreen() {
    DPI_AWARENESS_CONTEXT previous = EnterPhysicalPixels();
    HDC screen = TallyCreateCompatibleDC(nullptr);
    MonitorFacts facts{};
    facts.fallbackWidthMm = GetDeviceCaps(screen, HORZSIZE);
    facts.fallbackHeightMm = GetDeviceCaps(screen, VERTSIZE);
    facts.fallbackWidthPixels = GetDeviceCaps(screen, HORZRES);
    facts.fallbackHeightPixels = GetDeviceCaps(screen, VERTRES);
    TallyDeleteDC(screen);
    facts.left = GetSystemMetrics(SM_XVIRTUALSCREEN);
    facts.top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    facts.right = facts.left + GetSystemMetrics(SM_CXVIRTUALSCREEN);
    facts.bottom = facts.top + GetSystemMetrics(SM_CYVIRTUALSCREEN);
    LeavePhysicalPixels(previous);
    MonitorLayout layout;
    layout.count = 1;
    layout.monitors[0] = CalibrateMonitor(facts);
    ModifyMeasurement([&layout](OdometerState& measurement) { SetMonitorLayout(measurement, layout); });
}

void CalibrateDisplays(MonitorReports* reports) {
    MonitorLayout layout = ReadMonitorLayout(reports);
    if (layout.count == 0) {
        CalibrateScreen();
        return;
    }
    ApplyMonitorLayout(layout);
}

// The "Schermi" box: every monitor read again (so that a size the user has just stated
// is measured with from now on) and shown with its size, the size's source and the name
// of the value that states it. Windows copies a message box's text with Ctrl+C, so the
// name can be pasted into the Registry Editor.
void ShowMonitorReport(HWND owner) {
    MonitorReports reports;
    CalibrateDisplays(&reports);
    TextString text = DescribeMonitors(reports);
    MessageBoxA(owner, text.buffer, kMonitorReportTitle, MB_OK | MB_ICONINFORMATION);
}
