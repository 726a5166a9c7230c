// HotlinkConfigCmd: the settings of Config.ini from the command line, for
// scripts and for many servers; the same storage and the same save as the
// editor beside it.
#include <windows.h>

#include <algorithm>
#include <new>
#include <string>
#include <string_view>

#include "commands.h"
#include "console.h"
#include "settings_store.h"
#include "version.h"

namespace command_line {
namespace {

constexpr wchar_t kNameAndVersion[] = L"HotlinkConfigCmd " HOTLINK_VERSION;

// The commands: the usage, the check of how many arguments each takes, and
// the dispatch all read this table.
struct Command {
    const char* name;
    size_t fewest, most;     // arguments it takes
    bool json;               // whether it answers in JSON with --json
    const wchar_t* syntax;   // its arguments in the usage
    const wchar_t* example;  // a whole command line, for the error of a wrong count
    const wchar_t* purpose;
    int (*run)(const Invocation& call);
};

const Command kCommands[] = {
    {"check", 0, 0, true, L"", L"check", L"按本机过滤器的读法检查 Config.ini", Check},
    {"get", 0, 1, true, L"[键]", L"get FreePath", L"显示全部设置，或一个键的值（列表每行一项）", Get},
    {"set", 2, 2, false, L"键 值", L"set START True", L"把开关设为 True 或 False，或设置 RedirectFile", Set},
    {"add", 2, 2, false, L"键 项", L"add FreePath /img", L"向 FreePath 或 FriendUrl 添加一项", Add},
    {"remove", 2, 2, false, L"键 项", L"remove FreePath /img", L"从 FreePath 或 FriendUrl 移除一项", Remove},
    {"export", 0, 1, false, L"[文件]", L"export policy.ini", L"把七项设置写成单独的 Config.ini（到文件或标准输出）",
     Export},
    {"import", 1, 1, false, L"文件", L"import \\\\server\\share\\hotlink.ini", L"把本机的七项设置改成文件中的设置",
     Import},
    {"diff", 1, 1, true, L"文件", L"diff \\\\server\\share\\hotlink.ini", L"比较本机的设置和文件中的设置", Diff},
};

std::wstring Widened(std::string_view ascii) { return std::wstring(ascii.begin(), ascii.end()); }

// A line of the usage: the command line, and from the 48th column of a
// console (where a Chinese character takes two) what it does.
std::wstring UsageLine(const std::wstring& commandLine, const wchar_t* purpose) {
    size_t columns = 0;
    for (const wchar_t c : commandLine) columns += c < 0x1100 ? 1 : 2;
    return commandLine + std::wstring(columns < 46 ? 48 - columns : 2, L' ') + purpose + L"\n";
}

std::wstring Usage() {
    std::wstring usage = L"HotlinkConfigCmd " HOTLINK_VERSION L"：在命令行中查看和修改防盗链过滤器的设置（Config.ini）。\n\n";
    for (const Command& c : kCommands) {
        usage += UsageLine(L"  HotlinkConfigCmd " + Widened(c.name) + (*c.syntax ? L" " : L"") + c.syntax +
                               (c.json ? L" [--json]" : L"") + L" [/dir:文件夹]",
                           c.purpose);
    }
    return usage + UsageLine(L"  HotlinkConfigCmd --version", L"显示程序名和版本") +
           L"\n"
           L"键：START ProtectJpg ProtectGif ProtectJpeg RedirectFile FreePath FriendUrl（不分大小写）。\n"
           L"/dir:文件夹  Config.ini 所在的文件夹，默认为本程序所在的文件夹。\n"
           L"--json      输出一个 JSON 对象（只含 ASCII 字符），供 PowerShell 的 ConvertFrom-Json 等使用。\n"
           L"以“/”开头的项（如 /img）不是选项；“--”之后的参数都不是选项。\n"
           L"\n"
           L"set、add、remove、import 改了文件时输出 changed，无需改动时输出 unchanged，都以 0 退出。\n"
           L"退出代码：0 完成；1 check 有警告，diff 发现不同；2 参数或值不对，check 发现不一致或读不了文件；\n"
           L"3 文件无法保存；4 程序内部出错（如内存不足）。";
}

// The error of a command given too few or too many arguments.
int WrongCount(const Command& c) {
    static const wchar_t* const kNumbers[] = {L"零", L"一", L"两", L"三"};
    const std::wstring name = Widened(c.name);
    if (c.most == 0) return Fail(name + L" 不带参数。");
    const std::wstring count = (c.fewest == c.most ? L"需要" : L"最多带") + std::wstring(kNumbers[c.most]) + L"个参数";
    return Fail(name + L" " + count + L"：HotlinkConfigCmd " + name + L" " + c.syntax + L"，例如 HotlinkConfigCmd " +
                c.example + L"。");
}

bool IsHelp(const std::wstring& argument) {
    return argument == L"/?" || argument == L"-?" || argument == L"-h" || argument == L"--help" ||
           argument == L"/help" || argument == L"/HELP";
}

bool IsVersion(const std::wstring& argument) { return IsWord(argument, "--version") || IsWord(argument, "/version"); }

// "/dir:FOLDER", "--dir=FOLDER": the folder; nothing for any other argument.
bool TakeFolder(const std::wstring& argument, std::wstring& folder) {
    for (const std::string_view prefix : {"/dir:", "--dir="}) {
        if (argument.size() > prefix.size() && IsWord(std::wstring_view(argument).substr(0, prefix.size()), prefix)) {
            folder = argument.substr(prefix.size());
            return true;
        }
    }
    return false;
}

int Run(int argc, wchar_t** argv) {
    std::wstring command, folder;
    Invocation call;
    bool options = true;
    for (int i = 1; i < argc; ++i) {
        const std::wstring argument = argv[i];
        if (options && argument == L"--") {
            options = false;
        } else if (options && IsHelp(argument)) {
            WriteLine(Usage());
            return kDone;
        } else if (options && IsVersion(argument)) {
            WriteLine(kNameAndVersion);
            return kDone;
        } else if (options && TakeFolder(argument, folder)) {
        } else if (options && (IsWord(argument, "--json") || IsWord(argument, "/json"))) {
            call.json = true;
        } else if (command.empty()) {
            command = argument;
        } else {
            call.arguments.push_back(argument);
        }
    }
    if (command.empty()) {
        WriteLine(Usage());
        return kBadInput;
    }
    for (const Command& c : kCommands) {
        if (!IsWord(command, c.name)) continue;
        if (call.arguments.size() < c.fewest || call.arguments.size() > c.most) return WrongCount(c);
        if (call.json && !c.json) {
            std::wstring those;
            for (const Command& other : kCommands) {
                if (other.json) those += (those.empty() ? L"" : L"、") + Widened(other.name);
            }
            return Fail(Widened(c.name) + L" 没有 JSON 输出：--json 只用于 " + those + L"。");
        }
        call.directory = folder.empty() ? settings::platform::ApplicationDirectory() : folder;
        return c.run(call);
    }
    return Fail(L"未知的命令“" + command + L"”：请用 HotlinkConfigCmd /? 查看用法。");
}

}  // namespace

bool IsWord(std::wstring_view argument, std::string_view word) {
    const auto lower = [](unsigned c) { return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c; };
    return argument.size() == word.size() &&
           std::equal(argument.begin(), argument.end(), word.begin(), [&](wchar_t a, char w) {
               return a < 0x80 && lower(a) == lower(static_cast<unsigned char>(w));
           });
}

const settings::SettingKey* FindKey(const std::wstring& name) {
    for (const settings::SettingKey& key : settings::kSettingKeys) {
        if (IsWord(name, key.name)) return &key;
    }
    Fail(L"未知的键“" + name + L"”：键是 START、ProtectJpg、ProtectGif、ProtectJpeg、RedirectFile、FreePath 或 FriendUrl。");
    return nullptr;
}

int Fail(const std::wstring& text, int code) {
    std::wstring line = L"错误：" + text;
    for (auto& c : line) {
        if (c == L'\n') c = L'：';
    }
    WriteErrorLine(line);
    return code;
}

bool ReadConfig(const settings::NativePath& directory, std::string& bytes) {
    const settings::NativePath file = settings::SettingsFilePath(directory);
    settings::platform::ErrorCode error = 0;
    switch (settings::platform::Inspect(file, error)) {
        case settings::platform::FileState::Missing:
            // A folder that is not there is no file to read or write.
            if (GetFileAttributesW(directory.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
            Fail(L"文件夹不存在：" + directory);
            return false;
        case settings::platform::FileState::NotAFile:
            Fail(L"Config.ini 是一个文件夹，不是文件：" + file);
            return false;
        case settings::platform::FileState::Unknown:
            break;
        case settings::platform::FileState::Writable:
        case settings::platform::FileState::ReadOnly:
            if (settings::platform::ReadWholeFile(file, bytes, error)) return true;
            break;
    }
    Fail(L"无法读取 " + file + L"：" + settings::platform::ErrorText(error));
    return false;
}

}  // namespace command_line

int wmain(int argc, wchar_t** argv) {
    // Whatever escapes ends the program with a code of its own and one line
    // that says so, never through abort() and its code 3.
    try {
        return command_line::Run(argc, argv);
    } catch (const std::bad_alloc&) {
        return command_line::Fail(L"程序内部出错：内存不足。", command_line::kInternal);
    } catch (...) {
        return command_line::Fail(L"程序内部出错。", command_line::kInternal);
    }
}
