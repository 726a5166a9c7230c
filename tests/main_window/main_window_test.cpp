// The main settings window, driven in-process as a user drives it: clicks,
// keys through the dialog manager, and the file it writes. Message boxes go
// to a recorder instead of blocking.
#include <windows.h>
#include <oleacc.h>

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
#include "child_process.h"
#include "host.h"
#include "settings_store.h"
#include "test_files.h"

namespace {

using namespace main_window;
using form_driving::Pump;
using form_driving::RecordingHost;
using form_driving::Shown;
using testing_files::ReadBytes;
using testing_files::TempDir;
using testing_files::WriteBytes;

const std::wstring kNotice = L"修改设置后新的设置将在15分钟内生效，如想立即生效则请重新启动IIS服务器!";

const std::string kStored =
    "; kept as it is\r\n[SETTING]\r\nSTART=True\r\nProtectJpg=True\r\nProtectGif=True\r\nProtectJpeg=False\r\n"
    "RedirectFile=/no.gif\r\nFreePath=|/img|/pic|/\xCD\xBC\xC6\xAC|\r\nFriendUrl=|www.example.com|\r\nOwner=web\r\n";

class MainWindowTest : public ::testing::Test {
protected:
    // Opens the window on the given Config.ini (none when empty).
    void Open(const std::string& stored = kStored) {
        if (!stored.empty()) WriteBytes(dir.config(), stored);
        window = std::make_unique<frmMain>(host, dir.path());
        ASSERT_TRUE(window->Load());
        window->Show();
        SetActiveWindow(window->hwnd());
        Pump();
    }
    HWND Control(int id) const { return window->Control(id); }
    std::wstring Text(int id) const { return form_driving::TextOf(Control(id)); }
    bool Checked(int id) const { return SendMessageW(Control(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }
    bool Enabled(int id) const { return IsWindowEnabled(Control(id)) != FALSE; }
    std::vector<std::wstring> Items(int id) const { return form_driving::ListItems(Control(id)); }
    LRESULT Selection(int id) const { return SendMessageW(Control(id), LB_GETCURSEL, 0, 0); }

    void Click(int id) { form_driving::Click(Control(id)); }
    void Press(UINT key) { form_driving::Press(window->hwnd(), key); }
    void ClickItem(int list, int index) { form_driving::ClickItem(Control(list), index); }
    void Type(int id, const std::wstring& text) {
        SetWindowTextW(Control(id), text.c_str());
        Pump();
    }
    bool IsOpen() const { return window->hwnd() != nullptr && IsWindow(window->hwnd()); }
    // An item appended to a list, as an entry dialog has the window do.
    void Append(int list, const std::wstring& item) {
        SendMessageW(Control(list), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
    }

    TempDir dir;
    RecordingHost host;
    std::unique_ptr<frmMain> window;
};

TEST_F(MainWindowTest, IsLaidOutAsDescribedAt96Dpi) {
    Open("");
    if (forms::DpiOf(window->hwnd()) != 96) GTEST_SKIP() << "the rectangles below are for a display at 96 DPI";
    const std::map<int, RECT> expected = {
        {Frame1, {4, 7, 309, 48}},          {Option1, {20, 20, 117, 45}},      {Option2, {164, 20, 261, 45}},
        {Frame2, {4, 56, 309, 113}},        {Label1, {12, 72, 293, 88}},       {Check1_0, {20, 88, 77, 105}},
        {Check1_1, {100, 88, 157, 105}},    {Check1_2, {180, 88, 237, 105}},   {Frame5, {4, 120, 309, 177}},
        {Label4, {12, 136, 301, 152}},      {txtRedirectFile, {12, 152, 301, 170}},
        {Frame3, {4, 184, 309, 305}},       {Label2, {12, 200, 301, 232}},     {List1, {12, 232, 237, 296}},
        {cmdAddPath, {244, 232, 301, 252}}, {cmdDelPath, {244, 256, 301, 276}},
        {Frame4, {4, 312, 309, 417}},       {Label3, {12, 328, 301, 344}},     {List2, {12, 344, 237, 408}},
        {cmdAddWeb, {244, 344, 301, 364}},  {cmdDelWeb, {244, 368, 301, 388}},
        {cmdOK, {96, 424, 161, 449}},       {CmdCancel, {168, 424, 233, 449}}, {cmdSave, {240, 424, 305, 449}},
    };
    int children = 0;
    for (HWND child = GetWindow(window->hwnd(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) ++children;
    EXPECT_EQ(children, 24);
    for (const auto& [id, want] : expected) {
        SCOPED_TRACE(id);
        RECT got{};
        GetWindowRect(Control(id), &got);
        MapWindowPoints(nullptr, window->hwnd(), reinterpret_cast<POINT*>(&got), 2);
        EXPECT_EQ(got.left, want.left);
        EXPECT_EQ(got.top, want.top);
        EXPECT_EQ(got.right, want.right);
        EXPECT_EQ(got.bottom, want.bottom);
        EXPECT_TRUE(IsWindowVisible(Control(id)));
    }
    RECT client{};
    GetClientRect(window->hwnd(), &client);
    EXPECT_EQ(client.right, 312);
    EXPECT_EQ(client.bottom, 453);

    const LONG_PTR style = GetWindowLongPtrW(window->hwnd(), GWL_STYLE);
    EXPECT_FALSE(style & (WS_MAXIMIZEBOX | WS_MINIMIZEBOX | WS_THICKFRAME));
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_TRUE(GetWindowLongPtrW(window->hwnd(), GWL_EXSTYLE) & WS_EX_APPWINDOW);
    EXPECT_EQ(GetWindow(window->hwnd(), GW_OWNER), nullptr);

    // Centred on the screen's work area.
    RECT outer{}, work{};
    GetWindowRect(window->hwnd(), &outer);
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_NEAR((outer.left + outer.right) / 2, (work.left + work.right) / 2, 1);
    EXPECT_NEAR((outer.top + outer.bottom) / 2, (work.top + work.bottom) / 2, 1);
}

TEST_F(MainWindowTest, CaptionsAndStateOfAnEmptyFile) {
    Open("");
    EXPECT_EQ(Text(0), L"");
    wchar_t caption[64] = {};
    GetWindowTextW(window->hwnd(), caption, 64);
    EXPECT_STREQ(caption, L"澜星V3.0设置");
    const std::map<int, std::wstring> captions = {
        {Frame1, L"图片防盗链状态设置"}, {Option1, L"启用防盗链"}, {Option2, L"关闭防盗链"},
        {Frame2, L"受保护图片文件扩展名设置"}, {Label1, L"对选中的扩展名的图片文件的非法请求进行阻止。"},
        {Check1_0, L".jpg"}, {Check1_1, L".gif"}, {Check1_2, L".jpeg"}, {Frame5, L"自定义盗链后转向的文件"},
        {Label4, L"自定义其他站点盗链本站点图片后显示的图片文件。"}, {Frame3, L"特例不阻止以下目录下的文件"},
        {Label2, L"该目录是相对站点根目录的路径，如\"/img\"。设置后，任何站点对该目录下任何图片文件的请求都是合法的。"},
        {cmdAddPath, L"添  加"}, {cmdDelPath, L"移  除"}, {Frame4, L"特例不阻止以下友情站点"},
        {Label3, L"列表中的站点可正常链接而不会被认为是盗链而阻止。"}, {cmdAddWeb, L"添  加"}, {cmdDelWeb, L"移  除"},
        {cmdOK, L"确  定"}, {CmdCancel, L"取  消"}, {cmdSave, L"应  用"},
    };
    for (const auto& [id, text] : captions) EXPECT_EQ(Text(id), text) << id;
    // The four hints in blue, every other text in the system's colour.
    for (int id : {Label1, Label2, Label3, Label4}) EXPECT_EQ(form_driving::TextColorOf(Control(id)), RGB(0, 0, 255)) << id;
    for (int id : {Frame1, Option1, Check1_0, Frame3}) {
        EXPECT_EQ(form_driving::TextColorOf(Control(id)), GetSysColor(COLOR_WINDOWTEXT)) << id;
    }

    // A missing file: protection off, nothing ticked, empty box and lists.
    EXPECT_FALSE(Checked(Option1));
    EXPECT_TRUE(Checked(Option2));
    for (int id : {Check1_0, Check1_1, Check1_2}) EXPECT_FALSE(Checked(id));
    EXPECT_EQ(Text(txtRedirectFile), L"");
    EXPECT_TRUE(Items(List1).empty());
    EXPECT_TRUE(Items(List2).empty());
    EXPECT_FALSE(Enabled(cmdDelPath));
    EXPECT_FALSE(Enabled(cmdDelWeb));
    for (int id : {cmdAddPath, cmdAddWeb, cmdOK, CmdCancel, cmdSave}) EXPECT_TRUE(Enabled(id));
    EXPECT_EQ(GetFocus(), Control(cmdOK));
    // No default button: no push button carries the default style.
    for (int id : {cmdAddPath, cmdDelPath, cmdAddWeb, cmdDelWeb, CmdCancel, cmdSave}) {
        EXPECT_FALSE(GetWindowLongPtrW(Control(id), GWL_STYLE) & BS_DEFPUSHBUTTON) << id;
    }
}

TEST_F(MainWindowTest, TabFollowsTheTabIndexesAndSkipsDisabledButtons) {
    for (const bool enabled : {true, false}) {
        SCOPED_TRACE(enabled);
        Open(enabled ? kStored : "[SETTING]\r\nSTART=False\r\nFreePath=|/a|\r\n");
        const int option = enabled ? Option1 : Option2;
        const std::vector<int> order = {option, Check1_0, Check1_1, Check1_2, List1, List2,  CmdCancel,
                                        cmdSave, cmdAddPath, cmdAddWeb, txtRedirectFile, cmdOK};
        ASSERT_EQ(GetFocus(), Control(cmdOK));
        for (int id : order) {
            Press(VK_TAB);
            EXPECT_EQ(GetDlgCtrlID(GetFocus()), id);
        }
        window.reset();
    }
}

TEST_F(MainWindowTest, LoadsTheStoredSettingsIntoTheControls) {
    Open();
    EXPECT_TRUE(Checked(Option1));
    EXPECT_FALSE(Checked(Option2));
    EXPECT_TRUE(Checked(Check1_0));
    EXPECT_TRUE(Checked(Check1_1));
    EXPECT_FALSE(Checked(Check1_2));
    EXPECT_EQ(Text(txtRedirectFile), L"/no.gif");
    EXPECT_EQ(Items(List1), (std::vector<std::wstring>{L"/img", L"/pic", L"/图片"}));
    EXPECT_EQ(Items(List2), (std::vector<std::wstring>{L"www.example.com"}));
    EXPECT_EQ(Selection(List1), LB_ERR);
    // Apply with nothing changed writes the file as it was.
    Click(cmdSave);
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(ReadBytes(dir.config()), kStored);
}

TEST_F(MainWindowTest, RemoveButtonsFollowTheSelection) {
    Open();
    EXPECT_FALSE(Enabled(cmdDelPath));
    ClickItem(List1, 1);  // the mouse
    EXPECT_TRUE(Enabled(cmdDelPath));
    EXPECT_FALSE(Enabled(cmdDelWeb));
    Click(cmdDelPath);
    EXPECT_EQ(Items(List1), (std::vector<std::wstring>{L"/img", L"/图片"}));
    EXPECT_FALSE(Enabled(cmdDelPath));
    EXPECT_EQ(Selection(List1), LB_ERR);
    Click(cmdDelPath);  // pressed again without a selection: nothing more goes
    EXPECT_EQ(Items(List1).size(), 2u);

    SetFocus(Control(List1));
    Press(VK_DOWN);  // the keyboard selects just as the mouse does
    EXPECT_NE(Selection(List1), LB_ERR);
    EXPECT_TRUE(Enabled(cmdDelPath));
    SetFocus(Control(cmdDelPath));
    Press(VK_SPACE);
    EXPECT_EQ(Items(List1).size(), 1u);
    EXPECT_FALSE(Enabled(cmdDelPath));
    EXPECT_NE(GetFocus(), Control(cmdDelPath)) << "the keyboard keeps a working focus";
    EXPECT_NE(GetFocus(), nullptr);

    ClickItem(List2, 0);
    EXPECT_TRUE(Enabled(cmdDelWeb));
    Click(cmdDelWeb);
    EXPECT_TRUE(Items(List2).empty());
    EXPECT_FALSE(Enabled(cmdDelWeb));

    // An item appended by a dialog comes unselected and leaves the button.
    ClickItem(List1, 0);
    Append(List1, L" /new ");
    EXPECT_EQ(Items(List1).back(), L" /new ");
    EXPECT_EQ(Selection(List1), 0);
    EXPECT_TRUE(Enabled(cmdDelPath));
}

TEST_F(MainWindowTest, ExtensionFlagsFollowEveryChangeOfTheBoxes) {
    Open();
    SetFocus(Control(Check1_1));
    Press(VK_SPACE);  // .gif off by the keyboard
    Click(Check1_2);  // .jpeg on by the mouse
    Click(Check1_0);
    Click(Check1_0);  // .jpg off and on again
    Click(cmdSave);
    const std::string saved = ReadBytes(dir.config());
    EXPECT_NE(saved.find("\r\nProtectJpg=True\r\nProtectGif=False\r\nProtectJpeg=True\r\n"), std::string::npos) << saved;
}

TEST_F(MainWindowTest, ApplyWritesTheWindowExactlyAndKeepsTheBoxAsTyped) {
    Open();
    Click(Option2);
    EXPECT_TRUE(Checked(Option2));
    EXPECT_FALSE(Checked(Option1));
    Type(txtRedirectFile, L"  x.gif\t ");
    Append(List2, L"例子.中国");
    Click(cmdSave);
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(ReadBytes(dir.config()),
              "; kept as it is\r\n[SETTING]\r\nSTART=False\r\nProtectJpg=True\r\nProtectGif=True\r\nProtectJpeg=False\r\n"
              "RedirectFile=x.gif\t\r\nFreePath=|/img|/pic|/\xCD\xBC\xC6\xAC|\r\n"
              "FriendUrl=|www.example.com|\xC0\xFD\xD7\xD3.\xD6\xD0\xB9\xFA|\r\nOwner=web\r\n");
    EXPECT_EQ(Text(txtRedirectFile), L"  x.gif\t ");
    EXPECT_TRUE(IsOpen());
}

TEST_F(MainWindowTest, OkSavesTellsAboutTheDelayAndCloses) {
    Open("");
    Click(Option1);
    Click(cmdOK);
    EXPECT_EQ(host.messages, (std::vector<Shown>{{kNotice, L"提示"}}));
    EXPECT_FALSE(IsOpen());
    EXPECT_NE(ReadBytes(dir.config()).find("START=True\r\n"), std::string::npos);
}

// Values past the filter's 999 bytes are saved whole, and the window says
// which of them the filter reads only in part, before the usual notice.
TEST_F(MainWindowTest, OkTellsFirstWhatTheFilterReadsOnlyInPart) {
    Open("");
    Type(txtRedirectFile, L"/" + std::wstring(999, L'图') + L".gif");
    for (int i = 0; i < 60; ++i) Append(List2, L"www.site" + std::to_wstring(1000 + i) + L".com.cn");
    Click(cmdOK);
    // 20 bytes an item and the leading bar: the closing bar of the 49th item
    // is the 981st byte, that of the 50th the 1001st.
    const std::wstring told =
        L"设置已保存，但过滤器每项设置只读取前999字节：\n"
        L"自定义盗链后转向的文件太长，过滤器读不全。\n"
        L"友情站点列表太长，过滤器只读取前49个站点（共60个），从“www.site1049.com.cn”起的站点不起作用。";
    EXPECT_EQ(host.messages, (std::vector<Shown>{{told, L"提示"}, {kNotice, L"提示"}}));
    EXPECT_FALSE(IsOpen());
    EXPECT_NE(ReadBytes(dir.config()).find("www.site1059.com.cn|\r\n"), std::string::npos) << "all are saved";
}

TEST_F(MainWindowTest, OkAfterAFailedSaveKeepsTheWindowAndItsEdits) {
    const Shown failed{L"写文件时出错\nConfig.ini 是只读文件：请先在文件属性中去掉“只读”。", L"澜星V3.0设置"};
    Open();
    testing_files::MakeReadOnly(dir.config());
    Type(txtRedirectFile, L"/changed.gif");
    Click(cmdOK);
    EXPECT_EQ(host.messages, std::vector<Shown>{failed});
    EXPECT_TRUE(IsOpen());
    EXPECT_EQ(Text(txtRedirectFile), L"/changed.gif");
    EXPECT_EQ(ReadBytes(dir.config()), kStored);

    host.messages.clear();
    Click(cmdSave);  // Apply reports the same and stays open too
    EXPECT_EQ(host.messages, std::vector<Shown>{failed});
    EXPECT_TRUE(IsOpen());
}

TEST_F(MainWindowTest, CancelAndTheCloseBoxLeaveTheFileUntouched) {
    for (const bool closeBox : {false, true}) {
        SCOPED_TRACE(closeBox);
        Open();
        Click(Option2);
        Click(Check1_2);
        Type(txtRedirectFile, L"/other.gif");
        ClickItem(List1, 0);
        Click(cmdDelPath);
        if (closeBox) {
            SendMessageW(window->hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0);
            Pump();
        } else {
            Click(CmdCancel);
        }
        EXPECT_FALSE(IsOpen());
        EXPECT_TRUE(host.messages.empty());
        EXPECT_EQ(ReadBytes(dir.config()), kStored);
    }
}

// Another program, in a process of its own, writes one key as a deployment
// tool does.
void WriteElsewhere(const std::filesystem::path& file, const wchar_t* key, const wchar_t* value) {
    testing_files::ChildProcess writer(testing_files::Companion(L"file_sharer.exe", HOTLINK_FILE_SHARER),
                                       {L"write", file.native(), key, value});
    ASSERT_EQ(writer.Wait(), 0) << writer.errors();
}

// A value that another program changed after the window read the file is
// overwritten only when the user says so; a change of the same value to the
// same thing, or of other lines, is no question.
TEST_F(MainWindowTest, AnotherProgramsChangeIsOverwrittenOnlyWhenTheUserSaysSo) {
    const Shown question{L"Config.ini 在本窗口打开后已被其他程序修改。\n是否用本窗口中的设置覆盖这些修改？", L"提示"};
    Open();
    WriteElsewhere(dir.config(), L"START", L"False");
    Click(Check1_1);
    host.answers = {false};
    Click(cmdOK);
    EXPECT_EQ(host.messages, std::vector<Shown>{question});
    EXPECT_TRUE(IsOpen()) << "No keeps the window and its edits";
    EXPECT_FALSE(Checked(Check1_1));
    EXPECT_FALSE(settings::LoadSettings(dir.path()).enabled);
    EXPECT_TRUE(settings::LoadSettings(dir.path()).protectGif);

    host.messages.clear();
    host.answers = {true};
    Click(cmdSave);
    EXPECT_EQ(host.messages, std::vector<Shown>{question});
    EXPECT_TRUE(settings::LoadSettings(dir.path()).enabled);
    EXPECT_FALSE(settings::LoadSettings(dir.path()).protectGif);

    // What the window saved is what it compares with from then on.
    host.messages.clear();
    Click(Option2);
    Click(cmdSave);
    Click(Option1);
    Click(cmdSave);
    EXPECT_TRUE(host.messages.empty());

    // Changed elsewhere to what the window writes too; and another key.
    WriteElsewhere(dir.config(), L"ProtectJpeg", L"True");
    WriteElsewhere(dir.config(), L"Owner", L"deploy");
    Click(Check1_2);
    Click(cmdSave);
    EXPECT_TRUE(host.messages.empty());
    EXPECT_TRUE(settings::LoadSettings(dir.path()).protectJpeg);
    EXPECT_NE(ReadBytes(dir.config()).find("Owner=deploy"), std::string::npos);
}

TEST_F(MainWindowTest, TextThatTheFileCannotHoldIsRefusedBeforeSaving) {
    Open();
    Type(txtRedirectFile, L"/\uD55C.gif");
    Click(cmdOK);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].title, L"错误");
    EXPECT_NE(host.messages[0].text.find(L"/\uD55C.gif"), std::wstring::npos) << "the message names the text";
    EXPECT_TRUE(IsOpen());
    EXPECT_EQ(ReadBytes(dir.config()), kStored);

    host.messages.clear();
    Type(txtRedirectFile, L"/no.gif");
    Append(List1, L"/\U0001F600");
    Click(cmdSave);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_NE(host.messages[0].text.find(L"/\U0001F600"), std::wstring::npos);
    EXPECT_EQ(ReadBytes(dir.config()), kStored);
}

// A label reaches over no other control of its window: drawn above one, it
// would hide a part of it. (Frames hold the controls, and do not count.)
TEST_F(MainWindowTest, NoLabelReachesOverAnotherControl) {
    Open();
    dialogs::Form2 form2(host);
    dialogs::Form3 form3(host);
    ASSERT_TRUE(form2.Load(window->hwnd()));
    ASSERT_TRUE(form3.Load(window->hwnd()));
    const auto isFrame = [](HWND w) { return (GetWindowLongPtrW(w, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX; };
    for (const HWND form : {window->hwnd(), form2.hwnd(), form3.hwnd()}) {
        for (HWND label = GetWindow(form, GW_CHILD); label; label = GetWindow(label, GW_HWNDNEXT)) {
            if (form_driving::ClassOf(label) != L"Static") continue;
            const RECT at = form_driving::RectInParent(label);
            for (HWND other = GetWindow(form, GW_CHILD); other; other = GetWindow(other, GW_HWNDNEXT)) {
                const RECT there = form_driving::RectInParent(other);
                RECT overlap{};
                if (other == label || (form_driving::ClassOf(other) == L"Button" && isFrame(other))) continue;
                EXPECT_FALSE(IntersectRect(&overlap, &at, &there))
                    << testing::PrintToString(form_driving::TextOf(label)) << " reaches over "
                    << testing::PrintToString(form_driving::TextOf(other));
            }
        }
    }
}

// The name the accessibility layer gives a window, as a screen reader asks
// for it; empty when it gives none.
std::wstring SpokenName(HWND window) {
    IAccessible* accessible = nullptr;
    if (FAILED(AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                                          reinterpret_cast<void**>(&accessible)))) {
        return L"(no accessible object)";
    }
    VARIANT self;
    VariantInit(&self);
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR name = nullptr;
    std::wstring text;
    if (accessible->get_accName(self, &name) == S_OK && name) text.assign(name, SysStringLen(name));
    SysFreeString(name);
    accessible->Release();
    return text;
}

// The label Windows' accessibility layer names a box by: walking back in
// z-order, the first static text, unless a tab stop that starts a group
// comes first.
std::wstring LabelBefore(HWND box) {
    for (HWND w = GetWindow(box, GW_HWNDPREV); w; w = GetWindow(w, GW_HWNDPREV)) {
        if (form_driving::ClassOf(w) == L"Static") return form_driving::TextOf(w);
        const LONG_PTR style = GetWindowLongPtrW(w, GWL_STYLE);
        if ((style & (WS_GROUP | WS_TABSTOP)) == (WS_GROUP | WS_TABSTOP)) break;
    }
    return L"(no label)";
}

// Boxes and lists have no caption of their own: each is named by the hint
// that says what it holds, the label put just before it in z-order.
TEST_F(MainWindowTest, EveryBoxAndListHasASpokenName) {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    Open();
    dialogs::Form2 form2(host);
    dialogs::Form3 form3(host);
    ASSERT_TRUE(form2.Load(window->hwnd()));
    ASSERT_TRUE(form3.Load(window->hwnd()));
    // Wine's accessibility layer names a text box by the label before it,
    // as Windows does, but gives a list box no name at all.
    const bool wine = GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
    const struct {
        HWND box;
        const wchar_t* name;
    } boxes[] = {
        {Control(List1), L"该目录是相对站点根目录的路径，如\"/img\"。设置后，任何站点对该目录下任何图片文件的请求都是合法的。"},
        {Control(List2), L"列表中的站点可正常链接而不会被认为是盗链而阻止。"},
        {Control(txtRedirectFile), L"自定义其他站点盗链本站点图片后显示的图片文件。"},
        {form2.Control(dialogs::Form2::txtPath), L"请输入一个相对目录，例如\"/img\"。"},
        {form3.Control(dialogs::Form3::txtWeb), L"请输入一个域名，例如\"example.com\"。"},
    };
    for (const auto& b : boxes) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(b.name)));
        EXPECT_EQ(LabelBefore(b.box), b.name);
        const std::wstring spoken = SpokenName(b.box);
        if (wine && form_driving::ClassOf(b.box) == L"ListBox" && spoken.empty()) continue;
        EXPECT_EQ(spoken, b.name);
    }
    CoUninitialize();
}

}  // namespace
