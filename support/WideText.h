// UTF-8 and UTF-16, for the texts that must keep every character whatever the ANSI code
// page: paths in the user's folder, the log-on entry, registry values read through the
// wide-character calls.
#ifndef SKITTERA_SUPPORT_WIDETEXT_H
#define SKITTERA_SUPPORT_WIDETEXT_H

#include "support/TextString.h"

// The UTF-8 text of the given bytes (-1: up to and with its zero) as UTF-16 in a buffer
// from the C heap, which the caller frees; null when the bytes are not UTF-8 or there is
// no memory. *count is the number of wide characters, the terminating zero included when
// the bytes hold one.
wchar_t* WideFromUtf8(const char* text, int bytes, int* count);

// count wide characters (no zero needed) as UTF-8. A character that is no valid UTF-16
// (a lone surrogate) comes out as the replacement character. *converted, when given, is
// false when the conversion failed; the text is then empty.
TextString Utf8FromWide(const wchar_t* wide, int count, bool* converted = nullptr);

#endif
