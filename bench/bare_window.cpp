// The reference for the start-up and memory benchmarks: the least a Win32
// program does to show a window. One class, one empty 300 x 300 borderless
// window in the middle of the screen, white, and a message loop; built by
// the same toolchain with the same options as HotlinkConfig.exe.
#include <windows.h>

namespace {

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = L"BareWindow";
    if (!RegisterClassExW(&wc)) return 1;

    constexpr int kSize = 300;
    const int x = (GetSystemMetrics(SM_CXSCREEN) - kSize) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - kSize) / 2;
    const HWND window = CreateWindowExW(0, wc.lpszClassName, L"Bare", WS_POPUP, x, y, kSize, kSize, nullptr, nullptr,
                                        instance, nullptr);
    if (!window) return 1;
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
