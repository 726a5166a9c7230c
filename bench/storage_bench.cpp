// The settings storage against the Windows profile functions on the same
// file: LoadSettings against seven GetPrivateProfileStringA calls, and the
// main window's save (encoded, checked for another program's change, written
// to a temporary file, flushed to disk and renamed over the old file)
// against seven WritePrivateProfileStringA calls.
// For a typical file (ten items a list) and a large one (32,766).
#include <windows.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "bench_util.h"
#include "gbk_text.h"
#include "settings_store.h"

namespace {

settings::ProtectionSettings Record(int items, int variant) {
    settings::ProtectionSettings record;
    record.enabled = variant % 2 == 0;
    record.protectJpg = true;
    record.protectGif = variant % 2 == 1;
    record.redirectFile = L"/防盗链/no" + std::to_wstring(variant) + L".gif";
    for (int i = 0; i < items; ++i) {
        record.freePaths.push_back(L"/图片/images" + std::to_wstring(i));
        record.friendUrls.push_back(L"www.site" + std::to_wstring(i) + L".example.com");
    }
    return record;
}

// The seven values as the profile functions take them: GBK bytes.
std::vector<std::string> ProfileValues(const settings::ProtectionSettings& r) {
    std::vector<std::string> values;
    for (bool flag : {r.enabled, r.protectJpg, r.protectGif, r.protectJpeg}) values.push_back(flag ? "True" : "False");
    for (const std::wstring& text :
         {r.redirectFile, settings::JoinItemList(r.freePaths), settings::JoinItemList(r.friendUrls)}) {
        values.push_back(settings::EncodeGbk(text).value());
    }
    return values;
}

void Report(const char* what, int items, double ours, double profile) {
    std::printf("%-5s %6d items a list: ours %8.3f ms, profile functions %8.3f ms, %5.1f times as fast\n", what, items,
                ours, profile, profile / ours);
}

}  // namespace

int main() {
    char tempA[MAX_PATH];
    GetTempPathA(MAX_PATH, tempA);
    const std::string dirA = std::string(tempA) + "hotlink-storage-bench";
    CreateDirectoryA(dirA.c_str(), nullptr);
    const std::string fileA = dirA + "\\Config.ini";
    const std::filesystem::path dir(std::wstring(dirA.begin(), dirA.end()));

    for (const int items : {10, 32766}) {
        const int runs = items > 100 ? 9 : 201;
        const settings::ProtectionSettings records[2] = {Record(items, 0), Record(items, 1)};
        const std::vector<std::string> values[2] = {ProfileValues(records[0]), ProfileValues(records[1])};
        std::vector<char> buffer(4 << 20);
        if (!settings::SaveSettings(records[1], dir)) return 1;

        std::vector<double> ourLoad, profileLoad, ourSave, profileSave;
        for (int run = 0; run < runs; ++run) {
            ourLoad.push_back(bench::TimeMs([&] {
                if (settings::LoadSettings(dir).freePaths.size() != static_cast<size_t>(items)) std::abort();
            }));
            profileLoad.push_back(bench::TimeMs([&] {
                for (const auto& key : settings::kSettingKeys) {
                    GetPrivateProfileStringA(settings::kSettingSection, key.name, "", buffer.data(),
                                             static_cast<DWORD>(buffer.size()), fileA.c_str());
                }
            }));
        }
        for (int run = 0; run < runs; ++run) {
            // Each save changes the file, so that nothing can be skipped.
            const int v = run % 2;
            // What the window knows of the file: it read or wrote it last.
            settings::SeenValues seen;
            settings::LoadSettings(dir, &seen);
            ourSave.push_back(bench::TimeMs([&] {
                if (settings::SaveSettings(records[v], dir, &seen).result != settings::SaveResult::Saved) {
                    std::abort();
                }
            }));
            profileSave.push_back(bench::TimeMs([&] {
                for (size_t k = 0; k < settings::kSettingKeyCount; ++k) {
                    if (!WritePrivateProfileStringA(settings::kSettingSection, settings::kSettingKeys[k].name,
                                                    values[v][k].c_str(), fileA.c_str())) {
                        std::abort();
                    }
                }
            }));
        }
        Report("load", items, bench::Median(ourLoad), bench::Median(profileLoad));
        Report("save", items, bench::Median(ourSave), bench::Median(profileSave));
    }
    DeleteFileA(fileA.c_str());
    RemoveDirectoryA(dirA.c_str());
    return 0;
}
