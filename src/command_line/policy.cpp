// export, import and diff: one policy for many servers. A policy is a
// settings file of its own, as export writes it; both sides are read as the
// editor reads Config.ini, and import saves as the editor saves.
#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

#include "byte_order.h"
#include "commands.h"
#include "console.h"
#include "json_output.h"
#include "save_messages.h"
#include "settings_file.h"
#include "settings_store.h"

namespace command_line {
namespace {

using settings::ProtectionSettings;
using settings::SettingKey;

// A policy file's settings as the editor shows them; nothing, with the
// error written, when it cannot be read, or when it announces another
// coding than GBK and `gbkOnly` (the editor saves no such file's text).
std::optional<ProtectionSettings> ReadPolicy(const std::wstring& file, bool gbkOnly) {
    namespace platform = settings::platform;
    std::string bytes;
    platform::ErrorCode error = 0;
    switch (platform::Inspect(file, error)) {
        case platform::FileState::Missing:
            Fail(L"文件不存在：" + file);
            return std::nullopt;
        case platform::FileState::NotAFile:
            Fail(file + L" 是一个文件夹，不是文件。");
            return std::nullopt;
        case platform::FileState::Unknown:
            Fail(L"无法读取 " + file + L"：" + platform::ErrorText(error));
            return std::nullopt;
        case platform::FileState::Writable:
        case platform::FileState::ReadOnly:
            if (platform::ReadWholeFile(file, bytes, error)) break;
            Fail(L"无法读取 " + file + L"：" + platform::ErrorText(error));
            return std::nullopt;
    }
    if (const auto coding = settings::CodingOf(bytes); gbkOnly && coding != settings::FileCoding::Gbk) {
        Fail(file + L" 是" + settings::CodingName(coding) + L"编码的文件，本程序只读写GBK编码的设置文件。设置未改动。");
        return std::nullopt;
    }
    return settings::ReadSettings(std::move(bytes));
}

bool Same(const SettingKey& key, const ProtectionSettings& a, const ProtectionSettings& b) {
    if (key.flag) return a.*key.flag == b.*key.flag;
    if (key.text) return a.*key.text == b.*key.text;
    return a.*key.list == b.*key.list;
}

// The items of `a` that `b` lacks, each as often as `a` holds it more often.
std::vector<std::wstring> OnlyIn(std::vector<std::wstring> a, const std::vector<std::wstring>& b) {
    for (const auto& item : b) {
        const auto found = std::find(a.begin(), a.end(), item);
        if (found != a.end()) a.erase(found);
    }
    return a;
}

// A key that differs, told in lines; for a list, by the items only on one
// side.
void TellDifference(const SettingKey& key, const ProtectionSettings& here, const ProtectionSettings& there,
                    const std::vector<std::wstring>& onlyHere, const std::vector<std::wstring>& onlyThere) {
    if (key.flag) {
        WriteLine(Name(key) + L"：本机 " + (here.*key.flag ? L"True" : L"False") + L"，文件 " +
                  (there.*key.flag ? L"True" : L"False"));
    } else if (key.text) {
        WriteLine(Name(key) + L"：本机" + settings::Quoted(here.*key.text) + L"，文件" + settings::Quoted(there.*key.text));
    } else {
        if (onlyHere.empty() && onlyThere.empty()) {
            WriteLine(Name(key) + L"：项相同，顺序不同");
            return;
        }
        WriteLine(Name(key) + L"：");
        for (const auto& item : onlyHere) WriteLine(L"  只在本机：" + item);
        for (const auto& item : onlyThere) WriteLine(L"  只在文件：" + item);
    }
}

}  // namespace

int Export(const Invocation& call) {
    std::string ignored;
    if (!ReadConfig(call.directory, ignored)) return kBadInput;
    const ProtectionSettings settings = settings::LoadSettings(call.directory);
    std::string bytes;
    const settings::SaveReport report = call.arguments.empty() ? settings::StandaloneSettings(settings, bytes)
                                                               : settings::ExportSettings(settings, call.arguments[0]);
    if (!report) {
        const settings::SaveMessage message = settings::DescribeSave(settings, report);
        const bool refused = message.kind == settings::SaveMessage::Refusal;
        return Fail(refused ? message.text : L"未导出：" + message.text, refused ? kBadInput : kNotSaved);
    }
    if (call.arguments.empty()) {
        WriteBytes(bytes);
    } else {
        WriteLine(L"exported: " + call.arguments[0]);
    }
    return kDone;
}

int Import(const Invocation& call) {
    const std::optional<ProtectionSettings> wanted = ReadPolicy(call.arguments[0], true);
    if (!wanted) return kBadInput;
    return ChangeAndSave(
        call.directory,
        [&](ProtectionSettings& here) -> std::optional<std::wstring> {
            std::wstring changed;
            for (const SettingKey& key : settings::kSettingKeys) {
                if (!Same(key, here, *wanted)) changed += (changed.empty() ? L"" : L", ") + Name(key);
            }
            if (changed.empty()) return std::nullopt;
            here = *wanted;
            return changed;
        },
        L"本机的七项设置已与文件中的相同");
}

int Diff(const Invocation& call) {
    std::string ignored;
    if (!ReadConfig(call.directory, ignored)) return kBadInput;
    const std::optional<ProtectionSettings> there = ReadPolicy(call.arguments[0], false);
    if (!there) return kBadInput;
    const ProtectionSettings here = settings::LoadSettings(call.directory);
    Json differences = Json::array();
    for (const SettingKey& key : settings::kSettingKeys) {
        if (Same(key, here, *there)) continue;
        Json difference = {{"key", key.name}, {"here", SettingJson(key, here)}, {"there", SettingJson(key, *there)}};
        std::vector<std::wstring> onlyHere, onlyThere;
        if (key.list) {
            onlyHere = OnlyIn(here.*key.list, (*there).*key.list);
            onlyThere = OnlyIn((*there).*key.list, here.*key.list);
            difference["onlyHere"] = ItemsJson(onlyHere);
            difference["onlyThere"] = ItemsJson(onlyThere);
            difference["orderDiffers"] = onlyHere.empty() && onlyThere.empty();
        }
        differences.push_back(std::move(difference));
        if (!call.json) TellDifference(key, here, *there, onlyHere, onlyThere);
    }
    if (call.json) {
        WriteJson({{"equal", differences.empty()}, {"differences", differences}});
    } else if (differences.empty()) {
        WriteLine(L"相同：本机的七项设置与文件中的相同。");
    }
    return differences.empty() ? kDone : kDifferent;
}

}  // namespace command_line
