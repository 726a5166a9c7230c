#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "byte_order.h"
#include "native_path.h"
#include "settings_file.h"
#include "protection_settings.h"

// Loading and saving the settings in Config.ini in a directory: the
// program's own (platform::ApplicationDirectory, found afresh each time), or
// for tests and tools another.
namespace settings {

// The seven values of Config.ini as an editor last saw them, as the
// profile reader reads them: read by a load, or written by a save. Given
// them, a save finds a change that another program made since.
struct SeenValues {
    std::array<std::optional<std::string>, kSettingKeyCount> bytes;  // nothing: the key is missing
};

// The settings stored in Config.ini in the directory; defaults for a
// missing file, section or key. Never fails. With `seen`, the values they
// were read from.
ProtectionSettings LoadSettings(const NativePath& directory, SeenValues* seen = nullptr);
// The same for a settings file of any name.
ProtectionSettings LoadSettingsFile(const NativePath& file, SeenValues* seen = nullptr);
// The same for the bytes of a settings file already read.
ProtectionSettings ReadSettings(std::string bytes, SeenValues* seen = nullptr);

// The filter reads each value through a buffer of 1000 bytes: 999 bytes of
// it and the closing NUL.
inline constexpr size_t kFilterReadLimit = 999;

// How many bytes of a value, as the reader reads it, the filter's buffer
// holds: the characters that fit in 999 bytes. `quoted`: the value stands in
// quotation marks in the file.
size_t BytesReadByFilter(std::string_view value, bool quoted);

// How much of the saved texts the filter reads. A list it reads up to the
// last item whose closing "|" lies within the limit; so a value longer than
// the limit puts the items past the cut out of force.
struct FilterReading {
    bool redirectFileWhole = true;
    size_t freePathsRead = 0;   // how many of the directories, from the first
    size_t friendUrlsRead = 0;  // how many of the friendly sites, from the first
};

enum class SaveResult {
    Saved,
    UnstorableText,    // a text fails CanStoreText
    OtherCoding,       // the file announces another coding than GBK (see byte_order.h)
    ChangedElsewhere,  // another program changed a value that the save would overwrite
    ReadOnly,          // Config.ini is marked read-only
    NotAFile,          // Config.ini is a folder or a device
    WriteFailed,       // the file could not be read or replaced: `error` tells why
};

// What a save did, and why it did not. True when it saved.
struct SaveReport {
    SaveResult result = SaveResult::Saved;
    FileCoding storedCoding = FileCoding::Gbk;  // with OtherCoding: the coding the file announces
    platform::ErrorCode error = 0;              // with WriteFailed
    // With UnstorableText: the key whose text code page 936 cannot hold and,
    // for a list, the item (RefusedText gives the text).
    const SettingKey* refusedKey = nullptr;
    size_t refusedItem = 0;
    SeenValues found;      // with ChangedElsewhere: the file's values now
    FilterReading reading;  // with Saved

    explicit operator bool() const { return result == SaveResult::Saved; }
};

// Writes the seven keys into Config.ini in the directory in one step. When
// it cannot, the file is left exactly as it was and the report says why.
//
// With `seen`, the save first looks whether another program has changed
// Config.ini since those values: when a value in the file means neither
// what was seen nor what is to be written, it writes nothing and says
// ChangedElsewhere. Saving again with `seen` set to the report's `found`
// overwrites that change. After a save `seen` holds the values written.
SaveReport SaveSettings(const ProtectionSettings& settings, const NativePath& directory,
                        SeenValues* seen = nullptr);

// A settings file that holds the settings alone, as a save into a missing
// Config.ini writes it: the section and the seven keys in their order, each
// line ending in CRLF. Its bytes; or UnstorableText, as a save says it.
SaveReport StandaloneSettings(const ProtectionSettings& settings, std::string& bytes);
// Such a file written at `file` in one step, as a save writes, replacing
// whatever was there.
SaveReport ExportSettings(const ProtectionSettings& settings, const NativePath& file);

// The text of the settings that a save refused as UnstorableText.
const std::wstring& RefusedText(const ProtectionSettings& settings, const SaveReport& report);

// Config.ini in the directory, joined as the texts stand.
NativePath SettingsFilePath(const NativePath& directory);

// The coding of a list as one value: "|" before the first item and after
// every item, the empty text for no items.
std::wstring JoinItemList(const std::vector<std::wstring>& items);

// The pieces between the value's first and last "|": whatever stands before
// the first bar and after the last one is dropped.
std::vector<std::wstring> SplitItemList(std::wstring_view value);

// The text without leading and trailing space characters (U+0020 only: tabs
// and the ideographic space stay).
std::wstring TrimSpaces(std::wstring_view text);

// The lists an editor adds items to, and why a text cannot be an item of
// one, in the words the editor says it: the text is blank; a directory does
// not begin with "/"; the text holds the "|" that separates items, and
// would come back as two. Nothing when it can be an item.
using ItemList = std::vector<std::wstring> ProtectionSettings::*;
const wchar_t* ItemRefusal(ItemList list, std::wstring_view text);

// True and False in any letter case; a decimal number is true unless it is
// zero; anything else reads as false.
bool ParseBooleanText(std::string_view text);

}  // namespace settings
