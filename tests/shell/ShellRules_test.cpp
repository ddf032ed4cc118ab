#include "engine/StartRules.h"
#include "engine/TrayMessage.h"
#include "engine/HookWatch.h"
#include "engine/Checkpoint.h"
#include "engine/Monitors.h"

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

// The sizes the tray asks for at 100, 125, 150, 200, 250 and 300 % are taken as they
// are, and one between them (18, at 112 %) too: the loader picks the nearest picture.
// A failed metric (0), nonsense (negative, 1) and a size beyond any icon are kept
// between 16 and 256.
TEST(TrayIconPixelsTest, TheTraysSizeKeptBetweenTheSmallestAndTheLargestIcon) {
    const struct {
        int metric;
        int pixels;
    } cases[] = {
        {16, 16},   {20, 20},   {24, 24},    {32, 32}, {40, 40}, {48, 48}, {18, 18}, {64, 64},
        {256, 256}, {257, 256}, {1000, 256}, {15, 16}, {1, 16},  {0, 16},  {-1, 16}, {-2147483647 - 1, 16},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TrayIconPixels(c.metric), c.pixels) << "metric " << c.metric;
    }
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

// The levels as Windows numbers them: 0x1000 low, 0x2000 medium (a normal program),
// 0x3000 high (elevated), 0x4000 system.
TEST(IntegrityTest, WhatTheHookHearsAndWhoTalksToWhom) {
    struct Case {
        unsigned long own;
        unsigned long other;
        bool ownKnown;
        bool otherKnown;
        bool hookHears; // input meant for the other process reaches this one's hook
        bool same;      // a second copy at `own` hands over to one at `other`
    };
    const Case cases[] = {
        {0x2000, 0x2000, true, true, true, true},   // two normal programs
        {0x2000, 0x1000, true, true, true, false},  // a sandboxed one below: heard
        {0x2000, 0x3000, true, true, false, false}, // an elevated window under the pointer
        {0x2000, 0, true, false, false, false},     // unreadable: elevated
        {0x3000, 0x2000, true, true, true, false},  // an elevated copy over a normal one
        {0x3000, 0x4000, true, true, false, false}, // a system process's window
        {0, 0, false, false, false, true},          // no levels at all: as before
        {0, 0x2000, false, true, true, true},
    };
    for (const Case& c : cases) {
        if (c.ownKnown) { // the hook's rule is asked only with the program's own level read
            EXPECT_EQ(HookHearsInputAt(c.own, c.otherKnown, c.other), c.hookHears) << c.own << " " << c.other;
        }
        EXPECT_EQ(SameIntegrityLevel(c.ownKnown, c.own, c.otherKnown, c.other), c.same)
            << c.ownKnown << c.own << " " << c.otherKnown << c.other;
    }
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

// The tray icon's messages in both forms. Numbers: WM_CONTEXTMENU 0x7B, WM_LBUTTONDBLCLK
// 0x203 (515), WM_RBUTTONUP 0x205, NIN_SELECT 0x400, NIN_KEYSELECT 0x401. At version 4
// lParam holds the event with the icon's number above it, and wParam the anchor, x in
// the low word: 0x03AC04E6 is (1254, 940); 0xFFF6FB00 is (0xFB00 - 0x10000, 0xFFF6 -
// 0x10000) = (-1280, -10), a monitor left of the primary one.
TEST(TrayMessageTest, EachFormAsksForWhatItsEventMeans) {
    using A = TrayAction;
    struct Case {
        unsigned version;
        std::uintptr_t wParam;
        std::intptr_t lParam;
        unsigned previousEvent;
        TrayAction action;
        bool byKeyboard;
        PixelPoint anchor;
    };
    const unsigned v4 = kTrayVersion4;
    const unsigned v0 = kTrayVersionClassic;
    const std::uintptr_t at = 0x03AC04E6;
    const Case cases[] = {
        {v4, 0, 0x203, 0, A::OpenDialog, false, {}},                // a second copy's hand-over
        {v0, 0, 0x203, 0, A::OpenDialog, false, {}},                // the same to a shell at version 0
        {v4, at, 0x203, 0, A::OpenDialog, false, {}},               // a double click, its point in wParam
        {v4, at, 0x401, 0, A::OpenDialog, false, {}},               // Enter or Space on the icon
        {v4, at, 0x400, 0, A::None, false, {}},                     // a single click
        {v4, at, 0x205, 0, A::None, false, {}},                     // a right click's release, and then
        {v4, at, 0x7B, 0x205, A::MenuAtAnchor, false, {1254, 940}}, // its menu: one menu
        {v4, 0xFFF6FB00, 0x7B, 0x7B, A::MenuAtAnchor, true, {-1280, -10}}, // Shift+F10
        {v0, 0, 0x205, 0, A::MenuAtPointer, false, {}},                    // version 0 has only the release
        {v0, 0, 0x7B, 0, A::None, false, {}},
        {v4, at, 0x10203, 0, A::None, false, {}}, // icon 1's double click
        {v0, 1, 0x203, 0, A::None, false, {}},
        {v4, at, -1, 0, A::None, false, {}},
    };
    for (const Case& c : cases) {
        TrayRequest request = ReadTrayMessage(c.version, c.wParam, c.lParam, c.previousEvent);
        EXPECT_EQ(request.action, c.action) << c.version << " " << c.wParam << " " << c.lParam;
        EXPECT_EQ(request.byKeyboard, c.byKeyboard) << c.lParam << " after " << c.previousEvent;
        if (c.action == A::MenuAtAnchor) {
            EXPECT_EQ(request.anchor.x, c.anchor.x);
            EXPECT_EQ(request.anchor.y, c.anchor.y);
        }
    }
}

// The keyboard's anchor, physical, in a program's logical pixels: the distance from the
// monitor's top-left corner scaled by target DPI / monitor DPI, to the nearest pixel.
// Worked by hand: at 125 % (120 dpi) an unaware program sees 1250 as 1250 × 96 / 120 =
// 1000; at 150 % 1001 is 667.33, so 667, and 1000 is 666.67, so 667; at 200 % 3839 is
// 1919.5, so 1920 (half away from the corner). A monitor left of and above the primary
// one, corner (-2880, -200) at 150 %: (-1000, 400) lies 1880 and 600 from the corner,
// 1253.33 and 400 logical, so (-1627, 200). A system-aware program at a system DPI of 144
// on a monitor of 96 sees 100 from the corner as 150.
TEST(TrayMessageTest, TheKeyboardsAnchorInLogicalPixels) {
    using D = DpiAwareness;
    const struct {
        PixelPoint physical;
        PixelPoint corner;
        unsigned monitorDpi;
        unsigned systemDpi;
        DpiAwareness awareness;
        PixelPoint logical;
    } cases[] = {
        {{1250, 500}, {0, 0}, 120, 120, D::Unaware, {1000, 400}},          // 125 %
        {{1001, 1000}, {0, 0}, 144, 144, D::Unaware, {667, 667}},          // 150 %
        {{3839, 2159}, {0, 0}, 192, 192, D::Unaware, {1920, 1080}},        // 200 %
        {{-1000, 400}, {-2880, -200}, 144, 96, D::Unaware, {-1627, 200}},  // a second monitor
        {{1262, 942}, {0, 0}, 96, 96, D::Unaware, {1262, 942}},            // 100 %
        {{2020, 100}, {1920, 0}, 96, 144, D::SystemAware, {2070, 150}},    // system DPI 144
        {{3000, 1500}, {0, 0}, 192, 192, D::SystemAware, {3000, 1500}},    // at the system's DPI
        {{3000, 1500}, {0, 0}, 192, 96, D::PerMonitorAware, {3000, 1500}}, // physical already
        {{3000, 1500}, {0, 0}, 0, 96, D::Unaware, {3000, 1500}},           // a DPI not known
    };
    for (const auto& c : cases) {
        PixelPoint logical =
            LogicalFromPhysical(c.physical, c.corner, c.monitorDpi, c.systemDpi, c.awareness);
        EXPECT_EQ(logical.x, c.logical.x) << c.physical.x << "," << c.physical.y << " at " << c.monitorDpi;
        EXPECT_EQ(logical.y, c.logical.y) << c.physical.x << "," << c.physical.y << " at " << c.monitorDpi;
    }
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
