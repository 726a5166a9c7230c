// How long the main window takes to load and show full lists: 32,766 items
// in each. Prints the median of several runs, in milliseconds, beside the
// time of reading the same file alone.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "frm_main.h"
#include "host.h"
#include "settings_store.h"

namespace {

class SilentHost : public forms::Host {
public:
    void ShowMessage(HWND, const std::wstring&, const std::wstring&) override {}
    bool Ask(HWND, const std::wstring&, const std::wstring&) override { return false; }
    void ShowModal(forms::Form&, HWND) override {}
};

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

template <typename F>
double Milliseconds(F&& f) {
    const auto start = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main() {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::filesystem::path dir = std::filesystem::path(temp) / L"hotlink-bench";
    std::filesystem::create_directories(dir);

    for (const int items : {0, 32766}) {
        settings::ProtectionSettings record;
        for (int i = 0; i < items; ++i) {
            record.freePaths.push_back(L"/目录/images" + std::to_wstring(i));
            record.friendUrls.push_back(L"www.site" + std::to_wstring(i) + L".example.com");
        }
        if (!settings::SaveSettings(record, dir)) return 1;

        SilentHost host;
        std::vector<double> load, created, shown;
        for (int run = 0; run < 5; ++run) {
            load.push_back(Milliseconds([&] { settings::LoadSettings(dir); }));
            main_window::frmMain form(host, dir);
            created.push_back(Milliseconds([&] { form.Load(); }));
            shown.push_back(Milliseconds([&] {
                form.Show();
                MSG msg;
                while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
            }));
        }
        std::printf("%5d items a list: LoadSettings %.1f ms; window created and filled %.1f ms; shown and painted %.1f ms\n",
                    items, Median(load), Median(created), Median(shown));
    }
    std::filesystem::remove_all(dir);
    return 0;
}
