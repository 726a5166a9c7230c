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

// How many bytes of a stored value the filter reads: the characters that fit
// in its buffer, at most 999. A value written in quotation marks that is
// exactly 999 characters long loses its last character as well: the profile
// reader copies 999 characters, which leave out the closing mark, and then
// drops the last one as if it were the mark.
size_t BytesReadByFilter(std::string_view value, bool quoted) {
    size_t at = 0, characters = 0, last = 0;
    while (at < value.size() && characters < kFilterReadLimit) {
        last = CharacterLength(value, at);
        if (at + last > kFilterReadLimit) break;
        at += last;
        ++characters;
    }
    if (quoted && characters == kFilterReadLimit && at == value.size()) at -= last;
    return at;
}

// How many of a list's items, from the first, the filter reads whole, given
// the list's stored value. An item that holds a "|" is more than one piece.
size_t ItemsReadByFilter(std::string_view value, const std::vector<std::wstring>& items) {
    const size_t readable = BytesReadByFilter(value, false);
    if (readable == value.size()) return items.size();
    size_t bars = 0;
    for (size_t at = 0; at < readable; at += CharacterLength(value, at)) {
        if (value[at] == '|') ++bars;
    }
    size_t pieces = bars > 0 ? bars - 1 : 0;  // whole pieces: those closed by a bar
    size_t read = 0;
    for (const auto& item : items) {
        const size_t itemPieces = 1 + static_cast<size_t>(std::count(item.begin(), item.end(), L'|'));
        if (itemPieces > pieces) break;
        pieces -= itemPieces;
        ++read;
    }
    return read;
}

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
    platform::ErrorCode ignored = 0;
    const auto state = platform::Inspect(file, ignored);
    if (state != platform::FileState::NotAFile && state != platform::FileState::Unknown) {
        platform::ReadWholeFile(file, bytes, ignored);
    }
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
    return TrySaveSettings(settings, directory).result == SaveResult::Saved;
}

SaveReport TrySaveSettings(const ProtectionSettings& settings) {
    return TrySaveSettings(settings, platform::ApplicationDirectory());
}

SaveReport TrySaveSettings(const ProtectionSettings& settings, const NativePath& directory) {
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
    SaveReport report;
    for (size_t i = 0; i < texts.size(); ++i) {
        auto bytes = EncodeStorableText(texts[i]);
        if (!bytes) {
            report.result = SaveResult::UnstorableText;
            return report;
        }
        entries[4 + i].value = std::move(*bytes);
    }

    const auto file = SettingsFilePath(directory);
    std::string bytes;
    switch (platform::Inspect(file, report.error)) {
        case platform::FileState::Missing:
            break;
        case platform::FileState::Writable:
            if (!platform::ReadWholeFile(file, bytes, report.error)) report.result = SaveResult::WriteFailed;
            break;
        case platform::FileState::ReadOnly:
            report.result = SaveResult::ReadOnly;
            break;
        case platform::FileState::NotAFile:
            report.result = SaveResult::NotAFile;
            break;
        case platform::FileState::Unknown:
            report.result = SaveResult::WriteFailed;
            break;
    }
    if (report.result != SaveResult::Saved) return report;
    report.error = 0;
    if (const FileCoding coding = CodingOf(bytes); coding != FileCoding::Gbk) {
        report.result = SaveResult::OtherCoding;
        report.storedCoding = coding;
        return report;
    }
    IniDocument document(std::move(bytes));
    for (const auto& entry : entries) document.Set(kSection, entry.key, entry.value);
    if (!platform::ReplaceFileContents(file, document.bytes(), report.error)) {
        report.result = SaveResult::WriteFailed;
        return report;
    }
    const std::string& redirect = entries[4].value;
    report.reading.redirectFileWhole =
        BytesReadByFilter(redirect, IsWrittenInQuotes(redirect)) == redirect.size();
    report.reading.freePathsRead = ItemsReadByFilter(entries[5].value, settings.freePaths);
    report.reading.friendUrlsRead = ItemsReadByFilter(entries[6].value, settings.friendUrls);
    return report;
}

}  // namespace settings
