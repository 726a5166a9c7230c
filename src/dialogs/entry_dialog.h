#pragma once

#include <functional>
#include <string>

#include "form.h"

namespace dialogs {

// Hands an accepted item to the list it belongs to.
using AppendItem = std::function<void(const std::wstring&)>;

// A small modal dialog that takes one list item: its save button checks the
// text and appends it, its cancel button and close box add nothing.
class EntryDialog : public forms::Form {
protected:
    EntryDialog(const forms::FormLayout& layout, forms::Host& host, AppendItem append, int saveButton,
                int cancelButton);

    void OnCommand(int id, int code) override;

    // "保  存".
    virtual void cmdSave_Click() = 0;
    // "取  消": closes; nothing is added.
    void cmdCancal_Click();

    // Says why the text cannot be taken, then puts the focus back in its
    // box, whose text, caret and selection stay as they were.
    void Refuse(const wchar_t* message, int box);
    // Appends the item, as typed, to the list and closes.
    void Accept(const std::wstring& item);
    // Whether the text holds the "|" that separates a list's items in
    // Config.ini: it would come back as two items.
    static bool HoldsItemSeparator(const std::wstring& text) { return text.find(L'|') != std::wstring::npos; }

private:
    AppendItem append_;
    int saveButton_, cancelButton_;
};

}  // namespace dialogs
