#include "single_instance.h"

namespace startup {

// "Local\" keeps the name within the user's session.
const wchar_t kProgramInstanceName[] = L"Local\\HotlinkConfig";

SingleInstance::SingleInstance(const wchar_t* name) {
    mutex_.reset(CreateMutexW(nullptr, FALSE, name));
    const DWORD error = GetLastError();
    // A mutex made by a copy running with other rights may be refused to
    // us; that copy runs all the same.
    anotherRunning_ = (mutex_ && error == ERROR_ALREADY_EXISTS) || (!mutex_ && error == ERROR_ACCESS_DENIED);
}

SingleInstance::~SingleInstance() = default;

}  // namespace startup
