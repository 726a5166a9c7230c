// Damaged, odd and hostile Config.ini files, each loaded into the real main
// window and applied: what the window shows, and the exact bytes the save
// leaves. Then files that cannot be written at all.
#include <windows.h>

#include <gtest/gtest.h>

#include <cwctype>
#include <memory>
#include <string>
#include <vector>

#include "form_driving.h"
#include "frm_main.h"
#include "handles.h"
#include "linux_host.h"
#include "test_files.h"

namespace {

using namespace main_window;
using form_driving::RecordingHost;
using form_driving::Shown;
using testing_files::ReadBytes;
using testing_files::TempDir;
using testing_files::WriteBytes;

// The keys the editor writes after the ones a file had, in their order.
const std::string kAddedAfter = "ProtectJpg=False\r\nProtectGif=False\r\nProtectJpeg=False\r\nRedirectFile=\r\n";

class HostileFileTest : public ::testing::Test {
protected:
    void Open(const std::string& stored) {
        WriteBytes(dir.config(), stored);
        OpenAsItIs();
    }
    void OpenAsItIs() {
        window = std::make_unique<frmMain>(host, dir.path());
        ASSERT_TRUE(window->Load());
        window->Show();
        form_driving::Pump();
    }
    void Apply() { form_driving::Click(window->Control(cmdSave)); }
    std::vector<std::wstring> Items(int list) const { return form_driving::ListItems(window->Control(list)); }
    std::wstring Text(int id) const { return form_driving::TextOf(window->Control(id)); }
    bool Checked(int id) const { return SendMessageW(window->Control(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }

    TempDir dir;
    RecordingHost host;
    std::unique_ptr<frmMain> window;
};

struct Case {
    const char* name;
    std::string stored;
    std::string saved;  // after Apply with nothing changed
};

// Files the editor reads as well as it can and writes back, keeping every
// line that is not one of its seven.
TEST_F(HostileFileTest, OddFilesKeepEveryForeignByte) {
    using namespace std::string_literals;
    const std::vector<Case> cases = {
        {"NUL bytes: a foreign line keeps them, a value ends at one",
         "[SETTING]\r\nSTART=True\r\nOwner=a\0b\r\nFreePath=|/a|/b\0c|\r\n"s,
         "[SETTING]\r\nSTART=True\r\nOwner=a\0b\r\nFreePath=|/a|\r\n"s + kAddedAfter + "FriendUrl=\r\n"},
        {"bytes that are no GBK, outside the seven values",
         "; \x81\xFF\xFE comment\r\n[SETTING]\r\nX=\xFF\x80\x81\r\nSTART=True\r\n",
         "; \x81\xFF\xFE comment\r\n[SETTING]\r\nX=\xFF\x80\x81\r\nSTART=True\r\n" + kAddedAfter +
             "FreePath=\r\nFriendUrl=\r\n"},
        {"LF line endings stay on the lines not written",
         "[SETTING]\nSTART=True\nFreePath=|/a|\n; tail\n",
         "[SETTING]\nSTART=True\r\nFreePath=|/a|\r\n; tail\n" + kAddedAfter + "FriendUrl=\r\n"},
        {"lone CR line endings as well",
         "[SETTING]\rSTART=True\rFreePath=|/a|\r; tail\r",
         "[SETTING]\rSTART=True\r\nFreePath=|/a|\r\n; tail\r" + kAddedAfter + "FriendUrl=\r\n"},
        {"no line ending after the last line",
         "[SETTING]\r\nSTART=True\r\nOwner=x",
         "[SETTING]\r\nSTART=True\r\nOwner=x\r\n" + kAddedAfter + "FreePath=\r\nFriendUrl=\r\n"},
        {"a header without its bracket names no section",
         "[SETTING\r\nSTART=True\r\n",
         "[SETTING\r\nSTART=True\r\n[SETTING]\r\nSTART=False\r\n" + kAddedAfter + "FreePath=\r\nFriendUrl=\r\n"},
        {"the section twice: the first counts, the second stays",
         "[SETTING]\r\nSTART=True\r\n[setting]\r\nSTART=False\r\nFreePath=|/second|\r\n",
         "[SETTING]\r\nSTART=True\r\n" + kAddedAfter +
             "FreePath=\r\nFriendUrl=\r\n[setting]\r\nSTART=False\r\nFreePath=|/second|\r\n"},
        {"each key twice: the first counts, the second stays",
         "[SETTING]\r\nSTART=False\r\nSTART=True\r\nFreePath=|/a|\r\nfreepath=|/b|\r\n",
         "[SETTING]\r\nSTART=False\r\nSTART=True\r\nFreePath=|/a|\r\nfreepath=|/b|\r\n" + kAddedAfter +
             "FriendUrl=\r\n"},
        {"keys before any section belong to none",
         "START=True\r\nFreePath=|/x|\r\n[SETTING]\r\nProtectGif=True\r\n",
         "START=True\r\nFreePath=|/x|\r\n[SETTING]\r\nProtectGif=True\r\nSTART=False\r\nProtectJpg=False\r\n"
         "ProtectJpeg=False\r\nRedirectFile=\r\nFreePath=\r\nFriendUrl=\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        host.messages.clear();
        Open(c.stored);
        Apply();
        EXPECT_TRUE(host.messages.empty());
        EXPECT_EQ(ReadBytes(dir.config()), c.saved);
        window.reset();
    }
}

TEST_F(HostileFileTest, WhatTheOddFilesShow) {
    using namespace std::string_literals;
    Open("[SETTING]\r\nSTART=True\r\nFreePath=|/a|/b\0c|\r\n"s);
    EXPECT_EQ(Items(List1), (std::vector<std::wstring>{L"/a"}));
    EXPECT_TRUE(Checked(Option1));
    Open("[SETTING]\rSTART=True\rFreePath=|/a|\r; tail\r");
    EXPECT_EQ(Items(List1), std::vector<std::wstring>{L"/a"});
    Open("[SETTING]\r\nSTART=False\r\nSTART=True\r\nFreePath=|/a|\r\nfreepath=|/b|\r\n");
    EXPECT_TRUE(Checked(Option2));
    EXPECT_EQ(Items(List1), std::vector<std::wstring>{L"/a"});
    Open("START=True\r\nFreePath=|/x|\r\n[SETTING]\r\nProtectGif=True\r\n");
    EXPECT_TRUE(Checked(Option2));
    EXPECT_TRUE(Checked(Check1_1));
    EXPECT_TRUE(Items(List1).empty());
}

TEST_F(HostileFileTest, AValueThatIsNoGbkIsShownButNotWrittenBack) {
    const std::string stored = "[SETTING]\r\nRedirectFile=/\xFF.gif\r\nFreePath=|/ok|/\xFF|\r\n";
    Open(stored);
    EXPECT_EQ(Text(txtRedirectFile), L"/\uFFFD.gif");
    EXPECT_EQ(Items(List1), (std::vector<std::wstring>{L"/ok", L"/\uFFFD"}));
    Apply();
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].title, L"错误");
    EXPECT_NE(host.messages[0].text.find(L"/\uFFFD.gif"), std::wstring::npos);
    EXPECT_EQ(ReadBytes(dir.config()), stored);
}

// Files that announce another coding by a byte-order mark: shown as far as
// GBK can show them, and never written, with a message that says why.
TEST_F(HostileFileTest, FilesInOtherCodingsAreShownAndLeftAlone) {
    const std::wstring text = L"[SETTING]\r\nSTART=True\r\nRedirectFile=/图.gif\r\nFreePath=|/a|/目录|\r\n; ☃\r\n";
    std::string utf16le = "\xFF\xFE", utf16be = "\xFE\xFF";
    for (const wchar_t c : text) {
        utf16le += static_cast<char>(c & 0xFF);
        utf16le += static_cast<char>(c >> 8);
        utf16be += static_cast<char>(c >> 8);
        utf16be += static_cast<char>(c & 0xFF);
    }
    const std::string utf8 =
        "\xEF\xBB\xBF[SETTING]\r\nSTART=True\r\nRedirectFile=/\xE5\x9B\xBE.gif\r\nFreePath=|/a|/\xE7\x9B\xAE\xE5\xBD\x95|\r\n"
        "; \xE2\x98\x83\r\n";
    const std::vector<std::pair<std::string, std::wstring>> files = {
        {utf8, L"UTF-8"}, {utf16le, L"UTF-16"}, {utf16be, L"UTF-16"}};
    for (const auto& [stored, coding] : files) {
        SCOPED_TRACE(testing::PrintToString(coding));
        host.messages.clear();
        Open(stored);
        EXPECT_TRUE(Checked(Option1));
        EXPECT_EQ(Text(txtRedirectFile), L"/图.gif");
        EXPECT_EQ(Items(List1), (std::vector<std::wstring>{L"/a", L"/目录"}));
        Apply();
        ASSERT_EQ(host.messages.size(), 1u);
        EXPECT_EQ(host.messages[0].title, L"澜星V3.0设置");
        EXPECT_NE(host.messages[0].text.find(coding + L"编码"), std::wstring::npos) << "the message names the coding";
        EXPECT_EQ(ReadBytes(dir.config()), stored);
        window.reset();
    }
}

TEST_F(HostileFileTest, LongLinesAndAHugeFile) {
    // A foreign line and a list value of a megabyte each; 40,000 items.
    std::string items = "|";
    std::vector<std::wstring> shown;
    for (int i = 0; i < 40000; ++i) {
        items += "/images/dir" + std::to_string(100000 + i) + "/x|";
        shown.push_back(L"/images/dir" + std::to_wstring(100000 + i) + L"/x");
    }
    const std::string canonical = "[SETTING]\r\nSTART=True\r\nProtectJpg=True\r\nProtectGif=False\r\nProtectJpeg=True\r\n"
                                  "RedirectFile=/no.gif\r\nFreePath=" + items + "\r\nFriendUrl=|a.org|\r\n";
    const std::string notes = "Notes=" + std::string(1 << 20, 'n') + "\r\n";
    Open(canonical + notes);
    EXPECT_EQ(Items(List1), shown);
    Apply();
    // Items of 19 bytes: the filter reads the closing bar of the 49th.
    EXPECT_EQ(host.messages, (std::vector<Shown>{
                                 {L"设置已保存，但过滤器每项设置只读取前999字节：\n目录列表太长，过滤器只读取前49个目录"
                                  L"（共40000个），从“/images/dir100049/x”起的目录不起作用。",
                                  L"提示"}}));
    EXPECT_EQ(ReadBytes(dir.config()), canonical + notes);
    window.reset();

    // 50 MB of a foreign section behind the settings: read, shown, and
    // written back exactly as it was.
    std::string log = "[LOG]\r\n";
    log.reserve(50u << 20);
    for (int i = 0; log.size() < (50u << 20); ++i) log += "line=" + std::to_string(i) + std::string(90, '.') + "\r\n";
    const std::string huge = "[SETTING]\r\nSTART=True\r\nProtectJpg=False\r\nProtectGif=False\r\nProtectJpeg=False\r\n"
                             "RedirectFile=\r\nFreePath=|/a|\r\nFriendUrl=\r\n" + log;
    host.messages.clear();
    Open(huge);
    EXPECT_EQ(Items(List1), std::vector<std::wstring>{L"/a"});
    Apply();
    EXPECT_TRUE(host.messages.empty());
    EXPECT_TRUE(ReadBytes(dir.config()) == huge);
}

// Where the file cannot be written, Apply says so, and why, and changes
// nothing.
TEST_F(HostileFileTest, FilesThatCannotBeWritten) {
    const auto failed = [](const std::wstring& cause) {
        return std::vector<Shown>{{L"写文件时出错\n" + cause, L"澜星V3.0设置"}};
    };
    const std::string stored = "[SETTING]\r\nSTART=True\r\n";

    // Config.ini is a folder.
    std::filesystem::create_directory(dir.config());
    OpenAsItIs();
    EXPECT_TRUE(Checked(Option2));
    Apply();
    EXPECT_EQ(host.messages, failed(L"Config.ini 是一个文件夹，不是文件。"));
    EXPECT_TRUE(std::filesystem::is_directory(dir.config()));
    window.reset();
    std::filesystem::remove(dir.config());

    // Held open by another program: one that shares it with nobody, and one
    // that lets others read it but not replace it.
    for (const DWORD sharing : {DWORD{0}, DWORD{FILE_SHARE_READ}}) {
        SCOPED_TRACE(sharing);
        host.messages.clear();
        Open(stored);
        handles::FileHandle held(
            CreateFileW(dir.config().c_str(), GENERIC_READ, sharing, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(held.valid());
        Apply();
        held.Close();
        EXPECT_EQ(host.messages, failed(L"Config.ini 正被其他程序使用：请关闭该程序后再试。"));
        EXPECT_EQ(ReadBytes(dir.config()), stored);
        EXPECT_EQ(testing_files::Entries(dir.path()), std::vector<std::string>{"Config.ini"});
    }

    // Its folder is gone: the system's own words for it.
    host.messages.clear();
    window = std::make_unique<frmMain>(host, dir.path() / "gone");
    ASSERT_TRUE(window->Load());
    Apply();
    wchar_t* text = nullptr;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                   ERROR_PATH_NOT_FOUND, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    ASSERT_NE(text, nullptr);
    std::wstring systemText = text;
    LocalFree(text);
    while (!systemText.empty() && std::iswspace(systemText.back())) systemText.pop_back();
    EXPECT_EQ(host.messages, failed(systemText));
}

// Where this user may not write: an immutable folder takes no new file, an
// immutable Config.ini may not be replaced, not even by root. Apply says so
// at once, as missing rights, and does not wait for them as it waits for
// another program's handle.
TEST_F(HostileFileTest, WhereTheRightsAreMissing) {
    const std::string stored = "[SETTING]\r\nSTART=True\r\n";
    const Shown noRights{L"写文件时出错\n没有写入权限：过滤器所在的文件夹通常要以管理员身份运行本程序才能写入。",
                         L"澜星V3.0设置"};
    for (const bool folder : {true, false}) {
        SCOPED_TRACE(folder ? "an immutable folder" : "an immutable Config.ini");
        host.messages.clear();
        Open(stored);
        linux_host::Immutable locked({folder ? dir.path() : dir.config()});
        if (!locked.made()) GTEST_SKIP() << "nothing can be made immutable here (needs Wine, root and ext4)";
        Apply();
        ASSERT_TRUE(locked.Undo());
        EXPECT_EQ(host.messages, std::vector<Shown>{noRights});
        EXPECT_EQ(ReadBytes(dir.config()), stored);
        EXPECT_EQ(testing_files::Entries(dir.path()), std::vector<std::string>{"Config.ini"});
        window.reset();
    }
}

// A file system of 64 KB in memory, mounted on a folder.
class SmallDisk {
public:
    explicit SmallDisk(const std::filesystem::path& folder) : unixFolder_(linux_host::UnixName(folder)) {
        mounted_ = !unixFolder_.empty() && linux_host::Run(L"mount -t tmpfs -o size=64k tmpfs '" + unixFolder_ + L"'") == 0;
    }
    ~SmallDisk() { EXPECT_TRUE(Unmount()) << "the small disk stays mounted on " << unixFolder_; }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool mounted() const { return mounted_; }
    // Unmounts it as soon as nothing holds it; false when something still
    // does after ten seconds.
    bool Unmount() {
        if (mounted_) {
            mounted_ = linux_host::Run(L"for i in $(seq 100); do umount '" + unixFolder_ +
                                       L"' && exit 0; sleep 0.1; done; exit 1") != 0;
        }
        return !mounted_;
    }

private:
    std::wstring unixFolder_;
    bool mounted_ = false;
};

// Takes all the room that is left in a folder.
void Fill(const std::filesystem::path& folder) {
    const handles::FileHandle file(
        CreateFileW((folder / L"filler").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
    const std::string block(4096, 'x');
    DWORD written = 0;
    for (size_t size = block.size(); size > 0; size /= 2) {
        while (WriteFile(file.get(), block.data(), static_cast<DWORD>(size), &written, nullptr) && written == size) {
        }
    }
}

TEST_F(HostileFileTest, ADiskThatIsFull) {
    const std::string stored = "[SETTING]\r\nSTART=True\r\n";
    const std::filesystem::path folder = dir.path() / "disk";
    std::filesystem::create_directory(folder);
    SmallDisk disk(folder);
    if (!disk.mounted()) GTEST_SKIP() << "no file system can be mounted here (needs Wine and root)";
    WriteBytes(folder / "Config.ini", stored);
    Fill(folder);
    window = std::make_unique<frmMain>(host, folder);
    ASSERT_TRUE(window->Load());
    Apply();
    EXPECT_EQ(host.messages, (std::vector<Shown>{{L"写文件时出错\n磁盘已满：请腾出空间后再试。", L"澜星V3.0设置"}}));
    EXPECT_EQ(ReadBytes(folder / "Config.ini"), stored);
    EXPECT_EQ(testing_files::Entries(folder), (std::vector<std::string>{"Config.ini", "filler"}));
    window.reset();
    EXPECT_TRUE(disk.Unmount()) << "something still holds the small disk";
}

}  // namespace
