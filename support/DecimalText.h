// Decimal numbers read from text. Only decimal forms are read: the C library's
// hexadecimal numbers, infinities and not-a-numbers, which some runtimes accept and
// others do not, never are.
#ifndef SKITTERA_SUPPORT_DECIMALTEXT_H
#define SKITTERA_SUPPORT_DECIMALTEXT_H

inline bool IsDigit(char ch) { return ch >= '0' && ch <= '9'; }

enum class DecimalForm {
    // Digits, and a point only with digits after it: "12", "12.5". A distance as the
    // program writes it.
    kPlain,
    // An optional sign, digits with at most one point on either side of them ("5.",
    // ".5"), and an exponent when digits follow its letter: "-12.5", "2E+2".
    kSignedWithExponent,
};

// Reads the longest prefix of text that is a number of the form, and sets end just past
// it. False, value 0, when text does not begin with such a number (end is then text) or
// when its value is not a finite double ("1e999").
bool ReadDecimalNumber(const char* text, DecimalForm form, const char*& end, double& value);

#endif
