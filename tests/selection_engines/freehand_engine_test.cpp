// The free-hand engine on the frozen picture: the marching dots, the cut-out
// with white outside the shape, the limits, the shapes that capture nothing,
// Esc and messages out of order, and the repeat of the last shape.
#include <gtest/gtest.h>

#include <windows.h>

#include <cmath>
#include <vector>

#include "capture_road/road_fixture.h"
#include "app/completion.h"
#include "capture/freehand_engine.h"
#include "capture/gesture_dispatch.h"
#include "base/globals.h"
#include "capture/screen_capture.h"
#include "capture/size_label.h"
#include "support/vorlix_test.h"

using namespace road;

namespace {

constexpr COLORREF White = RGB(255, 255, 255);
constexpr COLORREF Red = RGB(255, 0, 0);

class FreeHand : public Road {
protected:
    void SetUp() override {
        Road::SetUp();
        Config.CaptureType = ctFreeHand;
    }
    // Begin, down at the first point, moves through the rest.
    void Draw(const std::vector<POINT>& path) {
        Hook(WM_HOOK_BEGIN, path[0].x, path[0].y);
        Hook(WM_HOOK_DOWN, path[0].x, path[0].y);
        for (size_t i = 1; i < path.size(); ++i) Hook(WM_HOOK_MOVE, path[i].x, path[i].y);
    }
};

TEST_F(FreeHand, TriangleIsCutWithWhiteOutsideAndAWhiteEdge) {
    const std::vector<POINT> triangle{{200, 200}, {400, 200}, {200, 350}};
    Draw(triangle);
    EXPECT_TRUE(FreeHandActive);
    EXPECT_FALSE(HotkeyFree(0, VK_ESCAPE));
    Hook(WM_HOOK_UP, 200, 350);
    ExpectIdle();
    ASSERT_EQ(CaptureBitmap.Width(), 200);  // the box's right and bottom lines fall outside
    ASSERT_EQ(CaptureBitmap.Height(), 150);
    // Inside: the picture; outside and on the edge: white.
    for (POINT p : {POINT{20, 20}, POINT{100, 30}, POINT{10, 120}, POINT{60, 60}})
        EXPECT_EQ(CapturePixel(p.x, p.y), Pattern(200 + p.x, 200 + p.y)) << p.x << "," << p.y;
    for (POINT p : {POINT{180, 130}, POINT{199, 149}, POINT{150, 100}, POINT{0, 0}, POINT{100, 0}, POINT{0, 75}})
        EXPECT_EQ(CapturePixel(p.x, p.y), White) << p.x << "," << p.y;
    EXPECT_EQ(CompletionTimer != 0, true);
    Complete();
    ASSERT_EQ(deliveries.size(), 1u);
    EXPECT_EQ(deliveries[0].width, 200);
}

TEST_F(FreeHand, MarchingDotsShowFiveWhiteThenThreeRedPixelsAndMove) {
    Draw({{100, 500}, {300, 500}, {300, 600}});
    const auto expected = [](uint8_t pattern, int index) {
        // The dot bit as the path is walked: shifted once per pixel, 0 wraps
        // to 1; bits 32, 64 and 128 are red.
        uint8_t bit = pattern;
        for (int i = 0; i <= index; ++i) {
            bit = static_cast<uint8_t>(bit << 1);
            if (bit == 0) bit = 1;
        }
        return (bit & 0xE0) ? Red : White;
    };
    for (uint8_t pattern : {uint8_t(128), uint8_t(32), uint8_t(8), uint8_t(2)}) {
        SCOPED_TRACE(int(pattern));
        DotPattern = pattern;
        DrawMarchingDots();
        int bad = 0;
        for (int i = 0; i < 200; ++i)  // the first segment, its end excluded
            if (vt::ScreenPixel(100 + i, 500) != expected(pattern, i)) ++bad;
        for (int i = 0; i < 100; ++i)  // the second carries the bit on
            if (vt::ScreenPixel(300, 500 + i) != expected(pattern, 200 + i)) ++bad;
        EXPECT_EQ(bad, 0);
        EXPECT_EQ(vt::ScreenPixel(300, 600), Pattern(300, 600));  // the last point is not plotted
        EXPECT_EQ(vt::ScreenPixel(200, 501), Pattern(200, 501));  // nothing beside the path
    }
    // The timer moves the phase 128, 32, 8, 2, 128 ...
    DotPattern = 2;
    MarchingDotsTimerProc(nullptr, 0, 0, 0);
    EXPECT_EQ(DotPattern, 128);
    MarchingDotsTimerProc(nullptr, 0, 0, 0);
    EXPECT_EQ(DotPattern, 32);
    EXPECT_NE(MarchingDotsTimer, 0u);
    EndCaptureByEsc();
    EXPECT_EQ(MarchingDotsTimer, 0u);
    ExpectIdle();
    vt::PumpFor(150);
    EXPECT_EQ(vt::ScreenPixel(150, 500), Pattern(150, 500));  // the dots are gone
}

TEST_F(FreeHand, NoFeedbackReachesTheImage) {
    // The shape covers the size label and the dots lie on its edge.
    Config.ShowSize = 1;
    const RECT label = GetSizeLabelRect();
    const int w = GetSystemMetrics(SM_CXSCREEN);
    Draw({{w - 300, 0}, {w - 1, 0}, {w - 1, 200}, {w - 300, 200}});
    // The label is shown, and stays while the dots march over its box.
    vt::PumpFor(200);
    EXPECT_EQ(vt::ScreenPixel(label.left + 2, label.top + 2), RGB(255, 255, 0));
    const COLORREF dot = vt::ScreenPixel(w - 150, 0);
    EXPECT_TRUE(dot == White || dot == Red) << std::hex << dot;
    Hook(WM_HOOK_UP, w - 300, 200);
    ASSERT_EQ(CaptureBitmap.Width(), 299);
    ASSERT_EQ(CaptureBitmap.Height(), 200);
    int bad = 0;
    for (int y = 2; y < 198; ++y)
        for (int x = 2; x < 297; ++x)
            if (CapturePixel(x, y) != Pattern(w - 300 + x, y)) ++bad;
    EXPECT_EQ(bad, 0);
}

TEST_F(FreeHand, SelfCrossingShapeUsesAlternateFilling) {
    // A five-pointed star drawn in one line: its centre is enclosed twice and
    // so counts as outside.
    std::vector<POINT> star;
    const double pi = 3.14159265358979;
    for (int k = 0; k < 5; ++k) {
        const double a = -pi / 2 + k * 4 * pi / 5;
        star.push_back(POINT{500 + static_cast<LONG>(std::lround(150 * std::cos(a))),
                             400 + static_cast<LONG>(std::lround(150 * std::sin(a)))});
    }
    Draw(star);
    Hook(WM_HOOK_UP, star.back().x, star.back().y);
    ASSERT_FALSE(CaptureBitmap.Empty());
    const RECT b = FreeHandBounds;
    EXPECT_EQ(CapturePixel(500 - b.left, 400 - b.top), White);                            // centre
    EXPECT_EQ(CapturePixel(500 - b.left, 290 - b.top), Pattern(500, 290));                // the top tip
    EXPECT_EQ(CapturePixel(b.right - b.left - 1, b.bottom - b.top - 1), White);           // a corner of the box
}

TEST_F(FreeHand, ShapesTooSmallCaptureNothing) {
    const struct {
        const char* name;
        std::vector<POINT> path;
    } cases[] = {
        {"two points", {{100, 100}, {300, 300}}},
        {"a straight stroke", {{100, 300}, {200, 300}, {300, 300}}},
        {"a vertical stroke", {{100, 100}, {100, 200}, {100, 300}, {100, 150}}},
        {"under 10 pixels on the diagonal", {{100, 100}, {106, 100}, {106, 107}, {100, 107}}},
        {"a click", {{100, 100}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CaptureBitmap = ui::Bitmap(3, 3, ui::PixelFormat::Device);
        TimerArmed = true;
        Draw(c.path);
        Hook(WM_HOOK_UP, c.path.back().x, c.path.back().y);
        ExpectIdle();
        EXPECT_EQ(CaptureBitmap.Width(), 3);
        EXPECT_EQ(CompletionTimer, 0u);
        EXPECT_FALSE(TimerArmed);
    }
    vt::PumpFor(100);
    EXPECT_TRUE(deliveries.empty());
    // Just big enough: 6 by 8 pixels is 10 on the diagonal.
    Draw({{100, 100}, {106, 100}, {106, 108}});
    Hook(WM_HOOK_UP, 106, 108);
    EXPECT_EQ(CaptureBitmap.Width(), 6);
    EXPECT_EQ(CaptureBitmap.Height(), 8);
}

TEST_F(FreeHand, PointsBeyondTheLimitAreDropped) {
    // 5000 points zigzag inside (100..300, 100..300); the points after them
    // lie far away and must not count.
    std::vector<POINT> path;
    for (int i = 0; i < MaxFreeHandPoints; ++i) path.push_back(POINT{100 + (i * 7) % 201, 100 + (i * 13) % 201});
    for (int i = 0; i < 100; ++i) path.push_back(POINT{900, 700});
    Draw(path);
    EXPECT_EQ(FreeHandCount, MaxFreeHandPoints);
    EXPECT_EQ(FreeHandBounds.right, 300);
    EXPECT_EQ(FreeHandBounds.bottom, 300);
    DrawMarchingDots();
    Hook(WM_HOOK_UP, 900, 700);
    EXPECT_EQ(CaptureBitmap.Width(), 200);
    EXPECT_EQ(CaptureBitmap.Height(), 200);
    ExpectIdle();
}

TEST_F(FreeHand, MessagesInTheWrongOrderLeaveTheProgramIdle) {
    const struct {
        const char* name;
        std::vector<UINT> messages;
        bool captures;
    } cases[] = {
        {"up alone", {WM_HOOK_UP}, false},
        {"move and up without begin", {WM_HOOK_DOWN, WM_HOOK_MOVE, WM_HOOK_MOVE, WM_HOOK_UP}, false},
        {"moves and up without down", {WM_HOOK_BEGIN, WM_HOOK_MOVE, WM_HOOK_MOVE, WM_HOOK_UP}, false},
        {"second begin while drawing", {WM_HOOK_BEGIN, WM_HOOK_DOWN, WM_HOOK_MOVE, WM_HOOK_BEGIN, WM_HOOK_MOVE, WM_HOOK_UP}, false},
        {"second down starts a new path", {WM_HOOK_BEGIN, WM_HOOK_DOWN, WM_HOOK_MOVE, WM_HOOK_DOWN, WM_HOOK_MOVE, WM_HOOK_MOVE, WM_HOOK_UP}, true},
    };
    const POINT spots[] = {{100, 100}, {200, 120}, {150, 250}, {300, 300}, {120, 280}, {260, 140}, {180, 200}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CaptureBitmap = ui::Bitmap(3, 3, ui::PixelFormat::Device);
        int i = 0;
        for (UINT m : c.messages) {
            Hook(m, spots[i].x, spots[i].y);
            ++i;
            if (m != WM_HOOK_UP) {
                EXPECT_EQ(Frozen, FreeHandActive);
            }
        }
        ExpectIdle();
        EXPECT_EQ(CaptureBitmap.Width() != 3, c.captures);
        Complete();
        vt::PumpFor(100);
        // No dots are left on the screen.
        EXPECT_EQ(vt::ScreenPixel(150, 110), Pattern(150, 110));
    }
}

TEST_F(FreeHand, RepeatCutsTheLastShapeAgainFromTheScreen) {
    Config.RepeatMode = 1;
    Draw({{200, 200}, {400, 200}, {200, 350}});
    Hook(WM_HOOK_UP, 200, 350);
    Complete();
    CaptureBitmap = ui::Bitmap(3, 3, ui::PixelFormat::Device);
    Screen().Fill(RGB(10, 20, 30));
    RepeatCapture();
    ASSERT_EQ(CaptureBitmap.Width(), 200);
    ASSERT_EQ(CaptureBitmap.Height(), 150);
    EXPECT_EQ(CapturePixel(20, 20), RGB(10, 20, 30));
    EXPECT_EQ(CapturePixel(180, 130), White);
    Complete();
    EXPECT_EQ(deliveries.size(), 2u);
    Screen().Fill(kPicture);
}

}  // namespace
