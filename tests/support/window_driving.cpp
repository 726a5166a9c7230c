#include "window_driving.h"

#include <cstdio>

#include "handles.h"

namespace window_driving {
namespace {

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

// Whether the window or one of its controls still has a part to paint.
bool WaitsForPaint(HWND window) {
    bool waits = GetUpdateRect(window, nullptr, FALSE) != FALSE;
    EnumChildWindows(
        window,
        [](HWND child, LPARAM param) -> BOOL {
            if (GetUpdateRect(child, nullptr, FALSE)) *reinterpret_cast<bool*>(param) = true;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&waits));
    return waits;
}

// One look at the screen where the window is.
Picture Look(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    Picture picture;
    picture.width = r.right - r.left;
    picture.height = r.bottom - r.top;
    if (picture.width <= 0 || picture.height <= 0) return {};
    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    header.biWidth = picture.width;
    header.biHeight = picture.height;  // bottom-up rows
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    void* bits = nullptr;
    const handles::ScopedGetDC screen(nullptr);
    const handles::MemoryDC memory(CreateCompatibleDC(screen.get()));
    const handles::AutoBitmap bitmap(
        CreateDIBSection(screen.get(), reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!memory || !bitmap) return {};
    const handles::ScopedSelectObject selected(memory.get(), bitmap.get());
    if (!BitBlt(memory.get(), 0, 0, picture.width, picture.height, screen.get(), r.left, r.top, SRCCOPY)) return {};
    GdiFlush();
    const size_t stride = (static_cast<size_t>(picture.width) * 3 + 3) & ~size_t{3};
    const auto* first = static_cast<const unsigned char*>(bits);
    picture.rows.assign(first, first + stride * static_cast<size_t>(picture.height));
    return picture;
}

}  // namespace

LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, static_cast<UINT>(kWindowTimeout.count()),
                        &result);
    return static_cast<LRESULT>(result);
}

bool WaitUntilIdle(HWND window, std::chrono::milliseconds timeout) {
    // A sent message is taken only where the thread waits for input; it is
    // answered once whatever ran before has returned to a message loop.
    DWORD_PTR ignored = 0;
    return SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, static_cast<UINT>(timeout.count()), &ignored) != 0;
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
    const handles::MemoryDC dc(CreateCompatibleDC(nullptr));
    SendMessageW(GetParent(control), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc.get()),
                 reinterpret_cast<LPARAM>(control));
    return GetTextColor(dc.get());
}

bool Press(HWND button) {
    DWORD_PTR ignored = 0;
    return SendMessageTimeoutW(button, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, static_cast<UINT>(kWindowTimeout.count()),
                               &ignored) != 0;
}

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

Picture SettledPicture(HWND window, std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    Picture last;
    while (Clock::now() < deadline) {
        if (!WaitUntilIdle(window, timeout) || WaitsForPaint(window)) {
            Sleep(20);
            continue;
        }
        Picture now = Look(window);
        if (!now.empty() && now.width == last.width && now.height == last.height && now.rows == last.rows) return now;
        last = std::move(now);
        // The window's pixels reach the screen shortly after its thread has
        // painted them: look again a little later.
        Sleep(50);
    }
    return {};
}

bool SaveBmp(const Picture& picture, const std::wstring& file) {
    if (picture.empty()) return false;
    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    header.biWidth = picture.width;
    header.biHeight = picture.height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    header.biSizeImage = static_cast<DWORD>(picture.rows.size());
    BITMAPFILEHEADER head{};
    head.bfType = 0x4D42;  // "BM"
    head.bfOffBits = sizeof head + sizeof header;
    head.bfSize = head.bfOffBits + header.biSizeImage;
    FILE* out = _wfopen(file.c_str(), L"wb");
    if (!out) return false;
    bool saved = std::fwrite(&head, sizeof head, 1, out) == 1 && std::fwrite(&header, sizeof header, 1, out) == 1 &&
                 std::fwrite(picture.rows.data(), 1, picture.rows.size(), out) == picture.rows.size();
    saved = std::fclose(out) == 0 && saved;
    return saved;
}

std::vector<COLORREF> ColoursOf(HBITMAP indexed) {
    DIBSECTION dib{};
    if (GetObjectW(indexed, sizeof dib, &dib) != sizeof dib || dib.dsBm.bmBitsPixel != 8) return {};
    RGBQUAD table[256] = {};
    {
        const handles::MemoryDC memory(CreateCompatibleDC(nullptr));
        const handles::ScopedSelectObject selected(memory.get(), indexed);
        if (GetDIBColorTable(memory.get(), 0, 256, table) == 0) return {};
    }
    const auto* indices = static_cast<const BYTE*>(dib.dsBm.bmBits);
    std::vector<COLORREF> colours;
    for (int y = 0; y < dib.dsBm.bmHeight; ++y) {
        for (int x = 0; x < dib.dsBm.bmWidth; ++x) {
            const RGBQUAD& c = table[indices[y * dib.dsBm.bmWidthBytes + x]];
            colours.push_back(RGB(c.rgbRed, c.rgbGreen, c.rgbBlue));
        }
    }
    return colours;
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
        wchar_t text[256] = {};
        GetWindowTextW(window, text, 256);
        if (ClassOf(window) != L"#32770" && caption == text) return window;
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
