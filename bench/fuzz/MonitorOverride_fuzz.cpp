// The user's own monitor size, "WIDTHxHEIGHT" in millimetres: what is taken agrees with
// the C library's reading of the same text, and a size used for the monitor lies within
// the range the user may state.
#include <cmath>
#include <cstdlib>
#include <string>

#include "bench/fuzz/FuzzInput.h"
#include "engine/Edid.h"

namespace {

bool Close(double a, double b) { return std::fabs(a - b) <= 1e-9 * std::fabs(b); }

// The C library's reading: blanks and tabs around, a point or a comma, an x or an X between.
bool LibraryReading(std::string text, double& width, double& height) {
    for (char& c : text) {
        c = c == ',' ? '.' : c == 'X' ? 'x' : c;
    }
    std::size_t x = text.find('x');
    if (x == std::string::npos) {
        return false;
    }
    std::string first = text.substr(0, x), second = text.substr(x + 1);
    char* end = nullptr;
    width = std::strtod(first.c_str(), &end);
    bool firstWhole =
        end != first.c_str() && first.find_first_not_of(" \t", end - first.c_str()) == std::string::npos;
    height = std::strtod(second.c_str(), &end);
    bool secondWhole =
        end != second.c_str() && second.find_first_not_of(" \t", end - second.c_str()) == std::string::npos;
    return firstWhole && secondWhole;
}

} // namespace

// Input: two bytes of pixel counts, then the text.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput input(data, size);
    long width = 1 + input.Byte() * 16L;
    long height = 1 + input.Byte() * 16L;
    std::string text = input.Rest();
    text.resize(std::char_traits<char>::length(text.c_str()));

    double widthMm = 0, heightMm = 0;
    if (ParseMonitorOverride(text.c_str(), widthMm, heightMm)) {
        FUZZ_CHECK(std::isfinite(widthMm) && widthMm > 0 && std::isfinite(heightMm) && heightMm > 0);
        double libraryWidth = 0, libraryHeight = 0;
        FUZZ_CHECK(LibraryReading(text, libraryWidth, libraryHeight));
        FUZZ_CHECK(Close(widthMm, libraryWidth) && Close(heightMm, libraryHeight));
    }

    MonitorFacts facts{};
    facts.right = width;
    facts.bottom = height;
    facts.overrideText = text.c_str();
    MonitorSizeSource source;
    MonitorArea area = CalibrateMonitor(facts, source);
    if (source == MonitorSizeSource::Override) {
        double longer = std::fmax(area.mmPerPixelX * static_cast<double>(width),
                                  area.mmPerPixelY * static_cast<double>(height));
        FUZZ_CHECK(longer >= kMinOverrideSideMm - 1e-9 && longer <= kMaxOverrideSideMm + 1e-9);
    }
    return 0;
}
