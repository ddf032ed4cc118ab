// TextString: the program's text type. An owned, heap-allocated, zero-terminated
// single-byte text with a stored length. Copies are deep; every change of length
// allocates a buffer of exactly the size needed.
#ifndef SKITTERA_SUPPORT_TEXTSTRING_H
#define SKITTERA_SUPPORT_TEXTSTRING_H

#include <cstdarg>

class TextString {
public:
    // Read directly by callers (to hand the text to the platform, to test its length);
    // only the operations below change them.
    int length;
    char* buffer;

    TextString();
    TextString(char ch, int count);
    TextString(const TextString& other);
    TextString(const char* text);
    ~TextString();

    TextString& operator=(const TextString& other);
    TextString& operator=(const char* text);

    char CharAt(int index) const;
    TextString& Append(const char* text);
    int Find(const char* text) const;
    TextString Left(int count) const;
    TextString Right(int count) const;
    bool IsEmpty() const { return length == 0; }

    char* Format(const char* format, ...)
#if defined(__GNUC__)
        __attribute__((format(printf, 2, 3)))
#endif
        ;
    char* FormatV(const char* format, va_list arguments)
#if defined(__GNUC__)
        __attribute__((format(printf, 2, 0)))
#endif
        ;

    char* SetLength(int count);

    friend TextString operator+(const TextString& a, const TextString& b);
    friend bool operator==(const TextString& a, const char* text);
};

// Upper bound of the formatted length that Format starts from, at most the largest int;
// exposed for tests.
int EstimateFormattedLength(const char* format, va_list arguments);

#endif
