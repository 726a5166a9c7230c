// HotlinkConfigCmd.exe run as scripts run it, each time a process of its
// own with its output redirected to files: what it prints, its exit codes,
// and what it leaves in Config.ini.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "child_process.h"
#include "handles.h"
#include "linux_host.h"
#include "run_command.h"
#include "settings_store.h"
#include "test_files.h"
#include "version.h"

namespace {

namespace fs = std::filesystem;
using testing_files::ReadBytes;
using testing_files::TempDir;
using testing_files::WriteBytes;

using command_runs::Cmd;
using command_runs::Outcome;
using command_runs::StartsWith;

// set, add and remove, each twice: the first changes, the second says it
// has nothing to change; both exit 0. Then the file holds what they said.
TEST(CommandLine, ChangesSayChangedOrUnchangedAndCanBeRunTwice) {
    TempDir dir;
    const struct {
        std::vector<std::wstring> arguments;
        std::wstring said;  // what the first run prints
    } changes[] = {
        {{L"set", L"START", L"true"}, L"changed: START=True"},
        {{L"set", L"protectgif", L"TRUE"}, L"changed: ProtectGif=True"},
        {{L"set", L"RedirectFile", L"  /防盗链.gif  "}, L"changed: RedirectFile=/防盗链.gif"},
        {{L"add", L"FreePath", L"/图片"}, L"changed: 已向 FreePath 添加“/图片”"},
        {{L"add", L"FreePath", L"/img"}, L"changed: 已向 FreePath 添加“/img”"},
        {{L"add", L"FriendUrl", L"www.example.com"}, L"changed: 已向 FriendUrl 添加“www.example.com”"},
        {{L"remove", L"FreePath", L"/img"}, L"changed: 已从 FreePath 移除“/img”"},
    };
    for (const auto& c : changes) {
        SCOPED_TRACE(testing::PrintToString(c.arguments));
        const Outcome first = Cmd(c.arguments, dir.path());
        EXPECT_EQ(first.code, 0) << testing::PrintToString(first.err);
        EXPECT_EQ(first.out, c.said + L"\r\n");
        const std::string saved = ReadBytes(dir.config());
        const Outcome again = Cmd(c.arguments, dir.path());
        EXPECT_EQ(again.code, 0);
        EXPECT_TRUE(StartsWith(again.out, L"unchanged: ")) << testing::PrintToString(again.out);
        EXPECT_EQ(ReadBytes(dir.config()), saved) << "a second run writes nothing";
    }
    settings::ProtectionSettings expected;
    expected.enabled = expected.protectGif = true;
    expected.redirectFile = L"/防盗链.gif";
    expected.freePaths = {L"/图片"};
    expected.friendUrls = {L"www.example.com"};
    EXPECT_EQ(settings::LoadSettings(dir.path()), expected);

    // get shows it as the editor shows it: all keys, or one; a list an item
    // a line.
    EXPECT_EQ(Cmd({L"get"}, dir.path()).out,
              L"START=True\r\nProtectJpg=False\r\nProtectGif=True\r\nProtectJpeg=False\r\n"
              L"RedirectFile=/防盗链.gif\r\nFreePath=|/图片|\r\nFriendUrl=|www.example.com|\r\n");
    EXPECT_EQ(Cmd({L"get", L"redirectfile"}, dir.path()).out, L"/防盗链.gif\r\n");
    Cmd({L"add", L"FreePath", L"/pic"}, dir.path());
    EXPECT_EQ(Cmd({L"get", L"FreePath"}, dir.path()).out, L"/图片\r\n/pic\r\n");

    // An item that a hand put in twice goes with both copies.
    WriteBytes(dir.config(), "[SETTING]\r\nFreePath=|/a|/b|/a|\r\n");
    EXPECT_EQ(Cmd({L"remove", L"FreePath", L"/a"}, dir.path()).code, 0);
    EXPECT_EQ(Cmd({L"get", L"FreePath"}, dir.path()).out, L"/b\r\n");
}

// Bad input: one line on standard error, nothing on standard output, a
// non-zero exit, and the file as it was.
TEST(CommandLine, BadInputIsOneLineOfErrorAndChangesNothing) {
    TempDir dir;
    const std::string stored = "[SETTING]\r\nSTART=True\r\nFreePath=|/img|\r\n";
    WriteBytes(dir.config(), stored);
    const struct {
        std::vector<std::wstring> arguments;
        int code;
        std::wstring says;  // a part of the error line
    } bad[] = {
        {{L"start"}, 2, L"未知的命令“start”"},
        {{L"get", L"Colour"}, 2, L"未知的键“Colour”"},
        {{L"set", L"START", L"yes"}, 2, L"只能是 True 或 False"},
        {{L"set", L"START"}, 2, L"需要两个参数"},
        {{L"set", L"FreePath", L"|/a|"}, 2, L"是列表"},
        {{L"add", L"START", L"x"}, 2, L"不是列表"},
        {{L"add", L"FreePath", L"img"}, 2, L"目录格式不正确"},
        {{L"add", L"FriendUrl", L"a.org|b.org"}, 2, L"不能含有“|”"},
        {{L"add", L"FriendUrl", L"  "}, 2, L"友情站点不能为空"},
        {{L"set", L"RedirectFile", L"/\uD55C.gif"}, 2, L"不能保存的字符"},
        // Words are text: a letter that only looks like, or narrows to, an
        // ASCII one makes another word.
        {{L"set", L"START", L"\u0174rue"}, 2, L"只能是 True 或 False"},
        {{L"set", L"\u015Dtart", L"True"}, 2, L"未知的键"},
        {{L"get", L"\uFF33TART"}, 2, L"未知的键"},
        {{L"\u017Fet", L"START", L"True"}, 2, L"未知的命令"},
    };
    for (const auto& c : bad) {
        SCOPED_TRACE(testing::PrintToString(c.arguments));
        const Outcome run = Cmd(c.arguments, dir.path());
        EXPECT_EQ(run.code, c.code);
        EXPECT_TRUE(run.out.empty());
        EXPECT_TRUE(StartsWith(run.err, L"错误：")) << testing::PrintToString(run.err);
        EXPECT_NE(run.err.find(c.says), std::wstring::npos) << testing::PrintToString(run.err);
        EXPECT_EQ(run.err.find(L"\r\n"), run.err.size() - 2) << "one line";
        EXPECT_EQ(ReadBytes(dir.config()), stored);
    }

    // A file that cannot be written: read-only, or held by another program.
    testing_files::MakeReadOnly(dir.config());
    Outcome run = Cmd({L"set", L"START", L"False"}, dir.path());
    EXPECT_EQ(run.code, 3);
    EXPECT_NE(run.err.find(L"只读"), std::wstring::npos) << testing::PrintToString(run.err);
    SetFileAttributesW(dir.config().c_str(), FILE_ATTRIBUTE_NORMAL);
    handles::FileHandle held(CreateFileW(dir.config().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held.valid());
    run = Cmd({L"add", L"FreePath", L"/new"}, dir.path());
    held.Close();
    EXPECT_EQ(run.code, 3);
    EXPECT_NE(run.err.find(L"无法读取"), std::wstring::npos) << testing::PrintToString(run.err);
    EXPECT_EQ(ReadBytes(dir.config()), stored);
    // One that this user may not replace: missing rights, said at once.
    if (linux_host::Immutable locked({dir.config()}); locked.made()) {
        run = Cmd({L"set", L"START", L"False"}, dir.path());
        ASSERT_TRUE(locked.Undo());
        EXPECT_EQ(run.code, 3);
        EXPECT_NE(run.err.find(L"没有写入权限"), std::wstring::npos) << testing::PrintToString(run.err);
        EXPECT_EQ(ReadBytes(dir.config()), stored);
    }
    EXPECT_EQ(testing_files::Entries(dir.path()), std::vector<std::string>{"Config.ini"});
}

TEST(CommandLine, UsageVersionAndTheProgramsOwnFolder) {
    const std::wstring nameAndVersion = L"HotlinkConfigCmd " HOTLINK_VERSION;
    for (const wchar_t* help : {L"/?", L"--help"}) {
        const Outcome run = Cmd({help});
        EXPECT_EQ(run.code, 0);
        EXPECT_TRUE(StartsWith(run.out, nameAndVersion + L"：")) << testing::PrintToString(run.out);
    }
    for (const wchar_t* version : {L"--version", L"/version"}) {
        const Outcome run = Cmd({version});
        EXPECT_EQ(run.code, 0);
        EXPECT_EQ(run.out, nameAndVersion + L"\r\n");
    }
    // Without /dir: Config.ini beside the program.
    TempDir dir;
    ASSERT_TRUE(CopyFileW(command_runs::Program().c_str(), (dir.path() / L"HotlinkConfigCmd.exe").c_str(), FALSE));
    testing_files::ChildProcess process(dir.path() / L"HotlinkConfigCmd.exe", {L"set", L"ProtectJpg", L"True"});
    EXPECT_EQ(process.Wait(), 0);
    EXPECT_TRUE(settings::LoadSettings(dir.path()).protectJpg);
}

// check against this machine's profile reader: no disagreement on any file
// of the fuzzing corpus, and the warnings that are due.
TEST(CommandLine, CheckAgreesWithTheProfileReaderAndWarnsWhereDue) {
    TempDir dir;
    const fs::path corpus = testing_files::Companion(L"check-corpus", HOTLINK_CHECK_CORPUS);
    ASSERT_TRUE(fs::is_directory(corpus)) << "the corpus beside the test";
    for (const auto& entry : fs::directory_iterator(corpus)) {
        SCOPED_TRACE(entry.path().filename().u8string());
        WriteBytes(dir.config(), ReadBytes(entry.path()));
        const Outcome run = Cmd({L"check"}, dir.path());
        EXPECT_NE(run.code, 2) << testing::PrintToString(run.out) << testing::PrintToString(run.err);
        EXPECT_EQ(run.out.find(L"不一致："), std::wstring::npos);
    }

    std::string sites = "|";
    for (int i = 0; i < 60; ++i) sites += "www.site" + std::to_string(1000 + i) + ".com.cn|";
    const struct {
        const char* name;
        std::string file;
        std::wstring warning;
    } due[] = {
        {"no file", "", L"Config.ini 不存在"},
        {"no section", "[SETTINGS]\r\nSTART=True\r\n", L"没有 [SETTING] 节"},
        {"a key twice", "[SETTING]\r\nSTART=False\r\nSTART=True\r\n", L"START 在 [SETTING] 节里写了 2 次（第 2、3 行）"},
        {"a key without =", "[SETTING]\r\nSTART\r\nSTART=True\r\n", L"第 2 行的 START 没有“=”"},
        {"the section twice", "[SETTING]\r\n[setting]\r\n", L"另有 1 个 [SETTING] 节"},
        {"a byte-order mark", "\xEF\xBB\xBF[SETTING]\r\nSTART=True\r\n", L"UTF-8 的字节顺序标记"},
        {"bytes that are no GBK", "[SETTING]\r\nRedirectFile=/\xFF.gif\r\n", L"RedirectFile 含有不是 GBK 编码的字节"},
        {"a list past 999 bytes", "[SETTING]\r\nFriendUrl=" + sites + "\r\n",
         L"友情站点列表太长，过滤器只读取前49个站点（共60个），从“www.site1049.com.cn”起的站点不起作用。"},
    };
    for (const auto& c : due) {
        SCOPED_TRACE(c.name);
        std::error_code ignored;
        fs::remove(dir.config(), ignored);
        if (!c.file.empty()) WriteBytes(dir.config(), c.file);
        const Outcome run = Cmd({L"check"}, dir.path());
        EXPECT_EQ(run.code, 1) << testing::PrintToString(run.out) << testing::PrintToString(run.err);
        EXPECT_NE(run.out.find(c.warning), std::wstring::npos) << testing::PrintToString(run.out);
        EXPECT_NE(run.out.find(L"检查完毕：0 处不一致"), std::wstring::npos);
    }
    WriteBytes(dir.config(), "[SETTING]\r\nSTART=True\r\nFreePath=|/\xCD\xBC\xC6\xAC|\r\n");  // 图片
    const Outcome clean = Cmd({L"check"}, dir.path());
    EXPECT_EQ(clean.code, 0);
    EXPECT_NE(clean.out.find(L"FreePath\r\n  过滤器读取：|/图片|\r\n  编辑器读取：|/图片|\r\n"), std::wstring::npos)
        << testing::PrintToString(clean.out);
    EXPECT_NE(clean.out.find(L"本机的 ANSI 代码页：936"), std::wstring::npos);
}

}  // namespace
