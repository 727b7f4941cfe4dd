// The capture road through the running program: images handed over by
// another program, and whole rectangle captures made with the mouse through
// the hook library (input injected from this process), seen on the
// clipboard, the program's windows and the screen.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>

#include "capture_road/pattern_screen.h"
#include "capture_road/road_program.h"
#include "base/configuration.h"
#include "support/vorlix_test.h"

using road::Pattern;
using namespace road;

namespace {

TEST_F(ProgramRoad, HandedOverImageReachesTheNamedDestination) {
    Start();
    vt::Pixels image(23, 17, RGB(10, 200, 30));
    image.At(0, 0) = RGB(255, 0, 0);
    image.At(22, 16) = RGB(0, 0, 255);

    // Truncated, not a bitmap, empty: nothing is delivered, the file goes.
    const std::wstring good = vt::Join(temp, L"good.bmp");
    ASSERT_TRUE(vt::SaveBmp(image, good));
    const std::string bytes = vt::ReadFileBytes(good);
    for (const std::string& bad : {bytes.substr(0, bytes.size() - 200), std::string("BMnonsense"), std::string()}) {
        ASSERT_TRUE(vt::WriteFileBytes(handOver, bad));
        vt::Post(main, WM_USER + 7);
        EXPECT_TRUE(vt::WaitUntil([&] { return !vt::FileExists(handOver); }));
        vt::PumpFor(300);
        EXPECT_FALSE(vt::ClipboardDib().has_value());
        EXPECT_EQ(vt::FindMessageBox(program.Id()), nullptr);
        EXPECT_TRUE(program.Running());
    }

    ASSERT_TRUE(vt::CopyFileTo(good, handOver));
    vt::Post(main, WM_USER + 7);  // the settings name no destination: only the message counts
    const auto got = WaitForClipboardImage();
    ASSERT_TRUE(got.has_value());
    EXPECT_EQ(got->width, 23);
    EXPECT_EQ(got->height, 17);
    EXPECT_EQ(got->data, image.data);
    EXPECT_TRUE(vt::WaitUntil([&] { return !vt::FileExists(handOver); }));
    EXPECT_EQ(vt::FindMessageBox(program.Id()), nullptr);
}

// A sender hands images over as fast as it can, each as soon as the last one
// was taken, sending and posting in turn: every request is answered with its
// own image at its own destination (the clipboard), never with the settings'
// destinations (a file) or their edge effect, however the requests meet the
// completions and deliveries of the ones before.
TEST_F(ProgramRoad, HandOversInATightLoopReachOnlyTheirOwnDestination) {
    const std::wstring wrong = vt::Join(temp, L"settings destination");
    ASSERT_TRUE(vt::MakeDirs(wrong));
    config.SendTo[dFile] = 1;
    config.FileNaming = fnNumbered;
    config.FileName = "wrong";
    config.FileFormat = ifBMP;
    config.FileFolder = vt::Ansi(vt::WithSlash(wrong));
    config.EdgeOn = 1;
    config.NoticeSlideIn = 0;  // quick deliveries, many requests
    config.NoticeSound = 0;
    Start();
    constexpr int kRequests = 300;
    vt::Pixels image(16, 12);
    for (int i = 0; i < kRequests; ++i) {
        image = vt::Pixels(16, 12, RGB(i & 255, 255 - (i & 255), i / 2));
        ASSERT_TRUE(vt::SaveBmp(image, handOver)) << i;
        Sleep(i % 20);  // meets the previous request at every stage
        if (i % 2) ASSERT_TRUE(vt::Post(main, WM_USER + 7)) << i;
        else vt::Send(main, WM_USER + 7);
        // Taken: the next one may be written.
        const ULONGLONG end = GetTickCount64() + 10000;
        while (vt::FileExists(handOver) && GetTickCount64() < end) Sleep(1);
        ASSERT_FALSE(vt::FileExists(handOver)) << i;
    }
    std::optional<vt::Pixels> got;
    EXPECT_TRUE(vt::WaitUntil([&] { return (got = vt::ClipboardDib()).has_value() && got->data == image.data; }, 10000));
    vt::PumpFor(500);
    EXPECT_EQ(vt::FindMessageBox(program.Id()), nullptr);
    int files = 0;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(vt::Join(wrong, L"*.bmp").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do ++files;
        while (FindNextFileW(find, &data));
        FindClose(find);
    }
    EXPECT_EQ(files, 0) << "images delivered to the settings' destination instead of their own";
}

TEST_F(ProgramRoad, RectangleCaptureThroughTheHook) {
    config.SendTo[dClipboard] = 1;
    road::PatternScreen screen;
    pointerThread = &screen;
    Start();
    // The worked example moved away from the top left corner, where Wine
    // shows its stand-in tray window: down at (210, 210), last move to
    // (310, 260).
    ASSERT_TRUE(BeginGesture(210, 210));
    EXPECT_EQ(vt::ScreenPixel(500, 300), Pattern(500, 300));  // frozen on the picture
    MouseButton(MOUSEEVENTF_LEFTDOWN);
    Sleep(300);
    MoveTo(260, 230);
    MoveTo(310, 260);
    Sleep(200);
    EXPECT_EQ(vt::ScreenPixel(210, 230), RGB(0, 0, 128));   // the outline while selecting
    EXPECT_NE(vt::ScreenPixel(250, 230), Pattern(250, 230));  // the tint
    MouseButton(MOUSEEVENTF_LEFTUP);

    const auto got = WaitForClipboardImage();
    ASSERT_TRUE(got.has_value());
    ASSERT_EQ(got->width, 98);
    ASSERT_EQ(got->height, 48);
    int bad = 0;
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 98; ++x)
            if (got->At(x, y) != Pattern(211 + x, 211 + y)) ++bad;
    EXPECT_EQ(bad, 0);
    EXPECT_TRUE(vt::WaitUntil([this] { return Unfrozen(); }, 10000));

    // The size is remembered in the stored settings.
    const auto stored = vt::ReadValue(vt::kSchemaKey, L"");
    ASSERT_TRUE(stored.has_value());
    ASSERT_EQ(stored->data.size(), sizeof(TConfiguration));
    TConfiguration record;
    std::memcpy(&record, stored->data.data(), sizeof record);
    EXPECT_EQ(record.FixedWidth, 98);
    EXPECT_EQ(record.FixedHeight, 48);
}

// A user who holds the button for the hold time and drags on at once, while
// the program's thread is busy (under Wine it stalls when the freeze window
// appears): the selection starts where the button went down and ends where
// the pointer last moved, not where the pointer has got to by the time the
// program reads it. The window the user was in has the foreground again
// afterwards.
TEST_F(ProgramRoad, BriskDragWhileTheProgramIsBusyTakesTheExactRectangle) {
    config.SendTo[dClipboard] = 1;
    config.NoticeSlideIn = 0;
    road::PatternScreen screen;
    pointerThread = &screen;
    OtherWindow user(RECT{600, 450, 900, 650}, RGB(20, 160, 60));
    user.Activate();
    ASSERT_EQ(GetForegroundWindow(), user.Handle());
    Start();
    const POINT a{200, 200}, b{500, 400};
    MoveTo(a.x, a.y);
    {
        Stalled busy(main);
        ASSERT_TRUE(busy);
        MouseButton(MOUSEEVENTF_RIGHTDOWN);
        Sleep(config.HoldTime + 200);  // held: the gesture begins
        MouseButton(MOUSEEVENTF_LEFTDOWN);
        for (int i = 1; i <= 10; ++i) MoveTo(a.x + (b.x - a.x) * i / 10, a.y + (b.y - a.y) * i / 10, 0);
        MouseButton(MOUSEEVENTF_LEFTUP);
        MouseButton(MOUSEEVENTF_RIGHTUP);
        MoveTo(b.x + 100, b.y + 80, 0);  // on its way elsewhere
        Sleep(200);
    }
    const auto got = WaitForClipboardImage();
    ASSERT_TRUE(got.has_value());
    ASSERT_EQ(got->width, b.x - a.x - 2);
    ASSERT_EQ(got->height, b.y - a.y - 2);
    int bad = 0;
    for (int y = 0; y < got->height; ++y)
        for (int x = 0; x < got->width; ++x)
            if (got->At(x, y) != Pattern(a.x + 1 + x, a.y + 1 + y)) ++bad;
    EXPECT_EQ(bad, 0);
    EXPECT_TRUE(vt::WaitUntil([this] { return Unfrozen(); }, 10000));
    EXPECT_TRUE(vt::WaitUntil([&] { return GetForegroundWindow() == user.Handle(); }, 5000));
}

// Esc ends a selection without a capture and leaves no trace of it; a
// window that came up above the frozen screen meanwhile (a notification)
// keeps its own pixels.
TEST_F(ProgramRoad, EscCancelsASelection) {
    config.SendTo[dClipboard] = 1;
    road::PatternScreen screen;
    pointerThread = &screen;
    Start();
    ASSERT_TRUE(BeginGesture(200, 200));
    MouseButton(MOUSEEVENTF_LEFTDOWN);
    Sleep(300);
    MoveTo(300, 300);
    Sleep(150);
    ASSERT_EQ(vt::ScreenPixel(200, 250), RGB(0, 0, 128));  // the outline
    const COLORREF note = RGB(240, 120, 10);
    OtherWindow notification(RECT{600, 100, 900, 300}, note, true);
    ASSERT_EQ(vt::ScreenPixel(750, 200), note);
    Key(VK_ESCAPE);
    EXPECT_TRUE(vt::WaitUntil([this] { return Unfrozen(); }, 10000));
    // "CANCELLED" slides in from the left.
    EXPECT_TRUE(vt::WaitUntil([this] { return vt::ReadWindow(main).rect.left > -kNoticeWidth + 20; }, 10000));
    MouseButton(MOUSEEVENTF_LEFTUP);
    vt::PumpFor(500);
    EXPECT_FALSE(vt::ClipboardDib().has_value());
    EXPECT_EQ(vt::ScreenPixel(250, 250), Pattern(250, 250));
    EXPECT_EQ(vt::ScreenPixel(200, 250), Pattern(200, 250));
    for (const POINT p : {POINT{601, 101}, POINT{750, 200}, POINT{898, 298}})
        EXPECT_EQ(vt::ScreenPixel(p.x, p.y), note) << p.x << "," << p.y;
}

TEST_F(ProgramRoad, NoGestureWhileADeliveryRuns) {
    // The File destination asks for a name: its dialog keeps the delivery
    // running while the user could try the next gesture.
    config.SendTo[dFile] = 1;
    config.FileNaming = 0;
    road::PatternScreen screen;
    pointerThread = &screen;
    Start();
    ASSERT_TRUE(BeginGesture(700, 450));
    MouseButton(MOUSEEVENTF_LEFTDOWN);
    Sleep(300);
    MoveTo(800, 500);
    Sleep(100);
    MouseButton(MOUSEEVENTF_LEFTUP);
    const HWND dialog = vt::WaitForMessageBox(program.Id(), nullptr, 15000);
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(vt::WaitUntil([this] { return Unfrozen(); }, 10000));

    // The held button is handed back as a click when released; it is kept
    // off the dialog so that it opens no menu there.
    EXPECT_FALSE(BeginGesture(800, 500));  // the hook is paused
    EXPECT_TRUE(Unfrozen());

    vt::CloseDialog(dialog);
    EXPECT_TRUE(vt::WaitGone(dialog));
    // "CANCELLED" slides in and out; then the delivery is over and the
    // hook reports gestures again.
    EXPECT_TRUE(vt::WaitUntil([this] { return vt::ReadWindow(main).rect.left > -kNoticeWidth + 20; }, 10000));
    EXPECT_TRUE(vt::WaitUntil([this] { return vt::ReadWindow(main).rect.left <= -kNoticeWidth; }, 10000));
    vt::PumpFor(300);
    ASSERT_TRUE(BeginGesture(500, 500));
    Key(VK_ESCAPE);
    EXPECT_TRUE(vt::WaitUntil([this] { return Unfrozen(); }, 10000));
}

TEST_F(ProgramRoad, EmptyDestinationSetIsReported) {
    road::PatternScreen screen;
    pointerThread = &screen;
    Start();
    ASSERT_TRUE(BeginGesture(210, 210));
    MouseButton(MOUSEEVENTF_LEFTDOWN);
    Sleep(300);
    MoveTo(310, 260);
    Sleep(100);
    MouseButton(MOUSEEVENTF_LEFTUP);
    const HWND box = vt::WaitForMessageBox(program.Id(), nullptr, 15000);
    ASSERT_NE(box, nullptr);
    const vt::MessageBoxInfo info = vt::ReadMessageBox(box);
    EXPECT_EQ(info.caption, L"Vorlix Message");
    EXPECT_EQ(info.text, L"Please select at least one destination.");
    EXPECT_TRUE(vt::PressButton(box, L"OK"));
    EXPECT_TRUE(vt::WaitGone(box));
    EXPECT_TRUE(Unfrozen());
    // The options dialog opens, for the user to choose one.
    HWND options = vt::WaitForWindow(program.Id(), L"#32770", L"Vorlix Tessavue - Options", 10000);
    ASSERT_TRUE(options);
    EXPECT_TRUE(vt::WaitUntil([&] { return IsWindowVisible(options) != FALSE; }, 10000));
    vt::CloseDialog(options);
    EXPECT_TRUE(vt::WaitGone(options));
}

}  // namespace
