#include "support/TextString.h"

#include <cstdarg>
#include <climits>
#include <cstdio>
#include <cstring>
#include <string>

#include <gtest/gtest.h>

namespace {

// The invariant every operation must keep: a valid buffer with the zero at length.
void ExpectWellFormed(const TextString& text) {
    ASSERT_NE(text.buffer, nullptr);
    EXPECT_EQ(text.buffer[text.length], '\0');
    EXPECT_EQ(std::strlen(text.buffer), static_cast<size_t>(text.length));
}

// One format three ways: as Format writes it (and whether its zero is at its length), as
// the C library writes it, and the size Format's estimate starts from.
struct Formatted {
    std::string text;
    bool wellFormed = false;
    std::string library;
    int estimate = 0;
};

Formatted FormatThreeWays(const char* format, ...) {
    Formatted result;
    va_list arguments;
    va_start(arguments, format);
    va_list copy;
    va_copy(copy, arguments);
    TextString text;
    text.FormatV(format, copy);
    va_end(copy);
    result.text = std::string(text.buffer, static_cast<std::size_t>(text.length));
    result.wellFormed =
        text.buffer[text.length] == '\0' && std::strlen(text.buffer) == std::size_t(text.length);
    char library[512];
    va_copy(copy, arguments);
    std::vsnprintf(library, sizeof library, format, copy);
    va_end(copy);
    result.library = library;
    va_copy(copy, arguments);
    result.estimate = EstimateFormattedLength(format, copy);
    va_end(copy);
    va_end(arguments);
    return result;
}

TEST(TextStringConstruction, EmptyAndFilledStringsOwnValidBuffers) {
    TextString empty;
    ExpectWellFormed(empty);
    EXPECT_TRUE(empty.IsEmpty());
    EXPECT_TRUE(empty == "");

    TextString none('x', 0);
    ExpectWellFormed(none);
    EXPECT_TRUE(none.IsEmpty());

    TextString tildes('~', 4);
    ExpectWellFormed(tildes);
    EXPECT_TRUE(tildes == "~~~~");
}

TEST(TextStringConstruction, CopiesAreDeep) {
    TextString original("Metri");
    TextString copy(original);
    copy.buffer[0] = 'm';
    EXPECT_TRUE(original == "Metri");
    EXPECT_TRUE(copy == "metri");
    EXPECT_NE(original.buffer, copy.buffer);

    TextString assigned;
    assigned = original;
    EXPECT_TRUE(assigned == "Metri");
    EXPECT_NE(assigned.buffer, original.buffer);
}

TEST(TextStringConstruction, SelfAssignmentKeepsTheText) {
    TextString text("07.12.1997");
    TextString& alias = text;
    text = alias;
    EXPECT_TRUE(text == "07.12.1997");
    text = text.buffer + 3; // assigning a piece of its own buffer
    EXPECT_TRUE(text == "12.1997");
    ExpectWellFormed(text);
}

TEST(TextStringAccess, CharAtReachesTheTerminatingZero) {
    TextString text("abc");
    EXPECT_EQ(text.CharAt(0), 'a');
    EXPECT_EQ(text.CharAt(2), 'c');
    EXPECT_EQ(text.CharAt(3), '\0');
}

TEST(TextStringAccess, LeftAndRightAtTheirLimits) {
    TextString text("184|Esci");
    EXPECT_TRUE(text.Left(0) == "");
    EXPECT_TRUE(text.Right(0) == "");
    EXPECT_TRUE(text.Left(text.length) == "184|Esci");
    EXPECT_TRUE(text.Right(text.length) == "184|Esci");
    EXPECT_TRUE(text.Left(3) == "184");
    EXPECT_TRUE(text.Right(4) == "Esci");
    ExpectWellFormed(text.Left(3));
    ExpectWellFormed(text.Right(0));
}

TEST(TextStringSearch, FindGivesTheFirstOccurrence) {
    TextString text("183|Prop|ietà");
    EXPECT_EQ(text.Find("|"), 3);
    EXPECT_EQ(text.Find(""), 0);
    EXPECT_EQ(text.Find("#"), -1);
    EXPECT_EQ(TextString().Find("a"), -1);
}

TEST(TextStringSearch, EqualityIsExactAndCaseSensitive) {
    TextString text("Metri");
    EXPECT_TRUE(text == "Metri");
    EXPECT_FALSE(text == "metri");
    EXPECT_FALSE(text == "Metri ");
    EXPECT_FALSE(text == "Metr");
}

TEST(TextStringJoin, AppendAndPlus) {
    TextString text("Software");
    text.Append("\\Skittera");
    EXPECT_TRUE(text == "Software\\Skittera");
    ExpectWellFormed(text);
    text.Append("");
    EXPECT_TRUE(text == "Software\\Skittera");
    ExpectWellFormed(text);

    TextString both = TextString() + TextString();
    ExpectWellFormed(both);
    EXPECT_TRUE(both.IsEmpty());

    TextString a("~~"), b("7.20");
    TextString joined = a + b;
    EXPECT_TRUE(joined == "~~7.20");
    EXPECT_TRUE(a == "~~");
    EXPECT_TRUE(b == "7.20");
}

TEST(TextStringJoin, SetLengthGivesAFreshTerminatedBuffer) {
    TextString text("abcdef");
    char* fresh = text.SetLength(3);
    EXPECT_EQ(fresh, text.buffer);
    EXPECT_EQ(text.length, 3);
    EXPECT_EQ(text.buffer[3], '\0');
}

// Every conversion comes out whole, as the C library writes it. The estimate reads
// each argument as its conversion's type (a misread would take a number for the text
// pointer after it), and for the conversions the program uses it leaves room for the
// whole text, so one pass does.
TEST(TextStringFormat, ConversionsComeOutWholeAndTheEstimateReadsTheirArguments) {
    const Formatted covered[] = {
        FormatThreeWays("%d|%s", 5, "abc"),
        FormatThreeWays("%40.10d", 5),
        FormatThreeWays("%10s|%.2s|%*s|%c", "abc", "abcdef", 12, "abc", 'x'),
        FormatThreeWays("%#x %ld %s.", 255, 123456789L, ""),
        FormatThreeWays("%.2f m/h %s", 7.2, "after a double"),
        FormatThreeWays("%*d|%.*s", -7, 42, -1, "a negative width is a flag, a negative precision none"),
        FormatThreeWays("%s", static_cast<const char*>(nullptr)),
    };
    for (const Formatted& one : covered) {
        EXPECT_EQ(one.text, one.library);
        EXPECT_GE(one.estimate, static_cast<int>(one.library.size())) << one.library;
    }
    // A conversion the estimate does not know ends its walk before the text after it:
    // the text still comes out whole, from the second pass.
    Formatted unknown = FormatThreeWays("ab%E|%s", 1.5, "tail");
    EXPECT_EQ(unknown.text, unknown.library);
    EXPECT_LT(unknown.estimate, static_cast<int>(unknown.library.size()));
    // A format that ends inside a conversion: what the library makes of it, or an empty
    // text where the library reports an error (as glibc's does).
    for (const char* cut : {"x%", "x%-0"}) {
        Formatted broken = FormatThreeWays(cut);
        EXPECT_TRUE(broken.text.empty() || broken.text == broken.library) << cut << ": " << broken.text;
    }
}

TEST(TextStringFormat, OutputBeyondTheEstimateIsWrittenWhole) {
    // 1e300 has 301 integer digits, far beyond the estimate of 128 for "%f".
    TextString text;
    text.Format("%.10f", 1e300);
    ExpectWellFormed(text);
    EXPECT_EQ(text.length, 301 + 1 + 10);
    EXPECT_EQ(text.CharAt(0), '1');
    EXPECT_EQ(text.Right(11).buffer, std::string(".0000000000"));

    std::string wide(1000, 'w');
    text.Format("%.3s|%s", "abcdef", wide.c_str());
    EXPECT_EQ(text.length, 3 + 1 + 1000);
}

// The texts and, where given (not -1), the estimate. The estimate reads every argument as
// the type its conversion gives, or stops: "E", "ll", "z" and the like are conversions it
// does not know, and reading on after them would take the number for the text pointer of
// the "%s". "E" counts as nothing in the estimate, yet it prints a number. Format stops at
// the first zero it produces.
TEST(TextStringFormat, MultiArgumentFormatsReadEachArgumentAsItsType) {
    const struct {
        Formatted formatted;
        const char* text;
        int estimate;
    } cases[] = {
        {FormatThreeWays("100%% Skittera"), "100% Skittera", 13},
        {FormatThreeWays("%.10f", 0.0), "0.0000000000", 128},
        {FormatThreeWays("ab%cde", 0), "ab", -1},
        {FormatThreeWays("%E", 12345.0), "1.234500E+04", -1},
        {FormatThreeWays("%E %s", 1.5, "abc"), "1.500000E+00 abc", -1},
        {FormatThreeWays("%lld %s", 1234567890123LL, "xyz"), "1234567890123 xyz", -1},
        {FormatThreeWays("%hd %s|%ld", static_cast<short>(42), "abc", 7L), "42 abc|7", -1},
        {FormatThreeWays("ab%lld %s", 1LL, "xyz"), "ab1 xyz", 2},
        {FormatThreeWays("%d|%zu %s", 5, static_cast<size_t>(1), "abc"), "5|1 abc",
         33}, // 32 for "%d", 1 for "|"
        // Known conversions all the way: 32 ("%d") + 1 + 2 ("ab") + 1 + 128 ("%.2f") + 1 +
        // 2 ("%c") + 1 + 5 ("%5s", raised to its width) + 1 + 32 ("%ld") = 206.
        {FormatThreeWays("%d %s %.2f %c|%5s|%ld", 7, "ab", 2.5, 'x', "z", -3L), "7 ab 2.50 x|    z|-3", 206},
        // Widths and precisions from the list: a negative precision counts as none, a
        // negative width left-justifies; neither may shrink the estimate below the text.
        {FormatThreeWays("%.*s", -1, "abc"), "abc", 3},
        {FormatThreeWays("%*d|%-*s|", -4, 5, 3, "x"), "5   |x  |", -1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.formatted.text, c.text);
        EXPECT_TRUE(c.formatted.wellFormed) << c.text;
        if (c.estimate >= 0) {
            EXPECT_EQ(c.formatted.estimate, c.estimate) << c.text;
        }
    }
}

// The estimate and Format's text for one format; through the argument list, so that
// the compiler does not refuse widths no caller would write.
struct Estimated {
    int estimate;
    TextString text{"before"};
};

Estimated EstimateAndFormat(const char* format, ...) {
    Estimated result;
    va_list arguments;
    va_start(arguments, format);
    result.estimate = EstimateFormattedLength(format, arguments);
    result.text.FormatV(format, arguments);
    va_end(arguments);
    return result;
}

// Widths and precisions no caller passes: the estimate stops at the largest int instead
// of wrapping round, and the format fails, leaving an empty text, instead of asking for
// gigabytes.
TEST(TextStringFormat, HugeWidthsSaturateTheEstimateAndTheFormatFails) {
    const int most = INT_MAX;
    const Estimated huge[] = {
        EstimateAndFormat("%*.*d", most, most, 1),
        EstimateAndFormat("%999999999d%999999999d%999999999d", 1, 2, 3),
        EstimateAndFormat("%-*.*p", 1869376620, 1862270976, nullptr),
    };
    for (const Estimated& one : huge) {
        EXPECT_EQ(one.estimate, most);
        ExpectWellFormed(one.text);
        EXPECT_TRUE(one.text.IsEmpty()) << one.text.buffer;
    }
    // One width beyond the longest text Format makes (1 MiB) fails as well; an ordinary
    // one still comes out whole.
    EXPECT_TRUE(EstimateAndFormat("%*d", 2000000, 7).text.IsEmpty());
    EXPECT_EQ(EstimateAndFormat("%*d|", 40, 7).text.length, 41);
    // A negative width is a left-justified one, as wide: the estimate counts it.
    EXPECT_GE(EstimateAndFormat("%*d|", -40, 7).estimate, 41);
    EXPECT_EQ(EstimateAndFormat("%*d", INT_MIN, 7).estimate, most);
    EXPECT_EQ(EstimateAndFormat("%20.5s", "abcdefgh").estimate, 20); // cut to 5, padded to 20
}

TEST(TextStringFormat, ReformattingReplacesTheContent) {
    TextString text("something long already here");
    text.Format("%.2f", 7.2);
    EXPECT_TRUE(text == "7.20");
    ExpectWellFormed(text);
}

} // namespace
