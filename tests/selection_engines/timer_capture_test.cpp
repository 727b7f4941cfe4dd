// Timer capture inside the test process: the period, the start with the
// first capture, each tick's recapture of the same kind of selection with
// skip-identical, the window it follows, the cursor, and every way to stop.
#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "app/hotkey_router.h"
#include "base/errors.h"
#include "capture_road/road_fixture.h"
#include "app/completion.h"
#include "capture/freehand_engine.h"
#include "capture/gesture_dispatch.h"
#include "base/globals.h"
#include "base/hotkeys.h"
#include "app/main_window.h"
#include "capture/rect_engine.h"
#include "base/texts.h"
#include "capture/timer_capture.h"
#include "capture/timer_texts.h"
#include "capture/window_engine.h"
#include "support/vorlix_test.h"

using namespace road;

namespace {

TEST(TimerPeriod, SecondsOrMinutesWithinTheOfferedRanges) {
    const TConfiguration saved = Config;
    const struct {
        uint16_t period;
        uint8_t unit;
        UINT ms;
    } cases[] = {
        {5, 0, 5000}, {5, 1, 300000}, {1, 0, 1000}, {60, 1, 3600000},
        {0, 0, 1000},      // no zero period (a capture every 10 ms)
        {65535, 0, 60000}, // no overflow
        {60, 200, 3600000},
    };
    for (const auto& c : cases) {
        Config.TimerPeriod = c.period;
        Config.TimerUnit = c.unit;
        EXPECT_EQ(TimerPeriodMs(), c.ms) << c.period << " " << int(c.unit);
    }
    Config = saved;
}

class Timer : public Road {
protected:
    void SetUp() override {
        Road::SetUp();
        Config.TimerPeriod = 60;  // the tests tick by hand
        Config.TimerUnit = 1;
        Config.TimerSkipIdentical = 1;
    }
    void TearDown() override {
        if (TimerRunning) StopTimerCapture();
        Screen().Fill(kPicture);
        Road::TearDown();
        for (HWND w : made_) Screen().RemoveWindow(w);
    }
    // Arms timer capture and makes its first capture: a rectangle.
    void StartWithRectangle() {
        Config.CaptureType = ctRectangle;
        TimerArmed = true;
        Drag({200, 200}, {300, 280});
        Hook(WM_HOOK_UP, 300, 280);
        Complete();
        ASSERT_TRUE(TimerRunning);
    }
    std::vector<HWND> made_;
};

TEST_F(Timer, FirstCaptureStartsTheModeAndTicksDeliverOnlyChanges) {
    // Finishing changes the delivered image: the reference must be the
    // capture as taken, or every tick would deliver again.
    Config.EdgeOn = 1;
    StartWithRectangle();
    EXPECT_FALSE(TimerArmed);
    EXPECT_NE(PeriodTimer, 0u);
    EXPECT_EQ(uMainForm->trayIcon.ToolTip(), txt::TrayTipTimerOn);
    EXPECT_EQ(uMainForm->trayIcon.popupMenu, nullptr);
    EXPECT_EQ(uMainForm->noticeText, txt::NoticeTimerOn);
    ASSERT_EQ(deliveries.size(), 1u);

    TimerRecapture();  // the screen did not change
    TimerRecapture();
    EXPECT_EQ(deliveries.size(), 1u);
    Screen().Fill(RGB(40, 50, 60));
    TimerRecapture();
    ASSERT_EQ(deliveries.size(), 2u);
    TimerRecapture();
    EXPECT_EQ(deliveries.size(), 2u);

    StopTimerCapture();
    EXPECT_FALSE(TimerRunning);
    EXPECT_EQ(PeriodTimer, 0u);
    EXPECT_TRUE(PreviousCapture.Empty());
    EXPECT_EQ(uMainForm->trayIcon.ToolTip(), txt::TrayTip);
    EXPECT_EQ(uMainForm->trayIcon.popupMenu, uMainForm->popupMenu);
    EXPECT_EQ(uMainForm->noticeText, txt::NoticeTimerOff);
}

TEST_F(Timer, WithoutSkipIdenticalEveryTickDelivers) {
    Config.TimerSkipIdentical = 0;
    StartWithRectangle();
    for (int i = 0; i < 3; ++i) TimerRecapture();
    EXPECT_EQ(deliveries.size(), 4u);
    EXPECT_EQ(deliveries.back().width, 98);
}

TEST_F(Timer, PeriodTimerTicksOnItsOwn) {
    Config.TimerSkipIdentical = 0;
    Config.TimerPeriod = 1;
    Config.TimerUnit = 0;
    StartWithRectangle();
    EXPECT_TRUE(vt::WaitUntil([] { return deliveries.size() >= 3; }, 4000));
    StopTimerCapture();
    const size_t after = deliveries.size();
    vt::PumpFor(1500);
    EXPECT_EQ(deliveries.size(), after);
}

TEST_F(Timer, FollowedWindowIsClippedSkippedWhenMinimisedAndEndsWhenHidden) {
    Config.TimerSkipIdentical = 0;
    Config.CaptureType = ctWindow;
    const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    // Partly off the screen, like a maximised window's frame.
    const HWND window = Screen().AddWindow(RECT{w - 200, h - 150, w + 50, h + 50});
    made_.push_back(window);
    vt::PumpFor(200);
    TimerArmed = true;
    Hook(WM_HOOK_BEGIN, w - 100, h - 100);
    Hook(WM_HOOK_UP, w - 100, h - 100);
    Complete();
    ASSERT_TRUE(TimerRunning);
    ASSERT_EQ(deliveries.size(), 1u);
    TimerRecapture();
    ASSERT_EQ(deliveries.size(), 2u);
    EXPECT_EQ(deliveries[1].width, 200);  // clipped as the first capture was
    EXPECT_EQ(deliveries[1].height, 150);
    EXPECT_EQ(CaptureMismatches(w - 200, h - 150), 0);

    ShowWindow(window, SW_MINIMIZE);
    vt::PumpFor(100);
    ASSERT_TRUE(IsIconic(window));
    TimerRecapture();
    EXPECT_EQ(deliveries.size(), 2u);
    EXPECT_TRUE(TimerRunning);

    ShowWindow(window, SW_HIDE);
    vt::PumpFor(100);
    TimerRecapture();
    EXPECT_EQ(deliveries.size(), 2u);
    EXPECT_FALSE(TimerRunning);
    EXPECT_EQ(PeriodTimer, 0u);
    EXPECT_EQ(uMainForm->noticeText, txt::NoticeTimerOff);
}

TEST_F(Timer, FreeHandTicksCutTheSameShapeWithTheCursorOnlyInsideIt) {
    Config.TimerSkipIdentical = 0;
    Config.CaptureCursor = 1;
    Config.CaptureType = ctFreeHand;
    SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    TimerArmed = true;
    Hook(WM_HOOK_BEGIN, 200, 200);
    Hook(WM_HOOK_DOWN, 200, 200);
    Hook(WM_HOOK_MOVE, 400, 200);
    Hook(WM_HOOK_MOVE, 200, 400);
    Hook(WM_HOOK_UP, 200, 400);
    Complete();
    ASSERT_TRUE(TimerRunning);
    const auto changed = [] {
        int n = 0;
        for (int y = 0; y < CaptureBitmap.Height(); ++y)
            for (int x = 0; x < CaptureBitmap.Width(); ++x) {
                const COLORREF c = CapturePixel(x, y);
                if (c != Pattern(200 + x, 200 + y) && c != RGB(255, 255, 255)) ++n;
            }
        return n;
    };
    SetCursorPos(250, 250);  // inside the triangle
    TimerRecapture();
    ASSERT_EQ(CaptureBitmap.Width(), 200);
    EXPECT_GT(changed(), 20);
    SetCursorPos(390, 390);  // in the box, outside the shape
    TimerRecapture();
    EXPECT_EQ(changed(), 0);
}

TEST_F(Timer, StoppingDuringARecaptureEndsRightAfterItsDelivery) {
    Config.TimerSkipIdentical = 0;
    StartWithRectangle();
    duringDelivery = [](int) { StopTimerCapture(); };
    TimerRecapture();
    duringDelivery = nullptr;
    EXPECT_EQ(deliveries.size(), 2u);  // that delivery still happened
    EXPECT_FALSE(TimerRunning);
    EXPECT_EQ(PeriodTimer, 0u);
    EXPECT_EQ(uMainForm->noticeText, txt::NoticeTimerOff);
}

TEST_F(Timer, EveryWayToStopIt) {
    const struct {
        const char* name;
        void (*stop)();
    } ways[] = {
        {"Timer hotkey", [] { HandleHotkey(TimerAtom); }},
        {"tray click", [] { TrayIconClick(); }},
        {"tray right click", [] { TrayIconRightClick(); }},
        {"error box", [] {
             vt::BoxAnswerer answer(L"OK");
             ShowError(L"something");
         }},
    };
    for (const auto& way : ways) {
        SCOPED_TRACE(way.name);
        StartWithRectangle();
        uMainForm->noticeText.clear();
        way.stop();
        EXPECT_FALSE(TimerRunning);
        EXPECT_EQ(PeriodTimer, 0u);
        EXPECT_EQ(uMainForm->noticeText, txt::NoticeTimerOff);
        deliveries.clear();
    }
    // Pressed while armed but not running, the Timer hotkey is ignored.
    TimerArmed = true;
    HandleHotkey(TimerAtom);
    EXPECT_TRUE(TimerArmed);
    EXPECT_FALSE(TimerRunning);
    EndCaptureByEsc();
    EXPECT_FALSE(TimerArmed);
}

}  // namespace
