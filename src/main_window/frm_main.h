#pragma once

#include <optional>
#include <string>
#include <vector>

#include "form.h"
#include "native_path.h"
#include "settings_store.h"

namespace main_window {

// The controls of the main settings window, named as the window names them.
enum ControlId : int {
    Frame1 = 100, Option1, Option2,
    Frame2, Label1, Check1_0, Check1_1, Check1_2,
    Frame5, Label4, txtRedirectFile,
    Frame3, Label2, List1, cmdAddPath, cmdDelPath,
    Frame4, Label3, List2, cmdAddWeb, cmdDelWeb,
    cmdOK, CmdCancel, cmdSave,
};

// The window's description: its properties and its 24 controls.
const forms::FormLayout& MainWindowLayout();

// The application's title, which also heads the message of a failed save.
extern const wchar_t kApplicationTitle[];

// The main settings window. It fills its controls from Config.ini when it
// loads and writes them back on Apply and OK. Without a directory it uses
// Config.ini beside the program.
class frmMain : public forms::Form {
public:
    explicit frmMain(forms::Host& host, std::optional<settings::NativePath> settingsDirectory = std::nullopt);

protected:
    void OnLoad() override;
    void OnCommand(int id, int code) override;

private:
    // The window is created: the stored settings go into the controls.
    void Form_Load();
    // The selection of the directory list changed.
    void List1_Click();
    // The selection of the friendly-site list changed.
    void List2_Click();
    // "添  加" beside the directory list.
    void cmdAddPath_Click();
    // "移  除" beside the directory list.
    void cmdDelPath_Click();
    // "添  加" beside the friendly-site list.
    void cmdAddWeb_Click();
    // "移  除" beside the friendly-site list.
    void cmdDelWeb_Click();
    // "应  用": saves the window's settings; true when they were saved.
    bool cmdSave_Click();
    // "确  定": saves, tells when the filter takes the settings, closes.
    void cmdOK_Click();
    // "取  消": closes without saving.
    void CmdCancel_Click();

    // The steps of a save.
    settings::ProtectionSettings WindowSettings() const;
    std::optional<settings::SaveReport> SaveUnlessTheUserSaysNo(const settings::ProtectionSettings& record);
    void TellHowTheSaveWent(const settings::ProtectionSettings& record, const settings::SaveReport& report);

    // Where Config.ini is: the given directory, or the program's own.
    settings::NativePath SettingsDirectory() const;
    // Opens an entry dialog and appends the item it takes to the list.
    template <class Dialog>
    void AddFromDialog(int list);
    void EnableRemoveIfSelected(int list, int removeButton);
    // A remove button that loses its enabling while it has the focus hands
    // the focus on, so that the keyboard keeps working.
    void EnableRemove(int removeButton, bool enabled);
    void RemoveSelected(int list, int removeButton);
    void FillList(int list, const std::vector<std::wstring>& items);
    std::vector<std::wstring> ListItems(int list) const;

    std::optional<settings::NativePath> settingsDirectory_;
    // Config.ini's values as the window last loaded or saved them: a save
    // finds another program's change against them.
    settings::SeenValues seen_;
};

}  // namespace main_window
