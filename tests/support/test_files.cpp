#include "test_files.h"

#include <algorithm>
#include <cstdio>
#include <atomic>
#include <chrono>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
#include <system_error>

#ifdef _WIN32
#include <windows.h>

#include "child_process.h"
#include "handles.h"
#else
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace testing_files {

TempDir::TempDir() {
    static std::atomic<unsigned> counter{0};
    std::random_device entropy;
    for (int attempt = 0; attempt < 100; ++attempt) {
        auto name = "hotlink-test-" + std::to_string(entropy()) + "-" + std::to_string(counter++);
        path_ = fs::temp_directory_path() / name;
        if (fs::create_directory(path_)) return;
    }
    throw std::runtime_error("cannot create a test directory");
}

#ifdef _WIN32
namespace {

// Windows file calls take paths of any length with the "\\?\" prefix.
std::wstring Extended(const fs::path& path) { return L"\\\\?\\" + path.native(); }

void RemoveTree(const std::wstring& extended) {
    WIN32_FIND_DATAW found;
    const handles::SearchHandle search(FindFirstFileW((extended + L"\\*").c_str(), &found));
    if (search.valid()) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring child = extended + L"\\" + name;
            SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(child);
            } else {
                DeleteFileW(child.c_str());
            }
        } while (FindNextFileW(search.get(), &found));
    }
    RemoveDirectoryW(extended.c_str());
}

}  // namespace

TempDir::~TempDir() { RemoveTree(Extended(path_)); }

fs::path MakeDeepDirectory(const fs::path& base, size_t length) {
    fs::path deep = base;
    while (deep.native().size() < length) {
        deep /= L"站点目录-abcdefghij";
        if (!CreateDirectoryW(Extended(deep).c_str(), nullptr)) throw std::runtime_error("cannot create a deep folder");
    }
    return deep;
}
#else
TempDir::~TempDir() {
    std::error_code ignored;
    fs::recursive_directory_iterator entry(path_, ignored), end;
    for (; entry != end; entry.increment(ignored)) {
        fs::permissions(entry->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
    }
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(path_, ignored);
}

fs::path MakeDeepDirectory(const fs::path& base, size_t length) {
    fs::path deep = base;
    while (deep.native().size() < length) deep /= "站点目录-abcdefghij";
    fs::create_directories(deep);
    return deep;
}
#endif

void WriteBytes(const fs::path& file, const std::string& bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + file.string());
}

std::string ReadBytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + file.string());
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::string> Entries(const fs::path& directory) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(directory)) names.push_back(entry.path().filename().u8string());
    std::sort(names.begin(), names.end());
    return names;
}

void MakeReadOnly(const fs::path& file) {
    fs::permissions(file, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
}

int RunProgram(const fs::path& program) {
#ifdef _WIN32
    ChildProcess process(program, {}, {{}, false});
    return process.Wait(INFINITE);
#else
    const pid_t child = fork();
    if (child == 0) {
        execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status) == 127 ? -1 : WEXITSTATUS(status);
#endif
}

std::string Escaped(std::string_view bytes) {
    std::string out;
    for (const char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        if (u >= 0x20 && u < 0x7F && c != '\\') {
            out += c;
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", u);
            out += hex;
        }
    }
    return out;
}

}  // namespace testing_files
