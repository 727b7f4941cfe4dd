// The selection engines through the running program: gestures made with the
// mouse through the hook library, on windows of this process whose pixels
// are known, read back from the clipboard and the screen.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <string>

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

// With auto-scroll on, an open options dialog is closed before another
// window is captured (a scrolled window is captured live), and stays open
// when it is the window captured. Windows that cannot scroll are captured
// directly.
TEST_F(ProgramRoad, WindowCaptureClosesTheOptionsDialogUnlessItIsCaptured) {
    config.SendTo[dClipboard] = 1;
    config.CaptureType = ctWindow;
    config.AutoScroll = 1;
    PatternScreen screen;
    pointerThread = &screen;
    const RECT r{200, 640, 360, 740};  // clear of the centred dialog
    ASSERT_NE(screen.AddWindow(r, screen.Window()), nullptr);
    Start();
    ASSERT_TRUE(vt::Post(main, WM_COMMAND, 101, 0));  // the tray menu's Options
    HWND dialog = vt::WaitForWindow(program.Id(), L"#32770", L"Vorlix Tessavue - Options", 10000);
    ASSERT_TRUE(dialog);
    ASSERT_TRUE(vt::WaitUntil([&] { return IsWindowVisible(dialog) != FALSE; }, 10000));
    RECT d;
    GetWindowRect(dialog, &d);

    // Its own caption: the dialog is captured and stays.
    ASSERT_TRUE(BeginGesture((d.left + d.right) / 2, d.top + 8));
    MouseButton(MOUSEEVENTF_LEFTDOWN);
    Sleep(200);
    MouseButton(MOUSEEVENTF_LEFTUP);
    auto got = WaitForClipboardImage();
    ASSERT_TRUE(got.has_value());
    EXPECT_EQ(got->width, d.right - d.left);
    EXPECT_TRUE(vt::WaitUntil([this] { return Unfrozen() && EscFree(); }, 10000));
    EXPECT_TRUE(IsWindowVisible(dialog));
    // The notice has slid in and out: the delivery is over.
    EXPECT_TRUE(vt::WaitUntil([this] { return vt::ReadWindow(main).rect.left > -kNoticeWidth + 20; }, 10000));
    EXPECT_TRUE(vt::WaitUntil([this] { return vt::ReadWindow(main).rect.left <= -kNoticeWidth; }, 10000));
    vt::PumpFor(300);

    // Another window: the dialog is closed first.
    ASSERT_TRUE(vt::EmptyTheClipboard());
    ASSERT_TRUE(BeginGesture(280, 690));
    MouseButton(MOUSEEVENTF_LEFTDOWN);
    Sleep(200);
    MouseButton(MOUSEEVENTF_LEFTUP);
    got = WaitForClipboardImage();
    ASSERT_TRUE(got.has_value());
    EXPECT_EQ(got->width, 160);
    EXPECT_TRUE(vt::WaitUntil([this] { return Unfrozen() && EscFree(); }, 10000));
    EXPECT_TRUE(vt::WaitGone(dialog));
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

namespace {

std::string Ansi(const std::wstring& s) {
    std::string out;
    for (wchar_t c : s) out += static_cast<char>(c);
    return out;
}

// The numbered files "tick<n>.bmp" in folder.
int TickFiles(const std::wstring& folder) {
    int n = 0;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(vt::Join(folder, L"tick*.bmp").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return 0;
    do ++n;
    while (FindNextFileW(find, &data));
    FindClose(find);
    return n;
}

const wchar_t kOptionsTitle[] = L"Vorlix Tessavue - Options";
constexpr UINT kMenuOptions = 101;  // the tray menu's Options command

class TimerProgram : public ProgramRoad {
protected:
    void SetUp() override {
        ProgramRoad::SetUp();
        config.SendTo[dFile] = 1;
        config.FileNaming = fnNumbered;
        config.FileName = "tick";
        config.FileFormat = ifBMP;
        config.FileFolder = Ansi(temp + L"\\");
        config.TimerPeriod = 1;  // a second
        config.TimerUnit = 0;
        config.TimerSkipIdentical = 1;
    }
    HWND Tray() { return vt::WaitForWindow(program.Id(), L"VorlixTrayIcon", nullptr, 15000); }
    bool TipIs(const wchar_t* tip) {
        return vt::WaitUntil([&] { return vt::WindowText(Tray()) == tip; }, 10000);
    }
    void TimerHotkey() { ASSERT_TRUE(vt::Post(main, WM_HOTKEY, GlobalFindAtomW(L"Timer"))); }
    // One press is enough, also while a delivery (with its notice) runs.
    template <typename Press>
    bool StoppedBy(Press press) {
        press();
        return TipIs(L" Vorlix Tessavue ");
    }
    // The Timer hotkey, then a rectangle drawn with the mouse.
    void ArmAndSelect() {
        ASSERT_TRUE(TipIs(L" Vorlix Tessavue "));
        MoveTo(210, 210);
        TimerHotkey();
        ASSERT_TRUE(vt::WaitUntil([this] { return Frozen() && !EscFree(); }, 6000));
        MouseButton(MOUSEEVENTF_LEFTDOWN);
        Sleep(300);
        MoveTo(260, 230);
        MoveTo(310, 260);
        Sleep(100);
        MouseButton(MOUSEEVENTF_LEFTUP);
    }
};

TEST_F(TimerProgram, TicksDeliverChangedScreensUntilTheTimerHotkeyStopsThem) {
    PatternScreen screen;
    pointerThread = &screen;
    Start();
    ArmAndSelect();
    ASSERT_TRUE(vt::WaitUntil([this] { return TickFiles(temp) == 1; }, 10000));
    EXPECT_TRUE(TipIs(L" Vorlix Tessavue - Timer ON  "));
    const auto first = vt::LoadBmp(vt::Join(temp, L"tick1.bmp"));
    ASSERT_TRUE(first.has_value());
    ASSERT_EQ(first->width, 98);
    EXPECT_EQ(first->At(10, 10), Pattern(221, 221));

    // The screen does not change: nothing more arrives.
    vt::PumpFor(2500);
    EXPECT_EQ(TickFiles(temp), 1);
    // The hook is paused meanwhile: no new gesture begins.
    EXPECT_FALSE(BeginGesture(700, 500));
    // A changed screen is delivered at the next tick, and so is the change back.
    screen.Fill(RGB(30, 60, 90));
    EXPECT_TRUE(vt::WaitUntil([this] { return TickFiles(temp) == 2; }, 5000));
    screen.Fill(kPicture);
    EXPECT_TRUE(vt::WaitUntil([this] { return TickFiles(temp) == 3; }, 5000));
    const auto second = vt::LoadBmp(vt::Join(temp, L"tick2.bmp"));
    ASSERT_TRUE(second.has_value());
    EXPECT_EQ(second->At(10, 10), RGB(30, 60, 90));

    EXPECT_TRUE(StoppedBy([this] { TimerHotkey(); }));
    screen.Fill(RGB(90, 60, 30));
    vt::PumpFor(2500);
    EXPECT_EQ(TickFiles(temp), 3);
    // The hook reports gestures again.
    ASSERT_TRUE(BeginGesture(500, 500));
    Key(VK_ESCAPE);
    EXPECT_TRUE(vt::WaitUntil([this] { return Unfrozen(); }, 10000));
}

// The Timer hotkey pressed once while a tick is being saved and its notice
// slides in: timer mode stops right after that delivery, and no capture
// follows.
TEST_F(TimerProgram, TimerHotkeyDuringATicksDeliveryStopsIt) {
    config.TimerSkipIdentical = 0;  // every tick delivers
    PatternScreen screen;
    pointerThread = &screen;
    Start();
    ArmAndSelect();
    ASSERT_TRUE(vt::WaitUntil([this] { return TickFiles(temp) >= 2; }, 10000));
    // The next tick's notice: its delivery runs until the strip is parked.
    const int seen = TickFiles(temp);
    ASSERT_TRUE(vt::WaitUntil([&] { return TickFiles(temp) > seen; }, 5000));
    ASSERT_EQ(vt::NoticeOutcome(main, 5000), "sent");
    TimerHotkey();
    EXPECT_TRUE(TipIs(L" Vorlix Tessavue "));
    const int files = TickFiles(temp);
    vt::PumpFor(2500);
    EXPECT_EQ(TickFiles(temp), files);
}

TEST_F(TimerProgram, CancelledSavePromptStopsIt) {
    config.FileNaming = fnAsk;
    PatternScreen screen;
    pointerThread = &screen;
    Start();
    ArmAndSelect();
    const HWND dialog = vt::WaitForMessageBox(program.Id(), nullptr, 15000);
    ASSERT_NE(dialog, nullptr);
    vt::CloseDialog(dialog);
    EXPECT_TRUE(vt::WaitGone(dialog));
    EXPECT_TRUE(TipIs(L" Vorlix Tessavue "));
    vt::PumpFor(2500);
    EXPECT_EQ(vt::FindMessageBox(program.Id()), nullptr);  // no tick asks again
}

TEST_F(TimerProgram, ExitWhileRunning) {
    config.TimerSkipIdentical = 0;
    PatternScreen screen;
    pointerThread = &screen;
    Start();
    ArmAndSelect();
    ASSERT_TRUE(vt::WaitUntil([this] { return TickFiles(temp) >= 2; }, 10000));
    vt::Post(main, WM_CLOSE);
    EXPECT_TRUE(program.Wait(15000));
    EXPECT_EQ(program.ExitCode(), 0u);
    const int files = TickFiles(temp);
    Sleep(1500);
    EXPECT_EQ(TickFiles(temp), files);
}

TEST_F(TimerProgram, TrayClickStopsIt) {
    config.TimerSkipIdentical = 0;
    PatternScreen screen;
    pointerThread = &screen;
    Start();
    ArmAndSelect();
    ASSERT_TRUE(vt::WaitUntil([this] { return TickFiles(temp) >= 2; }, 10000));
    // A left click on the icon (its callback message, as the shell sends it).
    EXPECT_TRUE(StoppedBy([this] { vt::Post(Tray(), WM_USER + 1, 0, WM_LBUTTONUP); }));
    const int files = TickFiles(temp);
    vt::PumpFor(2500);
    EXPECT_EQ(TickFiles(temp), files);
}

// With no destination chosen the first delivery shows an error box (and then
// the options dialog), and the error box ends timer mode: no tick repeats the
// box.
TEST_F(TimerProgram, ErrorBoxStopsIt) {
    config.SendTo[dFile] = 0;
    config.TimerSkipIdentical = 0;  // every tick would deliver (and fail) again
    PatternScreen screen;
    pointerThread = &screen;
    Start();
    ArmAndSelect();
    const HWND box = vt::WaitForMessageBox(program.Id(), L"Vorlix Message", 15000);
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(TipIs(L" Vorlix Tessavue "));
    vt::CloseDialog(box);
    EXPECT_TRUE(vt::WaitGone(box));
    const HWND options = vt::WaitForMessageBox(program.Id(), kOptionsTitle, 15000);
    ASSERT_NE(options, nullptr);
    vt::CloseDialog(options);
    EXPECT_TRUE(vt::WaitUntil([&] { return !vt::ReadWindow(options).visible; }, 10000));
    vt::PumpFor(2500);
    EXPECT_EQ(vt::FindMessageBox(program.Id(), L"Vorlix Message"), nullptr);
    EXPECT_EQ(vt::FindMessageBox(program.Id(), kOptionsTitle), nullptr);
}

// The Timer hotkey closes an open options dialog before it arms timer
// capture.
TEST_F(TimerProgram, TimerHotkeyClosesTheOptionsDialog) {
    PatternScreen screen;
    pointerThread = &screen;
    Start();
    ASSERT_TRUE(TipIs(L" Vorlix Tessavue "));
    ASSERT_TRUE(vt::Post(main, WM_COMMAND, kMenuOptions, 0));
    const HWND options = vt::WaitForMessageBox(program.Id(), kOptionsTitle, 15000);
    ASSERT_NE(options, nullptr);
    MoveTo(400, 400);
    TimerHotkey();
    EXPECT_TRUE(vt::WaitUntil([&] { return !vt::ReadWindow(options).visible; }, 10000));
    EXPECT_TRUE(vt::WaitUntil([this] { return Frozen() && !EscFree(); }, 6000));  // armed: the gesture begins
    Key(VK_ESCAPE);
    EXPECT_TRUE(vt::WaitUntil([this] { return Unfrozen(); }, 10000));
}

// A window partly off the screen, as a maximised window's frame is: each
// tick captures as much of it as is on the screen, as the first capture did;
// a minimised window is skipped and a hidden one ends timer mode.
TEST_F(TimerProgram, FollowsAWindowUntilItIsHidden) {
    config.CaptureType = ctWindow;
    config.TimerSkipIdentical = 0;
    config.NoticeSlideIn = 0;  // only the timer's own notices are shown
    PatternScreen screen;
    pointerThread = &screen;
    const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    const HWND window = screen.AddWindow(RECT{w - 300, h - 200, w + 8, h + 8});
    ASSERT_NE(window, nullptr);
    Start();
    ASSERT_TRUE(TipIs(L" Vorlix Tessavue "));
    // A notice slides in from the right edge and is parked left of the screen.
    const auto noticeShown = [&] {
        const LONG left = vt::ReadWindow(main).rect.left;
        return left > w / 2 && left < w - 20;
    };
    const auto noticeParked = [&] { return vt::ReadWindow(main).rect.left <= -kNoticeWidth; };
    MoveTo(w - 150, h - 100);
    TimerHotkey();
    ASSERT_TRUE(vt::WaitUntil([this] { return Frozen() && !EscFree(); }, 6000));
    MouseButton(MOUSEEVENTF_LEFTDOWN);
    Sleep(200);
    MouseButton(MOUSEEVENTF_LEFTUP);
    // "Timer ON" slides in although other notices are switched off.
    EXPECT_TRUE(vt::WaitUntil(noticeShown, 10000));
    EXPECT_TRUE(TipIs(L" Vorlix Tessavue - Timer ON  "));
    ASSERT_TRUE(vt::WaitUntil([this] { return TickFiles(temp) >= 2; }, 10000));
    for (const wchar_t* name : {L"tick1.bmp", L"tick2.bmp"}) {
        const auto got = vt::LoadBmp(vt::Join(temp, name));
        ASSERT_TRUE(got.has_value()) << name;
        ASSERT_EQ(got->width, 300) << name;
        ASSERT_EQ(got->height, 200) << name;
        int bad = 0;
        for (int y = 0; y < 200; y += 3)
            for (int x = 0; x < 300; x += 3)
                if (got->At(x, y) != Pattern(w - 300 + x, h - 200 + y)) ++bad;
        EXPECT_EQ(bad, 0) << name;
    }

    // Minimised: the ticks are skipped, timer mode goes on.
    ShowWindow(window, SW_MINIMIZE);
    ASSERT_TRUE(vt::WaitUntil([&] { return IsIconic(window) != FALSE; }, 3000));
    Sleep(1200);  // a tick already under way may still deliver
    const int whileMinimised = TickFiles(temp);
    vt::PumpFor(2500);
    EXPECT_EQ(TickFiles(temp), whileMinimised);
    EXPECT_TRUE(TipIs(L" Vorlix Tessavue - Timer ON  "));
    ShowWindow(window, SW_RESTORE);
    EXPECT_TRUE(vt::WaitUntil([&] { return TickFiles(temp) > whileMinimised; }, 5000));

    // Hidden: timer mode ends with "Timer OFF".
    ASSERT_TRUE(vt::WaitUntil(noticeParked, 10000));
    ShowWindow(window, SW_HIDE);
    EXPECT_TRUE(TipIs(L" Vorlix Tessavue "));
    EXPECT_TRUE(vt::WaitUntil(noticeShown, 10000));
    const int files = TickFiles(temp);
    ShowWindow(window, SW_SHOW);
    vt::PumpFor(2500);
    EXPECT_EQ(TickFiles(temp), files);
}

// Factor 4: the screen shows the frozen picture around the pointer four
// times enlarged, pixel for pixel; the rectangle dragged on it is drawn
// there and captured at full resolution from the unmagnified screen.
TEST_F(ProgramRoad, MagnifierShowsTheScreenEnlargedAndCapturesAtFullResolution) {
    config.SendTo[dClipboard] = 1;
    config.ZoomOn = 1;
    config.ZoomFactor = 4;
    config.CrosshairSize = 1;
    config.ShowSize = 0;
    PatternScreen screen;
    pointerThread = &screen;
    Start();
    ASSERT_TRUE(BeginGesture(512, 384));  // the view is (384, 288) - (640, 480)
    Sleep(200);
    const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    const vt::Pixels shown = vt::CaptureScreen(RECT{0, 0, w, h});
    int bad = 0;
    for (int y = 0; y < h; y += 3)
        for (int x = 0; x < w; x += 3)
            if (shown.At(x, y) != Pattern(384 + x / 4, 288 + y / 4)) ++bad;
    EXPECT_EQ(bad, 0);

    // Down at the picture's (484, 363), last move to its (534, 413).
    MoveTo(400, 300);
    MouseButton(MOUSEEVENTF_LEFTDOWN);
    Sleep(300);
    MoveTo(500, 400);
    MoveTo(600, 500);
    Sleep(200);
    // The outline through the picture's x = 484 is four screen columns wide.
    for (int x = 400; x < 404; ++x) EXPECT_EQ(vt::ScreenPixel(x, 400), Navy) << x;
    EXPECT_NE(vt::ScreenPixel(420, 400), Pattern(389, 388));  // tinted
    EXPECT_EQ(vt::ScreenPixel(620, 400), Pattern(539, 388));  // outside
    MouseButton(MOUSEEVENTF_LEFTUP);
    const auto got = WaitForClipboardImage();
    ASSERT_TRUE(got.has_value());
    ASSERT_EQ(got->width, 48);
    ASSERT_EQ(got->height, 48);
    bad = 0;
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 48; ++x)
            if (got->At(x, y) != Pattern(485 + x, 364 + y)) ++bad;
    EXPECT_EQ(bad, 0);
    EXPECT_TRUE(vt::WaitUntil([this] { return Unfrozen() && EscFree(); }, 10000));
    EXPECT_TRUE(vt::WaitUntil([] { return vt::ScreenPixel(700, 700) == Pattern(700, 700); }, 3000));
}

// With the pointer resting at a screen edge, the magnifier pans until its
// view meets the edge, and then the program rests.
TEST_F(ProgramRoad, MagnifierPansToTheScreenEdge) {
    config.ZoomOn = 1;
    config.ZoomFactor = 2;
    config.RectSelection = 1;
    config.FixedWidth = 40;
    config.FixedHeight = 30;
    PatternScreen screen;
    pointerThread = &screen;
    Start();
    ASSERT_TRUE(BeginGesture(1020, 384));
    Sleep(1500);  // panning has reached the edge
    // The view was panned to the right edge: the screen's right columns show
    // the picture's right columns, magnified.
    EXPECT_EQ(vt::ScreenPixel(1023, 100), Pattern(1023, 192 + 50));
    // The pointer stays at the edge: the fixed-size mode repaints nothing
    // more, so the program uses next to no processor time.
    // Its user-interface thread's time: the system keeps that up to date for
    // another process's thread, and every repaint runs on that thread.
    const HANDLE thread = OpenThread(THREAD_QUERY_INFORMATION, FALSE, GetWindowThreadProcessId(main, nullptr));
    ASSERT_NE(thread, nullptr);
    const auto cpuMs = [thread] {
        FILETIME created, ended, kernel, user;
        if (!GetThreadTimes(thread, &created, &ended, &kernel, &user)) return uint64_t(0);
        const auto ms = [](FILETIME f) { return ((uint64_t(f.dwHighDateTime) << 32) | f.dwLowDateTime) / 10000; };
        return ms(kernel) + ms(user);
    };
    const uint64_t before = cpuMs();
    EXPECT_GT(before, 0u);  // the system reports the thread's time at all
    Sleep(2000);
    const uint64_t used = cpuMs() - before;
    std::printf("program's CPU time over 2 s at rest at the edge, magnified: %llu ms\n",
                static_cast<unsigned long long>(used));
    EXPECT_LT(used, 200u);
    CloseHandle(thread);
    Key(VK_ESCAPE);
    EXPECT_TRUE(vt::WaitUntil([this] { return Unfrozen(); }, 10000));
}

}  // namespace
