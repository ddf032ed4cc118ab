// The cost of one dialog tick under Wine (the idle step, sixteen drums, the needle and
// the two speed texts), where the worst tick's time goes, and the memory that each
// opening of the dialog leaves behind. A measured run that prints its figures; the
// checks are about what the dialog did, never about how long it took or how much
// memory grew (see docs/performance.md).
#include "tests/dialog/DialogHarness.h"

#include <psapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "dialog/OdometerDisplay.h"
#include "engine/DisplayTexts.h"
#include "measuring/Globals.h"
#include "resources/resource.h"
#include "support/GdiTally.h"

namespace {

constexpr int kWarmUpTicks = 50;
constexpr int kMeasuredTicks = 1000;
constexpr int kPaintedTicks = 200;

double Microseconds(LONGLONG ticks, LONGLONG frequency) {
    return static_cast<double>(ticks) * 1e6 / static_cast<double>(frequency);
}

// Blocking waits of this thread so far (Linux's voluntary context switches, read
// through Wine's Z: drive), or -1 where there is no such count. Under Wine nearly
// every one is a round trip to the Wine server, so they show what a tick costs in
// round trips, which the machine's load does not change as it changes the times.
long BlockingWaits() {
    std::FILE* status = std::fopen("Z:\\proc\\thread-self\\status", "r");
    if (status == nullptr) {
        return -1;
    }
    char line[128];
    long waits = -1;
    while (std::fgets(line, sizeof line, status) != nullptr) {
        if (std::sscanf(line, "voluntary_ctxt_switches: %ld", &waits) == 1) {
            break;
        }
    }
    std::fclose(status);
    return waits;
}

// Times of some runs of one thing, and the blocking waits per run (-1: not counted).
struct Samples {
    std::vector<double> times;
    double waitsPerRun = -1;
};

// Runs `run` count times, timing each run, each after `prepare`, which is not timed
// (though its blocking waits are counted: preparations that make none keep the count
// true).
template <typename Prepare, typename Run>
Samples Measure(int count, LONGLONG frequency, Prepare prepare, Run run) {
    Samples samples;
    long waitsBefore = BlockingWaits();
    for (int index = 0; index < count; ++index) {
        prepare(index);
        LARGE_INTEGER start;
        LARGE_INTEGER end;
        QueryPerformanceCounter(&start);
        run(index);
        QueryPerformanceCounter(&end);
        samples.times.push_back(Microseconds(end.QuadPart - start.QuadPart, frequency));
    }
    long waitsAfter = BlockingWaits();
    if (waitsBefore >= 0 && waitsAfter >= waitsBefore && count > 0) {
        samples.waitsPerRun = static_cast<double>(waitsAfter - waitsBefore) / count;
    }
    return samples;
}

void Report(const char* what, Samples samples) {
    std::vector<double>& times = samples.times;
    std::sort(times.begin(), times.end());
    double sum = 0;
    for (double time : times) {
        sum += time;
    }
    auto at = [&](double share) { return times[static_cast<std::size_t>(share * (times.size() - 1))]; };
    std::printf("%-44s n=%-5zu mean %6.0f us  median %6.0f us  p95 %6.0f us  max %6.0f us", what,
                times.size(), sum / static_cast<double>(times.size()), at(0.5), at(0.95), times.back());
    if (samples.waitsPerRun >= 0) {
        std::printf("  waits %5.1f", samples.waitsPerRun);
    }
    std::printf("\n");
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

Samples TimeTicks(HWND dialog, const Scenario& scenario, int count, bool withRepaint, LONGLONG frequency) {
    return Measure(count, frequency, scenario.prepare, [&](int) {
        SendMessageA(dialog, WM_TIMER, 0, 0);
        if (withRepaint) {
            RedrawWindow(dialog, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        }
    });
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
        TimeTicks(dialog, kScenarios[1], kWarmUpTicks, true, frequency.QuadPart);
        SettleDialog(dialog);
        for (const Scenario& scenario : kScenarios) {
            // The tick's own work, as the timer message runs it, then the same with the
            // repaint of the drums and texts it causes.
            Report(scenario.name, TimeTicks(dialog, scenario, kMeasuredTicks, false, frequency.QuadPart));
            std::string painted = std::string(scenario.name) + ", with the repaint";
            Report(painted.c_str(), TimeTicks(dialog, scenario, kPaintedTicks, true, frequency.QuadPart));
            // One picture of each of the twelve drums at most, the figure, the dial and its mask.
            EXPECT_LE(GdiObjectsInUse(), baseline + 15) << scenario.name;
            EXPECT_EQ(appState.movedSinceTick, 0) << scenario.name;
        }
        // The last worst-case tick left 2222222222 cm and 2222.22 m/h (its first six
        // characters) on the drums.
        char expected[kSpeedTextCapacity];
        FormatSpeedText(appState.currentSpeed, expected, sizeof expected);
        EXPECT_EQ(ControlText(dialog, IDC_CURRENT_SPEED), expected);
        ExpectDrums(dialog, IDC_DISTANCE_CELL_FIRST, "2222222222");
        ExpectDrums(dialog, IDC_SPEED_CELL_FIRST, "2222.2");
    });
    EXPECT_EQ(GdiObjectsInUse(), baseline);
}

// Where the worst tick's time went when the drums were static picture controls, beside
// what it costs now: loading sixteen drum pictures from the resources; handing sixteen
// loaded pictures to sixteen picture controls at the drums' places (each control keeps
// its size, stores the picture in its window data and repaints at once); and the
// dialog drawing sixteen changed drums itself.
TEST(DialogTick, WhereTheWorstTickGoes) {
    ResetDialogState();
    long baseline = GdiObjectsInUse();
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    constexpr int kCells = kDistanceCells + kSpeedCells;
    constexpr int kRounds = 200;

    RunPropertiesDialog([&](HWND dialog) {
        std::vector<HBITMAP> loaded;
        auto nothing = [](int) {};
        Samples loading = Measure(kRounds, frequency.QuadPart, nothing, [&](int round) {
            for (int cell = 0; cell < kCells; ++cell) {
                loaded.push_back(
                    LoadBitmapA(appState.instanceHandle, MAKEINTRESOURCEA(IDB_DIGIT_0 + round % 10)));
            }
        });
        HWND controls[kCells];
        for (int cell = 0; cell < kCells; ++cell) {
            int id = cell < kDistanceCells ? IDC_DISTANCE_CELL_FIRST + cell
                                           : IDC_SPEED_CELL_FIRST + (cell - kDistanceCells);
            RECT place = DrumPlace(dialog, id);
            controls[cell] = CreateWindowExA(
                WS_EX_TRANSPARENT, "STATIC", "", WS_CHILD | WS_VISIBLE | SS_BITMAP | SS_REALSIZECONTROL,
                place.left, place.top, place.right - place.left, place.bottom - place.top, dialog, nullptr,
                GetModuleHandleA(nullptr), nullptr);
            ASSERT_NE(controls[cell], nullptr);
        }
        SettleDialog(dialog);
        // Two pictures, a 2 and a 3, in turn, so that every hand-over changes the control.
        Samples handing = Measure(kRounds, frequency.QuadPart, nothing, [&](int round) {
            for (HWND control : controls) {
                SendMessageA(control, STM_SETIMAGE, IMAGE_BITMAP,
                             reinterpret_cast<LPARAM>(loaded[round % 2 + 2]));
            }
        });
        for (HWND control : controls) {
            DestroyWindow(control);
        }
        for (HBITMAP picture : loaded) {
            EXPECT_NE(picture, nullptr);
            DeleteObject(picture);
        }
        SettleDialog(dialog);
        // Every drum changes: 1111111111 cm and 1111.11 m/h, then all twos.
        auto everyDrum = [](int round) {
            appState.distanceCm = round % 2 == 0 ? 1111111111 : 2222222222;
            appState.maxSpeed = round % 2 == 0 ? 111111 : 222222;
        };
        Samples drawing = Measure(kRounds, frequency.QuadPart, everyDrum, [&](int) { ShowOdometer(dialog); });
        SettleDialog(dialog);
        ExpectDrums(dialog, IDC_DISTANCE_CELL_FIRST, "2222222222");
        Report("loading sixteen drum pictures", loading);
        Report("handing them to sixteen picture controls", handing);
        Report("the dialog drawing sixteen changed drums", drawing);
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
constexpr int kWarmUpOpenings = 20;

void ReportMemoryGrowth(const char* what, int count, const std::function<void(int)>& open) {
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
    ReportMemoryGrowth("the properties dialog", 300, [](int opening) {
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
    constexpr int kCells = 200;
    ReportMemoryGrowth("a bare picture cell, destroyed untouched", kCells, cell(false));
    std::printf("pictures still alive after their cell was destroyed: %d of %d\n", picturesLeftAlive,
                kWarmUpOpenings + kCells);
    ReportMemoryGrowth("a bare picture cell, its picture deleted", kCells, cell(true));
    DestroyWindow(parent);
}

} // namespace
