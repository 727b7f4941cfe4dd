// The selection engines through the running program: gestures made with the
// mouse through the hook library, on windows of this process whose pixels
// are known, read back from the clipboard and the screen.
#include <gtest/gtest.h>

#include <windows.h>

#include "capture_road/pattern_screen.h"
#include "capture_road/road_program.h"
#include "support/vorlix_test.h"

using namespace road;

namespace {

constexpr COLORREF Navy = 0x800000;
constexpr COLORREF Yellow = RGB(255, 255, 0);

TEST_F(ProgramRoad, WindowCaptureThroughTheHook) {
    config.SendTo[dClipboard] = 1;
    config.CaptureType = ctWindow;
    config.ShowSize = 1;
    PatternScreen screen;
    pointerThread = &screen;
    const RECT r{400, 300, 560, 420};
    ASSERT_NE(screen.AddWindow(r, screen.Window()), nullptr);
    Start();
    ASSERT_TRUE(BeginGesture(480, 360));
    Sleep(200);
    EXPECT_EQ(vt::ScreenPixel(400, 360), Navy);
    EXPECT_EQ(vt::ScreenPixel(401, 360), Navy);
    EXPECT_EQ(vt::ScreenPixel(560, 360), Navy);
    EXPECT_NE(vt::ScreenPixel(480, 360), Pattern(480, 360));  // tinted
    EXPECT_EQ(vt::ScreenPixel(380, 360), Pattern(380, 360));
    // The size label at the right end of the main window's row.
    const int w = GetSystemMetrics(SM_CXSCREEN);
    const RECT main = vt::ReadWindow(this->main).rect;
    EXPECT_EQ(vt::ScreenPixel(w - 5 - 138, main.top), RGB(0, 0, 0));
    EXPECT_EQ(vt::ScreenPixel(w - 5 - 136, main.top + 2), Yellow);

    MouseButton(MOUSEEVENTF_LEFTDOWN);
    Sleep(200);
    MouseButton(MOUSEEVENTF_LEFTUP);
    const auto got = WaitForClipboardImage();
    ASSERT_TRUE(got.has_value());
    ASSERT_EQ(got->width, 160);
    ASSERT_EQ(got->height, 120);
    int bad = 0;
    for (int y = 0; y < got->height; ++y)
        for (int x = 0; x < got->width; ++x)
            if (got->At(x, y) != Pattern(400 + x, 300 + y)) ++bad;
    EXPECT_EQ(bad, 0);
    EXPECT_TRUE(vt::WaitUntil([this] { return Unfrozen() && EscFree(); }, 10000));
}

TEST_F(ProgramRoad, FreeHandCaptureThroughTheHook) {
    config.SendTo[dClipboard] = 1;
    config.CaptureType = ctFreeHand;
    PatternScreen screen;
    pointerThread = &screen;
    Start();
    ASSERT_TRUE(BeginGesture(300, 250));
    MouseButton(MOUSEEVENTF_LEFTDOWN);
    Sleep(300);
    for (POINT p : {POINT{400, 250}, POINT{500, 250}, POINT{400, 350}, POINT{300, 450}, POINT{300, 350}}) MoveTo(p.x, p.y);
    Sleep(200);
    // The dots march along the path.
    int dots = 0;
    for (int x = 310; x < 490; ++x) {
        const COLORREF c = vt::ScreenPixel(x, 250);
        if (c == RGB(255, 0, 0) || c == RGB(255, 255, 255)) ++dots;
    }
    EXPECT_GT(dots, 150);
    MouseButton(MOUSEEVENTF_LEFTUP);
    const auto got = WaitForClipboardImage();
    ASSERT_TRUE(got.has_value());
    // The box of the points the program saw: the moves may have been
    // thinned out, but the corners were all visited.
    ASSERT_EQ(got->width, 200);
    ASSERT_EQ(got->height, 200);
    EXPECT_EQ(got->At(30, 40), Pattern(330, 290));         // inside
    EXPECT_EQ(got->At(180, 180), RGB(255, 255, 255));      // outside the shape
    EXPECT_TRUE(vt::WaitUntil([this] { return Unfrozen() && EscFree(); }, 10000));
}

}  // namespace
