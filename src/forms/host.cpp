#include "host.h"

#include "form.h"

namespace forms {
namespace {

// Waits for the next message and dispatches it, with keyboard navigation in
// the form it is for. False at WM_QUIT, which is left in `msg`, or when no
// message can be had.
bool DispatchNext(MSG& msg) {
    if (GetMessageW(&msg, nullptr, 0, 0) <= 0) return false;
    const HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
    if (!root || !IsDialogMessageW(root, &msg)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return true;
}

}  // namespace

void DesktopHost::ShowMessage(HWND owner, const std::wstring& text, const std::wstring& title) {
    MessageBoxW(owner, text.c_str(), title.c_str(), MB_OK);
}

bool DesktopHost::Ask(HWND owner, const std::wstring& text, const std::wstring& title) {
    return MessageBoxW(owner, text.c_str(), title.c_str(), MB_YESNO | MB_DEFBUTTON2) == IDYES;
}

void DesktopHost::ShowModal(Form& dialog, HWND owner) {
    // The owner waits, disabled, until the dialog is gone; the dialog enables
    // it again as it closes.
    EnableWindow(owner, FALSE);
    dialog.Show();
    MSG msg{};
    while (dialog.hwnd()) {
        if (DispatchNext(msg)) continue;
        // The program is told to end: the loop outside ends it.
        if (msg.message == WM_QUIT) PostQuitMessage(static_cast<int>(msg.wParam));
        break;
    }
}

int RunMessageLoop() {
    MSG msg{};
    while (DispatchNext(msg)) {
    }
    return msg.message == WM_QUIT ? static_cast<int>(msg.wParam) : 1;
}

}  // namespace forms
