#pragma once

#include <windows.h>

#include <filesystem>
#include <string>
#include <vector>

#include "child_process.h"
#include "window_driving.h"
#include "screen_look.h"

// Programs started for a benchmark, each copied into a folder of its own,
// and what can be seen of them from outside.
namespace bench {

constexpr DWORD kTimeoutMs = 15000;

// A program copied into a folder of its own, with the Config.ini given;
// removed again at the end.
class Workspace {
public:
    Workspace(const std::filesystem::path& root, const std::filesystem::path& program, const std::string& config);
    ~Workspace();
    Workspace(const Workspace&) = delete;
    Workspace& operator=(const Workspace&) = delete;
    const std::filesystem::path& exe() const { return exe_; }

private:
    std::filesystem::path dir_, exe_;
};

// A program started from its workspace and watched until its window with
// the caption is on the screen, showing its look. Times count from just
// before it was started. Closed, and waited for, at the end.
class Launched {
public:
    Launched(const Workspace& space, const wchar_t* caption, const Look& look);
    ~Launched();
    Launched(const Launched&) = delete;
    Launched& operator=(const Launched&) = delete;

    HANDLE process() const { return process_.handle(); }
    DWORD id() const { return process_.id(); }
    HWND window() const { return window_; }
    double idleMs() const { return idle_ - started_; }
    double visibleMs() const { return visible_ - started_; }
    double paintedMs() const { return painted_ - started_; }
    bool idleWorked() const { return idleResult_ == 0; }
    // How long one look at the window's pixels takes.
    double checkCostMs() const { return checkCost_; }

private:
    double started_;
    testing_files::ChildProcess process_;
    HWND window_ = nullptr;
    DWORD idleResult_ = WAIT_FAILED;
    double idle_ = 0, visible_ = 0, painted_ = 0, checkCost_ = 0;
};

// Polls every millisecond until `condition` holds; false on time-out.
template <class Condition>
bool PollUntil(Condition condition) {
    return window_driving::WaitFor(condition, std::chrono::milliseconds(kTimeoutMs), std::chrono::milliseconds(1));
}

SIZE_T PeakWorkingSet(HANDLE process);
// The window and every visible window inside it, to watch for paint.
std::vector<HWND> WindowAndChildren(HWND window);
// Whether any of the windows still waits for WM_PAINT. Update regions live
// with the window manager, so this reads them for another process's windows
// too (checked once in each run of the benchmark).
bool PaintPending(const std::vector<HWND>& windows);

}  // namespace bench
