#pragma once

#include <filesystem>
#include <string>
#include <vector>

// HotlinkConfigCmd.exe run as scripts run it, each time a process of its
// own with its output redirected to files.
namespace command_runs {

struct Outcome {
    int code;
    std::wstring out, err;  // as read in code page 936, the console's here as on a Chinese Windows
    std::string bytes;      // standard output as written
};

// Where the build put it.
const std::filesystem::path& Program();

// Runs it with the arguments, and /dir:DIR when a folder is given.
Outcome Cmd(std::vector<std::wstring> arguments, const std::filesystem::path& dir = {});

inline bool StartsWith(const std::wstring& text, const std::wstring& start) { return text.rfind(start, 0) == 0; }

}  // namespace command_runs
