#include "settings_store.h"

#include <algorithm>
#include <array>
#include <optional>

#include "byte_order.h"
#include "gbk_text.h"
#include "ini_document.h"
#include "settings_file.h"

namespace settings {
namespace {

constexpr std::string_view kSection = "SETTING";

// An optional sign, then digits with at most one decimal point.
std::optional<bool> ParseDecimalIsNonZero(std::string_view text) {
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) text.remove_prefix(1);
    bool digits = false, nonZero = false, point = false;
    for (const char c : text) {
        if (c == '.' && !point) {
            point = true;
        } else if (c >= '0' && c <= '9') {
            digits = true;
            nonZero = nonZero || c != '0';
        } else {
            return std::nullopt;
        }
    }
    if (!digits) return std::nullopt;
    return nonZero;
}

const char* BooleanText(bool value) { return value ? "True" : "False"; }

}  // namespace

NativePath SettingsFilePath(const NativePath& directory) {
#ifdef _WIN32
    return directory + L"\\Config.ini";
#else
    return directory + "/Config.ini";
#endif
}

std::wstring JoinItemList(const std::vector<std::wstring>& items) {
    if (items.empty()) return {};
    size_t length = 1;
    for (const auto& item : items) length += item.size() + 1;
    std::wstring value;
    value.reserve(length);
    value += L'|';
    for (const auto& item : items) {
        value += item;
        value += L'|';
    }
    return value;
}

std::vector<std::wstring> SplitItemList(std::wstring_view value) {
    std::vector<std::wstring> items;
    const size_t first = value.find(L'|');
    const size_t last = value.rfind(L'|');
    if (first == last) return items;  // no bar, or a single one: nothing between
    items.reserve(static_cast<size_t>(std::count(value.begin() + first + 1, value.begin() + last + 1, L'|')));
    for (size_t start = first + 1; start <= last;) {
        const size_t bar = value.find(L'|', start);
        items.emplace_back(value.substr(start, bar - start));
        start = bar + 1;
    }
    return items;
}

std::wstring TrimSpaces(std::wstring_view text) {
    const size_t first = text.find_first_not_of(L' ');
    if (first == std::wstring_view::npos) return {};
    return std::wstring(text.substr(first, text.find_last_not_of(L' ') - first + 1));
}

bool ParseBooleanText(std::string_view text) {
    if (SameIgnoringCase(text, "true")) return true;
    if (SameIgnoringCase(text, "false")) return false;
    return ParseDecimalIsNonZero(text).value_or(false);
}

ProtectionSettings LoadSettings() { return LoadSettings(platform::ApplicationDirectory()); }

ProtectionSettings LoadSettings(const NativePath& directory) {
    std::string bytes;
    const auto file = SettingsFilePath(directory);
    if (platform::Inspect(file) != platform::FileState::Unusable) platform::ReadWholeFile(file, bytes);
    // A file in another coding is read through GBK, so that what it holds
    // shows as far as GBK can show it.
    const FileCoding coding = CodingOf(bytes);
    if (coding != FileCoding::Gbk) bytes = EncodeGbkLossy(DecodeMarkedText(bytes, coding));
    const IniDocument document(std::move(bytes));
    const auto values = document.Get(kSection, {"START", "ProtectJpg", "ProtectGif", "ProtectJpeg", "RedirectFile",
                                                "FreePath", "FriendUrl"});
    const auto read = [&](size_t k) -> std::string_view { return values[k] ? *values[k] : std::string_view(); };

    ProtectionSettings settings;
    settings.enabled = ParseBooleanText(read(0));
    settings.protectJpg = ParseBooleanText(read(1));
    settings.protectGif = ParseBooleanText(read(2));
    settings.protectJpeg = ParseBooleanText(read(3));
    settings.redirectFile = DecodeGbk(read(4));
    settings.freePaths = SplitItemList(DecodeGbk(read(5)));
    settings.friendUrls = SplitItemList(DecodeGbk(read(6)));
    return settings;
}

bool SaveSettings(const ProtectionSettings& settings) {
    return SaveSettings(settings, platform::ApplicationDirectory());
}

bool SaveSettings(const ProtectionSettings& settings, const NativePath& directory) {
    return TrySaveSettings(settings, directory) == SaveResult::Saved;
}

SaveResult TrySaveSettings(const ProtectionSettings& settings, FileCoding* storedCoding) {
    return TrySaveSettings(settings, platform::ApplicationDirectory(), storedCoding);
}

SaveResult TrySaveSettings(const ProtectionSettings& settings, const NativePath& directory,
                           FileCoding* storedCoding) {
    struct Entry {
        std::string_view key;
        std::string value;
    };
    std::array<Entry, 7> entries{{
        {"START", BooleanText(settings.enabled)},
        {"ProtectJpg", BooleanText(settings.protectJpg)},
        {"ProtectGif", BooleanText(settings.protectGif)},
        {"ProtectJpeg", BooleanText(settings.protectJpeg)},
        {"RedirectFile", {}},
        {"FreePath", {}},
        {"FriendUrl", {}},
    }};
    const std::array<std::wstring, 3> texts{settings.redirectFile, JoinItemList(settings.freePaths),
                                            JoinItemList(settings.friendUrls)};
    for (size_t i = 0; i < texts.size(); ++i) {
        auto bytes = EncodeStorableText(texts[i]);
        if (!bytes) return SaveResult::UnstorableText;
        entries[4 + i].value = std::move(*bytes);
    }

    const auto file = SettingsFilePath(directory);
    std::string bytes;
    switch (platform::Inspect(file)) {
        case platform::FileState::Missing:
            break;
        case platform::FileState::Writable:
            if (!platform::ReadWholeFile(file, bytes)) return SaveResult::WriteFailed;
            break;
        case platform::FileState::ReadOnly:
        case platform::FileState::Unusable:
            return SaveResult::WriteFailed;
    }
    if (const FileCoding coding = CodingOf(bytes); coding != FileCoding::Gbk) {
        if (storedCoding) *storedCoding = coding;
        return SaveResult::OtherCoding;
    }
    IniDocument document(std::move(bytes));
    for (const auto& entry : entries) document.Set(kSection, entry.key, entry.value);
    return platform::ReplaceFileContents(file, document.bytes()) ? SaveResult::Saved : SaveResult::WriteFailed;
}

}  // namespace settings
