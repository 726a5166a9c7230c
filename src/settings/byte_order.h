#pragma once

#include <string>
#include <string_view>

// Files that announce another coding than GBK by a byte-order mark. The
// editor reads them, for display, but never writes them: its lines would be
// in another coding than the file's own.
namespace settings {

enum class FileCoding { Gbk, Utf8, Utf16LittleEndian, Utf16BigEndian };

// The coding the file's first bytes announce; GBK when they announce none.
FileCoding CodingOf(std::string_view bytes);

// The name of a coding, as the user reads it ("UTF-8", "UTF-16").
const wchar_t* CodingName(FileCoding coding);

// The text of a file in a coding other than GBK, after its byte-order mark.
// Malformed sequences become U+FFFD.
std::wstring DecodeMarkedText(std::string_view bytes, FileCoding coding);

}  // namespace settings
