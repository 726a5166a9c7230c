// The start-up window in-process: how it stands on the screen, its picture,
// the hand-over to the main window, and the single-instance test.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "dpi.h"
#include "form_driving.h"
#include "frm_begin.h"
#include "handles.h"
#include "single_instance.h"
#include "start_picture.h"

namespace {

using form_driving::Pump;
using form_driving::RecordingHost;
using startup::frmBegin;

// Takes WM_QUIT from the queue: true when the program was told to end.
bool QuitPosted() {
    MSG msg;
    return PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE;
}

HWND MainWindow() { return FindWindowW(nullptr, L"澜星V3.0设置"); }

class FrmBeginTest : public ::testing::Test {
protected:
    void Open(bool anotherRunning = false) {
        begin = std::make_unique<frmBegin>(host, anotherRunning);
        ASSERT_TRUE(begin->Load());
        if (begin->ending()) return;
        begin->set_quit_on_destroy(true);
        begin->Show();
        SetForegroundWindow(begin->hwnd());
        Pump();
    }
    void TearDown() override {
        if (HWND main = MainWindow()) DestroyWindow(main);
        begin.reset();
        Pump();
        QuitPosted();
    }
    void ClickAt(int x, int y) {
        SendMessageW(begin->hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
        SendMessageW(begin->hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(x, y));
        Pump();
    }

    RecordingHost host;
    std::unique_ptr<frmBegin> begin;
};

TEST_F(FrmBeginTest, StandsBorderlessAndTopmostInTheMiddleOfTheScreen) {
    Open();
    if (forms::DpiOf(begin->hwnd()) != 96) GTEST_SKIP() << "the sizes below are for a display at 96 DPI";
    RECT client{}, outer{}, work{};
    GetClientRect(begin->hwnd(), &client);
    GetWindowRect(begin->hwnd(), &outer);
    EXPECT_EQ(client.right, 300);
    EXPECT_EQ(client.bottom, 300);
    EXPECT_EQ(outer.right - outer.left, 300) << "no frame";
    EXPECT_EQ(outer.bottom - outer.top, 300) << "no title bar";
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_NEAR(outer.left + outer.right, work.left + work.right, 1);
    EXPECT_NEAR(outer.top + outer.bottom, work.top + work.bottom, 1);

    const LONG_PTR style = GetWindowLongPtrW(begin->hwnd(), GWL_STYLE);
    const LONG_PTR exStyle = GetWindowLongPtrW(begin->hwnd(), GWL_EXSTYLE);
    EXPECT_TRUE(style & WS_POPUP);
    EXPECT_FALSE(style & (WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_BORDER));
    EXPECT_TRUE(exStyle & WS_EX_TOPMOST);
    EXPECT_TRUE(exStyle & WS_EX_TOOLWINDOW) << "kept out of the taskbar";
    EXPECT_FALSE(exStyle & WS_EX_APPWINDOW);
    EXPECT_EQ(GetClassLongPtrW(begin->hwnd(), GCLP_HICON), 0) << "no icon";
    EXPECT_EQ(GetWindow(begin->hwnd(), GW_CHILD), nullptr) << "no controls";
    EXPECT_EQ(MainWindow(), nullptr) << "nothing else until the click";
}

TEST_F(FrmBeginTest, ThePictureFillsTheWindow) {
    const handles::AutoBitmap picture(startup::LoadStartPicture(GetModuleHandleW(nullptr)));
    const std::vector<COLORREF> colours = window_driving::ColoursOf(picture.get());
    ASSERT_EQ(colours.size(), 300u * 300u) << "an indexed picture of 300 x 300";
    ASSERT_GT(std::set<COLORREF>(colours.begin(), colours.end()).size(), 16u) << "a real picture, not a blank";

    Open();
    // What the window shows is the picture, pixel for pixel: all of the
    // window copied from its device context into 32 bits a pixel.
    BITMAPINFO shot{};
    shot.bmiHeader.biSize = sizeof shot.bmiHeader;
    shot.bmiHeader.biWidth = 300;
    shot.bmiHeader.biHeight = -300;
    shot.bmiHeader.biPlanes = 1;
    shot.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    const handles::AutoBitmap copy(CreateDIBSection(nullptr, &shot, DIB_RGB_COLORS, &bits, nullptr, 0));
    ASSERT_TRUE(copy.valid());
    const handles::ScopedGetDC screen(begin->hwnd());
    const handles::MemoryDC target(CreateCompatibleDC(screen.get()));
    {
        const handles::ScopedSelectObject selected(target.get(), copy.get());
        ASSERT_TRUE(BitBlt(target.get(), 0, 0, 300, 300, screen.get(), 0, 0, SRCCOPY));
        GdiFlush();
    }
    int differing = 0;
    for (size_t i = 0; i < colours.size(); ++i) {
        const DWORD p = static_cast<const DWORD*>(bits)[i];
        differing += RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF) != colours[i];
    }
    EXPECT_EQ(differing, 0);
}

TEST_F(FrmBeginTest, AClickHandsOverToTheMainWindow) {
    Open();
    // A release without a press on the window is no click.
    SendMessageW(begin->hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
    Pump();
    EXPECT_EQ(MainWindow(), nullptr);
    ASSERT_NE(begin->hwnd(), nullptr);

    ClickAt(290, 5);
    const HWND main = MainWindow();
    ASSERT_NE(main, nullptr);
    EXPECT_TRUE(IsWindowVisible(main));
    EXPECT_EQ(GetWindow(main, GW_OWNER), nullptr) << "modeless, no owner";
    EXPECT_EQ(begin->hwnd(), nullptr) << "the start-up window closed";
    EXPECT_FALSE(QuitPosted()) << "the program goes on with the main window";

    // The program ends when the main window closes.
    SendMessageW(main, WM_CLOSE, 0, 0);
    Pump();
    EXPECT_TRUE(QuitPosted());
}

TEST_F(FrmBeginTest, EnterDoesWhatAClickDoes) {
    Open();
    form_driving::Press(begin->hwnd(), VK_RETURN);
    EXPECT_NE(MainWindow(), nullptr);
    EXPECT_EQ(begin->hwnd(), nullptr);
}

TEST_F(FrmBeginTest, ClosingItUnclickedEndsTheProgram) {
    Open();
    SendMessageW(begin->hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0);
    Pump();
    EXPECT_EQ(begin->hwnd(), nullptr);
    EXPECT_EQ(MainWindow(), nullptr);
    EXPECT_TRUE(QuitPosted());
}

TEST_F(FrmBeginTest, AnotherCopyRunningEndsTheLoadSilently) {
    Open(true);
    EXPECT_TRUE(begin->ending());
    EXPECT_FALSE(IsWindowVisible(begin->hwnd()));
    EXPECT_FALSE(GetWindowLongPtrW(begin->hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_TRUE(host.messages.empty());
}

TEST(SingleInstanceTest, TheFirstHolderIsAloneUntilItGoes) {
    const std::wstring name = L"Local\\HotlinkConfigTest" + std::to_wstring(GetCurrentProcessId());
    auto first = std::make_unique<startup::SingleInstance>(name.c_str());
    EXPECT_FALSE(first->another_running());
    {
        const startup::SingleInstance second(name.c_str());
        EXPECT_TRUE(second.another_running());
    }
    EXPECT_FALSE(first->another_running());
    first.reset();
    const startup::SingleInstance later(name.c_str());
    EXPECT_FALSE(later.another_running());
}

}  // namespace
