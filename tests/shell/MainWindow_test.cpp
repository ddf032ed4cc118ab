// The main window under Wine, started the way the program starts it, in a Wine prefix
// and on a display of its own (the registry, the tray and the pointer are real): the
// splash, the tray messages, the menu and the dialog, the end of the session, the
// checkpoint, a new taskbar, a shell that is not ready, a dropped hook, and messages
// from outside.
#include "shell/MainWindow.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/Checkpoint.h"
#include "engine/DayRecord.h"
#include "engine/StartRules.h"
#include "engine/TrayMessage.h"
#include "measuring/DayKeeping.h"
#include "measuring/Globals.h"
#include "measuring/PointerHook.h"
#include "measuring/StoredSettings.h"
#include "resources/resource.h"
#include "settings/Settings.h"
#include "settings/SettingsStore.h"
#include "shell/Integrity.h"
#include "shell/Main.h"
#include "shell/SingleInstance.h"
#include "shell/TrayIcon.h"
#include "shell/TrayMenu.h"
#include "support/GdiTally.h"
#include "tests/support/WinTestSupport.h"

namespace {

HINSTANCE Instance() { return GetModuleHandleA(nullptr); }

bool TakeQuit() {
    MSG message;
    return PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != 0;
}

LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    return SendMessageA(appState.mainWindow, message, wParam, lParam);
}

// Whether the shell shows the program's icon: only an icon that exists can be changed.
bool IconShown() {
    TrayIconData record = TrayIconRecord(NIF_TIP, "Skittera");
    return NotifyTray(NIM_MODIFY, record) != FALSE;
}

void RemoveIconBehindItsBack() {
    TrayIconData record = TrayIconRecord(0, nullptr);
    NotifyTray(NIM_DELETE, record);
}

// An event of the icon as a shell at version 4 sends it: the event in lParam's low word,
// the icon's number in its high word, the point in wParam.
void TrayEventAt(UINT event, POINT at, WORD icon = 0) {
    Send(trayMessage, MAKEWPARAM(at.x, at.y), MAKELPARAM(event, icon));
}

// About where Wine puts the newest icon on the 1280 x 960 test screen.
constexpr POINT kIconPoint{1262, 942};

// A right click on the icon, or Shift+F10 on it: the menu at the icon. Returns when the
// menu has closed.
void AskForTheMenu() { TrayEventAt(WM_CONTEXTMENU, kIconPoint); }

std::string Stored(const char* valueName) { return settingsStore.ReadString(nullptr, valueName).buffer; }

std::string StoredDay(const CalendarDate& date) {
    return settingsStore.ReadString(kHistorySubkey, FormatDayName(date).buffer).buffer;
}

// The local date as Windows tells it, the taskbar's clock's.
CalendarDate WindowsDate() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    return CalendarDate{now.wYear, now.wMonth, now.wDay};
}

std::string RunEntry(HKEY root) {
    return settingsStore.ReadStringFrom(root, kRunKeyPath, kRunValueName).buffer;
}

void ForgetStoredSettings() {
    // The record of the days first: a key with a subkey is not deleted.
    RegDeleteKeyA(HKEY_CURRENT_USER, (std::string(kSettingsKeyPath) + "\\" + kHistorySubkey).c_str());
    RegDeleteKeyA(HKEY_CURRENT_USER, kSettingsKeyPath);
    settingsStore.DeleteValueFrom(HKEY_LOCAL_MACHINE, kRunKeyPath, kRunValueName);
    settingsStore.DeleteValueFrom(HKEY_CURRENT_USER, kRunKeyPath, kRunValueName);
}

class MainWindowTest : public ::testing::Test {
protected:
    // Start-up as WinMain does it, from no stored settings.
    void SetUp() override {
        ForgetStoredSettings();
        ResetApplicationState(appState);
        InitApplication(Instance()); // the class stays registered from the first test on
        ASSERT_EQ(InitInstance(Instance()), 1);
        appState.splashShowing = 1;
        SetTimer(appState.mainWindow, kMainTimer, kSplashTimerMs, nullptr);
        gdiBefore = GdiObjectsInUse();
    }

    void TearDown() override {
        ShutdownApplication();
        // The end of the session leaves the icon and the hook to the system; here the
        // next test starts afresh.
        RemoveHook();
        RemoveIconBehindItsBack();
        DestroyWindow(appState.mainWindow);
        while (TakeQuit()) {
        }
        ForgetStoredSettings();
        EXPECT_EQ(GdiObjectsInUse(), gdiBefore);
        EXPECT_EQ(OwnerDrawRecordsInUse(), 0);
    }

    long gdiBefore = 0;
};

TEST_F(MainWindowTest, StartUpShowsTheSplashAddsTheIconAndHooksThePointer) {
    EXPECT_TRUE(IsWindowVisible(appState.mainWindow));
    // The splash is a tool window of no owner: no taskbar button, no Alt+Tab entry.
    EXPECT_NE(GetWindowLongA(appState.mainWindow, GWL_EXSTYLE) & WS_EX_TOOLWINDOW, 0);
    EXPECT_EQ(GetWindowLongA(appState.mainWindow, GWL_EXSTYLE) & WS_EX_APPWINDOW, 0);
    EXPECT_EQ(FindRunningCopy(), appState.mainWindow); // a second copy hands over to it
    RECT place;
    GetWindowRect(appState.mainWindow, &place);
    EXPECT_EQ(place.right - place.left, 250);
    EXPECT_EQ(place.bottom - place.top, 171);
    EXPECT_TRUE(TrayIconShown());
    EXPECT_TRUE(IconShown());
    EXPECT_EQ(InstalledHookKind(), HookKind::LowLevelMouse);
    ASSERT_GT(appState.layout.count, 0);
    EXPECT_GT(appState.layout.monitors[0].mmPerPixelX, 0);
    EXPECT_EQ(appState.unitDivisor, 1);
    EXPECT_EQ(Stored(kDistanceValueName), ""); // nothing is written at start
}

// The whole record of Windows Vista and later (528 bytes in the 64-bit build, 508 in the
// 32-bit one: worked out field by field beside the assertion in MainWindow.cpp), with the
// tip cut at 63 characters and the standard tooltip (NIF_SHOWTIP, 0x80) asked for with
// every change; the shell takes it and the icon's version-4 messages.
TEST_F(MainWindowTest, TheTrayRecordIsWholeAndTheShellTakesVersionFour) {
    const std::string longTip(100, 'x');
    TrayIconData record = TrayIconRecord(NIF_TIP, longTip.c_str());
    EXPECT_EQ(record.fields.hWnd, appState.mainWindow);
    EXPECT_EQ(record.fields.uID, 0u);
    EXPECT_EQ(record.fields.uFlags, static_cast<UINT>(NIF_TIP | 0x80));
    EXPECT_EQ(TrayIconRecord(0, nullptr).fields.uFlags, 0u);
    EXPECT_EQ(std::string(record.fields.szTip), std::string(63, 'x'));
    EXPECT_EQ(std::string(TrayIconRecord(NIF_TIP, "Skittera").fields.szTip), "Skittera");
#if defined(__x86_64__)
    EXPECT_EQ(record.fields.cbSize, 528u);
#elif defined(__i386__)
    EXPECT_EQ(record.fields.cbSize, 508u);
#endif
    EXPECT_TRUE(NotifyTray(NIM_MODIFY, record)); // and the shell takes it
    EXPECT_EQ(TrayIconVersion(), 4u);
}

// Start-up goes on on the system it runs on and on both Windows families, and not on
// Win32s (or Windows CE, platform 3).
// Wine, like Windows 8 and later, has SetDefaultDllDirectories: found at run time and
// accepted.
TEST(DllSearchTest, TheSearchIsLimitedToSystem32WhereTheSystemCanDoIt) {
    EXPECT_TRUE(LimitDllSearchToSystem());
    EXPECT_NE(GetModuleHandleA("kernel32.dll"), nullptr);
    EXPECT_NE(LoadLibraryA("version.dll"), nullptr); // a system DLL by bare name still loads
}

TEST(PlatformTest, TheRunningSystemAndBothWindowsFamiliesAreSupported) {
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    ASSERT_TRUE(GetVersionExA(&version));
    EXPECT_TRUE(IsSupportedPlatform(version.dwPlatformId));
    EXPECT_TRUE(IsSupportedPlatform(VER_PLATFORM_WIN32_WINDOWS));
    EXPECT_TRUE(IsSupportedPlatform(VER_PLATFORM_WIN32_NT));
    EXPECT_FALSE(IsSupportedPlatform(VER_PLATFORM_WIN32s));
    EXPECT_FALSE(IsSupportedPlatform(3));
}

TEST_F(MainWindowTest, TheFirstTickHidesTheSplash) {
    Send(WM_TIMER);
    EXPECT_FALSE(IsWindowVisible(appState.mainWindow));
    EXPECT_EQ(appState.splashShowing, 0);
    Send(WM_TIMER);
    EXPECT_FALSE(IsWindowVisible(appState.mainWindow));
}

TEST_F(MainWindowTest, ACommandOfNoMeaningOnlyHidesTheSplash) {
    Send(WM_COMMAND, 12345);
    EXPECT_FALSE(IsWindowVisible(appState.mainWindow));
    EXPECT_FALSE(ShutdownDone());
    EXPECT_FALSE(TakeQuit());
    EXPECT_EQ(appState.dialogOpen, 0);
}

// Another icon's double click, Enter and menu, a single click and, at version 4, the
// right button's release (the menu waits for WM_CONTEXTMENU) open nothing.
TEST_F(MainWindowTest, TrayMessagesOfOtherIconsOrOtherEventsAreIgnored) {
    TrayEventAt(WM_LBUTTONDBLCLK, kIconPoint, 1);
    TrayEventAt(NIN_KEYSELECT, kIconPoint, 1);
    TrayEventAt(WM_CONTEXTMENU, kIconPoint, 1);
    TrayEventAt(NIN_SELECT, kIconPoint);
    TrayEventAt(WM_RBUTTONUP, kIconPoint);
    Send(trayMessage, 0, WM_MOUSEMOVE);
    Send(trayMessage, 0, 12345);
    EXPECT_TRUE(IsWindowVisible(appState.mainWindow));
    EXPECT_EQ(appState.splashShowing, 1);
    EXPECT_EQ(appState.dialogOpen, 0);
}

TEST_F(MainWindowTest, ShutDownRunsOnceAndLaterMessagesBringNothingBack) {
    Send(WM_COMMAND, MAKEWPARAM(IDM_EXIT, 0));
    ForgetStoredSettings();
    Send(WM_CLOSE);
    Send(WM_ENDSESSION, TRUE);
    EXPECT_EQ(Stored(kDistanceValueName), ""); // saved once, not again
    Send(taskbarCreatedMessage);
    Send(WM_TIMER);
    EXPECT_FALSE(IconShown());
    EXPECT_EQ(appState.hookHandle, nullptr);
}

TEST_F(MainWindowTest, ASessionEndThatDoesNotHappenChangesNothing) {
    Send(WM_ENDSESSION, FALSE);
    EXPECT_FALSE(ShutdownDone());
    EXPECT_FALSE(TakeQuit());
    EXPECT_TRUE(IconShown());
    EXPECT_NE(appState.hookHandle, nullptr);

    appState.distanceCm = 8;
    Send(WM_ENDSESSION, TRUE);
    EXPECT_TRUE(ShutdownDone());
    EXPECT_TRUE(TakeQuit());
    EXPECT_EQ(Stored(kDistanceValueName), "8.0000000000");
}

TEST_F(MainWindowTest, TheSessionEndQueryAndSuspendSaveACheckpoint) {
    appState.runAtStartup = 1;
    appState.distanceCm = 12;
    EXPECT_EQ(Send(WM_QUERYENDSESSION), TRUE);
    EXPECT_EQ(Stored(kDistanceValueName), "12.0000000000");
    EXPECT_EQ(Stored(kSinceDateValueName), appState.sinceDate.buffer);
    EXPECT_FALSE(ShutdownDone());
    EXPECT_EQ(RunEntry(HKEY_LOCAL_MACHINE), ""); // a checkpoint never touches the log-on entry
    EXPECT_EQ(RunEntry(HKEY_CURRENT_USER), "");

    appState.distanceCm = 13;
    EXPECT_EQ(Send(WM_POWERBROADCAST, PBT_APMSUSPEND), TRUE);
    EXPECT_EQ(Stored(kDistanceValueName), "13.0000000000");
    appState.distanceCm = 14;
    Send(WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC);
    EXPECT_EQ(Stored(kDistanceValueName), "13.0000000000");
    EXPECT_TRUE(IconShown());
}

// The day being counted began on another date (the machine slept through midnight, or
// the clock was changed): the next tick hands it over, written under its own date
// together with the counter, and today starts from zero with today's speeds.
TEST_F(MainWindowTest, TheMainTimerEndsTheDayAndWritesItAtOnce) {
    TickCount now = GetTickCount();
    StartHousekeeping(now);
    appState.day = CalendarDate{2001, 2, 3};
    appState.dayFigures = DayFigures{55.5, 4, 3, 2};
    appState.distanceCm = 77;
    appState.maxSpeed = 900;
    MainTimerTick(now + 5000);
    EXPECT_STREQ(settingsStore.ReadString(kHistorySubkey, "2001-02-03").buffer, "55.5000000000;4;3;2");
    EXPECT_EQ(Stored(kDistanceValueName), "77.0000000000");
    EXPECT_EQ(appState.day, WindowsDate());
    EXPECT_EQ(appState.dayFigures.presses, 0U);
    EXPECT_EQ(appState.maxSpeed, 0);
    EXPECT_EQ(StoredDay(appState.day), "0.0000000000;0;0;0");
}

// After a change of the time zone that the C runtime did not follow, the program goes by
// Windows' date: at start, for the since-date of a reset and at every tick. No day ends at
// the runtime's midnight, and nothing is written under its date.
TEST_F(MainWindowTest, TheDayIsWindowsDateWhateverTheRuntimesZone) {
    RuntimeZoneOff runtime;
    const int runtimeDate = RuntimeLocalDate();
    ASSERT_NE(runtimeDate, WindowsLocalDate());

    // Started again, from no stored settings.
    ShutdownApplication();
    DestroyWindow(appState.mainWindow);
    ForgetStoredSettings();
    ResetApplicationState(appState);
    InitApplication(Instance());
    ASSERT_EQ(InitInstance(Instance()), 1);
    const CalendarDate today = WindowsDate();
    EXPECT_EQ(TodaysDate(), today);
    EXPECT_EQ(appState.day, today);
    EXPECT_STREQ(appState.sinceDate.buffer, FormatDottedDate(today).buffer);

    TickCount now = GetTickCount();
    StartHousekeeping(now);
    appState.dayFigures = DayFigures{12.5, 1, 0, 3};
    MainTimerTick(now + 5000);
    EXPECT_EQ(appState.day, today);
    EXPECT_EQ(appState.dayFigures.presses, 1U);
    EXPECT_EQ(StoredDay(CalendarDate{runtimeDate / 10000, runtimeDate / 100 % 100, runtimeDate % 100}), "");
}

// Windows' clock as a test sets it, for the day keeping (SetLocalDateSource).
CalendarDate clockDate;
CalendarDate ClockDate() { return clockDate; }

class ClockOfTheTest {
public:
    explicit ClockOfTheTest(const CalendarDate& date) {
        clockDate = date;
        SetLocalDateSource(ClockDate);
    }
    ~ClockOfTheTest() { SetLocalDateSource(nullptr); }
    ClockOfTheTest(const ClockOfTheTest&) = delete;
    ClockOfTheTest& operator=(const ClockOfTheTest&) = delete;
};

// Windows tells a change of the clock or the time zone with WM_TIMECHANGE, and the day
// follows at once, not at the next tick: a zone further east (the next date), one further
// west (the date before, which goes on from its stored figures), or a change of
// daylight-saving time, which keeps the date and so the day and its figures.
TEST_F(MainWindowTest, AChangeOfTheClockOrTheZoneMovesTheDaySwitchAtOnce) {
    const CalendarDate counted{2030, 6, 14};
    const struct {
        const char* change;
        CalendarDate shown;
        const char* countedStored; // what the record holds for the counted day afterwards
        std::uint64_t pressesAfter;
    } changes[] = {
        {"a zone further east", {2030, 6, 15}, "40.0000000000;2;1;5", 0},
        {"a zone further west", {2030, 6, 13}, "40.0000000000;2;1;5", 7},
        {"daylight-saving time", {2030, 6, 14}, "", 2},
    };
    for (const auto& change : changes) {
        ForgetStoredSettings();
        settingsStore.WriteString(kHistorySubkey, "2030-06-13", TextString("1.0000000000;7;0;0"));
        StartHousekeeping(GetTickCount());
        appState.day = counted;
        appState.dayFigures = DayFigures{40, 2, 1, 5};
        {
            ClockOfTheTest clock(change.shown);
            Send(WM_TIMECHANGE);
        }
        EXPECT_EQ(appState.day, change.shown) << change.change;
        EXPECT_EQ(StoredDay(counted), change.countedStored) << change.change;
        EXPECT_EQ(appState.dayFigures.presses, change.pressesAfter) << change.change;
    }
}

TEST_F(MainWindowTest, TheMainTimerSavesAChangedCounterEveryFiveMinutes) {
    TickCount now = GetTickCount();
    StartHousekeeping(now);
    MainTimerTick(now + kCheckpointPeriodMs);
    EXPECT_EQ(Stored(kDistanceValueName), ""); // nothing changed, nothing written

    appState.distanceCm = 250.25;
    MainTimerTick(now + kCheckpointPeriodMs + 5000);
    EXPECT_EQ(Stored(kDistanceValueName), "250.2500000000");
    appState.distanceCm = 260;
    MainTimerTick(now + 2 * kCheckpointPeriodMs);
    EXPECT_EQ(Stored(kDistanceValueName), "250.2500000000"); // less than five minutes later
    MainTimerTick(now + 2 * kCheckpointPeriodMs + 5000);
    EXPECT_EQ(Stored(kDistanceValueName), "260.0000000000");

    appState.unitDivisor = 100000;
    MainTimerTick(now + 4 * kCheckpointPeriodMs);
    EXPECT_EQ(Stored(kUnitValueName), "Chilometri");
    EXPECT_FALSE(ShutdownDone());
}

TEST_F(MainWindowTest, ANewTaskbarGetsTheIconBackAndTheHookRenewed) {
    RemoveIconBehindItsBack();
    ASSERT_FALSE(IconShown());
    RemoveHook();
    Send(taskbarCreatedMessage);
    EXPECT_TRUE(IconShown());
    EXPECT_NE(appState.hookHandle, nullptr);
    // During the splash the timer changes, the splash stays until the next tick.
    EXPECT_TRUE(IsWindowVisible(appState.mainWindow));
    // Where the shell kept the icon, announcing a new taskbar again does no harm.
    Send(taskbarCreatedMessage);
    EXPECT_TRUE(TrayIconShown());
}

TEST_F(MainWindowTest, AnIconTheShellRefusedIsAddedAtALaterTick) {
    RemoveIconBehindItsBack();
    TickCount now = GetTickCount();
    {
        RefusingTray notReady; // a shell that is not ready yet
        ASSERT_TRUE(notReady.Standing());
        AddTrayIcon();
        EXPECT_FALSE(TrayIconShown());
        MainTimerTick(now);
        EXPECT_FALSE(TrayIconShown());
    }
    MainTimerTick(now + kMainTimerMs);
    EXPECT_TRUE(TrayIconShown());
    EXPECT_TRUE(IconShown());
}

// The tray's picture for the scaling: the small-icon size at the tray's DPI, 16 x dpi /
// 96 worked out by hand (16 at 96 dpi; 24 at 144, the session of
// main_window_tests.dpi144), and the icon loaded at that size is that size.
TEST_F(MainWindowTest, TheTrayIconIsDrawnAtTheSizeOfTheScaling) {
    HDC screen = GetDC(nullptr);
    int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    const int expected = dpi == 144 ? 24 : 16;
    ASSERT_TRUE(dpi == 96 || dpi == 144) << "a session at " << dpi << " dpi";
    EXPECT_EQ(WantedTrayIconPixels(), expected);
    EXPECT_EQ(TrayIconPixelsShown(), expected);

    HICON icon = TallyLoadIcon(Instance(), IDI_SKITTERA, WantedTrayIconPixels());
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(icon, &info));
    BITMAP mask{};
    GetObjectA(info.hbmMask, sizeof mask, &mask);
    DeleteObject(info.hbmMask);
    DeleteObject(info.hbmColor);
    TallyDestroyIcon(icon);
    EXPECT_EQ(mask.bmWidth, expected);
    EXPECT_EQ(mask.bmHeight, expected); // a mask of its own: no colour picture doubles it
}

// A change of the scaling comes as one of these messages; each gives the icon the size
// the tray now wants. Other setting changes leave it, and a size it has already costs
// no call to the shell: with a shell that refuses everything standing, the icon stays.
TEST_F(MainWindowTest, AScalingChangeGivesTheIconAPictureOfTheNewSize) {
    RECT suggested{0, 0, 250, 171}; // WM_DPICHANGED carries the window's suggested place
    const struct {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    } changes[] = {
        {WM_DISPLAYCHANGE, 32, MAKELPARAM(1280, 960)},
        {WM_SETTINGCHANGE, 0x009F, 0}, // SPI_SETLOGICALDPIOVERRIDE, the scaling slider
        {0x02E0, MAKEWPARAM(96, 96), reinterpret_cast<LPARAM>(&suggested)}, // WM_DPICHANGED
    };
    for (const auto& change : changes) {
        ResizeTrayIcon(40);
        ASSERT_EQ(TrayIconPixelsShown(), 40);
        ASSERT_TRUE(IconShown());
        Send(change.message, change.wParam, change.lParam);
        EXPECT_EQ(TrayIconPixelsShown(), WantedTrayIconPixels()) << "message " << change.message;
    }
    ResizeTrayIcon(48);
    Send(WM_SETTINGCHANGE, SPI_SETDESKWALLPAPER);
    EXPECT_EQ(TrayIconPixelsShown(), 48);

    RefusingTray refusing;
    ASSERT_TRUE(refusing.Standing());
    ResizeTrayIcon(48);
    EXPECT_TRUE(TrayIconShown());
    ResizeTrayIcon(20); // the call the shell now refuses: the icon counts as gone
    EXPECT_FALSE(TrayIconShown());
    EXPECT_EQ(TrayIconPixelsShown(), 0);
}

// The tip is written when its text changes and only then: with a shell that refuses
// everything standing, an unchanged tip leaves the icon counted as shown (no call was
// made), a changed one is refused, which means the icon is gone; the next tick adds it
// again and writes the tip of now. The same when Explorer lost the icon without a new
// taskbar. Texts: 250, 260 and 300 cm in centimetres.
TEST_F(MainWindowTest, TheTipIsWrittenOnlyWhenItChangesAndAfterTheIconCameBack) {
    appState.distanceCm = 250;
    RefreshTooltip();
    EXPECT_STREQ(TrayTipShown(), "Percorsi 250 cm.");
    {
        RefusingTray refusing;
        ASSERT_TRUE(refusing.Standing());
        RefreshTooltip();
        MainTimerTick(GetTickCount());
        EXPECT_TRUE(TrayIconShown());
        EXPECT_STREQ(TrayTipShown(), "Percorsi 250 cm.");
        appState.distanceCm = 260;
        RefreshTooltip();
        EXPECT_FALSE(TrayIconShown());
        EXPECT_STREQ(TrayTipShown(), "");
    }
    MainTimerTick(GetTickCount());
    EXPECT_TRUE(TrayIconShown());
    EXPECT_STREQ(TrayTipShown(), "Percorsi 260 cm.");

    RemoveIconBehindItsBack();
    appState.distanceCm = 300;
    RefreshTooltip();
    EXPECT_FALSE(TrayIconShown());
    MainTimerTick(GetTickCount());
    EXPECT_TRUE(IconShown());
    EXPECT_STREQ(TrayTipShown(), "Percorsi 300 cm.");
    EXPECT_EQ(TrayIconPixelsShown(), WantedTrayIconPixels());
}

TEST_F(MainWindowTest, AHookTheSystemDroppedIsRenewedAtTheNextTick) {
    MovePointerThrough({{100, 100}, {300, 100}});
    double counted = appState.distanceCm;
    ASSERT_GT(counted, 0);

    // Windows drops a hook that took too long without telling the program.
    UnhookWindowsHookEx(appState.hookHandle);
    StartHousekeeping(GetTickCount());
    MovePointerThrough({{300, 400}, {600, 400}});
    EXPECT_EQ(appState.distanceCm, counted);

    MainTimerTick(GetTickCount());
    MovePointerThrough({{600, 100}, {600, 300}});
    EXPECT_GT(appState.distanceCm, counted);
}

TEST_F(MainWindowTest, AHookThatHearsThePointerIsLeftAlone) {
    StartHousekeeping(GetTickCount());
    MovePointerThrough({{100, 100}, {300, 100}});
    HHOOK hook = appState.hookHandle;
    MainTimerTick(GetTickCount());
    EXPECT_EQ(appState.hookHandle, hook);
}

// Under Wine every window belongs to a process of the program's own level on the desktop
// that takes the input: nothing is hidden from the hook, so a silent hook is renewed (the
// test above), and a second copy hands over to this one.
TEST_F(MainWindowTest, NothingHidesTheInputAndTheCopiesAreOfOneLevel) {
    SetCursorPos(200, 200);
    EXPECT_FALSE(InputHiddenFromHook());
    EXPECT_TRUE(SameIntegrityAs(appState.mainWindow));
    unsigned long level = 0;
    if (ReadIntegrityLevel(GetCurrentProcessId(), level)) {
        EXPECT_GE(level, 0x1000UL); // at least low; a token gives its level whole
    }
    EXPECT_FALSE(SameIntegrityAs(nullptr));
    EXPECT_EQ(AllowShellMessages(appState.mainWindow), 2); // "TaskbarCreated" and the tray message
}

// The record a PBT_POWERSETTINGCHANGE points to, for GUID_CONSOLE_DISPLAY_STATE
// {6FE69556-704A-47A0-8F24-C28D936FDA47} and a DWORD state (0 off, 1 on, 2 dimmed); or,
// where the test says, for another setting or with a record too short.
struct DisplaySetting {
    explicit DisplaySetting(DWORD displayState, DWORD length = sizeof(DWORD),
                            unsigned long first = 0x6fe69556)
        : dataLength(length), state(displayState) {
        setting.Data1 = first;
    }
    GUID setting{0x6fe69556, 0x704a, 0x47a0, {0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47}};
    DWORD dataLength;
    DWORD state;
};
constexpr WPARAM kPowerSettingChange = 0x8013;

bool MainTimerRuns() {
    // Taking the timer away is the only way to ask for it; it goes back at once.
    if (!KillTimer(appState.mainWindow, kMainTimer)) {
        return false;
    }
    SetTimer(appState.mainWindow, kMainTimer, kMainTimerMs, nullptr);
    return true;
}

// The display off or the session locked: a checkpoint, then no main timer. Back again:
// the hook renewed (here it was dropped meanwhile), the tick's work done, the timer on.
// Resume from sleep renews the hook too.
TEST_F(MainWindowTest, TheTimerRestsWhileTheDisplayIsOffOrTheSessionLocked) {
    DisplaySetting off(0), dimmed(2);
    const struct {
        UINT message;
        WPARAM rest;
        LPARAM restData;
        WPARAM wake;
        LPARAM wakeData;
    } cases[] = {
        {WM_POWERBROADCAST, kPowerSettingChange, reinterpret_cast<LPARAM>(&off), kPowerSettingChange,
         reinterpret_cast<LPARAM>(&dimmed)},
        {WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK, 1, WTS_SESSION_UNLOCK, 1},
        {WM_POWERBROADCAST, PBT_APMSUSPEND, 0, PBT_APMRESUMEAUTOMATIC, 0},
    };
    int distance = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rest);
        DismissSplash();
        distance += 100;
        appState.distanceCm = distance;
        Send(c.message, c.rest, c.restData);
        EXPECT_EQ(Stored(kDistanceValueName), std::to_string(distance) + ".0000000000");
        EXPECT_EQ(MainTimerRuns(), c.message == WM_POWERBROADCAST && c.rest == PBT_APMSUSPEND);

        UnhookWindowsHookEx(appState.hookHandle); // dropped while nobody looked
        double counted = appState.distanceCm;
        Send(c.message, c.wake, c.wakeData);
        EXPECT_TRUE(MainTimerRuns());
        MovePointerThrough({{100, 100}, {300, 100}});
        EXPECT_GT(appState.distanceCm, counted);
    }
}

// A display that only dims, another setting, a record too short and pointers from outside
// that lead nowhere change nothing.
TEST_F(MainWindowTest, PowerSettingsThatAreNotTheDisplayGoingOffChangeNothing) {
    DismissSplash();
    DisplaySetting dimmed(2), odd(7), shortRecord(0, 2), otherSetting(0, sizeof(DWORD), 0x12345678);
    for (LPARAM data : {reinterpret_cast<LPARAM>(&dimmed), reinterpret_cast<LPARAM>(&odd),
                        reinterpret_cast<LPARAM>(&shortRecord), reinterpret_cast<LPARAM>(&otherSetting),
                        LPARAM{0}, LPARAM{16}, LPARAM{-1}}) {
        Send(WM_POWERBROADCAST, kPowerSettingChange, data);
        EXPECT_TRUE(MainTimerRuns()) << data;
    }
    Send(WM_WTSSESSION_CHANGE, WTS_SESSION_UNLOCK, 1); // an unlock without a lock
    EXPECT_TRUE(MainTimerRuns());
}

// Runs inside the dialog's modal loop once a person could see the dialog (it exists
// before the loop shows it): does there what the test asks, then closes it. A dialog that
// opens where none may is closed all the same, so that the test fails instead of hanging.
void (*inTheDialog)(HWND dialog) = nullptr;
HWND dialogSeen = nullptr;

void CALLBACK CloseTheDialog(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND dialog = VisibleWindow("#32770", "Skittera");
    if (dialog == nullptr) {
        return;
    }
    KillTimer(nullptr, timer);
    dialogSeen = dialog;
    if (inTheDialog != nullptr) {
        inTheDialog(dialog);
    }
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
}

// Asks for the dialog the way the test says, with `look` to run in it, and pumps the
// messages for a while after; returns the dialog that showed, if one did.
HWND DialogOpenedBy(void (*ask)(), void (*look)(HWND) = nullptr, DWORD pumpMilliseconds = 0) {
    inTheDialog = look;
    dialogSeen = nullptr;
    UINT_PTR timer = SetTimer(nullptr, 0, 50, CloseTheDialog);
    ask(); // returns when the dialog has closed
    PumpMessagesFor(pumpMilliseconds);
    KillTimer(nullptr, timer);
    return dialogSeen;
}

// In the dialog: what is open, after trying to open a second dialog.
int dialogsSeen = 0;
int dialogOpenSeen = 0;
bool hookSeen = false;

BOOL CALLBACK CountOurDialogs(HWND window, LPARAM) {
    char className[16] = "";
    GetClassNameA(window, className, sizeof className);
    dialogsSeen += IsWindowVisible(window) && lstrcmpA(className, "#32770") == 0;
    return TRUE;
}

void LookAtWhatIsOpen(HWND) {
    dialogOpenSeen = appState.dialogOpen;
    hookSeen = appState.hookHandle != nullptr;
    Send(trayMessage, 0, WM_LBUTTONDBLCLK);          // a second double click
    Send(WM_COMMAND, MAKEWPARAM(IDM_PROPERTIES, 0)); // and "Propietà"
    dialogsSeen = 0;
    EnumThreadWindows(GetCurrentThreadId(), CountOurDialogs, 0);
}

// A double click as a shell at version 4 sends it (its point in wParam), a second copy's
// hand-over (wParam 0, lParam 515, WM_LBUTTONDBLCLK), and Enter or Space on the icon each
// open the dialog once, with the hook renewed.
TEST_F(MainWindowTest, EachDoubleClickFormAndEnterOnTheIconOpenTheDialog) {
    void (*const ways[])() = {
        [] { TrayEventAt(WM_LBUTTONDBLCLK, kIconPoint); },
        [] { Send(trayMessage, 0, 515); },
        [] { TrayEventAt(NIN_KEYSELECT, kIconPoint); },
    };
    for (auto way : ways) {
        RemoveHook();
        dialogsSeen = dialogOpenSeen = 0;
        hookSeen = false;
        ASSERT_NE(DialogOpenedBy(way, LookAtWhatIsOpen), nullptr);
        EXPECT_EQ(dialogOpenSeen, 1);
        EXPECT_EQ(dialogsSeen, 1);
        EXPECT_TRUE(hookSeen);
        EXPECT_EQ(appState.dialogOpen, 0);
        EXPECT_FALSE(IsWindowVisible(appState.mainWindow));
    }
}

// In the dialog: buries it under a window of the test's own and asks for it again the way
// the test says.
void (*askAgain)() = nullptr;
HWND buriedUnder = nullptr;
HWND frontAfterAsking = nullptr;

void BuryAndAskAgain(HWND) {
    HWND cover = CreateWindowExA(0, "STATIC", "cover", WS_POPUP | WS_VISIBLE, 0, 0, 1000, 800, nullptr,
                                 nullptr, Instance(), nullptr);
    SetForegroundWindow(cover);
    PumpMessagesFor(100);
    buriedUnder = GetForegroundWindow() == cover ? cover : nullptr;
    askAgain();
    PumpMessagesFor(100);
    frontAfterAsking = GetForegroundWindow();
    DestroyWindow(cover);
}

// A double click on the icon, a second copy's hand-over (the same message, posted by
// the other copy, which also brings the dialog forward itself) and "Propietà", while the
// dialog is open under another window: it comes to the front, and stays the only one.
TEST_F(MainWindowTest, AskedForAgainTheBuriedDialogComesToTheFront) {
    void (*const ways[])() = {
        [] { Send(trayMessage, 0, WM_LBUTTONDBLCLK); },
        [] { Send(WM_COMMAND, MAKEWPARAM(IDM_PROPERTIES, 0)); },
        [] { ActivateRunningInstance(); },
    };
    for (auto way : ways) {
        askAgain = way;
        buriedUnder = frontAfterAsking = nullptr;
        HWND dialog = DialogOpenedBy([] { Send(trayMessage, 0, WM_LBUTTONDBLCLK); }, BuryAndAskAgain);
        ASSERT_NE(dialog, nullptr);
        ASSERT_NE(buriedUnder, nullptr); // the cover did take the front
        EXPECT_EQ(frontAfterAsking, dialog);
        EXPECT_EQ(appState.dialogOpen, 0);
    }
}

// A double click or a hand-over that arrives once the program is ending opens no dialog.
TEST_F(MainWindowTest, NoDialogOpensOnceTheProgramIsEnding) {
    Send(WM_COMMAND, MAKEWPARAM(IDM_EXIT, 0));
    auto ask = [] {
        Send(trayMessage, 0, WM_LBUTTONDBLCLK);
        Send(WM_COMMAND, MAKEWPARAM(IDM_PROPERTIES, 0));
    };
    EXPECT_EQ(DialogOpenedBy(ask, nullptr, 200), nullptr);
    EXPECT_EQ(appState.dialogOpen, 0);
}

// In the menu: the tracked menu's look, and then the end of the menu.
struct MenuLook {
    int items = 0;
    UINT defaultItem = 0;
    int ownerDrawn = 0;
    RECT place{0, 0, 0, 0};
};
MenuLook menuLook;

void LookAtTheMenu(HWND popup) {
    HMENU menu = reinterpret_cast<HMENU>(SendMessageA(popup, MN_GETHMENU, 0, 0));
    GetWindowRect(popup, &menuLook.place);
    menuLook.items = GetMenuItemCount(menu);
    menuLook.defaultItem = GetMenuDefaultItem(menu, FALSE, 0);
    for (int position = 0; position < menuLook.items; ++position) {
        MENUITEMINFOA info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE;
        GetMenuItemInfoA(menu, static_cast<UINT>(position), TRUE, &info);
        menuLook.ownerDrawn += info.fType == MFT_OWNERDRAW;
    }
    EndMenu();
}

// Runs inside the menu's modal loop: once the menu shows, does there what the test asks.
// A menu still open long after that, or one that never shows, is ended from here, so
// that the test fails instead of hanging.
void (*inTheMenu)(HWND popup) = nullptr;
bool menuShown = false;
bool menuOutlived = false;
int menuTicks = 0;

void CALLBACK ActInTheMenu(HWND, UINT, UINT_PTR, DWORD) {
    ++menuTicks;
    HWND popup = menuShown ? nullptr : VisibleWindow("#32768");
    if (popup != nullptr) {
        menuShown = true;
        menuTicks = 0;
        inTheMenu(popup);
    } else if (menuTicks > (menuShown ? 100 : 250)) {
        menuOutlived = menuShown;
        EndMenu();
    }
}

// Asks for the menu the way the test says, with `act` to run in it; returns whether a
// menu showed.
bool MenuOpenedBy(void (*ask)(), void (*act)(HWND popup) = LookAtTheMenu) {
    inTheMenu = act;
    menuLook = MenuLook();
    menuShown = menuOutlived = false;
    menuTicks = 0;
    UINT_PTR timer = SetTimer(nullptr, 0, 20, ActInTheMenu);
    ask(); // returns when the menu has closed
    KillTimer(nullptr, timer);
    EXPECT_FALSE(menuOutlived) << "the menu stayed open";
    return menuShown;
}

TEST_F(MainWindowTest, TheMenuShowsItsItemsAndLeavesNothingBehindHundredsOfTimes) {
    long gdiAtStart = GdiObjectsInUse();
    for (int round = 0; round < 150; ++round) {
        ASSERT_TRUE(MenuOpenedBy(AskForTheMenu)) << "round " << round;
        ASSERT_EQ(menuLook.items, 2) << "round " << round;
        ASSERT_EQ(menuLook.defaultItem, IDM_PROPERTIES);
        ASSERT_EQ(menuLook.ownerDrawn, 2);
        ASSERT_EQ(GdiObjectsInUse(), gdiAtStart) << "round " << round;
        ASSERT_EQ(OwnerDrawRecordsInUse(), 0);
        // After the menu a message was posted to the window, so that a later click
        // away closes the next menu.
        MSG message;
        ASSERT_TRUE(PeekMessageA(&message, appState.mainWindow, WM_NULL, WM_NULL, PM_REMOVE));
    }
    EXPECT_FALSE(IsWindowVisible(appState.mainWindow));
}

TEST_F(MainWindowTest, NoMenuOpensOnceTheProgramHasEnded) {
    Send(WM_COMMAND, MAKEWPARAM(IDM_EXIT, 0));
    EXPECT_FALSE(MenuOpenedBy(AskForTheMenu)); // a right click that was on its way
    EXPECT_TRUE(TakeQuit());
}

// In the menu: the program ended the way the test asks.
struct Ending {
    UINT message;
    WPARAM wParam;
    LPARAM lParam = 0;
};
Ending ending{};
void EndTheProgram(HWND) { Send(ending.message, ending.wParam, ending.lParam); }

// Exit, a close from outside and the end of the session, each also while the tray menu
// is open (the menu closes): everything is saved, the log-on entry aside (the check box
// changes it), and the quit message waits for the main loop; the window is not destroyed,
// the loop ends instead. From the start of the shut-down a second copy finds no running
// copy to hand over to, and waits for the mutex instead. The session may end at any
// moment once its message is answered, so then nothing else is taken down, neither the
// icon nor the hook, not even by the end of the message loop that follows. Restart
// Manager closing the program (to update it) ends no session: the icon and the hook go,
// or the old icon would stay beside the restarted copy's.
struct EndingCase {
    Ending how;
    bool menuOpen;
    double distanceCm;
    const char* stored;
};

void PrintTo(const EndingCase& end, std::ostream* out) {
    *out << "message " << end.how.message << (end.menuOpen ? " with the menu open" : "");
}

class MainWindowEnding : public MainWindowTest, public ::testing::WithParamInterface<EndingCase> {};

TEST_P(MainWindowEnding, SavesHidesAndQuits) {
    const EndingCase& end = GetParam();
    const bool sessionEnd = end.how.message == WM_ENDSESSION && end.how.lParam == 0;
    appState.runAtStartup = 1;
    appState.distanceCm = end.distanceCm;
    ending = end.how;
    if (end.menuOpen) {
        EXPECT_TRUE(MenuOpenedBy(AskForTheMenu, EndTheProgram));
    } else {
        Send(end.how.message, end.how.wParam, end.how.lParam);
    }
    EXPECT_TRUE(ShutdownDone());
    EXPECT_TRUE(TakeQuit());
    EXPECT_EQ(Stored(kDistanceValueName), end.stored);
    EXPECT_EQ(Stored(kUnitValueName), "Centimetri");
    EXPECT_EQ(RunEntry(HKEY_LOCAL_MACHINE) + RunEntry(HKEY_CURRENT_USER), "");
    EXPECT_EQ(IconShown(), sessionEnd);
    EXPECT_EQ(appState.hookHandle != nullptr, sessionEnd);
    EXPECT_TRUE(IsWindow(appState.mainWindow));
    EXPECT_FALSE(IsWindowVisible(appState.mainWindow));
    EXPECT_EQ(FindRunningCopy(), nullptr);
    EXPECT_EQ(ActivateRunningInstance(), 0);
    PostMessageA(appState.mainWindow, WM_QUIT, 0, 0);
    EXPECT_EQ(RunMessageLoop(), 1);
    EXPECT_EQ(IconShown(), sessionEnd);
}

const Ending kExit{WM_COMMAND, MAKEWPARAM(IDM_EXIT, 0)}, kClose{WM_CLOSE, 0},
    kSessionEnd{WM_ENDSESSION, TRUE}, kClosedForUpdate{WM_ENDSESSION, TRUE, ENDSESSION_CLOSEAPP};
INSTANTIATE_TEST_SUITE_P(ExitCloseAndSessionEnd, MainWindowEnding,
                         ::testing::Values(EndingCase{kExit, false, 42.5, "42.5000000000"},
                                           EndingCase{kClose, false, 3, "3.0000000000"},
                                           EndingCase{kSessionEnd, false, 9.25, "9.2500000000"},
                                           EndingCase{kExit, true, 21.5, "21.5000000000"},
                                           EndingCase{kClose, true, 21.5, "21.5000000000"},
                                           EndingCase{kSessionEnd, true, 21.5, "21.5000000000"},
                                           EndingCase{kClosedForUpdate, false, 7.5, "7.5000000000"}));

TEST_F(MainWindowTest, ForeignOwnerDrawRequestsAreHarmless) {
    DRAWITEMSTRUCT draw{};
    draw.CtlType = ODT_MENU;
    draw.itemAction = ODA_DRAWENTIRE;
    draw.itemData = 0xDEAD;
    EXPECT_EQ(Send(WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&draw)), 0);
    EXPECT_EQ(Send(WM_DRAWITEM, 0, 0), 0);
    MEASUREITEMSTRUCT measure{};
    measure.CtlType = ODT_MENU;
    measure.itemData = 0xDEAD;
    Send(WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure));
    EXPECT_EQ(measure.itemWidth, 22u);
    Send(WM_MEASUREITEM, 0, 0);
    EXPECT_FALSE(ShutdownDone());
}

bool strangerCalled = false;
void CALLBACK Stranger(HWND, UINT, UINT_PTR, DWORD) { strangerCalled = true; }

TEST_F(MainWindowTest, AQuitFromOutsideEndsTheLoopWithTheSettingsSaved) {
    appState.distanceCm = 7;
    strangerCalled = false;
    // A timer message carrying someone's callback address is not followed.
    PostMessageA(appState.mainWindow, WM_TIMER, 99, reinterpret_cast<LPARAM>(Stranger));
    PostMessageA(appState.mainWindow, WM_QUIT, 0, 0);
    EXPECT_EQ(RunMessageLoop(), 1);
    EXPECT_FALSE(strangerCalled);
    EXPECT_TRUE(ShutdownDone());
    EXPECT_EQ(Stored(kDistanceValueName), "7.0000000000");
}

TEST_F(MainWindowTest, AQuitMessageHandedToTheWindowShutsDown) {
    Send(WM_QUIT);
    EXPECT_TRUE(ShutdownDone());
    EXPECT_FALSE(IconShown());
}

// The menu opens at the point the shell gives (the icon, for Shift+F10), its right edge
// there, wherever the pointer is; a right click, WM_RBUTTONUP and then WM_CONTEXTMENU,
// opens it once.
TEST_F(MainWindowTest, TheMenuOpensOnceAtTheAnchorNotAtThePointer) {
    SetCursorPos(100, 100);
    EXPECT_TRUE(MenuOpenedBy([] { TrayEventAt(WM_CONTEXTMENU, POINT{600, 400}); }));
    EXPECT_EQ(menuLook.place.right, 600);
    EXPECT_EQ(menuLook.place.top, 400);
    EXPECT_FALSE(MenuOpenedBy([] { TrayEventAt(WM_RBUTTONUP, POINT{700, 500}); }));
    EXPECT_FALSE(IsWindowVisible(appState.mainWindow)); // the menu took the splash away
}

// Every added icon (at start, and when the taskbar comes back) declares version 4. A shell
// that refuses it gets the old messages: the right button's release opens the menu at the
// pointer, WM_CONTEXTMENU opens none.
TEST_F(MainWindowTest, EveryAddedIconDeclaresVersionFourAndAShellThatRefusesGetsTheOldMessages) {
    RemoveIconBehindItsBack();
    {
        StandInTray tray;
        ASSERT_TRUE(tray.Standing());
        AddTrayIcon();
        Send(taskbarCreatedMessage);
        EXPECT_EQ(tray.Commands(), (std::vector<DWORD>{NIM_ADD, NIM_SETVERSION, NIM_ADD, NIM_SETVERSION}));
        EXPECT_EQ(tray.Count(NIM_ADD, NIF_MESSAGE | NIF_ICON | NIF_TIP | 0x80), 2); // 0x80: NIF_SHOWTIP
    }
    StandInTray oldShell({NIM_SETVERSION});
    AddTrayIcon();
    EXPECT_EQ(TrayIconVersion(), 0u);
    SetCursorPos(640, 480);
    EXPECT_TRUE(MenuOpenedBy([] { Send(trayMessage, 0, WM_RBUTTONUP); }));
    EXPECT_EQ(menuLook.place.right, 640);
    EXPECT_FALSE(MenuOpenedBy([] { TrayEventAt(WM_CONTEXTMENU, POINT{600, 400}); }));
}

// In the menu: the keys pressed.
std::vector<WORD> menuKeys;
void PressTheKeys(HWND) {
    for (WORD key : menuKeys) {
        SendKey(key);
    }
}

// Escape in a menu asked for from the keyboard (WM_CONTEXTMENU alone) gives the focus back
// to the notification area; a command chosen does not, nor Escape in a menu of the mouse.
TEST_F(MainWindowTest, EscapeGivesTheFocusBackToTheNotificationArea) {
    struct Round {
        bool byMouse;
        std::vector<WORD> keys;
        int focusReturns;
    };
    const Round rounds[] = {
        {false, {VK_ESCAPE}, 1}, {false, {VK_DOWN, VK_RETURN}, 0}, {true, {VK_ESCAPE}, 0}};
    for (const Round& round : rounds) {
        StandInTray tray;
        menuKeys = round.keys;
        auto byMouse = [] {
            TrayEventAt(WM_RBUTTONUP, kIconPoint);
            AskForTheMenu();
        };
        EXPECT_TRUE(MenuOpenedBy(round.byMouse ? byMouse : AskForTheMenu, PressTheKeys));
        EXPECT_EQ(tray.Count(NIM_SETFOCUS), round.focusReturns) << round.keys.size() << " keys";
        MSG posted; // "Esci", chosen by Down and Enter, is not to run here
        PeekMessageA(&posted, appState.mainWindow, WM_COMMAND, WM_COMMAND, PM_REMOVE);
    }
}

// The fixture's start, from no stored settings, showed the balloon and recorded it; a
// second start shows none. A balloon the shell refused is not recorded, and comes with
// the next icon that is added.
TEST_F(MainWindowTest, TheFirstStartBalloonShowsOnceAndNeverAgain) {
    EXPECT_TRUE(FirstStartBalloonShown());
    {
        StandInTray tray;
        ShutdownApplication(); // a second start, from the settings the first one left
        DestroyWindow(appState.mainWindow);
        ResetApplicationState(appState);
        InitApplication(Instance());
        ASSERT_EQ(InitInstance(Instance()), 1);
        EXPECT_EQ(tray.Count(NIM_ADD), 1);
        EXPECT_EQ(tray.Count(NIM_MODIFY, NIF_INFO), 0);
    }
    ForgetStoredSettings();
    for (bool refused : {true, false}) {
        StandInTray tray(refused ? std::initializer_list<DWORD>{NIM_MODIFY} : std::initializer_list<DWORD>{});
        AddTrayIcon();
        AddTrayIcon();
        EXPECT_EQ(tray.Count(NIM_MODIFY, NIF_INFO), refused ? 2 : 1);
        EXPECT_EQ(FirstStartBalloonShown(), !refused);
    }
}

} // namespace
