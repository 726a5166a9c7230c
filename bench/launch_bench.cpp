// The real HotlinkConfig.exe started and driven from outside, beside a bare
// Win32 program (bare_window.exe) started the same way, in turn, in the same
// run:
//
//   start-up     from just before the program is started to the start-up
//                picture on the screen, against the bare program's empty
//                window;
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
// The parts: screen_look (what a window shows on the screen), launched (the
// programs started, and what can be seen of them from outside), and here
// the measurements, which give their figures to one printer.
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

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "bench_util.h"
#include "frm_begin.h"
#include "launched.h"
#include "screen_look.h"

namespace fs = std::filesystem;
using namespace bench;

namespace {

constexpr wchar_t kBareCaption[] = L"Bare";          // bare_window.exe's
constexpr wchar_t kControlsCaption[] = L"Controls";  // controls_window.exe's
constexpr wchar_t kMainCaption[] = L"澜星V3.0设置";
constexpr int kFullItems = 32766;

// ---- the printer ----------------------------------------------------------------

// One figure, and the goal it is held to, if any.
struct Figure {
    std::string what;
    double value;
    const char* unit;
    double goal = 0;  // none when 0: the value must not pass it
    std::string note = {};
};

std::string Format(const char* format, double a, double b = 0, double c = 0, double d = 0) {
    char text[160];
    std::snprintf(text, sizeof text, format, a, b, c, d);
    return text;
}

void Print(const std::string& heading, const std::vector<Figure>& figures) {
    std::printf("\n%s\n", heading.c_str());
    for (const Figure& f : figures) {
        std::printf("  %-44s %10.3f %-3s", f.what.c_str(), f.value, f.unit);
        if (f.goal > 0) {
            std::printf("  goal <= %.3f%s%s: %s", f.goal, *f.unit ? " " : "", f.unit, f.value <= f.goal ? "met" : "MISSED");
        }
        if (!f.note.empty()) std::printf("  (%s)", f.note.c_str());
        std::printf("\n");
    }
}

// ---- the measurements -------------------------------------------------------------

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
    Figure Painted(const char* program) const {
        return {std::string(program) + " painted", Median(painted), "ms", 0,
                Format("idle %.1f, visible %.1f ms; spread %.1f..%.1f ms", Median(idle), Median(visible),
                       Quantile(painted, 0), Quantile(painted, 1))};
    }
};

// One start of a program to its first window painted; figures kept unless
// this is a warm-up.
void StartOnce(const Programs& p, bool editor, StartFigures* figures) {
    const Workspace space(p.root, editor ? p.editor : p.bare, std::string());
    RECT where{};
    {
        const Launched launched(space, editor ? startup::frmBegin::kCaption : kBareCaption,
                                editor ? p.picture : p.white);
        if (figures) figures->Add(launched);
        GetWindowRect(launched.window(), &where);
    }
    WaitForScreenCleared(where, p.picture, p.white);
}

struct StartUpResult {
    std::vector<Figure> figures;
    double editorPeak, barePeak;  // working sets of the start-up windows
};

// Start-up, and the memory of the start-up window.
//
// The machine's speed wanders from minute to minute, and with it both
// programs' times (the bare program's alone from 170 to 600 ms). So each
// editor start is paired with a bare start right beside it, and the figure
// is the median of the pairs' ratios: what the editor costs beyond the
// least a window costs at that moment.
StartUpResult StartUp(const Programs& p) {
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
    std::vector<Figure> figures = {
        bare.Painted("bare_window.exe"),
        editor.Painted("HotlinkConfig.exe"),
        {"one look at a window's pixels", Median(bare.checkCost), "ms"},
        {"start-up, editor / bare (median of the pairs)", Median(ratios), "", 1.05,
         Format("middle half %.3f..%.3f, all %.3f..%.3f", Quantile(ratios, 0.25), Quantile(ratios, 0.75),
                Quantile(ratios, 0), Quantile(ratios, 1))},
    };
    if (bare.idleFailures || editor.idleFailures) {
        figures.push_back({"runs where WaitForInputIdle failed", double(bare.idleFailures + editor.idleFailures), ""});
    }
    return {figures, Median(editor.peak), Median(bare.peak)};
}

// Checks once that another process's pending paint can be seen from here:
// with the editor's thread held, a window of it invalidated from outside must
// show an update region, and lose it once the thread, let go, has painted.
// How long that took.
double CheckUpdateRegionsVisible(const Launched& launched) {
    const std::vector<HWND> window{launched.window()};
    if (PaintPending(window)) Fail("the start-up window has paint pending after it was painted");
    const handles::FileHandle thread(
        OpenThread(THREAD_SUSPEND_RESUME, FALSE, GetWindowThreadProcessId(launched.window(), nullptr)));
    if (!thread || SuspendThread(thread.get()) == static_cast<DWORD>(-1)) Fail("cannot hold the editor's thread");
    InvalidateRect(window[0], nullptr, FALSE);
    const bool seen = PaintPending(window);
    ResumeThread(thread.get());
    const double since = NowMs();
    const bool cleared = PollUntil([&] { return !PaintPending(window); });
    if (!seen || !cleared) Fail("update regions of another process cannot be read here");
    return NowMs() - since;
}

struct MainRun {
    double shown = 0, answered = 0, painted = 0, peak = 0, pollCost = 0, checked = 0;
};

// Waits until no window of `watched` waits for paint. Each look asks the
// window manager about every window still pending; a window once painted is
// not asked again, so that the looking costs the editor little. A last look
// at all of them confirms the end.
void WaitUntilPainted(const std::vector<HWND>& watched) {
    for (std::vector<HWND> pending = watched;; pending = watched) {
        if (!PollUntil([&] {
                pending.erase(std::remove_if(pending.begin(), pending.end(),
                                             [](HWND w) { return !GetUpdateRect(w, nullptr, FALSE); }),
                              pending.end());
                return pending.empty();
            })) {
            Fail("a window never finished painting");
        }
        if (!PaintPending(watched)) return;
    }
}

MainRun MainOnce(const Programs& p, const std::string& config, int items, bool check) {
    const Workspace space(p.root, p.editor, config);
    MainRun result;
    RECT where{};
    {
        const Launched launched(space, startup::frmBegin::kCaption, p.picture);
        const HWND begin = launched.window();
        GetWindowRect(begin, &where);
        if (check) result.checked = CheckUpdateRegionsVisible(launched);
        Sleep(50);  // the start-up window at rest before the click

        const LPARAM at = MAKELPARAM(150, 150);
        HWND main = nullptr;
        const double click = NowMs();
        PostMessageW(begin, WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageW(begin, WM_LBUTTONUP, 0, at);
        // The window exists, hidden, while it is filled: found first, then
        // watched until it shows.
        if (!PollUntil([&] { return (main = window_driving::FindWindowOf(launched.id(), kMainCaption, false)); }) ||
            !PollUntil([&] { return IsWindowVisible(main) != FALSE; })) {
            Fail("the click opened no main window");
        }
        result.shown = NowMs() - click;
        if (!window_driving::WaitUntilIdle(main)) Fail("the editor does not answer");
        result.answered = NowMs() - click;
        const std::vector<HWND> watched = WindowAndChildren(main);
        WaitUntilPainted(watched);
        result.painted = NowMs() - click;
        result.pollCost = TimeMs([&] { PaintPending(watched); });
        result.peak = static_cast<double>(PeakWorkingSet(launched.process()));

        // The lists hold what the file holds.
        int lists = 0;
        for (HWND child = GetWindow(main, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            if (window_driving::ClassOf(child) != L"ListBox") continue;
            if (window_driving::Send(child, LB_GETCOUNT) != items) Fail("a list does not hold the file's items");
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
    if (!window_driving::WaitUntilIdle(launched.window())) Fail("the controls window does not answer");
    WaitUntilPainted(WindowAndChildren(launched.window()));
    return static_cast<double>(PeakWorkingSet(launched.process()));
}

struct MainWindowResult {
    std::vector<Figure> figures;
    double editorPeak, controlsPeak;  // working sets with the main window
};

MainWindowResult MainWindow(const Programs& p) {
    const std::string empty, full = ConfigWith(kFullItems);
    // A warm-up, and the check that update regions can be read from here.
    const double checked = MainOnce(p, empty, 0, true).checked;
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
    const auto figure = [&](int which, const char* what, double goal) {
        return Figure{what, Median(painted[which]), "ms", goal,
                      Format("shown %.1f, answered %.1f ms; spread %.1f..%.1f ms", Median(shown[which]),
                             Median(answered[which]), Quantile(painted[which], 0), Quantile(painted[which], 1))};
    };
    return {{figure(0, "painted, empty Config.ini", 0), figure(1, "painted, 32,766 items a list", 250),
             {"one look at the window's update regions", Median(pollCost), "ms"},
             {"Config.ini with 32,766 items a list", full.size() / 1024.0, "KB"},
             {"another process's update region seen, cleared in", checked, "ms"}},
            Median(peak), Median(controlsPeak)};
}

std::vector<Figure> SizeAndMemory(const Programs& p, const StartUpResult& start, const MainWindowResult& main) {
    WIN32_FILE_ATTRIBUTE_DATA editorFile{}, bareFile{};
    GetFileAttributesExW(p.editor.c_str(), GetFileExInfoStandard, &editorFile);
    GetFileAttributesExW(p.bare.c_str(), GetFileExInfoStandard, &bareFile);
    return {
        {"HotlinkConfig.exe", editorFile.nFileSizeLow / 1024.0, "KB", 384},
        {"bare_window.exe", bareFile.nFileSizeLow / 1024.0, "KB"},
        {"peak working set, bare window", Mb(start.barePeak), "MB"},
        {"peak working set, controls window", Mb(main.controlsPeak), "MB"},
        {"editor, start-up window / bare window", start.editorPeak / start.barePeak, "", 1.20,
         Format("%.2f MB", Mb(start.editorPeak))},
        {"editor, main window / controls window", main.editorPeak / main.controlsPeak, "", 1.10,
         Format("%.2f MB, %.3f of the bare window", Mb(main.editorPeak), main.editorPeak / start.barePeak)},
    };
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
    if (!fs::exists(p.editor) || !fs::exists(p.bare) || !fs::exists(p.controls)) Fail("a program is missing");
    // The editor asks for the highest rights the user has; started here it
    // runs with this program's, as the bare program does.
    SetEnvironmentVariableW(L"__COMPAT_LAYER", L"RunAsInvoker");
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

    const StartUpResult start = StartUp(p);
    Print("Start-up: process start to the first window on the screen (" + std::to_string(p.pairs) +
              " pairs, each two programs in turn)",
          start.figures);
    const MainWindowResult main = MainWindow(p);
    Print("Main window: the click on the start-up picture to the main window painted (median of " +
              std::to_string(p.runs) + ", in turn)",
          main.figures);
    Print("Size and memory", SizeAndMemory(p, start, main));
    fs::remove_all(p.root, ignored);
    std::fflush(nullptr);
    return 0;
}
