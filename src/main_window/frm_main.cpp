#include "frm_main.h"

#include "form2.h"
#include "form3.h"
#include "host.h"
#include "save_messages.h"
#include "settings_store.h"

namespace main_window {
namespace {

constexpr wchar_t kSavedNotice[] =
    L"修改设置后新的设置将在15分钟内生效，如想立即生效则请重新启动IIS服务器!";

constexpr wchar_t kChangedElsewhereQuestion[] =
    L"Config.ini 在本窗口打开后已被其他程序修改。\n是否用本窗口中的设置覆盖这些修改？";

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
    const settings::SaveMessage message = settings::DescribeSave(record, report);
    switch (message.kind) {
        case settings::SaveMessage::None: break;
        case settings::SaveMessage::Notice: host().ShowMessage(hwnd(), message.text, L"提示"); break;
        case settings::SaveMessage::Refusal: host().ShowMessage(hwnd(), message.text, L"错误"); break;
        case settings::SaveMessage::Failure: host().ShowMessage(hwnd(), message.text, kApplicationTitle); break;
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

void frmMain::EnableRemoveIfSelected(int list, int removeButton) {
    if (SendMessageW(Control(list), LB_GETCURSEL, 0, 0) != LB_ERR) EnableRemove(removeButton, true);
}

void frmMain::EnableRemove(int removeButton, bool enabled) {
    const HWND button = Control(removeButton);
    const bool handOn = !enabled && GetFocus() == button;
    EnableWindow(button, enabled);
    if (handOn) SetFocus(GetNextDlgTabItem(hwnd(), button, FALSE));
}

void frmMain::RemoveSelected(int list, int removeButton) {
    const HWND box = Control(list);
    const LRESULT selected = SendMessageW(box, LB_GETCURSEL, 0, 0);
    if (selected != LB_ERR) {
        SendMessageW(box, LB_DELETESTRING, static_cast<WPARAM>(selected), 0);
        SendMessageW(box, LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    }
    EnableRemove(removeButton, false);
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
