#include "frm_begin.h"

#include <utility>

#include "host.h"
#include "start_picture.h"

namespace startup {
namespace {

// A window of the picture alone: no title bar, no frame, no controls.
const forms::FormLayout kBegin = {
    frmBegin::kCaption, forms::Border::None, 4500, 4500, forms::Placement::CenterScreen, false, false, nullptr, 0,
};

constexpr wchar_t kInstruction[] = L"在本窗口任意处点击进入设置";

}  // namespace

frmBegin::frmBegin(forms::Host& host, bool anotherInstanceRunning)
    : Form(kBegin, host), anotherInstanceRunning_(anotherInstanceRunning) {}

void frmBegin::OnLoad() { Form_Load(); }

bool frmBegin::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    result = 0;
    switch (message) {
        case WM_LBUTTONDOWN:
            buttonDown_ = true;
            return true;
        case WM_LBUTTONUP:
            // A click: the left button pressed and released on the picture.
            if (std::exchange(buttonDown_, false)) Form_Click();
            return true;
        case WM_COMMAND:
            // Enter, which the dialog manager sends as IDOK from no control,
            // does what a click does, for those who work from the keyboard.
            if (lParam != 0 || LOWORD(wParam) != IDOK) return false;
            Form_Click();
            return true;
        case WM_PAINT:
            Form_Paint();
            return true;
    }
    return false;
}

void frmBegin::Form_Load() {
    if (anotherInstanceRunning_) return;
    // Its result does not matter: the window works the same below others.
    SetWindowPos(hwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    picture_.reset(LoadStartPicture(GetModuleHandleW(nullptr)));
}

void frmBegin::Form_Click() {
    if (main_) return;
    main_ = std::make_unique<main_window::frmMain>(host());
    if (!main_->Load()) {
        // Without its main window the program has nothing to offer.
        host().ShowMessage(hwnd(), L"无法创建设置窗口。", main_window::kApplicationTitle);
        Close();
        return;
    }
    // From now on the main window's closing ends the program.
    main_->set_quit_on_destroy(true);
    set_quit_on_destroy(false);
    main_->Show();
    Close();
}

void frmBegin::Form_Paint() {
    PAINTSTRUCT paint;
    const HDC dc = BeginPaint(hwnd(), &paint);
    RECT client{};
    GetClientRect(hwnd(), &client);
    DrawPicture(dc, client);
    EndPaint(hwnd(), &paint);
}

void frmBegin::DrawPicture(HDC dc, RECT client) const {
    const int width = client.right - client.left, height = client.bottom - client.top;
    if (!picture_) {
        // Should the picture be missing, the instruction still stands.
        DrawTextW(dc, kInstruction, -1, &client, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        return;
    }
    BITMAP info{};
    GetObjectW(picture_.get(), sizeof info, &info);
    const handles::MemoryDC memory(CreateCompatibleDC(dc));
    if (!memory) return;
    const handles::ScopedSelectObject selected(memory.get(), picture_.get());
    if (info.bmWidth == width && info.bmHeight == height) {
        BitBlt(dc, 0, 0, width, height, memory.get(), 0, 0, SRCCOPY);
    } else {
        // Shown at another DPI, the picture fills the scaled window.
        SetStretchBltMode(dc, HALFTONE);
        SetBrushOrgEx(dc, 0, 0, nullptr);
        StretchBlt(dc, 0, 0, width, height, memory.get(), 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
    }
}

}  // namespace startup
