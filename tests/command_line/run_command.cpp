#include "run_command.h"

#include <windows.h>

#include "child_process.h"

namespace command_runs {
namespace {

std::wstring FromCodePage(const std::string& bytes) {
    std::wstring text(bytes.size(), L'\0');
    text.resize(static_cast<size_t>(MultiByteToWideChar(936, 0, bytes.data(), static_cast<int>(bytes.size()),
                                                        text.data(), static_cast<int>(text.size()))));
    return text;
}

}  // namespace

const std::filesystem::path& Program() {
    static const std::filesystem::path program =
        testing_files::Companion(L"HotlinkConfigCmd.exe", HOTLINK_COMMAND_LINE);
    return program;
}

Outcome Cmd(std::vector<std::wstring> arguments, const std::filesystem::path& dir) {
    if (!dir.empty()) arguments.push_back(L"/dir:" + dir.native());
    testing_files::ChildProcess process(Program(), arguments);
    const int code = process.Wait();
    return {code, FromCodePage(process.output()), FromCodePage(process.errors()), process.output()};
}

}  // namespace command_runs
