#include "screen_look.h"

#include "bench_util.h"
#include "handles.h"
#include "start_picture.h"
#include "window_driving.h"

namespace bench {
namespace {

// The points checked: the middle, and low in the middle, where the start-up
// picture has its dark band.
const double kSamplePoints[][2] = {{0.5, 0.5}, {0.5, 0.875}};

}  // namespace

bool Near(COLORREF a, COLORREF b) {
    auto d = [](int p, int q) { return p > q ? p - q : q - p; };
    return d(GetRValue(a), GetRValue(b)) <= 4 && d(GetGValue(a), GetGValue(b)) <= 4 &&
           d(GetBValue(a), GetBValue(b)) <= 4;
}

Look PictureLook(const std::filesystem::path& editor) {
    const handles::LoadedModule module(
        LoadLibraryExW(editor.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
    if (!module) Fail("cannot open the editor's resources");
    const handles::AutoBitmap picture(startup::LoadStartPicture(module.get()));
    BITMAP size{};
    const std::vector<COLORREF> colours = window_driving::ColoursOf(picture.get());
    if (colours.empty() || !GetObjectW(picture.get(), sizeof size, &size)) Fail("the editor has no start-up picture");
    Look look;
    for (const auto& p : kSamplePoints) {
        const int x = static_cast<int>(p[0] * size.bmWidth), y = static_cast<int>(p[1] * size.bmHeight);
        look.push_back({p[0], p[1], colours[static_cast<size_t>(y * size.bmWidth + x)]});
    }
    return look;
}

Look PlainLook(COLORREF colour) {
    Look look;
    for (const auto& p : kSamplePoints) look.push_back({p[0], p[1], colour});
    return look;
}

bool ScreenShows(const RECT& r, const Look& look) {
    const int width = r.right - r.left, height = r.bottom - r.top;
    if (width <= 0 || height <= 0) return false;
    const handles::ScopedGetDC screen(nullptr);
    for (const Sample& s : look) {
        const COLORREF c =
            GetPixel(screen.get(), r.left + static_cast<int>(s.x * width), r.top + static_cast<int>(s.y * height));
        if (c == CLR_INVALID || !Near(c, s.colour)) return false;
    }
    return true;
}

bool Shows(HWND window, const Look& look) {
    RECT r{};
    return GetWindowRect(window, &r) && ScreenShows(r, look);
}

void WaitForScreenCleared(const RECT& where, const Look& a, const Look& b) {
    const double deadline = NowMs() + 2000;
    while ((ScreenShows(where, a) || ScreenShows(where, b)) && NowMs() < deadline) Sleep(5);
    Sleep(20);
}

}  // namespace bench
