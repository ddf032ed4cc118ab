#include "shell/ShellRules.h"

#include <gtest/gtest.h>

namespace {

TEST(SplashOriginTest, CentredInTheWorkAreaSize) {
    PixelPoint origin = SplashOrigin(ScreenRect{0, 0, 800, 572});
    EXPECT_EQ(origin.x, 275);
    EXPECT_EQ(origin.y, 200);
}

TEST(SplashOriginTest, WorkAreaOffsetIsNotAdded) {
    // The taskbar on top: the work area starts at 28 and the splash stays at 200.
    PixelPoint origin = SplashOrigin(ScreenRect{0, 28, 800, 600});
    EXPECT_EQ(origin.x, 275);
    EXPECT_EQ(origin.y, 200);
}

TEST(SplashOriginTest, NarrowWorkAreaTruncatesTowardZero) {
    EXPECT_EQ(SplashOrigin(ScreenRect{0, 0, 199, 600}).x, -25); // -51 / 2
    EXPECT_EQ(SplashOrigin(ScreenRect{0, 0, 1280, 960}).x, 515);
    EXPECT_EQ(SplashOrigin(ScreenRect{0, 0, 1280, 960}).y, 394);
}

// A starting copy: an answering copy is handed over to, mutex or not (an older build
// without the mutex); a copy that holds the mutex but does not answer (starting, or
// ending and so no longer answering) is waited for up to ten seconds.
TEST(StartStepTest, AnsweringCopyMutexAndWaitDecide) {
    struct Case {
        bool holdsMutex;
        bool copyAnswers;
        TickCount waitedMs;
        StartStep expected;
    };
    const Case cases[] = {
        {true, false, 0, StartStep::Run},          // nobody else: this copy runs
        {true, false, 9999, StartStep::Run},       // the ending copy let go: run after all
        {true, true, 0, StartStep::HandOver},      // an older build runs without the mutex
        {false, true, 0, StartStep::HandOver},     // the running copy answers
        {false, true, 20000, StartStep::HandOver}, // late, but it answers now
        {false, false, 0, StartStep::Wait},        // starting or ending: wait
        {false, false, 9999, StartStep::Wait},     // one millisecond short of ten seconds
        {false, false, 10000, StartStep::GiveUp},  // a copy that hangs is not run beside
        {false, false, 0xFFFFFFFF, StartStep::GiveUp},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(NextStartStep(c.holdsMutex, c.copyAnswers, c.waitedMs), c.expected)
            << c.holdsMutex << c.copyAnswers << " " << c.waitedMs;
    }
}

TEST(HookWatchTest, MovedPointerWithoutEventsMeansTheHookIsGone) {
    HookWatch watch;
    PixelPoint start{100, 100};
    ResetHookWatch(watch, &start, 7);
    PixelPoint moved{300, 120};
    EXPECT_TRUE(HookNeedsReinstall(watch, &moved, 7));
    // The watch starts over from that tick: a pointer at rest is no evidence.
    EXPECT_FALSE(HookNeedsReinstall(watch, &moved, 7));
}

TEST(HookWatchTest, EventsOrARestingPointerMeanTheHookWorks) {
    HookWatch watch;
    PixelPoint start{100, 100};
    ResetHookWatch(watch, &start, 7);
    PixelPoint moved{300, 120};
    EXPECT_FALSE(HookNeedsReinstall(watch, &moved, 9)); // moved, and the hook heard it
    EXPECT_FALSE(HookNeedsReinstall(watch, &moved, 9)); // resting
    PixelPoint again{301, 120};
    EXPECT_TRUE(HookNeedsReinstall(watch, &again, 9));
}

TEST(HookWatchTest, UnreadablePointerIsNoEvidence) {
    HookWatch watch;
    PixelPoint start{100, 100};
    ResetHookWatch(watch, &start, 0);
    EXPECT_FALSE(HookNeedsReinstall(watch, nullptr, 0));
    PixelPoint later{500, 500};
    // No position from the last tick to compare with.
    EXPECT_FALSE(HookNeedsReinstall(watch, &later, 0));
    PixelPoint moved{501, 500};
    EXPECT_TRUE(HookNeedsReinstall(watch, &moved, 0));
}

class CheckpointTest : public ::testing::Test {
protected:
    void SetUp() override {
        state.distanceCm = 1234.5;
        state.unitDivisor = 100;
        sinceDate = "07.12.1997";
        RecordCheckpoint(record, state, sinceDate, 10000);
    }

    OdometerState state;
    TextString sinceDate;
    CheckpointRecord record;
};

TEST_F(CheckpointTest, NothingChangedNothingDue) {
    EXPECT_FALSE(CheckpointPending(record, state, sinceDate));
    EXPECT_FALSE(CheckpointDue(record, state, sinceDate, 10000 + 10 * kCheckpointPeriodMs));
}

TEST_F(CheckpointTest, GrownDistanceIsDueAfterThePeriod) {
    state.distanceCm += 0.001;
    EXPECT_TRUE(CheckpointPending(record, state, sinceDate));
    EXPECT_FALSE(CheckpointDue(record, state, sinceDate, 10000 + kCheckpointPeriodMs - 1));
    EXPECT_TRUE(CheckpointDue(record, state, sinceDate, 10000 + kCheckpointPeriodMs));
    RecordCheckpoint(record, state, sinceDate, 10000 + kCheckpointPeriodMs);
    EXPECT_FALSE(CheckpointDue(record, state, sinceDate, 10000 + 3 * kCheckpointPeriodMs));
}

TEST_F(CheckpointTest, UnitAndDateChangesAreSavedToo) {
    state.unitDivisor = 100000;
    EXPECT_TRUE(CheckpointPending(record, state, sinceDate));
    state.unitDivisor = 100;
    sinceDate = "08.12.1997";
    EXPECT_TRUE(CheckpointPending(record, state, sinceDate));
}

// Each of today's figures alone makes a checkpoint: a click or a turn of the wheel moves
// no counter, and a new day changes no figure when the old one had none.
TEST_F(CheckpointTest, TodaysFiguresAndANewDayAreSavedToo) {
    const auto changes = {
        +[](OdometerState& changed) { changed.dayFigures.presses = 1; },
        +[](OdometerState& changed) { changed.dayFigures.wheelNotches = 1; },
        +[](OdometerState& changed) { changed.dayFigures.activeSeconds = 1; },
        +[](OdometerState& changed) { changed.dayFigures.distanceCm = 0.5; },
        +[](OdometerState& changed) {
            changed.day = CalendarDate{2026, 12, 9};
        },
    };
    for (auto change : changes) {
        OdometerState changed = state;
        change(changed);
        EXPECT_TRUE(CheckpointPending(record, changed, sinceDate));
        RecordCheckpoint(record, changed, sinceDate, 20000);
        EXPECT_FALSE(CheckpointPending(record, changed, sinceDate));
        RecordCheckpoint(record, state, sinceDate, 10000);
    }
}

TEST_F(CheckpointTest, PeriodCountsAcrossTheTickCounterWrap) {
    RecordCheckpoint(record, state, sinceDate, 0xFFFFFF00u);
    state.distanceCm += 1;
    EXPECT_FALSE(CheckpointDue(record, state, sinceDate, 0x100u));
    EXPECT_TRUE(CheckpointDue(record, state, sinceDate, kCheckpointPeriodMs));
}

// The tray icon's messages in both forms. Message numbers: WM_CONTEXTMENU 0x7B,
// WM_LBUTTONDBLCLK 0x203 (515), WM_LBUTTONUP 0x202, WM_RBUTTONUP 0x205 (517), NIN_SELECT
// 0x400, NIN_KEYSELECT 0x401. A version-4 lParam is the event with the icon's number
// shifted into the high word; wParam carries the anchor, x in the low word.
TEST(TrayMessageTest, EachFormAsksForWhatItsEventMeans) {
    struct Case {
        unsigned version;
        std::uintptr_t wParam;
        std::intptr_t lParam;
        TrayAction expected;
    };
    const std::uintptr_t anchor = 0x03AC04E6; // (1254, 940): the icon's corner on a 1280 x 960 screen
    const Case cases[] = {
        // A second copy's hand-over, 0 and 515, is a double click whatever the version.
        {kTrayVersion4, 0, 0x203, TrayAction::OpenDialog},
        {kTrayVersionClassic, 0, 0x203, TrayAction::OpenDialog},
        // A real double click at version 4 carries its point in wParam.
        {kTrayVersion4, anchor, 0x203, TrayAction::OpenDialog},
        {kTrayVersion4, anchor, 0x401, TrayAction::OpenDialog}, // Enter or Space on the icon
        {kTrayVersion4, anchor, 0x400, TrayAction::None},       // a single click
        {kTrayVersion4, anchor, 0x202, TrayAction::None},
        // A right click at version 4 comes as WM_RBUTTONUP and then WM_CONTEXTMENU: one menu.
        {kTrayVersion4, anchor, 0x205, TrayAction::None},
        {kTrayVersion4, anchor, 0x7B, TrayAction::MenuAtAnchor},
        // At version 0 the right button's release is the only sign, and has no point.
        {kTrayVersionClassic, 0, 0x205, TrayAction::MenuAtPointer},
        {kTrayVersionClassic, 0, 0x7B, TrayAction::None},
        // Another icon: icon 1 in the high word at version 4, in wParam at version 0.
        {kTrayVersion4, anchor, 0x10203, TrayAction::None},
        {kTrayVersion4, anchor, 0x1007B, TrayAction::None},
        {kTrayVersionClassic, 1, 0x203, TrayAction::None},
        {kTrayVersionClassic, 0, 0x10205, TrayAction::None},
        // Events the program has no use for, and a negative lParam (all bits set).
        {kTrayVersion4, anchor, 0x200, TrayAction::None},
        {kTrayVersion4, anchor, -1, TrayAction::None},
        {kTrayVersionClassic, 0, -1, TrayAction::None},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ReadTrayMessage(c.version, c.wParam, c.lParam).action, c.expected)
            << "version " << c.version << " wParam " << c.wParam << " lParam " << c.lParam;
    }
}

// The anchor's coordinates are signed 16-bit words: a monitor left of or above the
// primary one gives negative values.
TEST(TrayMessageTest, TheMenuOpensAtTheSignedAnchor) {
    struct Case {
        std::uintptr_t wParam;
        long x;
        long y;
    };
    const Case cases[] = {
        {0x03AC04E6, 1254, 940},  // 0x4E6 = 1254, 0x3AC = 940
        {0xFFF6FB00, -1280, -10}, // 0xFB00 = 65280 - 65536 = -256 * 5 = -1280; 0xFFF6 = -10
        {0x80007FFF, 32767, -32768},
        {0, 0, 0},
    };
    for (const Case& c : cases) {
        TrayRequest request = ReadTrayMessage(kTrayVersion4, c.wParam, 0x7B);
        EXPECT_EQ(request.action, TrayAction::MenuAtAnchor);
        EXPECT_EQ(request.anchor.x, c.x) << c.wParam;
        EXPECT_EQ(request.anchor.y, c.y) << c.wParam;
    }
}

// A shell at version 4 sends a right click as WM_RBUTTONDOWN (0x204), WM_RBUTTONUP (0x205)
// and WM_CONTEXTMENU (0x7B); Shift+F10 and the menu key send WM_CONTEXTMENU alone, after
// whatever came before it.
TEST(TrayMessageTest, AMenuNotRightAfterTheRightButtonWasAskedForByKeyboard) {
    struct Case {
        unsigned previousEvent;
        bool byKeyboard;
    };
    const Case cases[] = {
        {0x205, false}, // the release of a right click
        {0, true},      // the first message of the icon
        {0x7B, true},   // a menu before
        {0x200, true},  // the pointer passed over the icon
        {0x204, true},  // a press without its release
        {0x401, true},  // Enter on the icon
    };
    for (const Case& c : cases) {
        TrayRequest request = ReadTrayMessage(kTrayVersion4, 0x03AC04E6, 0x7B, c.previousEvent);
        EXPECT_EQ(request.event, 0x7Bu);
        EXPECT_EQ(request.byKeyboard, c.byKeyboard) << c.previousEvent;
    }
    // Only the menu is told apart; another icon's menu gives no event at all.
    EXPECT_FALSE(ReadTrayMessage(kTrayVersion4, 0, 0x203, 0x7B).byKeyboard);
    EXPECT_EQ(ReadTrayMessage(kTrayVersion4, 0, 0x1007B, 0x205).event, 0u);
}

} // namespace

TEST(SameMonitorLayoutTest, EveryFigureOfEveryCountedMonitorCounts) {
    MonitorLayout one;
    one.count = 2;
    one.monitors[0] = MonitorArea{0, 0, 1920, 1080, 0.28, 0.28};
    one.monitors[1] = MonitorArea{-1280, 0, 0, 1024, 0.264, 0.265};
    MonitorLayout other = one;
    other.monitors[5] = MonitorArea{1, 2, 3, 4, 5, 6}; // beyond the count
    EXPECT_TRUE(SameMonitorLayout(one, other));

    other.monitors[1].mmPerPixelY = 0.2651;
    EXPECT_FALSE(SameMonitorLayout(one, other));
    other = one;
    other.monitors[0].right = 2560;
    EXPECT_FALSE(SameMonitorLayout(one, other));
    other = one;
    other.count = 1;
    EXPECT_FALSE(SameMonitorLayout(one, other));
    MonitorLayout none;
    EXPECT_TRUE(SameMonitorLayout(none, MonitorLayout{}));
}
