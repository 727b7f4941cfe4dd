// The window engine on the frozen picture: the window list and its limits,
// the hit rule, the highlight, the capture clipped to the screen, Esc, and
// the releases that must capture nothing.
#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "capture_road/road_fixture.h"
#include "capture/freeze_window.h"
#include "capture/gesture_dispatch.h"
#include "base/globals.h"
#include "app/main_window.h"
#include "capture/screen_capture.h"
#include "capture/shading.h"
#include "base/texts.h"
#include "capture/window_engine.h"
#include "support/vorlix_test.h"

using namespace road;

namespace {

constexpr COLORREF Navy = 0x800000;

int ScreenW() { return GetSystemMetrics(SM_CXSCREEN); }
int ScreenH() { return GetSystemMetrics(SM_CYSCREEN); }

bool SameRect(const RECT& a, const RECT& b) { return EqualRect(&a, &b) != FALSE; }

class WindowEngine : public Road {
protected:
    void SetUp() override {
        Road::SetUp();
        Config.CaptureType = ctWindow;
    }
    void TearDown() override {
        Road::TearDown();
        for (auto it = made_.rbegin(); it != made_.rend(); ++it) Screen().RemoveWindow(*it);
        made_.clear();
        Screen().SetBounds(RECT{0, 0, ScreenW(), ScreenH()});
        vt::PumpFor(100);
    }

    HWND Add(const RECT& r, HWND parent = nullptr) {
        const HWND w = Screen().AddWindow(r, parent);
        EXPECT_NE(w, nullptr);
        if (!parent) made_.push_back(w);
        return w;
    }

    // The highlight of r on the screen: a two-pixel navy frame through its
    // edges (right and bottom exclusive, so the outer frame lies just outside
    // them), the inside tinted.
    void ExpectHighlighted(const RECT& r) {
        const int midX = (r.left + r.right) / 2, midY = (r.top + r.bottom) / 2;
        for (POINT p : {POINT{r.left, midY}, POINT{r.left + 1, midY}, POINT{r.right - 1, midY}, POINT{r.right, midY},
                        POINT{midX, r.top}, POINT{midX, r.top + 1}, POINT{midX, r.bottom - 1}, POINT{midX, r.bottom}})
            EXPECT_EQ(vt::ScreenPixel(p.x, p.y), Navy) << p.x << "," << p.y;
        for (POINT p : {POINT{r.left + 2, r.top + 2}, POINT{midX, midY}, POINT{r.right - 3, r.bottom - 3}})
            EXPECT_EQ(vt::ScreenPixel(p.x, p.y), Tinted(Pattern(p.x, p.y))) << p.x << "," << p.y;
    }
    void ExpectPlain(std::initializer_list<POINT> points) {
        for (POINT p : points) EXPECT_EQ(vt::ScreenPixel(p.x, p.y), Pattern(p.x, p.y)) << p.x << "," << p.y;
    }

    std::vector<HWND> made_;
};

TEST_F(WindowEngine, SmallestChildUnderThePointerIsHighlightedAndCaptured) {
    const RECT outer{100, 100, 500, 400}, middle{150, 150, 450, 350}, inner{200, 200, 300, 260};
    const HWND top = Add(outer);
    const HWND mid = Add(middle, top);
    const HWND small = Add(inner, mid);  // a grandchild: every descendant counts
    vt::PumpFor(200);

    Hook(WM_HOOK_BEGIN, 250, 230);  // highlighted at once, before any move
    EXPECT_TRUE(Frozen);
    EXPECT_TRUE(WindowActive);
    EXPECT_FALSE(HotkeyFree(0, VK_ESCAPE));
    EXPECT_EQ(HighlightedWindow, small);
    EXPECT_TRUE(SameRect(HighlightRect, inner));
    ExpectHighlighted(inner);
    ExpectPlain({POINT{302, 230}, POINT{180, 180}});

    Hook(WM_HOOK_MOVE, 160, 160);
    EXPECT_EQ(HighlightedWindow, mid);
    ExpectHighlighted(middle);
    Hook(WM_HOOK_MOVE, 120, 380);
    EXPECT_EQ(HighlightedWindow, top);
    ExpectHighlighted(outer);
    Hook(WM_HOOK_MOVE, 250, 230);
    ExpectHighlighted(inner);
    // The old frames are gone, outside and inside.
    ExpectPlain({POINT{100, 250}, POINT{101, 250}, POINT{150, 250}, POINT{500, 250}, POINT{120, 380}});

    Hook(WM_HOOK_DOWN, 250, 230);
    Hook(WM_HOOK_UP, 250, 230);
    ASSERT_EQ(CaptureBitmap.Width(), 100);
    ASSERT_EQ(CaptureBitmap.Height(), 60);
    EXPECT_EQ(CaptureMismatches(200, 200), 0);  // no tint, no frame
    ExpectIdle();
    Complete();
    ASSERT_EQ(deliveries.size(), 1u);
    EXPECT_EQ(deliveries[0].width, 100);
    vt::PumpFor(150);
    ExpectPlain({POINT{200, 230}, POINT{250, 230}});
}

TEST_F(WindowEngine, WindowPartlyOffTheScreenIsCapturedAsFarAsItIsOnIt) {
    const int w = ScreenW(), h = ScreenH();
    Add(RECT{w - 124, h - 168, w + 176, h + 132});
    vt::PumpFor(200);
    Hook(WM_HOOK_BEGIN, w - 60, h - 60);
    const RECT visible{w - 124, h - 168, w, h};
    EXPECT_TRUE(SameRect(HighlightRect, visible));
    Hook(WM_HOOK_UP, w - 60, h - 60);
    ASSERT_EQ(CaptureBitmap.Width(), 124);
    ASSERT_EQ(CaptureBitmap.Height(), 168);
    EXPECT_EQ(CaptureMismatches(w - 124, h - 168), 0);
    ExpectIdle();
}

TEST_F(WindowEngine, ReleaseWithNothingHighlightedCapturesAndDeliversNothing) {
    // The bottom strip of the screen shows no window at all.
    Screen().SetBounds(RECT{0, 0, ScreenW(), ScreenH() - 100});
    CaptureBitmap = ui::Bitmap(3, 3, ui::PixelFormat::Device);
    TimerArmed = true;
    Hook(WM_HOOK_BEGIN, 500, ScreenH() - 50);
    Hook(WM_HOOK_MOVE, 510, ScreenH() - 40);
    ASSERT_EQ(HighlightedWindow, nullptr);
    Hook(WM_HOOK_UP, 510, ScreenH() - 40);
    ExpectIdle();
    EXPECT_EQ(CompletionTimer, 0u);
    EXPECT_EQ(CaptureBitmap.Width(), 3);  // the previous image stays and is not sent again
    EXPECT_FALSE(TimerArmed);
    vt::PumpFor(100);
    EXPECT_TRUE(deliveries.empty());
}

TEST_F(WindowEngine, QuickClickAfterTheBeginIsNotLost) {
    const RECT r{300, 300, 420, 380};
    Add(r);
    vt::PumpFor(200);
    SetCursorPos(350, 340);
    // All three are queued before the first is handled, as after a quick
    // click: building the window list must not run the release before the
    // selection has begun.
    PostMessageW(MainWindow, WM_HOOK_BEGIN, 0, 0);
    PostMessageW(MainWindow, WM_HOOK_DOWN, 0, 0);
    PostMessageW(MainWindow, WM_HOOK_UP, 0, 0);
    vt::PumpFor(100);
    ExpectIdle();
    ASSERT_EQ(CaptureBitmap.Width(), 120);
    ASSERT_EQ(CaptureBitmap.Height(), 80);
    EXPECT_EQ(CaptureMismatches(300, 300), 0);
    Complete();
    EXPECT_EQ(deliveries.size(), 1u);
}

TEST_F(WindowEngine, ListKeepsItsLimitsAndListsTheTaskbarSecond) {
    // A window with 200 visible descendants, above 110 small windows.
    std::vector<HWND> smalls;
    for (int i = 0; i < 110; ++i) Add(RECT{10 + (i % 20) * 40, 500 + (i / 20) * 30, 30 + (i % 20) * 40, 520 + (i / 20) * 30});
    const HWND crowded = Add(RECT{100, 50, 900, 450});
    for (int i = 0; i < 200; ++i) Add(RECT{110 + (i % 20) * 39, 60 + (i / 20) * 38, 140 + (i % 20) * 39, 90 + (i / 20) * 38}, crowded);
    // A taskbar at the bottom of the Z order (when the system has none).
    const bool ownTaskbar = FindWindowW(L"Shell_TrayWnd", nullptr) == nullptr;
    HWND taskbar = nullptr;
    if (ownTaskbar) {
        WNDCLASSW wc{};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"Shell_TrayWnd";
        RegisterClassW(&wc);
        taskbar = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, L"Shell_TrayWnd", L"", WS_POPUP | WS_VISIBLE, 0,
                                  ScreenH() - 30, ScreenW(), 30, nullptr, nullptr, wc.hInstance, nullptr);
        SetWindowPos(taskbar, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    vt::PumpFor(100);

    BuildWindowList();
    EXPECT_EQ(WindowList.size(), size_t(MaxTopLevelWindows));
    ASSERT_FALSE(WindowList.empty());
    EXPECT_EQ(WindowList[0].handle, crowded);
    EXPECT_EQ(WindowList[0].children.size(), size_t(MaxChildWindows));
    for (const TopLevelWindow& w : WindowList) {
        EXPECT_NE(w.handle, MainWindow);
        EXPECT_NE(w.handle, uFreezeForm->Handle());
        EXPECT_TRUE(IsWindowVisible(w.handle));
    }
    const HWND expectedTaskbar = FindWindowW(L"Shell_TrayWnd", nullptr);
    if (expectedTaskbar && IsWindowVisible(expectedTaskbar)) {
        ASSERT_GE(WindowList.size(), 2u);
        EXPECT_EQ(WindowList[1].handle, expectedTaskbar);
    }
    if (taskbar) DestroyWindow(taskbar);
}

TEST_F(WindowEngine, EscAndWindowsThatGoAwayLeaveNoTrace) {
    const RECT r{300, 200, 500, 300};
    HWND w = Add(r);
    vt::PumpFor(200);
    Hook(WM_HOOK_BEGIN, 400, 250);
    EXPECT_EQ(HighlightedWindow, w);
    EndCaptureByEsc();
    ExpectIdle();
    EXPECT_EQ(CompletionTimer, 0u);
    EXPECT_EQ(uMainForm->noticeText, txt::NoticeCancelled);
    vt::PumpFor(150);
    ExpectPlain({POINT{300, 250}, POINT{400, 250}});

    // Destroyed while highlighted: the frozen picture is still captured.
    Hook(WM_HOOK_BEGIN, 400, 250);
    Screen().RemoveWindow(w);
    made_.clear();
    Hook(WM_HOOK_MOVE, 410, 255);
    Hook(WM_HOOK_UP, 410, 255);
    ASSERT_EQ(CaptureBitmap.Width(), 200);
    EXPECT_EQ(CaptureMismatches(300, 200), 0);
    ExpectIdle();
    // Destroyed between the release and the delivery: the image was taken
    // at the release.
    w = Add(r);
    vt::PumpFor(200);
    Hook(WM_HOOK_BEGIN, 400, 250);
    Hook(WM_HOOK_UP, 400, 250);
    Screen().RemoveWindow(w);
    made_.clear();
    Complete();
    ASSERT_EQ(deliveries.size(), 2u);
    EXPECT_EQ(deliveries[1].width, 200);
    EXPECT_EQ(deliveries[1].topLeft, Pattern(300, 200));
}

TEST_F(WindowEngine, RepeatTakesTheLastWindowsRectangleAgainFromTheScreen) {
    Config.RepeatMode = 1;
    const RECT r{300, 200, 500, 300};
    Add(r);
    vt::PumpFor(200);
    Hook(WM_HOOK_BEGIN, 400, 250);
    Hook(WM_HOOK_UP, 400, 250);
    Complete();
    CaptureBitmap = ui::Bitmap(3, 3, ui::PixelFormat::Device);
    Screen().Fill(RGB(10, 20, 30));
    Screen().RemoveWindow(made_.back());  // the picture window shows through
    made_.clear();
    vt::PumpFor(150);
    RepeatCapture();
    ASSERT_EQ(CaptureBitmap.Width(), 200);
    ASSERT_EQ(CaptureBitmap.Height(), 100);
    EXPECT_EQ(CapturePixel(0, 0), RGB(10, 20, 30));
    EXPECT_EQ(CapturePixel(199, 99), RGB(10, 20, 30));
    Complete();
    EXPECT_EQ(deliveries.size(), 2u);
    Screen().Fill(kPicture);
}

TEST_F(WindowEngine, MessagesInTheWrongOrderLeaveTheProgramIdle) {
    const RECT r{300, 300, 420, 380};
    Add(r);
    vt::PumpFor(200);
    const struct {
        const char* name;
        std::vector<UINT> messages;
        bool captures;
    } cases[] = {
        {"up alone", {WM_HOOK_UP}, false},
        {"down and move without begin", {WM_HOOK_DOWN, WM_HOOK_MOVE, WM_HOOK_UP}, false},
        {"second begin", {WM_HOOK_BEGIN, WM_HOOK_MOVE, WM_HOOK_BEGIN, WM_HOOK_UP}, true},
        {"second up", {WM_HOOK_BEGIN, WM_HOOK_UP, WM_HOOK_UP}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CaptureBitmap = ui::Bitmap(3, 3, ui::PixelFormat::Device);
        for (UINT m : c.messages) {
            Hook(m, 350, 340);
            if (m != WM_HOOK_UP) {
                EXPECT_EQ(Frozen, WindowActive);
            }
        }
        ExpectIdle();
        EXPECT_EQ(CaptureBitmap.Width(), c.captures ? 120 : 3);
        if (c.captures) {
            EXPECT_EQ(CaptureMismatches(300, 300), 0);
        }
        Complete();
    }
}

}  // namespace
