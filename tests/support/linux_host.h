#pragma once

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

// The Linux machine that Wine runs the Windows tests on: where a test needs
// what only Linux can do to a file (make it immutable, put a small file
// system under a folder), it runs Linux's own tools. Nothing here works on
// Windows, where such tests are skipped.
namespace linux_host {

// The Linux name of a Windows path under Wine; empty elsewhere.
std::wstring UnixName(const std::filesystem::path& path);

// Runs a Linux command line with /bin/sh and waits up to `timeout` for its
// end: its exit code, or -1 when it cannot run here or did not end in time.
int Run(const std::wstring& commandLine, std::chrono::milliseconds timeout = std::chrono::seconds(60));

// Files or folders made immutable for as long as this lives (chattr +i):
// not even root may then change, replace or delete them, nor add to the
// folders. Needs Wine, root and a file system that keeps the flag.
class Immutable {
public:
    explicit Immutable(std::vector<std::filesystem::path> paths);
    ~Immutable();
    Immutable(const Immutable&) = delete;
    Immutable& operator=(const Immutable&) = delete;

    bool made() const { return made_; }
    // Takes the flag off again: false when that failed.
    bool Undo();

private:
    std::wstring Names() const;

    std::vector<std::filesystem::path> paths_;
    bool made_ = false;
};

// A folder of this machine seen by the Windows programs under Wine as a
// share, \\SERVER\share, for as long as this lives.
class Share {
public:
    explicit Share(const std::filesystem::path& folder);
    ~Share();
    Share(const Share&) = delete;
    Share& operator=(const Share&) = delete;

    bool made() const { return made_; }
    // \\SERVER\share
    const std::wstring& root() const { return root_; }

private:
    std::wstring server_, root_;
    bool made_ = false;
};

// A JSON text as Python's own json module reads it, written back with its
// keys sorted and every character as it is, in UTF-8; empty when it does not
// parse as ASCII JSON, or when Python cannot be run here.
std::string ReadByPython(const std::string& json);

}  // namespace linux_host
