#pragma once

#include <windows.h>

#include <filesystem>
#include <string>
#include <vector>

// Another Windows program run by a test, each in a process of its own: its
// standard output and error go to files that are read when it ends.
namespace testing_files {

class ChildProcess {
public:
    // Starts `program` with `arguments`, each quoted as the C runtime
    // unquotes it. The child's input is empty.
    ChildProcess(const std::filesystem::path& program, const std::vector<std::wstring>& arguments);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool started() const { return process_ != nullptr; }
    // Waits for the end, up to `timeoutMs`: its exit code, or -1 when it
    // did not end in time (it is then ended) or never started.
    int Wait(DWORD timeoutMs = 60000);
    // What it wrote, once it has ended.
    const std::string& output() const { return output_; }
    const std::string& errors() const { return errors_; }

private:
    HANDLE process_ = nullptr;
    std::filesystem::path outputFile_, errorFile_;
    std::string output_, errors_;
};

// A program the tests run: beside the test program when it stands there
// (as in the Windows test kit), otherwise where the build put it.
std::filesystem::path Companion(const wchar_t* name, const wchar_t* built);

// A pair of named events that a companion program opens by their name:
// NAME.ready, which it signals once it is under way, and NAME.stop, which
// tells it to end.
class CompanionEvents {
public:
    CompanionEvents();
    ~CompanionEvents();
    CompanionEvents(const CompanionEvents&) = delete;
    CompanionEvents& operator=(const CompanionEvents&) = delete;

    const std::wstring& name() const { return name_; }
    bool WaitReady(DWORD timeoutMs = 20000) const { return WaitForSingleObject(ready_, timeoutMs) == WAIT_OBJECT_0; }
    void Stop() const { SetEvent(stop_); }

private:
    std::wstring name_;
    HANDLE ready_ = nullptr, stop_ = nullptr;
};

}  // namespace testing_files
