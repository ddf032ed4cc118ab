#include "support/TextString.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>

namespace {

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
    while (*cursor >= '0' && *cursor <= '9') {
        if (value < 100000000) {
            value = value * 10 + (*cursor - '0');
        }
        ++cursor;
    }
    return value;
}

bool IsFlag(char ch) { return ch == '#' || ch == '*' || ch == '-' || ch == '+' || ch == '0' || ch == ' '; }

bool IsModifier(char ch) { return ch == 'F' || ch == 'L' || ch == 'N' || ch == 'h' || ch == 'l'; }

int Larger(int a, int b) { return a > b ? a : b; }

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
// arguments are read from a copy of the list, so the caller's list is untouched.
int EstimateFormattedLength(const char* format, va_list arguments) {
    va_list walk;
    va_copy(walk, arguments);
    int total = 0;
    const char* cursor = format;
    while (*cursor != '\0') {
        if (*cursor != '%') {
            ++total;
            ++cursor;
            continue;
        }
        ++cursor;
        if (*cursor == '%') {
            ++total;
            ++cursor;
            continue;
        }
        int item = 0;
        int width = 0;
        int precision = 0;
        for (; IsFlag(*cursor); ++cursor) {
            if (*cursor == '#') {
                total += 2;
            } else if (*cursor == '*') {
                width = va_arg(walk, int);
            }
        }
        if (width == 0) {
            width = ReadNumber(cursor);
        }
        if (*cursor == '.') {
            ++cursor;
            if (*cursor == '*') {
                precision = va_arg(walk, int);
                ++cursor;
            } else {
                precision = ReadNumber(cursor);
            }
        }
        if (IsModifier(*cursor)) {
            ++cursor;
        }
        if (*cursor == '\0') {
            break;
        }
        switch (*cursor) {
        case 'c':
        case 'C':
            (void)va_arg(walk, int);
            item = 2;
            break;
        case 's': {
            const char* text = va_arg(walk, const char*);
            item = text == nullptr ? 6 : Larger(TextLength(text), 1);
            break;
        }
        case 'S': {
            const wchar_t* text = va_arg(walk, const wchar_t*);
            item = text == nullptr ? 6 : Larger(static_cast<int>(std::wcslen(text)), 1);
            break;
        }
        case 'd':
        case 'i':
        case 'o':
        case 'u':
        case 'x':
        case 'X':
            (void)va_arg(walk, int);
            item = Larger(32, width + precision);
            break;
        case 'p':
            (void)va_arg(walk, void*);
            item = Larger(32, width + precision);
            break;
        case 'e':
        case 'f':
        case 'g':
        case 'G':
            (void)va_arg(walk, double);
            item = Larger(128, width + precision);
            break;
        case 'n':
            (void)va_arg(walk, void*);
            break;
        default:
            break;
        }
        char conversion = *cursor;
        if (conversion == 'c' || conversion == 'C' || conversion == 's' || conversion == 'S') {
            if (width > item) {
                item = width;
            }
            if (precision != 0 && precision < item) {
                item = precision;
            }
        }
        total += item;
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
// the size the first pass reported. The result is always the whole formatted text.
char* TextString::FormatV(const char* format, va_list arguments) {
    int capacity = EstimateFormattedLength(format, arguments) + 1;
    for (;;) {
        char* scratch = AllocateText(capacity - 1);
        va_list pass;
        va_copy(pass, arguments);
        int needed = std::vsnprintf(scratch, static_cast<size_t>(capacity), format, pass);
        va_end(pass);
        if (needed >= capacity) {
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
