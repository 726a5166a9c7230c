// get, set, add and remove: the settings shown and changed as the main
// window shows and changes them, and saved by the same save.
#include <algorithm>
#include <string_view>
#include <utility>

#include "commands.h"
#include "console.h"
#include "json_output.h"
#include "save_messages.h"
#include "settings_store.h"

namespace command_line {
namespace {

using settings::ProtectionSettings;
using settings::SettingKey;

// A value as the file holds it: True or False, the text, |item|item|.
std::wstring ValueText(const SettingKey& key, const ProtectionSettings& settings) {
    if (key.flag) return settings.*key.flag ? L"True" : L"False";
    if (key.text) return settings.*key.text;
    return settings::JoinItemList(settings.*key.list);
}

// A change of one key, as set, add and remove make it: true when it changed
// the settings, false when they are already so.
using KeyChange = bool (*)(ProtectionSettings&, const SettingKey&, const std::wstring&);

int ChangeKey(const Invocation& call, const SettingKey& key, const std::wstring& value, KeyChange change,
              const std::wstring& done, const std::wstring& already) {
    return ChangeAndSave(
        call.directory,
        [&](ProtectionSettings& settings) -> std::optional<std::wstring> {
            if (!change(settings, key, value)) return std::nullopt;
            return done;
        },
        already);
}

bool SetValue(ProtectionSettings& settings, const SettingKey& key, const std::wstring& value) {
    if (key.flag) {
        const bool on = IsWord(value, "true");
        return std::exchange(settings.*key.flag, on) != on;
    }
    const std::wstring text = settings::TrimSpaces(value);
    return std::exchange(settings.*key.text, text) != text;
}

bool AddItem(ProtectionSettings& settings, const SettingKey& key, const std::wstring& item) {
    auto& items = settings.*key.list;
    if (std::find(items.begin(), items.end(), item) != items.end()) return false;
    items.push_back(item);
    return true;
}

bool RemoveItem(ProtectionSettings& settings, const SettingKey& key, const std::wstring& item) {
    auto& items = settings.*key.list;
    const size_t before = items.size();
    items.erase(std::remove(items.begin(), items.end(), item), items.end());
    return items.size() != before;
}

// The list key named by the first argument, for add and remove; null, with
// the error written, when it is no list key.
const SettingKey* ListKey(const Arguments& arguments, const wchar_t* command) {
    const SettingKey* key = FindKey(arguments[0]);
    if (key && !key->list) {
        Fail(Name(*key) + L" 不是列表：只有 FreePath 和 FriendUrl 可以 " + command + L"，其余的键请用 set。");
        return nullptr;
    }
    return key;
}

}  // namespace

int ChangeAndSave(const settings::NativePath& directory, const Change& change, const std::wstring& already) {
    std::string ignored;
    if (!ReadConfig(directory, ignored)) return kNotSaved;
    for (int attempt = 0;; ++attempt) {
        settings::SeenValues seen;
        ProtectionSettings settings = settings::LoadSettings(directory, &seen);
        const std::optional<std::wstring> done = change(settings);
        if (!done) {
            WriteLine(L"unchanged: " + already);
            return kDone;
        }
        const settings::SaveReport report = settings::SaveSettings(settings, directory, &seen);
        // Another program changed the file in between: the change is made
        // again on what it holds now.
        if (report.result == settings::SaveResult::ChangedElsewhere && attempt < 10) continue;
        const settings::SaveMessage message = settings::DescribeSave(settings, report);
        if (!report) {
            const bool refused = message.kind == settings::SaveMessage::Refusal;
            return Fail(refused ? message.text : L"设置未保存：" + message.text, refused ? kBadInput : kNotSaved);
        }
        WriteLine(L"changed: " + *done);
        if (message.kind == settings::SaveMessage::Notice) WriteLine(message.text);
        return kDone;
    }
}

int Get(const Invocation& call) {
    const SettingKey* only = call.arguments.empty() ? nullptr : FindKey(call.arguments[0]);
    if (!call.arguments.empty() && !only) return kBadInput;
    std::string ignored;
    if (!ReadConfig(call.directory, ignored)) return kBadInput;
    const ProtectionSettings settings = settings::LoadSettings(call.directory);
    if (call.json) {
        Json object = Json::object();
        for (const SettingKey& key : settings::kSettingKeys) {
            if (!only || only == &key) object[key.name] = SettingJson(key, settings);
        }
        WriteJson(object);
    } else if (only && only->list) {
        // One item a line, as scripts take them.
        for (const auto& item : settings.*only->list) WriteLine(item);
    } else if (only) {
        WriteLine(ValueText(*only, settings));
    } else {
        for (const SettingKey& key : settings::kSettingKeys) WriteLine(Name(key) + L"=" + ValueText(key, settings));
    }
    return kDone;
}

int Set(const Invocation& call) {
    const SettingKey* key = FindKey(call.arguments[0]);
    if (!key) return kBadInput;
    const std::wstring& value = call.arguments[1];
    if (key->list) return Fail(Name(*key) + L" 是列表：请用 add 或 remove 修改。");
    if (key->flag && !IsWord(value, "true") && !IsWord(value, "false")) {
        return Fail(Name(*key) + L" 的值只能是 True 或 False，不能是" + settings::Quoted(value) + L"。");
    }
    ProtectionSettings wanted;
    SetValue(wanted, *key, value);
    const std::wstring shown = ValueText(*key, wanted);
    return ChangeKey(call, *key, value, SetValue, Name(*key) + L"=" + shown,
                     Name(*key) + L" 已经是" + (key->flag ? L" " + shown : settings::Quoted(shown)));
}

int Add(const Invocation& call) {
    const SettingKey* key = ListKey(call.arguments, L"add");
    if (!key) return kBadInput;
    const std::wstring& item = call.arguments[1];
    if (const wchar_t* refusal = settings::ItemRefusal(key->list, item)) return Fail(refusal);
    return ChangeKey(call, *key, item, AddItem, L"已向 " + Name(*key) + L" 添加" + settings::Quoted(item),
                     Name(*key) + L" 中已有" + settings::Quoted(item));
}

int Remove(const Invocation& call) {
    const SettingKey* key = ListKey(call.arguments, L"remove");
    if (!key) return kBadInput;
    const std::wstring& item = call.arguments[1];
    return ChangeKey(call, *key, item, RemoveItem, L"已从 " + Name(*key) + L" 移除" + settings::Quoted(item),
                     Name(*key) + L" 中没有" + settings::Quoted(item));
}

}  // namespace command_line
