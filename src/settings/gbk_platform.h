#pragma once

#include <string>
#include <string_view>

// The platform's own code page 936 conversions, all or nothing: they fail
// on any byte sequence or character that the code page does not map.
namespace settings::platform {

bool DecodeGbkStrict(std::string_view bytes, std::wstring& out);
bool EncodeGbkStrict(std::wstring_view text, std::string& out);

}  // namespace settings::platform
