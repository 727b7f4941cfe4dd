// The capture road inside the test process: the program's main window, freeze
// window and engines run here on a screen that shows a known picture, the
// hook messages are sent with the pointer put where the user would have it,
// and CaptureBitmap, the screen and the deliveries are read back directly.
// The destination routines are replaced by recorders.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <cstring>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "base/programs.h"
#include "capture_road/pattern_screen.h"
#include "capture_road/road_fixture.h"
#include "app/completion.h"
#include "capture/freeze_window.h"
#include "capture/gesture_dispatch.h"
#include "base/globals.h"
#include "base/hotkeys.h"
#include "app/main_window.h"
#include "capture/rect_engine.h"
#include "base/settings_store.h"
#include "capture/shading.h"
#include "base/texts.h"
#include "capture/timer_capture.h"
#include "hook/hovrak.h"
#include "support/vorlix_test.h"
#include "ui/bitmap.h"
#include "ui/text_convert.h"
#include "ui/window.h"

using road::Pattern;
using namespace road;

namespace {

constexpr COLORREF Navy = 0x800000;

// ---- Selection shading --------------------------------------------------------------

TEST(BlendTables, SharesRoundTheirHalvesApart) {
    EXPECT_EQ(ColourShare[5], 1);
    EXPECT_EQ(ColourShare[15], 4);  // 4.5 goes down
    EXPECT_EQ(ColourShare[16], 5);  // 4.8
    EXPECT_EQ(ColourShare[255], 76);
    EXPECT_EQ(ScreenShare[5], 4);    // 3.5 goes up
    EXPECT_EQ(ScreenShare[15], 11);  // 10.5
    EXPECT_EQ(ScreenShare[13], 9);   // 9.1
    EXPECT_EQ(ScreenShare[255], 179);
    for (int c = 0; c < 256; ++c)
        for (int p = 0; p < 256; ++p) ASSERT_LE(ColourShare[c] + ScreenShare[p], 255) << c << " " << p;
}

TEST(BlendTables, TintBlendsThirtyPercentHighlight) {
    const TColor saved = Config.HighlightColor;
    ui::Bitmap b(2, 1, ui::PixelFormat::Bits24);
    const auto fill = [&] {
        uint8_t* row = b.ScanLine(0);
        const uint8_t px[6] = {0, 0, 0, 10, 128, 255};  // blue, green, red
        std::memcpy(row, px, 6);
    };
    const struct {
        TColor highlight;
        uint8_t expected[6];
    } cases[] = {
        {0x000000, {0, 0, 0, 7, 90, 179}},        // black: 70 % of the picture
        {0xFFFFFF, {76, 76, 76, 83, 166, 255}},   // white: 76 + 70 %, no overflow
        {0xFFE6E6, {76, 69, 69, 83, 159, 248}},   // the default light blue
    };
    for (const auto& c : cases) {
        Config.HighlightColor = c.highlight;
        SetBlendColor();
        fill();
        TintBitmap(b);
        EXPECT_EQ(std::vector<uint8_t>(b.ScanLine(0), b.ScanLine(0) + 6),
                  std::vector<uint8_t>(c.expected, c.expected + 6))
            << std::hex << c.highlight;
    }
    Config.HighlightColor = saved;
    SetBlendColor();
}

// ---- Rectangle engine ------------------------------------------------------------------

TEST_F(Road, WorkedExampleCapturesTheInsideOfTheOutline) {
    Config.FixedWidth = 50;
    Config.FixedHeight = 50;
    Hook(WM_HOOK_BEGIN, 5, 5);
    EXPECT_TRUE(Frozen);
    EXPECT_TRUE(RectangleActive);
    EXPECT_FALSE(HotkeyFree(0, VK_ESCAPE));  // Esc belongs to the selection now
    const RECT cover = FreezeWindowRect();
    EXPECT_EQ(cover.right, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(cover.bottom, GetSystemMetrics(SM_CYSCREEN));
    // The frozen screen shows the picture, not an unpainted window.
    EXPECT_EQ(vt::ScreenPixel(500, 400), Pattern(500, 400));

    Hook(WM_HOOK_DOWN, 10, 10);
    Hook(WM_HOOK_MOVE, 60, 30);
    Hook(WM_HOOK_MOVE, 110, 60);
    EXPECT_EQ(CurrentCorner.x, 109);
    EXPECT_EQ(CurrentCorner.y, 59);
    // On the screen: the outline through x = 10 and 109, y = 10 and 59, the
    // inside tinted, the outside as it was.
    for (POINT p : {POINT{10, 30}, POINT{109, 30}, POINT{50, 10}, POINT{50, 59}, POINT{10, 10}, POINT{109, 59}})
        EXPECT_EQ(vt::ScreenPixel(p.x, p.y), Navy) << p.x << "," << p.y;
    for (POINT p : {POINT{11, 11}, POINT{50, 30}, POINT{108, 58}, POINT{70, 20}})
        EXPECT_EQ(vt::ScreenPixel(p.x, p.y), Tinted(Pattern(p.x, p.y))) << p.x << "," << p.y;
    for (POINT p : {POINT{110, 30}, POINT{50, 60}, POINT{9, 9}, POINT{300, 300}})
        EXPECT_EQ(vt::ScreenPixel(p.x, p.y), Pattern(p.x, p.y)) << p.x << "," << p.y;

    Hook(WM_HOOK_UP, 400, 300);  // the release position is not used
    ASSERT_EQ(CaptureBitmap.Width(), 98);
    ASSERT_EQ(CaptureBitmap.Height(), 48);
    EXPECT_EQ(CaptureMismatches(11, 11), 0);  // no tint, outline or crosshair pixel
    EXPECT_EQ(SelectionRect.left, 11);
    EXPECT_EQ(SelectionRect.top, 11);
    EXPECT_EQ(SelectionRect.right, 109);
    EXPECT_EQ(SelectionRect.bottom, 59);
    ExpectIdle();
    EXPECT_NE(CompletionTimer, 0u);

    // The size is remembered and stored at once.
    EXPECT_EQ(Config.FixedWidth, 98);
    EXPECT_EQ(Config.FixedHeight, 48);
    TConfiguration stored{};
    ASSERT_TRUE(ReadSchema(L"", stored));
    EXPECT_EQ(stored.FixedWidth, 98);
    EXPECT_EQ(stored.FixedHeight, 48);

    Complete();
    ASSERT_EQ(deliveries.size(), 1u);
    EXPECT_EQ(deliveries[0].destination, dClipboard);
    EXPECT_EQ(deliveries[0].width, 98);
    // Once unfrozen the screen is the live one again.
    vt::PumpFor(150);
    EXPECT_EQ(vt::ScreenPixel(50, 30), Pattern(50, 30));
    EXPECT_EQ(vt::ScreenPixel(10, 30), Pattern(10, 30));
}

// The hook's messages say where each event happened: the selection follows
// those positions wherever the pointer is when the messages are handled.
// Messages without the mark (a hook library that passes nothing) fall back to
// the pointer's position, as every other test here does.
TEST_F(Road, GestureMessagesThatCarryTheirPositionAreTakenAtIt) {
    const auto at = [](UINT message, int x, int y) {
        SendMessageW(MainWindow, message, HookPointMark,
                     static_cast<LPARAM>(MAKELONG(static_cast<WORD>(x), static_cast<WORD>(y))));
    };
    SetCursorPos(700, 600);  // where the pointer has got to meanwhile
    at(WM_HOOK_BEGIN, 5, 5);
    at(WM_HOOK_DOWN, 10, 10);
    at(WM_HOOK_MOVE, 60, 30);
    at(WM_HOOK_MOVE, 110, 60);
    at(WM_HOOK_UP, 700, 600);
    ASSERT_EQ(CaptureBitmap.Width(), 98);
    ASSERT_EQ(CaptureBitmap.Height(), 48);
    EXPECT_EQ(CaptureMismatches(11, 11), 0);
    ExpectIdle();
    Complete();

    // Positions left of and above the primary screen arrive signed.
    POINT p{};
    ASSERT_TRUE(HookMessagePoint(HookPointMark, static_cast<LPARAM>(MAKELONG(static_cast<WORD>(-5), 7)), p));
    EXPECT_EQ(p.x, -5);
    EXPECT_EQ(p.y, 7);
    EXPECT_FALSE(HookMessagePoint(0, MAKELONG(3, 4), p));
}

TEST_F(Road, EveryDirectionCapturesTheInsideOnly) {
    const struct {
        POINT down, last;
        RECT expected;  // empty: nothing captured
    } cases[] = {
        {{10, 10}, {110, 60}, {11, 11, 109, 59}},    // right and down
        {{10, 60}, {110, 10}, {11, 12, 109, 60}},    // right and up
        {{110, 60}, {10, 10}, {12, 12, 110, 60}},    // left and up
        {{110, 10}, {10, 60}, {12, 11, 110, 59}},    // left and down
        {{200, 200}, {205, 205}, {}},                // a click: C pulled back to 4, 4
        {{200, 200}, {200, 260}, {}},                // straight down: nothing inside the outline
        {{200, 200}, {260, 200}, {}},                // straight right
        {{200, 200}, {201, 260}, {}},                // one column apart: still nothing inside
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.down.x << "," << c.down.y << " -> " << c.last.x << "," << c.last.y);
        CaptureBitmap = ui::Bitmap(3, 3, ui::PixelFormat::Device);
        Config.FixedWidth = 7;
        TimerArmed = true;
        Drag(c.down, c.last);
        Hook(WM_HOOK_UP, c.last.x, c.last.y);
        ExpectIdle();
        if (IsRectEmpty(&c.expected)) {
            EXPECT_EQ(CaptureBitmap.Width(), 3);
            EXPECT_EQ(CompletionTimer, 0u);
            EXPECT_FALSE(TimerArmed);  // a pending timer mode is disarmed
            EXPECT_EQ(Config.FixedWidth, 7);
            continue;
        }
        EXPECT_TRUE(EqualRect(&SelectionRect, &c.expected));
        ASSERT_EQ(CaptureBitmap.Width(), c.expected.right - c.expected.left);
        ASSERT_EQ(CaptureBitmap.Height(), c.expected.bottom - c.expected.top);
        EXPECT_EQ(CaptureMismatches(c.expected.left, c.expected.top), 0);
        EXPECT_EQ(Config.FixedWidth, 98);
        Complete();
    }
}

TEST_F(Road, LockedFixedSizeIsNotReplaced) {
    Config.LockFixedSize = 1;
    Config.FixedWidth = 33;
    Config.FixedHeight = 44;
    Drag({10, 10}, {110, 60});
    Hook(WM_HOOK_UP, 110, 60);
    EXPECT_EQ(CaptureBitmap.Width(), 98);
    EXPECT_EQ(Config.FixedWidth, 33);
    EXPECT_EQ(Config.FixedHeight, 44);
}

TEST_F(Road, ShrinkingAndCrossingTheAnchorRepaintsFromTheRightCopy) {
    Drag({100, 100}, {300, 250});
    Hook(WM_HOOK_MOVE, 200, 180);  // shrink: C = (199, 179)
    EXPECT_EQ(vt::ScreenPixel(250, 150), Pattern(250, 150));  // freed strip is plain again
    EXPECT_EQ(vt::ScreenPixel(150, 220), Pattern(150, 220));
    EXPECT_EQ(vt::ScreenPixel(150, 150), Tinted(Pattern(150, 150)));
    EXPECT_EQ(vt::ScreenPixel(199, 150), Navy);
    EXPECT_EQ(vt::ScreenPixel(299, 150), Pattern(299, 150));  // the old outline is gone
    Hook(WM_HOOK_MOVE, 260, 160);  // wider, lower: mixed growth
    EXPECT_EQ(vt::ScreenPixel(230, 150), Tinted(Pattern(230, 150)));
    EXPECT_EQ(vt::ScreenPixel(230, 170), Pattern(230, 170));
    EXPECT_EQ(vt::ScreenPixel(150, 170), Pattern(150, 170));
    Hook(WM_HOOK_MOVE, 40, 30);  // across the anchor: C = (41, 31)
    EXPECT_EQ(vt::ScreenPixel(150, 130), Pattern(150, 130));
    EXPECT_EQ(vt::ScreenPixel(70, 70), Tinted(Pattern(70, 70)));
    EXPECT_EQ(vt::ScreenPixel(41, 70), Navy);
    EXPECT_EQ(vt::ScreenPixel(100, 70), Navy);
    Hook(WM_HOOK_UP, 40, 30);
    ASSERT_EQ(CaptureBitmap.Width(), 58);  // (42..99) inside the outline at 41 and 100
    ASSERT_EQ(CaptureBitmap.Height(), 68);
    EXPECT_EQ(CaptureMismatches(42, 32), 0);
}

TEST_F(Road, LargeCrosshairFollowsThePointerAndNeverReachesTheCapture) {
    Config.CrosshairSize = 2;
    const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    Hook(WM_HOOK_BEGIN, 300, 200);  // the crosshair shows at once
    for (POINT p : {POINT{300, 2}, POINT{300, h - 2}, POINT{2, 200}, POINT{w - 2, 200}, POINT{300, 200}})
        EXPECT_EQ(vt::ScreenPixel(p.x, p.y), Navy) << p.x << "," << p.y;
    EXPECT_EQ(vt::ScreenPixel(301, 600), Pattern(301, 600));

    Hook(WM_HOOK_MOVE, 320, 220);
    EXPECT_EQ(vt::ScreenPixel(300, 600), Pattern(300, 600));  // erased where it was
    EXPECT_EQ(vt::ScreenPixel(700, 200), Pattern(700, 200));
    EXPECT_EQ(vt::ScreenPixel(320, 600), Navy);
    EXPECT_EQ(vt::ScreenPixel(700, 220), Navy);

    Hook(WM_HOOK_DOWN, 320, 220);
    Hook(WM_HOOK_MOVE, 420, 300);  // C = (419, 299)
    // Four segments prolong the edges that meet at the moving corner.
    EXPECT_EQ(vt::ScreenPixel(419, 100), Navy);
    EXPECT_EQ(vt::ScreenPixel(419, 500), Navy);
    EXPECT_EQ(vt::ScreenPixel(100, 299), Navy);
    EXPECT_EQ(vt::ScreenPixel(600, 299), Navy);
    EXPECT_EQ(vt::ScreenPixel(320, 600), Pattern(320, 600));  // the crosshair before the anchor is gone
    EXPECT_EQ(vt::ScreenPixel(700, 220), Pattern(700, 220));
    EXPECT_EQ(vt::ScreenPixel(370, 260), Tinted(Pattern(370, 260)));  // no line through the selection

    Hook(WM_HOOK_UP, 420, 300);
    ASSERT_EQ(CaptureBitmap.Width(), 98);
    ASSERT_EQ(CaptureBitmap.Height(), 78);
    EXPECT_EQ(CaptureMismatches(321, 221), 0);
    ExpectIdle();
}

TEST_F(Road, FixedSizeFollowsThePointerAndStaysOnTheScreen) {
    Config.RectSelection = 1;
    Config.FixedWidth = 60;
    Config.FixedHeight = 40;
    const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    const struct {
        POINT at;
        POINT origin;
    } cases[] = {{{500, 400}, {470, 380}}, {{3, 3}, {1, 1}}, {{w - 4, h - 3}, {w - 61, h - 41}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.at.x << "," << c.at.y);
        Hook(WM_HOOK_BEGIN, 700, 100);
        Hook(WM_HOOK_DOWN, 700, 100);  // no anchor in this mode
        Hook(WM_HOOK_MOVE, c.at.x, c.at.y);
        EXPECT_EQ(vt::ScreenPixel(700, 100), Pattern(700, 100));  // the frame left its first place
        EXPECT_EQ(vt::ScreenPixel(c.origin.x - 1, c.origin.y + 10), Navy);
        EXPECT_EQ(vt::ScreenPixel(c.origin.x + 60, c.origin.y + 10), Navy);
        EXPECT_EQ(vt::ScreenPixel(c.origin.x + 30, c.origin.y + 20), Tinted(Pattern(c.origin.x + 30, c.origin.y + 20)));
        Hook(WM_HOOK_UP, c.at.x, c.at.y);
        ASSERT_EQ(CaptureBitmap.Width(), 60);
        ASSERT_EQ(CaptureBitmap.Height(), 40);
        EXPECT_EQ(CaptureMismatches(c.origin.x, c.origin.y), 0);
        EXPECT_EQ(Config.FixedWidth, 60);  // never stored in this mode
        ExpectIdle();
        Complete();
    }
}

TEST_F(Road, EscCancelsTheSelection) {
    Drag({10, 10}, {110, 60});
    EXPECT_FALSE(HotkeyFree(0, VK_ESCAPE));
    EndCaptureByEsc();
    ExpectIdle();
    EXPECT_EQ(CompletionTimer, 0u);
    EXPECT_EQ(uMainForm->noticeText, txt::NoticeCancelled);
    vt::PumpFor(150);
    EXPECT_EQ(vt::ScreenPixel(50, 30), Pattern(50, 30));

    // Without a selection Esc only disarms a timer capture, silently.
    uMainForm->noticeText.clear();
    TimerArmed = true;
    EndCaptureByEsc();
    EXPECT_FALSE(TimerArmed);
    EXPECT_TRUE(uMainForm->noticeText.empty());
}

TEST_F(Road, MessagesInTheWrongOrderLeaveTheProgramIdle) {
    const struct {
        const char* name;
        std::vector<UINT> messages;
        bool captures;
    } cases[] = {
        {"up alone", {WM_HOOK_UP}, false},
        {"down and move without begin", {WM_HOOK_DOWN, WM_HOOK_MOVE, WM_HOOK_UP}, false},
        {"up without down", {WM_HOOK_BEGIN, WM_HOOK_MOVE, WM_HOOK_UP}, false},
        {"second begin", {WM_HOOK_BEGIN, WM_HOOK_DOWN, WM_HOOK_MOVE, WM_HOOK_BEGIN, WM_HOOK_UP}, false},
        {"second begin, then a drag", {WM_HOOK_BEGIN, WM_HOOK_BEGIN, WM_HOOK_DOWN, WM_HOOK_MOVE, WM_HOOK_UP}, true},
        {"second up", {WM_HOOK_BEGIN, WM_HOOK_DOWN, WM_HOOK_MOVE, WM_HOOK_UP, WM_HOOK_UP}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CaptureBitmap = ui::Bitmap(3, 3, ui::PixelFormat::Device);
        int x = 10;
        for (UINT m : c.messages) {
            Hook(m, x, x);
            x += 50;
            if (m == WM_HOOK_BEGIN || m == WM_HOOK_DOWN || m == WM_HOOK_MOVE) {
                EXPECT_EQ(Frozen, RectangleActive);
            }
        }
        ExpectIdle();
        EXPECT_EQ(CompletionTimer != 0, c.captures);
        EXPECT_EQ(CaptureBitmap.Width() != 3, c.captures);
        Complete();
        vt::PumpFor(100);
        EXPECT_EQ(vt::ScreenPixel(300, 300), Pattern(300, 300));
    }
}

TEST_F(Road, UnknownCaptureTypesFreezeAndUnfreezeOnly) {
    for (uint8_t type : {uint8_t(0), uint8_t(9)}) {
        Config.CaptureType = type;
        Hook(WM_HOOK_BEGIN, 10, 10);
        EXPECT_TRUE(Frozen);
        EXPECT_FALSE(RectangleActive);
        Hook(WM_HOOK_DOWN, 10, 10);
        Hook(WM_HOOK_MOVE, 110, 60);
        Hook(WM_HOOK_UP, 110, 60);
        ExpectIdle();
        EXPECT_EQ(CompletionTimer, 0u);
    }
}

TEST_F(Road, CaptureHotkeyChangesTheTypeAndStartsRecording) {
    Config.CaptureType = ctRectangle;
    ASSERT_TRUE(SaveConfiguration());
    StartCaptureMode(ctFreeHand);
    EXPECT_EQ(Config.CaptureType, ctFreeHand);
    TConfiguration stored{};
    ASSERT_TRUE(ReadSchema(L"", stored));
    EXPECT_EQ(stored.CaptureType, ctFreeHand);
    // The hook begins the gesture at once: the screen freezes.
    EXPECT_TRUE(vt::WaitUntil([] { return Frozen; }, 3000));
    EndCaptureByEsc();

    // The same type again stores nothing.
    Config.FixedWidth = 77;
    StartCaptureMode(ctFreeHand);
    ASSERT_TRUE(ReadSchema(L"", stored));
    EXPECT_NE(stored.FixedWidth, 77);
    EXPECT_TRUE(vt::WaitUntil([] { return Frozen; }, 3000));
    EndCaptureByEsc();
}

// ---- Freeze ---------------------------------------------------------------------------------

TEST_F(Road, FreezeHoldsTheScreenAndSwallowsTaskSwitching) {
    FreezeScreen();
    const ATOM altTab = GlobalFindAtomW(L"Alt Tab");
    EXPECT_NE(altTab, 0);
    EXPECT_NE(GlobalFindAtomW(L"Alt Escape"), 0);
    FreezeScreen();  // a second call changes nothing
    EXPECT_EQ(GlobalFindAtomW(L"Alt Tab"), altTab);
    EXPECT_FALSE(HotkeyFree(MOD_ALT, VK_TAB));
    EXPECT_FALSE(HotkeyFree(MOD_ALT, VK_ESCAPE));

    // The window below repaints in another colour: the user still sees the
    // screen as it was.
    Screen().Fill(RGB(255, 0, 0));
    EXPECT_EQ(vt::ScreenPixel(500, 400), Pattern(500, 400));
    EXPECT_EQ(vt::ScreenPixel(5, 700), Pattern(5, 700));

    UnfreezeScreen();
    UnfreezeScreen();
    EXPECT_TRUE(FreezeWindowEmpty());
    EXPECT_EQ(GlobalFindAtomW(L"Alt Tab"), 0);
    EXPECT_EQ(GlobalFindAtomW(L"Alt Escape"), 0);
    EXPECT_TRUE(HotkeyFree(MOD_ALT, VK_TAB));
    EXPECT_TRUE(HotkeyFree(MOD_ALT, VK_ESCAPE));
    vt::WaitUntil([] { return vt::ScreenPixel(500, 400) == RGB(255, 0, 0); }, 2000);
    EXPECT_EQ(vt::ScreenPixel(500, 400), RGB(255, 0, 0));
    Screen().Fill(road::kPicture);
}

TEST_F(Road, FreezeWindowCannotBeClosedDuringASelection) {
    const HWND freeze = uFreezeForm->Handle();
    Hook(WM_HOOK_BEGIN, 10, 10);
    SendMessageW(freeze, WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(freeze));
    EXPECT_TRUE(IsWindowVisible(freeze));
    // Losing the activation brings it back in front.
    SendMessageW(freeze, WM_ACTIVATE, WA_INACTIVE, 0);
    EXPECT_TRUE(IsWindowVisible(freeze));
    Hook(WM_HOOK_UP, 10, 10);

    MSG msg;
    EXPECT_FALSE(PeekMessageW(&msg, MainWindow, WM_CLOSE, WM_CLOSE, PM_REMOVE));

    // Idle, being asked to close is being asked to end the program: the
    // request goes to the main window (taken off its queue here, so that
    // the test program runs on).
    SendMessageW(freeze, WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(freeze));
    EXPECT_TRUE(PeekMessageW(&msg, MainWindow, WM_CLOSE, WM_CLOSE, PM_REMOVE));
}

// ---- Completion and delivery -------------------------------------------------------------------

TEST_F(Road, DestinationsRunInTheirFixedOrder) {
    for (auto& flag : Config.SendTo) flag = 1;
    Config.CustomEditorPath = ui::ToAnsi(vt::BinFile(L"capture_road_test.exe"));  // an editor that exists
    results[dFile] = false;
    CaptureBitmap = ui::Bitmap(5, 5, ui::PixelFormat::Device);
    StartCompletion();
    Complete();
    EXPECT_EQ(DeliveredTo(), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8}));

    deliveries.clear();
    results[dFile] = true;
    DeliverToDestinations(DestinationBit(dFile) | DestinationBit(dClipboard));
    EXPECT_EQ(DeliveredTo(), (std::vector<int>{0, 1}));
}

TEST_F(Road, OneCompletionTimerAtATime) {
    CaptureBitmap = ui::Bitmap(5, 5, ui::PixelFormat::Device);
    StartCompletion();
    const UINT_PTR first = CompletionTimer;
    EXPECT_NE(first, 0u);
    StartCompletion();
    EXPECT_EQ(CompletionTimer, first);
    Complete();
    vt::PumpFor(100);
    EXPECT_EQ(deliveries.size(), 1u);
    // A late call of the handler finds nothing to do.
    CaptureCompleteTimerProc(nullptr, WM_TIMER, first, 0);
    EXPECT_EQ(deliveries.size(), 1u);
}

TEST_F(Road, DeliveryIsGuardedAgainstReentryAndDetachesTheTrayMenu) {
    static bool busySeen, menuDetached;
    busySeen = menuDetached = false;
    duringDelivery = [](int) {
        busySeen = DeliveryBusy;
        menuDetached = uMainForm->trayIcon.popupMenu == nullptr;
        DeliverToDestinations(DestinationBit(dPrinter));  // refused while the first runs
    };
    DeliverToDestinations(DestinationBit(dClipboard));
    EXPECT_EQ(DeliveredTo(), std::vector<int>{0});
    EXPECT_TRUE(busySeen);
    EXPECT_TRUE(menuDetached);
    EXPECT_FALSE(DeliveryBusy);
    EXPECT_EQ(uMainForm->trayIcon.popupMenu, uMainForm->popupMenu);

    // In timer mode the menu stays attached.
    TimerRunning = true;
    DeliverToDestinations(DestinationBit(dClipboard));
    EXPECT_FALSE(menuDetached);
    TimerRunning = false;
}

TEST_F(Road, EmptySetIsReportedAfterTheEdgeEffect) {
    for (auto& flag : Config.SendTo) flag = 0;
    Config.EdgeOn = 1;
    Config.EdgeTorn = 0;
    Config.EdgeShadow = 1;
    CaptureBitmap = ui::Bitmap(40, 30, ui::PixelFormat::Device);
    vt::BoxAnswerer answerer;
    StartCompletion();
    Complete();
    ASSERT_EQ(answerer.Count(), 1u);
    EXPECT_EQ(answerer.Seen()[0].caption, L"Vorlix Message");
    EXPECT_EQ(answerer.Seen()[0].text, L"Please select at least one destination.");
    EXPECT_TRUE(deliveries.empty());
    EXPECT_NE(CaptureBitmap.Width(), 40);  // finished before the box
    EXPECT_FALSE(DeliveryBusy);
}

TEST_F(Road, ErrorBoxStopsTimerCaptureAndKeepsTheMenu) {
    static int stops;
    stops = 0;
    StopTimerCaptureProc = [] {
        ++stops;
        TimerRunning = false;
    };
    TimerRunning = true;
    vt::BoxAnswerer answerer;
    DeliverToDestinations(0);
    EXPECT_EQ(answerer.Count(), 1u);
    EXPECT_EQ(stops, 1);
    EXPECT_FALSE(ErrorBoxShown);
    EXPECT_EQ(uMainForm->trayIcon.popupMenu, uMainForm->popupMenu);
    StopTimerCaptureProc = nullptr;
}

TEST_F(Road, EditorIsSkippedWithoutAnyEditor) {
    if (!FindPaint().empty()) {
        GTEST_SKIP() << "Paint is installed here";
    }
    for (auto& flag : Config.SendTo) flag = 0;
    Config.SendTo[dEditor] = Config.SendTo[dZovozu] = 1;
    Config.CustomEditorPath = "C:\\nowhere\\editor.exe";
    vt::BoxAnswerer answerer;
    DeliverToDestinations(DestinationsOf(Config));
    EXPECT_EQ(DeliveredTo(), std::vector<int>{dZovozu});
    ASSERT_EQ(answerer.Count(), 1u);
    EXPECT_EQ(answerer.Seen()[0].text, L"No graphic editor is selected.");
}

TEST_F(Road, HandOverGoesToTheNamedDestinationOnly) {
    const struct {
        UINT message;
        int destination;
    } cases[] = {{WM_USER + 7, dClipboard}, {WM_USER + 8, dFile},   {WM_USER + 9, dEditor},
                 {WM_USER + 10, dZovozu},   {WM_USER + 11, dMail},  {WM_USER + 12, dWeb},
                 {WM_USER + 13, dICQ},      {WM_USER + 14, dPrinter}, {WM_USER + 16, dIM}};
    for (auto& flag : Config.SendTo) flag = 0;
    Config.SendTo[dFile] = 1;
    Config.EdgeOn = 1;  // not applied to a hand-over
    Config.CustomEditorPath = ui::ToAnsi(vt::BinFile(L"capture_road_test.exe"));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message - WM_USER);
        deliveries.clear();
        ASSERT_TRUE(vt::WriteFileBytes(handOver_, BmpFile(31, 17, RGB(1, 2, 3))));
        SendMessageW(MainWindow, c.message, 0, 0);
        EXPECT_FALSE(vt::FileExists(handOver_));
        Complete();
        ASSERT_EQ(DeliveredTo(), std::vector<int>{c.destination});
        EXPECT_EQ(deliveries[0].width, 31);
        EXPECT_EQ(deliveries[0].height, 17);
        EXPECT_EQ(deliveries[0].topLeft, RGB(1, 2, 3));
        EXPECT_EQ(PendingDestinations, 0);
    }

    // Custom: delivered at once, which is nothing; the file is not touched.
    deliveries.clear();
    ASSERT_TRUE(vt::WriteFileBytes(handOver_, BmpFile(5, 5, 0)));
    vt::BoxAnswerer answerer;
    SendMessageW(MainWindow, WM_USER + 15, 0, 0);
    Complete();
    EXPECT_TRUE(deliveries.empty());
    EXPECT_EQ(answerer.Count(), 0u);
    EXPECT_TRUE(vt::FileExists(handOver_));
    EXPECT_EQ(CaptureBitmap.Width(), 31);
}

TEST_F(Road, BadHandOverFilesDeliverNothing) {
    const std::string good = BmpFile(20, 10, RGB(9, 9, 9));
    std::string notBitmap = good;
    notBitmap[0] = 'X';
    std::string hugeHeader = good;
    hugeHeader[22] = '\x7F';  // height far beyond the pixels present
    const struct {
        const char* name;
        bool present;
        std::string bytes;
    } cases[] = {
        {"missing", false, ""},
        {"empty", true, ""},
        {"a few bytes", true, good.substr(0, 10)},
        {"truncated pixels", true, good.substr(0, good.size() / 2)},
        {"header only", true, good.substr(0, 54)},
        {"not a bitmap", true, notBitmap},
        {"height beyond the file", true, hugeHeader},
        {"text", true, "this is not an image at all, just some words"},
        // More pixels than the program can finish and deliver.
        {"image bomb 16384 x 16384", true, vt::EmptyRleBmp(16384, 16384)},
        {"one row beyond 8192 x 8192", true, vt::EmptyRleBmp(8192, 8193)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CaptureBitmap = ui::Bitmap(7, 7, ui::PixelFormat::Device);
        CaptureBitmap.Clear(RGB(4, 5, 6));
        if (c.present) {
            ASSERT_TRUE(vt::WriteFileBytes(handOver_, c.bytes));
        }
        vt::BoxAnswerer answerer;
        SendMessageW(MainWindow, WM_USER + 7, 0, 0);
        Complete();
        vt::PumpFor(50);
        EXPECT_TRUE(deliveries.empty());
        EXPECT_EQ(CompletionTimer, 0u);
        EXPECT_EQ(answerer.Count(), 0u);
        EXPECT_FALSE(vt::FileExists(handOver_));
        EXPECT_EQ(CaptureBitmap.Width(), 7);
        EXPECT_EQ(CapturePixel(3, 3), RGB(4, 5, 6));
    }
}

TEST_F(Road, LargestHandOverImageIsDelivered) {
    // 8192 x 8192, the most pixels an image from outside may have.
    ASSERT_TRUE(vt::WriteFileBytes(handOver_, vt::EmptyRleBmp(8192, 8192)));
    SendMessageW(MainWindow, WM_USER + 7, 0, 0);
    EXPECT_FALSE(vt::FileExists(handOver_));
    Complete();
    ASSERT_EQ(DeliveredTo(), std::vector<int>{dClipboard});
    EXPECT_EQ(deliveries[0].width, 8192);
    EXPECT_EQ(deliveries[0].height, 8192);
}

TEST_F(Road, HandOverWaitsForThePendingCapture) {
    // A capture is about to complete when a hand-over arrives: the capture
    // goes to the settings' destinations, then the handed-over image to its
    // own.
    CaptureBitmap = ui::Bitmap(11, 11, ui::PixelFormat::Device);
    StartCompletion();
    ASSERT_TRUE(vt::WriteFileBytes(handOver_, BmpFile(31, 17, RGB(1, 2, 3))));
    SendMessageW(MainWindow, WM_USER + 14, 0, 0);
    EXPECT_TRUE(vt::FileExists(handOver_));  // waits in its file
    vt::WaitUntil([] { return deliveries.size() >= 2; }, 3000);
    Complete();
    ASSERT_EQ(DeliveredTo(), (std::vector<int>{dClipboard, dPrinter}));
    EXPECT_EQ(deliveries[0].width, 11);
    EXPECT_EQ(deliveries[1].width, 31);
    EXPECT_FALSE(vt::FileExists(handOver_));

    // The same while a delivery runs.
    deliveries.clear();
    static std::wstring* file;
    file = &handOver_;
    duringDelivery = [](int d) {
        if (d != dClipboard) return;
        EXPECT_TRUE(vt::WriteFileBytes(*file, BmpFile(8, 9, RGB(7, 7, 7))));
        SendMessageW(MainWindow, WM_USER + 13, 0, 0);
        EXPECT_EQ(CaptureBitmap.Width(), 11);  // the delivery's image stays
    };
    CaptureBitmap = ui::Bitmap(11, 11, ui::PixelFormat::Device);
    StartCompletion();
    vt::WaitUntil([] { return deliveries.size() >= 2; }, 3000);
    Complete();
    ASSERT_EQ(DeliveredTo(), (std::vector<int>{dClipboard, dICQ}));
    EXPECT_EQ(deliveries[1].width, 8);
}

// A completion that lets messages run before it delivers (here the "Timer
// ON" notice of a timer capture that starts with this capture): a hand-over
// sent meanwhile waits until this capture is delivered, instead of putting
// its image in the capture's place and losing its own destination.
TEST_F(Road, HandOverSentWhileACompletionRunsWaitsForIt) {
    ASSERT_TRUE(vt::WriteFileBytes(handOver_, BmpFile(8, 9, RGB(7, 7, 7))));
    std::atomic<bool> sent{false};
    std::thread sender([&] {
        const int screen = GetSystemMetrics(SM_CXSCREEN);
        const ULONGLONG end = GetTickCount64() + 5000;
        for (RECT r{}; GetTickCount64() < end; Sleep(1))
            if (GetWindowRect(MainWindow, &r) && r.left > screen / 2 && r.left < screen - 5) break;
        SendMessageW(MainWindow, WM_USER + 13, 0, 0);
        sent = true;
    });
    CaptureBitmap = ui::Bitmap(11, 11, ui::PixelFormat::Device);
    TimerArmed = true;
    StartCompletion();
    vt::WaitUntil([&] { return sent && deliveries.size() >= 2; }, 10000);
    sender.join();
    Complete();
    StopTimerCapture();
    ASSERT_EQ(DeliveredTo(), (std::vector<int>{dClipboard, dICQ}));
    EXPECT_EQ(deliveries[0].width, 11);
    EXPECT_EQ(deliveries[1].width, 8);
    EXPECT_EQ(deliveries[1].topLeft, RGB(7, 7, 7));
    EXPECT_FALSE(vt::FileExists(handOver_));
}

}  // namespace
