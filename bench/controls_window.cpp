// The second reference for the memory benchmark: the least that any program
// showing the main settings window uses. One window, the same size, holding
// the same 24 standard controls (the main window's own table: captions,
// kinds, rectangles) in the system's message font, blue hints, under the
// common controls 6 of the same manifest; created the plain way, one
// CreateWindowExW each, with nothing else: no settings read, no start-up
// window, no tab order kept, no dialogs.
#include <windows.h>

#include "dpi.h"
#include "frm_main.h"

namespace {

using forms::Kind;

const wchar_t* ClassOf(Kind kind) {
    switch (kind) {
        case Kind::Label: return L"STATIC";
        case Kind::ListBox: return L"LISTBOX";
        case Kind::TextBox: return L"EDIT";
        default: return L"BUTTON";
    }
}

DWORD StyleOf(Kind kind) {
    switch (kind) {
        case Kind::Frame: return BS_GROUPBOX;
        case Kind::Label: return SS_LEFT | SS_NOPREFIX;
        case Kind::Button: return BS_PUSHBUTTON | WS_TABSTOP;
        case Kind::CheckBox: return BS_AUTOCHECKBOX | WS_TABSTOP;
        case Kind::OptionButton: return BS_AUTORADIOBUTTON | WS_TABSTOP;
        case Kind::ListBox: return LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_TABSTOP;
        case Kind::TextBox: return ES_AUTOHSCROLL | WS_TABSTOP;
    }
    return 0;
}

int Pixels(int twips) { return forms::TwipsToPixels(twips, 96); }

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE: {
            const forms::FormLayout& layout = main_window::MainWindowLayout();
            NONCLIENTMETRICSW metrics{};
            metrics.cbSize = sizeof metrics;
            SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
            const HFONT font = CreateFontIndirectW(&metrics.lfMessageFont);
            for (size_t i = 0; i < layout.controlCount; ++i) {
                const forms::ControlLayout& c = layout.controls[i];
                int left = c.left, top = c.top;
                for (size_t j = 0; j < layout.controlCount; ++j) {
                    if (layout.controls[j].id == c.container) {
                        left += layout.controls[j].left;
                        top += layout.controls[j].top;
                    }
                }
                const DWORD disabled = (c.state & forms::kDisabled) ? WS_DISABLED : 0;
                const DWORD edge = c.kind == Kind::ListBox || c.kind == Kind::TextBox ? WS_EX_CLIENTEDGE : 0;
                const HWND control = CreateWindowExW(
                    edge, ClassOf(c.kind), c.caption, WS_CHILD | WS_VISIBLE | StyleOf(c.kind) | disabled, Pixels(left),
                    Pixels(top), Pixels(c.width), Pixels(c.height), window,
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)), nullptr, nullptr);
                SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
            }
            CheckRadioButton(window, main_window::Option1, main_window::Option2, main_window::Option1);
            return 0;
        }
        case WM_CTLCOLORSTATIC: {
            const int id = GetDlgCtrlID(reinterpret_cast<HWND>(lParam));
            if (id != main_window::Label1 && id != main_window::Label2 && id != main_window::Label3 &&
                id != main_window::Label4) {
                break;
            }
            const HDC dc = reinterpret_cast<HDC>(wParam);
            SetTextColor(dc, RGB(0, 0, 255));
            SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
            return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
        }
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    wc.lpszClassName = L"ControlsWindow";
    if (!RegisterClassExW(&wc)) return 1;

    const forms::FormLayout& layout = main_window::MainWindowLayout();
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
    RECT outer{0, 0, Pixels(layout.clientWidth), Pixels(layout.clientHeight)};
    AdjustWindowRectEx(&outer, style, FALSE, 0);
    const int width = outer.right - outer.left, height = outer.bottom - outer.top;
    const HWND window = CreateWindowExW(0, wc.lpszClassName, L"Controls", style,
                                        (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                                        (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height, nullptr, nullptr,
                                        instance, nullptr);
    if (!window) return 1;
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (IsDialogMessageW(window, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
