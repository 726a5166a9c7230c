#pragma once

#include <windows.h>

// Positions and sizes of the forms are twips: 1/1440 inch, 15 to a pixel at
// 96 dots per inch.
namespace forms {

constexpr UINT kDefaultDpi = 96;

// The one conversion from twips to pixels.
int TwipsToPixels(int twips, UINT dpi);

// The DPI a window is shown at, on systems old and new.
UINT DpiOf(HWND window);

// The outer size of a window whose client area has the given size.
SIZE OuterSizeFor(SIZE client, DWORD style, DWORD exStyle, UINT dpi);

// The system's message font for a DPI; the caller owns it.
HFONT CreateMessageFont(UINT dpi);

}  // namespace forms
