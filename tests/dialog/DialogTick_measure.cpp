// The cost of one dialog tick under Wine (the idle step, sixteen drums, the needle and
// the two speed texts), where the worst tick's time goes, and the memory that each
// opening of the dialog leaves behind. A measured run that prints its figures; the
// checks are about what the dialog did, never about how long it took or how much
// memory grew (see docs/performance.md).
#include "DialogHarness.h"

#include <psapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "engine/DisplayTexts.h"
#include "resources/resource.h"
#include "shell/Globals.h"
#include "support/GdiTally.h"

namespace {

constexpr int kWarmUpTicks = 50;
constexpr int kMeasuredTicks = 1000;
constexpr int kPaintedTicks = 200;

double Microseconds(LONGLONG ticks, LONGLONG frequency) {
    return static_cast<double>(ticks) * 1e6 / static_cast<double>(frequency);
}

void Report(const char* what, std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    double sum = 0;
    for (double sample : samples) {
        sum += sample;
    }
    auto at = [&](double share) { return samples[static_cast<std::size_t>(share * (samples.size() - 1))]; };
    std::printf("%-44s n=%-5zu mean %6.0f us  median %6.0f us  p95 %6.0f us  max %6.0f us\n", what,
                samples.size(), sum / static_cast<double>(samples.size()), at(0.5), at(0.95), samples.back());
    std::fflush(stdout);
}

// The state the hook leaves for one second of each kind.
struct Scenario {
    const char* name;
    void (*prepare)(int second);
};

// The pointer rested: no distance, the idle step brings the speed to 0.
void RestingSecond(int) { appState.movedSinceTick = 0; }

// The pointer moved some centimetres: the last drums, the needle and the texts change.
void MovingSecond(int second) {
    appState.distanceCm += 23.7;
    appState.currentSpeed = 500 + (second * 37) % 4000;
    appState.averageSpeed = 300 + second % 50;
    appState.movedSinceTick = 1;
}

// The worst case: every one of the sixteen drums shows another digit than before.
void EveryDrumChanges(int second) {
    appState.distanceCm = second % 2 == 0 ? 1111111111 : 2222222222;
    appState.maxSpeed = second % 2 == 0 ? 111111 : 222222;
    appState.currentSpeed = second % 2 == 0 ? 1000 : 9000;
    appState.movedSinceTick = 1;
}

const Scenario kScenarios[] = {
    {"resting second", RestingSecond},
    {"moving second", MovingSecond},
    {"every drum changes", EveryDrumChanges},
};

std::vector<double> TimeTicks(HWND dialog, const Scenario& scenario, int count, bool withRepaint,
                              LONGLONG frequency) {
    std::vector<double> samples;
    for (int second = 0; second < count; ++second) {
        scenario.prepare(second);
        LARGE_INTEGER start;
        LARGE_INTEGER end;
        QueryPerformanceCounter(&start);
        SendMessageA(dialog, WM_TIMER, 0, 0);
        if (withRepaint) {
            RedrawWindow(dialog, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        }
        QueryPerformanceCounter(&end);
        samples.push_back(Microseconds(end.QuadPart - start.QuadPart, frequency));
    }
    return samples;
}

TEST(DialogTick, MeasuredCost) {
    ResetDialogState();
    appState.distanceCm = 1000000;
    appState.unitDivisor = kCentimetres;
    appState.startTicks = GetTickCount() - 60000;
    long baseline = GdiObjectsInUse();
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);

    RunPropertiesDialog([&](HWND dialog) {
        long held = GdiObjectsInUse();
        TimeTicks(dialog, kScenarios[1], kWarmUpTicks, true, frequency.QuadPart);
        SettleDialog(dialog);
        for (const Scenario& scenario : kScenarios) {
            // The tick's own work, as the timer message runs it, then the same with the
            // repaint of the drums and texts it causes.
            Report(scenario.name, TimeTicks(dialog, scenario, kMeasuredTicks, false, frequency.QuadPart));
            std::string painted = std::string(scenario.name) + ", with the repaint";
            Report(painted.c_str(), TimeTicks(dialog, scenario, kPaintedTicks, true, frequency.QuadPart));
            EXPECT_EQ(GdiObjectsInUse(), held) << scenario.name;
            EXPECT_EQ(appState.movedSinceTick, 0) << scenario.name;
        }
        // The last worst-case tick left 2222222222 cm and 2222.22 on the drums.
        char expected[kSpeedTextCapacity];
        FormatSpeedText(appState.currentSpeed, expected, sizeof expected);
        EXPECT_EQ(ControlText(dialog, IDC_CURRENT_SPEED), expected);
        auto last = reinterpret_cast<HBITMAP>(
            SendDlgItemMessageA(dialog, IDC_DISTANCE_CELL_FIRST + 9, STM_GETIMAGE, IMAGE_BITMAP, 0));
        EXPECT_EQ(BitmapPixels(last).rgb, ResourcePixels(IDB_DIGIT_0 + 2).rgb);
    });
    EXPECT_EQ(GdiObjectsInUse(), baseline);
}

// Where the worst tick goes: loading sixteen drum pictures from the resources, and
// handing sixteen pictures that are already loaded to the cells (each cell resizes
// and repaints). The cells get their own pictures back afterwards.
TEST(DialogTick, WhereTheWorstTickGoes) {
    ResetDialogState();
    appState.distanceCm = 1111111111;
    appState.maxSpeed = 111111;
    long baseline = GdiObjectsInUse();
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    constexpr int kCells = kDistanceCells + kSpeedCells;
    constexpr int kRounds = 200;

    RunPropertiesDialog([&](HWND dialog) {
        HWND cells[kCells];
        HGDIOBJ own[kCells];
        for (int cell = 0; cell < kCells; ++cell) {
            int id = cell < kDistanceCells ? IDC_DISTANCE_CELL_FIRST + cell
                                           : IDC_SPEED_CELL_FIRST + (cell - kDistanceCells);
            cells[cell] = GetDlgItem(dialog, id);
            own[cell] = reinterpret_cast<HGDIOBJ>(SendMessageA(cells[cell], STM_GETIMAGE, IMAGE_BITMAP, 0));
        }
        // Two sets of pictures, the 2s and the 3s, so that every hand-over changes the cell.
        HBITMAP twos = LoadBitmapA(appState.instanceHandle, MAKEINTRESOURCEA(IDB_DIGIT_0 + 2));
        HBITMAP threes = LoadBitmapA(appState.instanceHandle, MAKEINTRESOURCEA(IDB_DIGIT_0 + 3));
        std::vector<double> loading;
        std::vector<double> handing;
        for (int round = 0; round < kRounds; ++round) {
            HBITMAP loaded[kCells];
            LARGE_INTEGER start;
            LARGE_INTEGER end;
            QueryPerformanceCounter(&start);
            for (HBITMAP& picture : loaded) {
                picture = LoadBitmapA(appState.instanceHandle, MAKEINTRESOURCEA(IDB_DIGIT_0 + round % 10));
            }
            QueryPerformanceCounter(&end);
            loading.push_back(Microseconds(end.QuadPart - start.QuadPart, frequency.QuadPart));
            for (HBITMAP picture : loaded) {
                EXPECT_NE(picture, nullptr);
                DeleteObject(picture);
            }
            HBITMAP shared = round % 2 == 0 ? twos : threes;
            QueryPerformanceCounter(&start);
            for (HWND cell : cells) {
                SendMessageA(cell, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(shared));
            }
            QueryPerformanceCounter(&end);
            handing.push_back(Microseconds(end.QuadPart - start.QuadPart, frequency.QuadPart));
        }
        for (int cell = 0; cell < kCells; ++cell) {
            SendMessageA(cells[cell], STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(own[cell]));
        }
        DeleteObject(twos);
        DeleteObject(threes);
        Report("loading sixteen drum pictures", loading);
        Report("handing sixteen loaded pictures to the cells", handing);
    });
    EXPECT_EQ(GdiObjectsInUse(), baseline);
}

// The process's working set, as the system reports it.
std::size_t WorkingSetKib() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters.WorkingSetSize / 1024;
}

// Runs `open` (one opening and closing) count times after some warm-up openings that
// fill the caches of the system and the C runtime, and prints the working set every
// hundred openings and its growth per opening.
void ReportMemoryGrowth(const char* what, int count, const std::function<void(int)>& open) {
    constexpr int kWarmUpOpenings = 20;
    for (int opening = 0; opening < kWarmUpOpenings; ++opening) {
        open(opening);
    }
    std::size_t start = WorkingSetKib();
    std::printf("%s: working set %zu KiB", what, start);
    for (int opening = 1; opening <= count; ++opening) {
        open(opening);
        if (opening % 100 == 0) {
            std::printf(", %zu after %d", WorkingSetKib(), opening);
        }
    }
    long long growth = static_cast<long long>(WorkingSetKib()) - static_cast<long long>(start);
    std::printf("; %.2f KiB per opening\n", static_cast<double>(growth) / count);
    std::fflush(stdout);
}

// Memory each opening of the dialog leaves behind: the dialog opened and closed a few
// hundred times, with two ticks each in which the drums and the needle move.
TEST(DialogOpenings, MeasuredMemoryGrowth) {
    ResetDialogState();
    appState.distanceCm = 98765.4;
    appState.maxSpeed = 1234;
    long baseline = GdiObjectsInUse();
    ReportMemoryGrowth("the properties dialog", 400, [](int opening) {
        RunPropertiesDialog([&](HWND dialog) {
            for (int tick = 0; tick < 2; ++tick) {
                appState.distanceCm += 23.7;
                appState.currentSpeed = (opening * 37 + tick * 500) % 9000;
                appState.movedSinceTick = 1;
                Tick(dialog);
            }
        });
    });
    EXPECT_EQ(GdiObjectsInUse(), baseline);
}

// The same without the program: a picture cell created from the figure's resource
// name, as the dialog manager creates one from a template, and destroyed again, either
// untouched or after its picture was taken out and deleted. Shows what the system
// itself keeps of a template's picture.
int picturesLeftAlive = 0;

TEST(DialogOpenings, MeasuredMemoryOfABarePictureCell) {
    HWND parent = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 200, 200, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(parent, nullptr);
    char name[8];
    std::snprintf(name, sizeof name, "#%d", IDB_FIGURE);
    auto cell = [&](bool takeOut) {
        return [&, takeOut](int) {
            HWND picture = CreateWindowExA(0, "STATIC", name, WS_CHILD | SS_BITMAP | SS_REALSIZEIMAGE, 0, 0,
                                           0, 0, parent, nullptr, GetModuleHandleA(nullptr), nullptr);
            ASSERT_NE(picture, nullptr);
            HANDLE loaded = reinterpret_cast<HANDLE>(SendMessageA(picture, STM_GETIMAGE, IMAGE_BITMAP, 0));
            ASSERT_NE(loaded, nullptr);
            if (takeOut) {
                DeleteObject(reinterpret_cast<HGDIOBJ>(SendMessageA(picture, STM_SETIMAGE, IMAGE_BITMAP, 0)));
            }
            DestroyWindow(picture);
            // What the system does with the picture of a destroyed cell that nobody touched.
            if (!takeOut && GetObjectType(loaded) != 0) {
                ++picturesLeftAlive;
            }
        };
    };
    picturesLeftAlive = 0;
    ReportMemoryGrowth("a bare picture cell, destroyed untouched", 400, cell(false));
    std::printf("pictures still alive after their cell was destroyed: %d of %d\n", picturesLeftAlive, 420);
    ReportMemoryGrowth("a bare picture cell, its picture deleted", 400, cell(true));
    DestroyWindow(parent);
}

} // namespace
