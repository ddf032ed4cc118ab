// What a monitor says about itself in its EDID block, the user's own statement of a
// monitor's size, and the calibration of one monitor from these. Free of <windows.h>.
#ifndef SKITTERA_ENGINE_EDID_H
#define SKITTERA_ENGINE_EDID_H

#include <cstddef>

#include "engine/OdometerState.h"
#include "support/TextString.h"

constexpr std::size_t kEdidBlockLength = 128;

struct EdidInfo {
    char manufacturer[4];              // three letters + NUL, e.g. "DEL"
    unsigned productCode;              // bytes 10-11, little-endian
    unsigned long serialNumber;        // bytes 12-15, little-endian
    int imageWidthMm, imageHeightMm;   // first detailed timing descriptor, 0 when absent
    int screenWidthCm, screenHeightCm; // basic block bytes 21-22, 0 when absent or an aspect ratio
};

bool ParseEdid(const unsigned char* bytes, std::size_t length, EdidInfo& info);

// The per-monitor size the user may state in the program's registry key.
TextString MonitorOverrideName(const EdidInfo& info);
bool ParseMonitorOverride(const char* text, double& widthMm, double& heightMm);

// Whether a monitor's stated size is believable for the pixels it shows:
// - the longer side lies between the two limits below (EDIDs of projectors and some TVs
//   give 0, some give centimetres as millimetres or the other way round, and EDID 1.4
//   allows an aspect ratio such as 16 x 9 where the size would be), and
// - a pixel is close to square: its width over its height, from the size and the pixel
//   counts, lies within kMaxPixelAspect either way (a size for another shape of screen,
//   or for the unrotated monitor, fails).
constexpr double kMinMonitorSideMm = 180;  // an 8-inch 16:9 screen; smaller EDIDs are mostly wrong
constexpr double kMaxMonitorSideMm = 3000; // a 135-inch 16:9 screen
constexpr double kMaxPixelAspect = 1.15;
// The user's own statement is taken in a wider range (a small portable monitor).
constexpr double kMinOverrideSideMm = 20;
constexpr double kMaxOverrideSideMm = 10000;

bool IsPlausibleSize(double widthMm, double heightMm, long widthPixels, long heightPixels);

// What the Windows side gathers for one monitor.
struct MonitorFacts {
    long left, top, right, bottom; // physical pixels, current mode
    int rotationQuarterTurns;      // 0..3 (DMDO_DEFAULT, DMDO_90, DMDO_180, DMDO_270); 1 and 3 are portrait
    const EdidInfo* edid;          // nullptr when none could be read
    const char* overrideText;      // nullptr when the user set none
    int fallbackWidthMm, fallbackHeightMm;         // GetDeviceCaps HORZSIZE / VERTSIZE for this monitor
    int fallbackWidthPixels, fallbackHeightPixels; // GetDeviceCaps HORZRES / VERTRES for the same DC
};

// Where a monitor's factors came from.
enum class MonitorSizeSource { Override, DetailedTiming, BasicBlock, Fallback };

MonitorArea CalibrateMonitor(const MonitorFacts& facts);
MonitorArea CalibrateMonitor(const MonitorFacts& facts, MonitorSizeSource& source);

#endif
