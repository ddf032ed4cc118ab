#include "engine/Edid.h"

#include "support/DecimalText.h"

namespace {

const unsigned char kEdidHeader[8] = {0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00};

// Offsets in the 128-byte base block.
constexpr int kManufacturerOffset = 8; // big-endian, three 5-bit letters, 1 = 'A'
constexpr int kProductOffset = 10;
constexpr int kSerialOffset = 12;
constexpr int kScreenWidthCmOffset = 21;
constexpr int kScreenHeightCmOffset = 22;
constexpr int kFirstDescriptorOffset = 54; // pixel clock (2 bytes, 0 for a display descriptor)
constexpr int kImageWidthLowOffset = 54 + 12;
constexpr int kImageHeightLowOffset = 54 + 13;
constexpr int kImageSizeHighOffset = 54 + 14; // upper nibble: width bits 8-11, lower: height

char ManufacturerLetter(unsigned code) {
    return code >= 1 && code <= 26 ? static_cast<char>('A' + code - 1) : '?';
}

// Sizes that monitors state when they do not know their own: many TVs and some projectors
// say 160 x 90 cm (or 1600 x 900 mm in the detailed timing), the 16:9 shape scaled up,
// whatever the set's real size, and 160 x 100 cm for 16:10. A 32-inch TV that says so
// would count 2.3 times too far. GNOME's and Chromium's display code pass over the same
// sizes for the same reason. The shape alone written as a size (16 x 9, 16 x 10, 160 x 90
// mm) is below kMinMonitorSideMm already. A set that really is 1600 x 900 mm (72 inches)
// is measured with the driver's figures, or the user states its size.
struct PlaceholderSize {
    int widthMm;
    int heightMm;
};
const PlaceholderSize kPlaceholderSizes[] = {{1600, 900}, {1600, 1000}};

// Either way round: the monitor states its size unrotated, but never mind how it is built.
bool IsPlaceholderSize(int widthMm, int heightMm) {
    for (const PlaceholderSize& size : kPlaceholderSizes) {
        if ((widthMm == size.widthMm && heightMm == size.heightMm) ||
            (widthMm == size.heightMm && heightMm == size.widthMm)) {
            return true;
        }
    }
    return false;
}

bool IsPortrait(int rotationQuarterTurns) { return (rotationQuarterTurns & 1) != 0; }

bool FitsScreen(double widthMm, double heightMm, double widthPixels, double heightPixels, double minSideMm,
                double maxSideMm) {
    if (!(widthPixels > 0 && heightPixels > 0)) {
        return false;
    }
    double longer = widthMm > heightMm ? widthMm : heightMm;
    double shorter = widthMm > heightMm ? heightMm : widthMm;
    // Written so that a NaN fails each test.
    if (!(shorter > 0 && longer >= minSideMm && longer <= maxSideMm)) {
        return false;
    }
    double pixelAspect = (widthMm / widthPixels) / (heightMm / heightPixels);
    return pixelAspect <= kMaxPixelAspect && pixelAspect >= 1 / kMaxPixelAspect;
}

// One decimal number of the override: digits, optionally a decimal mark and more digits.
// The mark is a point or a comma: an Italian user writes "597,7".
bool ReadDecimal(const char*& text, double& value) {
    constexpr int kMaxIntegerDigits = 6;
    constexpr int kMaxFractionDigits = 6;
    int digits = 0;
    value = 0;
    while (IsDigit(*text)) {
        if (++digits > kMaxIntegerDigits) {
            return false;
        }
        value = value * 10 + (*text++ - '0');
    }
    if (digits == 0) {
        return false;
    }
    if (*text == '.' || *text == ',') {
        ++text;
        double scale = 0.1;
        int fraction = 0;
        while (IsDigit(*text)) {
            if (++fraction > kMaxFractionDigits) {
                return false;
            }
            value += (*text++ - '0') * scale;
            scale /= 10;
        }
        if (fraction == 0) {
            return false;
        }
    }
    return true;
}

void SkipSpaces(const char*& text) {
    while (*text == ' ' || *text == '\t') {
        ++text;
    }
}

// In double: the difference of two 32-bit coordinates need not fit in 32 bits.
double PixelSpan(long low, long highExclusive) {
    return static_cast<double>(highExclusive) - static_cast<double>(low);
}

MonitorArea WithSize(const MonitorFacts& facts, double widthMm, double heightMm) {
    MonitorArea area;
    area.left = facts.left;
    area.top = facts.top;
    area.right = facts.right;
    area.bottom = facts.bottom;
    area.mmPerPixelX = widthMm / PixelSpan(facts.left, facts.right);
    area.mmPerPixelY = heightMm / PixelSpan(facts.top, facts.bottom);
    return area;
}

double FallbackFactor(int sizeMm, int pixels) {
    if (sizeMm <= 0 || pixels <= 0) {
        return 0;
    }
    return static_cast<double>(sizeMm) / static_cast<double>(pixels);
}

} // namespace

// Reads the base block of an EDID. Fails for a block shorter than 128 bytes, with another
// header or a wrong checksum (all 128 bytes add up to 0 modulo 256). Sizes the monitor
// does not give are 0: an image size needs a detailed timing descriptor (non-zero pixel
// clock) in the first descriptor slot; a screen size needs both bytes, as EDID 1.4 puts
// an aspect ratio where only one of them is set.
bool ParseEdid(const unsigned char* bytes, std::size_t length, EdidInfo& info) {
    if (bytes == nullptr || length < kEdidBlockLength) {
        return false;
    }
    unsigned sum = 0;
    for (std::size_t index = 0; index < kEdidBlockLength; ++index) {
        if (index < sizeof kEdidHeader && bytes[index] != kEdidHeader[index]) {
            return false;
        }
        sum += bytes[index];
    }
    if ((sum & 0xFF) != 0) {
        return false;
    }

    unsigned letters =
        (static_cast<unsigned>(bytes[kManufacturerOffset]) << 8) | bytes[kManufacturerOffset + 1];
    info.manufacturer[0] = ManufacturerLetter((letters >> 10) & 0x1F);
    info.manufacturer[1] = ManufacturerLetter((letters >> 5) & 0x1F);
    info.manufacturer[2] = ManufacturerLetter(letters & 0x1F);
    info.manufacturer[3] = '\0';
    info.productCode = bytes[kProductOffset] | (static_cast<unsigned>(bytes[kProductOffset + 1]) << 8);
    info.serialNumber = static_cast<unsigned long>(bytes[kSerialOffset]) |
                        (static_cast<unsigned long>(bytes[kSerialOffset + 1]) << 8) |
                        (static_cast<unsigned long>(bytes[kSerialOffset + 2]) << 16) |
                        (static_cast<unsigned long>(bytes[kSerialOffset + 3]) << 24);

    int widthCm = bytes[kScreenWidthCmOffset];
    int heightCm = bytes[kScreenHeightCmOffset];
    bool bothGiven = widthCm != 0 && heightCm != 0;
    info.screenWidthCm = bothGiven ? widthCm : 0;
    info.screenHeightCm = bothGiven ? heightCm : 0;

    bool detailedTiming = bytes[kFirstDescriptorOffset] != 0 || bytes[kFirstDescriptorOffset + 1] != 0;
    info.imageWidthMm = 0;
    info.imageHeightMm = 0;
    if (detailedTiming) {
        unsigned high = bytes[kImageSizeHighOffset];
        info.imageWidthMm = static_cast<int>(bytes[kImageWidthLowOffset] | ((high & 0xF0) << 4));
        info.imageHeightMm = static_cast<int>(bytes[kImageHeightLowOffset] | ((high & 0x0F) << 8));
    }
    return true;
}

// The registry value name that keys a monitor's size: the EDID's manufacturer, product
// code and serial number, which stay the same across reboots, ports and graphics cards.
TextString MonitorOverrideName(const EdidInfo& info) {
    TextString name;
    char manufacturer[4];
    for (int index = 0; index < 3; ++index) {
        char letter = info.manufacturer[index];
        manufacturer[index] = letter >= 'A' && letter <= 'Z' ? letter : '?';
    }
    manufacturer[3] = '\0';
    name.Format("SkitSchermo.%s%04X.%08lX", manufacturer, info.productCode & 0xFFFFu,
                info.serialNumber & 0xFFFFFFFFul);
    return name;
}

// "WIDTHxHEIGHT" in millimetres, such as "597x336", "597.7 x 336.2" or "597,7x336,2": a
// point or a comma as decimal mark, spaces allowed around the numbers, an upper-case X
// too. Anything else is refused.
bool ParseMonitorOverride(const char* text, double& widthMm, double& heightMm) {
    if (text == nullptr) {
        return false;
    }
    double width, height;
    SkipSpaces(text);
    if (!ReadDecimal(text, width)) {
        return false;
    }
    SkipSpaces(text);
    if (*text != 'x' && *text != 'X') {
        return false;
    }
    ++text;
    SkipSpaces(text);
    if (!ReadDecimal(text, height)) {
        return false;
    }
    SkipSpaces(text);
    if (*text != '\0' || width <= 0 || height <= 0) {
        return false;
    }
    widthMm = width;
    heightMm = height;
    return true;
}

bool IsPlausibleSize(double widthMm, double heightMm, long widthPixels, long heightPixels) {
    return FitsScreen(widthMm, heightMm, static_cast<double>(widthPixels), static_cast<double>(heightPixels),
                      kMinMonitorSideMm, kMaxMonitorSideMm);
}

MonitorArea CalibrateMonitor(const MonitorFacts& facts) {
    MonitorSizeSource source;
    return CalibrateMonitor(facts, source);
}

// Millimetres per physical pixel of one monitor, from the first of these that is there
// and believable (and, from the EDID, not a placeholder): the user's own size for it; the
// image size of the EDID's detailed timing; the screen size of the EDID's basic block;
// and last what the display driver reports (its size over its resolution), as for a
// single screen.
// The EDID gives the monitor's size unrotated, so a portrait rotation swaps it. The user
// may write the size either way round: it is turned to the shape of the current mode.
MonitorArea CalibrateMonitor(const MonitorFacts& facts, MonitorSizeSource& source) {
    double widthPixels = PixelSpan(facts.left, facts.right);
    double heightPixels = PixelSpan(facts.top, facts.bottom);

    double width, height;
    if (ParseMonitorOverride(facts.overrideText, width, height)) {
        if ((width > height) != (widthPixels > heightPixels) && width != height) {
            double swap = width;
            width = height;
            height = swap;
        }
        if (FitsScreen(width, height, widthPixels, heightPixels, kMinOverrideSideMm, kMaxOverrideSideMm)) {
            source = MonitorSizeSource::Override;
            return WithSize(facts, width, height);
        }
    }

    if (facts.edid != nullptr) {
        bool portrait = IsPortrait(facts.rotationQuarterTurns);
        const EdidInfo& edid = *facts.edid;
        double imageWidth = portrait ? edid.imageHeightMm : edid.imageWidthMm;
        double imageHeight = portrait ? edid.imageWidthMm : edid.imageHeightMm;
        if (!IsPlaceholderSize(edid.imageWidthMm, edid.imageHeightMm) &&
            FitsScreen(imageWidth, imageHeight, widthPixels, heightPixels, kMinMonitorSideMm,
                       kMaxMonitorSideMm)) {
            source = MonitorSizeSource::DetailedTiming;
            return WithSize(facts, imageWidth, imageHeight);
        }
        double screenWidth = 10.0 * (portrait ? edid.screenHeightCm : edid.screenWidthCm);
        double screenHeight = 10.0 * (portrait ? edid.screenWidthCm : edid.screenHeightCm);
        if (!IsPlaceholderSize(10 * edid.screenWidthCm, 10 * edid.screenHeightCm) &&
            FitsScreen(screenWidth, screenHeight, widthPixels, heightPixels, kMinMonitorSideMm,
                       kMaxMonitorSideMm)) {
            source = MonitorSizeSource::BasicBlock;
            return WithSize(facts, screenWidth, screenHeight);
        }
    }

    source = MonitorSizeSource::Fallback;
    MonitorArea area;
    area.left = facts.left;
    area.top = facts.top;
    area.right = facts.right;
    area.bottom = facts.bottom;
    area.mmPerPixelX = FallbackFactor(facts.fallbackWidthMm, facts.fallbackWidthPixels);
    area.mmPerPixelY = FallbackFactor(facts.fallbackHeightMm, facts.fallbackHeightPixels);
    return area;
}
