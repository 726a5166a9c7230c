#include "window_driving.h"

namespace window_driving {
namespace {

constexpr UINT kMessageTimeoutMs = 5000;
// The static control that holds a message box's text.
constexpr int kMessageTextId = 0xFFFF;

void MovePointer(POINT to) {
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    INPUT move{};
    move.type = INPUT_MOUSE;
    move.mi.dx = static_cast<LONG>((to.x * 65535LL + (width - 1) / 2) / (width - 1));
    move.mi.dy = static_cast<LONG>((to.y * 65535LL + (height - 1) / 2) / (height - 1));
    move.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &move, sizeof move);
    Sleep(60);
}

}  // namespace

LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kMessageTimeoutMs, &result);
    return static_cast<LRESULT>(result);
}

std::wstring TextOf(HWND window) {
    const auto length = Send(window, WM_GETTEXTLENGTH);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const auto copied = Send(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(copied));
    return text;
}

std::wstring ClassOf(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

bool Checked(HWND button) { return Send(button, BM_GETCHECK) == BST_CHECKED; }

bool Enabled(HWND window) { return IsWindowEnabled(window) != FALSE; }

std::vector<std::wstring> ListItems(HWND list) {
    std::vector<std::wstring> items;
    const auto count = Send(list, LB_GETCOUNT);
    for (LRESULT i = 0; i < count; ++i) {
        std::wstring item(static_cast<size_t>(Send(list, LB_GETTEXTLEN, static_cast<WPARAM>(i))) + 1, L'\0');
        item.resize(static_cast<size_t>(
            Send(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(item.data()))));
        items.push_back(std::move(item));
    }
    return items;
}

HWND FocusIn(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) return nullptr;
    return info.hwndFocus;
}

DWORD Selection(HWND edit) {
    DWORD start = 0, end = 0;
    Send(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return MAKELONG(start, end);
}

RECT RectInParent(HWND control) {
    RECT rect{};
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

COLORREF TextColorOf(HWND control) {
    const HDC dc = CreateCompatibleDC(nullptr);
    SendMessageW(GetParent(control), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control));
    const COLORREF color = GetTextColor(dc);
    DeleteDC(dc);
    return color;
}

void Press(HWND button) { Send(button, BM_CLICK); }

void PressOpening(HWND button) { PostMessageW(button, BM_CLICK, 0, 0); }

void Type(HWND edit, const std::wstring& text) {
    for (wchar_t c : text) Send(edit, WM_CHAR, c, 1);
}

void ClearAndType(HWND edit, const std::wstring& text) {
    Send(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
    Type(edit, text);
}

void ClickAt(POINT at) {
    MovePointer({at.x - 40, at.y - 30});
    MovePointer({at.x - 5, at.y - 3});
    MovePointer(at);
    INPUT buttons[2] = {};
    buttons[0].type = buttons[1].type = INPUT_MOUSE;
    buttons[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    buttons[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(1, &buttons[0], sizeof(INPUT));
    Sleep(60);
    SendInput(1, &buttons[1], sizeof(INPUT));
}

POINT CentreOf(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

bool FindCloseBox(HWND window, POINT* at) {
    RECT r{};
    GetWindowRect(window, &r);
    for (int y = r.top + 2; y < r.top + 40 && y < r.bottom; y += 2) {
        for (int x = r.right - 2; x > r.right - 60 && x > r.left; x -= 2) {
            if (Send(window, WM_NCHITTEST, 0, MAKELPARAM(x, y)) == HTCLOSE) {
                *at = {x - 4, y + 4};
                if (Send(window, WM_NCHITTEST, 0, MAKELPARAM(at->x, at->y)) == HTCLOSE) return true;
                *at = {x, y};
                return true;
            }
        }
    }
    return false;
}

std::vector<HWND> WindowsOf(DWORD processId, bool visibleOnly) {
    struct Search {
        DWORD processId;
        bool visibleOnly;
        std::vector<HWND> found;
    } search{processId, visibleOnly, {}};
    EnumWindows(
        [](HWND window, LPARAM param) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(param);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner == s.processId && (!s.visibleOnly || IsWindowVisible(window))) s.found.push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND FindWindowOf(DWORD processId, const std::wstring& caption, bool visibleOnly) {
    for (HWND window : WindowsOf(processId, visibleOnly)) {
        if (ClassOf(window) != L"#32770" && TextOf(window) == caption) return window;
    }
    return nullptr;
}

HWND MessageBoxOf(DWORD processId) {
    for (HWND window : WindowsOf(processId)) {
        if (ClassOf(window) == L"#32770" && GetDlgItem(window, kMessageTextId)) return window;
    }
    return nullptr;
}

MessageBoxSeen ReadMessageBox(HWND box) {
    MessageBoxSeen seen;
    seen.hwnd = box;
    seen.title = TextOf(box);
    seen.text = TextOf(GetDlgItem(box, kMessageTextId));
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (!IsWindowVisible(child)) continue;
        const std::wstring kind = ClassOf(child);
        if (_wcsicmp(kind.c_str(), L"Button") == 0) seen.buttons.push_back(GetDlgCtrlID(child));
        const LONG_PTR style = GetWindowLongPtrW(child, GWL_STYLE);
        if (_wcsicmp(kind.c_str(), L"Static") == 0 && (style & SS_TYPEMASK) == SS_ICON && Send(child, STM_GETICON) != 0) {
            seen.icon = true;
        }
    }
    return seen;
}

}  // namespace window_driving
