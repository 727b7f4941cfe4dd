// The size label of the three engines and the mouse cursor in captures.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>

#include "capture_road/road_fixture.h"
#include "capture/cursor_drawing.h"
#include "capture/gesture_dispatch.h"
#include "base/globals.h"
#include "capture/screen_capture.h"
#include "capture/size_label.h"
#include "support/vorlix_test.h"
#include "ui/bitmap.h"

using namespace road;

namespace {

constexpr COLORREF Blue = RGB(0, 0, 255);

// The box as DrawSizeLabel paints "w x h" on its own, beside what the screen
// shows in the box.
void ExpectLabel(int w, int h) {
    vt::PumpFor(150);  // the freeze window's drawing reaches the screen
    const RECT r = GetSizeLabelRect();
    ui::Bitmap expected(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), ui::PixelFormat::Bits32);
    DrawSizeLabel(w, h, expected.Canvas());
    const vt::Pixels shown = vt::CaptureScreen(r);
    int bad = 0;
    for (int y = 0; y < shown.height; ++y)
        for (int x = 0; x < shown.width; ++x)
            if (shown.At(x, y) != GetPixel(expected.Canvas(), r.left + x, r.top + y)) ++bad;
    EXPECT_EQ(bad, 0) << w << "x" << h;
}

// The box of the pixels of a colour in a picture.
RECT BoxOf(const vt::Pixels& p, COLORREF c) {
    RECT b{p.width, p.height, -1, -1};
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x)
            if (p.At(x, y) == c) b = RECT{std::min<LONG>(b.left, x), std::min<LONG>(b.top, y),
                                          std::max<LONG>(b.right, x + 1), std::max<LONG>(b.bottom, y + 1)};
    return b;
}

TEST_F(Road, SizeLabelShowsTheSelectionInEveryEngine) {
    Config.ShowSize = 1;
    // Rectangle: the worked example, 98 by 48.
    Drag({10, 10}, {110, 60});
    ExpectLabel(98, 48);
    const RECT r = GetSizeLabelRect();
    EXPECT_EQ(r.right, GetSystemMetrics(SM_CXSCREEN) - 5);
    EXPECT_EQ(r.right - r.left, 138);  // as wide as the main window
    const vt::Pixels shown = vt::CaptureScreen(r);
    EXPECT_EQ(shown.At(0, 0), RGB(0, 0, 0));
    EXPECT_EQ(shown.At(2, 2), RGB(255, 255, 0));
    const RECT text = BoxOf(shown, Blue);
    ASSERT_LT(text.left, text.right);
    EXPECT_LE(std::abs((text.left + text.right) - shown.width), 3);  // centred
    EXPECT_GE(text.top, 1);
    Hook(WM_HOOK_UP, 110, 60);
    Complete();

    // Free hand: the box of the points.
    Config.CaptureType = ctFreeHand;
    Hook(WM_HOOK_BEGIN, 200, 200);
    Hook(WM_HOOK_DOWN, 200, 200);
    Hook(WM_HOOK_MOVE, 400, 200);
    Hook(WM_HOOK_MOVE, 200, 350);
    ExpectLabel(200, 150);
    EndCaptureByEsc();

    // Window: the highlighted window.
    Config.CaptureType = ctWindow;
    const HWND w = Screen().AddWindow(RECT{300, 300, 460, 420});
    vt::PumpFor(150);
    Hook(WM_HOOK_BEGIN, 350, 350);
    ExpectLabel(160, 120);
    EndCaptureByEsc();
    Screen().RemoveWindow(w);

    // Switched off: no label.
    Config.ShowSize = 0;
    Config.CaptureType = ctRectangle;
    vt::PumpFor(200);
    Drag({10, 10}, {110, 60});
    vt::PumpFor(150);
    EXPECT_EQ(vt::ScreenPixel(r.left + 2, r.top + 2), Pattern(r.left + 2, r.top + 2));
}

// The pixels of the capture that differ from the picture lie within reach of
// the cursor's place (x, y) in the capture; returns how many there are.
int CursorPixels(int left, int top, POINT at) {
    int changed = 0;
    for (int y = 0; y < CaptureBitmap.Height(); ++y)
        for (int x = 0; x < CaptureBitmap.Width(); ++x)
            if (CapturePixel(x, y) != Pattern(left + x, top + y)) {
                ++changed;
                EXPECT_LT(std::abs(x - at.x), 33) << x << "," << y;
                EXPECT_LT(std::abs(y - at.y), 33) << x << "," << y;
            }
    return changed;
}

class Cursor : public Road {
protected:
    void SetUp() override {
        Road::SetUp();
        SetCursor(LoadCursorW(nullptr, IDC_ARROW));
        SetCursorPos(600, 400);
    }
};

TEST_F(Cursor, FullScreenCaptureHoldsTheCursorWhenAsked) {
    Config.CaptureCursor = 0;
    CaptureFullScreen();
    EXPECT_EQ(CursorPixels(0, 0, POINT{600, 400}), 0);
    Complete();
    Config.CaptureCursor = 1;
    CaptureFullScreen();
    EXPECT_GT(CursorPixels(0, 0, POINT{600, 400}), 20);
    Complete();
    EXPECT_EQ(deliveries.size(), 2u);
}

TEST_F(Cursor, ActiveWindowCaptureHoldsTheCursorOnlyWhenItIsOverTheWindow) {
    Config.CaptureCursor = 1;
    const HWND w = Screen().AddWindow(RECT{500, 300, 700, 500});
    vt::PumpFor(150);
    SetForegroundWindow(w);
    ASSERT_TRUE(vt::WaitUntil([w] { return GetForegroundWindow() == w; }, 2000));
    CaptureActiveWindow();  // the pointer at (600, 400)
    ASSERT_EQ(CaptureBitmap.Width(), 200);
    EXPECT_GT(CursorPixels(500, 300, POINT{100, 100}), 20);
    Complete();
    SetCursorPos(100, 100);
    SetForegroundWindow(w);  // the delivery brought the main window to the front
    ASSERT_TRUE(vt::WaitUntil([w] { return GetForegroundWindow() == w; }, 2000));
    CaptureActiveWindow();
    ASSERT_EQ(CaptureBitmap.Width(), 200);
    EXPECT_EQ(CursorPixels(500, 300, POINT{0, 0}), 0);
    Complete();
    EXPECT_EQ(deliveries.size(), 2u);
    Screen().RemoveWindow(w);
}

TEST_F(Cursor, DrawnInARectangleOnlyWhenThePointerIsInIt) {
    const struct {
        RECT rect;
        bool drawn;
    } cases[] = {
        {{550, 350, 650, 450}, true},
        {{0, 0, 100, 100}, false},
        {{500, 300, 600, 400}, false},  // right and bottom edges are outside
        {{600, 400, 700, 500}, true},   // the top left corner is inside
    };
    for (const auto& c : cases) {
        ui::Bitmap b(100, 100, ui::PixelFormat::Bits32);
        b.Clear(RGB(1, 2, 3));
        DrawCursorInRect(b.Canvas(), c.rect);
        int changed = 0;
        for (int y = 0; y < 100; ++y)
            for (int x = 0; x < 100; ++x)
                if (GetPixel(b.Canvas(), x, y) != RGB(1, 2, 3)) ++changed;
        EXPECT_EQ(changed > 0, c.drawn) << c.rect.left << "," << c.rect.top;
    }
}

TEST_F(Cursor, RectangleStartedByHotkeyHoldsTheCursor) {
    Config.CaptureCursor = 1;
    Config.CaptureType = ctRectangle;
    StartCaptureMode(ctRectangle);
    ASSERT_TRUE(vt::WaitUntil([] { return RectangleActive; }, 3000));
    Hook(WM_HOOK_DOWN, 540, 360);
    Hook(WM_HOOK_MOVE, 700, 500);
    Hook(WM_HOOK_UP, 700, 500);
    HookStopRecording();
    ASSERT_EQ(CaptureBitmap.Width(), 158);
    EXPECT_GT(CursorPixels(541, 361, POINT{600 - 541, 400 - 361}), 20);
}

}  // namespace
