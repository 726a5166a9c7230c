#pragma once

#include <string>

namespace settings {

// A path as the platform's own file calls take it: UTF-16 on Windows, bytes
// elsewhere. std::filesystem::path converts to it by itself. (The program
// uses no std::filesystem: on Windows it brings the library's whole locale
// support into the executable.)
#ifdef _WIN32
using NativePath = std::wstring;
#else
using NativePath = std::string;
#endif

}  // namespace settings
