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

// The stored names match only exactly.
TEST(DistanceUnits, NamesAndAbbreviations) {
    const struct {
        double divisor;
        const char* name;
        const char* abbreviation;
    } units[] = {{1, "Centimetri", "cm"}, {100, "Metri", "m"}, {100000, "Chilometri", "km"}};
    for (const auto& unit : units) {
        ASSERT_NE(FindUnitByDivisor(unit.divisor), nullptr);
        EXPECT_STREQ(FindUnitByDivisor(unit.divisor)->name, unit.name);
        EXPECT_STREQ(FindUnitByDivisor(unit.divisor)->abbreviation, unit.abbreviation);
        ASSERT_NE(FindUnitByName(unit.name), nullptr);
        EXPECT_EQ(FindUnitByName(unit.name)->divisor, unit.divisor);
    }
    EXPECT_EQ(FindUnitByDivisor(0), nullptr);
    EXPECT_EQ(FindUnitByDivisor(100.0000001), nullptr);
    for (const char* other : {"metri", "METRI", " Metri", "Metri ", "", "Chilometri\t"}) {
        EXPECT_EQ(FindUnitByName(other), nullptr) << '"' << other << '"';
    }
}

// One text for one state: the distance in centimetres, the unit's divisor, the speed (the
// highest for the odometer's cells, the current one for the speed text), which text, and
// what it must show. The expected texts are written out by hand from the rules in
// the comments beside them.
enum class Text { Tooltip, Distance, MaxSpeed, Speed };

struct TextCase {
    double distanceCm;
    double unitDivisor;
    double speed;
    Text text;
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
    {12345.4, 1, 0, Text::Tooltip, "Percorsi 12345 cm."},
    {12345.4, 100, 0, Text::Tooltip, "Percorsi 123.45 m."},
    {12345.4, 100000, 0, Text::Tooltip, "Percorsi 0.12345 km."},
    {12345.4, 1, 0, Text::Distance, "~~~~~12345"},
    {12345.4, 100, 0, Text::Distance, "~~~~123.45"},
    {12345.4, 100000, 0, Text::Distance, "~~~0.12345"},
    // The highest speed is in metres per hour whatever the unit.
    {12345.4, 1, 720, Text::MaxSpeed, "~~7.20"},
    {12345.4, 100, 720, Text::MaxSpeed, "~~7.20"},
    {12345.4, 100000, 720, Text::MaxSpeed, "~~7.20"},
};
INSTANTIATE_TEST_SUITE_P(Examples, DisplayTextCases, ::testing::ValuesIn(kExamples));

const TextCase kZeroDistance[] = {
    {0, 1, 0, Text::Distance, "~~~~~~~~~0"},      {0, 100, 0, Text::Distance, "~~~~~~0.00"},
    {0, 100000, 0, Text::Distance, "~~~0.00000"}, {0, 1, 0, Text::Tooltip, "Percorsi 0 cm."},
    {0, 1, 0, Text::MaxSpeed, "~~0.00"},
};
INSTANTIATE_TEST_SUITE_P(ZeroInEveryUnit, DisplayTextCases, ::testing::ValuesIn(kZeroDistance));

const TextCase kSpeeds[] = {
    {0, 1, 720, Text::Speed, "7.20 m/h"},
    {0, 1, 0, Text::Speed, "0.00 m/h"},
    {0, 1, -320, Text::Speed, "-3.20 m/h"},
    {0, 1, 123456, Text::Speed, "1234.56 m/h"},
};
INSTANTIATE_TEST_SUITE_P(SpeedTexts, DisplayTextCases, ::testing::ValuesIn(kSpeeds));

const TextCase kHalfwayCases[] = {
    // Exactly representable halves: round half to even, as the C standard's
    // correctly rounded conversion gives (the old Windows runtime rounds them up).
    {2.5, 1, 0, Text::Distance, "~~~~~~~~~2"},
    {3.5, 1, 0, Text::Distance, "~~~~~~~~~4"},
    {12.5, 100, 0, Text::Distance, "~~~~~~0.12"},
    {37.5, 100, 0, Text::Distance, "~~~~~~0.38"},
    {0.5, 1, 0, Text::Tooltip, "Percorsi 0 cm."},
    {12.5, 100, 0, Text::Tooltip, "Percorsi 0.12 m."},
    {0, 1, 12.5, Text::MaxSpeed, "~~0.12"},
    // Near-halves decide by their true binary value: 1.005 is stored just below.
    {100.5, 100, 0, Text::Distance, "~~~~~~1.00"},
    {0.0000015 * 100000, 100000, 0, Text::Distance, "~~~0.00000"},
    // The tooltip multiplies by 0.01 while the cells divide by 100.
    {1234.5, 100, 0, Text::Tooltip, "Percorsi 12.35 m."},
    {1234.5, 100, 0, Text::Distance, "~~~~~12.35"},
};
INSTANTIATE_TEST_SUITE_P(HalfwayCasesRoundTheSameEverywhere, DisplayTextCases,
                         ::testing::ValuesIn(kHalfwayCases));

const TextCase kPaddingAndOverflow[] = {
    {1234567890, 1, 0, Text::Distance, "1234567890"},
    {12345678901.0, 1, 0, Text::Distance, "12345678901"},
    {999999999, 100, 0, Text::Distance, "9999999.99"},
    {1e9, 100, 0, Text::Distance, "10000000.00"},
    {999999999, 100000, 0, Text::Distance, "9999.99999"},
    {0, 1, 99999, Text::MaxSpeed, "999.99"},
    {0, 1, 100000, Text::MaxSpeed, "1000.00"},
    {-250, 1, 0, Text::Distance, "~~~~~~-250"},
    // An unknown unit shows centimetres.
    {12345.4, 0, 0, Text::Distance, "~~~~~12345"},
    {12345.4, 7, 0, Text::Tooltip, "Percorsi 12345 cm."},
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
