#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "native_path.h"
#include "protection_settings.h"

// The console program's commands on Config.ini in a directory. Each writes
// what it did to standard output, or one line of why it could not to
// standard error, and returns the program's exit code.
namespace command_line {

enum ExitCode : int {
    kDone = 0,      // done: changed, unchanged, shown, or checked clean
    kWarnings = 1,  // check: warnings, no disagreement
    kBadInput = 2,  // bad arguments or values; check: a disagreement, or the file cannot be read
    kNotSaved = 3,  // the file could not be written: nothing changed
    kInternal = 4,  // the program itself failed (memory exhausted, say)
};

using Arguments = std::vector<std::wstring>;

// Each is given as many arguments as it takes (main.cpp's table says how
// many).
int Check(const settings::NativePath& directory);
int Get(const settings::NativePath& directory, const Arguments& arguments);
int Set(const settings::NativePath& directory, const Arguments& arguments);
int Add(const settings::NativePath& directory, const Arguments& arguments);
int Remove(const settings::NativePath& directory, const Arguments& arguments);

// Shared by the commands.

// Whether an argument is `word` (ASCII) in any letter case: only ASCII
// letters match without regard to case, and any other character makes it
// another word.
bool IsWord(std::wstring_view argument, std::string_view word);

// The key of that name in any letter case, as the profile reader matches
// names; null, with the error written, when there is none.
const settings::SettingKey* FindKey(const std::wstring& name);

// A key's name as the commands print it.
inline std::wstring Name(const settings::SettingKey& key) {
    const std::string_view name = key.name;
    return std::wstring(name.begin(), name.end());
}

// Writes "错误：" and the text, on one line, to standard error; returns
// `code`.
int Fail(const std::wstring& text, int code = kBadInput);

// The bytes of Config.ini, nothing for a missing file; false, with the error
// written, when it is there but cannot be read.
bool ReadConfig(const settings::NativePath& directory, std::string& bytes);

}  // namespace command_line
