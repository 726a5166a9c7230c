#pragma once

#include "entry_dialog.h"

namespace dialogs {

// "添加友情站点": takes one domain name for the friendly-site list: not
// blank, without "|".
class Form3 : public EntryDialog {
public:
    enum ControlId : int { Frame2 = 300, Label2, txtWeb, Label3, cmdSave, cmdCancal };

    explicit Form3(forms::Host& host);

protected:
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
};

}  // namespace dialogs
