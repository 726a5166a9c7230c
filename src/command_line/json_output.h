#pragma once

#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "protection_settings.h"

// The console program's answers in JSON, for scripts: PowerShell's
// ConvertFrom-Json, Python's json, Ansible's from_json.
namespace command_line {

// An object keeps its keys in the order they were put in, as the file keeps
// the seven keys.
using Json = nlohmann::ordered_json;

// Text as JSON holds it: UTF-8.
std::string Utf8(std::wstring_view text);

// Items of a list as an array of texts.
Json ItemsJson(const std::vector<std::wstring>& items);

// A setting's value: true or false, a text, or an array of the items.
Json SettingJson(const settings::SettingKey& key, const settings::ProtectionSettings& settings);

// Writes the value on one line of standard output in ASCII alone, every
// other character escaped as \uXXXX, so that it reads the same through any
// console code page, a pipe, a file or a remote session.
void WriteJson(const Json& value);

}  // namespace command_line
