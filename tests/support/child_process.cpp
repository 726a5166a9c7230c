#include "child_process.h"

#include <atomic>

#include "test_files.h"

namespace testing_files {
namespace {

// An argument as the C runtime's command-line parser gives it back; as it
// stands where it needs no quotes.
std::wstring Quoted(const std::wstring& argument) {
    if (!argument.empty() && argument.find_first_of(L" \t\"") == std::wstring::npos) return argument;
    std::wstring quoted = L"\"";
    size_t backslashes = 0;
    for (const wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(2 * backslashes, L'\\');
    return quoted + L"\"";
}

HANDLE InheritableFile(const std::filesystem::path& file, DWORD access, DWORD disposition) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    return CreateFileW(file.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, disposition,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

std::filesystem::path FreshName(const wchar_t* what) {
    static std::atomic<unsigned> counter{0};
    return std::filesystem::temp_directory_path() /
           (L"hotlink-child-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(counter++) + what);
}

}  // namespace

ChildProcess::ChildProcess(const std::filesystem::path& program, const std::vector<std::wstring>& arguments,
                 const StartOptions& options) {
    std::wstring commandLine = Quoted(program.native());
    for (const auto& argument : arguments) commandLine += L" " + Quoted(argument);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    handles::FileHandle input, output, errors;
    if (options.captureOutput) {
        outputFile_ = FreshName(L".out");
        errorFile_ = FreshName(L".err");
        input.reset(InheritableFile(L"NUL", GENERIC_READ, OPEN_EXISTING));
        output.reset(InheritableFile(outputFile_, GENERIC_WRITE, CREATE_ALWAYS));
        errors.reset(InheritableFile(errorFile_, GENERIC_WRITE, CREATE_ALWAYS));
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = input.get();
        startup.hStdOutput = output.get();
        startup.hStdError = errors.get();
    }
    const std::wstring folder = options.folder.native();
    PROCESS_INFORMATION info{};
    if (CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, options.captureOutput,
                       options.captureOutput ? CREATE_NO_WINDOW : 0, nullptr, folder.empty() ? nullptr : folder.c_str(),
                       &startup, &info)) {
        process_.reset(info.hProcess);
        handles::KernelObject(info.hThread).Close();
        id_ = info.dwProcessId;
    } else {
        errors_ = "(the test could not start it: error " + std::to_string(GetLastError()) + ")";
    }
}

ChildProcess::~ChildProcess() {
    if (Running()) {
        TerminateProcess(process_.get(), 99);
        WaitForSingleObject(process_.get(), 5000);
    }
    if (!outputFile_.empty()) DeleteFileW(outputFile_.c_str());
    if (!errorFile_.empty()) DeleteFileW(errorFile_.c_str());
}

std::optional<DWORD> ChildProcess::WaitForExit(DWORD timeoutMs) const {
    DWORD code = 0;
    if (!started() || WaitForSingleObject(process_.get(), timeoutMs) != WAIT_OBJECT_0 ||
        !GetExitCodeProcess(process_.get(), &code)) {
        return std::nullopt;
    }
    return code;
}

int ChildProcess::Wait(DWORD timeoutMs) {
    if (!started()) return -1;
    const std::optional<DWORD> code = WaitForExit(timeoutMs);
    if (!code) {
        TerminateProcess(process_.get(), static_cast<UINT>(-1));
        WaitForSingleObject(process_.get(), INFINITE);
    }
    process_.reset();
    if (!outputFile_.empty()) {
        output_ = ReadBytes(outputFile_);
        errors_ = ReadBytes(errorFile_);
    }
    if (!code) errors_ += "(the test ended it after " + std::to_string(timeoutMs) + " ms)";
    return code ? static_cast<int>(*code) : -1;
}

std::filesystem::path Companion(const wchar_t* name, const wchar_t* built) {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    const std::filesystem::path beside = std::filesystem::path(self).parent_path() / name;
    return std::filesystem::exists(beside) ? beside : std::filesystem::path(built);
}

CompanionEvents::CompanionEvents() {
    static std::atomic<unsigned> counter{0};
    name_ = L"hotlink-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(counter++);
    ready_.reset(CreateEventW(nullptr, TRUE, FALSE, (name_ + L".ready").c_str()));
    stop_.reset(CreateEventW(nullptr, TRUE, FALSE, (name_ + L".stop").c_str()));
}

}  // namespace testing_files
