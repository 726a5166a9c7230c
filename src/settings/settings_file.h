#pragma once

#include <string>

#include "native_path.h"

// The platform's side of Config.ini: where the program lives, and reading
// and replacing one file safely.
namespace settings::platform {

// The directory of the running executable, without a trailing separator,
// found afresh on each call. Any length and any characters.
NativePath ApplicationDirectory();

enum class FileState {
    Missing,   // no such file: it will be created
    Writable,  // a file that may be replaced
    ReadOnly,  // marked read-only: it must not be replaced
    Unusable,  // a folder, or a name that cannot be examined
};

FileState Inspect(const NativePath& file);

// The whole content of an existing file.
bool ReadWholeFile(const NativePath& file, std::string& bytes);

// Puts `bytes` in place of `file` in one step: they go to a new file with a
// unique name in the same directory, are flushed to disk and then take the
// place of `file`, keeping its permissions. On failure `file` is as it was
// and the new file is gone.
bool ReplaceFileContents(const NativePath& file, const std::string& bytes);

}  // namespace settings::platform
