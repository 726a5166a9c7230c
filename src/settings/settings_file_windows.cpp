#include "settings_file.h"

#include <windows.h>

#include <algorithm>
#include <string>

#include "handles.h"

namespace settings::platform {
namespace {

using handles::FileHandle;
using handles::SearchHandle;

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

// Appends the rest of an open file to `bytes`.
bool ReadAll(HANDLE file, std::string& bytes) {
    bytes.clear();
    LARGE_INTEGER size{};
    if (GetFileSizeEx(file, &size) && size.QuadPart > 0) bytes.reserve(static_cast<size_t>(size.QuadPart));
    char buffer[65536];
    for (;;) {
        DWORD n = 0;
        if (!ReadFile(file, buffer, sizeof buffer, &n, nullptr)) return false;
        if (n == 0) return true;
        bytes.append(buffer, n);
    }
}

// A name beside `file` that nothing else uses, and the open file under it.
// The handle may also change the file's security and delete it.
HANDLE CreateUniqueSibling(const std::wstring& file, std::wstring& name) {
    static LONG counter = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        wchar_t suffix[48];
        wsprintfW(suffix, L".%04x%04x.tmp", static_cast<unsigned>(GetCurrentProcessId() & 0xFFFF),
                  static_cast<unsigned>((GetTickCount() + InterlockedIncrement(&counter)) & 0xFFFF));
        name = file + suffix;
        const HANDLE handle = CreateFileW(name.c_str(), GENERIC_WRITE | WRITE_DAC | DELETE, 0, nullptr, CREATE_NEW,
                                          FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS) return handle;
    }
    return INVALID_HANDLE_VALUE;
}

// Gives the new file what the file it replaces has beyond its bytes: the
// access rights (the web server's right to read it, say) and the attributes.
// Nothing to give when there is no such file yet.
bool TakeOverIdentity(const std::wstring& original, HANDLE replacement) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(original.c_str(), GetFileExInfoStandard, &data)) {
        return GetLastError() == ERROR_FILE_NOT_FOUND;
    }
    DWORD needed = 0;
    GetFileSecurityW(original.c_str(), DACL_SECURITY_INFORMATION, nullptr, 0, &needed);
    std::string descriptor(needed, '\0');
    // The access list exactly as it stands, inherited entries marked so.
    if (needed == 0 ||
        !GetFileSecurityW(original.c_str(), DACL_SECURITY_INFORMATION, descriptor.data(), needed, &needed) ||
        !SetKernelObjectSecurity(replacement, DACL_SECURITY_INFORMATION, descriptor.data())) {
        return false;
    }
    constexpr DWORD kKept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                            FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    FILE_BASIC_INFO basic{};
    basic.CreationTime.LowPart = data.ftCreationTime.dwLowDateTime;
    basic.CreationTime.HighPart = static_cast<LONG>(data.ftCreationTime.dwHighDateTime);
    basic.FileAttributes = (data.dwFileAttributes & kKept) ? (data.dwFileAttributes & kKept) : FILE_ATTRIBUTE_NORMAL;
    return SetFileInformationByHandle(replacement, FileBasicInfo, &basic, sizeof basic) != FALSE;
}

// Renames `from` over `to` in one step: at every moment `to` names either
// the old file or the new one. Where the system has it, the POSIX kind of
// rename, which also replaces a file that readers hold open with delete
// sharing; otherwise the classic one.
bool RenameOver(const std::wstring& from, const std::wstring& to) {
    constexpr auto kFileRenameInfoEx = static_cast<FILE_INFO_BY_HANDLE_CLASS>(22);
    constexpr DWORD kReplaceIfExists = 0x1, kPosixSemantics = 0x2;
    {
        // Opened for the rename alone, with every sharing: a reader of the
        // new file is refused only while this handle lives.
        FileHandle file(CreateFileW(from.c_str(), DELETE | SYNCHRONIZE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0,
                                nullptr));
        if (!file.valid()) return false;
        std::string buffer(sizeof(FILE_RENAME_INFO) + to.size() * sizeof(wchar_t), '\0');
        auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
        rename->Flags = kReplaceIfExists | kPosixSemantics;
        rename->FileNameLength = static_cast<DWORD>(to.size() * sizeof(wchar_t));
        to.copy(rename->FileName, to.size());
        if (SetFileInformationByHandle(file.get(), kFileRenameInfoEx, rename, static_cast<DWORD>(buffer.size()))) {
            return true;
        }
        const DWORD error = GetLastError();
        // Only a system or file system without this kind of rename goes on
        // to the classic one.
        if (error != ERROR_INVALID_PARAMETER && error != ERROR_NOT_SUPPORTED && error != ERROR_INVALID_FUNCTION &&
            error != ERROR_CALL_NOT_IMPLEMENTED) {
            return false;
        }
    }
    return MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

// Another program's open handle refuses the file for a while: a virus
// scanner, a backup agent, the filter reading it. Such refusals are tried
// again, with short waits, for kPatience in all.
constexpr ULONGLONG kPatienceMs = 2000;

class Patience {
public:
    // Waits a little before the next try; false once the time is up.
    bool WaitMore() {
        if (GetTickCount64() - started_ >= kPatienceMs) return false;
        Sleep(wait_);
        wait_ = std::min<DWORD>(wait_ * 2, 16);
        return true;
    }

private:
    ULONGLONG started_ = GetTickCount64();
    DWORD wait_ = 1;
};

bool IsSharingRefusal(DWORD error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

// Whether anything may change the file: write its attributes, here with
// the values they have. Nothing may where the rights are missing, or where
// Linux under Wine keeps the file immutable or append-only.
bool MayChange(const std::wstring& file) {
    FileHandle handle(CreateFileW(file.c_str(), FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0,
                                  nullptr));
    FILE_BASIC_INFO basic{};
    if (!handle.valid()) return GetLastError() != ERROR_ACCESS_DENIED;
    if (!GetFileInformationByHandleEx(handle.get(), FileBasicInfo, &basic, sizeof basic)) return true;
    // Times of 0 are left as they are.
    basic.CreationTime.QuadPart = basic.LastAccessTime.QuadPart = 0;
    basic.LastWriteTime.QuadPart = basic.ChangeTime.QuadPart = 0;
    return SetFileInformationByHandle(handle.get(), FileBasicInfo, &basic, sizeof basic) ||
           GetLastError() != ERROR_ACCESS_DENIED;
}

// Whether a rename over `file`, refused with `error`, is worth trying again:
// another program's handle goes away, missing rights stay.
//
// Both refuse the rename as "access denied". Opening the file for deletion
// tells them apart where it can: a holder refuses it as a sharing violation,
// missing rights as "access denied". Where that open succeeds, a brief
// holder may have let go in between, or one holds the file that lets others
// delete it; or the refusal comes from what the open does not see, such as
// an immutable file, which refuses any change of the file itself.
bool HeldByAnother(const std::wstring& file, DWORD& error) {
    if (IsSharingRefusal(error)) return true;
    if (error != ERROR_ACCESS_DENIED) return false;
    FileHandle probe(CreateFileW(file.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, 0, nullptr));
    if (probe.valid()) {
        probe.Close();
        if (!MayChange(file)) return false;
    } else if (GetLastError() == ERROR_ACCESS_DENIED) {
        return false;
    }
    error = ERROR_SHARING_VIOLATION;
    return true;
}

// Deletes our own temporary file. It carries the access list of the file it
// was to replace, which may deny deletion; its owner may always change that
// list, and does so before a second try.
void RemoveTemporary(const std::wstring& name) {
    if (DeleteFileW(name.c_str()) || GetLastError() != ERROR_ACCESS_DENIED) return;
    {
        FileHandle file(CreateFileW(name.c_str(), WRITE_DAC, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, 0, nullptr));
        SECURITY_DESCRIPTOR open{};
        if (!file.valid() || !InitializeSecurityDescriptor(&open, SECURITY_DESCRIPTOR_REVISION) ||
            !SetSecurityDescriptorDacl(&open, TRUE, nullptr, FALSE) ||
            !SetKernelObjectSecurity(file.get(), DACL_SECURITY_INFORMATION, &open)) {
            return;
        }
    }
    DeleteFileW(name.c_str());
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
    const SearchHandle search(FindFirstFileW((file + L".????????.tmp").c_str(), &found));
    if (!search.valid()) return;
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
    } while (FindNextFileW(search.get(), &found));
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

ErrorKind KindOf(ErrorCode error) {
    constexpr CodeKind kKinds[] = {
        {ERROR_ACCESS_DENIED, ErrorKind::NoPermission},   {ERROR_PRIVILEGE_NOT_HELD, ErrorKind::NoPermission},
        {ERROR_SHARING_VIOLATION, ErrorKind::InUse},      {ERROR_LOCK_VIOLATION, ErrorKind::InUse},
        {ERROR_USER_MAPPED_FILE, ErrorKind::InUse},       {ERROR_UNABLE_TO_REMOVE_REPLACED, ErrorKind::InUse},
        {ERROR_DISK_FULL, ErrorKind::DiskFull},           {ERROR_HANDLE_DISK_FULL, ErrorKind::DiskFull},
    };
    return KindIn(kKinds, error);
}

std::wstring ErrorText(ErrorCode error) {
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        static_cast<DWORD>(error), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring words = length > 0 ? std::wstring(text, length) : L"错误代码 " + std::to_wstring(error);
    LocalFree(text);
    while (!words.empty() && (words.back() == L'\n' || words.back() == L'\r' || words.back() == L' ')) words.pop_back();
    return words;
}

bool ReadWholeFile(const NativePath& file, std::string& bytes, ErrorCode& error) {
    bytes.clear();
    const std::wstring name = ForFileApi(file);
    Patience patience;
    for (;;) {
        FileHandle handle(CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
        if (handle.valid() && ReadAll(handle.get(), bytes)) return true;
        error = GetLastError();
        if (!IsSharingRefusal(error) || !patience.WaitMore()) return false;
    }
}

bool ReplaceFileContents(const NativePath& file, const std::string& bytes, ErrorCode& error) {
    const std::wstring target = ForFileApi(file);
    RemoveAbandonedTemporaries(target);

    std::wstring temporary;
    FileHandle handle(CreateUniqueSibling(target, temporary));
    if (!handle.valid()) {
        error = GetLastError();
        return false;
    }
    // The new file is whole, flushed to disk and closed before it takes the
    // name: a reader never finds the name missing, nor the file half written
    // or held open for writing.
    bool ok = WriteAll(handle.get(), bytes) && TakeOverIdentity(target, handle.get()) &&
              FlushFileBuffers(handle.get());
    if (!ok) error = GetLastError();
    if (!handle.Close() && ok) {
        error = GetLastError();
        ok = false;
    }
    for (Patience patience; ok && !RenameOver(temporary, target);) {
        error = GetLastError();
        ok = HeldByAnother(target, error) && patience.WaitMore();
    }
    // Until the rename the old file is untouched, and the new content still
    // the caller's: the temporary file may go.
    if (!ok) RemoveTemporary(temporary);
    return ok;
}

}  // namespace settings::platform
