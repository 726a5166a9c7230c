#include "launched.h"

#include <psapi.h>

#include "bench_util.h"
#include "handles.h"
#include "window_driving.h"

namespace bench {

Workspace::Workspace(const std::filesystem::path& root, const std::filesystem::path& program,
                     const std::string& config) {
    static int counter = 0;
    dir_ = root / std::to_wstring(++counter);
    std::filesystem::create_directories(dir_);
    exe_ = dir_ / program.filename();
    if (!CopyFileW(program.c_str(), exe_.c_str(), FALSE)) Fail("cannot copy the program");
    const handles::FileHandle file(CreateFileW((dir_ / L"Config.ini").c_str(), GENERIC_WRITE, 0, nullptr,
                                               CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (!file || !WriteFile(file.get(), config.data(), static_cast<DWORD>(config.size()), &written, nullptr) ||
        written != config.size()) {
        Fail("cannot write Config.ini");
    }
}

Workspace::~Workspace() {
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
}

Launched::Launched(const Workspace& space, const wchar_t* caption, const Look& look)
    : started_(NowMs()), process_(space.exe(), {}, {space.exe().parent_path(), false}) {
    if (!process_.started()) Fail("the program could not be started");
    idleResult_ = WaitForInputIdle(process_.handle(), kTimeoutMs);
    idle_ = NowMs();
    if (!PollUntil([&] {
            if (!process_.Running()) Fail("the program ended before it showed a window");
            return (window_ = window_driving::FindWindowOf(process_.id(), caption)) != nullptr;
        })) {
        Fail("no window showed");
    }
    visible_ = NowMs();
    if (!PollUntil([&] { return Shows(window_, look); })) Fail("the window's pixels never showed");
    painted_ = NowMs();
    checkCost_ = TimeMs([&] { Shows(window_, look); });
}

Launched::~Launched() {
    // Closing its window ends any of the programs.
    const auto windows = window_driving::WindowsOf(process_.id());
    if (!windows.empty()) PostMessageW(windows.front(), WM_CLOSE, 0, 0);
    if (!process_.WaitForExit(5000)) std::fprintf(stderr, "benchmark: a program did not end on WM_CLOSE; ended\n");
}

SIZE_T PeakWorkingSet(HANDLE process) {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    return GetProcessMemoryInfo(process, &counters, sizeof counters) ? counters.PeakWorkingSetSize : 0;
}

std::vector<HWND> WindowAndChildren(HWND window) {
    std::vector<HWND> all{window};
    EnumChildWindows(
        window,
        [](HWND child, LPARAM param) -> BOOL {
            if (IsWindowVisible(child)) reinterpret_cast<std::vector<HWND>*>(param)->push_back(child);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&all));
    return all;
}

bool PaintPending(const std::vector<HWND>& windows) {
    for (HWND window : windows) {
        if (GetUpdateRect(window, nullptr, FALSE)) return true;
    }
    return false;
}

}  // namespace bench
