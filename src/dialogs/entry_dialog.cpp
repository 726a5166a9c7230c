#include "entry_dialog.h"

#include "host.h"

namespace dialogs {

EntryDialog::EntryDialog(const forms::FormLayout& layout, forms::Host& host, int saveButton, int cancelButton)
    : Form(layout, host), saveButton_(saveButton), cancelButton_(cancelButton) {}

bool EntryDialog::ShowModal(HWND owner) {
    if (!Load(owner)) return false;
    host().ShowModal(*this, owner);
    return !item.empty();
}

void EntryDialog::OnCommand(int id, int code) {
    if (code != BN_CLICKED) return;
    if (id == saveButton_) cmdSave_Click();
    if (id == cancelButton_) cmdCancal_Click();
}

void EntryDialog::cmdCancal_Click() { Close(); }

void EntryDialog::Refuse(const wchar_t* message, int box) {
    host().ShowMessage(hwnd(), message, L"错误");
    FocusOn(box);
}

void EntryDialog::Accept(const std::wstring& text) {
    item = text;
    Close();
}

}  // namespace dialogs
