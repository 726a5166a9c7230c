#include "linux_host.h"

#include <windows.h>

#include <atomic>
#include <cstring>
#include <fstream>
#include <system_error>

#include "child_process.h"
#include "test_files.h"
#include "window_driving.h"

namespace linux_host {

std::wstring UnixName(const std::filesystem::path& path) {
    using UnixFileName = char*(CDECL*)(const wchar_t*);
    const auto unixName = reinterpret_cast<UnixFileName>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    std::wstring name;
    if (char* bytes = unixName ? unixName(path.c_str()) : nullptr) {
        name.assign(bytes, bytes + std::strlen(bytes));
        HeapFree(GetProcessHeap(), 0, bytes);
    }
    return name;
}

int Run(const std::wstring& commandLine, std::chrono::milliseconds timeout) {
    // Wine starts a Linux program but gives no handle to wait on, and hands
    // it its arguments as they stand: the command goes into a script, which
    // leaves its exit code in a file once it is done.
    static std::atomic<unsigned> counter{0};
    const std::filesystem::path base = std::filesystem::temp_directory_path() /
        (L"hotlink-linux-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(counter++));
    const std::filesystem::path script = base.native() + L".sh", status = base.native() + L".status";
    const std::wstring unixScript = UnixName(script), unixStatus = UnixName(status);
    if (unixScript.empty() || unixStatus.empty()) return -1;
    const auto utf8 = [](const std::wstring& text) { return std::filesystem::path(text).u8string(); };
    std::ofstream(script, std::ios::binary) << "(" << utf8(commandLine) << ")\necho $? >'" << utf8(unixStatus)
                                            << ".part'\nmv '" << utf8(unixStatus) << ".part' '"
                                            << utf8(unixStatus) << "'\n";
    testing_files::ChildProcess shell(L"/bin/sh", {unixScript}, {{}, false});
    shell.Release();
    int code = -1;
    if (shell.errors().empty() && window_driving::WaitFor([&] { return std::filesystem::exists(status); }, timeout)) {
        code = std::stoi("0" + testing_files::ReadBytes(status));
    }
    std::error_code ignored;
    std::filesystem::remove(script, ignored);
    std::filesystem::remove(status, ignored);
    return code;
}

Immutable::Immutable(std::vector<std::filesystem::path> paths) : paths_(std::move(paths)) {
    made_ = Run(L"chattr +i" + Names()) == 0;
}

Immutable::~Immutable() { Undo(); }

bool Immutable::Undo() {
    if (!made_) return true;
    made_ = Run(L"chattr -i" + Names()) != 0;
    return !made_;
}

std::wstring Immutable::Names() const {
    std::wstring names;
    for (const auto& path : paths_) {
        const std::wstring name = UnixName(path);
        if (name.empty() || name.find(L'\'') != std::wstring::npos) return L" /nonexistent";
        names += L" '" + name + L"'";
    }
    return names;
}

// Wine reaches \\SERVER\share through a link in its prefix's
// dosdevices/unc folder.
Share::Share(const std::filesystem::path& folder)
    : server_(L"hotlink-test-" + std::to_wstring(GetCurrentProcessId())), root_(L"\\\\" + server_ + L"\\share") {
    const std::wstring unixFolder = UnixName(folder);
    made_ = !unixFolder.empty() &&
            Run(L"unc=\"${WINEPREFIX:-$HOME/.wine}/dosdevices/unc/" + server_ + L"\" && mkdir -p \"$unc\" && ln -sfn '" +
                unixFolder + L"' \"$unc/share\"") == 0;
}

Share::~Share() {
    if (made_) Run(L"rm -rf \"${WINEPREFIX:-$HOME/.wine}/dosdevices/unc/" + server_ + L"\"");
}

std::string ReadByPython(const std::string& json) {
    const std::filesystem::path base = std::filesystem::temp_directory_path() /
        (L"hotlink-json-" + std::to_wstring(GetCurrentProcessId()));
    const std::filesystem::path in = base.native() + L".in", out = base.native() + L".out";
    std::ofstream(in, std::ios::binary) << json;
    std::error_code ignored;
    std::filesystem::remove(out, ignored);
    const int code = Run(L"/usr/bin/python3 -c 'import json, sys; "
                         L"json.dump(json.load(open(sys.argv[1], encoding=\"ascii\")), open(sys.argv[2], \"w\", "
                         L"encoding=\"utf-8\"), ensure_ascii=False, sort_keys=True, separators=(\",\", \":\"))' '" +
                         UnixName(in) + L"' '" + UnixName(out) + L"'");
    std::string read = code == 0 && std::filesystem::exists(out) ? testing_files::ReadBytes(out) : std::string();
    std::filesystem::remove(in, ignored);
    std::filesystem::remove(out, ignored);
    return read;
}

}  // namespace linux_host
