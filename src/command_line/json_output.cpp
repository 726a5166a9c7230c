#include "json_output.h"

#include <windows.h>

#include "console.h"

namespace command_line {

std::string Utf8(std::wstring_view text) {
    const int size = static_cast<int>(text.size());
    std::string bytes(static_cast<size_t>(WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr,
                                                              nullptr)),
                      '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), size, bytes.data(), static_cast<int>(bytes.size()), nullptr, nullptr);
    return bytes;
}

Json ItemsJson(const std::vector<std::wstring>& items) {
    Json array = Json::array();
    for (const auto& item : items) array.push_back(Utf8(item));
    return array;
}

Json SettingJson(const settings::SettingKey& key, const settings::ProtectionSettings& settings) {
    if (key.flag) return settings.*key.flag;
    if (key.text) return Utf8(settings.*key.text);
    return ItemsJson(settings.*key.list);
}

void WriteJson(const Json& value) {
    // Text that is no UTF-8 is replaced, never a reason to fail.
    const std::string ascii = value.dump(-1, ' ', true, Json::error_handler_t::replace);
    WriteLine(std::wstring(ascii.begin(), ascii.end()));
}

}  // namespace command_line
