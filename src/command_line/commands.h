#pragma once

#include <functional>
#include <optional>
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
    kDifferent = 1, // diff: the settings differ
    kBadInput = 2,  // bad arguments or values; a file that cannot be read; check: a disagreement
    kNotSaved = 3,  // the file could not be written: nothing changed
    kInternal = 4,  // the program itself failed (memory exhausted, say)
};

using Arguments = std::vector<std::wstring>;

// What a command is given: the folder of Config.ini, its arguments (as many
// as it takes: main.cpp's table says how many), and whether to answer in
// JSON (where it can).
struct Invocation {
    settings::NativePath directory;
    Arguments arguments;
    bool json = false;
};

int Check(const Invocation& call);
int Get(const Invocation& call);
int Set(const Invocation& call);
int Add(const Invocation& call);
int Remove(const Invocation& call);
// The seven settings in a file of their own, to standard output or to a
// file; this server's settings made those of a file; the two compared.
int Export(const Invocation& call);
int Import(const Invocation& call);
int Diff(const Invocation& call);

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

// Loads the settings, changes them and saves them as the window saves, again
// from the start when another program has changed the file in between.
// `change` is given the latest settings each time, so that such a change is
// kept where it does not make its own; it says what it did, or nothing when
// the settings are already so, which `already` then tells.
using Change = std::function<std::optional<std::wstring>(settings::ProtectionSettings&)>;
int ChangeAndSave(const settings::NativePath& directory, const Change& change, const std::wstring& already);

// Writes "错误：" and the text, on one line, to standard error; returns
// `code`.
int Fail(const std::wstring& text, int code = kBadInput);

// The bytes of Config.ini, nothing for a missing file; false, with the error
// written, when it is there but cannot be read.
bool ReadConfig(const settings::NativePath& directory, std::string& bytes);

}  // namespace command_line
