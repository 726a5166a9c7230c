#include "form.h"

#include "dpi.h"
#include "resource.h"

namespace forms {
namespace {

// Forms with the program's icon and forms without one are two classes.
const wchar_t* RegisterFormClass(HINSTANCE instance, WNDPROC proc, bool hasIcon) {
    const wchar_t* name = hasIcon ? L"HotlinkConfigForm" : L"HotlinkConfigPlainForm";
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    if (GetClassInfoExW(instance, name, &wc)) return name;
    wc.lpfnWndProc = proc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    if (hasIcon) {
        wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_PROGRAM));
        wc.hIconSm = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_PROGRAM), IMAGE_ICON,
                                                   GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
    }
    wc.lpszClassName = name;
    return RegisterClassExW(&wc) ? name : nullptr;
}

// What each kind of control is made of.
struct KindTraits {
    const wchar_t* windowClass;
    DWORD style, exStyle;
    bool takesFocus;
};

const KindTraits& TraitsOf(Kind kind) {
    static const KindTraits kTraits[] = {
        {L"BUTTON", BS_GROUPBOX, 0, false},                   // Frame
        {L"STATIC", SS_LEFT | SS_NOPREFIX, 0, false},         // Label
        {L"BUTTON", BS_PUSHBUTTON, 0, true},                  // Button
        {L"BUTTON", BS_AUTOCHECKBOX, 0, true},                // CheckBox
        {L"BUTTON", BS_AUTORADIOBUTTON, 0, true},             // OptionButton
        {L"LISTBOX", LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | LBS_HASSTRINGS, WS_EX_CLIENTEDGE, true},
        {L"EDIT", ES_LEFT | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, true},  // TextBox
    };
    return kTraits[static_cast<int>(kind)];
}

}  // namespace

Form::Form(const FormLayout& layout, Host& host) : layout_(layout), host_(host) {}

Form::~Form() {
    if (hwnd_) DestroyWindow(hwnd_);
}

DWORD Form::Style() const {
    return layout_.border == Border::None ? WS_POPUP : WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
}

DWORD Form::ExStyle() const {
    DWORD ex = WS_EX_CONTROLPARENT;
    if (layout_.border == Border::FixedToolWindow) ex |= WS_EX_TOOLWINDOW;
    if (layout_.inTaskbar) ex |= WS_EX_APPWINDOW;
    // An unowned window keeps out of the taskbar only as a tool window.
    if (!layout_.inTaskbar && !owner_) ex |= WS_EX_TOOLWINDOW;
    return ex;
}

bool Form::Load(HWND owner) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    const wchar_t* className = RegisterFormClass(instance, &Form::WindowProc, layout_.hasIcon);
    if (!className) return false;
    owner_ = owner;
    if (!CreateWindowExW(ExStyle(), className, layout_.caption, Style(), CW_USEDEFAULT, CW_USEDEFAULT, 0, 0, owner,
                         nullptr, instance, this)) {
        return false;
    }
    OnLoad();
    return true;
}

void Form::Show() {
    RECT window{};
    GetWindowRect(hwnd_, &window);
    RECT area{};
    if (layout_.placement == Placement::CenterOwner && owner_) {
        GetWindowRect(owner_, &area);
    } else {
        MONITORINFO monitor{};
        monitor.cbSize = sizeof monitor;
        GetMonitorInfoW(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &monitor);
        area = monitor.rcWork;
    }
    const int width = window.right - window.left, height = window.bottom - window.top;
    const int x = area.left + (area.right - area.left - width) / 2;
    const int y = area.top + (area.bottom - area.top - height) / 2;
    SetWindowPos(hwnd_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(hwnd_, SW_SHOW);
    UpdateWindow(hwnd_);
    for (size_t i = 0; i < layout_.controlCount; ++i) {
        if (layout_.controls[i].state & kFirstFocus) SetFocus(Control(layout_.controls[i].id));
    }
}

void Form::Close() {
    if (hwnd_) SendMessageW(hwnd_, WM_CLOSE, 0, 0);
}

const ControlLayout* Form::Find(int id) const {
    for (size_t i = 0; i < layout_.controlCount; ++i) {
        if (layout_.controls[i].id == id) return &layout_.controls[i];
    }
    return nullptr;
}

RECT Form::ControlRect(const ControlLayout& control, UINT dpi) const {
    int left = control.left, top = control.top;
    if (const ControlLayout* frame = control.container ? Find(control.container) : nullptr) {
        left += frame->left;
        top += frame->top;
    }
    RECT rect;
    rect.left = TwipsToPixels(left, dpi);
    rect.top = TwipsToPixels(top, dpi);
    rect.right = rect.left + TwipsToPixels(control.width, dpi);
    rect.bottom = rect.top + TwipsToPixels(control.height, dpi);
    return rect;
}

bool Form::CreateControls() {
    // One pass in the rows' order: each control created comes beneath the
    // ones before it, and the keyboard goes round in the same order.
    const ControlLayout* previousFocusable = nullptr;
    for (size_t i = 0; i < layout_.controlCount; ++i) {
        const ControlLayout& c = layout_.controls[i];
        const KindTraits& kind = TraitsOf(c.kind);
        DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | kind.style;
        if (c.state & kDisabled) style |= WS_DISABLED;
        if (kind.takesFocus) {
            // Option buttons that follow each other in one frame are one
            // group, whose one tab stop is on the selected button; every
            // other control is a group alone.
            const bool continuesGroup = c.kind == Kind::OptionButton && previousFocusable &&
                                        previousFocusable->kind == Kind::OptionButton &&
                                        previousFocusable->container == c.container;
            if (!continuesGroup) style |= WS_GROUP;
            if (c.kind != Kind::OptionButton || (c.state & kSelected)) style |= WS_TABSTOP;
            previousFocusable = &c;
        }
        const HWND control = CreateWindowExW(kind.exStyle, kind.windowClass, c.caption, style, 0, 0, 0, 0, hwnd_,
                                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)),
                                             GetModuleHandleW(nullptr), nullptr);
        if (!control) return false;
        if (c.kind == Kind::TextBox) SendMessageW(control, EM_SETLIMITTEXT, 0, 0);
        if (c.state & kSelected) SendMessageW(control, BM_SETCHECK, BST_CHECKED, 0);
    }
    return true;
}

void Form::ApplyDpi(UINT dpi) {
    handles::AutoFont font(CreateMessageFont(dpi));
    const SIZE client{TwipsToPixels(layout_.clientWidth, dpi), TwipsToPixels(layout_.clientHeight, dpi)};
    const SIZE outer = OuterSizeFor(client, Style(), ExStyle(), dpi);
    SetWindowPos(hwnd_, nullptr, 0, 0, outer.cx, outer.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    for (size_t i = 0; i < layout_.controlCount; ++i) {
        const RECT r = ControlRect(layout_.controls[i], dpi);
        const HWND control = Control(layout_.controls[i].id);
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), FALSE);
        SetWindowPos(control, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    font_.reset(font.release());  // the controls draw with the new font from now on
    LRESULT ignored = 0;
    OnMessage(kLaidOut, dpi, 0, ignored);
    InvalidateRect(hwnd_, nullptr, TRUE);
}

void Form::SelectOption(int id) {
    const ControlLayout* selected = Find(id);
    if (!selected) return;
    for (size_t i = 0; i < layout_.controlCount; ++i) {
        const ControlLayout& c = layout_.controls[i];
        if (c.kind != Kind::OptionButton || c.container != selected->container) continue;
        const HWND button = Control(c.id);
        const bool on = c.id == id;
        SendMessageW(button, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
        const LONG_PTR style = GetWindowLongPtrW(button, GWL_STYLE);
        SetWindowLongPtrW(button, GWL_STYLE, on ? (style | WS_TABSTOP) : (style & ~static_cast<LONG_PTR>(WS_TABSTOP)));
    }
}

bool Form::IsChecked(int id) const { return SendMessageW(Control(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }

std::wstring Form::Text(int id) const {
    const HWND control = Control(id);
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(control)), L'\0');
    const int got = GetWindowTextW(control, text.data(), static_cast<int>(text.size()) + 1);
    text.resize(static_cast<size_t>(got > 0 ? got : 0));
    return text;
}

LRESULT CALLBACK Form::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Form* form = nullptr;
    if (message == WM_NCCREATE) {
        form = static_cast<Form*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        form->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
    } else {
        form = reinterpret_cast<Form*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    }
    if (!form) return DefWindowProcW(hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        form->hwnd_ = nullptr;
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    try {
        return form->HandleMessage(message, wParam, lParam);
    } catch (...) {
        // Nothing may unwind through the system's code; the event is dropped.
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

LRESULT Form::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (LRESULT result = 0; OnMessage(message, wParam, lParam, result)) return result;
    switch (message) {
        case WM_CREATE:
            return OnCreate();
        case WM_COMMAND:
            OnCommandMessage(wParam, lParam);
            return 0;
        case WM_CTLCOLORSTATIC:
            if (const LRESULT brush = OnColorStatic(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam))) {
                return brush;
            }
            break;
        case WM_DPICHANGED:
            OnDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
            return 0;
        case WM_CLOSE:
            OnClose();
            return 0;
        case WM_DESTROY:
            if (quitOnDestroy_) PostQuitMessage(0);
            return 0;
    }
    return DefWindowProcW(hwnd_, message, wParam, lParam);
}

LRESULT Form::OnCreate() {
    if (!CreateControls()) return -1;
    ApplyDpi(DpiOf(hwnd_));
    return 0;
}

void Form::OnCommandMessage(WPARAM wParam, LPARAM lParam) {
    if (lParam == 0) return;  // no control's
    const int id = LOWORD(wParam), code = HIWORD(wParam);
    const ControlLayout* c = Find(id);
    if (c && c->kind == Kind::OptionButton && code == BN_CLICKED) SelectOption(id);
    OnCommand(id, code);
}

// The hint labels' coloured text; 0 for every other static control.
LRESULT Form::OnColorStatic(HDC dc, HWND control) {
    const ControlLayout* c = Find(GetDlgCtrlID(control));
    if (!c || !(c->state & (kBlueText | kRedText))) return 0;
    SetTextColor(dc, (c->state & kBlueText) ? RGB(0, 0, 255) : RGB(255, 0, 0));
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
}

void Form::OnDpiChanged(UINT dpi, const RECT& suggested) {
    ApplyDpi(dpi);
    SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form::OnClose() {
    // A modal window's owner waits, disabled. It is enabled before this
    // window goes, so that the activation returns to it and not to another
    // program.
    if (owner_) EnableWindow(owner_, TRUE);
    DestroyWindow(hwnd_);
}

}  // namespace forms
