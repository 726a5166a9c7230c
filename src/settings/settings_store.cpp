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

// Puts a key's value, as the reader reads it, into its field of the record.
// A missing key reads as the empty value: False, no text, no items.
void TakeValue(const SettingKey& key, std::string_view value, ProtectionSettings& into) {
    if (key.flag) {
        into.*key.flag = ParseBooleanText(value);
    } else if (key.text) {
        into.*key.text = DecodeGbk(value);
    } else {
        into.*key.list = SplitItemList(DecodeGbk(value));
    }
}

bool SameField(const SettingKey& key, const ProtectionSettings& a, const ProtectionSettings& b) {
    if (key.flag) return a.*key.flag == b.*key.flag;
    if (key.text) return a.*key.text == b.*key.text;
    return a.*key.list == b.*key.list;
}

// The value a field is written as; nothing when code page 936 cannot hold it.
std::optional<std::string> ValueOf(const SettingKey& key, const ProtectionSettings& from) {
    if (key.flag) return std::string(BooleanText(from.*key.flag));
    return EncodeStorableText(key.text ? from.*key.text : JoinItemList(from.*key.list));
}

// The seven values of the SETTING section as the reader reads them.
SeenValues ReadValues(const IniDocument& document) {
    const auto views = document.Get(kSettingSection, kSettingKeyNames.data(), kSettingKeyCount);
    SeenValues values;
    for (size_t k = 0; k < kSettingKeyCount; ++k) {
        if (views[k]) values.bytes[k] = std::string(*views[k]);
    }
    return values;
}

// Whether two values of a key mean the same: the same bytes, or the same
// setting ("true" and "True", "|a|" and "x|a|").
bool SameSetting(const SettingKey& key, const std::optional<std::string>& a, const std::optional<std::string>& b) {
    if (a == b) return true;
    ProtectionSettings x, y;
    TakeValue(key, a.value_or(std::string()), x);
    TakeValue(key, b.value_or(std::string()), y);
    return SameField(key, x, y);
}

// Whether writing would lose a change another program made: a key whose
// value in the file is neither the one last seen nor the one to be written.
bool OverwritesAnotherChange(const SeenValues& found, const SeenValues& seen, const SeenValues& written) {
    for (size_t k = 0; k < kSettingKeyCount; ++k) {
        const SettingKey& key = kSettingKeys[k];
        if (!SameSetting(key, found.bytes[k], seen.bytes[k]) && !SameSetting(key, found.bytes[k], written.bytes[k])) {
            return true;
        }
    }
    return false;
}

using Values = std::array<std::string, kSettingKeyCount>;

// The bytes of the seven values, in the order of the keys. False, with the
// key and item that code page 936 cannot hold in the report, when one can't
// be stored.
bool Encode(const ProtectionSettings& settings, Values& values, SaveReport& report) {
    for (size_t k = 0; k < kSettingKeyCount; ++k) {
        const SettingKey& key = kSettingKeys[k];
        if (auto value = ValueOf(key, settings)) {
            values[k] = std::move(*value);
            continue;
        }
        report.result = SaveResult::UnstorableText;
        report.refusedKey = &key;
        if (key.list) {
            const auto& items = settings.*key.list;
            report.refusedItem = static_cast<size_t>(
                std::find_if(items.begin(), items.end(), [](const auto& item) { return !CanStoreText(item); }) -
                items.begin());
        }
        return false;
    }
    return true;
}

// The bytes of Config.ini as a save finds them: nothing when it is missing.
// False, with the reason in the report, when it may not or cannot be
// replaced, or announces another coding.
bool ReadForSaving(const NativePath& file, std::string& bytes, SaveReport& report) {
    switch (platform::Inspect(file, report.error)) {
        case platform::FileState::Missing:
            report.error = 0;
            return true;
        case platform::FileState::Writable:
            if (!platform::ReadWholeFile(file, bytes, report.error)) break;
            report.error = 0;
            report.storedCoding = CodingOf(bytes);
            if (report.storedCoding == FileCoding::Gbk) return true;
            report.result = SaveResult::OtherCoding;
            return false;
        case platform::FileState::ReadOnly:
            report.result = SaveResult::ReadOnly;
            return false;
        case platform::FileState::NotAFile:
            report.result = SaveResult::NotAFile;
            return false;
        case platform::FileState::Unknown:
            break;
    }
    report.result = SaveResult::WriteFailed;
    return false;
}

// Notes what the filter reads of a saved text or list.
void NoteFilterReading(const SettingKey& key, const std::string& value, const ProtectionSettings& settings,
                       FilterReading& reading) {
    if (key.text == &ProtectionSettings::redirectFile) {
        reading.redirectFileWhole = BytesReadByFilter(value, IsWrittenInQuotes(value)) == value.size();
    } else if (key.list == &ProtectionSettings::freePaths) {
        reading.freePathsRead = ItemsReadByFilter(value, settings.freePaths);
    } else if (key.list == &ProtectionSettings::friendUrls) {
        reading.friendUrlsRead = ItemsReadByFilter(value, settings.friendUrls);
    }
}

}  // namespace

// A value written in quotation marks that is exactly 999 characters long
// loses its last character as well: the profile reader copies 999
// characters, which leave out the closing mark, and then drops the last one
// as if it were the mark.
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

const wchar_t* ItemRefusal(ItemList list, std::wstring_view text) {
    const bool directory = list == &ProtectionSettings::freePaths;
    if (TrimSpaces(text).empty()) return directory ? L"目录不能为空！" : L"友情站点不能为空！";
    if (directory && text.front() != L'/') return L"目录格式不正确！";
    if (text.find(L'|') != std::wstring_view::npos) {
        return directory ? L"目录中不能含有“|”！" : L"友情站点中不能含有“|”！";
    }
    return nullptr;
}

bool ParseBooleanText(std::string_view text) {
    if (SameIgnoringCase(text, "true")) return true;
    if (SameIgnoringCase(text, "false")) return false;
    return ParseDecimalIsNonZero(text).value_or(false);
}

ProtectionSettings LoadSettings(const NativePath& directory, SeenValues* seen) {
    return LoadSettingsFile(SettingsFilePath(directory), seen);
}

ProtectionSettings LoadSettingsFile(const NativePath& file, SeenValues* seen) {
    std::string bytes;
    platform::ErrorCode ignored = 0;
    const auto state = platform::Inspect(file, ignored);
    if (state != platform::FileState::NotAFile && state != platform::FileState::Unknown) {
        platform::ReadWholeFile(file, bytes, ignored);
    }
    return ReadSettings(std::move(bytes), seen);
}

ProtectionSettings ReadSettings(std::string bytes, SeenValues* seen) {
    // A file in another coding is read through GBK, so that what it holds
    // shows as far as GBK can show it.
    const FileCoding coding = CodingOf(bytes);
    if (coding != FileCoding::Gbk) bytes = EncodeGbkLossy(DecodeMarkedText(bytes, coding));
    SeenValues values = ReadValues(IniDocument(std::move(bytes)));
    ProtectionSettings settings;
    for (size_t k = 0; k < kSettingKeyCount; ++k) {
        TakeValue(kSettingKeys[k], values.bytes[k].value_or(std::string()), settings);
    }
    if (seen) *seen = std::move(values);
    return settings;
}

SaveReport SaveSettings(const ProtectionSettings& settings, const NativePath& directory, SeenValues* seen) {
    SaveReport report;
    Values values;
    const auto file = SettingsFilePath(directory);
    std::string bytes;
    if (!Encode(settings, values, report) || !ReadForSaving(file, bytes, report)) return report;
    IniDocument document(std::move(bytes));
    SeenValues found;
    if (seen) found = ReadValues(document);
    for (size_t k = 0; k < kSettingKeyCount; ++k) document.Set(kSettingSection, kSettingKeys[k].name, values[k]);
    // What the reader will read, which for a redirect text with control
    // characters at its ends is not quite what was given.
    SeenValues written = seen ? ReadValues(document) : SeenValues{};
    if (seen && OverwritesAnotherChange(found, *seen, written)) {
        report.result = SaveResult::ChangedElsewhere;
        report.found = std::move(found);
        return report;
    }
    if (!platform::ReplaceFileContents(file, document.bytes(), report.error)) {
        report.result = SaveResult::WriteFailed;
        return report;
    }
    if (seen) *seen = std::move(written);
    for (size_t k = 0; k < kSettingKeyCount; ++k) NoteFilterReading(kSettingKeys[k], values[k], settings, report.reading);
    return report;
}

SaveReport StandaloneSettings(const ProtectionSettings& settings, std::string& bytes) {
    SaveReport report;
    Values values;
    if (!Encode(settings, values, report)) return report;
    IniDocument document{std::string()};
    for (size_t k = 0; k < kSettingKeyCount; ++k) {
        document.Set(kSettingSection, kSettingKeys[k].name, values[k]);
        NoteFilterReading(kSettingKeys[k], values[k], settings, report.reading);
    }
    bytes = document.bytes();
    return report;
}

SaveReport ExportSettings(const ProtectionSettings& settings, const NativePath& file) {
    std::string bytes;
    SaveReport report = StandaloneSettings(settings, bytes);
    if (report && !platform::ReplaceFileContents(file, bytes, report.error)) report.result = SaveResult::WriteFailed;
    return report;
}

const std::wstring& RefusedText(const ProtectionSettings& settings, const SaveReport& report) {
    const SettingKey& key = *report.refusedKey;
    return key.text ? settings.*key.text : (settings.*key.list)[report.refusedItem];
}

}  // namespace settings
