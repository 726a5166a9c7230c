// Another program at Config.ini, for the tests of a file that is shared:
//
//   file_sharer read FILE EVENTS    reads the seven keys over and over as the
//                                   filter does: GetPrivateProfileStringA,
//                                   1000-byte buffer
//   file_sharer hold FILE EVENTS BURST GAP
//                                   opens the file for reading without delete
//                                   sharing, BURST ms at a time, GAP ms apart
//   file_sharer write FILE KEY VALUE
//                                   writes one key with the profile functions,
//                                   as a deployment tool does, and ends
//
// The loops signal the event EVENTS.ready once they are under way and stop
// when EVENTS.stop is signalled. Then they print what they saw:
//   passes N      rounds over the seven keys (read), or bursts (hold)
//   missing N     readings that got the default because the file was missing
//   refused N     readings that got the default for another reason
//   seen KEY=VALUE (N)   each value read, with how often
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

#include "handles.h"

namespace {

constexpr const char* kKeys[] = {"START", "ProtectJpg", "ProtectGif", "ProtectJpeg",
                                 "RedirectFile", "FreePath", "FriendUrl"};
// A default that no save writes.
constexpr char kAbsent[] = "\x01" "absent";

HANDLE Event(const std::string& events, const char* which) {
    return OpenEventA(SYNCHRONIZE | EVENT_MODIFY_STATE, FALSE, (events + "." + which).c_str());
}

// The two events, owned.
struct Events {
    explicit Events(const std::string& name) : ready(Event(name, "ready")), stop(Event(name, "stop")) {}
    bool valid() const { return ready.valid() && stop.valid(); }
    handles::KernelObject ready, stop;
};

int Read(const std::string& file, const std::string& events) {
    const Events named(events);
    if (!named.valid()) return 3;
    const HANDLE ready = named.ready.get(), stop = named.stop.get();
    long passes = 0, missing = 0, refused = 0;
    std::map<std::string, long> seen;
    char buffer[1000];
    do {
        for (const char* key : kKeys) {
            GetPrivateProfileStringA("SETTING", key, kAbsent, buffer, sizeof buffer, file.c_str());
            const DWORD error = GetLastError();
            if (std::string(buffer) != kAbsent) {
                ++seen[std::string(key) + "=" + buffer];
            } else if (error == ERROR_FILE_NOT_FOUND) {
                ++missing;
            } else {
                ++refused;
            }
        }
        if (++passes == 1) SetEvent(ready);
    } while (WaitForSingleObject(stop, 0) == WAIT_TIMEOUT);
    std::printf("passes %ld\nmissing %ld\nrefused %ld\n", passes, missing, refused);
    for (const auto& [value, count] : seen) std::printf("seen %s (%ld)\n", value.c_str(), count);
    return 0;
}

int Hold(const std::string& file, const std::string& events, DWORD burst, DWORD gap) {
    const Events named(events);
    if (!named.valid()) return 3;
    const HANDLE ready = named.ready.get(), stop = named.stop.get();
    long passes = 0;
    do {
        handles::FileHandle held(CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                             OPEN_EXISTING, 0, nullptr));
        if (held.valid()) {
            if (++passes == 1) SetEvent(ready);
            const DWORD stopped = WaitForSingleObject(stop, burst);
            held.Close();
            if (stopped == WAIT_OBJECT_0) break;
        }
    } while (WaitForSingleObject(stop, gap) == WAIT_TIMEOUT);
    std::printf("passes %ld\n", passes);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "read" && argc == 4) return Read(argv[2], argv[3]);
    if (mode == "hold" && argc == 6) {
        return Hold(argv[2], argv[3], static_cast<DWORD>(std::atol(argv[4])), static_cast<DWORD>(std::atol(argv[5])));
    }
    if (mode == "write" && argc == 5) return WritePrivateProfileStringA("SETTING", argv[3], argv[4], argv[2]) ? 0 : 1;
    std::fprintf(stderr, "usage: file_sharer read FILE EVENTS | hold FILE EVENTS BURST GAP | write FILE KEY VALUE\n");
    return 2;
}
