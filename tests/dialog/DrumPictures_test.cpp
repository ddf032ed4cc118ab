#include "dialog/DrumPictures.h"

#include "engine/DisplayTexts.h"
#include "resources/resource.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<int> Row(const TextString& digits, int cells) {
    std::vector<int> pictures;
    pictures.reserve(cells);
    for (int cell = 0; cell < cells; ++cell) {
        pictures.push_back(DrumPictureAt(digits, cell));
    }
    return pictures;
}

constexpr int B = IDB_DIGIT_BLANK;
constexpr int P = IDB_DIGIT_POINT;
constexpr int D(int digit) { return IDB_DIGIT_0 + digit; }

TEST(DrumPictures, EveryCharacterClass) {
    for (int digit = 0; digit <= 9; ++digit) {
        EXPECT_EQ(DrumPictureId(static_cast<char>('0' + digit)), 107 + digit) << digit;
    }
    EXPECT_EQ(DrumPictureId('.'), 118);
    for (char other : {'~', '-', '+', ' ', ',', 'e', 'n', '/', ':', '\0'}) {
        EXPECT_EQ(DrumPictureId(other), 117) << static_cast<int>(other);
    }
    // Bytes above 127 (negative as signed characters) are no digits either.
    for (int byte = 128; byte <= 255; ++byte) {
        EXPECT_EQ(DrumPictureId(static_cast<char>(byte)), 117) << byte;
    }
    // The neighbours of the digit range.
    EXPECT_EQ(DrumPictureId('/'), 117);
    EXPECT_EQ(DrumPictureId(':'), 117);
}

TEST(DrumPictures, DistanceRowsOfTheExamples) {
    OdometerState state;
    state.distanceCm = 12345.4;
    state.unitDivisor = kCentimetres;
    EXPECT_EQ(Row(FormatDistanceDigits(state), kDistanceCells),
              (std::vector<int>{B, B, B, B, B, D(1), D(2), D(3), D(4), D(5)}));
    // Metres: four empty drums, 1, 2, 3, the point drum, 4, 5.
    state.unitDivisor = kMetres;
    EXPECT_EQ(Row(FormatDistanceDigits(state), kDistanceCells),
              (std::vector<int>{B, B, B, B, D(1), D(2), D(3), P, D(4), D(5)}));
    state.unitDivisor = kKilometres;
    EXPECT_EQ(Row(FormatDistanceDigits(state), kDistanceCells),
              (std::vector<int>{B, B, B, D(0), P, D(1), D(2), D(3), D(4), D(5)}));

    state.distanceCm = 0;
    state.unitDivisor = kCentimetres;
    EXPECT_EQ(Row(FormatDistanceDigits(state), kDistanceCells),
              (std::vector<int>{B, B, B, B, B, B, B, B, B, D(0)}));
}

TEST(DrumPictures, SpeedRowAndNegativeValues) {
    OdometerState state;
    state.maxSpeed = 720;
    EXPECT_EQ(Row(FormatMaxSpeedDigits(state), kSpeedCells), (std::vector<int>{B, B, D(7), P, D(2), D(0)}));
    // A minus sign is an empty drum.
    state.distanceCm = -42;
    state.unitDivisor = kCentimetres;
    EXPECT_EQ(Row(FormatDistanceDigits(state), kDistanceCells),
              (std::vector<int>{B, B, B, B, B, B, B, B, D(4), D(2)}));
}

TEST(DrumPictures, TextLongerOrShorterThanTheRow) {
    // Eleven digits: the row shows the first ten.
    EXPECT_EQ(Row(TextString("12345678901"), kDistanceCells),
              (std::vector<int>{D(1), D(2), D(3), D(4), D(5), D(6), D(7), D(8), D(9), D(0)}));
    // Cells past the end of a short text show empty drums instead of reading past it.
    EXPECT_EQ(Row(TextString("7.2"), kSpeedCells), (std::vector<int>{D(7), P, D(2), B, B, B}));
    EXPECT_EQ(Row(TextString(), 3), (std::vector<int>{B, B, B}));
    EXPECT_EQ(DrumPictureAt(TextString("5"), -1), B);
}

} // namespace
