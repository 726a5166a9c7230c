#pragma once

#include <string>

#include "form.h"

namespace dialogs {

// A small modal dialog that takes one list item: its save button checks the
// text and, when it can be an item, keeps it and closes; its cancel button
// and close box close with nothing.
class EntryDialog : public forms::Form {
public:
    // Creates the dialog and shows it modally over `owner` until it closes.
    // True when it closed with an item.
    bool ShowModal(HWND owner);

    // The item taken, as typed; empty when the dialog closed without one (an
    // item is never blank).
    std::wstring item;

protected:
    EntryDialog(const forms::FormLayout& layout, forms::Host& host, int saveButton, int cancelButton);

    void OnCommand(int id, int code) override;

    // "保  存".
    virtual void cmdSave_Click() = 0;
    // "取  消": closes; nothing is taken.
    void cmdCancal_Click();

    // Says why the text cannot be taken, then puts the focus back in its
    // box, whose text, caret and selection stay as they were.
    void Refuse(const wchar_t* message, int box);
    // Takes the item, as typed, and closes.
    void Accept(const std::wstring& text);
    // Whether the text holds the "|" that separates a list's items in
    // Config.ini: it would come back as two items.
    static bool HoldsItemSeparator(const std::wstring& text) { return text.find(L'|') != std::wstring::npos; }

private:
    int saveButton_, cancelButton_;
};

}  // namespace dialogs
