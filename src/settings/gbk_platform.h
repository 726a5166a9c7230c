#pragma once

#include <string>
#include <string_view>

// The platform's own code page 936 conversions, all or nothing: they fail
// on any byte sequence or character that the code page does not map.
namespace settings::platform {

bool DecodeGbkStrict(std::string_view bytes, std::wstring& out);
bool EncodeGbkStrict(std::wstring_view text, std::string& out);

// DecodeGbkStrict for bytes already known to be well formed: ASCII, 0x80 and
// lead bytes with trail bytes, `characters` characters in all. The text is
// appended to `out`, which is left as it was on failure. May be quicker;
// fails exactly when DecodeGbkStrict does.
bool AppendWellFormedGbk(std::string_view bytes, size_t characters, std::wstring& out);

}  // namespace settings::platform
