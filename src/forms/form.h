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
};

// One row of a window's description: the control's id (its name in code),
// kind, container (the id of its frame, or 0 for the window), caption,
// rectangle in twips relative to the container's outer top-left corner, and
// initial state.
//
// The rows stand in z-order, top first, as a dialog template's controls do,
// and are created in that order: the controls that take the focus in the
// order of the keyboard, the label that names a list box or text box just
// before it (where screen readers look for a name), then the other labels,
// then the frames. A label never reaches over another control.
struct ControlLayout {
    int id;
    Kind kind;
    int container;
    const wchar_t* caption;
    int left, top, width, height;
    unsigned state;
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

// Sent to a form's OnMessage once its controls are laid out for a DPI
// (wParam): at creation and when the DPI changes.
constexpr UINT kLaidOut = WM_APP + 1;

// A top-level window built from its description. Subclasses handle events:
// OnLoad before the window is first shown, OnCommand for the controls'
// notifications, OnMessage for anything else.
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
    // Any message, before the layer handles it: true when the window has
    // handled it, with `result` the message's result.
    virtual bool OnMessage(UINT /*message*/, WPARAM /*wParam*/, LPARAM /*lParam*/, LRESULT& /*result*/) {
        return false;
    }

    // Selects an option button and moves its group's one tab stop onto it.
    void SelectOption(int id);
    bool IsChecked(int id) const;
    std::wstring Text(int id) const;

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // The handlers of HandleMessage, one a message.
    LRESULT OnCreate();
    void OnCommandMessage(WPARAM wParam, LPARAM lParam);
    LRESULT OnColorStatic(HDC dc, HWND control);
    void OnDpiChanged(UINT dpi, const RECT& suggested);
    void OnClose();

    bool CreateControls();
    void ApplyDpi(UINT dpi);
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
};

}  // namespace forms
