#include "engine/DisplayTexts.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <ostream>
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

// One text for one state: which text, the distance in centimetres, the unit's divisor,
// the speed (the highest for the odometer's cells, the current one for the speed text)
// and what must be shown. The expected texts are written out by hand from the rules in
// the comments beside them.
enum class Text { Tooltip, Distance, MaxSpeed, Speed };

struct TextCase {
    Text text;
    double distanceCm;
    double unitDivisor;
    double speed;
    const char* expected;
};

std::string Shown(const TextCase& entry) {
    OdometerState state = StateOf(entry.distanceCm, entry.unitDivisor, entry.speed);
    switch (entry.text) {
    case Text::Tooltip:
        return Tooltip(state);
    case Text::Distance:
        return Distance(state);
    case Text::MaxSpeed:
        return MaxSpeed(state);
    case Text::Speed:
        return SpeedText(entry.speed);
    }
    return "?";
}

// A failing case names itself in GoogleTest's message.
void PrintTo(const TextCase& entry, std::ostream* out) {
    static const char* const kNames[] = {"tooltip", "distance cells", "highest speed cells", "speed text"};
    *out << kNames[static_cast<int>(entry.text)] << " of " << entry.distanceCm << " cm, unit "
         << entry.unitDivisor << ", speed " << entry.speed << ": \"" << entry.expected << '"';
}

class DisplayTextCases : public ::testing::TestWithParam<TextCase> {};

TEST_P(DisplayTextCases, ShowTheExpectedText) { EXPECT_EQ(Shown(GetParam()), GetParam().expected); }

const TextCase kExamples[] = {
    {Text::Tooltip, 12345.4, 1, 0, "Percorsi 12345 cm."},
    {Text::Tooltip, 12345.4, 100, 0, "Percorsi 123.45 m."},
    {Text::Tooltip, 12345.4, 100000, 0, "Percorsi 0.12345 km."},
    {Text::Distance, 12345.4, 1, 0, "~~~~~12345"},
    {Text::Distance, 12345.4, 100, 0, "~~~~123.45"},
    {Text::Distance, 12345.4, 100000, 0, "~~~0.12345"},
    // The highest speed is in metres per hour whatever the unit.
    {Text::MaxSpeed, 12345.4, 1, 720, "~~7.20"},
    {Text::MaxSpeed, 12345.4, 100, 720, "~~7.20"},
    {Text::MaxSpeed, 12345.4, 100000, 720, "~~7.20"},
};
INSTANTIATE_TEST_SUITE_P(Examples, DisplayTextCases, ::testing::ValuesIn(kExamples));

const TextCase kZeroDistance[] = {
    {Text::Distance, 0, 1, 0, "~~~~~~~~~0"},      {Text::Distance, 0, 100, 0, "~~~~~~0.00"},
    {Text::Distance, 0, 100000, 0, "~~~0.00000"}, {Text::Tooltip, 0, 1, 0, "Percorsi 0 cm."},
    {Text::MaxSpeed, 0, 1, 0, "~~0.00"},
};
INSTANTIATE_TEST_SUITE_P(ZeroInEveryUnit, DisplayTextCases, ::testing::ValuesIn(kZeroDistance));

const TextCase kSpeeds[] = {
    {Text::Speed, 0, 1, 720, "7.20 m/h"},
    {Text::Speed, 0, 1, 0, "0.00 m/h"},
    {Text::Speed, 0, 1, -320, "-3.20 m/h"},
    {Text::Speed, 0, 1, 123456, "1234.56 m/h"},
};
INSTANTIATE_TEST_SUITE_P(SpeedTexts, DisplayTextCases, ::testing::ValuesIn(kSpeeds));

const TextCase kHalfwayCases[] = {
    // Exactly representable halves: round half to even, as the C standard's
    // correctly rounded conversion gives (the old Windows runtime rounds them up).
    {Text::Distance, 2.5, 1, 0, "~~~~~~~~~2"},
    {Text::Distance, 3.5, 1, 0, "~~~~~~~~~4"},
    {Text::Distance, 12.5, 100, 0, "~~~~~~0.12"},
    {Text::Distance, 37.5, 100, 0, "~~~~~~0.38"},
    {Text::Tooltip, 0.5, 1, 0, "Percorsi 0 cm."},
    {Text::Tooltip, 12.5, 100, 0, "Percorsi 0.12 m."},
    {Text::MaxSpeed, 0, 1, 12.5, "~~0.12"},
    // Near-halves decide by their true binary value: 1.005 is stored just below.
    {Text::Distance, 100.5, 100, 0, "~~~~~~1.00"},
    {Text::Distance, 0.0000015 * 100000, 100000, 0, "~~~0.00000"},
    // The tooltip multiplies by 0.01 while the cells divide by 100.
    {Text::Tooltip, 1234.5, 100, 0, "Percorsi 12.35 m."},
    {Text::Distance, 1234.5, 100, 0, "~~~~~12.35"},
};
INSTANTIATE_TEST_SUITE_P(HalfwayCasesRoundTheSameEverywhere, DisplayTextCases,
                         ::testing::ValuesIn(kHalfwayCases));

const TextCase kPaddingAndOverflow[] = {
    {Text::Distance, 1234567890, 1, 0, "1234567890"},
    {Text::Distance, 12345678901.0, 1, 0, "12345678901"},
    {Text::Distance, 999999999, 100, 0, "9999999.99"},
    {Text::Distance, 1e9, 100, 0, "10000000.00"},
    {Text::Distance, 999999999, 100000, 0, "9999.99999"},
    {Text::MaxSpeed, 0, 1, 99999, "999.99"},
    {Text::MaxSpeed, 0, 1, 100000, "1000.00"},
    {Text::Distance, -250, 1, 0, "~~~~~~-250"},
    // An unknown unit shows centimetres.
    {Text::Distance, 12345.4, 0, 0, "~~~~~12345"},
    {Text::Tooltip, 12345.4, 7, 0, "Percorsi 12345 cm."},
};
INSTANTIATE_TEST_SUITE_P(CellsAndUnknownUnits, DisplayTextCases, ::testing::ValuesIn(kPaddingAndOverflow));

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

TEST(DisplayTexts, PadDigitsFillsFromTheLeft) {
    EXPECT_EQ(PadDigits(TextString("12"), 6).buffer, std::string("~~~~12"));
    EXPECT_EQ(PadDigits(TextString(""), 3).buffer, std::string("~~~"));
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
