// The speedometer on the screen: the dial as the resources draw it, and exactly one
// exclusive-or needle whose tip lies where the speed puts it.
#include "DialogHarness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <sstream>

#include "dialog/SpeedGauge.h"
#include "measuring/Globals.h"
#include "resources/resource.h"
#include "support/GdiTally.h"

namespace {

constexpr int kHub = 62;         // the hub, from the frame's top-left corner
constexpr int kNeedleSteps = 50; // points checked along the needle

// The dial without a needle: the face inside the mask's disc, the dialog's ground
// outside it and outside the picture.
Pixels BareDial(int width, int height) {
    Pixels face = ResourcePixels(IDB_GAUGE_FACE);
    Pixels mask = ResourcePixels(IDB_GAUGE_MASK);
    std::uint32_t ground = SystemColourRgb(COLOR_BTNFACE);
    Pixels dial;
    dial.width = width;
    dial.height = height;
    dial.rgb.assign(static_cast<std::size_t>(width * height), ground);
    for (int y = 0; y < std::min(height, face.height); ++y) {
        for (int x = 0; x < std::min(width, face.width); ++x) {
            if (mask.At(x, y) == 0xFFFFFFu) {
                dial.rgb[static_cast<std::size_t>(y * width + x)] = face.At(x, y);
            }
        }
    }
    return dial;
}

double DistanceToSegment(double px, double py, double ax, double ay, double bx, double by) {
    double vx = bx - ax;
    double vy = by - ay;
    double length2 = vx * vx + vy * vy;
    double t = length2 > 0 ? ((px - ax) * vx + (py - ay) * vy) / length2 : 0;
    t = std::max(0.0, std::min(1.0, t));
    return std::hypot(px - (ax + t * vx), py - (ay + t * vy));
}

// Compares the gauge on the screen with the bare dial: every pixel that differs must
// be the dial's pixel exclusive-or the needle colour and lie on the one needle from the
// hub to hub - (dx, dy); the needle must reach its tip and cover its whole length.
void ExpectOneNeedle(HWND dialog, int dx, int dy) {
    RECT frame = GaugeRect();
    Pixels screen = CaptureClient(dialog, frame);
    Pixels dial = BareDial(screen.width, screen.height);
    std::uint32_t needleColour = SystemColourRgb(COLOR_INFOBK);
    const double tipX = kHub - dx;
    const double tipY = kHub - dy;

    int wrongColour = 0;
    int offNeedle = 0;
    bool tipReached = false;
    std::vector<char> drawn(screen.rgb.size(), 0);
    std::ostringstream firstStray;
    for (int y = 0; y < screen.height; ++y) {
        for (int x = 0; x < screen.width; ++x) {
            std::uint32_t bare = dial.At(x, y);
            std::uint32_t shown = screen.At(x, y);
            if (shown == bare) {
                continue;
            }
            drawn[static_cast<std::size_t>(y * screen.width + x)] = 1;
            if (shown != (bare ^ needleColour)) {
                ++wrongColour;
            }
            if (DistanceToSegment(x, y, kHub, kHub, tipX, tipY) > 2.0) {
                if (offNeedle++ == 0) {
                    firstStray << "(" << x << ", " << y << ")";
                }
            }
            if (std::abs(x - tipX) <= 1 && std::abs(y - tipY) <= 1) {
                tipReached = true;
            }
        }
    }
    EXPECT_EQ(wrongColour, 0) << "pixels that are neither dial nor one needle, for tip " << dx << ", " << dy;
    EXPECT_EQ(offNeedle, 0) << "changed pixels away from the needle to " << dx << ", " << dy << ", first at "
                            << firstStray.str();
    EXPECT_TRUE(tipReached) << "no needle pixel at the tip (" << tipX << ", " << tipY << ")";
    int gaps = 0;
    for (int step = 0; step <= kNeedleSteps; ++step) {
        double px = kHub + (tipX - kHub) * step / kNeedleSteps;
        double py = kHub + (tipY - kHub) * step / kNeedleSteps;
        bool covered = false;
        for (int y = static_cast<int>(py) - 1; y <= static_cast<int>(py) + 2 && !covered; ++y) {
            for (int x = static_cast<int>(px) - 1; x <= static_cast<int>(px) + 2 && !covered; ++x) {
                if (x >= 0 && y >= 0 && x < screen.width && y < screen.height &&
                    drawn[static_cast<std::size_t>(y * screen.width + x)] != 0 &&
                    std::hypot(x - px, y - py) <= 1.5) {
                    covered = true;
                }
            }
        }
        gaps += covered ? 0 : 1;
    }
    EXPECT_EQ(gaps, 0) << "the needle to " << dx << ", " << dy << " has gaps";
}

void ShowSpeed(HWND dialog, double speed) {
    appState.currentSpeed = speed;
    appState.movedSinceTick = 1; // as if the pointer moved: the tick keeps the speed
    Tick(dialog);
}

class SpeedGaugeTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetDialogState();
        baseline = GdiObjectsInUse();
    }
    void TearDown() override { EXPECT_EQ(GdiObjectsInUse(), baseline); }
    long baseline = 0;
};

// The needle checks below rely on the frame holding the whole needle's circle.
TEST_F(SpeedGaugeTest, TheFrameLiesInTheDialog) {
    RunPropertiesDialog([](HWND dialog) {
        RECT frame = GaugeRect();
        RECT client;
        GetClientRect(dialog, &client);
        EXPECT_GE(frame.right - frame.left, 2 * kHub - 4);
        EXPECT_GE(frame.bottom - frame.top, 2 * kHub - 4);
        EXPECT_GE(frame.left, 0);
        EXPECT_GE(frame.top, 0);
        EXPECT_LE(frame.right, client.right);
        EXPECT_LE(frame.bottom, client.bottom);
    });
}

TEST_F(SpeedGaugeTest, TheFirstPaintShowsTheDialWithTheNeedleAtZero) {
    RunPropertiesDialog([](HWND dialog) {
        EXPECT_TRUE(needleShown);
        ExpectOneNeedle(dialog, 35, -35);
    });
}

struct TipRow {
    double speed;
    int dx;
    int dy;
};

TEST_F(SpeedGaugeTest, NeedleTipsOfTheTable) {
    const TipRow rows[] = {
        {0, 35, -35},    {1000, 47, -15},   {2500, 46, 19},   {5000, 0, 50},
        {7500, -46, 19}, {10000, -35, -35}, {20000, -35, 35},
    };
    RunPropertiesDialog([&](HWND dialog) {
        for (const TipRow& row : rows) {
            ShowSpeed(dialog, row.speed);
            EXPECT_EQ(needleDx, row.dx) << row.speed;
            EXPECT_EQ(needleDy, row.dy) << row.speed;
            ExpectOneNeedle(dialog, row.dx, row.dy);
        }
    });
}

TEST_F(SpeedGaugeTest, TheSameSpeedTwiceLeavesOneNeedle) {
    RunPropertiesDialog([](HWND dialog) {
        ShowSpeed(dialog, 2500);
        ShowSpeed(dialog, 2500);
        ExpectOneNeedle(dialog, 46, 19);
    });
}

TEST_F(SpeedGaugeTest, AFullPaintThenAnUpdate) {
    RunPropertiesDialog([](HWND dialog) {
        ShowSpeed(dialog, 7500);
        appState.currentSpeed = 1000;
        InvalidateRect(dialog, nullptr, TRUE);
        SettleDialog(dialog);
        ExpectOneNeedle(dialog, 47, -15);
        ShowSpeed(dialog, 10000);
        ExpectOneNeedle(dialog, -35, -35);
    });
}

// A paint that covers a corner of the gauge, while the speed has changed since the
// last tick: the whole gauge is painted with the new needle, and the next tick moves
// that one needle.
TEST_F(SpeedGaugeTest, APartialPaintRepaintsTheWholeGauge) {
    RunPropertiesDialog([](HWND dialog) {
        ShowSpeed(dialog, 0);
        RECT frame = GaugeRect();
        appState.currentSpeed = 5000;
        RECT corner{frame.right - 12, frame.top, frame.right, frame.top + 12};
        InvalidateRect(dialog, &corner, TRUE);
        SettleDialog(dialog);
        ExpectOneNeedle(dialog, 0, 50);
        ShowSpeed(dialog, 7500);
        ExpectOneNeedle(dialog, -46, 19);

        // Half of the needle's path invalid.
        appState.currentSpeed = 2500;
        RECT leftHalf{frame.left, frame.top, frame.left + kHub, frame.bottom};
        InvalidateRect(dialog, &leftHalf, TRUE);
        SettleDialog(dialog);
        ExpectOneNeedle(dialog, 46, 19);
        ShowSpeed(dialog, 1000);
        ExpectOneNeedle(dialog, 47, -15);
    });
}

// A paint elsewhere in the dialog leaves the gauge and its needle as they are.
TEST_F(SpeedGaugeTest, APaintElsewhereLeavesTheNeedle) {
    RunPropertiesDialog([](HWND dialog) {
        ShowSpeed(dialog, 7500);
        appState.currentSpeed = 2500;
        RECT date;
        GetWindowRect(GetDlgItem(dialog, IDC_SINCE_DATE), &date);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&date), 2);
        InvalidateRect(dialog, &date, TRUE);
        SettleDialog(dialog);
        ExpectOneNeedle(dialog, -46, 19);
        ShowSpeed(dialog, 2500);
        ExpectOneNeedle(dialog, 46, 19);
    });
}

// Another window over part of the gauge, a tick while it is there, and the window
// going away: the uncovered part is repainted and still one needle shows.
TEST_F(SpeedGaugeTest, AWindowOverTheGaugeComesAndGoes) {
    RunPropertiesDialog([](HWND dialog) {
        ShowSpeed(dialog, 0);
        RECT frame = GaugeRect();
        POINT corner{frame.left, frame.top + 40};
        ClientToScreen(dialog, &corner);
        HWND cover =
            CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, "STATIC", "", WS_POPUP | WS_VISIBLE, corner.x,
                            corner.y, 50, 60, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(cover, nullptr);
        SettleDialog(dialog);
        ShowSpeed(dialog, 1000);
        DestroyWindow(cover);
        PumpMessagesFor(200);
        SettleDialog(dialog);
        ShowSpeed(dialog, 7500);
        ExpectOneNeedle(dialog, -46, 19);
    });
}

} // namespace
