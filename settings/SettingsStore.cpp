#include "settings/SettingsStore.h"

#include <cstring>

#include "settings/Registry.h"

namespace {

// The room for the values the store walks through (the record of the days, Task
// Manager's switches); a larger one is passed over. Texts read by name have any length.
constexpr unsigned long kReadBufferSize = 512;
// A value that keeps changing its size between the query for the size and the read is
// asked for this many times before it counts as missing.
constexpr int kReadAttempts = 3;
// The longest value name the registry allows, 16383 characters, and its zero.
constexpr unsigned long kNameBufferSize = 16384;

// The text of a value as the query left it in the buffer: up to the first zero byte,
// and never past the bytes the query returned, because a value need not end in a zero
// (a binary value, or a text stored without its terminator).
TextString TextOfValue(const char* data, unsigned long size) {
    const void* zero = std::memchr(data, '\0', size);
    unsigned long length =
        zero != nullptr ? static_cast<unsigned long>(static_cast<const char*>(zero) - data) : size;
    TextString text;
    std::memcpy(text.SetLength(static_cast<int>(length)), data, length);
    return text;
}

// The base key, and below it the subkey when one is named.
TextString KeyPathBelowBase(const TextString& base, const char* subkey) {
    TextString path(base);
    if (subkey != nullptr && subkey[0] != '\0') {
        path.Append("\\").Append(subkey);
    }
    return path;
}

int DeleteValueOpenedAs(HKEY__* root, const char* keyPath, const char* valueName, KeyAccess access) {
    RegistryKey key = nullptr;
    if (!OpenRegistryKey(root, keyPath, access, &key)) {
        return 0;
    }
    bool gone = DeleteRegistryValue(key, valueName);
    CloseRegistryKey(key);
    return gone ? 1 : 0;
}

// Reads a value of any size into a text: asks for the size first, then reads into room
// for it and one more byte, so that a value stored without a terminating zero is read
// whole. query is QueryRegistryValue or the wide-character one; both fail, copying
// nothing, when the value does not fit.
template <typename Byte>
TextString ReadWholeValue(HKEY__* root, const char* keyPath, const char* valueName,
                          bool (*query)(RegistryKey, const char*, Byte*, unsigned long*)) {
    RegistryKey key = nullptr;
    if (!OpenRegistryKey(root, keyPath, KeyAccess::Read, &key)) {
        return TextString();
    }
    TextString text;
    for (int attempt = 0; attempt < kReadAttempts; ++attempt) {
        unsigned long size = 0;
        if (!query(key, valueName, nullptr, &size) || size >= 0x7fffffffUL) {
            break;
        }
        TextString room('\0', static_cast<int>(size) + 1);
        unsigned long got = size + 1;
        if (query(key, valueName, reinterpret_cast<Byte*>(room.buffer), &got) && got <= size + 1) {
            text = TextOfValue(room.buffer, got);
            break;
        }
    }
    CloseRegistryKey(key);
    return text;
}

} // namespace

void SettingsStore::SetBaseKey(const TextString& path) { baseKeyPath = path; }

TextString SettingsStore::ReadString(const char* subkey, const char* valueName) {
    TextString path = KeyPathBelowBase(baseKeyPath, subkey);
    return ReadStringFrom(CurrentUserRoot(), path.buffer, valueName);
}

TextString SettingsStore::ReadStringFrom(HKEY__* root, const char* keyPath, const char* valueName) {
    return ReadWholeValue(root, keyPath, valueName, QueryRegistryValue);
}

int SettingsStore::WriteString(const char* subkey, const char* valueName, const TextString& value) {
    TextString path = KeyPathBelowBase(baseKeyPath, subkey);
    return WriteStringTo(CurrentUserRoot(), path.buffer, valueName, value);
}

// The value goes in whole, text and terminating zero, in one call: a reader never sees
// part of it. 1 only when the value was really stored: a key that opens for writing
// does not mean the value could be set, and callers act on this result.
int SettingsStore::WriteStringTo(HKEY__* root, const char* keyPath, const char* valueName,
                                 const TextString& value) {
    RegistryKey key = nullptr;
    if (!CreateRegistryKey(root, keyPath, &key)) {
        return 0;
    }
    bool stored = SetRegistryText(key, valueName, value.buffer, static_cast<unsigned long>(value.length) + 1);
    CloseRegistryKey(key);
    return stored ? 1 : 0;
}

int SettingsStore::WriteNumber(const char* subkey, const char* valueName, unsigned long number) {
    TextString path = KeyPathBelowBase(baseKeyPath, subkey);
    RegistryKey key = nullptr;
    if (!CreateRegistryKey(CurrentUserRoot(), path.buffer, &key)) {
        return 0;
    }
    bool stored = SetRegistryNumber(key, valueName, number);
    CloseRegistryKey(key);
    return stored ? 1 : 0;
}

// 1 when the value is gone afterwards; an absent value is no failure. 0 when the key
// cannot be opened for the change or the deletion is refused.
int SettingsStore::DeleteValueFrom(HKEY__* root, const char* keyPath, const char* valueName) {
    return DeleteValueOpenedAs(root, keyPath, valueName, KeyAccess::All);
}

// A path in a folder with a Cyrillic or Greek name takes two or three UTF-8 bytes a
// character, so a path well within MAX_PATH may need more than a few hundred bytes.
TextString SettingsStore::ReadUnicodeStringFrom(HKEY__* root, const char* keyPath, const char* valueName) {
    return ReadWholeValue(root, keyPath, valueName, QueryRegistryUnicodeText);
}

// As WriteStringTo: the whole value in one call, 1 only when it was really stored.
int SettingsStore::WriteUnicodeStringTo(HKEY__* root, const char* keyPath, const char* valueName,
                                        const TextString& value) {
    RegistryKey key = nullptr;
    if (!CreateRegistryKey(root, keyPath, &key)) {
        return 0;
    }
    bool stored =
        SetRegistryUnicodeText(key, valueName, value.buffer, static_cast<unsigned long>(value.length) + 1);
    CloseRegistryKey(key);
    return stored ? 1 : 0;
}

int SettingsStore::ReadFirstByteInSystemView(HKEY__* root, const char* keyPath, const char* valueName) {
    unsigned char data[kReadBufferSize] = {};
    unsigned long size = kReadBufferSize;
    RegistryKey key = nullptr;
    if (!OpenRegistryKey(root, keyPath, KeyAccess::ReadSystemView, &key)) {
        return -1;
    }
    bool found = QueryRegistryValue(key, valueName, data, &size);
    CloseRegistryKey(key);
    return found && size >= 1 && size <= kReadBufferSize ? data[0] : -1;
}

int SettingsStore::DeleteValueInSystemView(HKEY__* root, const char* keyPath, const char* valueName) {
    return DeleteValueOpenedAs(root, keyPath, valueName, KeyAccess::AllSystemView);
}

// A value exists when a query for its size alone succeeds: a value too large for
// ReadString still exists.
bool SettingsStore::HasValue(const char* subkey, const char* valueName) {
    TextString path = KeyPathBelowBase(baseKeyPath, subkey);
    RegistryKey key = nullptr;
    if (!OpenRegistryKey(CurrentUserRoot(), path.buffer, KeyAccess::Read, &key)) {
        return false;
    }
    unsigned long size = 0;
    bool found = QueryRegistryValue(key, valueName, nullptr, &size);
    CloseRegistryKey(key);
    return found;
}

// One open key for the whole walk: years of values are read in one pass.
int SettingsStore::ForEachString(const char* subkey, StringVisitor visit, void* context) {
    TextString path = KeyPathBelowBase(baseKeyPath, subkey);
    RegistryKey key = nullptr;
    if (!OpenRegistryKey(CurrentUserRoot(), path.buffer, KeyAccess::Read, &key)) {
        return 0;
    }
    TextString name(' ', static_cast<int>(kNameBufferSize));
    char data[kReadBufferSize] = {};
    for (unsigned long index = 0;; ++index) {
        unsigned long nameSize = kNameBufferSize;
        unsigned long size = kReadBufferSize;
        EnumeratedValue step = EnumerateRegistryValue(key, index, name.buffer, &nameSize,
                                                      reinterpret_cast<unsigned char*>(data), &size);
        if (step == EnumeratedValue::End) {
            break;
        }
        if (step == EnumeratedValue::Found && nameSize < kNameBufferSize && size <= kReadBufferSize) {
            name.buffer[nameSize] = '\0';
            visit(context, name.buffer, TextOfValue(data, size));
        }
    }
    CloseRegistryKey(key);
    return 1;
}
