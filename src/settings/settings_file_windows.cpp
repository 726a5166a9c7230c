#include "settings_file.h"

#include <windows.h>

#include <algorithm>
#include <string>

namespace settings::platform {
namespace {

class Handle {
public:
    explicit Handle(HANDLE handle) : handle_(handle) {}
    ~Handle() { Close(); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;

    bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return handle_; }
    bool Close() {
        if (!valid()) return true;
        const HANDLE handle = handle_;
        handle_ = INVALID_HANDLE_VALUE;
        return CloseHandle(handle) != FALSE;
    }

private:
    HANDLE handle_;
};

// The form of a path that the file functions take at any length: a long
// absolute path gets the "\\?\" prefix, which also turns off the parsing of
// "/" and of trailing dots and spaces.
std::wstring ForFileApi(const std::wstring& path) {
    std::wstring text = path;
    for (auto& c : text) {
        if (c == L'/') c = L'\\';
    }
    if (text.size() < MAX_PATH - 12 || text.rfind(L"\\\\?\\", 0) == 0) return text;
    if (text.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + text.substr(2);
    if (text.size() >= 3 && text[1] == L':' && text[2] == L'\\') return L"\\\\?\\" + text;
    return text;
}

bool WriteAll(HANDLE file, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 24));
        DWORD written = 0;
        if (!WriteFile(file, bytes.data() + done, chunk, &written, nullptr)) return false;
        if (written == 0) {
            SetLastError(ERROR_WRITE_FAULT);  // nothing written, and no reason given
            return false;
        }
        done += written;
    }
    return true;
}

// A name beside `file` that nothing else uses, and the open file under it.
HANDLE CreateUniqueSibling(const std::wstring& file, std::wstring& name) {
    static LONG counter = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        wchar_t suffix[48];
        wsprintfW(suffix, L".%04x%04x.tmp", static_cast<unsigned>(GetCurrentProcessId() & 0xFFFF),
                  static_cast<unsigned>((GetTickCount() + InterlockedIncrement(&counter)) & 0xFFFF));
        name = file + suffix;
        const HANDLE handle = CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                          FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS) return handle;
    }
    return INVALID_HANDLE_VALUE;
}

ULONGLONG Ticks(const FILETIME& time) { return (ULONGLONG{time.dwHighDateTime} << 32) | time.dwLowDateTime; }

// Removes the temporary files that replacements of `file` (in the form of
// ForFileApi) cut short left. One that another replacement still has open
// cannot be deleted: it was opened without FILE_SHARE_DELETE.
void RemoveAbandonedTemporaries(const std::wstring& file) {
    const size_t separator = file.find_last_of(L"\\:");
    const std::wstring directory = separator == std::wstring::npos ? L"" : file.substr(0, separator + 1);
    const std::wstring fileName = file.substr(directory.size());
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW((file + L".????????.tmp").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    const ULONGLONG age = 10000000ULL * static_cast<ULONGLONG>(kAbandonedAfter.count());  // in 100 ns
    do {
        const ULONGLONG written = Ticks(found.ftLastWriteTime);
        // A time in the future (another clock) is no age.
        if ((found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) ||
            !IsTemporaryName<wchar_t>(fileName, found.cFileName) || Ticks(now) < written ||
            Ticks(now) - written < age) {
            continue;
        }
        DeleteFileW((directory + found.cFileName).c_str());
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

}  // namespace

NativePath ApplicationDirectory() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    const size_t separator = path.find_last_of(L"\\/");
    path.resize(separator == std::wstring::npos ? 0 : separator);
    return path;
}

FileState Inspect(const NativePath& file, ErrorCode& error) {
    const DWORD attributes = GetFileAttributesW(ForFileApi(file).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? FileState::Missing
                                                                              : FileState::Unknown;
    }
    if (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) return FileState::NotAFile;
    if (attributes & FILE_ATTRIBUTE_READONLY) return FileState::ReadOnly;
    return FileState::Writable;
}

bool ReadWholeFile(const NativePath& file, std::string& bytes, ErrorCode& error) {
    bytes.clear();
    Handle handle(CreateFileW(ForFileApi(file).c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                              FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!handle.valid()) {
        error = GetLastError();
        return false;
    }
    LARGE_INTEGER size{};
    if (GetFileSizeEx(handle.get(), &size) && size.QuadPart > 0) bytes.reserve(static_cast<size_t>(size.QuadPart));
    char buffer[65536];
    for (;;) {
        DWORD n = 0;
        if (!ReadFile(handle.get(), buffer, sizeof buffer, &n, nullptr)) {
            error = GetLastError();
            return false;
        }
        if (n == 0) return true;
        bytes.append(buffer, n);
    }
}

bool ReplaceFileContents(const NativePath& file, const std::string& bytes, ErrorCode& error) {
    const std::wstring target = ForFileApi(file);
    const bool existed = GetFileAttributesW(target.c_str()) != INVALID_FILE_ATTRIBUTES;
    if (existed) {
        // A file that another program holds open without letting it go
        // cannot be replaced: better known before anything is written. (A
        // replacement failing half-way under Wine leaves a file behind.)
        Handle probe(CreateFileW(target.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                 nullptr, OPEN_EXISTING, 0, nullptr));
        if (!probe.valid()) {
            error = GetLastError();
            return false;
        }
    }
    RemoveAbandonedTemporaries(target);

    std::wstring temporary;
    Handle handle(CreateUniqueSibling(target, temporary));
    if (!handle.valid()) {
        error = GetLastError();
        return false;
    }
    bool ok = WriteAll(handle.get(), bytes) && FlushFileBuffers(handle.get());
    if (!ok) error = GetLastError();
    if (!handle.Close() && ok) {
        error = GetLastError();
        ok = false;
    }
    if (ok) {
        // Replacing keeps the old file's security descriptor (the web
        // server's right to read it), attributes and creation time.
        ok = existed ? ReplaceFileW(target.c_str(), temporary.c_str(), nullptr, 0, nullptr, nullptr) != FALSE
                     : MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH) != FALSE;
        if (!ok) error = GetLastError();
    }
    if (!ok) DeleteFileW(temporary.c_str());
    return ok;
}

}  // namespace settings::platform
