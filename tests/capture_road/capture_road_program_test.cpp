// The capture road through the running program: images handed over by
// another program, and whole rectangle captures made with the mouse through
// the hook library (input injected from this process), seen on the
// clipboard, the program's windows and the screen.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>

#include "capture_road/pattern_screen.h"
#include "core/configuration.h"
#include "support/vorlix_test.h"

using road::Pattern;

namespace {

const wchar_t kRoot[] = L"Software\\Vorlix Tessavue";
const wchar_t kConfiguration[] = L"Software\\Vorlix Tessavue\\Configuration";
const wchar_t kSchema[] = L"Software\\Vorlix Tessavue\\Configuration\\Schema";
constexpr int kNoticeWidth = 138;

void Send(INPUT in) { SendInput(1, &in, sizeof in); }

road::PatternScreen* pointerThread = nullptr;  // the thread that moves the display's pointer

void MouseButton(DWORD flags) {
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = flags;
    Send(in);
}

// Puts the pointer at (x, y) the way a real mouse would, so that the hook
// sees the move. Under Wine the display's own pointer must be moved first
// (SetCursorPos from a thread with a window): the system reads the pointer
// back from the display now and then, and an injected move alone would be
// taken back.
void MoveTo(int x, int y) {
    if (pointerThread) pointerThread->PutPointer(x, y);
    else SetCursorPos(x, y);
    const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dx = (x * 65535 + (w - 1) / 2) / (w - 1);
    in.mi.dy = (y * 65535 + (h - 1) / 2) / (h - 1);
    in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    Send(in);
    Sleep(80);
}

void Key(WORD vk) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    Send(in);
    in.ki.dwFlags = KEYEVENTF_KEYUP;
    Send(in);
}

// Nobody holds Esc as a hotkey: no selection runs in the program.
bool EscFree() {
    HWND probe = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    const bool free = RegisterHotKey(probe, 1, 0, VK_ESCAPE) != FALSE;
    if (free) UnregisterHotKey(probe, 1);
    DestroyWindow(probe);
    return free;
}

class ProgramRoad : public ::testing::Test {
protected:
    void SetUp() override {
        vt::DeleteKeyTree(kRoot);
        std::memset(&config, 0, sizeof config);
        SetDefaults(config, DefaultInputs{});
        config.HoldTime = 300;
        config.CaptureType = ctRectangle;
        config.RectSelection = 0;
        config.MouseActivation = 1;
        temp = vt::ScratchDir();
        handOver = vt::Join(temp, L"duridevazazu.bmp");
        vt::EmptyTheClipboard();
    }
    void TearDown() override {
        pointerThread = nullptr;
        if (program.Running()) {
            if (HWND main = vt::FindWindowOf(program.Id(), L"TuMainForm")) vt::Post(main, WM_CLOSE);
            EXPECT_TRUE(program.Wait());
        }
        vt::DeleteKeyTree(kRoot);
    }

    void Start() {
        ASSERT_TRUE(vt::WriteDword(kConfiguration, L"Training", 0));
        ASSERT_TRUE(vt::WriteValue(kSchema, L"", REG_BINARY, &config, sizeof config));
        program = vt::Process::Start(vt::BinFile(L"Vorlix.exe"), L"", L"", {{L"TMP", temp}, {L"TEMP", temp}});
        ASSERT_TRUE(program);
        main = vt::WaitForWindow(program.Id(), L"TuMainForm");
        ASSERT_NE(main, nullptr);
        ASSERT_TRUE(program.WaitIdle());
        freeze = vt::WaitForWindow(program.Id(), L"TuFreezeForm");
        ASSERT_NE(freeze, nullptr);
    }

    bool Frozen() const {
        const RECT r = vt::ReadWindow(freeze).rect;
        return r.right - r.left == GetSystemMetrics(SM_CXSCREEN) && r.bottom - r.top == GetSystemMetrics(SM_CYSCREEN);
    }
    bool Unfrozen() const {
        const RECT r = vt::ReadWindow(freeze).rect;
        return r.right == r.left && r.bottom == r.top;
    }

    // Holds the right button at (x, y) until the gesture has begun: the
    // screen is frozen and the selection holds Esc. (The program reads the
    // pointer when it handles a message, so the test waits for it.)
    bool BeginGesture(int x, int y) {
        MoveTo(x, y);
        MouseButton(MOUSEEVENTF_RIGHTDOWN);
        const bool begun = vt::WaitUntil([this] { return Frozen() && !EscFree(); }, 6000);
        MouseButton(MOUSEEVENTF_RIGHTUP);
        Sleep(100);
        return begun;
    }

    std::optional<vt::Pixels> WaitForClipboardImage() {
        std::optional<vt::Pixels> image;
        vt::WaitUntil([&] { return (image = vt::ClipboardDib()).has_value(); }, 15000);
        return image;
    }

    TConfiguration config;
    std::wstring temp, handOver;
    vt::Process program;
    HWND main = nullptr, freeze = nullptr;
};

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
    const auto stored = vt::ReadValue(kSchema, L"");
    ASSERT_TRUE(stored.has_value());
    ASSERT_EQ(stored->data.size(), sizeof(TConfiguration));
    TConfiguration record;
    std::memcpy(&record, stored->data.data(), sizeof record);
    EXPECT_EQ(record.FixedWidth, 98);
    EXPECT_EQ(record.FixedHeight, 48);
}

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
    Key(VK_ESCAPE);
    EXPECT_TRUE(vt::WaitUntil([this] { return Unfrozen(); }, 10000));
    // "CANCELLED" slides in from the left.
    EXPECT_TRUE(vt::WaitUntil([this] { return vt::ReadWindow(main).rect.left > -kNoticeWidth + 20; }, 10000));
    MouseButton(MOUSEEVENTF_LEFTUP);
    vt::PumpFor(500);
    EXPECT_FALSE(vt::ClipboardDib().has_value());
    EXPECT_EQ(vt::ScreenPixel(250, 250), Pattern(250, 250));
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
}

}  // namespace
