// The display unit and the rules that turn the measurement into the texts that show it:
// the tray tooltip, the odometer's digit strings and the speed labels. The program's
// other texts are in UserTexts.h.
#ifndef SKITTERA_ENGINE_DISPLAYTEXTS_H
#define SKITTERA_ENGINE_DISPLAYTEXTS_H

#include <cstddef>

#include "engine/OdometerState.h"
#include "support/TextString.h"

struct DistanceUnit {
    double divisor;           // value of unitDivisor
    const char* name;         // stored in the settings, shown on the radio button
    const char* abbreviation; // the dialog's unit label
    double tooltipFactor;     // the tooltip multiplies the centimetres by this constant
    int decimals;             // decimals of the tooltip and of the odometer digits
};

constexpr double kCentimetres = 1;
constexpr double kMetres = 100;
constexpr double kKilometres = 100000;

// The unit whose divisor equals the given one exactly, or null for any other value.
const DistanceUnit* FindUnitByDivisor(double divisor);
// The unit every display and the store use for a divisor: the one that matches it
// exactly, and centimetres for one that matches none (it cannot arise once the
// program has started).
const DistanceUnit& UnitOrCentimetres(double divisor);
// The unit whose stored name equals the text byte for byte, or null.
const DistanceUnit* FindUnitByName(const char* name);

constexpr int kDistanceCells = 10;
constexpr int kSpeedCells = 6;
constexpr std::size_t kTooltipCapacity = 64; // the tray record's tip, terminating zero included
constexpr std::size_t kSpeedTextCapacity = 256;

void FormatTooltipText(const OdometerState& state, char* text, std::size_t capacity);
TextString FormatDistanceDigits(const OdometerState& state);
TextString FormatMaxSpeedDigits(const OdometerState& state);
void FormatSpeedText(double speed, char* text, std::size_t capacity);

TextString PadDigits(const TextString& digits, int cells);

#endif
