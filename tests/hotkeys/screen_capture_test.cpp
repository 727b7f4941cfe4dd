// Print Screen, Alt+Print Screen and Repeat: what lands in CaptureBitmap and
// whether the completion is started.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>

#include "app/completion.h"
#include "base/globals.h"
#include "capture/rect_engine.h"
#include "capture/screen_capture.h"
#include "support/vorlix_test.h"

namespace {

constexpr COLORREF kRed = RGB(220, 20, 30);
constexpr COLORREF kBlue = RGB(10, 40, 200);

// A topmost window of one colour in this process (another process's screen
// copy would bypass its surface under Wine).
class ColourWindow {
public:
    ColourWindow(DWORD style, int x, int y, int w, int h, COLORREF colour) {
        WNDCLASSW wc{};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"HotkeysColourWindow";
        RegisterClassW(&wc);
        window = CreateWindowExW(WS_EX_TOPMOST, wc.lpszClassName, L"Colour", style, x, y, w, h, nullptr, nullptr,
                                 wc.hInstance, nullptr);
        SetColour(colour);
        ShowWindow(window, SW_SHOW);
        SetForegroundWindow(window);
        Settle();
    }
    ~ColourWindow() {
        DestroyWindow(window);
        if (brush) DeleteObject(brush);
    }
    void SetColour(COLORREF colour) {
        HBRUSH old = brush;
        brush = CreateSolidBrush(colour);
        SetClassLongPtrW(window, GCLP_HBRBACKGROUND, reinterpret_cast<LONG_PTR>(brush));
        if (old) DeleteObject(old);
        Settle();
    }
    void Settle() {
        RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW);
        vt::PumpFor(150);
    }
    RECT Rect() const {
        RECT r;
        GetWindowRect(window, &r);
        return r;
    }
    POINT ClientCentre() const {
        RECT c;
        GetClientRect(window, &c);
        POINT p{c.right / 2, c.bottom / 2};
        ClientToScreen(window, &p);
        return p;
    }
    HWND window = nullptr;
    HBRUSH brush = nullptr;
};

class ScreenCapture : public ::testing::Test {
protected:
    void SetUp() override {
        std::memset(&Config, 0, sizeof Config);
        SetDefaults(Config, DefaultInputs{});
        CaptureBitmap = ui::Bitmap();
        DropCompletion();
    }
    void TearDown() override {
        DropCompletion();
        CaptureBitmap = ui::Bitmap();
    }
    // Whether a completion was started; the timer is removed before it runs.
    static bool CompletionStarted() {
        const bool started = CompletionTimer != 0;
        DropCompletion();
        return started;
    }
    static void DropCompletion() {
        if (CompletionTimer) KillTimer(nullptr, CompletionTimer);
        CompletionTimer = 0;
    }
    static COLORREF Pixel(int x, int y) { return GetPixel(CaptureBitmap.Canvas(), x, y); }
};

TEST_F(ScreenCapture, FullScreen) {
    ColourWindow w(WS_POPUP, 200, 150, 120, 90, kRed);
    CaptureFullScreen();
    EXPECT_TRUE(CompletionStarted());
    ASSERT_EQ(CaptureBitmap.Width(), GetSystemMetrics(SM_CXSCREEN));
    ASSERT_EQ(CaptureBitmap.Height(), GetSystemMetrics(SM_CYSCREEN));
    EXPECT_EQ(Pixel(200, 150), kRed);
    EXPECT_EQ(Pixel(319, 239), kRed);
    EXPECT_NE(Pixel(320, 240), kRed);
    EXPECT_EQ(Pixel(10, 10), vt::ScreenPixel(10, 10));
}

TEST_F(ScreenCapture, ActiveWindowWithItsFrame) {
    ColourWindow w(WS_OVERLAPPEDWINDOW, 120, 100, 300, 200, kBlue);
    ASSERT_EQ(GetForegroundWindow(), w.window);
    const RECT r = w.Rect();
    CaptureActiveWindow();
    EXPECT_TRUE(CompletionStarted());
    ASSERT_EQ(CaptureBitmap.Width(), r.right - r.left);
    ASSERT_EQ(CaptureBitmap.Height(), r.bottom - r.top);
    const POINT c = w.ClientCentre();
    EXPECT_EQ(Pixel(c.x - r.left, c.y - r.top), kBlue);
    // The caption is part of the image: its top-left corner is not client colour.
    EXPECT_NE(Pixel(r.right - r.left - 4, 4), kBlue);
}

TEST_F(ScreenCapture, RepeatBeforeAnyCaptureDoesNothing) {
    for (uint8_t mode : {0, 1}) {
        Config.RepeatMode = mode;
        Config.CaptureType = ctRectangle;
        SelectionRect = RECT{10, 10, 50, 50};
        RepeatCapture();
        EXPECT_FALSE(CompletionStarted()) << int(mode);
        EXPECT_TRUE(CaptureBitmap.Empty()) << int(mode);
    }
}

TEST_F(ScreenCapture, RepeatLastImage) {
    CaptureBitmap = ui::Bitmap(30, 20, ui::PixelFormat::Device);
    CaptureBitmap.Clear(kRed);
    Config.RepeatMode = 0;
    RepeatCapture();
    EXPECT_TRUE(CompletionStarted());
    ASSERT_EQ(CaptureBitmap.Width(), 30);
    ASSERT_EQ(CaptureBitmap.Height(), 20);
    EXPECT_EQ(Pixel(29, 19), kRed);
}

TEST_F(ScreenCapture, RepeatLastRectangleTakesTheScreenAsItIsNow) {
    ColourWindow w(WS_POPUP, 300, 200, 100, 80, kRed);
    Config.RepeatMode = 1;
    Config.CaptureType = ctRectangle;
    SelectionRect = RECT{310, 210, 350, 240};  // right and bottom exclusive
    CaptureBitmap = ui::Bitmap(5, 5, ui::PixelFormat::Device);  // an earlier capture

    w.SetColour(kBlue);
    RepeatCapture();
    EXPECT_TRUE(CompletionStarted());
    ASSERT_EQ(CaptureBitmap.Width(), 40);
    ASSERT_EQ(CaptureBitmap.Height(), 30);
    EXPECT_EQ(Pixel(0, 0), kBlue);
    EXPECT_EQ(Pixel(39, 29), kBlue);

    // Another repeat mode does nothing.
    Config.RepeatMode = 2;
    RepeatCapture();
    EXPECT_FALSE(CompletionStarted());
}

}  // namespace
