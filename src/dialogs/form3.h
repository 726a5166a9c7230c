#pragma once

#include "entry_dialog.h"

namespace dialogs {

// "添加友情站点": takes one domain name, checks that it is not blank, and
// appends it to the friendly-site list.
class Form3 : public EntryDialog {
public:
    enum ControlId : int { Frame2 = 300, Label2, txtWeb, Label3, cmdSave, cmdCancal };

    Form3(forms::Host& host, AppendItem appendToList2);

    static const forms::FormLayout& Layout();

private:
    void cmdSave_Click() override;
};

}  // namespace dialogs
