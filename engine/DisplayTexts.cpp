#include "engine/DisplayTexts.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

const DistanceUnit kUnits[] = {
    {kCentimetres, "Centimetri", "cm", 1.0, 0},
    {kMetres, "Metri", "m", 0.01, 2},
    {kKilometres, "Chilometri", "km", 0.00001, 5},
};

// Shown for a value that is not a number at all ("non disponibile"); only a corrupt
// stored distance can lead there.
const char kNotAvailable[] = "n/d";

// A measure as the displays write it: fixed point with the given decimals; a value
// too large for the room left is written in the short exponent form, and a value that
// is not finite as "n/d". The C library's own spellings of infinity and not-a-number
// differ between platforms, so they are never shown.
void FormatMeasure(double value, int decimals, char* text, std::size_t room) {
    if (!std::isfinite(value)) {
        std::snprintf(text, room, "%s", kNotAvailable);
        return;
    }
    int written = std::snprintf(text, room, "%.*f", decimals, value);
    if (written < 0 || static_cast<std::size_t>(written) >= room) {
        std::snprintf(text, room, "%.6g", value);
    }
}

TextString FormatDigits(double value, int decimals, int cells) {
    TextString digits;
    if (std::isfinite(value)) {
        digits.Format("%.*f", decimals, value);
    } else {
        digits = kNotAvailable;
    }
    return PadDigits(digits, cells);
}

} // namespace

const DistanceUnit* FindUnitByDivisor(double divisor) {
    for (const DistanceUnit& unit : kUnits) {
        if (divisor == unit.divisor) {
            return &unit;
        }
    }
    return nullptr;
}

const DistanceUnit& UnitOrCentimetres(double divisor) {
    const DistanceUnit* unit = FindUnitByDivisor(divisor);
    return unit != nullptr ? *unit : kUnits[0];
}

const DistanceUnit* FindUnitByName(const char* name) {
    for (const DistanceUnit& unit : kUnits) {
        if (std::strcmp(name, unit.name) == 0) {
            return &unit;
        }
    }
    return nullptr;
}

// "Percorsi 12345 cm.", "Percorsi 123.45 m.", "Percorsi 0.12345 km.": the distance in
// the chosen unit, always fitting the tray's 63 characters.
void FormatTooltipText(const OdometerState& state, char* text, std::size_t capacity) {
    const DistanceUnit& unit = UnitOrCentimetres(state.unitDivisor);
    const char prefix[] = "Percorsi ";
    std::size_t frame = (sizeof prefix - 1) + 1 + std::strlen(unit.abbreviation) + 1; // " cm." and the like
    char number[kTooltipCapacity];
    std::size_t room = capacity > frame ? capacity - frame : 1;
    if (room > sizeof number) {
        room = sizeof number;
    }
    FormatMeasure(state.distanceCm * unit.tooltipFactor, unit.decimals, number, room);
    std::snprintf(text, capacity, "%s%s %s.", prefix, number, unit.abbreviation);
}

// The ten odometer cells: the distance divided by the unit, right-aligned with "~".
TextString FormatDistanceDigits(const OdometerState& state) {
    const DistanceUnit& unit = UnitOrCentimetres(state.unitDivisor);
    return FormatDigits(state.distanceCm / unit.divisor, unit.decimals, kDistanceCells);
}

// The six highest-speed cells, showing the speed × 0.01 with two decimals.
TextString FormatMaxSpeedDigits(const OdometerState& state) {
    return FormatDigits(state.maxSpeed * 0.01, 2, kSpeedCells);
}

// "7.20 m/h" for a stored speed of 720.
void FormatSpeedText(double speed, char* text, std::size_t capacity) {
    const char suffix[] = " m/h";
    std::size_t frame = sizeof suffix - 1;
    char number[kSpeedTextCapacity];
    std::size_t room = capacity > frame ? capacity - frame : 1;
    if (room > sizeof number) {
        room = sizeof number;
    }
    FormatMeasure(speed * 0.01, 2, number, room);
    std::snprintf(text, capacity, "%s%s", number, suffix);
}

// A digit string shorter than its cells gets "~" (an empty drum) in front of it; an
// exact or longer one is kept as it is, and the display shows its first cells.
TextString PadDigits(const TextString& digits, int cells) {
    if (digits.length >= cells) {
        return digits;
    }
    return TextString('~', cells - digits.length) + digits;
}
