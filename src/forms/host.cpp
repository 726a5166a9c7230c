#include "host.h"

#include "form.h"

namespace forms {

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
    MSG msg;
    while (dialog.hwnd()) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got <= 0) {
            if (got == 0) PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (IsDialogMessageW(dialog.hwnd(), &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

int RunMessageLoop() {
    MSG msg;
    BOOL got;
    while ((got = GetMessageW(&msg, nullptr, 0, 0)) > 0) {
        const HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
        if (root && IsDialogMessageW(root, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return got == 0 ? static_cast<int>(msg.wParam) : 1;
}

}  // namespace forms
