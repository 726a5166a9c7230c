#pragma once

#include <windows.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "host.h"
#include "window_driving.h"

// Driving forms in-process as a user would: messages pumped, keys through
// the dialog manager, and a host that records what would block. Reading the
// windows back is window_driving's, shared with the end-to-end driver.
namespace form_driving {

using window_driving::ClassOf;
using window_driving::ListItems;
using window_driving::RectInParent;
using window_driving::TextColorOf;
using window_driving::TextOf;

struct Shown {
    std::wstring text, title;
    bool operator==(const Shown& o) const { return text == o.text && title == o.title; }
};
// A message as a failing test prints it: its title and text in UTF-8.
void PrintTo(const Shown& shown, std::ostream* out);

// Records message boxes instead of showing them. A modal dialog is handed,
// shown, to `onModal`, which plays the user's part; without one it is only
// counted.
class RecordingHost : public forms::Host {
public:
    void ShowMessage(HWND owner, const std::wstring& text, const std::wstring& title) override;
    // Recorded among the messages, and answered from `answers`, first
    // first; No once they are used up.
    bool Ask(HWND owner, const std::wstring& text, const std::wstring& title) override;
    void ShowModal(forms::Form& dialog, HWND owner) override;

    std::vector<Shown> messages;
    std::vector<bool> answers;
    std::vector<HWND> messageOwners;
    int modals = 0;
    std::function<void(forms::Form& dialog, HWND owner)> onModal;
};

// Dispatches every waiting message.
void Pump();
// A key pressed and released on the focused control, through the dialog
// manager of `form` as the program's message loop passes it.
void Press(HWND form, UINT key);
// Presses a button with the mouse.
void Click(HWND button);
// A mouse click on a list box's item.
void ClickItem(HWND list, int index);

}  // namespace form_driving
