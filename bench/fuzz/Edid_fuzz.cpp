// EDID blocks and the monitor they describe: a block is taken only with its header and
// checksum (checked here byte by byte), and a size taken from it is within the plausible
// range for the pixels shown.
#include <cmath>
#include <cstring>
#include <vector>

#include "bench/fuzz/FuzzInput.h"
#include "engine/Edid.h"

namespace {

const std::uint8_t kHeader[8] = {0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00};

bool TheBlockIsWhole(const std::vector<std::uint8_t>& block) {
    if (block.size() < 128 || std::memcmp(block.data(), kHeader, sizeof kHeader) != 0) {
        return false;
    }
    unsigned sum = 0;
    for (std::size_t i = 0; i < 128; ++i) {
        sum += block[i];
    }
    return sum % 256 == 0;
}

// What the size was for a calibration from the EDID: millimetres a pixel times pixels.
void ExpectPlausible(const MonitorArea& area, double widthPixels, double heightPixels) {
    double width = area.mmPerPixelX * widthPixels;
    double height = area.mmPerPixelY * heightPixels;
    double longer = width > height ? width : height;
    FUZZ_CHECK(longer >= kMinMonitorSideMm - 1e-9 && longer <= kMaxMonitorSideMm + 1e-9);
    double aspect = area.mmPerPixelX / area.mmPerPixelY;
    FUZZ_CHECK(aspect <= kMaxPixelAspect + 1e-9 && aspect >= 1 / kMaxPixelAspect - 1e-9);
}

} // namespace

// Input: a byte of choices (bit 0: put the header and the checksum right, so that the
// rest of the block is explored; bits 1-2: the rotation), four bytes of pixel counts,
// then the block.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput input(data, size);
    std::uint8_t choices = input.Byte();
    long width = 1 + input.Byte() * 16 + input.Byte() % 16;
    long height = 1 + input.Byte() * 16 + input.Byte() % 16;
    std::string rest = input.Rest();
    std::vector<std::uint8_t> block(rest.begin(), rest.end());
    if ((choices & 1) != 0 && block.size() >= 128) {
        std::memcpy(block.data(), kHeader, sizeof kHeader);
        unsigned sum = 0;
        for (std::size_t i = 0; i < 127; ++i) {
            sum += block[i];
        }
        block[127] = static_cast<std::uint8_t>(256 - sum % 256);
    }

    EdidInfo info{};
    bool parsed = ParseEdid(block.data(), block.size(), info);
    FUZZ_CHECK(parsed == TheBlockIsWhole(block));
    if (!parsed) {
        return 0;
    }
    FUZZ_CHECK(info.imageWidthMm >= 0 && info.imageWidthMm <= 4095 && info.imageHeightMm >= 0 &&
               info.imageHeightMm <= 4095);
    FUZZ_CHECK((info.screenWidthCm == 0) == (info.screenHeightCm == 0));
    TextString name = MonitorOverrideName(info);
    FUZZ_CHECK(name.length == 28 && std::strncmp(name.buffer, "SkitSchermo.", 12) == 0);

    MonitorFacts facts{};
    facts.right = width;
    facts.bottom = height;
    facts.rotationQuarterTurns = (choices >> 1) & 3;
    facts.edid = &info;
    facts.fallbackWidthMm = 300;
    facts.fallbackHeightMm = 200;
    facts.fallbackWidthPixels = static_cast<int>(width);
    facts.fallbackHeightPixels = static_cast<int>(height);
    MonitorSizeSource source;
    MonitorArea area = CalibrateMonitor(facts, source);
    FUZZ_CHECK(std::isfinite(area.mmPerPixelX) && area.mmPerPixelX > 0);
    FUZZ_CHECK(std::isfinite(area.mmPerPixelY) && area.mmPerPixelY > 0);
    if (source == MonitorSizeSource::DetailedTiming || source == MonitorSizeSource::BasicBlock) {
        ExpectPlausible(area, static_cast<double>(width), static_cast<double>(height));
    }
    return 0;
}
