#pragma once

#include <windows.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "handles.h"

// Other programs run by the tests and the benchmarks, each in a process of
// its own: the one way they start a program and wait for it.
namespace testing_files {

struct StartOptions {
    // The folder it starts in; empty: this program's.
    std::filesystem::path folder;
    // A console program's standard output and error go to files, read when
    // it has ended, and its input is empty. Otherwise (a window program) it
    // inherits this program's.
    bool captureOutput = true;
};

class ChildProcess {
public:
    // Starts `program` with `arguments`, each quoted where the C runtime
    // needs it to take it back as it is (and only there: a Linux program
    // started under Wine gets its arguments as they stand).
    ChildProcess(const std::filesystem::path& program, const std::vector<std::wstring>& arguments,
            const StartOptions& options = {});
    // A process that still runs is ended.
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool started() const { return process_.valid(); }
    DWORD id() const { return id_; }
    // Its handle, to wait on; it stays this object's.
    HANDLE handle() const { return process_.get(); }
    bool Running() const { return started() && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT; }
    // Its exit code once it has ended, within `timeoutMs`; nothing while it
    // runs on.
    std::optional<DWORD> WaitForExit(DWORD timeoutMs) const;
    // Waits for the end, up to `timeoutMs`: its exit code, or -1 when it did
    // not end in time (it is then ended) or never started; what it wrote can
    // then be read. Why it did not start or end is told in errors().
    int Wait(DWORD timeoutMs = 60000);
    const std::string& output() const { return output_; }
    const std::string& errors() const { return errors_; }
    // Lets it run on: this no longer ends it.
    void Release() { process_.reset(); }

private:
    handles::FileHandle process_;
    DWORD id_ = 0;
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
    CompanionEvents(const CompanionEvents&) = delete;
    CompanionEvents& operator=(const CompanionEvents&) = delete;

    const std::wstring& name() const { return name_; }
    bool WaitReady(DWORD timeoutMs = 20000) const { return WaitForSingleObject(ready_.get(), timeoutMs) == WAIT_OBJECT_0; }
    void Stop() const { SetEvent(stop_.get()); }

private:
    std::wstring name_;
    handles::FileHandle ready_, stop_;
};

}  // namespace testing_files
