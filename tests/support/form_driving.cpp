#include "form_driving.h"

#include "form.h"

namespace form_driving {

void PrintTo(const Shown& shown, std::ostream* out) {
    const auto utf8 = [](const std::wstring& text) {
        std::string bytes(text.size() * 3, '\0');
        bytes.resize(static_cast<size_t>(WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                                             bytes.data(), static_cast<int>(bytes.size()), nullptr,
                                                             nullptr)));
        return bytes;
    };
    *out << "[" << utf8(shown.title) << "] " << utf8(shown.text);
}

void RecordingHost::ShowMessage(HWND owner, const std::wstring& text, const std::wstring& title) {
    messages.push_back({text, title});
    messageOwners.push_back(owner);
}

bool RecordingHost::Ask(HWND owner, const std::wstring& text, const std::wstring& title) {
    ShowMessage(owner, text, title);
    if (answers.empty()) return false;
    const bool yes = answers.front();
    answers.erase(answers.begin());
    return yes;
}

void RecordingHost::ShowModal(forms::Form& dialog, HWND owner) {
    ++modals;
    if (!onModal) return;
    dialog.Show();
    Pump();
    onModal(dialog, owner);
}

void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            // Left for the test to see.
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

void Press(HWND form, UINT key) {
    for (UINT message : {WM_KEYDOWN, WM_KEYUP}) {
        MSG msg{GetFocus(), message, key, message == WM_KEYUP ? 0xC0000001 : 1, 0, {}};
        if (!IsDialogMessageW(form, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Pump();
    }
}

void Click(HWND button) {
    window_driving::Press(button);
    Pump();
}

void ClickItem(HWND list, int index) {
    RECT item{};
    SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    const LPARAM at = MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
    SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(list, WM_LBUTTONUP, 0, at);
    Pump();
}

}  // namespace form_driving
