#include "console.h"

#include <string>

namespace command_line {
namespace {

void Write(DWORD stream, std::wstring_view text) {
    const HANDLE handle = GetStdHandle(stream);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return;
    std::wstring lines;
    lines.reserve(text.size() + 2);
    for (const wchar_t c : text) {
        if (c == L'\n') lines += L'\r';
        lines += c;
    }
    lines += L"\r\n";
    DWORD mode = 0, written = 0;
    if (GetConsoleMode(handle, &mode)) {
        WriteConsoleW(handle, lines.data(), static_cast<DWORD>(lines.size()), &written, nullptr);
        return;
    }
    UINT codePage = GetConsoleOutputCP();
    if (codePage == 0) codePage = GetOEMCP();
    const int size = static_cast<int>(lines.size());
    std::string bytes(static_cast<size_t>(WideCharToMultiByte(codePage, 0, lines.data(), size, nullptr, 0, nullptr,
                                                              nullptr)),
                      '\0');
    WideCharToMultiByte(codePage, 0, lines.data(), size, bytes.data(), static_cast<int>(bytes.size()), nullptr,
                        nullptr);
    WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

}  // namespace

void WriteLine(std::wstring_view text) { Write(STD_OUTPUT_HANDLE, text); }

void WriteErrorLine(std::wstring_view text) { Write(STD_ERROR_HANDLE, text); }

void WriteBytes(std::string_view bytes) {
    const HANDLE handle = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD written = 0;
    if (handle && handle != INVALID_HANDLE_VALUE) {
        WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    }
}

}  // namespace command_line
