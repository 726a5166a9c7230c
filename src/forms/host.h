#pragma once

#include <windows.h>

#include <string>

namespace forms {

class Form;

// What a form asks of its surroundings that would block: message boxes and
// modal dialogs. Tests put a recorder in place of the desktop.
class Host {
public:
    virtual ~Host() = default;
    // A message with an OK button only and no icon.
    virtual void ShowMessage(HWND owner, const std::wstring& text, const std::wstring& title) = 0;
    // A question with Yes and No buttons, No the default, and no icon; true
    // for Yes.
    virtual bool Ask(HWND owner, const std::wstring& text, const std::wstring& title) = 0;
    // Shows the created dialog modally over its owner until it closes.
    virtual void ShowModal(Form& dialog, HWND owner) = 0;
};

// The real thing: MessageBoxW and a modal message loop.
class DesktopHost : public Host {
public:
    void ShowMessage(HWND owner, const std::wstring& text, const std::wstring& title) override;
    bool Ask(HWND owner, const std::wstring& text, const std::wstring& title) override;
    void ShowModal(Form& dialog, HWND owner) override;
};

// Runs messages until WM_QUIT, with keyboard navigation in every form.
int RunMessageLoop();

}  // namespace forms
