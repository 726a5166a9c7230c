#include <windows.h>
#include <commctrl.h>

#include "frm_main.h"
#include "host.h"

// The program opens the main settings window and ends when it closes.
int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);

    forms::DesktopHost host;
    main_window::frmMain window(host);
    if (!window.Load()) {
        MessageBoxW(nullptr, L"无法创建设置窗口。", main_window::kApplicationTitle, MB_OK);
        return 1;
    }
    window.set_quit_on_destroy(true);
    window.Show();
    return forms::RunMessageLoop();
}
