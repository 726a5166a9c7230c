#include <windows.h>

#include "frm_begin.h"
#include "host.h"
#include "single_instance.h"

namespace {

// The program lives in a web server's folder, where anyone who may write
// files could plant a DLL: libraries come from the system folder only.
// Systems before Windows 8 without its update lack the function; there the
// current folder at least leaves the search.
void LoadLibrariesFromSystemOnly() {
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    const HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    const auto setDefault = kernel ? reinterpret_cast<SetDefaultDllDirectoriesFn>(
                                         reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories")))
                                   : nullptr;
    if (!setDefault || !setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) SetDllDirectoryW(L"");
}

}  // namespace

// The program starts with its start-up window; a click on it opens the main
// settings window, and the program ends when that closes.
int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    LoadLibrariesFromSystemOnly();
    // No InitCommonControlsEx: the manifest's common controls 6 take over
    // the standard control classes by themselves, and load only when the
    // main window creates its first control, not before the start-up
    // picture.

    const startup::SingleInstance instance(startup::kProgramInstanceName);
    forms::DesktopHost host;
    startup::frmBegin begin(host, instance.another_running());
    if (!begin.Load()) {
        MessageBoxW(nullptr, L"无法创建启动窗口。", main_window::kApplicationTitle, MB_OK);
        return 1;
    }
    // Another copy runs: this one ends without a word.
    if (begin.ending()) return 0;
    begin.set_quit_on_destroy(true);
    begin.Show();
    return forms::RunMessageLoop();
}
