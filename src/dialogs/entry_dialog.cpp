#include "entry_dialog.h"

#include "host.h"

namespace dialogs {

EntryDialog::EntryDialog(const forms::FormLayout& layout, forms::Host& host, AppendItem append, int saveButton,
                         int cancelButton)
    : Form(layout, host), append_(std::move(append)), saveButton_(saveButton), cancelButton_(cancelButton) {}

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

void EntryDialog::Accept(const std::wstring& item) {
    append_(item);
    Close();
}

}  // namespace dialogs
