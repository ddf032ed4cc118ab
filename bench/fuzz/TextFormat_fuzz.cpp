// The text formatter over conversions built from the input: flags, widths and precisions
// written out or passed as arguments, size modifiers and conversions, repeated. Format
// gives the C library's text, or fails with an empty text only for a text beyond its
// limit; its estimate is never negative and never short for integers, texts and pointers.
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include "bench/fuzz/FuzzInput.h"
#include "support/TextString.h"

namespace {

constexpr int kLongestFormattedText = 1 << 20; // as Format's own limit

struct Outcome {
    std::string text;
    int estimate = 0;
    std::string library;
    bool libraryRead = false;
};

// Format, the estimate and the C library on the same arguments. The formats are made at
// run time from the input, which is the point here.
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
Outcome ThreeWays(bool readLibrary, const char* format, ...) {
    Outcome outcome;
    va_list arguments;
    va_start(arguments, format);
    outcome.estimate = EstimateFormattedLength(format, arguments);
    TextString text;
    va_list copy;
    va_copy(copy, arguments);
    text.FormatV(format, copy);
    va_end(copy);
    FUZZ_CHECK(text.buffer[text.length] == '\0' &&
               std::strlen(text.buffer) == static_cast<size_t>(text.length));
    outcome.text = text.buffer;
    if (readLibrary && outcome.estimate <= kLongestFormattedText) {
        va_copy(copy, arguments);
        int needed = std::vsnprintf(nullptr, 0, format, copy);
        va_end(copy);
        if (needed >= 0 && needed <= kLongestFormattedText) {
            std::vector<char> library(static_cast<std::size_t>(needed) + 1);
            va_copy(copy, arguments);
            std::vsnprintf(library.data(), library.size(), format, copy);
            va_end(copy);
            outcome.library = library.data(); // up to a zero a "%c" may have put in
            outcome.libraryRead = true;
        }
    }
    va_end(arguments);
    return outcome;
}

// Calls ThreeWays with the star arguments and then `repeat` copies of the value.
template <typename Value>
Outcome Call(bool readLibrary, const std::string& format, int stars, const int star[2], int repeat,
             Value value) {
    const char* f = format.c_str();
    switch (stars * 3 + repeat - 1) {
    case 0:
        return ThreeWays(readLibrary, f, value);
    case 1:
        return ThreeWays(readLibrary, f, value, value);
    case 2:
        return ThreeWays(readLibrary, f, value, value, value);
    case 3:
        return ThreeWays(readLibrary, f, star[0], value);
    case 4:
        return ThreeWays(readLibrary, f, star[0], value, star[0], value);
    case 5:
        return ThreeWays(readLibrary, f, star[0], value, star[0], value, star[0], value);
    case 6:
        return ThreeWays(readLibrary, f, star[0], star[1], value);
    case 7:
        return ThreeWays(readLibrary, f, star[0], star[1], value, star[0], star[1], value);
    default:
        return ThreeWays(readLibrary, f, star[0], star[1], value, star[0], star[1], value, star[0], star[1],
                         value);
    }
}

int StarValue(FuzzInput& input) {
    unsigned value = 0;
    for (int i = 0; i < 4; ++i) {
        value = value << 8 | input.Byte();
    }
    int number;
    std::memcpy(&number, &value, sizeof number);
    return number;
}

// Digits for a width or precision written out: up to seven of them, or four for the
// conversions the estimate does not know (the library would write each one out).
std::string Digits(FuzzInput& input, int most) {
    std::string digits;
    int count = input.Byte() % (most + 1);
    for (int i = 0; i < count; ++i) {
        digits += static_cast<char>('0' + input.Byte() % 10);
    }
    return digits;
}

} // namespace

// Input: a byte of choices each for the flags, the width, the precision, the modifier and
// the conversion, digits and star values as needed, the repeat count, then the text
// around the conversion.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput input(data, size);
    static const char kConversions[] = "diouxXfegGcsSpnEaC";
    std::uint8_t flags = input.Byte();
    std::uint8_t widthKind = input.Byte() % 3;     // none, digits, star
    std::uint8_t precisionKind = input.Byte() % 3; // none, digits, star
    std::uint8_t modifierChoice = input.Byte() % 3;
    char conversion = kConversions[input.Byte() % (sizeof kConversions - 1)];
    // Only the modifiers the C library defines for the conversion.
    const char* modifiers = std::strchr("diouxXn", conversion) != nullptr  ? " hl"
                            : std::strchr("fegGEa", conversion) != nullptr ? " l"
                            : std::strchr("cs", conversion) != nullptr     ? " l"
                                                                           : " ";
    char modifier = modifiers[modifierChoice % std::strlen(modifiers)];
    // "E", "a", "%lc" and "%ls" end the estimate's walk: Format then leaves the length to
    // the library, which would write out a huge width.
    bool known = conversion != 'E' && conversion != 'a' &&
                 !(modifier == 'l' && (conversion == 'c' || conversion == 's'));
    int most = known ? 7 : 4;

    std::string directive = "%";
    const char kFlags[] = "-+ #0";
    for (int i = 0; i < 5; ++i) {
        if ((flags >> i) & 1) {
            directive += kFlags[i];
        }
    }
    int stars = 0;
    int star[2] = {0, 0};
    if (widthKind == 1) {
        directive += Digits(input, most);
    } else if (widthKind == 2 && known) {
        directive += '*';
        star[stars++] = StarValue(input);
    }
    if (precisionKind == 1) {
        directive += '.' + Digits(input, most);
    } else if (precisionKind == 2 && known) {
        directive += ".*";
        star[stars++] = StarValue(input);
    }
    if (modifier != ' ') {
        directive += modifier;
    }
    directive += conversion;
    int repeat = 1 + input.Byte() % 3;
    std::string around = input.Until('\n');
    std::string textArgument = input.Rest();
    textArgument.resize(std::strlen(textArgument.c_str()));
    std::string format;
    for (char c : around) { // the text around the conversion, its % doubled
        format += c == '%' ? "%%" : std::string(1, c);
    }
    format.resize(std::strlen(format.c_str()));
    std::string all = format;
    for (int i = 0; i < repeat; ++i) {
        all += directive + format;
    }

    bool wide = modifier == 'l' && (conversion == 's' || conversion == 'c');
    std::wstring wideText(textArgument.begin(), textArgument.end());
    for (wchar_t& ch : wideText) {
        ch &= 0x7F; // characters every locale converts
    }
    long long written = 0;
    Outcome outcome;
    bool read = true;
    if (conversion == 'n') {
        outcome = modifier == 'h'   ? Call(read, all, stars, star, repeat, reinterpret_cast<short*>(&written))
                  : modifier == 'l' ? Call(read, all, stars, star, repeat, reinterpret_cast<long*>(&written))
                                    : Call(read, all, stars, star, repeat, reinterpret_cast<int*>(&written));
    } else if (conversion == 's' || conversion == 'S') {
        outcome = wide || conversion == 'S' ? Call(read, all, stars, star, repeat, wideText.c_str())
                                            : Call(read, all, stars, star, repeat, textArgument.c_str());
    } else if (conversion == 'p') {
        outcome = Call(read, all, stars, star, repeat, static_cast<const void*>(textArgument.c_str()));
    } else if (std::strchr("fegGEa", conversion) != nullptr) {
        double number = 0;
        std::string bytes = textArgument + std::string(8, '\0');
        std::memcpy(&number, bytes.data(), sizeof number);
        outcome = Call(read, all, stars, star, repeat, number);
    } else if (modifier == 'l' && conversion != 'c') {
        outcome = Call(read, all, stars, star, repeat, static_cast<long>(StarValue(input)) * 65537);
    } else {
        outcome = Call(read, all, stars, star, repeat, StarValue(input));
    }

    FUZZ_CHECK(outcome.estimate >= 0);
    if (outcome.estimate > kLongestFormattedText) {
        FUZZ_CHECK(outcome.text.empty());
        return 0;
    }
    if (outcome.libraryRead) {
        FUZZ_CHECK(outcome.text == outcome.library);
        // A huge floating value is longer than its estimate, by design: the second pass
        // makes room; "%ls" and "%lc" end the estimate's walk.
        if (std::strchr("diouxXsSp", conversion) != nullptr && !wide) {
            FUZZ_CHECK(outcome.estimate >= static_cast<int>(outcome.library.size()));
        }
    } else {
        FUZZ_CHECK(outcome.text.empty());
    }
    return 0;
}
