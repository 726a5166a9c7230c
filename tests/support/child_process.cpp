#include "child_process.h"

#include <atomic>
#include <string>

#include "test_files.h"

namespace testing_files {
namespace {

// An argument as the C runtime's command-line parser gives it back.
std::wstring Quoted(const std::wstring& argument) {
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

ChildProcess::ChildProcess(const std::filesystem::path& program, const std::vector<std::wstring>& arguments)
    : outputFile_(FreshName(L".out")), errorFile_(FreshName(L".err")) {
    std::wstring commandLine = Quoted(program.native());
    for (const auto& argument : arguments) commandLine += L" " + Quoted(argument);
    const HANDLE input = InheritableFile(L"NUL", GENERIC_READ, OPEN_EXISTING);
    const HANDLE output = InheritableFile(outputFile_, GENERIC_WRITE, CREATE_ALWAYS);
    const HANDLE errors = InheritableFile(errorFile_, GENERIC_WRITE, CREATE_ALWAYS);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input;
    startup.hStdOutput = output;
    startup.hStdError = errors;
    PROCESS_INFORMATION info{};
    if (CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                       nullptr, &startup, &info)) {
        process_ = info.hProcess;
        CloseHandle(info.hThread);
    } else {
        errors_ = "(the test could not start it: error " + std::to_string(GetLastError()) + ")";
    }
    for (const HANDLE handle : {input, output, errors}) {
        if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
    }
}

ChildProcess::~ChildProcess() {
    if (process_) Wait(0);
    DeleteFileW(outputFile_.c_str());
    DeleteFileW(errorFile_.c_str());
}

int ChildProcess::Wait(DWORD timeoutMs) {
    if (!process_) return -1;
    DWORD code = static_cast<DWORD>(-1);
    const bool ended = WaitForSingleObject(process_, timeoutMs) == WAIT_OBJECT_0;
    if (!ended) {
        TerminateProcess(process_, code);
        WaitForSingleObject(process_, INFINITE);
    } else {
        GetExitCodeProcess(process_, &code);
    }
    CloseHandle(process_);
    process_ = nullptr;
    output_ = ReadBytes(outputFile_);
    errors_ = ReadBytes(errorFile_);
    if (!ended) errors_ += "(the test ended it after " + std::to_string(timeoutMs) + " ms)";
    return static_cast<int>(code);
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
    ready_ = CreateEventW(nullptr, TRUE, FALSE, (name_ + L".ready").c_str());
    stop_ = CreateEventW(nullptr, TRUE, FALSE, (name_ + L".stop").c_str());
}

CompanionEvents::~CompanionEvents() {
    for (const HANDLE event : {ready_, stop_}) {
        if (event) CloseHandle(event);
    }
}

}  // namespace testing_files
