#include "entry_dialog.h"

#include "host.h"

namespace dialogs {

EntryDialog::EntryDialog(const forms::FormLayout& layout, forms::Host& host, settings::ItemList list, int box,
                         int saveButton, int cancelButton)
    : Form(layout, host), list_(list), box_(box), saveButton_(saveButton), cancelButton_(cancelButton) {}

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

void EntryDialog::cmdSave_Click() {
    const std::wstring text = Text(box_);
    if (const wchar_t* refusal = settings::ItemRefusal(list_, text)) {
        host().ShowMessage(hwnd(), refusal, L"错误");
        // SetFocus, unlike the dialog manager's tabbing, leaves the box's
        // selection alone.
        SetFocus(Control(box_));
        return;
    }
    item = text;
    Close();
}

void EntryDialog::cmdCancal_Click() { Close(); }

}  // namespace dialogs
