// The real HotlinkConfig.exe started and driven from outside, beside a bare
// Win32 program (bare_window.exe) started the same way, in turn, in the same
// run:
//
//   start-up     from just before CreateProcessW to the start-up picture on
//                the screen, against the bare program's empty window;
//   main window  from the click on the start-up picture to the main window
//                painted, with an empty Config.ini and with 32,766 items in
//                each list;
//   size, memory HotlinkConfig.exe's size, and the peak working set of the
//                editor showing its start-up picture and its main window
//                (empty lists), against the bare program's and against
//                controls_window.exe's: the main window's 24 controls in a
//                window of their own, created plainly, the least that any
//                program showing that window uses.
//
// "On the screen" is decided from outside, the same way for both programs:
// the process has gone idle (WaitForInputIdle), its window (found by process
// and caption) is visible, and the screen shows the window's own pixels at
// two points, read back from the screen: for the editor the start-up
// picture's colours there (decoded from the editor's own resource), for the
// bare program its white background. Idle alone says nothing of the screen;
// pixels alone could be an earlier run's picture not yet cleared.
//
// "Painted" for the main window: visible, a message round trip through the
// editor's thread (so the click's handler has returned), and no update
// region pending on the window or any visible child.
//
// Under Wine the working set is the Linux process's resident memory, Wine's
// own libraries included: its peak is VmHWM.
//
// Every run copies the program into a folder of its own (with the Config.ini
// of its case), starts it, measures, closes it and waits for it to end: the
// editor runs once per session. Each figure is the median of several runs,
// the two programs (or the two cases) alternating; the start-up figure is
// the median of the ratios of pairs of starts, one of each program.
//
// Options: --editor=PATH (default ..\bin\HotlinkConfig.exe from here),
// --bare=PATH (default bare_window.exe beside this program), --controls=PATH
// (default controls_window.exe beside it), --runs=N (main window runs of each
// case, default 11), --pairs=N (start-up pairs, default 41).
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "bench_util.h"
#include "gif_decoder.h"

namespace fs = std::filesystem;

namespace {

constexpr wchar_t kBeginCaption[] = L"Form4";  // the start-up window's
constexpr wchar_t kBareCaption[] = L"Bare";    // bare_window.exe's
constexpr wchar_t kControlsCaption[] = L"Controls";  // controls_window.exe's
constexpr wchar_t kMainCaption[] = L"澜星V3.0设置";
constexpr int kPictureResource = 2;  // IDR_START_PICTURE in resources/resource.h
constexpr DWORD kTimeoutMs = 15000;
constexpr int kFullItems = 32766;
constexpr double kStartGoal = 1.05;   // within 5 % of the bare program
constexpr double kMainGoalMs = 250;   // main window with full lists
constexpr double kMemoryGoal = 1.20;  // start-up window: within 20 % of the bare program
constexpr double kMainMemoryGoal = 1.10;  // main window: within 10 % of the controls window
constexpr double kSizeGoalBytes = 384 * 1024;

[[noreturn]] void Fail(const char* what) {
    std::fprintf(stderr, "launch_bench: %s\n", what);
    std::fflush(nullptr);
    std::exit(1);
}

// ---- what a window should show ------------------------------------------------

// A point of a window's client area, as fractions of its size, and the
// colour the screen must show there once the window is painted.
struct Sample {
    double x, y;
    COLORREF colour;
};
using Look = std::vector<Sample>;

// The points checked: the middle, and low in the middle, where the start-up
// picture has its dark band.
const double kSamplePoints[][2] = {{0.5, 0.5}, {0.5, 0.875}};

bool Near(COLORREF a, COLORREF b) {
    auto d = [](int p, int q) { return p > q ? p - q : q - p; };
    return d(GetRValue(a), GetRValue(b)) <= 4 && d(GetGValue(a), GetGValue(b)) <= 4 &&
           d(GetBValue(a), GetBValue(b)) <= 4;
}

// The start-up picture's colours at the sample points, decoded from the
// editor's own resource as the editor decodes it.
Look PictureLook(const fs::path& editor) {
    const HMODULE module =
        LoadLibraryExW(editor.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (!module) Fail("cannot open the editor's resources");
    const HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(kPictureResource), RT_RCDATA);
    const HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const auto* bytes = loaded ? static_cast<const uint8_t*>(LockResource(loaded)) : nullptr;
    const DWORD size = found ? SizeofResource(module, found) : 0;
    startup::GifPicture gif;
    if (!bytes || !size || !gif.Open(bytes, size)) Fail("the editor has no start-up picture");
    const size_t width = static_cast<size_t>(gif.width());
    std::vector<uint8_t> indices(width * static_cast<size_t>(gif.height()));
    if (!gif.Decode(indices.data(), width)) Fail("cannot decode the start-up picture");
    Look look;
    for (const auto& p : kSamplePoints) {
        const uint32_t rgb = gif.Colour(
            indices[static_cast<size_t>(p[1] * gif.height()) * width + static_cast<size_t>(p[0] * gif.width())]);
        look.push_back({p[0], p[1], RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF)});
    }
    FreeLibrary(module);
    return look;
}

Look PlainLook(COLORREF colour) {
    Look look;
    for (const auto& p : kSamplePoints) look.push_back({p[0], p[1], colour});
    return look;
}

// Whether the screen shows `look` in the rectangle, read back from the
// screen point by point.
bool ScreenShows(const RECT& r, const Look& look) {
    const int width = r.right - r.left, height = r.bottom - r.top;
    if (width <= 0 || height <= 0) return false;
    const HDC screen = GetDC(nullptr);
    bool shows = true;
    for (const Sample& s : look) {
        const COLORREF c =
            GetPixel(screen, r.left + static_cast<int>(s.x * width), r.top + static_cast<int>(s.y * height));
        if (c == CLR_INVALID || !Near(c, s.colour)) {
            shows = false;
            break;
        }
    }
    ReleaseDC(nullptr, screen);
    return shows;
}

bool Shows(HWND window, const Look& look) {
    RECT r{};
    return GetWindowRect(window, &r) && ScreenShows(r, look);
}

// ---- another process's windows ------------------------------------------------

// The first top-level window of the process, with this caption when one is
// given; visible ones only unless told otherwise.
HWND WindowOf(DWORD processId, const wchar_t* caption, bool visibleOnly = true) {
    struct Search {
        DWORD processId;
        const wchar_t* caption;
        bool visibleOnly;
        HWND found;
    } search{processId, caption, visibleOnly, nullptr};
    EnumWindows(
        [](HWND window, LPARAM param) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(param);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner != s.processId || (s.visibleOnly && !IsWindowVisible(window))) return TRUE;
            if (s.caption) {
                // For another process's window this reads the caption the
                // system keeps, without a message to the window.
                wchar_t text[64] = {};
                GetWindowTextW(window, text, 64);
                if (wcscmp(text, s.caption) != 0) return TRUE;
            }
            s.found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The window and every visible window inside it, to watch for paint.
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

// Whether any of the windows still waits for WM_PAINT. Update regions live
// with the window manager, so this reads them for another process's windows
// too (checked once by CheckUpdateRegionsVisible).
bool PaintPending(const std::vector<HWND>& windows) {
    for (HWND window : windows) {
        if (GetUpdateRect(window, nullptr, FALSE)) return true;
    }
    return false;
}

bool RoundTrip(HWND window) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, kTimeoutMs, &result) != 0;
}

// Polls until `condition` holds; false on time-out.
template <class Condition>
bool PollUntil(Condition condition) {
    const double deadline = bench::NowMs() + kTimeoutMs;
    while (!condition()) {
        if (bench::NowMs() > deadline) return false;
        Sleep(1);
    }
    return true;
}

SIZE_T PeakWorkingSet(HANDLE process) {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    return GetProcessMemoryInfo(process, &counters, sizeof counters) ? counters.PeakWorkingSetSize : 0;
}

// ---- one started program --------------------------------------------------------

// A program copied into a folder of its own, with the Config.ini given.
class Workspace {
public:
    Workspace(const fs::path& root, const fs::path& program, const std::string& config) {
        static int counter = 0;
        dir_ = root / std::to_wstring(++counter);
        fs::create_directories(dir_);
        exe_ = dir_ / program.filename();
        if (!CopyFileW(program.c_str(), exe_.c_str(), FALSE)) Fail("cannot copy the program");
        const HANDLE file = CreateFileW((dir_ / L"Config.ini").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
        DWORD written = 0;
        if (file == INVALID_HANDLE_VALUE ||
            !WriteFile(file, config.data(), static_cast<DWORD>(config.size()), &written, nullptr) ||
            written != config.size()) {
            Fail("cannot write Config.ini");
        }
        CloseHandle(file);
    }
    ~Workspace() {
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
    }
    const fs::path& exe() const { return exe_; }
    const fs::path& dir() const { return dir_; }

private:
    fs::path dir_, exe_;
};

class Launched {
public:
    // Starts the program and waits until its window with this caption is on
    // the screen, showing `look`. Times count from just before
    // CreateProcessW.
    Launched(const Workspace& space, const wchar_t* caption, const Look& look) {
        std::wstring commandLine = L"\"" + space.exe().native() + L"\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info{};
        started_ = bench::NowMs();
        if (!CreateProcessW(space.exe().c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                            space.dir().c_str(), &startup, &info)) {
            Fail("CreateProcessW failed");
        }
        thread_ = info.hThread;
        process_ = info.hProcess;
        id_ = info.dwProcessId;
        idleResult_ = WaitForInputIdle(process_, kTimeoutMs);
        idle_ = bench::NowMs();
        if (!PollUntil([&] {
                if (WaitForSingleObject(process_, 0) == WAIT_OBJECT_0)
                    Fail("the program ended before it showed a window");
                return (window_ = WindowOf(id_, caption)) != nullptr;
            })) {
            Fail("no window showed");
        }
        visible_ = bench::NowMs();
        if (!PollUntil([&] { return Shows(window_, look); })) Fail("the window's pixels never showed");
        painted_ = bench::NowMs();
        checkCost_ = bench::TimeMs([&] { Shows(window_, look); });
    }
    ~Launched() {
        // Closing its window ends either program.
        if (const HWND w = WindowOf(id_, nullptr)) PostMessageW(w, WM_CLOSE, 0, 0);
        if (WaitForSingleObject(process_, 5000) != WAIT_OBJECT_0) {
            std::fprintf(stderr, "launch_bench: a program did not end on WM_CLOSE; terminated\n");
            TerminateProcess(process_, 99);
            WaitForSingleObject(process_, kTimeoutMs);
        }
        CloseHandle(thread_);
        CloseHandle(process_);
    }
    Launched(const Launched&) = delete;
    Launched& operator=(const Launched&) = delete;

    HANDLE process() const { return process_; }
    HANDLE thread() const { return thread_; }
    DWORD id() const { return id_; }
    HWND window() const { return window_; }
    double idleMs() const { return idle_ - started_; }
    double visibleMs() const { return visible_ - started_; }
    double paintedMs() const { return painted_ - started_; }
    bool idleWorked() const { return idleResult_ == 0; }
    // How long one look at the window's pixels takes.
    double checkCostMs() const { return checkCost_; }

private:
    HANDLE process_ = nullptr, thread_ = nullptr;
    DWORD id_ = 0;
    HWND window_ = nullptr;
    DWORD idleResult_ = WAIT_FAILED;
    double started_ = 0, idle_ = 0, visible_ = 0, painted_ = 0, checkCost_ = 0;
};

// After a program has gone, the screen where its window was must show
// neither look before the next run starts, lest a stale picture pass for a
// new one.
void WaitForScreenCleared(const RECT& where, const Look& a, const Look& b) {
    const double deadline = bench::NowMs() + 2000;
    while ((ScreenShows(where, a) || ScreenShows(where, b)) && bench::NowMs() < deadline) Sleep(5);
    Sleep(20);
}

// ---- the figures ----------------------------------------------------------------

std::string ConfigWith(int items) {
    if (items == 0) return std::string();
    std::string paths = "|", sites = "|";
    paths.reserve(static_cast<size_t>(items) * 20);
    sites.reserve(static_cast<size_t>(items) * 30);
    for (int i = 0; i < items; ++i) {
        paths += "/images/dir" + std::to_string(i) + "|";
        sites += "www.site" + std::to_string(i) + ".example.com|";
    }
    const std::string head =
        "[SETTING]\r\nSTART=True\r\nProtectJpg=True\r\nProtectGif=False\r\nProtectJpeg=False\r\n"
        "RedirectFile=/no.gif\r\n";
    return head + "FreePath=" + paths + "\r\nFriendUrl=" + sites + "\r\n";
}

double Mb(double bytes) { return bytes / (1024.0 * 1024.0); }

const char* Verdict(bool met) { return met ? "met" : "MISSED"; }

struct Programs {
    fs::path editor, bare, controls, root;
    Look picture, white;
    int runs = 11;   // of each main-window case
    int pairs = 41;  // of start-ups, editor and bare
};

struct StartFigures {
    std::vector<double> idle, visible, painted, peak, checkCost;
    int idleFailures = 0;
    void Add(const Launched& l) {
        idle.push_back(l.idleMs());
        visible.push_back(l.visibleMs());
        painted.push_back(l.paintedMs());
        checkCost.push_back(l.checkCostMs());
        peak.push_back(static_cast<double>(PeakWorkingSet(l.process())));
        if (!l.idleWorked()) ++idleFailures;
    }
};

// One start of a program to its first window painted; figures kept unless
// this is a warm-up.
void StartOnce(const Programs& p, bool editor, StartFigures* figures) {
    const Workspace space(p.root, editor ? p.editor : p.bare, std::string());
    RECT where{};
    {
        const Launched launched(space, editor ? kBeginCaption : kBareCaption, editor ? p.picture : p.white);
        if (figures) figures->Add(launched);
        GetWindowRect(launched.window(), &where);
    }
    WaitForScreenCleared(where, p.picture, p.white);
}

// Start-up and the memory of the start-up window. Returns the peak working
// sets (editor, bare) for the memory section.
//
// The machine's speed wanders from minute to minute, and with it both
// programs' times (the bare program's alone from 170 to 600 ms). So each
// editor start is paired with a bare start right beside it, and the figure
// is the median of the pairs' ratios: what the editor costs beyond the
// least a window costs at that moment.
std::pair<double, double> StartUp(const Programs& p) {
    StartOnce(p, false, nullptr);  // warm-up: files in the cache, Wine's
    StartOnce(p, true, nullptr);   // server and desktop settled
    StartFigures bare, editor;
    std::vector<double> ratios;
    for (int pair = 0; pair < p.pairs; ++pair) {
        // Alternating which goes first, so that neither always follows the
        // other's exit.
        const bool editorFirst = pair % 2 == 1;
        StartOnce(p, editorFirst, editorFirst ? &editor : &bare);
        StartOnce(p, !editorFirst, editorFirst ? &bare : &editor);
        ratios.push_back(editor.painted.back() / bare.painted.back());
    }
    const double ratio = bench::Median(ratios);
    std::printf("\nStart-up: process start to the first window on the screen (%d pairs, each two programs in turn)\n",
                p.pairs);
    std::printf("  %-18s %9s %9s %9s\n", "median", "idle", "visible", "painted");
    std::printf("  %-18s %6.1f ms %6.1f ms %6.1f ms\n", "bare_window.exe", bench::Median(bare.idle),
                bench::Median(bare.visible), bench::Median(bare.painted));
    std::printf("  %-18s %6.1f ms %6.1f ms %6.1f ms\n", "HotlinkConfig.exe", bench::Median(editor.idle),
                bench::Median(editor.visible), bench::Median(editor.painted));
    std::printf("  spread (min..max) painted: bare %.1f..%.1f ms, editor %.1f..%.1f ms\n",
                bench::Quantile(bare.painted, 0), bench::Quantile(bare.painted, 1), bench::Quantile(editor.painted, 0),
                bench::Quantile(editor.painted, 1));
    std::printf("  one look at a window's pixels takes %.2f ms\n", bench::Median(bare.checkCost));
    if (bare.idleFailures || editor.idleFailures) {
        std::printf("  WaitForInputIdle did not succeed in %d bare and %d editor runs\n", bare.idleFailures,
                    editor.idleFailures);
    }
    std::printf("  editor / bare, pair by pair: median %.3f, middle half %.3f..%.3f, all %.3f..%.3f\n", ratio,
                bench::Quantile(ratios, 0.25), bench::Quantile(ratios, 0.75), bench::Quantile(ratios, 0),
                bench::Quantile(ratios, 1));
    std::printf("  start-up ratio %.3f (goal <= %.2f: %s)\n", ratio, kStartGoal, Verdict(ratio <= kStartGoal));
    return {bench::Median(editor.peak), bench::Median(bare.peak)};
}

// Checks once that another process's pending paint can be seen from here:
// with the editor's thread held, a window of it invalidated from outside must
// show an update region, and lose it once the thread, let go, has painted.
void CheckUpdateRegionsVisible(const Launched& launched) {
    const std::vector<HWND> window{launched.window()};
    if (PaintPending(window)) Fail("the start-up window has paint pending after it was painted");
    if (SuspendThread(launched.thread()) == static_cast<DWORD>(-1)) Fail("cannot hold the editor's thread");
    InvalidateRect(window[0], nullptr, FALSE);
    const bool seen = PaintPending(window);
    ResumeThread(launched.thread());
    const double since = bench::NowMs();
    const bool cleared = PollUntil([&] { return !PaintPending(window); });
    std::printf("  check: another process's update region %s here, %s (%.1f ms)\n", seen ? "is seen" : "is NOT seen",
                cleared ? "and clears once that process has painted" : "and never clears", bench::NowMs() - since);
    if (!seen || !cleared) Fail("update regions of another process cannot be read here");
}

struct MainRun {
    double shown = 0, answered = 0, painted = 0, peak = 0, pollCost = 0;
};

MainRun MainOnce(const Programs& p, const std::string& config, int items, bool check) {
    const Workspace space(p.root, p.editor, config);
    MainRun result;
    RECT where{};
    {
        const Launched launched(space, kBeginCaption, p.picture);
        const HWND begin = launched.window();
        GetWindowRect(begin, &where);
        if (check) CheckUpdateRegionsVisible(launched);
        Sleep(50);  // the start-up window at rest before the click

        const LPARAM at = MAKELPARAM(150, 150);
        HWND main = nullptr;
        const double click = bench::NowMs();
        PostMessageW(begin, WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageW(begin, WM_LBUTTONUP, 0, at);
        // The window exists, hidden, while it is filled: found first, then
        // watched until it shows.
        if (!PollUntil([&] { return (main = WindowOf(launched.id(), kMainCaption, false)) != nullptr; }) ||
            !PollUntil([&] { return IsWindowVisible(main) != FALSE; })) {
            Fail("the click opened no main window");
        }
        result.shown = bench::NowMs() - click;
        if (!RoundTrip(main)) Fail("the editor does not answer");
        result.answered = bench::NowMs() - click;
        // Each look asks the window manager about every window still
        // pending; a window once painted is not asked again, so that the
        // looking costs the editor little. A last look at all of them
        // confirms the end.
        const std::vector<HWND> watched = WindowAndChildren(main);
        std::vector<HWND> pending = watched;
        for (;;) {
            if (!PollUntil([&] {
                    pending.erase(std::remove_if(pending.begin(), pending.end(),
                                                 [](HWND w) { return !GetUpdateRect(w, nullptr, FALSE); }),
                                  pending.end());
                    return pending.empty();
                })) {
                Fail("the main window never finished painting");
            }
            result.painted = bench::NowMs() - click;
            pending = watched;
            if (!PaintPending(pending)) break;
        }
        result.pollCost = bench::TimeMs([&] { PaintPending(watched); });
        result.peak = static_cast<double>(PeakWorkingSet(launched.process()));

        // The lists hold what the file holds.
        int lists = 0;
        for (HWND child = GetWindow(main, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            wchar_t kind[32] = {};
            GetClassNameW(child, kind, 32);
            if (_wcsicmp(kind, L"ListBox") != 0) continue;
            DWORD_PTR count = 0;
            SendMessageTimeoutW(child, LB_GETCOUNT, 0, 0, SMTO_NORMAL, kTimeoutMs, &count);
            if (static_cast<int>(count) != items) Fail("a list does not hold the file's items");
            ++lists;
        }
        if (lists != 2) Fail("the main window does not have two lists");
    }
    WaitForScreenCleared(where, p.picture, p.white);
    return result;
}

// The controls window started and painted (visible, answering, no paint
// pending anywhere in it): its peak working set.
double ControlsOnce(const Programs& p) {
    const Workspace space(p.root, p.controls, std::string());
    const Launched launched(space, kControlsCaption, Look{});
    if (!RoundTrip(launched.window())) Fail("the controls window does not answer");
    const std::vector<HWND> watched = WindowAndChildren(launched.window());
    if (!PollUntil([&] { return !PaintPending(watched); })) Fail("the controls window never finished painting");
    return static_cast<double>(PeakWorkingSet(launched.process()));
}

struct MainMemory {
    double editor = 0, controls = 0;
};

MainMemory MainWindow(const Programs& p) {
    const std::string empty, full = ConfigWith(kFullItems);
    std::printf("\nMain window: the click on the start-up picture to the main window painted (median of %d, in turn)\n",
                p.runs);
    std::printf("  Config.ini with %d items a list: %.0f KB\n", kFullItems, full.size() / 1024.0);
    MainOnce(p, empty, 0, true);  // warm-up, and the update-region check
    MainOnce(p, full, kFullItems, false);
    ControlsOnce(p);
    std::vector<double> shown[2], answered[2], painted[2], peak, pollCost, controlsPeak;
    for (int run = 0; run < p.runs; ++run) {
        controlsPeak.push_back(ControlsOnce(p));
        for (int k = 0; k < 2; ++k) {
            const int which = (run + k) % 2;  // alternating which goes first
            const MainRun r = MainOnce(p, which ? full : empty, which ? kFullItems : 0, false);
            shown[which].push_back(r.shown);
            answered[which].push_back(r.answered);
            pollCost.push_back(r.pollCost);
            painted[which].push_back(r.painted);
            if (which == 0) peak.push_back(r.peak);
        }
    }
    std::printf("  %-20s %9s %9s %9s\n", "", "shown", "answered", "painted");
    std::printf("  %-20s %6.1f ms %6.1f ms %6.1f ms\n", "empty Config.ini", bench::Median(shown[0]),
                bench::Median(answered[0]), bench::Median(painted[0]));
    std::printf("  %-20s %6.1f ms %6.1f ms %6.1f ms\n", "32,766 items a list", bench::Median(shown[1]),
                bench::Median(answered[1]), bench::Median(painted[1]));
    std::printf("  spread (min..max) painted: empty %.1f..%.1f ms, full %.1f..%.1f ms\n",
                *std::min_element(painted[0].begin(), painted[0].end()),
                *std::max_element(painted[0].begin(), painted[0].end()),
                *std::min_element(painted[1].begin(), painted[1].end()),
                *std::max_element(painted[1].begin(), painted[1].end()));
    std::printf("  one look at the update regions of the main window and its controls takes %.2f ms\n",
                bench::Median(pollCost));
    const double full_ms = bench::Median(painted[1]);
    std::printf("  full lists / %.0f ms goal: %.3f (%s); full / empty: %.2f\n", kMainGoalMs, full_ms / kMainGoalMs,
                Verdict(full_ms < kMainGoalMs), full_ms / bench::Median(painted[0]));
    return {bench::Median(peak), bench::Median(controlsPeak)};
}

void SizeAndMemory(const Programs& p, double editorStart, double bareStart, const MainMemory& main) {
    std::printf("\nSize and memory\n");
    WIN32_FILE_ATTRIBUTE_DATA editorFile{}, bareFile{};
    GetFileAttributesExW(p.editor.c_str(), GetFileExInfoStandard, &editorFile);
    GetFileAttributesExW(p.bare.c_str(), GetFileExInfoStandard, &bareFile);
    const double size = static_cast<double>(editorFile.nFileSizeLow),
                 bareSize = static_cast<double>(bareFile.nFileSizeLow);
    std::printf("  HotlinkConfig.exe %.0f bytes (%.0f KB), bare_window.exe %.0f bytes (%.0f KB)\n", size, size / 1024,
                bareSize, bareSize / 1024);
    std::printf("  size / %.0f KB goal: %.3f (%s, %+.0f KB)\n", kSizeGoalBytes / 1024, size / kSizeGoalBytes,
                Verdict(size < kSizeGoalBytes), (size - kSizeGoalBytes) / 1024);
    std::printf("  peak working set: bare window %.2f MB, controls window %.2f MB\n", Mb(bareStart), Mb(main.controls));
    std::printf("  editor, start-up window: %.2f MB, %.3f of the bare window (goal <= %.2f: %s, %+.2f MB)\n",
                Mb(editorStart), editorStart / bareStart, kMemoryGoal, Verdict(editorStart / bareStart <= kMemoryGoal),
                Mb(editorStart - bareStart));
    std::printf("  editor, main window with empty lists: %.2f MB, %.3f of the controls window (goal <= %.2f: %s, "
                "%+.2f MB), %.3f of the bare window\n",
                Mb(main.editor), main.editor / main.controls, kMainMemoryGoal,
                Verdict(main.editor / main.controls <= kMainMemoryGoal), Mb(main.editor - main.controls),
                main.editor / bareStart);
}

bool TakeOption(const std::wstring& argument, const wchar_t* name, std::wstring* value) {
    const std::wstring prefix = std::wstring(name) + L"=";
    if (argument.compare(0, prefix.size(), prefix) != 0) return false;
    *value = argument.substr(prefix.size());
    return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    const fs::path here = fs::path(self).parent_path();
    Programs p;
    p.editor = here.parent_path() / L"bin" / L"HotlinkConfig.exe";
    p.bare = here / L"bare_window.exe";
    p.controls = here / L"controls_window.exe";
    for (int i = 1; i < argc; ++i) {
        std::wstring value;
        if (TakeOption(argv[i], L"--editor", &value)) {
            p.editor = value;
        } else if (TakeOption(argv[i], L"--bare", &value)) {
            p.bare = value;
        } else if (TakeOption(argv[i], L"--controls", &value)) {
            p.controls = value;
        } else if (TakeOption(argv[i], L"--runs", &value)) {
            p.runs = std::max(1, _wtoi(value.c_str()));
        } else if (TakeOption(argv[i], L"--pairs", &value)) {
            p.pairs = std::max(1, _wtoi(value.c_str()));
        } else {
            Fail("options: --editor=PATH --bare=PATH --controls=PATH --runs=N --pairs=N");
        }
    }
    if (!fs::exists(p.editor) || !fs::exists(p.bare) || !fs::exists(p.controls)) {
        Fail("HotlinkConfig.exe, bare_window.exe or controls_window.exe not found");
    }
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    p.root = fs::path(temp) / L"hotlink-launch-bench";
    std::error_code ignored;
    fs::remove_all(p.root, ignored);
    p.picture = PictureLook(p.editor);
    p.white = PlainLook(GetSysColor(COLOR_WINDOW));
    for (const Sample& s : p.picture) {
        if (Near(s.colour, GetSysColor(COLOR_WINDOW))) Fail("the start-up picture is white where it is checked");
    }

    const auto [editorStart, bareStart] = StartUp(p);
    const MainMemory main = MainWindow(p);
    SizeAndMemory(p, editorStart, bareStart, main);
    fs::remove_all(p.root, ignored);
    std::fflush(nullptr);
    return 0;
}
