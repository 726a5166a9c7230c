#pragma once

#include <string>
#include <string_view>

// The platform's own code page 936 conversions, all or nothing: they fail
// on any byte sequence or character that the code page does not map.
namespace settings::platform {

bool DecodeGbkStrict(std::string_view bytes, std::wstring& out);
bool EncodeGbkStrict(std::wstring_view text, std::string& out);

// A quicker way for bytes already known to be well formed: ASCII, 0x80 and
// lead bytes with trail bytes, `characters` characters in all. Appends their
// text to `out` when the platform can be sure of every character; false,
// with `out` as it was, sends the caller the strict way.
bool AppendWellFormedGbkQuickly(std::string_view bytes, size_t characters, std::wstring& out);

}  // namespace settings::platform
