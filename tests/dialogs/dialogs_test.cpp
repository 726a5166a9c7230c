// The two entry dialogs, alone and as the main window opens them. Message
// boxes go to a recorder; the modal showing is played by the test.
#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "dpi.h"
#include "form2.h"
#include "form3.h"
#include "form_driving.h"
#include "frm_main.h"
#include "test_files.h"

namespace {

using dialogs::Form2;
using dialogs::Form3;
using form_driving::Pump;
using form_driving::RecordingHost;
using form_driving::Shown;
using form_driving::TextOf;

const Shown kEmptyPath{L"目录不能为空！", L"错误"};
const Shown kBadPath{L"目录格式不正确！", L"错误"};
const Shown kEmptySite{L"友情站点不能为空！", L"错误"};
// A "|" would split the item in two when the file is next read.
const Shown kBarInPath{L"目录中不能含有“|”！", L"错误"};
const Shown kBarInSite{L"友情站点中不能含有“|”！", L"错误"};

// A dialog opened on its own; what it takes is its `item`.
template <class Dialog>
class DialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        dialog = std::make_unique<Dialog>(host);
        ASSERT_TRUE(dialog->Load());
        dialog->Show();
        SetForegroundWindow(dialog->hwnd());
        Pump();
    }
    HWND Control(int id) const { return dialog->Control(id); }
    bool IsOpen() const { return dialog->hwnd() != nullptr; }
    void Type(int id, const std::wstring& text) {
        SetWindowTextW(Control(id), text.c_str());
        Pump();
    }
    void Click(int id) { form_driving::Click(Control(id)); }
    void Press(UINT key) { form_driving::Press(dialog->hwnd(), key); }
    // The text, caret and selection of a text box.
    std::pair<std::wstring, DWORD> BoxState(int id) const {
        return {TextOf(Control(id)), static_cast<DWORD>(SendMessageW(Control(id), EM_GETSEL, 0, 0))};
    }
    // Each text typed into the box and saved is refused with its message,
    // owned by the dialog; the dialog stays, the focus goes back to the box
    // and its text, caret and selection stay as they were.
    void ExpectRefused(int box, int save, const std::vector<std::pair<std::wstring, Shown>>& refused) {
        for (const auto& [text, message] : refused) {
            SCOPED_TRACE(testing::PrintToString(text));
            host.messages.clear();
            Type(box, text);
            SendMessageW(Control(box), EM_SETSEL, 0, 1);
            const auto before = BoxState(box);
            Click(save);
            EXPECT_EQ(host.messages, std::vector<Shown>{message});
            EXPECT_EQ(host.messageOwners.back(), dialog->hwnd());
            ASSERT_TRUE(IsOpen());
            EXPECT_EQ(GetFocus(), Control(box));
            EXPECT_EQ(BoxState(box), before);
        }
        EXPECT_TRUE(dialog->item.empty());
    }
    // The text typed into the box and saved is taken as typed, and the
    // dialog closes.
    void ExpectTaken(int box, int save, const std::wstring& text) {
        host.messages.clear();
        Type(box, text);
        Click(save);
        EXPECT_TRUE(host.messages.empty());
        EXPECT_EQ(dialog->item, text);
        EXPECT_FALSE(IsOpen());
    }

    RecordingHost host;
    std::unique_ptr<Dialog> dialog;
};

// Checks the window's frame, size and controls against its description.
void ExpectLaidOut(const forms::Form& form, SIZE client, const std::map<int, RECT>& rects,
                   const std::map<int, std::wstring>& captions) {
    if (forms::DpiOf(form.hwnd()) != 96) GTEST_SKIP() << "the rectangles below are for a display at 96 DPI";
    RECT got{};
    GetClientRect(form.hwnd(), &got);
    EXPECT_EQ(got.right, client.cx);
    EXPECT_EQ(got.bottom, client.cy);
    const LONG_PTR style = GetWindowLongPtrW(form.hwnd(), GWL_STYLE);
    const LONG_PTR exStyle = GetWindowLongPtrW(form.hwnd(), GWL_EXSTYLE);
    EXPECT_TRUE(style & WS_CAPTION);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_FALSE(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
    EXPECT_TRUE(exStyle & WS_EX_TOOLWINDOW);
    EXPECT_FALSE(exStyle & WS_EX_APPWINDOW);
    EXPECT_EQ(GetClassLongPtrW(form.hwnd(), GCLP_HICON), 0) << "no icon";
    for (const auto& [id, want] : rects) {
        SCOPED_TRACE(id);
        const RECT r = form_driving::RectInParent(form.Control(id));
        EXPECT_EQ(r.left, want.left);
        EXPECT_EQ(r.top, want.top);
        EXPECT_EQ(r.right, want.right);
        EXPECT_EQ(r.bottom, want.bottom);
    }
    for (const auto& [id, text] : captions) EXPECT_EQ(TextOf(form.Control(id)), text) << id;
    // Neither button is a default one: Enter and Esc press nothing.
    for (HWND child = GetWindow(form.hwnd(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        EXPECT_NE(GetDlgCtrlID(child), IDOK);
        EXPECT_NE(GetDlgCtrlID(child), IDCANCEL);
        EXPECT_FALSE((GetWindowLongPtrW(child, GWL_STYLE) & 0x0F) == BS_DEFPUSHBUTTON);
    }
}

using Form2Test = DialogTest<Form2>;
using Form3Test = DialogTest<Form3>;

TEST_F(Form2Test, IsLaidOutAsDescribedWithTheFocusOnSave) {
    ExpectLaidOut(*dialog, {264, 110},
                  {{Form2::Frame2, {8, 8, 257, 73}},   {Form2::txtPath, {16, 24, 249, 42}},
                   {Form2::Label3, {16, 48, 241, 65}}, {Form2::cmdSave, {136, 80, 193, 102}},
                   {Form2::cmdCancal, {200, 80, 257, 102}}},
                  {{0, L""}, {Form2::Frame2, L"相对目录"}, {Form2::txtPath, L""},
                   {Form2::Label3, L"请输入一个相对目录，例如\"/img\"。"}, {Form2::cmdSave, L"保  存"},
                   {Form2::cmdCancal, L"取  消"}});
    EXPECT_EQ(TextOf(dialog->hwnd()), L"添加相对目录");
    EXPECT_EQ(form_driving::TextColorOf(Control(Form2::Label3)), RGB(255, 0, 0));
    EXPECT_EQ(GetFocus(), Control(Form2::cmdSave));
    Press(VK_TAB);
    EXPECT_EQ(GetFocus(), Control(Form2::cmdCancal));
    Press(VK_TAB);
    EXPECT_EQ(GetFocus(), Control(Form2::txtPath));
    Press(VK_TAB);
    EXPECT_EQ(GetFocus(), Control(Form2::cmdSave));
    Press(VK_RETURN);  // Enter on the text box or a button is no shortcut
    Press(VK_ESCAPE);
    EXPECT_TRUE(IsOpen());
}

TEST_F(Form2Test, RefusesBlankAndRelativeTextAndKeepsTheBoxAsItWas) {
    const std::vector<std::pair<std::wstring, Shown>> refused = {
        {L"", kEmptyPath},   {L"   ", kEmptyPath},    {L"img", kBadPath},
        {L" /img", kBadPath}, {L"\\img", kBadPath}, {L"/img|/pic", kBarInPath},
    };
    ExpectRefused(Form2::txtPath, Form2::cmdSave, refused);
}

TEST_F(Form2Test, AppendsTheTextAsTypedAndCloses) {
    // Only the first character counts, and the blanks stay.
    ExpectTaken(Form2::txtPath, Form2::cmdSave, L"/img x ");
}

TEST_F(Form2Test, ALoneSlashIsADirectory) {
    Type(Form2::txtPath, L"/");
    for (int i = 0; i < 3; ++i) Press(VK_TAB);  // round the dialog to the save button again
    ASSERT_EQ(GetFocus(), Control(Form2::cmdSave));
    Press(VK_SPACE);
    EXPECT_EQ(dialog->item, L"/");
    EXPECT_FALSE(IsOpen());
}

TEST_F(Form2Test, CancelAddsNothing) {
    Type(Form2::txtPath, L"/img");
    Click(Form2::cmdCancal);
    EXPECT_FALSE(IsOpen());
    EXPECT_TRUE(dialog->item.empty());
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(Form3Test, IsLaidOutAsDescribedWithTheFocusOnCancel) {
    ExpectLaidOut(*dialog, {265, 109},
                  {{Form3::Frame2, {8, 8, 257, 73}}, {Form3::Label2, {16, 27, 64, 44}},
                   {Form3::txtWeb, {64, 24, 249, 42}}, {Form3::cmdSave, {136, 80, 193, 102}},
                   {Form3::cmdCancal, {200, 80, 257, 102}}},
                  {{Form3::Frame2, L"友情站点"}, {Form3::Label2, L"HTTP://"}, {Form3::txtWeb, L""},
                   {Form3::Label3, L"请输入一个域名，例如\"example.com\"。"}, {Form3::cmdSave, L"保  存"},
                   {Form3::cmdCancal, L"取  消"}});
    EXPECT_EQ(TextOf(dialog->hwnd()), L"添加友情站点");
    EXPECT_EQ(form_driving::TextColorOf(Control(Form3::Label3)), RGB(255, 0, 0));
    EXPECT_EQ(form_driving::TextColorOf(Control(Form3::Label2)), GetSysColor(COLOR_WINDOWTEXT));

    // The hint takes the size of its text, from where it is placed, and
    // stays inside its frame.
    const RECT hint = form_driving::RectInParent(Control(Form3::Label3));
    const RECT frame = form_driving::RectInParent(Control(Form3::Frame2));
    EXPECT_EQ(hint.left, 40);
    EXPECT_EQ(hint.top, 48);
    EXPECT_GT(hint.right - hint.left, 100);
    EXPECT_LT(hint.right, frame.right);
    EXPECT_LT(hint.bottom, frame.bottom);
    // "HTTP://" stands after the text box in z-order: the box is named by
    // its hint, which comes just before it.
    bool labelBelow = false;
    for (HWND w = GetWindow(Control(Form3::txtWeb), GW_HWNDNEXT); w; w = GetWindow(w, GW_HWNDNEXT)) {
        labelBelow = labelBelow || w == Control(Form3::Label2);
    }
    EXPECT_TRUE(labelBelow);

    EXPECT_EQ(GetFocus(), Control(Form3::cmdCancal));
    Press(VK_TAB);
    EXPECT_EQ(GetFocus(), Control(Form3::cmdSave));
    Press(VK_TAB);
    EXPECT_EQ(GetFocus(), Control(Form3::txtWeb));
}

TEST_F(Form3Test, RefusesBlankTextAndAppendsAnythingElseAsTyped) {
    const std::vector<std::pair<std::wstring, Shown>> refused = {
        {L"", kEmptySite}, {L"  ", kEmptySite}, {L"a.org|b.org", kBarInSite}};
    ExpectRefused(Form3::txtWeb, Form3::cmdSave, refused);
    ExpectTaken(Form3::txtWeb, Form3::cmdSave, L" http://www.example.org ");
}

TEST_F(Form3Test, TheCloseBoxAddsNothing) {
    Type(Form3::txtWeb, L"www.example.org");
    SendMessageW(dialog->hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0);
    Pump();
    EXPECT_FALSE(IsOpen());
    EXPECT_TRUE(dialog->item.empty());
}

// The main window opens each dialog anew, modally over itself, and takes
// what it appends into its list.
class OpenedFromTheMainWindow : public ::testing::Test {
protected:
    void SetUp() override {
        testing_files::WriteBytes(dir.config(), "[SETTING]\r\nFreePath=|/a|/b|\r\nFriendUrl=|x.org|\r\n");
        window = std::make_unique<main_window::frmMain>(host, dir.path());
        ASSERT_TRUE(window->Load());
        window->Show();
        SetForegroundWindow(window->hwnd());
        Pump();
    }
    HWND Control(int id) const { return window->Control(id); }
    std::vector<std::wstring> Items(int list) const { return form_driving::ListItems(Control(list)); }
    // Opens a dialog with `button` and types and presses in it as given.
    void Open(int button, int box, const std::wstring& text, int press) {
        host.onModal = [&](forms::Form& dialog, HWND owner) {
            opened.push_back(&dialog);
            EXPECT_EQ(owner, window->hwnd());
            EXPECT_EQ(GetWindow(dialog.hwnd(), GW_OWNER), window->hwnd());
            EXPECT_EQ(TextOf(dialog.Control(box)), L"") << "each opening starts empty";
            // Centred over the main window.
            RECT outer{}, over{};
            GetWindowRect(dialog.hwnd(), &outer);
            GetWindowRect(window->hwnd(), &over);
            EXPECT_NEAR(outer.left + outer.right, over.left + over.right, 2);
            EXPECT_NEAR(outer.top + outer.bottom, over.top + over.bottom, 2);
            SetWindowTextW(dialog.Control(box), text.c_str());
            form_driving::Click(dialog.Control(press));
            EXPECT_EQ(dialog.hwnd(), nullptr) << "the dialog closed";
        };
        form_driving::Click(Control(button));
    }

    testing_files::TempDir dir;
    RecordingHost host;
    std::unique_ptr<main_window::frmMain> window;
    std::vector<forms::Form*> opened;
};

TEST_F(OpenedFromTheMainWindow, AddedItemsComeLastAndUnselected) {
    using namespace main_window;
    // A selected item and its enabled remove button stay as they were.
    form_driving::ClickItem(Control(List1), 1);
    ASSERT_TRUE(IsWindowEnabled(Control(cmdDelPath)));

    Open(cmdAddPath, Form2::txtPath, L"/img", Form2::cmdSave);
    Open(cmdAddPath, Form2::txtPath, L"/img", Form2::cmdSave);  // a second time, twice in the list
    Open(cmdAddPath, Form2::txtPath, L"/never", Form2::cmdCancal);
    EXPECT_EQ(Items(List1), (std::vector<std::wstring>{L"/a", L"/b", L"/img", L"/img"}));
    EXPECT_EQ(SendMessageW(Control(List1), LB_GETCURSEL, 0, 0), 1);
    EXPECT_TRUE(IsWindowEnabled(Control(cmdDelPath)));

    Open(cmdAddWeb, Form3::txtWeb, L"www.example.org", Form3::cmdSave);
    Open(cmdAddWeb, Form3::txtWeb, L"www.never.org", Form3::cmdCancal);
    EXPECT_EQ(Items(List2), (std::vector<std::wstring>{L"x.org", L"www.example.org"}));
    EXPECT_EQ(SendMessageW(Control(List2), LB_GETCURSEL, 0, 0), LB_ERR);
    EXPECT_FALSE(IsWindowEnabled(Control(cmdDelWeb)));

    EXPECT_EQ(host.modals, 5);
    EXPECT_EQ(opened.size(), 5u);
    EXPECT_TRUE(host.messages.empty());
    EXPECT_TRUE(IsWindowEnabled(window->hwnd()));

    // What the dialogs added is what Apply writes.
    form_driving::Click(Control(cmdSave));
    EXPECT_NE(testing_files::ReadBytes(dir.config()).find("FreePath=|/a|/b|/img|/img|\r\nFriendUrl=|x.org|www.example.org|\r\n"),
              std::string::npos);
}

}  // namespace
