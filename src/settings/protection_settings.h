#pragma once

#include <string>
#include <vector>

namespace settings {

// The seven settings of Config.ini as one plain value. A fresh record is all
// defaults: protection off, no extension protected, no redirect file, both
// lists empty.
struct ProtectionSettings {
    bool enabled = false;       // START
    bool protectJpg = false;    // ProtectJpg
    bool protectGif = false;    // ProtectGif
    bool protectJpeg = false;   // ProtectJpeg
    std::wstring redirectFile;  // RedirectFile
    std::vector<std::wstring> freePaths;   // FreePath
    std::vector<std::wstring> friendUrls;  // FriendUrl

    friend bool operator==(const ProtectionSettings& a, const ProtectionSettings& b) {
        return a.enabled == b.enabled && a.protectJpg == b.protectJpg &&
               a.protectGif == b.protectGif && a.protectJpeg == b.protectJpeg &&
               a.redirectFile == b.redirectFile && a.freePaths == b.freePaths &&
               a.friendUrls == b.friendUrls;
    }
    friend bool operator!=(const ProtectionSettings& a, const ProtectionSettings& b) {
        return !(a == b);
    }
};

}  // namespace settings
