#include "form3.h"

namespace dialogs {
namespace {

using forms::Kind;

// name, kind, container, caption, left, top, width, height (twips), initial state
// In z-order, top first: the keyboard goes from 取消 to 保存 to the box;
// "HTTP://", a label only (the item is the box's text), ends where the box
// begins. The hint takes the size of its text (see OnMessage).
const forms::ControlLayout kControls[] = {
    {Form3::cmdCancal, Kind::Button, 0, L"取  消", 3000, 1200, 855, 325, forms::kFirstFocus},
    {Form3::cmdSave, Kind::Button, 0, L"保  存", 2040, 1200, 855, 325, forms::kNone},
    // With an 11-character sample the hint is as wide as its box.
    {Form3::Label3, Kind::Label, Form3::Frame2, L"请输入一个域名，例如\"example.com\"。", 480, 600, 3150, 180,
     forms::kRedText},
    {Form3::txtWeb, Kind::TextBox, Form3::Frame2, L"", 840, 240, 2775, 270, forms::kNone},
    {Form3::Label2, Kind::Label, Form3::Frame2, L"HTTP://", 120, 280, 720, 255, forms::kNone},
    {Form3::Frame2, Kind::Frame, 0, L"友情站点", 120, 120, 3735, 975, forms::kNone},
};

const forms::FormLayout kForm3 = EntryDialogWindow(L"添加友情站点", 3975, 1635, kControls);

}  // namespace

Form3::Form3(forms::Host& host)
    : EntryDialog(kForm3, host, &settings::ProtectionSettings::friendUrls, txtWeb, cmdSave, cmdCancal) {}

// Laid out for a DPI, the hint takes the size of its one line of text in
// the font of that DPI.
bool Form3::OnMessage(UINT message, WPARAM, LPARAM, LRESULT&) {
    if (message != forms::kLaidOut) return false;
    const HWND hint = Control(Label3);
    const std::wstring text = Text(Label3);
    const handles::ScopedGetDC dc(hint);
    if (!dc.get()) return false;
    const handles::ScopedSelectObject font(dc.get(), reinterpret_cast<HFONT>(SendMessageW(hint, WM_GETFONT, 0, 0)));
    RECT extent{};
    DrawTextW(dc.get(), text.c_str(), static_cast<int>(text.size()), &extent, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    SetWindowPos(hint, nullptr, 0, 0, extent.right, extent.bottom, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    return true;
}

}  // namespace dialogs
