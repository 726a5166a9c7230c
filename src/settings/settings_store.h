#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "byte_order.h"
#include "native_path.h"
#include "protection_settings.h"

// Loading and saving the settings in Config.ini, in the directory of the
// program or, for tests and tools, in a given directory.
namespace settings {

// The settings stored in Config.ini; defaults for a missing file, section
// or key. Never fails.
ProtectionSettings LoadSettings();
ProtectionSettings LoadSettings(const NativePath& directory);

// Writes the seven keys into Config.ini in one step. False, with the file
// left exactly as it was, when the file is read-only or cannot be replaced,
// or when a text fails CanStoreText.
bool SaveSettings(const ProtectionSettings& settings);
bool SaveSettings(const ProtectionSettings& settings, const NativePath& directory);

// SaveSettings, telling why nothing was written.
enum class SaveResult {
    Saved,
    UnstorableText,  // a text fails CanStoreText
    OtherCoding,     // the file announces another coding than GBK (see byte_order.h)
    WriteFailed,     // read-only, or the file could not be read or replaced
};
// With OtherCoding, `storedCoding` (when given) receives the coding the file
// announces.
SaveResult TrySaveSettings(const ProtectionSettings& settings, FileCoding* storedCoding = nullptr);
SaveResult TrySaveSettings(const ProtectionSettings& settings, const NativePath& directory,
                           FileCoding* storedCoding = nullptr);

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

// True and False in any letter case; a decimal number is true unless it is
// zero; anything else reads as false.
bool ParseBooleanText(std::string_view text);

}  // namespace settings
