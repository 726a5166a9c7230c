// End-to-end tests of the real HotlinkConfig.exe. Each case copies the
// program into a folder of its own, starts it as a separate process and
// drives it from outside as a user does: a mouse click on the start-up
// picture, button presses, typing into text boxes, answers to message boxes.
// It reads the windows back and checks the Config.ini the program writes.
//
// The driver runs on Wine's default desktop (run-e2e.sh sees to that),
// where windows have title bars. With --screenshots=DIR it also saves each
// window it meets as a BMP; with --tour it only starts the program in place,
// photographs the start-up picture and the main window, and cancels.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "form2.h"
#include "form3.h"
#include "frm_begin.h"
#include "frm_main.h"
#include "child_process.h"
#include "test_files.h"
#include "window_driving.h"

namespace fs = std::filesystem;

namespace {

using namespace main_window;
using dialogs::Form2;
using dialogs::Form3;
using testing_files::ReadBytes;
using testing_files::TempDir;
using testing_files::WriteBytes;
using namespace window_driving;
using std::chrono::milliseconds;

const wchar_t kMainCaption[] = L"澜星V3.0设置";
const wchar_t kForm2Caption[] = L"添加相对目录";
const wchar_t kForm3Caption[] = L"添加友情站点";
const wchar_t kNotice[] = L"修改设置后新的设置将在15分钟内生效，如想立即生效则请重新启动IIS服务器!";

// The texts the add-directory dialog refuses, and its message for each.
const std::pair<const wchar_t*, const wchar_t*> kRefusedDirectories[] = {
    {L"", L"目录不能为空！"},          {L"   ", L"目录不能为空！"},
    {L"img", L"目录格式不正确！"},     {L" /img", L"目录格式不正确！"},
    {L"/img|/pic", L"目录中不能含有“|”！"},
};

// The README's example of a stored file.
const std::string kStored =
    "[SETTING]\r\nSTART=True\r\nProtectJpg=True\r\nProtectGif=False\r\nProtectJpeg=False\r\n"
    "RedirectFile=/no.gif\r\nFreePath=|/img|/pic|\r\nFriendUrl=|www.example.com|\r\n";

struct Options {
    fs::path editor;       // the HotlinkConfig.exe under test
    fs::path screenshots;  // where window pictures go; empty: none taken
    bool tour = false;
    int deadlineSeconds = 150;
};

Options& options() {
    static Options instance;
    return instance;
}

// The editor process being driven, for the watchdog to end.
std::atomic<HANDLE>& runningEditor() {
    static std::atomic<HANDLE> process{nullptr};
    return process;
}

// ---- screenshots ------------------------------------------------------------

// Saves what the screen shows of the window, frame included, once it has
// settled, as a BMP named `name` in the screenshot folder, when one was
// given. False when the picture could not be taken.
bool Screenshot(HWND window, const std::wstring& name) {
    if (options().screenshots.empty()) return true;
    return SaveBmp(SettledPicture(window), (options().screenshots / (name + L".bmp")).native());
}

// ---- the program under test -------------------------------------------------

// A running HotlinkConfig.exe. Ended by force if a test leaves it running.
class Editor {
public:
    // Starts the program `exe` in its own folder.
    explicit Editor(const fs::path& exe) : process_(exe, {}, {exe.parent_path(), false}) {
        runningEditor() = process_.handle();
    }
    ~Editor() {
        HANDLE self = process_.handle();
        runningEditor().compare_exchange_strong(self, nullptr);
    }
    Editor(const Editor&) = delete;
    Editor& operator=(const Editor&) = delete;

    bool started() const { return process_.started(); }
    DWORD id() const { return process_.id(); }

    // The exit code once the program has ended within the timeout.
    std::optional<DWORD> WaitForExit(milliseconds timeout = kWindowTimeout) const {
        return process_.WaitForExit(static_cast<DWORD>(timeout.count()));
    }
    bool Running() const { return process_.Running(); }

    // The program's top-level windows, owned ones (dialogs, message boxes)
    // included; hidden ones too unless visibleOnly.
    std::vector<HWND> Windows(bool visibleOnly = true) const { return WindowsOf(id(), visibleOnly); }
    // A top-level window of the program with this caption.
    HWND Find(const std::wstring& caption, bool visibleOnly = true) const {
        return FindWindowOf(id(), caption, visibleOnly);
    }
    HWND WaitForWindow(const std::wstring& caption) const {
        return WaitFor([&] { return Find(caption); });
    }
    // Until the window is destroyed.
    bool WaitUntilGone(HWND window) const {
        return WaitFor([&] { return !IsWindow(window); });
    }

    // The message box the program shows, if any.
    HWND MessageBoxWindow() const { return MessageBoxOf(id()); }
    MessageBoxSeen WaitForMessageBox() const {
        const HWND box = WaitFor([&] { return MessageBoxWindow(); });
        return box ? ReadMessageBox(box) : MessageBoxSeen{};
    }
    // Presses the box's button (its first when none is named) and waits
    // until the box is gone and the program has done what the answer asks:
    // it waits for input again, in `after`'s thread.
    bool Answer(const MessageBoxSeen& box, HWND after, int button = 0) const {
        if (!box.hwnd || box.buttons.empty()) return false;
        PressOpening(GetDlgItem(box.hwnd, button ? button : box.buttons.front()));
        return WaitUntilGone(box.hwnd) && (WaitUntilIdle(after) || !IsWindow(after));
    }

private:
    testing_files::ChildProcess process_;
};

// ---- test cases -------------------------------------------------------------

class EndToEndTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(fs::exists(options().editor)) << "no program at " << options().editor.u8string();
        exe = dir.path() / L"HotlinkConfig.exe";
        ASSERT_TRUE(CopyFileW(options().editor.c_str(), exe.c_str(), FALSE));
    }

    // Starts the program; the start-up window must show, alone.
    void Start() {
        editor = std::make_unique<Editor>(exe);
        ASSERT_TRUE(editor->started());
        begin = editor->WaitForWindow(startup::frmBegin::kCaption);
        ASSERT_NE(begin, nullptr) << "no start-up window";
        ASSERT_TRUE(WaitUntilIdle(begin));
    }

    // Clicks the start-up picture with the mouse; the main window takes over.
    void ClickStartupWindow() {
        ClickAt(CentreOf(begin));
        mainWindow = editor->WaitForWindow(kMainCaption);
        ASSERT_NE(mainWindow, nullptr) << "the click on the start-up window opened no main window";
        EXPECT_TRUE(editor->WaitUntilGone(begin)) << "the start-up window stays";
        ASSERT_TRUE(WaitUntilIdle(mainWindow));
    }

    void OpenMainWindow(const std::string& stored = "") {
        if (!stored.empty()) WriteBytes(dir.config(), stored);
        ASSERT_NO_FATAL_FAILURE(Start());
        ASSERT_NO_FATAL_FAILURE(ClickStartupWindow());
    }

    HWND Control(int id) const { return GetDlgItem(mainWindow, id); }

    // Presses an "添  加" button; its dialog opens modally over the main window.
    HWND OpenDialog(int addButton, const wchar_t* caption) {
        PressOpening(Control(addButton));
        HWND dialog = editor->WaitForWindow(caption);
        if (!dialog) {
            ADD_FAILURE() << "the dialog did not open";
            return nullptr;
        }
        EXPECT_TRUE(WaitUntilIdle(dialog));
        EXPECT_EQ(GetWindow(dialog, GW_OWNER), mainWindow);
        EXPECT_FALSE(Enabled(mainWindow)) << "the main window waits while the dialog is open";
        return dialog;
    }

    // After the dialog has gone, the main window takes input again.
    void ExpectDialogClosed(HWND dialog) {
        EXPECT_TRUE(editor->WaitUntilGone(dialog)) << "the dialog is still open";
        EXPECT_TRUE(WaitUntilIdle(mainWindow));
        EXPECT_TRUE(Enabled(mainWindow)) << "the main window stays disabled";
    }

    // A message box with an OK button only and no icon, with the given text
    // and title; answered.
    void ExpectMessage(const std::wstring& text, const std::wstring& title) {
        const MessageBoxSeen box = editor->WaitForMessageBox();
        ASSERT_NE(box.hwnd, nullptr) << "no message box";
        EXPECT_EQ(box.text, text);
        EXPECT_EQ(box.title, title);
        ASSERT_EQ(box.buttons.size(), 1u) << "an OK button only";
        EXPECT_TRUE(box.buttons[0] == IDOK || box.buttons[0] == IDCANCEL) << box.buttons[0];
        EXPECT_FALSE(box.icon);
        ASSERT_TRUE(editor->Answer(box, mainWindow)) << "the message box did not close";
    }

    // Text typed into an entry dialog's box and saved is refused with the
    // message; the dialog stays, the focus goes back to the box, and its
    // text, caret and selection stay as they were.
    void ExpectRefused(HWND dialog, int box, int save, const std::wstring& typed, const std::wstring& message) {
        SCOPED_TRACE(testing::Message() << "typed \"" << fs::path(typed).u8string() << "\"");
        const HWND text = GetDlgItem(dialog, box);
        ClearAndType(text, typed);
        const DWORD selection = Selection(text);
        PressOpening(GetDlgItem(dialog, save));
        ASSERT_NO_FATAL_FAILURE(ExpectMessage(message, L"错误"));
        EXPECT_EQ(FocusIn(dialog), text) << "the focus goes back to the text box";
        EXPECT_EQ(TextOf(text), typed);
        EXPECT_EQ(Selection(text), selection) << "caret and selection stay";
        EXPECT_TRUE(IsWindowVisible(dialog));
        EXPECT_FALSE(Enabled(mainWindow));
    }

    // For the documentation: a picture of the window, and of the message
    // box that shows next, answered with `button` (its first when none).
    void Photograph(HWND window, const wchar_t* name) { EXPECT_TRUE(Screenshot(window, name)) << "no picture"; }
    void PhotographMessage(const wchar_t* name, int button = 0) {
        const MessageBoxSeen box = editor->WaitForMessageBox();
        ASSERT_NE(box.hwnd, nullptr) << "no message box for " << fs::path(name).u8string();
        Photograph(box.hwnd, name);
        ASSERT_TRUE(editor->Answer(box, mainWindow, button));
    }

    // The program ends by itself with exit code 0, leaving no window.
    void ExpectEnded() {
        const auto code = editor->WaitForExit();
        ASSERT_TRUE(code.has_value()) << "the program did not end";
        EXPECT_EQ(*code, 0u);
    }

    TempDir dir;
    fs::path exe;
    std::unique_ptr<Editor> editor;
    HWND begin = nullptr;
    HWND mainWindow = nullptr;
};

TEST_F(EndToEndTest, TheStartUpPictureStandsAloneUntilClicked) {
    ASSERT_NO_FATAL_FAILURE(Start());
    // Borderless, 300 x 300, centred, above all windows, not in the taskbar.
    const LONG_PTR style = GetWindowLongPtrW(begin, GWL_STYLE);
    const LONG_PTR exStyle = GetWindowLongPtrW(begin, GWL_EXSTYLE);
    EXPECT_TRUE(style & WS_POPUP);
    EXPECT_FALSE(style & (WS_CAPTION | WS_THICKFRAME | WS_SYSMENU));
    EXPECT_TRUE(exStyle & WS_EX_TOPMOST);
    EXPECT_FALSE(exStyle & WS_EX_APPWINDOW);
    EXPECT_TRUE((exStyle & WS_EX_TOOLWINDOW) || GetWindow(begin, GW_OWNER)) << "shown in the taskbar";
    RECT client{}, outer{}, work{};
    GetClientRect(begin, &client);
    GetWindowRect(begin, &outer);
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_EQ(client.right, 300);
    EXPECT_EQ(client.bottom, 300);
    EXPECT_EQ(outer.right - outer.left, 300);
    EXPECT_NEAR((outer.left + outer.right) / 2, (work.left + work.right) / 2, 1);
    EXPECT_NEAR((outer.top + outer.bottom) / 2, (work.top + work.bottom) / 2, 1);
    // Start() waited until the program was idle: whatever it does unasked
    // is done.
    EXPECT_EQ(editor->Find(kMainCaption, false), nullptr) << "the main window came without a click";

    ASSERT_NO_FATAL_FAILURE(ClickStartupWindow());
    EXPECT_FALSE(IsWindow(begin)) << "the start-up window is hidden, not closed";
    PressOpening(Control(CmdCancel));
    ASSERT_NO_FATAL_FAILURE(ExpectEnded());
}

TEST_F(EndToEndTest, ATypicalChangeIsSavedByOk) {
    ASSERT_NO_FATAL_FAILURE(OpenMainWindow());
    // No Config.ini: protection off, nothing ticked, empty lists.
    EXPECT_TRUE(Checked(Control(Option2)));
    EXPECT_FALSE(Checked(Control(Option1)));
    for (int id : {Check1_0, Check1_1, Check1_2}) EXPECT_FALSE(Checked(Control(id))) << id;
    EXPECT_EQ(TextOf(Control(txtRedirectFile)), L"");
    EXPECT_TRUE(ListItems(Control(List1)).empty());
    EXPECT_TRUE(ListItems(Control(List2)).empty());
    EXPECT_FALSE(Enabled(Control(cmdDelPath)));
    EXPECT_FALSE(Enabled(Control(cmdDelWeb)));

    // Protection on, and one free directory.
    ASSERT_TRUE(Press(Control(Option1)));
    EXPECT_TRUE(Checked(Control(Option1)));
    EXPECT_FALSE(Checked(Control(Option2)));
    const HWND form2 = OpenDialog(cmdAddPath, kForm2Caption);
    ASSERT_NE(form2, nullptr);
    const HWND path = GetDlgItem(form2, Form2::txtPath);
    EXPECT_EQ(TextOf(path), L"");
    EXPECT_EQ(FocusIn(form2), GetDlgItem(form2, Form2::cmdSave)) << "the first focus is on 保  存";
    Type(path, L"/img");
    PressOpening(GetDlgItem(form2, Form2::cmdSave));
    ExpectDialogClosed(form2);
    EXPECT_EQ(ListItems(Control(List1)), std::vector<std::wstring>{L"/img"});
    EXPECT_FALSE(Enabled(Control(cmdDelPath))) << "an added item comes unselected";
    EXPECT_FALSE(fs::exists(dir.config())) << "saved before OK";

    // OK saves first, then tells when the filter takes the settings.
    PressOpening(Control(cmdOK));
    const std::string expected =
        "[SETTING]\r\nSTART=True\r\nProtectJpg=False\r\nProtectGif=False\r\nProtectJpeg=False\r\n"
        "RedirectFile=\r\nFreePath=|/img|\r\nFriendUrl=\r\n";
    const HWND notice = WaitFor([&] { return editor->MessageBoxWindow(); });
    ASSERT_NE(notice, nullptr);
    EXPECT_EQ(GetWindow(notice, GW_OWNER), mainWindow);
    EXPECT_EQ(ReadBytes(dir.config()), expected) << "the file is written before the notice";
    ASSERT_NO_FATAL_FAILURE(ExpectMessage(kNotice, L"提示"));
    ASSERT_NO_FATAL_FAILURE(ExpectEnded());
    EXPECT_EQ(ReadBytes(dir.config()), expected);
    EXPECT_EQ(testing_files::Entries(dir.path()), (std::vector<std::string>{"Config.ini", "HotlinkConfig.exe"}))
        << "the save leaves no file behind";
}

// Each text typed into the add-directory dialog that cannot be an item is
// refused with its message; the dialog stays with the text, caret and
// selection as they were. The stored settings are read from beside the
// program.
TEST_F(EndToEndTest, TheAddDirectoryDialogRefusesBadTextAndKeepsIt) {
    ASSERT_NO_FATAL_FAILURE(OpenMainWindow(kStored));
    EXPECT_TRUE(Checked(Control(Option1)));
    EXPECT_TRUE(Checked(Control(Check1_0)));
    EXPECT_FALSE(Checked(Control(Check1_1)));
    EXPECT_EQ(TextOf(Control(txtRedirectFile)), L"/no.gif");
    EXPECT_EQ(ListItems(Control(List2)), std::vector<std::wstring>{L"www.example.com"});
    const std::vector<std::wstring> stored = {L"/img", L"/pic"};
    EXPECT_EQ(ListItems(Control(List1)), stored);

    const HWND form2 = OpenDialog(cmdAddPath, kForm2Caption);
    ASSERT_NE(form2, nullptr);
    const HWND path = GetDlgItem(form2, Form2::txtPath);
    for (const auto& [typed, message] : kRefusedDirectories) {
        ASSERT_NO_FATAL_FAILURE(ExpectRefused(form2, Form2::txtPath, Form2::cmdSave, typed, message));
    }
    EXPECT_EQ(ListItems(Control(List1)), stored);

    // Accepted as typed, trailing space and all, and saved by Apply; the
    // window stays.
    ClearAndType(path, L"/img ");
    PressOpening(GetDlgItem(form2, Form2::cmdSave));
    ExpectDialogClosed(form2);
    EXPECT_EQ(ListItems(Control(List1)), (std::vector<std::wstring>{L"/img", L"/pic", L"/img "}));
    ASSERT_TRUE(Press(Control(cmdSave)));
    EXPECT_EQ(editor->MessageBoxWindow(), nullptr);
    EXPECT_EQ(ReadBytes(dir.config()),
              "[SETTING]\r\nSTART=True\r\nProtectJpg=True\r\nProtectGif=False\r\nProtectJpeg=False\r\n"
              "RedirectFile=/no.gif\r\nFreePath=|/img|/pic|/img |\r\nFriendUrl=|www.example.com|\r\n");
    EXPECT_TRUE(IsWindowVisible(mainWindow));
}

// Cancel, the close box's command, a close message and a mouse click on the
// close box: each closes the dialog and adds nothing.
TEST_F(EndToEndTest, EveryWayOfClosingTheDialogAddsNothing) {
    ASSERT_NO_FATAL_FAILURE(OpenMainWindow(kStored));
    for (int way = 0; way < 4; ++way) {
        SCOPED_TRACE(way);
        const HWND form2 = OpenDialog(cmdAddPath, kForm2Caption);
        ASSERT_NE(form2, nullptr);
        EXPECT_EQ(TextOf(GetDlgItem(form2, Form2::txtPath)), L"") << "the dialog starts empty every time";
        Type(GetDlgItem(form2, Form2::txtPath), L"/never");
        switch (way) {
            case 0: PressOpening(GetDlgItem(form2, Form2::cmdCancal)); break;
            case 1: PostMessageW(form2, WM_SYSCOMMAND, SC_CLOSE, 0); break;
            case 2: PostMessageW(form2, WM_CLOSE, 0, 0); break;
            case 3: {
                POINT closeBox{};
                ASSERT_TRUE(FindCloseBox(form2, &closeBox)) << "the dialog has no close box";
                ClickAt(closeBox);
                break;
            }
        }
        ExpectDialogClosed(form2);
        EXPECT_EQ(ListItems(Control(List1)), (std::vector<std::wstring>{L"/img", L"/pic"}));
        EXPECT_EQ(editor->MessageBoxWindow(), nullptr);
    }
    PressOpening(Control(CmdCancel));
    ASSERT_NO_FATAL_FAILURE(ExpectEnded());
    EXPECT_EQ(ReadBytes(dir.config()), kStored);
}

TEST_F(EndToEndTest, AddSiteDialogRefusesBlankTextAndKeepsSpaces) {
    ASSERT_NO_FATAL_FAILURE(OpenMainWindow());
    HWND form3 = OpenDialog(cmdAddWeb, kForm3Caption);
    ASSERT_NE(form3, nullptr);
    const HWND web = GetDlgItem(form3, Form3::txtWeb);
    EXPECT_EQ(FocusIn(form3), GetDlgItem(form3, Form3::cmdCancal)) << "the first focus is on 取  消";
    for (const wchar_t* typed : {L"", L"  "}) {
        ASSERT_NO_FATAL_FAILURE(ExpectRefused(form3, Form3::txtWeb, Form3::cmdSave, typed, L"友情站点不能为空！"));
    }
    EXPECT_TRUE(ListItems(Control(List2)).empty());

    const std::wstring site = L" http://www.example.org ";
    ClearAndType(web, site);
    PressOpening(GetDlgItem(form3, Form3::cmdSave));
    ExpectDialogClosed(form3);
    EXPECT_EQ(ListItems(Control(List2)), std::vector<std::wstring>{site});

    form3 = OpenDialog(cmdAddWeb, kForm3Caption);
    ASSERT_NE(form3, nullptr);
    Type(GetDlgItem(form3, Form3::txtWeb), L"www.never.example");
    PressOpening(GetDlgItem(form3, Form3::cmdCancal));
    ExpectDialogClosed(form3);
    EXPECT_EQ(ListItems(Control(List2)), std::vector<std::wstring>{site});

    ASSERT_TRUE(Press(Control(cmdSave)));
    EXPECT_EQ(ReadBytes(dir.config()),
              "[SETTING]\r\nSTART=False\r\nProtectJpg=False\r\nProtectGif=False\r\nProtectJpeg=False\r\n"
              "RedirectFile=\r\nFreePath=\r\nFriendUrl=| http://www.example.org |\r\n");
    // The main window's close box ends the program without another save.
    ASSERT_TRUE(Press(Control(Check1_1)));
    PostMessageW(mainWindow, WM_SYSCOMMAND, SC_CLOSE, 0);
    ASSERT_NO_FATAL_FAILURE(ExpectEnded());
    EXPECT_NE(ReadBytes(dir.config()).find("ProtectGif=False"), std::string::npos);
}

TEST_F(EndToEndTest, SecondStartEndsAtOnceWithoutAWindow) {
    ASSERT_NO_FATAL_FAILURE(Start());
    // Started again, before and after the click on the start-up window.
    for (const bool mainWindowOpen : {false, true}) {
        SCOPED_TRACE(mainWindowOpen);
        if (mainWindowOpen) {
            ASSERT_NO_FATAL_FAILURE(ClickStartupWindow());
        }
        const auto before = editor->Windows();
        Editor second(exe);
        ASSERT_TRUE(second.started());
        std::set<HWND> shown;
        const bool ended = WaitFor([&] {
            for (HWND window : second.Windows()) shown.insert(window);
            return !second.Running();
        });
        ASSERT_TRUE(ended) << "the second copy keeps running";
        EXPECT_EQ(second.WaitForExit(), 0u);
        EXPECT_TRUE(shown.empty()) << shown.size() << " window(s) of the second copy were seen";
        ASSERT_TRUE(WaitUntilIdle(mainWindowOpen ? mainWindow : begin));
        EXPECT_EQ(editor->Windows(), before) << "the first copy's windows changed";
        EXPECT_TRUE(editor->Running());
    }
    PressOpening(Control(CmdCancel));
    ASSERT_NO_FATAL_FAILURE(ExpectEnded());
    EXPECT_FALSE(fs::exists(dir.config())) << "cancel saved";
}

TEST_F(EndToEndTest, FailedSaveIsReportedAndTheFileKept) {
    const std::wstring failed = L"写文件时出错\nConfig.ini 是只读文件：请先在文件属性中去掉“只读”。";
    WriteBytes(dir.config(), kStored);
    testing_files::MakeReadOnly(dir.config());
    ASSERT_NO_FATAL_FAILURE(OpenMainWindow());
    ASSERT_TRUE(Press(Control(Option2)));

    // Apply reports it, with the cause, and the window stays as edited.
    PressOpening(Control(cmdSave));
    ASSERT_NO_FATAL_FAILURE(ExpectMessage(failed, kMainCaption));
    EXPECT_TRUE(IsWindowVisible(mainWindow));
    EXPECT_TRUE(Checked(Control(Option2)));
    EXPECT_EQ(ReadBytes(dir.config()), kStored);

    // OK reports it too and keeps the window open, with the edits in it.
    PressOpening(Control(cmdOK));
    ASSERT_NO_FATAL_FAILURE(ExpectMessage(failed, kMainCaption));
    EXPECT_EQ(editor->MessageBoxWindow(), nullptr) << "a notice after a failed save";
    EXPECT_TRUE(IsWindowVisible(mainWindow));
    EXPECT_TRUE(Checked(Control(Option2)));

    PressOpening(Control(CmdCancel));
    ASSERT_NO_FATAL_FAILURE(ExpectEnded());
    EXPECT_EQ(ReadBytes(dir.config()), kStored);
    EXPECT_EQ(testing_files::Entries(dir.path()), (std::vector<std::string>{"Config.ini", "HotlinkConfig.exe"}));
}

// Another program changes Config.ini while the window is open: a save asks
// before it overwrites that change, with Yes and No and no icon.
TEST_F(EndToEndTest, AChangeMadeElsewhereIsOverwrittenOnlyAfterAsking) {
    ASSERT_NO_FATAL_FAILURE(OpenMainWindow(kStored));
    std::string changed = kStored;
    changed.replace(changed.find("START=True"), 10, "START=False");
    WriteBytes(dir.config(), changed);
    for (const int answer : {IDNO, IDYES}) {
        PressOpening(Control(cmdSave));
        const MessageBoxSeen box = editor->WaitForMessageBox();
        ASSERT_NE(box.hwnd, nullptr) << "no question";
        EXPECT_EQ(box.text, L"Config.ini 在本窗口打开后已被其他程序修改。\n是否用本窗口中的设置覆盖这些修改？");
        EXPECT_EQ(box.title, L"提示");
        EXPECT_EQ(box.buttons, (std::vector<int>{IDYES, IDNO}));
        EXPECT_FALSE(box.icon);
        ASSERT_TRUE(editor->Answer(box, mainWindow, answer));
        EXPECT_EQ(ReadBytes(dir.config()), answer == IDNO ? changed : kStored);
    }
    PressOpening(Control(CmdCancel));
    ASSERT_NO_FATAL_FAILURE(ExpectEnded());
}

TEST_F(EndToEndTest, ListsPastTheFilterLimitAreSavedWholeAndTold) {
    std::string sites = "|";
    for (int i = 0; i < 60; ++i) sites += "www.site" + std::to_string(1000 + i) + ".com.cn|";
    const std::string stored = "[SETTING]\r\nSTART=True\r\nProtectJpg=True\r\nProtectGif=False\r\n"
                               "ProtectJpeg=False\r\nRedirectFile=/no.gif\r\nFreePath=\r\nFriendUrl=" + sites + "\r\n";
    WriteBytes(dir.config(), stored);
    ASSERT_NO_FATAL_FAILURE(OpenMainWindow());
    EXPECT_EQ(ListItems(Control(List2)).size(), 60u);
    PressOpening(Control(cmdOK));
    ASSERT_NO_FATAL_FAILURE(ExpectMessage(
        L"设置已保存，但过滤器每项设置只读取前999字节：\n友情站点列表太长，过滤器只读取前49个站点（共60个），"
        L"从“www.site1049.com.cn”起的站点不起作用。",
        L"提示"));
    ASSERT_NO_FATAL_FAILURE(ExpectMessage(kNotice, L"提示"));
    ASSERT_NO_FATAL_FAILURE(ExpectEnded());
    EXPECT_EQ(ReadBytes(dir.config()), stored);
}

// The pictures of the README and the administrators' guide: each window and
// each message as a user meets it, taken with --screenshots=DIR.
TEST_F(EndToEndTest, ThePicturesOfTheDocumentation) {
    // The start-up picture, and the main window on the README's example.
    WriteBytes(dir.config(), kStored);
    ASSERT_NO_FATAL_FAILURE(Start());
    Photograph(begin, L"start-up-window");
    ASSERT_NO_FATAL_FAILURE(ClickStartupWindow());
    Photograph(mainWindow, L"main-window");

    // Each dialog with what a user types, and what it refuses.
    const struct {
        int add;
        const wchar_t* caption;
        int box, save, cancel;
        const wchar_t *typed, *picture;
        std::vector<std::pair<const wchar_t*, const wchar_t*>> refused;  // text, picture
    } dialogs[] = {
        {cmdAddPath, kForm2Caption, Form2::txtPath, Form2::cmdSave, Form2::cmdCancal, L"/img", L"form2",
         {{L"", L"message-empty-directory"}, {L"img", L"message-directory-format"},
          {L"/img|/pic", L"message-bar-in-directory"}}},
        {cmdAddWeb, kForm3Caption, Form3::txtWeb, Form3::cmdSave, Form3::cmdCancal, L" http://www.example.org ",
         L"form3", {{L"", L"message-empty-site"}}},
    };
    for (const auto& d : dialogs) {
        const HWND dialog = OpenDialog(d.add, d.caption);
        ASSERT_NE(dialog, nullptr);
        Type(GetDlgItem(dialog, d.box), d.typed);
        Photograph(dialog, d.picture);
        for (const auto& [typed, picture] : d.refused) {
            ClearAndType(GetDlgItem(dialog, d.box), typed);
            PressOpening(GetDlgItem(dialog, d.save));
            ASSERT_NO_FATAL_FAILURE(PhotographMessage(picture));
        }
        PressOpening(GetDlgItem(dialog, d.cancel));
        ExpectDialogClosed(dialog);
    }

    // Another program's change, then a list past the filter's limit with the
    // notice after OK.
    std::string sites = "|";
    for (int i = 0; i < 60; ++i) sites += "www.site" + std::to_string(1000 + i) + ".com.cn|";
    WriteBytes(dir.config(), "[SETTING]\r\nSTART=True\r\nFriendUrl=" + sites + "\r\n");
    PressOpening(Control(cmdSave));
    ASSERT_NO_FATAL_FAILURE(PhotographMessage(L"message-changed-elsewhere", IDNO));
    PressOpening(Control(CmdCancel));
    ASSERT_NO_FATAL_FAILURE(ExpectEnded());
    ASSERT_NO_FATAL_FAILURE(OpenMainWindow());
    PressOpening(Control(cmdOK));
    ASSERT_NO_FATAL_FAILURE(PhotographMessage(L"message-read-limit"));
    ASSERT_NO_FATAL_FAILURE(PhotographMessage(L"message-notice"));
    ASSERT_NO_FATAL_FAILURE(ExpectEnded());

    // A save that fails.
    testing_files::MakeReadOnly(dir.config());
    ASSERT_NO_FATAL_FAILURE(OpenMainWindow());
    PressOpening(Control(cmdSave));
    ASSERT_NO_FATAL_FAILURE(PhotographMessage(L"message-write-error"));
    PressOpening(Control(CmdCancel));
    ASSERT_NO_FATAL_FAILURE(ExpectEnded());
}

// ---- the tour ---------------------------------------------------------------

// Photographs a dialog opened by an "添  加" button of the main window, as it
// first shows, and cancels it. False when any of that failed.
bool PhotographDialog(const Editor& editor, HWND mainWindow, int addButton, const wchar_t* caption,
                      int cancelButton, const wchar_t* name) {
    PressOpening(GetDlgItem(mainWindow, addButton));
    const HWND dialog = editor.WaitForWindow(caption);
    if (!dialog) {
        std::fprintf(stderr, "the dialog %s did not open\n", fs::path(name).u8string().c_str());
        return false;
    }
    const bool taken = Screenshot(dialog, name);
    PressOpening(GetDlgItem(dialog, cancelButton));
    return editor.WaitUntilGone(dialog) && taken;
}

// Starts the program where it is, photographs the start-up picture, clicks
// it, photographs the main window and each dialog as it opens, and cancels.
// 0 when all of that happened.
int RunTour() {
    Editor editor(options().editor);
    if (!editor.started()) {
        std::fprintf(stderr, "cannot start %s\n", options().editor.u8string().c_str());
        return 1;
    }
    const HWND begin = editor.WaitForWindow(startup::frmBegin::kCaption);
    HWND mainWindow = nullptr;
    bool pictures = false;
    if (begin) {
        pictures = Screenshot(begin, L"start-up-window");
        ClickAt(CentreOf(begin));
        mainWindow = editor.WaitForWindow(kMainCaption);
    } else {
        std::fprintf(stderr, "no start-up window showed\n");
        mainWindow = editor.Find(kMainCaption);
    }
    if (!mainWindow) {
        std::fprintf(stderr, "no main window showed\n");
        return 1;
    }
    pictures = Screenshot(mainWindow, L"main-window") && pictures;
    if (!pictures) std::fprintf(stderr, "a screenshot could not be saved\n");
    const bool dialogs =
        PhotographDialog(editor, mainWindow, cmdAddPath, kForm2Caption, Form2::cmdCancal, L"form2") &&
        PhotographDialog(editor, mainWindow, cmdAddWeb, kForm3Caption, Form3::cmdCancal, L"form3");
    PressOpening(GetDlgItem(mainWindow, CmdCancel));
    const auto code = editor.WaitForExit();
    if (!code) std::fprintf(stderr, "the program did not end on 取  消\n");
    return begin && pictures && dialogs && code && *code == 0 ? 0 : 1;
}

// ---- start ------------------------------------------------------------------

bool TakeOption(const std::wstring& argument, const wchar_t* name, std::wstring* value) {
    const std::wstring prefix = std::wstring(name) + L"=";
    if (argument.compare(0, prefix.size(), prefix) != 0) return false;
    *value = argument.substr(prefix.size());
    return true;
}

// Ends the whole run, and the program it drives, when the run takes too long.
void StartWatchdog() {
    std::thread([] {
        std::this_thread::sleep_for(std::chrono::seconds(options().deadlineSeconds));
        std::fprintf(stderr, "end-to-end run took longer than %d s; stopped\n", options().deadlineSeconds);
        if (HANDLE editor = runningEditor().load()) TerminateProcess(editor, 99);
        std::fflush(nullptr);
        ExitProcess(3);
    }).detach();
}

}  // namespace

// Options: --editor=PATH (default: HotlinkConfig.exe beside this program),
// --screenshots=DIR, --deadline=SECONDS, --tour, and
// GoogleTest's own.
int wmain(int argc, wchar_t** argv) {
    testing::InitGoogleTest(&argc, argv);
    // The editor asks for the highest rights the user has; started by this
    // driver it runs with the driver's own, without a consent prompt.
    SetEnvironmentVariableW(L"__COMPAT_LAYER", L"RunAsInvoker");
    Options& o = options();
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    o.editor = fs::path(self).parent_path() / L"HotlinkConfig.exe";
    if (const wchar_t* dir = _wgetenv(L"SCREENSHOT")) o.screenshots = dir;
    for (int i = 1; i < argc; ++i) {
        const std::wstring argument = argv[i];
        std::wstring value;
        if (TakeOption(argument, L"--editor", &value)) {
            o.editor = value;
        } else if (TakeOption(argument, L"--screenshots", &value)) {
            o.screenshots = value;
        } else if (TakeOption(argument, L"--deadline", &value)) {
            o.deadlineSeconds = _wtoi(value.c_str());
        } else if (argument == L"--tour") {
            o.tour = true;
        } else {
            std::fprintf(stderr, "unknown option %s\n", fs::path(argument).u8string().c_str());
            return 2;
        }
    }
    if (!o.screenshots.empty()) fs::create_directories(o.screenshots);
    StartWatchdog();
    const int code = o.tour ? RunTour() : RUN_ALL_TESTS();
    std::fflush(nullptr);
    return code;
}
