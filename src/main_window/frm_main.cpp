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

// The message for a text that Config.ini cannot hold, naming the text.
std::wstring UnstorableMessage(const std::wstring& text) {
    constexpr size_t kShown = 40;
    std::wstring shown = text.size() > kShown ? text.substr(0, kShown) + L"…" : text;
    for (auto& c : shown) {
        if (c == L'\r' || c == L'\n' || c == L'\0') c = L' ';
    }
    return L"无法保存“" + shown + L"”：其中含有设置文件（GBK编码）不能保存的字符。设置未保存。";
}

// The message for a Config.ini that announces another coding: this editor
// writes GBK only, and its lines would spoil such a file.
std::wstring OtherCodingMessage(const wchar_t* coding) {
    return std::wstring(L"Config.ini 是") + coding + L"编码的文件，本程序只能写GBK编码的设置文件。为免损坏该文件，设置未保存。";
}

// The first text of the record that Config.ini cannot hold, looked for once
// the save has refused one.
const std::wstring* FirstUnstorable(const settings::ProtectionSettings& record) {
    if (!settings::CanStoreText(record.redirectFile)) return &record.redirectFile;
    for (const auto* list : {&record.freePaths, &record.friendUrls}) {
        // The list as one text first: one conversion instead of thousands
        // when, as nearly always, every item can be stored.
        if (settings::CanStoreText(settings::JoinItemList(*list))) continue;
        for (const auto& item : *list) {
            if (!settings::CanStoreText(item)) return &item;
        }
    }
    return nullptr;
}

}  // namespace

frmMain::frmMain(forms::Host& host, std::optional<settings::NativePath> settingsDirectory)
    : Form(MainWindowLayout(), host), settingsDirectory_(std::move(settingsDirectory)) {}

void frmMain::OnLoad() { Form_Load(); }

void frmMain::OnCommand(int id, int code) {
    if (code == BN_CLICKED) {
        switch (id) {
            case Check1_0:
            case Check1_1:
            case Check1_2: Check1_Click(id - Check1_0); break;
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
    const auto stored = settingsDirectory_ ? settings::LoadSettings(*settingsDirectory_) : settings::LoadSettings();
    SelectOption(stored.enabled ? Option1 : Option2);
    const bool flags[3] = {stored.protectJpg, stored.protectGif, stored.protectJpeg};
    for (int index = 0; index < 3; ++index) {
        if (flags[index]) {
            extension_[index] = true;
            SetCheck1(index, true);
        }
    }
    SetWindowTextW(Control(txtRedirectFile), stored.redirectFile.c_str());
    FillList(List1, stored.freePaths);
    FillList(List2, stored.friendUrls);
}

void frmMain::Check1_Click(int index) { extension_[index] = IsChecked(Check1_0 + index); }

void frmMain::List1_Click() { EnableRemoveIfSelected(List1, cmdDelPath); }

void frmMain::List2_Click() { EnableRemoveIfSelected(List2, cmdDelWeb); }

void frmMain::cmdAddPath_Click() {
    // A new dialog each time, so its box starts empty.
    dialogs::Form2 dialog(host(), [this](const std::wstring& item) { AddFreePath(item); });
    if (dialog.Load(hwnd())) host().ShowModal(dialog, hwnd());
}

void frmMain::cmdAddWeb_Click() {
    dialogs::Form3 dialog(host(), [this](const std::wstring& item) { AddFriendUrl(item); });
    if (dialog.Load(hwnd())) host().ShowModal(dialog, hwnd());
}

void frmMain::cmdDelPath_Click() { RemoveSelected(List1, cmdDelPath); }

void frmMain::cmdDelWeb_Click() { RemoveSelected(List2, cmdDelWeb); }

bool frmMain::cmdSave_Click() {
    enabled_ = IsChecked(Option1);
    redirectFile_ = settings::TrimSpaces(Text(txtRedirectFile));
    settings::ProtectionSettings record;
    record.enabled = enabled_;
    record.protectJpg = extension_[0];
    record.protectGif = extension_[1];
    record.protectJpeg = extension_[2];
    record.redirectFile = redirectFile_;
    record.freePaths = ListItems(List1);
    record.friendUrls = ListItems(List2);
    settings::FileCoding coding = settings::FileCoding::Gbk;
    const settings::SaveResult result = settingsDirectory_
                                            ? settings::TrySaveSettings(record, *settingsDirectory_, &coding)
                                            : settings::TrySaveSettings(record, &coding);
    switch (result) {
        case settings::SaveResult::Saved:
            break;
        case settings::SaveResult::UnstorableText:
            // The text is named; were none found, the failure is still told.
            if (const std::wstring* text = FirstUnstorable(record)) {
                host().ShowMessage(hwnd(), UnstorableMessage(*text), L"错误");
                break;
            }
            [[fallthrough]];
        case settings::SaveResult::WriteFailed:
            host().ShowMessage(hwnd(), L"写文件时出错", kApplicationTitle);
            break;
        case settings::SaveResult::OtherCoding:
            host().ShowMessage(hwnd(), OtherCodingMessage(settings::CodingName(coding)), kApplicationTitle);
            break;
    }
    return result == settings::SaveResult::Saved;
}

void frmMain::cmdOK_Click() {
    // After a failed save the window stays open, with every edit in it.
    if (!cmdSave_Click()) return;
    host().ShowMessage(hwnd(), kSavedNotice, L"提示");
    Close();
}

void frmMain::CmdCancel_Click() { Close(); }

void frmMain::AddFreePath(const std::wstring& item) {
    SendMessageW(Control(List1), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
}

void frmMain::AddFriendUrl(const std::wstring& item) {
    SendMessageW(Control(List2), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
}

void frmMain::SetCheck1(int index, bool ticked) {
    // A change made here is a change of the box like any other.
    SendMessageW(Control(Check1_0 + index), BM_SETCHECK, ticked ? BST_CHECKED : BST_UNCHECKED, 0);
    Check1_Click(index);
}

void frmMain::EnableRemoveIfSelected(int list, int removeButton) {
    // A single-selection list: its one selected item is the first one.
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
