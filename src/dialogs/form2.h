#pragma once

#include "entry_dialog.h"

namespace dialogs {

// "添加相对目录": takes one directory relative to the site root, checks that
// it is not blank and begins with "/", and appends it to the directory list.
class Form2 : public EntryDialog {
public:
    enum ControlId : int { Frame2 = 200, txtPath, Label3, cmdSave, cmdCancal };

    Form2(forms::Host& host, AppendItem appendToList1);

    static const forms::FormLayout& Layout();

private:
    void cmdSave_Click() override;
};

}  // namespace dialogs
