// Where a decimal number ends in each form, and what it is worth.
#include "support/DecimalText.h"

#include <string>

#include <gtest/gtest.h>

namespace {

struct DecimalCase {
    DecimalForm form;
    const char* text;
    int length; // of the prefix read
    bool read;
    double value;
};

const DecimalCase kCases[] = {
    {DecimalForm::kPlain, "12.5;1", 4, true, 12.5},
    {DecimalForm::kPlain, "12.;", 2, true, 12}, // the point is not part of the number
    {DecimalForm::kPlain, "7e2", 1, true, 7},
    {DecimalForm::kPlain, ".5", 0, false, 0},
    {DecimalForm::kPlain, "+1", 0, false, 0},
    {DecimalForm::kPlain, " 1", 0, false, 0},
    {DecimalForm::kPlain, "", 0, false, 0},
    {DecimalForm::kSignedWithExponent, "-3.25 cm", 5, true, -3.25},
    {DecimalForm::kSignedWithExponent, ".5", 2, true, 0.5},
    {DecimalForm::kSignedWithExponent, "5.x", 2, true, 5},
    {DecimalForm::kSignedWithExponent, "2E+2x", 4, true, 200},
    {DecimalForm::kSignedWithExponent, "3e-", 1, true, 3},
    {DecimalForm::kSignedWithExponent, "0x10", 1, true, 0},
    {DecimalForm::kSignedWithExponent, "-.", 0, false, 0},
    {DecimalForm::kSignedWithExponent, "inf", 0, false, 0},
    {DecimalForm::kSignedWithExponent, "1e999", 5, false, 0},
};

TEST(DecimalText, ReadsTheLongestPrefixOfItsFormAsAFiniteNumber) {
    for (const DecimalCase& c : kCases) {
        SCOPED_TRACE(std::string(c.form == DecimalForm::kPlain ? "plain " : "signed ") + '"' + c.text + '"');
        const char* end = nullptr;
        double value = -1;
        EXPECT_EQ(ReadDecimalNumber(c.text, c.form, end, value), c.read);
        EXPECT_EQ(value, c.value);
        EXPECT_EQ(end - c.text, c.length);
    }
}

} // namespace
