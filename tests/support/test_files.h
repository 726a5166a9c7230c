#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace testing_files {

// A fresh directory of its own for one test, removed with everything in it
// at the end.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path config() const { return path_ / "Config.ini"; }

private:
    std::filesystem::path path_;
};

void WriteBytes(const std::filesystem::path& file, const std::string& bytes);
std::string ReadBytes(const std::filesystem::path& file);
// The names in a directory, sorted.
std::vector<std::string> Entries(const std::filesystem::path& directory);
// Removes every write permission (the read-only attribute on Windows).
void MakeReadOnly(const std::filesystem::path& file);
// Creates directories below `base` until the path is at least `length`
// characters long, past the 260 that plain Windows file calls take.
std::filesystem::path MakeDeepDirectory(const std::filesystem::path& base, size_t length);
// Runs a program and gives its exit code, or -1 when it cannot start.
int RunProgram(const std::filesystem::path& program);
// Bytes as a failure prints them: printable ASCII as it is, the rest as \xNN.
std::string Escaped(std::string_view bytes);

}  // namespace testing_files
