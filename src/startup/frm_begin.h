#pragma once

#include <windows.h>

#include <memory>

#include "form.h"
#include "frm_main.h"

namespace startup {

// The start-up window: the start-up picture, borderless and above all other
// windows, until a click opens the main settings window.
class frmBegin : public forms::Form {
public:
    // The caption, never visible: the window has no title bar.
    static constexpr const wchar_t* kCaption = L"Form4";

    // anotherInstanceRunning: the single-instance test's answer, made before
    // the window loads.
    frmBegin(forms::Host& host, bool anotherInstanceRunning);

    // True when another copy of the program runs: loading then does
    // nothing, and the program ends at once, showing nothing.
    bool ending() const { return anotherInstanceRunning_; }

protected:
    void OnLoad() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void Form_Load();
    void Form_Click();
    void Form_Paint();
    void DrawPicture(HDC dc, RECT client) const;

    bool anotherInstanceRunning_;
    // The left button went down on the window: its release is a click.
    bool buttonDown_ = false;
    handles::AutoBitmap picture_;
    // The main window lives on after this window has closed.
    std::unique_ptr<main_window::frmMain> main_;
};

}  // namespace startup
