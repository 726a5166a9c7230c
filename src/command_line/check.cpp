// check: Config.ini as this machine's own profile reader reads it, through
// the filter's 1000-byte buffer, beside the editor's reading of the same
// file, with what a reader of it should know.
#include <windows.h>

#include <cstring>

#include "byte_order.h"
#include "commands.h"
#include "console.h"
#include "gbk_text.h"
#include "ini_document.h"
#include "json_output.h"
#include "save_messages.h"
#include "settings_store.h"

namespace command_line {
namespace {

constexpr UINT kGbk = 936;

std::wstring Widened(const std::string& bytes, UINT codePage) {
    std::wstring text(bytes.size(), L'\0');
    text.resize(static_cast<size_t>(MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()),
                                                        text.data(), static_cast<int>(text.size()))));
    return text;
}

std::string Narrowed(const std::wstring& text, UINT codePage, bool* lossy = nullptr) {
    BOOL defaulted = FALSE;
    const bool strict = lossy && codePage != CP_UTF8;
    std::string bytes(text.size() * 4, '\0');
    bytes.resize(static_cast<size_t>(WideCharToMultiByte(codePage, strict ? WC_NO_BEST_FIT_CHARS : 0, text.data(),
                                                         static_cast<int>(text.size()), bytes.data(),
                                                         static_cast<int>(bytes.size()), nullptr,
                                                         strict ? &defaulted : nullptr)));
    if (lossy) *lossy = defaulted != FALSE;
    return bytes;
}

// Bytes through the conversions the profile reader makes: the file into
// UTF-16, the value back into the ANSI code page.
std::string RoundTrip(const std::string& bytes) { return Narrowed(Widened(bytes, CP_ACP), CP_ACP); }

// The file's path as the filter names it, in the ANSI code page; its short
// form where the long one has characters the code page lacks.
std::string AnsiPath(const std::wstring& file) {
    bool lossy = false;
    std::string path = Narrowed(file, CP_ACP, &lossy);
    if (!lossy) return path;
    const size_t separator = file.find_last_of(L"\\/");
    std::wstring folder = file.substr(0, separator);
    std::wstring shortFolder(32768, L'\0');
    shortFolder.resize(GetShortPathNameW(folder.c_str(), shortFolder.data(), static_cast<DWORD>(shortFolder.size())));
    return shortFolder.empty() ? path : Narrowed(shortFolder + file.substr(separator), CP_ACP);
}

// What the profile reader reads for a key through a buffer of `size` bytes,
// up to the first NUL, as the filter takes it.
std::string ProfileRead(const std::string& path, const char* key, const char* fallback, size_t size) {
    std::string buffer(size, '\0');
    GetPrivateProfileStringA(settings::kSettingSection, key, fallback, buffer.data(), static_cast<DWORD>(size),
                             path.c_str());
    buffer.resize(std::strlen(buffer.c_str()));
    return buffer;
}

// A reading as it is shown: the filter's in the ANSI code page, the
// editor's as it decodes GBK, cut after 999 bytes with its length told.
std::wstring Shown(const std::string& bytes, UINT codePage) {
    if (bytes.size() <= settings::kFilterReadLimit) return Widened(bytes, codePage);
    const size_t cut = settings::BytesReadByFilter(bytes, false);
    return Widened(bytes.substr(0, cut), codePage) + L"…（共 " + std::to_wstring(bytes.size()) + L" 字节）";
}

// Shown as lines of text, or gathered into one JSON object written at the
// end.
class Checker {
public:
    explicit Checker(const Invocation& call) : directory_(call.directory), json_(call.json) {}

    int Run() {
        std::string bytes;
        const std::wstring file = settings::SettingsFilePath(directory_);
        if (!ReadConfig(directory_, bytes)) return kBadInput;
        const bool exists = GetFileAttributesW(file.c_str()) != INVALID_FILE_ATTRIBUTES;
        if (json_) {
            report_ = {{"file", Utf8(file)}, {"ansiCodePage", acp_}, {"keys", Json::object()},
                       {"warnings", Json::array()}, {"disagreements", Json::array()}};
        } else {
            WriteLine(L"Config.ini：" + file);
            WriteLine(L"本机的 ANSI 代码页：" + std::to_wstring(acp_));
        }
        if (acp_ != kGbk) {
            Warn("code-page", L"本机的 ANSI 代码页是 " + std::to_wstring(acp_) +
                 L"，不是 936：这台服务器上的过滤器按代码页 " + std::to_wstring(acp_) +
                 L" 读取 Config.ini 里的 GBK 字节，中文会被读错。下面两种读法的不同不算本程序的错误。");
        }
        if (!exists) Warn("missing-file", L"Config.ini 不存在：过滤器读取的全是默认值，防盗链是关闭的。");
        if (const auto coding = settings::CodingOf(bytes); coding != settings::FileCoding::Gbk) {
            Warn("byte-order-mark", std::wstring(L"文件以 ") + settings::CodingName(coding) +
                 L" 的字节顺序标记开头，不是 GBK 编码：编辑器只显示、不保存这种文件。");
            bytes = settings::EncodeGbkLossy(settings::DecodeMarkedText(bytes, coding));
        }
        SurveyLines(settings::IniDocument(bytes));
        CompareReadings(AnsiPath(file), bytes.size() + 16);
        if (json_) {
            WriteJson(report_);
        } else {
            WriteLine(L"检查完毕：" + std::to_wstring(disagreements_) + L" 处不一致，" + std::to_wstring(warnings_) +
                      L" 个警告。");
        }
        return disagreements_ > 0 ? kBadInput : warnings_ > 0 ? kWarnings : kDone;
    }

private:
    // `kind` names the warning for scripts.
    void Warn(const char* kind, const std::wstring& text) {
        ++warnings_;
        if (!json_) {
            WriteLine(L"警告：" + text);
            return;
        }
        report_["warnings"].push_back({{"kind", kind}, {"text", Utf8(text)}});
    }

    void Disagree(const settings::SettingKey& key) {
        ++disagreements_;
        const std::wstring text = Name(key) + L" 的两种读法不同。这是本程序的错误，请报告。";
        if (!json_) {
            WriteLine(L"不一致：" + text);
            return;
        }
        report_["disagreements"].push_back({{"kind", "disagreement"}, {"key", key.name}, {"text", Utf8(text)}});
    }

    // A key as this machine's reader reads it through the filter's buffer,
    // and as the editor reads it.
    void ShowReadings(const settings::SettingKey& key, const std::string& filtered, const std::string& editor) {
        if (json_) {
            report_["keys"][key.name] = {{"filter", Utf8(Widened(filtered, CP_ACP))}, {"editor", Utf8(Widened(editor, kGbk))}};
            return;
        }
        WriteLine(Name(key));
        WriteLine(L"  过滤器读取：" + Shown(filtered, CP_ACP));
        WriteLine(L"  编辑器读取：" + Shown(editor, kGbk));
    }

    // Sections and key lines that the reader reads otherwise than one might
    // think.
    void SurveyLines(const settings::IniDocument& document) {
        const auto survey = document.Survey(settings::kSettingSection, settings::kSettingKeyNames.data(),
                                            settings::kSettingKeyCount);
        if (!survey.found && !document.bytes().empty()) Warn("no-section", L"文件里没有 [SETTING] 节：过滤器读取的全是默认值。");
        if (survey.ignoredSections > 0) {
            Warn("other-sections", L"文件里另有 " + std::to_wstring(survey.ignoredSections) +
                 L" 个 [SETTING] 节：过滤器只读第一个，其余的被忽略。");
        }
        for (size_t k = 0; k < settings::kSettingKeyCount; ++k) {
            const auto& lines = survey.keys[k].lines;
            const std::wstring key = Name(settings::kSettingKeys[k]);
            if (lines.empty()) continue;
            const std::wstring first = std::to_wstring(lines.front());
            if (survey.keys[k].firstWithoutEquals) {
                Warn("key-without-equals", L"第 " + first + L" 行的 " + key + L" 没有“=”：过滤器把 " + key +
                     L" 读作缺失（默认值），后面的 " + key + L" 行也被忽略。");
            }
            if (lines.size() > 1) {
                std::wstring all;
                for (const size_t line : lines) all += (all.empty() ? L"" : L"、") + std::to_wstring(line);
                Warn("key-repeated", key + L" 在 [SETTING] 节里写了 " + std::to_wstring(lines.size()) + L" 次（第 " + all +
                     L" 行）：过滤器只读第 " + first + L" 行，后面的被忽略。");
            }
        }
    }

    // Each value as the profile reader reads it, whole and through the
    // filter's buffer, beside the editor's reading.
    void CompareReadings(const std::string& path, size_t wholeSize) {
        settings::SeenValues seen;
        const settings::ProtectionSettings loaded = settings::LoadSettings(directory_, &seen);
        // What the filter reads of each list: all of it, unless cut below.
        settings::FilterReading cut{true, loaded.freePaths.size(), loaded.friendUrls.size()};
        bool cutAny = false;
        for (size_t k = 0; k < settings::kSettingKeyCount; ++k) {
            const settings::SettingKey& key = settings::kSettingKeys[k];
            const char* fallback = key.flag ? "False" : "";
            const std::string editor = RoundTrip(seen.bytes[k].value_or(fallback));
            const std::string whole = ProfileRead(path, key.name, fallback, wholeSize);
            const std::string filtered = ProfileRead(path, key.name, fallback, settings::kFilterReadLimit + 1);
            ShowReadings(key, filtered, seen.bytes[k].value_or(fallback));
            // The editor's rule for the cut, for a value in quotation marks
            // and for one without.
            const bool agree = whole == editor &&
                               (filtered == editor.substr(0, settings::BytesReadByFilter(editor, false)) ||
                                filtered == editor.substr(0, settings::BytesReadByFilter(editor, true)));
            if (!agree && acp_ == kGbk) {
                Disagree(key);
            } else if (!agree) {
                Warn("code-page-reading", Name(key) + L" 的两种读法因代码页不同而不同。");
            }
            if (settings::DecodeGbk(seen.bytes[k].value_or("")).find(L'\uFFFD') != std::wstring::npos) {
                Warn("not-gbk", Name(key) + L" 含有不是 GBK 编码的字节（编辑器显示为 \uFFFD）：编辑器不会把它们写回。");
            }
            if (filtered.size() == whole.size()) continue;
            cutAny = true;
            if (key.text) cut.redirectFileWhole = false;
            if (key.list == &settings::ProtectionSettings::freePaths) {
                cut.freePathsRead = settings::SplitItemList(Widened(filtered, CP_ACP)).size();
            }
            if (key.list == &settings::ProtectionSettings::friendUrls) {
                cut.friendUrlsRead = settings::SplitItemList(Widened(filtered, CP_ACP)).size();
            }
        }
        if (cutAny) Warn("read-limit", L"过滤器每项设置只读取前999字节：" + settings::FilterReadingLines(loaded, cut));
    }

    settings::NativePath directory_;
    bool json_;
    Json report_;
    UINT acp_ = GetACP();
    int warnings_ = 0, disagreements_ = 0;
};

}  // namespace

int Check(const Invocation& call) { return Checker(call).Run(); }

}  // namespace command_line
