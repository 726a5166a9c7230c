#include <windows.h>

#include "settings_store.h"

// The editor's windows are still to come: for now the program only loads
// the stored settings and ends.
int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    settings::LoadSettings();
    return 0;
}
