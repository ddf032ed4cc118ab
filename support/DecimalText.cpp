#include "support/DecimalText.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "support/TextString.h"

namespace {

const char* SkipDigits(const char* cursor) {
    while (IsDigit(*cursor)) {
        ++cursor;
    }
    return cursor;
}

const char* EndOfPlainNumber(const char* start) {
    const char* cursor = SkipDigits(start);
    if (cursor == start) {
        return start;
    }
    if (*cursor == '.' && IsDigit(cursor[1])) {
        cursor = SkipDigits(cursor + 1);
    }
    return cursor;
}

const char* EndOfSignedNumber(const char* start) {
    const char* cursor = start;
    if (*cursor == '+' || *cursor == '-') {
        ++cursor;
    }
    const char* integerEnd = SkipDigits(cursor);
    bool digits = integerEnd != cursor;
    cursor = integerEnd;
    if (*cursor == '.') {
        const char* fractionEnd = SkipDigits(cursor + 1);
        digits = digits || fractionEnd != cursor + 1;
        cursor = fractionEnd;
    }
    if (!digits) {
        return start;
    }
    if (*cursor == 'e' || *cursor == 'E') {
        const char* exponent = cursor + 1;
        if (*exponent == '+' || *exponent == '-') {
            ++exponent;
        }
        if (IsDigit(*exponent)) {
            cursor = SkipDigits(exponent);
        }
    }
    return cursor;
}

} // namespace

// The prefix goes to the C library in a copy of its own, so that the conversion reads
// no further than the form allows.
bool ReadDecimalNumber(const char* text, DecimalForm form, const char*& end, double& value) {
    end = form == DecimalForm::kPlain ? EndOfPlainNumber(text) : EndOfSignedNumber(text);
    value = 0;
    if (end == text) {
        return false;
    }
    TextString number;
    auto length = static_cast<size_t>(end - text);
    std::memcpy(number.SetLength(static_cast<int>(length)), text, length);
    double read = std::strtod(number.buffer, nullptr);
    if (!std::isfinite(read)) {
        return false;
    }
    value = read;
    return true;
}
