#include "support/TextString.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>

#include "support/DecimalText.h"

namespace {

constexpr int kIntMost = 0x7fffffff;

// The longest text Format makes, 1 MiB. The program's texts are a few hundred
// characters; a width, a precision or a text that would take more is a fault, and the
// format then fails (an empty text) rather than ask for memory without bound.
constexpr int kLongestFormattedText = 1 << 20;

char* AllocateText(int length) {
    char* text = static_cast<char*>(std::malloc(static_cast<size_t>(length) + 1));
    if (text == nullptr) {
        // The program has no way to go on without memory for its texts.
        std::abort();
    }
    text[length] = '\0';
    return text;
}

int TextLength(const char* text) { return static_cast<int>(std::strlen(text)); }

int ReadNumber(const char*& cursor) {
    int value = 0;
    while (IsDigit(*cursor)) {
        if (value < 100000000) {
            value = value * 10 + (*cursor - '0');
        }
        ++cursor;
    }
    return value;
}

bool IsFlag(char ch) { return ch == '#' || ch == '*' || ch == '-' || ch == '+' || ch == '0' || ch == ' '; }

// The argument a conversion takes, as far as the estimate knows conversions. Unknown
// means the estimate cannot tell the argument's type, and so cannot read it.
enum class Argument { Unknown, Int, Long, Double, Text, WideText, Pointer, IntPointer, LongPointer };

// By the size modifier (0 for none, 'h' or 'l') and the conversion character. Only
// what the C library and the Windows one agree on is known: "ll", "I64", "z", "j",
// "L" and the like, "E", "a", "%1$s" and anything else end the estimate instead.
Argument ArgumentOf(char modifier, char conversion) {
    switch (conversion) {
    case 'd':
    case 'i':
    case 'o':
    case 'u':
    case 'x':
    case 'X':
        return modifier == 'l' ? Argument::Long : Argument::Int; // a short arrives as an int
    case 'e':
    case 'f':
    case 'g':
    case 'G':
        return modifier == 'h' ? Argument::Unknown : Argument::Double; // "l" changes nothing here
    case 'n':
        return modifier == 'l' ? Argument::LongPointer
               : modifier == 0 ? Argument::IntPointer
                               : Argument::Unknown;
    case 'c':
    case 'C':
        return modifier == 0 ? Argument::Int : Argument::Unknown;
    case 's':
        return modifier == 0 ? Argument::Text : Argument::Unknown;
    case 'S':
        return modifier == 0 ? Argument::WideText : Argument::Unknown;
    case 'p':
        return modifier == 0 ? Argument::Pointer : Argument::Unknown;
    default:
        return Argument::Unknown;
    }
}

// A precision from the argument list; a negative one (an omitted precision) counts as none.
int NotNegative(int value) { return value > 0 ? value : 0; }

// A width from the argument list: a negative one is the "-" flag and its magnitude.
int WidthOf(int value) { return value >= 0 ? value : value == -kIntMost - 1 ? kIntMost : -value; }

int Larger(int a, int b) { return a > b ? a : b; }

// Sums of sizes stop at the largest int instead of wrapping round to a negative size.
int SaturatingSum(int a, int b) { return b > kIntMost - a ? kIntMost : a + b; }

} // namespace

TextString::TextString() : length(0), buffer(AllocateText(0)) {}

TextString::TextString(char ch, int count) : length(0), buffer(nullptr) {
    SetLength(count > 0 ? count : 0);
    std::memset(buffer, ch, static_cast<size_t>(length));
}

TextString::TextString(const TextString& other) : length(0), buffer(nullptr) {
    SetLength(other.length);
    std::memcpy(buffer, other.buffer, static_cast<size_t>(length));
}

TextString::TextString(const char* text) : length(0), buffer(nullptr) {
    SetLength(TextLength(text));
    std::memcpy(buffer, text, static_cast<size_t>(length));
}

TextString::~TextString() { std::free(buffer); }

TextString& TextString::operator=(const TextString& other) {
    if (this != &other) {
        SetLength(other.length);
        std::memcpy(buffer, other.buffer, static_cast<size_t>(length));
    }
    return *this;
}

TextString& TextString::operator=(const char* text) {
    // The text may point into our own buffer; copy it before the buffer goes.
    TextString copy(text);
    return *this = copy;
}

// Gives the string a fresh buffer of count characters plus the terminating zero.
// The characters themselves are left unset: nothing of the previous text survives.
char* TextString::SetLength(int count) {
    std::free(buffer);
    length = count;
    buffer = AllocateText(count);
    return buffer;
}

char TextString::CharAt(int index) const { return buffer[index]; }

TextString& TextString::Append(const char* text) {
    int added = TextLength(text);
    char* joined = AllocateText(length + added);
    std::memcpy(joined, buffer, static_cast<size_t>(length));
    std::memcpy(joined + length, text, static_cast<size_t>(added));
    std::free(buffer);
    buffer = joined;
    length += added;
    return *this;
}

int TextString::Find(const char* text) const {
    const char* found = std::strstr(buffer, text);
    return found == nullptr ? -1 : static_cast<int>(found - buffer);
}

TextString TextString::Left(int count) const {
    TextString part;
    part.SetLength(count);
    std::memcpy(part.buffer, buffer, static_cast<size_t>(count));
    return part;
}

TextString TextString::Right(int count) const {
    TextString part;
    part.SetLength(count);
    std::memcpy(part.buffer, buffer + (length - count), static_cast<size_t>(count));
    return part;
}

TextString operator+(const TextString& a, const TextString& b) {
    TextString joined;
    joined.SetLength(a.length + b.length);
    std::memcpy(joined.buffer, a.buffer, static_cast<size_t>(a.length));
    std::memcpy(joined.buffer + a.length, b.buffer, static_cast<size_t>(b.length));
    return joined;
}

bool operator==(const TextString& a, const char* text) { return std::strcmp(a.buffer, text) == 0; }

// Walks the format once and adds up a generous size for every piece: literal
// characters count one each, numbers count 32 or 128, texts their length. The
// arguments are read from a copy of the list, so the caller's list is untouched, and
// each is read as the type its conversion gives. At the first conversion whose
// argument the walk cannot tell, it stops: reading on could take a number for a text
// pointer. The total is then too small, and the formatting's second pass makes room.
int EstimateFormattedLength(const char* format, va_list arguments) {
    va_list walk;
    va_copy(walk, arguments);
    int total = 0;
    const char* cursor = format;
    while (*cursor != '\0') {
        if (*cursor != '%') {
            total = SaturatingSum(total, 1);
            ++cursor;
            continue;
        }
        ++cursor;
        if (*cursor == '%') {
            total = SaturatingSum(total, 1);
            ++cursor;
            continue;
        }
        int width = 0;
        int precision = 0;
        for (; IsFlag(*cursor); ++cursor) {
            if (*cursor == '#') {
                total = SaturatingSum(total, 2);
            } else if (*cursor == '*') {
                width = WidthOf(va_arg(walk, int));
            }
        }
        if (width == 0) {
            width = ReadNumber(cursor);
        }
        if (*cursor == '.') {
            ++cursor;
            if (*cursor == '*') {
                precision = NotNegative(va_arg(walk, int));
                ++cursor;
            } else {
                precision = ReadNumber(cursor);
            }
        }
        char modifier = 0;
        if (*cursor == 'h' || *cursor == 'l') {
            modifier = *cursor++;
        }
        char conversion = *cursor;
        Argument argument = conversion != '\0' ? ArgumentOf(modifier, conversion) : Argument::Unknown;
        if (argument == Argument::Unknown) {
            break;
        }
        int item = 0;
        // A number's sign and the "0x" of a pointer come before the digits a precision asks for.
        int widthAndPrecision = SaturatingSum(SaturatingSum(width, precision), 3);
        switch (argument) {
        case Argument::Int:
            (void)va_arg(walk, int);
            item = conversion == 'c' || conversion == 'C' ? 2 : Larger(32, widthAndPrecision);
            break;
        case Argument::Long:
            (void)va_arg(walk, long);
            item = Larger(32, widthAndPrecision);
            break;
        case Argument::Double:
            (void)va_arg(walk, double);
            item = Larger(128, widthAndPrecision);
            break;
        case Argument::Text: {
            const char* text = va_arg(walk, const char*);
            item = text == nullptr ? 6 : Larger(TextLength(text), 1);
            break;
        }
        case Argument::WideText: {
            const wchar_t* text = va_arg(walk, const wchar_t*);
            item = text == nullptr ? 6 : Larger(static_cast<int>(std::wcslen(text)), 1);
            break;
        }
        case Argument::Pointer:
            (void)va_arg(walk, void*);
            item = Larger(32, widthAndPrecision);
            break;
        // NOLINTNEXTLINE(bugprone-branch-clone): va_arg names each pointer's own type, int* here, long* next
        case Argument::IntPointer:
            (void)va_arg(walk, int*);
            break;
        case Argument::LongPointer:
            (void)va_arg(walk, long*);
            break;
        case Argument::Unknown:
            break;
        }
        // A precision cuts a text; the width then pads what is left.
        if (conversion == 'c' || conversion == 'C' || conversion == 's' || conversion == 'S') {
            if (precision != 0 && precision < item) {
                item = precision;
            }
            if (width > item) {
                item = width;
            }
        }
        total = SaturatingSum(total, item);
        ++cursor;
    }
    va_end(walk);
    return total;
}

char* TextString::Format(const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    FormatV(format, arguments);
    va_end(arguments);
    return buffer;
}

// Formats into a scratch buffer sized by the estimate. The estimate is not an upper
// bound for every format (a huge floating value, a conversion it counts as 0), so the
// formatting is bounded and, when the text did not fit, done again into a buffer of
// the size the first pass reported. The result is the whole formatted text, or the
// empty text when the format fails: an error of the C library, or a text that would be
// longer than kLongestFormattedText (told by the estimate before anything is formatted,
// as a huge width or precision costs the library a buffer of its size).
char* TextString::FormatV(const char* format, va_list arguments) {
    int estimate = EstimateFormattedLength(format, arguments);
    if (estimate > kLongestFormattedText) {
        SetLength(0);
        return buffer;
    }
    int capacity = estimate + 1;
    for (;;) {
        char* scratch = AllocateText(capacity - 1);
        va_list pass;
        va_copy(pass, arguments);
        int needed = std::vsnprintf(scratch, static_cast<size_t>(capacity), format, pass);
        va_end(pass);
        if (needed > kLongestFormattedText) {
            needed = -1;
        } else if (needed >= capacity) {
            std::free(scratch);
            capacity = needed + 1;
            continue;
        }
        if (needed < 0) {
            scratch[0] = '\0';
        }
        SetLength(TextLength(scratch));
        std::memcpy(buffer, scratch, static_cast<size_t>(length));
        std::free(scratch);
        return buffer;
    }
}
