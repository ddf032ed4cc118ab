#include "engine/DisplayTexts.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include <gtest/gtest.h>

namespace {

OdometerState StateOf(double distanceCm, double unitDivisor, double maxSpeed = 0) {
    OdometerState state;
    state.distanceCm = distanceCm;
    state.unitDivisor = unitDivisor;
    state.maxSpeed = maxSpeed;
    return state;
}

std::string Tooltip(const OdometerState& state) {
    char text[kTooltipCapacity];
    std::memset(text, '#', sizeof text);
    FormatTooltipText(state, text, sizeof text);
    return text;
}

std::string SpeedText(double speed) {
    char text[kSpeedTextCapacity];
    FormatSpeedText(speed, text, sizeof text);
    return text;
}

std::string Distance(const OdometerState& state) { return FormatDistanceDigits(state).buffer; }
std::string MaxSpeed(const OdometerState& state) { return FormatMaxSpeedDigits(state).buffer; }

TEST(DistanceUnits, NamesAndAbbreviations) {
    ASSERT_NE(FindUnitByDivisor(1), nullptr);
    EXPECT_STREQ(FindUnitByDivisor(1)->name, "Centimetri");
    EXPECT_STREQ(FindUnitByDivisor(100)->name, "Metri");
    EXPECT_STREQ(FindUnitByDivisor(100000)->name, "Chilometri");
    EXPECT_STREQ(FindUnitByDivisor(1)->abbreviation, "cm");
    EXPECT_STREQ(FindUnitByDivisor(100)->abbreviation, "m");
    EXPECT_STREQ(FindUnitByDivisor(100000)->abbreviation, "km");
    EXPECT_EQ(FindUnitByDivisor(0), nullptr);
    EXPECT_EQ(FindUnitByDivisor(100.0000001), nullptr);
    EXPECT_EQ(FindUnitByName("Metri")->divisor, 100);
    EXPECT_EQ(FindUnitByName("Chilometri")->divisor, 100000);
}

TEST(DistanceUnits, StoredNamesMatchOnlyExactly) {
    EXPECT_EQ(FindUnitByName("metri"), nullptr);
    EXPECT_EQ(FindUnitByName("METRI"), nullptr);
    EXPECT_EQ(FindUnitByName(" Metri"), nullptr);
    EXPECT_EQ(FindUnitByName("Metri "), nullptr);
    EXPECT_EQ(FindUnitByName(""), nullptr);
    EXPECT_EQ(FindUnitByName("Chilometri\t"), nullptr);
}

TEST(DisplayTexts, ExampleTable) {
    EXPECT_EQ(Tooltip(StateOf(12345.4, 1)), "Percorsi 12345 cm.");
    EXPECT_EQ(Tooltip(StateOf(12345.4, 100)), "Percorsi 123.45 m.");
    EXPECT_EQ(Tooltip(StateOf(12345.4, 100000)), "Percorsi 0.12345 km.");
    EXPECT_EQ(Distance(StateOf(12345.4, 1)), "~~~~~12345");
    EXPECT_EQ(Distance(StateOf(12345.4, 100)), "~~~~123.45");
    EXPECT_EQ(Distance(StateOf(12345.4, 100000)), "~~~0.12345");
    for (double unit : {1.0, 100.0, 100000.0}) {
        EXPECT_EQ(MaxSpeed(StateOf(12345.4, unit, 720)), "~~7.20");
    }
}

TEST(DisplayTexts, ZeroDistanceInEveryUnit) {
    EXPECT_EQ(Distance(StateOf(0, 1)), "~~~~~~~~~0");
    EXPECT_EQ(Distance(StateOf(0, 100)), "~~~~~~0.00");
    EXPECT_EQ(Distance(StateOf(0, 100000)), "~~~0.00000");
    EXPECT_EQ(Tooltip(StateOf(0, 1)), "Percorsi 0 cm.");
    EXPECT_EQ(MaxSpeed(StateOf(0, 1, 0)), "~~0.00");
}

TEST(DisplayTexts, SpeedTexts) {
    EXPECT_EQ(SpeedText(720), "7.20 m/h");
    EXPECT_EQ(SpeedText(0), "0.00 m/h");
    EXPECT_EQ(SpeedText(-320), "-3.20 m/h");
    EXPECT_EQ(SpeedText(123456), "1234.56 m/h");
}

TEST(DisplayTexts, SwitchingUnitsChangesOnlyTheText) {
    OdometerState state = StateOf(250, 1);
    std::string before = Tooltip(state) + Distance(state);
    state.unitDivisor = 100;
    EXPECT_EQ(Distance(state), "~~~~~~2.50");
    EXPECT_EQ(Tooltip(state), "Percorsi 2.50 m.");
    EXPECT_EQ(state.distanceCm, 250);
    state.unitDivisor = 1;
    EXPECT_EQ(Tooltip(state) + Distance(state), before);
}

TEST(DisplayTexts, HalfwayCasesRoundTheSameEverywhere) {
    // Exactly representable halves: round half to even, as the C standard's
    // correctly rounded conversion gives (the old Windows runtime rounds them up).
    EXPECT_EQ(Distance(StateOf(2.5, 1)), "~~~~~~~~~2");
    EXPECT_EQ(Distance(StateOf(3.5, 1)), "~~~~~~~~~4");
    EXPECT_EQ(Distance(StateOf(12.5, 100)), "~~~~~~0.12");
    EXPECT_EQ(Distance(StateOf(37.5, 100)), "~~~~~~0.38");
    EXPECT_EQ(Tooltip(StateOf(0.5, 1)), "Percorsi 0 cm.");
    EXPECT_EQ(Tooltip(StateOf(12.5, 100)), "Percorsi 0.12 m.");
    EXPECT_EQ(MaxSpeed(StateOf(0, 1, 12.5)), "~~0.12");
    // Near-halves decide by their true binary value: 1.005 is stored just below.
    EXPECT_EQ(Distance(StateOf(100.5, 100)), "~~~~~~1.00");
    EXPECT_EQ(Distance(StateOf(0.0000015 * 100000, 100000)), "~~~0.00000");
    // The tooltip multiplies by 0.01 while the cells divide by 100.
    EXPECT_EQ(Tooltip(StateOf(1234.5, 100)), "Percorsi 12.35 m.");
    EXPECT_EQ(Distance(StateOf(1234.5, 100)), "~~~~~12.35");
}

TEST(DisplayTexts, PaddingAndOverflowOfTheCells) {
    EXPECT_EQ(Distance(StateOf(1234567890, 1)), "1234567890");
    EXPECT_EQ(Distance(StateOf(12345678901.0, 1)), "12345678901");
    EXPECT_EQ(Distance(StateOf(999999999, 100)), "9999999.99");
    EXPECT_EQ(Distance(StateOf(1e9, 100)), "10000000.00");
    EXPECT_EQ(Distance(StateOf(999999999, 100000)), "9999.99999");
    EXPECT_EQ(MaxSpeed(StateOf(0, 1, 99999)), "999.99");
    EXPECT_EQ(MaxSpeed(StateOf(0, 1, 100000)), "1000.00");
    EXPECT_EQ(Distance(StateOf(-250, 1)), "~~~~~~-250");
    EXPECT_EQ(PadDigits(TextString("12"), 6).buffer, std::string("~~~~12"));
    EXPECT_EQ(PadDigits(TextString(""), 3).buffer, std::string("~~~"));
}

TEST(DisplayTexts, AnUnknownUnitShowsCentimetres) {
    EXPECT_EQ(Distance(StateOf(12345.4, 0)), "~~~~~12345");
    EXPECT_EQ(Tooltip(StateOf(12345.4, 7)), "Percorsi 12345 cm.");
}

TEST(DisplayTextsCorruptValues, NotANumberAndInfinityStayReadable) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    for (double unit : {1.0, 100.0, 100000.0}) {
        std::string abbreviation = FindUnitByDivisor(unit)->abbreviation;
        EXPECT_EQ(Tooltip(StateOf(nan, unit)), "Percorsi n/d " + abbreviation + ".");
        EXPECT_EQ(Tooltip(StateOf(-nan, unit)), "Percorsi n/d " + abbreviation + ".");
        EXPECT_EQ(Tooltip(StateOf(inf, unit)), "Percorsi n/d " + abbreviation + ".");
        EXPECT_EQ(Distance(StateOf(nan, unit)), "~~~~~~~n/d");
        EXPECT_EQ(Distance(StateOf(-inf, unit)), "~~~~~~~n/d");
    }
    EXPECT_EQ(MaxSpeed(StateOf(0, 1, inf)), "~~~n/d");
    EXPECT_EQ(SpeedText(nan), "n/d m/h");
    EXPECT_EQ(SpeedText(-inf), "n/d m/h");
}

TEST(DisplayTextsCorruptValues, HugeDistancesFitTheTrayTip) {
    for (double unit : {1.0, 100.0, 100000.0}) {
        for (double distance : {9e48, 1e49, 1e60, 1e300, -1e300, std::numeric_limits<double>::max()}) {
            std::string tip = Tooltip(StateOf(distance, unit));
            EXPECT_LE(tip.size(), kTooltipCapacity - 1) << distance;
            EXPECT_EQ(tip.rfind("Percorsi ", 0), 0u) << tip;
            EXPECT_EQ(tip.back(), '.') << tip;
        }
    }
    // Below 10^49 cm the exact fixed-point text fits; above it the short form is used.
    std::string km = Tooltip(StateOf(9e48, 100000));
    EXPECT_EQ(km.size(), std::strlen("Percorsi  km.") + 44 + 6);
    EXPECT_EQ(km.find("e+"), std::string::npos);
    EXPECT_EQ(Tooltip(StateOf(1e300, 1)), "Percorsi 1e+300 cm.");
    EXPECT_EQ(Tooltip(StateOf(1e300, 100000)), "Percorsi 1e+295 km.");
    // The odometer shows the most significant ten digits of a huge value.
    EXPECT_EQ(Distance(StateOf(1e300, 1)).substr(0, 10), "1000000000");
    EXPECT_EQ(SpeedText(1e300).size(), std::string("1e+298 m/h").size());
}

TEST(DisplayTextsCorruptValues, SmallBuffersAreNeverOverrun) {
    char tiny[8];
    std::memset(tiny, '#', sizeof tiny);
    FormatTooltipText(StateOf(12345.4, 100000), tiny, 6);
    EXPECT_EQ(std::strlen(tiny), 5u);
    EXPECT_EQ(tiny[6], '#');
    std::memset(tiny, '#', sizeof tiny);
    FormatSpeedText(720, tiny, 4);
    EXPECT_EQ(std::strlen(tiny), 3u);
    EXPECT_EQ(tiny[4], '#');
}

} // namespace
