#pragma once

#include <windows.h>

#include <filesystem>
#include <vector>

// What the screen shows of a window, read back from the screen at a few
// points: the same test for the editor's start-up picture and for the bare
// program's white window.
namespace bench {

// A point of a window, as fractions of its size, and the colour the screen
// must show there once the window is painted.
struct Sample {
    double x, y;
    COLORREF colour;
};
using Look = std::vector<Sample>;

// The start-up picture's colours at the sample points, from the editor's
// own resource, decoded by the editor's own code.
Look PictureLook(const std::filesystem::path& editor);
// One colour at the sample points.
Look PlainLook(COLORREF colour);
bool Near(COLORREF a, COLORREF b);

// Whether the screen shows `look` in the rectangle, point by point.
bool ScreenShows(const RECT& r, const Look& look);
bool Shows(HWND window, const Look& look);
// After a program has gone, the screen where its window was must show
// neither look before the next run starts, lest a stale picture pass for a
// new one.
void WaitForScreenCleared(const RECT& where, const Look& a, const Look& b);

}  // namespace bench
