#include "support/WideText.h"

#include <windows.h>

#include <cstdlib>

wchar_t* WideFromUtf8(const char* text, int bytes, int* count) {
    *count = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text, bytes, nullptr, 0);
    if (*count <= 0) {
        return nullptr;
    }
    auto* wide = static_cast<wchar_t*>(std::malloc(static_cast<size_t>(*count) * sizeof(wchar_t)));
    if (wide != nullptr &&
        MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text, bytes, wide, *count) != *count) {
        std::free(wide);
        wide = nullptr;
    }
    return wide;
}

TextString Utf8FromWide(const wchar_t* wide, int count, bool* converted) {
    if (converted != nullptr) {
        *converted = true;
    }
    if (count <= 0) {
        return TextString();
    }
    int length = WideCharToMultiByte(CP_UTF8, 0, wide, count, nullptr, 0, nullptr, nullptr);
    TextString text;
    if (length <= 0 || WideCharToMultiByte(CP_UTF8, 0, wide, count, text.SetLength(length), length, nullptr,
                                           nullptr) != length) {
        if (converted != nullptr) {
            *converted = false;
        }
        return TextString();
    }
    return text;
}
