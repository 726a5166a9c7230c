#pragma once

#include <string>

#include "form.h"
#include "settings_store.h"

namespace dialogs {

// The window of an entry dialog: a fixed tool window centred over the main
// window, out of the taskbar, without an icon.
template <size_t N>
constexpr forms::FormLayout EntryDialogWindow(const wchar_t* caption, int clientWidth, int clientHeight,
                                              const forms::ControlLayout (&controls)[N]) {
    return {caption, forms::Border::FixedToolWindow, clientWidth, clientHeight, forms::Placement::CenterOwner,
            false, false, controls, N};
}

// A small modal dialog that takes one list item: its save button checks the
// text and, when it can be an item, keeps it and closes; its cancel button
// and close box close with nothing. Form2 and Form3 are such dialogs, each
// given by its description and its list.
class EntryDialog : public forms::Form {
public:
    // Creates the dialog and shows it modally over `owner` until it closes.
    // True when it closed with an item.
    bool ShowModal(HWND owner);

    // The item taken, as typed; empty when the dialog closed without one (an
    // item is never blank).
    std::wstring item;

protected:
    // A dialog for `list`, whose text box is `box`.
    EntryDialog(const forms::FormLayout& layout, forms::Host& host, settings::ItemList list, int box, int saveButton,
                int cancelButton);

    void OnCommand(int id, int code) override;

private:
    // "保  存": takes the text of the box, as typed, and closes; or says why
    // it cannot be an item and puts the focus back in the box, whose text,
    // caret and selection stay as they were.
    void cmdSave_Click();
    // "取  消": closes; nothing is taken.
    void cmdCancal_Click();

    settings::ItemList list_;
    int box_, saveButton_, cancelButton_;
};

}  // namespace dialogs
