#include "shell/ApplicationState.h"

#include <gtest/gtest.h>

namespace {

TEST(ApplicationStateReset, EverythingBackToZeroWithAValidEmptyDate) {
    ApplicationState state;
    state.sinceDate = "07.12.1997";
    state.distanceCm = 12345.4;
    state.unitDivisor = 100;
    state.splashShowing = 1;
    state.dialogOpen = 1;
    state.runAtStartup = 1;
    state.movedSinceTick = 1;
    state.startTicks = 42;
    state.gaugeFrame.right = 124;
    state.mainWindow = reinterpret_cast<HWND__*>(0x1234);

    ResetApplicationState(state);

    EXPECT_TRUE(state.sinceDate.IsEmpty());
    ASSERT_NE(state.sinceDate.buffer, nullptr);
    EXPECT_EQ(state.sinceDate.buffer[0], '\0');
    EXPECT_EQ(state.distanceCm, 0);
    EXPECT_EQ(state.unitDivisor, 0); // the default of 1 comes with start-up, not with the reset
    EXPECT_EQ(state.splashShowing, 0);
    EXPECT_EQ(state.dialogOpen, 0);
    EXPECT_EQ(state.runAtStartup, 0);
    EXPECT_EQ(state.movedSinceTick, 0);
    EXPECT_EQ(state.startTicks, 0u);
    EXPECT_EQ(state.gaugeFrame.right, 0);
    EXPECT_EQ(state.mainWindow, nullptr);
}

} // namespace
