#pragma once

#include <windows.h>

#include <chrono>
#include <string>
#include <vector>

// Driving windows as a user does and reading them back, in this process or
// in another one: every message goes with a timeout, so that a hung window
// fails a test instead of stopping it. Nothing here needs the forms layer:
// the end-to-end driver, which only drives the real program, links this
// alone; the in-process tests reach it through form_driving.h.
namespace window_driving {

using Clock = std::chrono::steady_clock;
inline constexpr std::chrono::milliseconds kWindowTimeout{10000};

// Polls `condition`, every `interval`, until it gives a true value or the
// time is up; returns its last value.
template <class Condition>
auto WaitFor(Condition condition, std::chrono::milliseconds timeout = kWindowTimeout,
             std::chrono::milliseconds interval = std::chrono::milliseconds(20)) -> decltype(condition()) {
    const auto deadline = Clock::now() + timeout;
    for (;;) {
        auto value = condition();
        if (value || Clock::now() >= deadline) return value;
        Sleep(static_cast<DWORD>(interval.count()));
    }
}

// A message sent, given up after kWindowTimeout or at once when the
// window's thread hangs (then the result is 0).
LRESULT Send(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

// Waits until the thread that owns `window` is idle again: it has handled
// whatever it was doing when this was called (a press, the answer to a
// message box) and waits for input in a message loop, its own, a dialog's
// or a message box's. False when that did not come in time.
bool WaitUntilIdle(HWND window, std::chrono::milliseconds timeout = kWindowTimeout);

// ---- reading ----------------------------------------------------------------

std::wstring TextOf(HWND window);
std::wstring ClassOf(HWND window);
bool Checked(HWND button);
bool Enabled(HWND window);
// The items of a list box, in order.
std::vector<std::wstring> ListItems(HWND list);
// The control that has the keyboard focus in the window's thread.
HWND FocusIn(HWND window);
// A text box's selection, start in the low word and end in the high word.
DWORD Selection(HWND edit);
// A control's rectangle in its parent's client coordinates.
RECT RectInParent(HWND control);
// The colour a static control's text is drawn in, as its parent sets it. In
// this process only: a device context does not cross to another.
COLORREF TextColorOf(HWND control);

// ---- acting as the user -----------------------------------------------------

// A press of a button that opens nothing modal: it returns when handled,
// true, or false when it was not handled in time.
bool Press(HWND button);
// A press of a button that opens a dialog or a message box, which would keep
// a sent message waiting until it closes.
void PressOpening(HWND button);
// Typing into a text box, one character after the other.
void Type(HWND edit, const std::wstring& text);
void ClearAndType(HWND edit, const std::wstring& text);
// A left click with the real pointer: it travels onto the point first, as a
// hand moves it, then the button goes down and up.
void ClickAt(POINT at);
POINT CentreOf(HWND window);
// The screen point of a window's close box, found as the window itself
// answers where its close box is.
bool FindCloseBox(HWND window, POINT* at);

// ---- looking at the screen ----------------------------------------------------

// What the screen shows of a window, frame included: 24-bit rows, bottom
// row first, as a BMP file stores them.
struct Picture {
    int width = 0, height = 0;
    std::vector<unsigned char> rows;
    bool empty() const { return rows.empty(); }
};
// The window as it stands once its thread is idle, nothing of it waits to
// be painted, and two looks in a row see the same pixels. Empty when it did
// not settle in time.
Picture SettledPicture(HWND window, std::chrono::milliseconds timeout = kWindowTimeout);
// Writes a picture as a BMP file.
bool SaveBmp(const Picture& picture, const std::wstring& file);
// The colours of an 8-bit bitmap's pixels, as its colour table gives them,
// row by row from the top; empty when it is no such bitmap.
std::vector<COLORREF> ColoursOf(HBITMAP indexed);

// ---- finding windows ----------------------------------------------------------

// A process's top-level windows, owned ones (dialogs, message boxes)
// included; hidden ones too unless visibleOnly.
std::vector<HWND> WindowsOf(DWORD processId, bool visibleOnly = true);
// One of them with this caption that is no message box. The caption is the
// one the system keeps: the window is sent no message.
HWND FindWindowOf(DWORD processId, const std::wstring& caption, bool visibleOnly = true);

// ---- message boxes ----------------------------------------------------------

// One message box as the user sees it.
struct MessageBoxSeen {
    HWND hwnd = nullptr;
    std::wstring title, text;
    std::vector<int> buttons;  // ids of the visible buttons
    bool icon = false;         // a visible icon beside the text
};

// The message box a process shows, if any.
HWND MessageBoxOf(DWORD processId);
MessageBoxSeen ReadMessageBox(HWND box);

}  // namespace window_driving
