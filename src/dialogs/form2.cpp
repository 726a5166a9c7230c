#include "form2.h"

namespace dialogs {
namespace {

using forms::Kind;

// name, kind, container, caption, left, top, width, height (twips), initial state
// In z-order, top first: the keyboard goes from 保存 to 取消 to the box.
const forms::ControlLayout kControls[] = {
    {Form2::cmdSave, Kind::Button, 0, L"保  存", 2040, 1200, 855, 325, forms::kFirstFocus},
    {Form2::cmdCancal, Kind::Button, 0, L"取  消", 3000, 1200, 855, 325, forms::kNone},
    {Form2::Label3, Kind::Label, Form2::Frame2, L"请输入一个相对目录，例如\"/img\"。", 120, 600, 3375, 255,
     forms::kRedText},
    {Form2::txtPath, Kind::TextBox, Form2::Frame2, L"", 120, 240, 3495, 270, forms::kNone},
    {Form2::Frame2, Kind::Frame, 0, L"相对目录", 120, 120, 3735, 975, forms::kNone},
};

const forms::FormLayout kForm2 = EntryDialogWindow(L"添加相对目录", 3960, 1650, kControls);

}  // namespace

Form2::Form2(forms::Host& host)
    : EntryDialog(kForm2, host, &settings::ProtectionSettings::freePaths, txtPath, cmdSave, cmdCancal) {}

}  // namespace dialogs
