#include "save_messages.h"

namespace settings {
namespace {

// The message for a text that Config.ini cannot hold, naming the text.
std::wstring UnstorableMessage(const std::wstring& text) {
    return L"无法保存" + Quoted(text) + L"：其中含有设置文件（GBK编码）不能保存的字符。设置未保存。";
}

// The second line of "写文件时出错": what went wrong and what to do.
std::wstring WriteFailureCause(const SaveReport& report) {
    if (report.result == SaveResult::ReadOnly) return L"Config.ini 是只读文件：请先在文件属性中去掉“只读”。";
    if (report.result == SaveResult::NotAFile) return L"Config.ini 是一个文件夹，不是文件。";
    switch (platform::KindOf(report.error)) {
        case platform::ErrorKind::NoPermission:
            return L"没有写入权限：过滤器所在的文件夹通常要以管理员身份运行本程序才能写入。";
        case platform::ErrorKind::InUse:
            return L"Config.ini 正被其他程序使用：请关闭该程序后再试。";
        case platform::ErrorKind::DiskFull:
            return L"磁盘已满：请腾出空间后再试。";
        case platform::ErrorKind::Other:
            break;
    }
    return platform::ErrorText(report.error);
}

}  // namespace

std::wstring FilterReadingLines(const ProtectionSettings& settings, const FilterReading& reading) {
    std::wstring message;
    if (!reading.redirectFileWhole) message += L"\n自定义盗链后转向的文件太长，过滤器读不全。";
    const auto list = [&](const std::vector<std::wstring>& items, size_t read, const wchar_t* name, const wchar_t* unit) {
        if (read == items.size()) return;
        message += L"\n" + std::wstring(name) + L"太长，过滤器只读取前" + std::to_wstring(read) + L"个" + unit +
                   L"（共" + std::to_wstring(items.size()) + L"个），从" + Quoted(items[read]) + L"起的" + unit +
                   L"不起作用。";
    };
    list(settings.freePaths, reading.freePathsRead, L"目录列表", L"目录");
    list(settings.friendUrls, reading.friendUrlsRead, L"友情站点列表", L"站点");
    return message;
}

namespace {

// The message for a Config.ini that announces another coding: the editor
// writes GBK only, and its lines would spoil such a file.
std::wstring OtherCodingMessage(const wchar_t* coding) {
    return std::wstring(L"Config.ini 是") + coding + L"编码的文件，本程序只能写GBK编码的设置文件。为免损坏该文件，设置未保存。";
}

}  // namespace

std::wstring Quoted(const std::wstring& text) {
    constexpr size_t kShown = 40;
    std::wstring shown = text.size() > kShown ? text.substr(0, kShown) + L"…" : text;
    for (auto& c : shown) {
        if (c == L'\r' || c == L'\n' || c == L'\0') c = L' ';
    }
    return L"“" + shown + L"”";
}

SaveMessage DescribeSave(const ProtectionSettings& settings, const SaveReport& report) {
    switch (report.result) {
        case SaveResult::Saved: {
            const FilterReading& r = report.reading;
            if (r.redirectFileWhole && r.freePathsRead == settings.freePaths.size() &&
                r.friendUrlsRead == settings.friendUrls.size()) {
                return {};
            }
            return {SaveMessage::Notice, L"设置已保存，但过滤器每项设置只读取前999字节：" + FilterReadingLines(settings, r)};
        }
        case SaveResult::UnstorableText:
            return {SaveMessage::Refusal, UnstorableMessage(RefusedText(settings, report))};
        case SaveResult::OtherCoding:
            return {SaveMessage::Failure, OtherCodingMessage(CodingName(report.storedCoding))};
        case SaveResult::ChangedElsewhere:
            return {};
        case SaveResult::ReadOnly:
        case SaveResult::NotAFile:
        case SaveResult::WriteFailed:
            break;
    }
    return {SaveMessage::Failure, L"写文件时出错\n" + WriteFailureCause(report)};
}

}  // namespace settings
