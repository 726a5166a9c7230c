#pragma once

#include <windows.h>

#include "handles.h"

namespace startup {

// Tells whether another copy of the program runs in this user's session.
// The answer holds for as long as this object lives: keep it until the
// program ends.
class SingleInstance {
public:
    explicit SingleInstance(const wchar_t* name);
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    bool another_running() const { return anotherRunning_; }

private:
    handles::KernelObject mutex_;
    bool anotherRunning_ = false;
};

// The name the program's copies share in a session.
extern const wchar_t kProgramInstanceName[];

}  // namespace startup
