#include "frm_main.h"

namespace main_window {

using forms::Kind;

const wchar_t kApplicationTitle[] = L"澜星V3.0设置";

namespace {

// name, kind, container, caption, left, top, width, height (twips), initial state
//
// In z-order, top first (see forms::ControlLayout): the keyboard's order is
// 确定, the option group, the three boxes, the two lists, 取消, 应用, the
// four buttons beside the lists and the redirect box.
const forms::ControlLayout kControls[] = {
    {cmdOK, Kind::Button, 0, L"确  定", 1440, 6360, 975, 375, forms::kFirstFocus},
    {Option1, Kind::OptionButton, Frame1, L"启用防盗链", 240, 200, 1455, 375, forms::kSelected},
    {Option2, Kind::OptionButton, Frame1, L"关闭防盗链", 2400, 200, 1455, 375, forms::kNone},
    {Check1_0, Kind::CheckBox, Frame2, L".jpg", 240, 480, 855, 255, forms::kNone},
    {Check1_1, Kind::CheckBox, Frame2, L".gif", 1440, 480, 855, 255, forms::kNone},
    {Check1_2, Kind::CheckBox, Frame2, L".jpeg", 2640, 480, 855, 255, forms::kNone},
    {Label2, Kind::Label, Frame3,
     L"该目录是相对站点根目录的路径，如\"/img\"。设置后，任何站点对该目录下任何图片文件的请求都是合法的。", 120, 240,
     4335, 480, forms::kBlueText},
    {List1, Kind::ListBox, Frame3, L"", 120, 720, 3375, 960, forms::kNone},
    {Label3, Kind::Label, Frame4, L"列表中的站点可正常链接而不会被认为是盗链而阻止。", 120, 240, 4335, 240, forms::kBlueText},
    {List2, Kind::ListBox, Frame4, L"", 120, 480, 3375, 960, forms::kNone},
    {CmdCancel, Kind::Button, 0, L"取  消", 2520, 6360, 975, 375, forms::kNone},
    {cmdSave, Kind::Button, 0, L"应  用", 3600, 6360, 975, 375, forms::kNone},
    {cmdAddPath, Kind::Button, Frame3, L"添  加", 3600, 720, 855, 300, forms::kNone},
    {cmdDelPath, Kind::Button, Frame3, L"移  除", 3600, 1080, 855, 300, forms::kDisabled},
    {cmdAddWeb, Kind::Button, Frame4, L"添  加", 3600, 480, 855, 300, forms::kNone},
    {cmdDelWeb, Kind::Button, Frame4, L"移  除", 3600, 840, 855, 300, forms::kDisabled},
    {Label4, Kind::Label, Frame5, L"自定义其他站点盗链本站点图片后显示的图片文件。", 120, 240, 4335, 240, forms::kBlueText},
    {txtRedirectFile, Kind::TextBox, Frame5, L"", 120, 480, 4335, 270, forms::kNone},
    {Label1, Kind::Label, Frame2, L"对选中的扩展名的图片文件的非法请求进行阻止。", 120, 240, 4215, 240, forms::kBlueText},
    {Frame1, Kind::Frame, 0, L"图片防盗链状态设置", 60, 100, 4575, 615, forms::kNone},
    {Frame2, Kind::Frame, 0, L"受保护图片文件扩展名设置", 60, 840, 4575, 855, forms::kNone},
    {Frame3, Kind::Frame, 0, L"特例不阻止以下目录下的文件", 60, 2760, 4575, 1815, forms::kNone},
    {Frame4, Kind::Frame, 0, L"特例不阻止以下友情站点", 60, 4680, 4575, 1575, forms::kNone},
    {Frame5, Kind::Frame, 0, L"自定义盗链后转向的文件", 60, 1800, 4575, 855, forms::kNone},
};

const forms::FormLayout kMainWindow = {
    kApplicationTitle, forms::Border::FixedSingle, 4680, 6795, forms::Placement::CenterScreen, true, true,
    kControls, sizeof kControls / sizeof kControls[0],
};

}  // namespace

const forms::FormLayout& MainWindowLayout() { return kMainWindow; }

}  // namespace main_window
