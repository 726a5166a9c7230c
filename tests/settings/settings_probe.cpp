// Saves a known record into the directory the program finds for itself, then
// checks that a load from the same place gives it back. Exit code 0 on
// success, 1 when the save fails, 2 when the load differs.
#include "settings_store.h"

int main() {
    settings::ProtectionSettings record;
    record.enabled = true;
    record.redirectFile = L"/probe.gif";
    record.freePaths = {L"/img", L"/图片"};
    if (!settings::SaveSettings(record, settings::platform::ApplicationDirectory())) return 1;
    return settings::LoadSettings(settings::platform::ApplicationDirectory()) == record ? 0 : 2;
}
