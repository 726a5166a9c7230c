#pragma once

#include <array>
#include <string>
#include <string_view>
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

// One key of Config.ini and the field of the record it holds: a flag
// (written True or False), a text, or a list of items (written
// |item|item|). Exactly one of the three is set.
struct SettingKey {
    const char* name;
    bool ProtectionSettings::*flag = nullptr;
    std::wstring ProtectionSettings::*text = nullptr;
    std::vector<std::wstring> ProtectionSettings::*list = nullptr;
};

// The seven keys of section SETTING, in the order they are written.
inline constexpr const char kSettingSection[] = "SETTING";
inline constexpr SettingKey kSettingKeys[] = {
    {"START", &ProtectionSettings::enabled},
    {"ProtectJpg", &ProtectionSettings::protectJpg},
    {"ProtectGif", &ProtectionSettings::protectGif},
    {"ProtectJpeg", &ProtectionSettings::protectJpeg},
    {"RedirectFile", nullptr, &ProtectionSettings::redirectFile},
    {"FreePath", nullptr, nullptr, &ProtectionSettings::freePaths},
    {"FriendUrl", nullptr, nullptr, &ProtectionSettings::friendUrls},
};
inline constexpr size_t kSettingKeyCount = sizeof kSettingKeys / sizeof kSettingKeys[0];

// Their names alone, in the same order, for looking them up.
inline constexpr auto kSettingKeyNames = [] {
    std::array<std::string_view, kSettingKeyCount> names{};
    for (size_t k = 0; k < kSettingKeyCount; ++k) names[k] = kSettingKeys[k].name;
    return names;
}();

}  // namespace settings
