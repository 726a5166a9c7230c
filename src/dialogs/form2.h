#pragma once

#include "entry_dialog.h"

namespace dialogs {

// "添加相对目录": takes one directory relative to the site root for the
// directory list: not blank, beginning with "/", without "|".
class Form2 : public EntryDialog {
public:
    enum ControlId : int { Frame2 = 200, txtPath, Label3, cmdSave, cmdCancal };

    explicit Form2(forms::Host& host);
};

}  // namespace dialogs
