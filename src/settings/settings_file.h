#pragma once

#include <chrono>
#include <string>
#include <string_view>

#include "native_path.h"

// The platform's side of Config.ini: where the program lives, and reading
// and replacing one file safely.
namespace settings::platform {

// The directory of the running executable, without a trailing separator,
// found afresh on each call. Any length and any characters.
NativePath ApplicationDirectory();

// Why a file call failed, in the platform's own terms: GetLastError() on
// Windows, errno elsewhere.
using ErrorCode = unsigned long;

enum class FileState {
    Missing,   // no such file: it will be created
    Writable,  // a file that may be replaced
    ReadOnly,  // marked read-only: it must not be replaced
    NotAFile,  // a folder or a device
    Unknown,   // a name that cannot be examined: `error` tells why
};

FileState Inspect(const NativePath& file, ErrorCode& error);

// What a failed file call's error means to the user.
enum class ErrorKind {
    NoPermission,  // the user may not write there
    InUse,         // another program holds the file
    DiskFull,
    Other,
};
ErrorKind KindOf(ErrorCode error);

// The platform's codes that mean each kind, for KindOf.
struct CodeKind {
    ErrorCode code;
    ErrorKind kind;
};
template <size_t N>
ErrorKind KindIn(const CodeKind (&kinds)[N], ErrorCode error) {
    for (const CodeKind& k : kinds) {
        if (k.code == error) return k.kind;
    }
    return ErrorKind::Other;
}

// The system's own words for an error, on one line.
std::wstring ErrorText(ErrorCode error);

// The whole content of an existing file; on failure `error` tells why.
bool ReadWholeFile(const NativePath& file, std::string& bytes, ErrorCode& error);

// Puts `bytes` in place of `file` in one step: they go to a new file with a
// unique name in the same directory, which takes over the old file's access
// rights and attributes, is flushed to disk and closed, and is then renamed
// over `file`. A reader of `file` finds, at every moment, the old content or
// the new, whole. On failure `file` is as it was, the new file is gone and
// `error` tells why.
//
// On Windows another program's open handle can refuse the file for a
// moment (the filter reading it, a virus scanner, a backup agent): such a
// refusal, when reading and when renaming, is tried again for about two
// seconds before it counts.
//
// A replacement cut short (the program killed, the machine down) leaves its
// temporary file behind. Each replacement first removes those: files beside
// `file` under the temporary name, untouched for kAbandonedAfter, which no
// replacement still at work can be.
bool ReplaceFileContents(const NativePath& file, const std::string& bytes, ErrorCode& error);

inline constexpr std::chrono::seconds kAbandonedAfter{60};

// Whether `name` is a temporary name of ReplaceFileContents beside a file
// named `fileName`: that name, a dot, eight lowercase hexadecimal digits and
// ".tmp", exactly.
template <typename Char>
bool IsTemporaryName(std::basic_string_view<Char> fileName, std::basic_string_view<Char> name) {
    constexpr size_t kDigits = 8;
    constexpr Char kTail[] = {'.', 't', 'm', 'p'};
    if (name.size() != fileName.size() + 1 + kDigits + 4 || name.substr(0, fileName.size()) != fileName ||
        name[fileName.size()] != '.' ||
        name.substr(name.size() - 4) != std::basic_string_view<Char>(kTail, 4)) {
        return false;
    }
    for (const Char c : name.substr(fileName.size() + 1, kDigits)) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
    }
    return true;
}

}  // namespace settings::platform
