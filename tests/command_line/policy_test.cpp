// One policy for many servers: export, import and diff, and the answers in
// JSON read by a parser of another make. Each run a process of its own, as
// the README's examples run them.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "linux_host.h"
#include "run_command.h"
#include "settings_store.h"
#include "test_files.h"

namespace {

using command_runs::Cmd;
using command_runs::Outcome;
using command_runs::StartsWith;
using testing_files::ReadBytes;
using testing_files::TempDir;
using testing_files::WriteBytes;

// A policy with Chinese in a text and in a list, and a list past the
// filter's 999 bytes.
std::string PolicyFile() {
    std::string sites = "|";
    for (int i = 0; i < 60; ++i) sites += "www.site" + std::to_string(1000 + i) + ".com.cn|";
    return "[SETTING]\r\nSTART=True\r\nProtectJpg=True\r\nProtectGif=False\r\nProtectJpeg=True\r\n"
           "RedirectFile=/\xB7\xC0\xB5\xC1\xC1\xB4.gif\r\nFreePath=|/img|/\xCD\xBC\xC6\xAC|\r\nFriendUrl=" +
           sites + "\r\n";
}

// A server's Config.ini with lines of other tools around the seven keys.
const std::string kServer = "; deployed by hand\r\n[SETTING]\r\nSTART=False\r\nOwner=web\r\nFreePath=|/old|\r\n"
                            "[Other]\r\nKey=1\r\n";

// Exported from one server and imported into another, empty folder: the
// same seven values. Imported again: nothing to do, nothing written.
TEST(Policy, ExportedSettingsImportAndImportAgainChangesNothing) {
    TempDir from, to;
    WriteBytes(from.config(), PolicyFile());
    const Outcome toStdout = Cmd({L"export"}, from.path());
    EXPECT_EQ(toStdout.code, 0);
    const auto policy = from.path() / "policy.ini";
    const Outcome toFile = Cmd({L"export", policy.native()}, from.path());
    EXPECT_EQ(toFile.code, 0) << testing::PrintToString(toFile.err);
    EXPECT_EQ(ReadBytes(policy), toStdout.bytes) << "the same bytes to a file and to standard output";
    EXPECT_EQ(toStdout.bytes.rfind("[SETTING]\r\nSTART=True\r\nProtectJpg=True\r\n", 0), 0u);
    EXPECT_EQ(settings::LoadSettingsFile(policy), settings::LoadSettings(from.path()));

    const Outcome first = Cmd({L"import", policy.native()}, to.path());
    EXPECT_EQ(first.code, 0) << testing::PrintToString(first.err);
    EXPECT_TRUE(StartsWith(first.out, L"changed: START, ProtectJpg, ProtectJpeg, RedirectFile, FreePath, FriendUrl\r\n"))
        << testing::PrintToString(first.out);
    EXPECT_NE(first.out.find(L"友情站点列表太长"), std::wstring::npos) << "the 999-byte limit is told";
    EXPECT_EQ(settings::LoadSettings(to.path()), settings::LoadSettings(from.path()));
    const std::string saved = ReadBytes(to.config());
    const Outcome again = Cmd({L"import", policy.native()}, to.path());
    EXPECT_EQ(again.code, 0);
    EXPECT_TRUE(StartsWith(again.out, L"unchanged: ")) << testing::PrintToString(again.out);
    EXPECT_EQ(ReadBytes(to.config()), saved);
}

// Imported from a share as the README's examples do, into a file that other
// tools keep lines in: those lines stay byte for byte.
TEST(Policy, AnImportFromAShareKeepsEveryOtherLine) {
    TempDir share, server;
    WriteBytes(share.path() / "hotlink.ini", "[SETTING]\r\nSTART=True\r\nFreePath=|/img|\r\n");
    WriteBytes(server.config(), kServer);
    const linux_host::Share shared(share.path());
    if (!shared.made()) GTEST_SKIP() << "no share can be made here (needs Wine)";
    const Outcome run = Cmd({L"import", shared.root() + L"\\hotlink.ini"}, server.path());
    EXPECT_EQ(run.code, 0) << testing::PrintToString(run.err);
    EXPECT_EQ(run.out, L"changed: START, FreePath\r\n");
    EXPECT_EQ(ReadBytes(server.config()),
              "; deployed by hand\r\n[SETTING]\r\nSTART=True\r\nOwner=web\r\nFreePath=|/img|\r\n"
              "ProtectJpg=False\r\nProtectGif=False\r\nProtectJpeg=False\r\nRedirectFile=\r\nFriendUrl=\r\n"
              "[Other]\r\nKey=1\r\n");
}

// A policy the window would not save from: another coding, or text that
// code page 936 cannot hold. Refused, and nothing written.
TEST(Policy, AFileTheWindowRefusesIsRefused) {
    TempDir dir;
    WriteBytes(dir.config(), kServer);
    const struct {
        const char* name;
        std::string file;
        std::wstring says;
    } refused[] = {
        {"UTF-8 with its mark", "\xEF\xBB\xBF[SETTING]\r\nSTART=True\r\n", L"UTF-8编码的文件"},
        {"UTF-16", std::string("\xFF\xFE[\0S\0E\0T\0T\0I\0N\0G\0]\0", 20), L"UTF-16"},
        {"bytes that are no GBK", "[SETTING]\r\nRedirectFile=/\xFF.gif\r\n", L"不能保存的字符"},
    };
    for (const auto& c : refused) {
        SCOPED_TRACE(c.name);
        WriteBytes(dir.path() / "policy.ini", c.file);
        const Outcome run = Cmd({L"import", (dir.path() / "policy.ini").native()}, dir.path());
        EXPECT_EQ(run.code, 2);
        EXPECT_NE(run.err.find(c.says), std::wstring::npos) << testing::PrintToString(run.err);
        EXPECT_EQ(ReadBytes(dir.config()), kServer);
    }
    EXPECT_EQ(Cmd({L"import", (dir.path() / "none.ini").native()}, dir.path()).code, 2);
    EXPECT_EQ(testing_files::Entries(dir.path()), (std::vector<std::string>{"Config.ini", "policy.ini"}));
}

// diff: 0 when the settings are the same, however written; 1 with each key
// that differs, and for a list what stands only here and only there; 2 for
// a file that cannot be read.
TEST(Policy, DiffTellsWhatDiffers) {
    TempDir dir;
    WriteBytes(dir.config(), kServer);
    const auto policy = dir.path() / "policy.ini";
    WriteBytes(policy, "[setting]\r\nstart=false\r\nFreePath=x|/old|\r\n");
    Outcome run = Cmd({L"diff", policy.native()}, dir.path());
    EXPECT_EQ(run.code, 0) << testing::PrintToString(run.out);

    WriteBytes(policy, "[SETTING]\r\nSTART=True\r\nFreePath=|/new|/\xCD\xBC\xC6\xAC|\r\nRedirectFile=/no.gif\r\n");
    run = Cmd({L"diff", policy.native()}, dir.path());
    EXPECT_EQ(run.code, 1);
    EXPECT_EQ(run.out,
              L"START：本机 False，文件 True\r\nRedirectFile：本机“”，文件“/no.gif”\r\n"
              L"FreePath：\r\n  只在本机：/old\r\n  只在文件：/new\r\n  只在文件：/图片\r\n");

    WriteBytes(dir.config(), "[SETTING]\r\nFreePath=|/b|/a|\r\n");
    WriteBytes(policy, "[SETTING]\r\nFreePath=|/a|/b|\r\n");
    run = Cmd({L"diff", policy.native()}, dir.path());
    EXPECT_EQ(run.code, 1);
    EXPECT_EQ(run.out, L"FreePath：项相同，顺序不同\r\n");

    run = Cmd({L"diff", (dir.path() / "none.ini").native()}, dir.path());
    EXPECT_EQ(run.code, 2);
    EXPECT_NE(run.err.find(L"文件不存在"), std::wstring::npos);
}

// What Python's json module reads of a command's --json answer, keys sorted.
std::string AsPythonReadsIt(const Outcome& run) {
    EXPECT_EQ(run.bytes.find_first_of("\r\n"), run.bytes.size() - 2) << "one line";
    for (const char c : run.bytes) EXPECT_LT(static_cast<unsigned char>(c), 0x80) << "ASCII alone";
    return linux_host::ReadByPython(run.bytes);
}

// Every command that answers in JSON, read by a parser of another make: the
// values as the file holds them, lists as arrays, flags as booleans, and
// Chinese intact. Run under code page 936 and under 1252 alike.
TEST(PolicyJson, EveryAnswerParsesWithTheChineseIntact) {
    if (linux_host::ReadByPython("{}") != "{}") GTEST_SKIP() << "Python cannot be run here (needs Wine)";
    TempDir dir;
    WriteBytes(dir.config(), "[SETTING]\r\nSTART=True\r\nRedirectFile=/\xB7\xC0\xB5\xC1\xC1\xB4.gif\r\n"
                             "FreePath=|/img|/\xCD\xBC\xC6\xAC|\r\nFriendUrl=|x.org|x.org|\r\n");
    EXPECT_EQ(AsPythonReadsIt(Cmd({L"get", L"--json"}, dir.path())),
              u8R"({"FreePath":["/img","/图片"],"FriendUrl":["x.org","x.org"],"ProtectGif":false,)"
              u8R"("ProtectJpeg":false,"ProtectJpg":false,"RedirectFile":"/防盗链.gif","START":true})");
    EXPECT_EQ(AsPythonReadsIt(Cmd({L"get", L"FreePath", L"--json"}, dir.path())), u8R"({"FreePath":["/img","/图片"]})");

    const auto policy = dir.path() / "policy.ini";
    WriteBytes(policy, "[SETTING]\r\nSTART=True\r\nFreePath=|/img|/\xC4\xBF\xC2\xBC|\r\nRedirectFile=/\xB7\xC0\xB5\xC1\xC1\xB4.gif\r\n"
                       "FriendUrl=|x.org|x.org|\r\n");
    const Outcome diff = Cmd({L"diff", policy.native(), L"--json"}, dir.path());
    EXPECT_EQ(diff.code, 1);
    EXPECT_EQ(AsPythonReadsIt(diff),
              u8R"({"differences":[{"here":["/img","/图片"],"key":"FreePath","onlyHere":["/图片"],)"
              u8R"("onlyThere":["/目录"],"orderDiffers":false,"there":["/img","/目录"]}],"equal":false})");

    const Outcome check = Cmd({L"check", L"--json"}, dir.path());
    const std::string read = AsPythonReadsIt(check);
    EXPECT_NE(read.find(u8R"("FreePath":{"editor":"|/img|/图片|")"), std::string::npos) << read;
    EXPECT_NE(read.find(R"("disagreements":[])"), std::string::npos) << read;
    EXPECT_NE(read.find(R"("warnings":[)"), std::string::npos) << read;

    // A command without JSON says so.
    EXPECT_EQ(Cmd({L"set", L"START", L"True", L"--json"}, dir.path()).code, 2);
}

}  // namespace
