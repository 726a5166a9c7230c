#pragma once

#include <optional>
#include <string>
#include <string_view>

// Conversion between window text (UTF-16 on Windows, UTF-32 elsewhere) and
// the GBK bytes of Config.ini: exactly Windows code page 936, whatever the
// machine's own ANSI code page is.
namespace settings {

// A GBK lead byte: 0x81-0xFE.
inline bool IsLeadByte(char c) {
    const auto u = static_cast<unsigned char>(c);
    return u >= 0x81 && u <= 0xFE;
}

// The length of the character that begins at `at`, as the platform's
// conversion, and with it the profile reader, divides bytes into
// characters: a lead byte takes the byte after it, whatever that byte is,
// unless it is NUL or missing (2); any other byte stands alone (1).
inline size_t CharacterLength(std::string_view bytes, size_t at) {
    return IsLeadByte(bytes[at]) && at + 1 < bytes.size() && bytes[at + 1] != '\0' ? 2 : 1;
}

// Decodes GBK bytes, divided into characters as CharacterLength says. A
// character that code page 936 does not map becomes one U+FFFD; decoding
// never fails.
std::wstring DecodeGbk(std::string_view bytes);

// Encodes text as GBK; nothing when a character has no exact counterpart in
// code page 936. Never substitutes "?" or a look-alike.
std::optional<std::string> EncodeGbk(std::wstring_view text);

// Whether the text can be stored as a value of Config.ini: every character
// encodes exactly, and it holds no line break or NUL, which would cut the
// value or forge further lines of the file.
bool CanStoreText(std::wstring_view text);

// Encodes text as GBK for reading only: a character without a counterpart
// becomes "?".
std::string EncodeGbkLossy(std::wstring_view text);

// The bytes of a text that CanStoreText accepts; nothing for any other.
std::optional<std::string> EncodeStorableText(std::wstring_view text);

}  // namespace settings
