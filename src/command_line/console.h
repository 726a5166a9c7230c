#pragma once

#include <windows.h>

#include <string>
#include <string_view>

// Standard output and error as Windows' own console tools write them: to a
// console window in UTF-16 (WriteConsoleW), readable whatever its code page;
// redirected to a file or a pipe, in the console's output code page (chcp;
// the OEM code page without a console), which is also how PowerShell decodes
// what a program writes. Lines end in CRLF.
namespace command_line {

void WriteLine(std::wstring_view text);       // to standard output
void WriteErrorLine(std::wstring_view text);  // to standard error
// Bytes to standard output as they are, converted to nothing.
void WriteBytes(std::string_view bytes);

}  // namespace command_line
