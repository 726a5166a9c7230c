#include "frm_main.h"

#include "form2.h"
#include "form3.h"
#include "gbk_text.h"
#include "host.h"
#include "settings_store.h"

namespace main_window {
namespace {

constexpr wchar_t kSavedNotice[] =
    L"修改设置后新的设置将在15分钟内生效，如想立即生效则请重新启动IIS服务器!";

constexpr wchar_t kChangedElsewhereQuestion[] =
    L"Config.ini 在本窗口打开后已被其他程序修改。\n是否用本窗口中的设置覆盖这些修改？";

// A text as a message names it: shortened when long, on one line.
std::wstring Shown(const std::wstring& text) {
    constexpr size_t kShown = 40;
    std::wstring shown = text.size() > kShown ? text.substr(0, kShown) + L"…" : text;
    for (auto& c : shown) {
        if (c == L'\r' || c == L'\n' || c == L'\0') c = L' ';
    }
    return L"“" + shown + L"”";
}

// The message for a text that Config.ini cannot hold, naming the text.
std::wstring UnstorableMessage(const std::wstring& text) {
    return L"无法保存" + Shown(text) + L"：其中含有设置文件（GBK编码）不能保存的字符。设置未保存。";
}

// The second line of "写文件时出错": what went wrong and what to do.
std::wstring WriteFailureCause(const settings::SaveReport& report) {
    switch (report.result) {
        case settings::SaveResult::ReadOnly:
            return L"Config.ini 是只读文件：请先在文件属性中去掉“只读”。";
        case settings::SaveResult::NotAFile:
            return L"Config.ini 是一个文件夹，不是文件。";
        default:
            break;
    }
    switch (report.error) {
        case ERROR_ACCESS_DENIED:
        case ERROR_PRIVILEGE_NOT_HELD:
            return L"没有写入权限：过滤器所在的文件夹通常要以管理员身份运行本程序才能写入。";
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
        case ERROR_USER_MAPPED_FILE:
        case ERROR_UNABLE_TO_REMOVE_REPLACED:
            return L"Config.ini 正被其他程序使用：请关闭该程序后再试。";
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return L"磁盘已满：请腾出空间后再试。";
    }
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        static_cast<DWORD>(report.error), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring cause = length > 0 ? std::wstring(text, length) : L"错误代码 " + std::to_wstring(report.error);
    LocalFree(text);
    while (!cause.empty() && (cause.back() == L'\n' || cause.back() == L'\r' || cause.back() == L' ')) cause.pop_back();
    return cause;
}

// The notice of a save whose values the filter reads only in part.
std::wstring FilterReadingMessage(const settings::ProtectionSettings& record, const settings::FilterReading& reading) {
    std::wstring message = L"设置已保存，但过滤器每项设置只读取前999字节：";
    if (!reading.redirectFileWhole) message += L"\n自定义盗链后转向的文件太长，过滤器读不全。";
    const auto list = [&](const std::vector<std::wstring>& items, size_t read, const wchar_t* name, const wchar_t* unit) {
        if (read == items.size()) return;
        message += L"\n" + std::wstring(name) + L"太长，过滤器只读取前" + std::to_wstring(read) + L"个" + unit +
                   L"（共" + std::to_wstring(items.size()) + L"个），从" + Shown(items[read]) + L"起的" + unit +
                   L"不起作用。";
    };
    list(record.freePaths, reading.freePathsRead, L"目录列表", L"目录");
    list(record.friendUrls, reading.friendUrlsRead, L"友情站点列表", L"站点");
    return message;
}

// The message for a Config.ini that announces another coding: this editor
// writes GBK only, and its lines would spoil such a file.
std::wstring OtherCodingMessage(const wchar_t* coding) {
    return std::wstring(L"Config.ini 是") + coding + L"编码的文件，本程序只能写GBK编码的设置文件。为免损坏该文件，设置未保存。";
}

// The extension boxes and the flag each holds.
constexpr struct {
    int box;
    bool settings::ProtectionSettings::*flag;
} kExtensionBoxes[] = {
    {Check1_0, &settings::ProtectionSettings::protectJpg},
    {Check1_1, &settings::ProtectionSettings::protectGif},
    {Check1_2, &settings::ProtectionSettings::protectJpeg},
};

}  // namespace

frmMain::frmMain(forms::Host& host, std::optional<settings::NativePath> settingsDirectory)
    : Form(MainWindowLayout(), host), settingsDirectory_(std::move(settingsDirectory)) {}

void frmMain::OnLoad() { Form_Load(); }

void frmMain::OnCommand(int id, int code) {
    if (code == BN_CLICKED) {
        switch (id) {
            case cmdAddPath: cmdAddPath_Click(); break;
            case cmdDelPath: cmdDelPath_Click(); break;
            case cmdAddWeb: cmdAddWeb_Click(); break;
            case cmdDelWeb: cmdDelWeb_Click(); break;
            case cmdSave: cmdSave_Click(); break;
            case cmdOK: cmdOK_Click(); break;
            case CmdCancel: CmdCancel_Click(); break;
        }
    } else if (code == LBN_SELCHANGE) {
        if (id == List1) List1_Click();
        if (id == List2) List2_Click();
    }
}

void frmMain::Form_Load() {
    const auto stored = settings::LoadSettings(SettingsDirectory(), &seen_);
    SelectOption(stored.enabled ? Option1 : Option2);
    for (const auto& [box, flag] : kExtensionBoxes) {
        if (stored.*flag) SendMessageW(Control(box), BM_SETCHECK, BST_CHECKED, 0);
    }
    SetWindowTextW(Control(txtRedirectFile), stored.redirectFile.c_str());
    FillList(List1, stored.freePaths);
    FillList(List2, stored.friendUrls);
}

void frmMain::List1_Click() { EnableRemoveIfSelected(List1, cmdDelPath); }

void frmMain::List2_Click() { EnableRemoveIfSelected(List2, cmdDelWeb); }

void frmMain::cmdAddPath_Click() { AddFromDialog<dialogs::Form2>(List1); }

void frmMain::cmdAddWeb_Click() { AddFromDialog<dialogs::Form3>(List2); }

void frmMain::cmdDelPath_Click() { RemoveSelected(List1, cmdDelPath); }

void frmMain::cmdDelWeb_Click() { RemoveSelected(List2, cmdDelWeb); }

bool frmMain::cmdSave_Click() {
    const settings::ProtectionSettings record = WindowSettings();
    const auto report = SaveUnlessTheUserSaysNo(record);
    if (!report) return false;
    TellHowTheSaveWent(record, *report);
    return static_cast<bool>(*report);
}

void frmMain::cmdOK_Click() {
    // After a failed save the window stays open, with every edit in it.
    if (!cmdSave_Click()) return;
    host().ShowMessage(hwnd(), kSavedNotice, L"提示");
    Close();
}

void frmMain::CmdCancel_Click() { Close(); }

// The settings as the window shows them; the redirect box keeps its text as
// typed.
settings::ProtectionSettings frmMain::WindowSettings() const {
    settings::ProtectionSettings record;
    record.enabled = IsChecked(Option1);
    for (const auto& [box, flag] : kExtensionBoxes) record.*flag = IsChecked(box);
    record.redirectFile = settings::TrimSpaces(Text(txtRedirectFile));
    record.freePaths = ListItems(List1);
    record.friendUrls = ListItems(List2);
    return record;
}

// Saves; a change another program made since the file was read is
// overwritten only when the user says so, and asked about again if yet
// another comes between. Nothing when the user says no.
std::optional<settings::SaveReport> frmMain::SaveUnlessTheUserSaysNo(const settings::ProtectionSettings& record) {
    for (;;) {
        settings::SaveReport report = settings::SaveSettings(record, SettingsDirectory(), &seen_);
        if (report.result != settings::SaveResult::ChangedElsewhere) return report;
        if (!host().Ask(hwnd(), kChangedElsewhereQuestion, L"提示")) return std::nullopt;
        seen_ = std::move(report.found);
    }
}

void frmMain::TellHowTheSaveWent(const settings::ProtectionSettings& record, const settings::SaveReport& report) {
    switch (report.result) {
        case settings::SaveResult::Saved:
            if (const auto& r = report.reading; !r.redirectFileWhole || r.freePathsRead < record.freePaths.size() ||
                                               r.friendUrlsRead < record.friendUrls.size()) {
                host().ShowMessage(hwnd(), FilterReadingMessage(record, r), L"提示");
            }
            break;
        case settings::SaveResult::UnstorableText:
            host().ShowMessage(hwnd(), UnstorableMessage(settings::RefusedText(record, report)), L"错误");
            break;
        case settings::SaveResult::OtherCoding:
            host().ShowMessage(hwnd(), OtherCodingMessage(settings::CodingName(report.storedCoding)), kApplicationTitle);
            break;
        case settings::SaveResult::ChangedElsewhere:  // asked about before
            break;
        case settings::SaveResult::ReadOnly:
        case settings::SaveResult::NotAFile:
        case settings::SaveResult::WriteFailed:
            host().ShowMessage(hwnd(), L"写文件时出错\n" + WriteFailureCause(report), kApplicationTitle);
            break;
    }
}

settings::NativePath frmMain::SettingsDirectory() const {
    return settingsDirectory_ ? *settingsDirectory_ : settings::platform::ApplicationDirectory();
}

template <class Dialog>
void frmMain::AddFromDialog(int list) {
    // A new dialog each time, so its box starts empty. The item comes last,
    // unselected.
    Dialog dialog(host());
    if (dialog.ShowModal(hwnd())) {
        SendMessageW(Control(list), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(dialog.item.c_str()));
    }
}

void frmMain::EnableRemoveIfSelected(int list, int removeButton) {    // A single-selection list: its one selected item is the first one.
    if (SendMessageW(Control(list), LB_GETCURSEL, 0, 0) != LB_ERR) Enable(removeButton, true);
}

void frmMain::RemoveSelected(int list, int removeButton) {
    const HWND box = Control(list);
    const LRESULT selected = SendMessageW(box, LB_GETCURSEL, 0, 0);
    if (selected != LB_ERR) {
        SendMessageW(box, LB_DELETESTRING, static_cast<WPARAM>(selected), 0);
        SendMessageW(box, LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    }
    Enable(removeButton, false);
}

void frmMain::FillList(int list, const std::vector<std::wstring>& items) {
    const HWND box = Control(list);
    size_t characters = 0;
    for (const auto& item : items) characters += item.size() + 1;
    SendMessageW(box, WM_SETREDRAW, FALSE, 0);
    SendMessageW(box, LB_INITSTORAGE, items.size(), characters * sizeof(wchar_t));
    for (const auto& item : items) SendMessageW(box, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
    SendMessageW(box, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(box, nullptr, TRUE);
}

std::vector<std::wstring> frmMain::ListItems(int list) const {
    const HWND box = Control(list);
    const LRESULT count = SendMessageW(box, LB_GETCOUNT, 0, 0);
    std::vector<std::wstring> items;
    items.reserve(count > 0 ? static_cast<size_t>(count) : 0);
    for (LRESULT i = 0; i < count; ++i) {
        const LRESULT length = SendMessageW(box, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
        std::wstring item(length > 0 ? static_cast<size_t>(length) : 0, L'\0');
        if (length > 0) {
            const LRESULT got = SendMessageW(box, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(item.data()));
            item.resize(got > 0 ? static_cast<size_t>(got) : 0);
        }
        items.push_back(std::move(item));
    }
    return items;
}

}  // namespace main_window
