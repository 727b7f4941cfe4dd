// The magnifier in the three engines: the view around the pointer, magnified
// pixels checked exactly (every factor divides 1024 x 768), the selection
// drawn in the magnified view, captures at full resolution, panning, and the
// factor and begin-point mends.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>

#include "capture_road/road_fixture.h"
#include "capture/freehand_engine.h"
#include "capture/gesture_dispatch.h"
#include "base/globals.h"
#include "capture/magnifier.h"
#include "capture/rect_engine.h"
#include "capture/shading.h"
#include "capture/size_label.h"
#include "capture/window_engine.h"
#include "support/vorlix_test.h"

using namespace road;

namespace {

constexpr COLORREF Navy = 0x800000;

class Magnifier : public Road {
protected:
    void SetUp() override {
        Road::SetUp();
        Config.ZoomOn = 1;
        Config.ZoomFactor = 2;
    }
    // The screen shows the copy's pixel (view.left + x / f, view.top + y / f).
    int MagnifiedMismatches(int factor, COLORREF (*expected)(int, int), int step = 7) {
        int bad = 0;
        const vt::Pixels shown = vt::CaptureScreen(RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)});
        for (int y = 0; y < shown.height; y += step)
            for (int x = 0; x < shown.width; x += step)
                if (shown.At(x, y) != expected(ZoomView.left + x / factor, ZoomView.top + y / factor)) ++bad;
        return bad;
    }
};

TEST_F(Magnifier, ViewIsMagnifiedAroundThePointerByEveryFactor) {
    const struct {
        int stored, factor;
        RECT view;
    } cases[] = {
        {2, 2, {256, 192, 768, 576}},  // the central quarter
        {4, 4, {384, 288, 640, 480}},
        {8, 8, {448, 336, 576, 432}},
        {0, 2, {256, 192, 768, 576}},  // any other stored value means 2
        {3, 2, {256, 192, 768, 576}},
        {200, 2, {256, 192, 768, 576}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        Config.ZoomFactor = static_cast<uint8_t>(c.stored);
        Hook(WM_HOOK_BEGIN, 512, 384);
        EXPECT_TRUE(MagnifierActive());
        EXPECT_TRUE(EqualRect(&ZoomView, &c.view));
        EXPECT_EQ(MagnifiedMismatches(c.factor, [](int x, int y) { return Pattern(x, y); }), 0);
        EndCaptureByEsc();
        ExpectIdle();
        EXPECT_FALSE(MagnifierActive());
    }
    // At the top left corner the view starts at (0, 0).
    Hook(WM_HOOK_BEGIN, 0, 0);
    EXPECT_EQ(ZoomView.left, 0);
    EXPECT_EQ(ZoomView.top, 0);
    EndCaptureByEsc();
}

TEST_F(Magnifier, DraggedRectangleIsShownMagnifiedAndCapturedAtFullResolution) {
    Config.ShowSize = 1;
    Hook(WM_HOOK_BEGIN, 512, 384);  // view (256, 192) - (768, 576)
    Hook(WM_HOOK_DOWN, 400, 300);   // the copy's (456, 342)
    Hook(WM_HOOK_MOVE, 500, 400);
    Hook(WM_HOOK_MOVE, 600, 500);   // (556, 442), pulled back to (555, 441)
    EXPECT_EQ(Anchor.x, 456);
    EXPECT_EQ(Anchor.y, 342);
    // The outline at the copy's x = 456 is two screen columns wide.
    EXPECT_EQ(vt::ScreenPixel(400, 400), Navy);
    EXPECT_EQ(vt::ScreenPixel(401, 400), Navy);
    EXPECT_EQ(vt::ScreenPixel(402, 400), Tinted(Pattern(457, 392)));
    EXPECT_EQ(vt::ScreenPixel(598, 400), Navy);  // the outline at the copy's x = 555
    EXPECT_EQ(vt::ScreenPixel(600, 400), Pattern(556, 392));
    // The size label: drawn after a move that repainted nothing, so that no
    // repaint covers it.
    EXPECT_GT(RepaintCounter, 0);
    vt::PumpFor(150);
    const RECT label = GetSizeLabelRect();
    EXPECT_EQ(vt::ScreenPixel(label.left, label.top), RGB(0, 0, 0));
    EXPECT_EQ(vt::ScreenPixel(label.left + 2, label.top + 2), RGB(255, 255, 0));
    Hook(WM_HOOK_UP, 600, 500);
    ASSERT_EQ(CaptureBitmap.Width(), 98);
    ASSERT_EQ(CaptureBitmap.Height(), 98);
    EXPECT_EQ(CaptureMismatches(457, 343), 0);
    ExpectIdle();
    vt::PumpFor(150);
    EXPECT_EQ(vt::ScreenPixel(700, 700), Pattern(700, 700));  // unmagnified again
}

TEST_F(Magnifier, WindowAndFreeHandAreShownMagnifiedAndCapturedAtFullResolution) {
    Config.CaptureType = ctWindow;
    const HWND w = Screen().AddWindow(RECT{460, 350, 560, 420});
    vt::PumpFor(200);
    Hook(WM_HOOK_BEGIN, 512, 384);  // over the window: the copy's (512, 384)
    EXPECT_EQ(HighlightedWindow, w);
    // Its frame at the copy's x = 460 shows at screen x = 408 (2 columns).
    EXPECT_EQ(vt::ScreenPixel(408, 400), Navy);
    EXPECT_EQ(vt::ScreenPixel(409, 400), Navy);
    EXPECT_EQ(vt::ScreenPixel(412, 400), Tinted(Pattern(462, 392)));
    Hook(WM_HOOK_UP, 512, 384);
    ASSERT_EQ(CaptureBitmap.Width(), 100);
    EXPECT_EQ(CaptureMismatches(460, 350), 0);
    Complete();
    Screen().RemoveWindow(w);
    vt::PumpFor(150);

    Config.CaptureType = ctFreeHand;
    Hook(WM_HOOK_BEGIN, 512, 384);
    Hook(WM_HOOK_DOWN, 300, 300);  // (406, 342)
    Hook(WM_HOOK_MOVE, 500, 300);  // (506, 342)
    Hook(WM_HOOK_MOVE, 300, 500);  // (406, 442)
    EXPECT_EQ(MarchingDotsTimer, 0u);  // a red line instead of dots
    EXPECT_EQ(vt::ScreenPixel(400, 300), RGB(255, 0, 0));
    EXPECT_EQ(vt::ScreenPixel(401, 301), RGB(255, 0, 0));
    Hook(WM_HOOK_UP, 300, 500);
    ASSERT_EQ(CaptureBitmap.Width(), 100);
    ASSERT_EQ(CaptureBitmap.Height(), 100);
    EXPECT_EQ(CapturePixel(20, 20), Pattern(426, 362));
    ExpectIdle();
}

TEST_F(Magnifier, FixedSizeReleasedWithoutMovingTakesTheRectangleAroundThePointer) {
    Config.RectSelection = 1;
    Config.FixedWidth = 40;
    Config.FixedHeight = 30;
    // A first selection leaves its view behind...
    Hook(WM_HOOK_BEGIN, 200, 600);
    Hook(WM_HOOK_UP, 200, 600);
    Complete();
    // ... which must not place the next one.
    Hook(WM_HOOK_BEGIN, 800, 200);
    Hook(WM_HOOK_UP, 800, 200);
    ASSERT_EQ(CaptureBitmap.Width(), 40);
    EXPECT_LE(std::abs((SelectionRect.left + SelectionRect.right) / 2 - 800), 1);
    EXPECT_LE(std::abs((SelectionRect.top + SelectionRect.bottom) / 2 - 200), 1);
    EXPECT_EQ(CaptureMismatches(SelectionRect.left, SelectionRect.top), 0);
}

TEST_F(Magnifier, FixedSizeRectangleFollowsThePointerInTheMagnifiedView) {
    Config.RectSelection = 1;
    Config.FixedWidth = 40;
    Config.FixedHeight = 30;
    Hook(WM_HOOK_BEGIN, 512, 384);  // view (256, 192) - (768, 576)
    Hook(WM_HOOK_MOVE, 400, 300);   // the copy's (456, 342)
    // The view did not change: the moved rectangle reached the screen as a
    // piece, without a full repaint.
    EXPECT_GT(RepaintCounter, 0);
    // Its frame (435, 326) - (476, 357) in the copy, two screen pixels each.
    EXPECT_EQ(vt::ScreenPixel(358, 300), Navy);
    EXPECT_EQ(vt::ScreenPixel(359, 300), Navy);
    EXPECT_EQ(vt::ScreenPixel(441, 300), Navy);
    EXPECT_EQ(vt::ScreenPixel(400, 268), Navy);
    EXPECT_EQ(vt::ScreenPixel(400, 300), Tinted(Pattern(456, 342)));
    EXPECT_EQ(vt::ScreenPixel(444, 300), Pattern(478, 342));
    EXPECT_EQ(vt::ScreenPixel(512, 384), Pattern(512, 384));  // gone from where it began
    Hook(WM_HOOK_UP, 400, 300);
    ASSERT_EQ(CaptureBitmap.Width(), 40);
    ASSERT_EQ(CaptureBitmap.Height(), 30);
    EXPECT_EQ(CaptureMismatches(436, 327), 0);
    ExpectIdle();
}

TEST_F(Magnifier, PanningStopsAtTheScreenEdgeAndThenRests) {
    Config.RectSelection = 1;  // fixed size: the mode that repainted for ever
    Config.FixedWidth = 40;
    Config.FixedHeight = 30;
    Hook(WM_HOOK_BEGIN, 1020, 384);
    EXPECT_NE(PanTimer, 0u);
    const int start = ZoomView.left;
    EXPECT_TRUE(vt::WaitUntil([] { return ZoomView.right == GetSystemMetrics(SM_CXSCREEN); }, 5000));
    EXPECT_GT(ZoomView.left, start);
    EXPECT_TRUE(vt::WaitUntil([] { return PanTimer == 0; }, 1000));  // nothing left to do
    EXPECT_TRUE(EqualRect(&LastPaintedView, &ZoomView));
    // With the pointer at rest the program is idle: no repaint every tick.
    const auto cpu = [] {
        FILETIME created, ended, kernel, user;
        GetThreadTimes(GetCurrentThread(), &created, &ended, &kernel, &user);
        const auto ms = [](FILETIME f) { return ((uint64_t(f.dwHighDateTime) << 32) | f.dwLowDateTime) / 10000; };
        return ms(kernel) + ms(user);
    };
    const uint64_t before = cpu();
    vt::PumpFor(2000);
    const uint64_t used = cpu() - before;
    std::printf("CPU time over 2 s at rest at the edge: %llu ms\n", static_cast<unsigned long long>(used));
    EXPECT_LT(used, 200u);
    // The screen shows the moved view (the fixed rectangle lies at its right).
    for (POINT p : {POINT{100, 100}, POINT{300, 600}, POINT{601, 51}})
        EXPECT_EQ(vt::ScreenPixel(p.x, p.y), Pattern(ZoomView.left + p.x / 2, ZoomView.top + p.y / 2)) << p.x;
    Hook(WM_HOOK_UP, 1020, 384);
    ASSERT_EQ(CaptureBitmap.Width(), 40);
    EXPECT_EQ(CaptureMismatches(SelectionRect.left, SelectionRect.top), 0);
    ExpectIdle();
}

TEST_F(Magnifier, WindowSelectionOverNoWindowAlsoRestsAtTheEdge) {
    Config.CaptureType = ctWindow;
    const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    // The bottom strip of the screen shows no window: nothing is highlighted
    // there, the other mode that repainted on every pan tick.
    Screen().SetBounds(RECT{0, 0, w, h - 100});
    vt::PumpFor(150);
    Hook(WM_HOOK_BEGIN, 512, h - 2);
    EXPECT_EQ(HighlightedWindow, nullptr);
    EXPECT_TRUE(vt::WaitUntil([h] { return ZoomView.bottom == h; }, 3000));
    EXPECT_TRUE(vt::WaitUntil([] { return PanTimer == 0; }, 1000));  // nothing left to do
    EXPECT_EQ(HighlightedWindow, nullptr);
    EndCaptureByEsc();
    ExpectIdle();
    Screen().SetBounds(RECT{0, 0, w, h});
    vt::PumpFor(150);
}

}  // namespace
