// The EDID reader, the user's size override and the calibration of one monitor.
//
// The blocks are built here from the VESA E-EDID field layout (base block of 128 bytes).
// Each was cross-checked once with Debian's edid-decode, an independent decoder:
//   SKITTERA_EDID_DUMP=/tmp/edid build/native/tests/core/core_tests --gtest_filter='Edid*'
//   edid-decode /tmp/edid/<name>.bin
// and what it decoded is written beside each block.
#include "engine/Edid.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

#include <gtest/gtest.h>

namespace {

class EdidBuilder {
public:
    EdidBuilder() {
        const unsigned char header[8] = {0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00};
        std::memcpy(bytes, header, sizeof header);
        Version(1, 3);
        bytes[20] = 0x80; // digital input
        bytes[23] = 120;  // gamma 2.2, stored as (gamma × 100) − 100
        bytes[24] = 0x0E; // RGB colour, sRGB default colour space, preferred timing mode
        // Chromaticity of sRGB primaries and D65 white (10-bit fractions of 1024).
        const unsigned char colour[10] = {0xEE, 0x91, 0xA3, 0x54, 0x4C, 0x99, 0x26, 0x0F, 0x50, 0x54};
        std::memcpy(bytes + 25, colour, sizeof colour);
        for (int slot = 38; slot < 54; ++slot) {
            bytes[slot] = 0x01; // standard timings unused
        }
        // The descriptors after the first: a product name, the range limits, a dummy.
        const char name[13] = {'S', 'k', 'i', 't', 't', 'e', 'r', 'a', ' ', 'T', 'e', 's', 't'};
        Descriptor(72, 0xFC);
        std::memcpy(bytes + 72 + 5, name, sizeof name);
        Descriptor(90, 0xFD);
        // 56-76 Hz, 30-83 kHz, 170 MHz, no timing formula.
        const unsigned char limits[13] = {56, 76, 30, 83, 17, 0x00, 0x0A, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20};
        std::memcpy(bytes + 90 + 5, limits, sizeof limits);
        Descriptor(108, 0x10);
    }

    EdidBuilder& Manufacturer(const char* letters) {
        unsigned code =
            ((letters[0] - 'A' + 1u) << 10) | ((letters[1] - 'A' + 1u) << 5) | (letters[2] - 'A' + 1u);
        bytes[8] = static_cast<unsigned char>(code >> 8);
        bytes[9] = static_cast<unsigned char>(code & 0xFF);
        return *this;
    }
    EdidBuilder& Product(unsigned code) {
        bytes[10] = static_cast<unsigned char>(code & 0xFF);
        bytes[11] = static_cast<unsigned char>(code >> 8);
        return *this;
    }
    EdidBuilder& Serial(unsigned long serial) {
        for (int index = 0; index < 4; ++index) {
            bytes[12 + index] = static_cast<unsigned char>((serial >> (8 * index)) & 0xFF);
        }
        return *this;
    }
    EdidBuilder& Version(int version, int revision) {
        bytes[18] = static_cast<unsigned char>(version);
        bytes[19] = static_cast<unsigned char>(revision);
        return *this;
    }
    // Bytes 21 and 22: width and height in centimetres, or (EDID 1.4) one of them an
    // aspect ratio and the other 0.
    EdidBuilder& ScreenCm(int width, int height) {
        bytes[21] = static_cast<unsigned char>(width);
        bytes[22] = static_cast<unsigned char>(height);
        return *this;
    }
    // The first descriptor: 1920 x 1080 at 60 Hz (148.5 MHz, CTA-861 timings) with the
    // given image size in millimetres (12 bits each).
    EdidBuilder& DetailedTiming(int widthMm, int heightMm) {
        const unsigned char timing[18] = {0x02, 0x3A,             // pixel clock 14850 × 10 kHz
                                          0x80, 0x18, 0x71,       // 1920 active, 280 blank
                                          0x38, 0x2D, 0x40,       // 1080 active, 45 blank
                                          0x58, 0x2C, 0x45, 0x00, // sync 88/44, 4/5
                                          0,    0,    0,          // image size, below
                                          0x00, 0x00, 0x1E};      // no border; digital separate sync, + +
        std::memcpy(bytes + 54, timing, sizeof timing);
        bytes[66] = static_cast<unsigned char>(widthMm & 0xFF);
        bytes[67] = static_cast<unsigned char>(heightMm & 0xFF);
        bytes[68] = static_cast<unsigned char>(((widthMm >> 8) << 4) | ((heightMm >> 8) & 0x0F));
        return *this;
    }
    // The first descriptor as a display descriptor (pixel clock 0): no detailed timing.
    EdidBuilder& NoDetailedTiming() {
        Descriptor(54, 0xFE); // alphanumeric text
        return *this;
    }

    // The checksum byte makes the 128 bytes add up to 0 modulo 256.
    const unsigned char* Finish(const char* dumpName) {
        bytes[100] = bytes[19] >= 4 ? 0x01 : 0x00; // range limits only (1.4), default GTF (1.3)
        unsigned sum = 0;
        for (int index = 0; index < 127; ++index) {
            sum += bytes[index];
        }
        bytes[127] = static_cast<unsigned char>((256 - sum % 256) % 256);
        Dump(dumpName);
        return bytes;
    }

    unsigned char bytes[256] = {}; // room for an extension block

    void Descriptor(int offset, unsigned char tag) {
        std::memset(bytes + offset, 0, 18);
        bytes[offset + 3] = tag;
        if (tag == 0xFC || tag == 0xFE) {
            std::memset(bytes + offset + 5, ' ', 13);
            bytes[offset + 5] = '\n';
        }
    }

    // Writes the base block for the cross-check, when asked to.
    void Dump(const char* name) const {
        const char* folder = std::getenv("SKITTERA_EDID_DUMP");
        if (folder == nullptr) {
            return;
        }
        std::string path = std::string(folder) + "/" + name + ".bin";
        if (std::FILE* file = std::fopen(path.c_str(), "wb")) {
            std::fwrite(bytes, 1, 128, file);
            std::fclose(file);
        }
    }
};

// A 27-inch monitor: "DEL", product 0x40A1, serial 123456, 597 x 336 mm, 60 x 34 cm.
// edid-decode: "Manufacturer: DEL", "Model: 16545", "Serial Number: 123456", "Maximum
// image size: 60 cm x 34 cm", "DTD 1: 1920x1080 60.000000 Hz 16:9 67.500 kHz
// 148.500000 MHz (597 mm x 336 mm)", "EDID conformity: PASS".
EdidBuilder GoodMonitor() {
    EdidBuilder edid;
    edid.Manufacturer("DEL").Product(0x40A1).Serial(123456).Version(1, 4).ScreenCm(60, 34).DetailedTiming(
        597, 336);
    return edid;
}

// What the blocks read as: manufacturer, product, serial, image size (mm) from the first
// detailed timing, screen size (cm) from the basic block.
const EdidInfo kGood{"DEL", 0x40A1, 123456, 597, 336, 60, 34};
const EdidInfo kLarge{"SAM", 0x0F00, 0, 1600, 900, 160, 90};
const EdidInfo kAspect{"BNQ", 0, 0, 0, 0, 0, 0};
const EdidInfo kOddLetters{"???", 0, 0, 0, 0, 0, 0};
const EdidInfo kProjector{"EPS", 0, 0, 0, 0, 0, 0};
const EdidInfo kRatioAsCm{"ACR", 0, 0, 0, 0, 16, 9};
const EdidInfo kImageInCm{"LGD", 0x05A4, 0, 60, 34, 60, 34};
const EdidInfo kTenTimes{"LGD", 0x05A4, 0, 3440, 1940, 34, 19};

// Each block read whole, with the name of the user's size override it gives. An
// extension block after the base block is no concern of the reader.
TEST(EdidParse, EachBlockGivesItsFields) {
    const struct {
        const char* dumpName;
        EdidBuilder edid;
        const EdidInfo& expected;
        const char* overrideName;
    } blocks[] = {
        {"good", GoodMonitor(), kGood, "SkitSchermo.DEL40A1.0001E240"},
        // Image sizes above 255 mm need the upper nibbles of byte 68: 1600 x 900 mm (a
        // 72-inch television) is 0x640 x 0x384. edid-decode: "DTD 1: 1920x1080 ... (1600 mm
        // x 900 mm)", "Maximum image size: 160 cm x 90 cm".
        {"large",
         EdidBuilder().Manufacturer("SAM").Product(0x0F00).ScreenCm(160, 90).DetailedTiming(1600, 900),
         kLarge, "SkitSchermo.SAM0F00.00000000"},
        // edid-decode: "Aspect ratio: 1.78 (landscape)" for byte 21 = 79, byte 22 = 0 (EDID
        // 1.4: ratio = (79 + 99) / 100), and no detailed timing in the first slot. An
        // aspect ratio is no size; nor is the portrait form, byte 21 = 0, byte 22 the ratio.
        {"aspect", EdidBuilder().Manufacturer("BNQ").Version(1, 4).ScreenCm(79, 0).NoDetailedTiming(),
         kAspect, "SkitSchermo.BNQ0000.00000000"},
        {"aspect-portrait", EdidBuilder().Version(1, 4).ScreenCm(0, 79).NoDetailedTiming(), kOddLetters,
         "SkitSchermo.???0000.00000000"},
        // "___" is code 31 three times, 11111 11111 11111; no letters at all (the portrait
        // block above) are code 0. edid-decode: "Manufacturer: ___", "Manufacturer name
        // field contains garbage".
        {"odd-letters", EdidBuilder().Manufacturer("___"), kOddLetters, "SkitSchermo.???0000.00000000"},
        // A projector: no size anywhere. edid-decode: "Image size is variable", and DTD 1
        // without an image size.
        {"projector", EdidBuilder().Manufacturer("EPS").ScreenCm(0, 0).DetailedTiming(0, 0), kProjector,
         "SkitSchermo.EPS0000.00000000"},
        // An aspect ratio written as if it were centimetres. edid-decode: "Maximum image
        // size: 16 cm x 9 cm".
        {"ratio-as-cm", EdidBuilder().Manufacturer("ACR").ScreenCm(16, 9).NoDetailedTiming(), kRatioAsCm,
         "SkitSchermo.ACR0000.00000000"},
        // Centimetres written where millimetres belong (a 27-inch screen). edid-decode:
        // "DTD 1: 1920x1080 ... (60 mm x 34 mm)", "Maximum image size: 60 cm x 34 cm".
        {"image-in-cm",
         EdidBuilder().Manufacturer("LGD").Product(0x05A4).ScreenCm(60, 34).DetailedTiming(60, 34),
         kImageInCm, "SkitSchermo.LGD05A4.00000000"},
        // A 15.6-inch laptop panel (344 x 194 mm) whose image size is written ten times
        // too large. edid-decode: "DTD 1: ... (3440 mm x 1940 mm)", "Maximum image size:
        // 34 cm x 19 cm".
        {"ten-times",
         EdidBuilder().Manufacturer("LGD").Product(0x05A4).ScreenCm(34, 19).DetailedTiming(3440, 1940),
         kTenTimes, "SkitSchermo.LGD05A4.00000000"},
    };
    for (const auto& block : blocks) {
        SCOPED_TRACE(block.dumpName);
        EdidBuilder edid = block.edid;
        EdidInfo info{};
        ASSERT_TRUE(ParseEdid(edid.Finish(block.dumpName), 128, info));
        EXPECT_STREQ(info.manufacturer, block.expected.manufacturer);
        EXPECT_EQ(info.productCode, block.expected.productCode);
        EXPECT_EQ(info.serialNumber, block.expected.serialNumber);
        EXPECT_EQ(info.imageWidthMm, block.expected.imageWidthMm);
        EXPECT_EQ(info.imageHeightMm, block.expected.imageHeightMm);
        EXPECT_EQ(info.screenWidthCm, block.expected.screenWidthCm);
        EXPECT_EQ(info.screenHeightCm, block.expected.screenHeightCm);
        EXPECT_TRUE(MonitorOverrideName(info) == block.overrideName) << MonitorOverrideName(info).buffer;
        EXPECT_TRUE(ParseEdid(edid.bytes, 256, info));
    }
}

TEST(EdidParse, BrokenBlocksAreRefused) {
    EdidInfo info{};
    EdidBuilder good = GoodMonitor();
    const unsigned char* bytes = good.Finish("good");
    EXPECT_FALSE(ParseEdid(bytes, 127, info)); // truncated
    EXPECT_FALSE(ParseEdid(bytes, 0, info));
    EXPECT_FALSE(ParseEdid(nullptr, 128, info));

    // edid-decode: "Invalid checksum 0x21 (should be 0x31)".
    EdidBuilder damaged = GoodMonitor();
    damaged.Finish("unused");
    damaged.bytes[66] ^= 0x10; // one bit of the image width
    damaged.Dump("bad-checksum");
    EXPECT_FALSE(ParseEdid(damaged.bytes, 128, info));

    // edid-decode refuses it: "No EDID header found".
    EdidBuilder headless = GoodMonitor();
    headless.bytes[7] = 0xFF;
    EXPECT_FALSE(ParseEdid(headless.Finish("bad-header"), 128, info));
}

TEST(MonitorOverride, WellFormedSizes) {
    const struct {
        const char* text;
        double width, height;
    } cases[] = {
        {"597x336", 597, 336},           {"597.7x336.25", 597.7, 336.25},
        {" 310 X 174 ", 310, 174},       {"597,7x336,25", 597.7, 336.25}, // the Italian decimal mark
        {"597,5 x 336.5", 597.5, 336.5},                                  // and beside a point
    };
    for (const auto& c : cases) {
        double width = 0, height = 0;
        EXPECT_TRUE(ParseMonitorOverride(c.text, width, height)) << c.text;
        EXPECT_DOUBLE_EQ(width, c.width) << c.text;
        EXPECT_DOUBLE_EQ(height, c.height) << c.text;
    }
}

TEST(MonitorOverride, MalformedSizesLeaveTheFiguresAlone) {
    const char* malformed[] = {"",         "597",     "597x",        "x336",    "597x336mm", "-597x336",
                               "0x336",    "597x0",   "597,7,5x336", "1e3x500", "597x336x2", "1234567x5",
                               "597.x336", "597 336", "597*336",     "0x0",     "597x 336.", ".5x336",
                               "597,x336", ",5x336",  "597.7,5x336", "597;336"};
    for (const char* text : malformed) {
        double width = 7, height = 8;
        EXPECT_FALSE(ParseMonitorOverride(text, width, height)) << '"' << text << '"';
        EXPECT_EQ(width, 7);
        EXPECT_EQ(height, 8);
    }
    double width = 7, height = 8;
    EXPECT_FALSE(ParseMonitorOverride(nullptr, width, height));
}

// The rule: the longer side from 180 to 3000 mm, a pixel's width over its height within
// 1.15 either way.
TEST(MonitorPlausibility, RangeOfSizesAndSquarePixels) {
    EXPECT_TRUE(IsPlausibleSize(597, 336, 1920, 1080));
    EXPECT_TRUE(IsPlausibleSize(336, 597, 1080, 1920)); // portrait
    EXPECT_TRUE(IsPlausibleSize(180, 101.25, 1920, 1080));
    EXPECT_FALSE(IsPlausibleSize(179, 100.7, 1920, 1080));
    EXPECT_TRUE(IsPlausibleSize(3000, 1687.5, 1920, 1080));
    EXPECT_FALSE(IsPlausibleSize(3001, 1688, 1920, 1080));
    // A 16:10 mode on a 16:9 size: pixels (597/1920) / (336/1200) = 1.11 as wide as high.
    EXPECT_TRUE(IsPlausibleSize(597, 336, 1920, 1200));
    // A 5:4 mode on it: 1.42.
    EXPECT_FALSE(IsPlausibleSize(597, 336, 1280, 1024));
    // Unrotated size for a portrait mode: 3.16.
    EXPECT_FALSE(IsPlausibleSize(597, 336, 1080, 1920));
    EXPECT_FALSE(IsPlausibleSize(0, 0, 1920, 1080));
    EXPECT_FALSE(IsPlausibleSize(597, 0, 1920, 1080));
    EXPECT_FALSE(IsPlausibleSize(597, 336, 0, 1080));
    EXPECT_FALSE(IsPlausibleSize(std::numeric_limits<double>::quiet_NaN(), 336, 1920, 1080));
}

MonitorFacts FactsFor(long width, long height, const EdidInfo* edid, const char* overrideText = nullptr) {
    // The driver's figures of Wine at 96 dpi: 508 x 286 mm for 1920 x 1080.
    return MonitorFacts{100, -50, 100 + width, -50 + height, 0, edid, overrideText, 508, 286, 1920, 1080};
}

// Where a monitor's size comes from: the user's statement first, then the first detailed
// timing's image size, then the basic block's centimetres, and the driver's figures
// (508 / 1920 mm per pixel, FactsFor) when none is believable. Each case is a monitor at
// (100, -50) of the given pixels and quarter turns, with the EDID (none where its
// manufacturer is empty) and the user's text; kAny: that factor is not looked at.
TEST(CalibrateMonitor, EachSourceServesInItsTurn) {
    const double kAny = std::numeric_limits<double>::quiet_NaN();
    const MonitorSizeSource Timing = MonitorSizeSource::DetailedTiming, Basic = MonitorSizeSource::BasicBlock,
                            Driver = MonitorSizeSource::Fallback, User = MonitorSizeSource::Override;
    // Sizes that TVs state whatever their real size (160 x 90 cm, 160 x 100 cm) are no
    // size. A real 32-inch 16:9 screen is 698 x 393 mm, rounded to 70 x 39 cm; a 72-inch
    // set's real 1594 x 897 mm is not the placeholder.
    const EdidInfo tv{"SAM", 0x0F00, 1, 1600, 900, 160, 90}, tv1610{"SAM", 0x0F00, 1, 1600, 1000, 160, 100},
        tvBasicOnly{"SAM", 0x0F00, 1, 0, 0, 160, 90}, tvRealBasic{"SAM", 0x0F00, 1, 1600, 900, 70, 39},
        tvRealTiming{"SAM", 0x0F00, 1, 698, 393, 160, 90}, nearTv{"SAM", 0x0F00, 1, 1594, 897, 159, 90},
        none{};
    const struct {
        const char* what;
        const EdidInfo& edid;
        long width, height;
        int turns;
        const char* overrideText;
        MonitorSizeSource source;
        double mmPerPixelX, mmPerPixelY;
    } cases[] = {
        {"the detailed timing first", kGood, 1920, 1080, 0, nullptr, Timing, 597.0 / 1920, 336.0 / 1080},
        // The monitor turned a quarter: the mode is 1080 x 1920 and the EDID's size is
        // swapped. Upside down is still landscape. A portrait mode said to be unrotated
        // fits neither EDID size.
        {"portrait", kGood, 1080, 1920, 1, nullptr, Timing, 336.0 / 1080, 597.0 / 1920},
        {"portrait the other way", kGood, 1080, 1920, 3, nullptr, Timing, 336.0 / 1080, 597.0 / 1920},
        {"upside down", kGood, 1920, 1080, 2, nullptr, Timing, 597.0 / 1920, 336.0 / 1080},
        {"portrait, unrotated", kGood, 1080, 1920, 0, nullptr, Driver, 508.0 / 1920, kAny},
        // Image sizes outside the believable range: 60 x 34 "mm" below it, 3440 x 1940
        // above it; the basic block's centimetres serve.
        {"image in cm", kImageInCm, 1920, 1080, 0, nullptr, Basic, 600.0 / 1920, 340.0 / 1080},
        {"ten times", kTenTimes, 1920, 1080, 0, nullptr, Basic, 340.0 / 1920, 190.0 / 1080},
        // No size anywhere, and 16 x 9 "cm" (160 mm is below the range).
        {"projector", kProjector, 1920, 1080, 0, nullptr, Driver, 508.0 / 1920, 286.0 / 1080},
        {"ratio as cm", kRatioAsCm, 1920, 1080, 0, nullptr, Driver, kAny, kAny},
        {"a 32-inch TV saying 160 x 90", tv, 1920, 1080, 0, nullptr, Driver, 508.0 / 1920, kAny},
        {"16:10 placeholder", tv1610, 1920, 1200, 0, nullptr, Driver, 508.0 / 1920, kAny},
        {"placeholder only in the basic block", tvBasicOnly, 1920, 1080, 0, nullptr, Driver, 508.0 / 1920,
         kAny},
        {"placeholder timing, real basic block", tvRealBasic, 1920, 1080, 0, nullptr, Basic, 700.0 / 1920,
         kAny},
        {"real timing, placeholder basic block", tvRealTiming, 1920, 1080, 0, nullptr, Timing, 698.0 / 1920,
         kAny},
        {"a size near it", nearTv, 1920, 1080, 0, nullptr, Timing, 1594.0 / 1920, kAny},
        {"the placeholder in portrait", tv, 1080, 1920, 1, nullptr, Driver, kAny, kAny},
        // The user's size comes before the EDID, turned to the mode's shape if written the
        // other way round; the owner of a set that really is 1600 x 900 mm may state it,
        // and so may the owner of a small portable monitor below the EDID range. 0.3125 is
        // 600 / 1920 and 337.5 / 1080.
        {"the user's size", kGood, 1920, 1080, 0, "600x337.5", User, 0.3125, 0.3125},
        {"the user's size turned", kGood, 1920, 1080, 0, "337.5x600", User, 0.3125, kAny},
        {"the user's placeholder", tv, 1920, 1080, 0, "1600x900", User, 1600.0 / 1920, kAny},
        {"a portable monitor", none, 1920, 1080, 0, "155x87", User, 155.0 / 1920, kAny},
        // Malformed or implausible (pixels twice as wide as high): the EDID's size serves.
        {"malformed", kGood, 1920, 1080, 0, "597 by 336", Timing, kAny, kAny},
        {"pixels twice as wide", kGood, 1920, 1080, 0, "600x168", Timing, kAny, kAny},
        {"too small", kGood, 1920, 1080, 0, "5x3", Timing, kAny, kAny},
        {"too large", kGood, 1920, 1080, 0, "20000x11250", Timing, kAny, kAny},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        MonitorFacts facts =
            FactsFor(c.width, c.height, c.edid.manufacturer[0] != '\0' ? &c.edid : nullptr, c.overrideText);
        facts.rotationQuarterTurns = c.turns;
        MonitorSizeSource source;
        MonitorArea area = CalibrateMonitor(facts, source);
        EXPECT_EQ(source, c.source);
        EXPECT_EQ(area.left, 100);
        EXPECT_EQ(area.top, -50);
        EXPECT_EQ(area.right, 100 + c.width);
        EXPECT_EQ(area.bottom, -50 + c.height);
        if (!std::isnan(c.mmPerPixelX)) {
            EXPECT_DOUBLE_EQ(area.mmPerPixelX, c.mmPerPixelX);
            // The same from the call that does not report the source.
            EXPECT_DOUBLE_EQ(CalibrateMonitor(facts).mmPerPixelX, c.mmPerPixelX);
        }
        if (!std::isnan(c.mmPerPixelY)) {
            EXPECT_DOUBLE_EQ(area.mmPerPixelY, c.mmPerPixelY);
        }
    }
}

// No EDID at all, and a driver that reports nothing: that monitor counts nothing. A
// monitor rectangle as wide as the 32-bit coordinates allow: no overflow, and no size
// fits it, so the driver's figures serve.
TEST(CalibrateMonitor, ExtremeRectanglesStayDefined) {
    MonitorFacts blind = FactsFor(1920, 1080, nullptr);
    blind.fallbackWidthMm = 0;
    blind.fallbackHeightPixels = 0;
    MonitorSizeSource source;
    MonitorArea area = CalibrateMonitor(blind, source);
    EXPECT_EQ(source, MonitorSizeSource::Fallback);
    EXPECT_EQ(area.mmPerPixelX, 0);
    EXPECT_EQ(area.mmPerPixelY, 0);

    MonitorFacts facts = FactsFor(1920, 1080, &kGood, "597x336");
    facts.left = std::numeric_limits<int>::min();
    facts.right = std::numeric_limits<int>::max();
    area = CalibrateMonitor(facts, source);
    EXPECT_EQ(source, MonitorSizeSource::Fallback);
    EXPECT_EQ(area.left, std::numeric_limits<int>::min());
    EXPECT_DOUBLE_EQ(area.mmPerPixelX, 508.0 / 1920);
}

} // namespace
