#pragma once

#include <windows.h>

#include <string>

#include "handles.h"

namespace forms {

class Host;

enum class Kind { Frame, Label, Button, CheckBox, OptionButton, ListBox, TextBox };

// Initial states and looks of a control; they combine.
enum State : unsigned {
    kNone = 0,
    kSelected = 1u << 0,   // option button selected, check box ticked
    kDisabled = 1u << 1,
    kFirstFocus = 1u << 2,
    kBlueText = 1u << 3,
    kRedText = 1u << 4,
    kAutoSize = 1u << 5,   // a label that takes the size of its one line of text
};

// One row of a window's description: the control's id (its name in code),
// kind, container (the id of its frame, or 0 for the window), caption,
// rectangle in twips relative to the container's outer top-left corner, and
// initial state. A list box or text box, which has no caption of its own,
// names the label whose text screen readers speak for it.
//
// The rows stand in z-order, top first, as a dialog template's controls do,
// and are created in that order: the controls that take the focus in the
// order of the keyboard, each naming label just before its box (where
// screen readers look for it), then the other labels, then the frames.
struct ControlLayout {
    int id;
    Kind kind;
    int container;
    const wchar_t* caption;
    int left, top, width, height;
    unsigned state;
    int spokenBy = 0;
};

enum class Border { FixedSingle, FixedToolWindow, None };
enum class Placement { CenterScreen, CenterOwner };

struct FormLayout {
    const wchar_t* caption;
    Border border;
    int clientWidth, clientHeight;  // twips
    Placement placement;
    bool inTaskbar;
    bool hasIcon;                   // the program's icon on the title bar
    const ControlLayout* controls;
    size_t controlCount;
};

// A top-level window built from its description. Subclasses handle events:
// OnLoad before the window is first shown, OnCommand for the controls'
// notifications.
class Form {
public:
    Form(const FormLayout& layout, Host& host);
    virtual ~Form();
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    // Creates the window and its controls, then runs OnLoad. False when any
    // part could not be created.
    bool Load(HWND owner = nullptr);
    // Shows the window where its description places it and gives the first
    // focus.
    void Show();
    // Closes the window as its close box does.
    void Close();

    HWND hwnd() const { return hwnd_; }
    HWND Control(int id) const { return GetDlgItem(hwnd_, id); }

    // Ends the message loop when this window is destroyed.
    void set_quit_on_destroy(bool quit) { quitOnDestroy_ = quit; }

protected:
    Host& host() { return host_; }

    virtual void OnLoad() {}
    virtual void OnCommand(int /*id*/, int /*code*/) {}
    // A click on the window's own surface: the left button pressed and
    // released on it.
    virtual void OnClick() {}
    // Enter pressed while no button has the focus.
    virtual void OnEnterKey() {}
    // Draws over the background of the client area.
    virtual void OnPaint(HDC /*dc*/, const RECT& /*client*/) {}

    // Selects an option button and moves its group's one tab stop onto it.
    void SelectOption(int id);
    bool IsChecked(int id) const;
    void Enable(int id, bool enabled);
    std::wstring Text(int id) const;
    // Puts the focus in a control and leaves its text, caret and selection
    // as they are.
    void FocusOn(int id);

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // The handlers of HandleMessage, one a message.
    LRESULT OnCreate();
    void OnCommandMessage(WPARAM wParam, LPARAM lParam);
    LRESULT OnColorStatic(HDC dc, HWND control);
    void OnDpiChanged(UINT dpi, const RECT& suggested);
    void OnPaintMessage();
    void OnClose();

    bool CreateControls();
    void ApplyDpi(UINT dpi);
    // Keeps a label that stands above other controls in z-order from
    // drawing over them: its window region leaves out where they lie.
    void KeepBeneath(HWND label);
    const ControlLayout* Find(int id) const;
    // A control's rectangle in pixels of the window's client area at a DPI.
    RECT ControlRect(const ControlLayout& control, UINT dpi) const;
    DWORD Style() const;
    DWORD ExStyle() const;

    const FormLayout& layout_;
    Host& host_;
    HWND hwnd_ = nullptr;
    HWND owner_ = nullptr;
    handles::AutoFont font_;
    bool quitOnDestroy_ = false;
    bool buttonDown_ = false;
};

}  // namespace forms
