// Auto-scroll capture through the running program: a window capture made
// with the mouse through the hook library, released over the scrollable test
// window running as a program of its own, read back from the clipboard.
#include <gtest/gtest.h>

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "capture_road/road_program.h"
#include "scroll_window/scroll_window.h"
#include "support/vorlix_test.h"

using namespace road;

namespace {

constexpr COLORREF Marker = RGB(0xC0, 0xC0, 0xC5);
constexpr int ClientWidth = 300, ClientHeight = 200;
constexpr int WindowX = 300, WindowY = 200;

class AutoScrollProgram : public ProgramRoad {
protected:
    void SetUp() override {
        ProgramRoad::SetUp();
        config.SendTo[dClipboard] = 1;
        config.CaptureType = ctWindow;
        config.AutoScroll = 1;
        log_ = vt::Join(temp, L"scrolls.log");
    }
    void TearDown() override {
        ProgramRoad::TearDown();
        if (window_.Running()) window_.Kill();
    }

    // The test window as a program of its own, at `at` and of the usual
    // size unless options give their own; with --child the pane in it.
    void OpenWindow(const std::wstring& options, POINT at = POINT{WindowX, WindowY}) {
        window_ = vt::Process::Start(vt::BinFile(L"scroll_window.exe"),
                                     L"--pos " + std::to_wstring(at.x) + L" " + std::to_wstring(at.y) + L" --size " +
                                         std::to_wstring(ClientWidth) + L" " + std::to_wstring(ClientHeight) +
                                         L" --log \"" + log_ + L"\" " + options);
        ASSERT_TRUE(window_);
        if (options.find(L"--child") == std::wstring::npos) {
            hwnd_ = vt::WaitForWindow(window_.Id(), L"VorlixScrollTest");
        } else {
            const HWND frame = vt::WaitForVisibleWindow(window_.Id(), scrollwin::FrameClass);
            ASSERT_NE(frame, nullptr);
            // The frame shows once its pane is made.
            const auto panes = vt::ChildWindows(frame, L"VorlixScrollTest");
            ASSERT_EQ(panes.size(), 1u);
            hwnd_ = panes[0];
        }
        ASSERT_NE(hwnd_, nullptr);
        vt::PumpFor(200);
    }
    POINT Centre() const {
        RECT r{};
        GetWindowRect(hwnd_, &r);
        return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    }
    // A window capture released over the test window.
    void CaptureWindow() {
        const POINT c = Centre();
        ASSERT_TRUE(BeginGesture(c.x, c.y));
        MouseButton(MOUSEEVENTF_LEFTDOWN);
        Sleep(150);
        MouseButton(MOUSEEVENTF_LEFTUP);
    }
    // Line-downs the window has logged.
    int Scrolls() const {
        const std::string text = vt::ReadFileBytes(log_);
        int lines = 0;
        for (char ch : text) lines += ch == '\n';
        return lines;
    }
    HWND TrayWindow() const { return vt::FindWindowOf(program.Id(), L"VorlixTrayIcon"); }

    std::wstring log_;
    vt::Process window_;
    HWND hwnd_ = nullptr;
};

// Document rows first .. last, each once, in order, and no marker.
::testing::AssertionResult RowsAre(const vt::Pixels& image, int first, int last) {
    if (image.Count(Marker) != 0) return ::testing::AssertionFailure() << "marker pixels in the image";
    if (image.height != last - first + 1)
        return ::testing::AssertionFailure() << image.height << " rows, expected " << last - first + 1;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x)
            if (scrollwin::RowOfColour(image.At(x, y)) != first + y || image.At(x, y) != image.At(0, y))
                return ::testing::AssertionFailure() << "pixel " << x << "," << y << " is not document row " << first + y;
    return ::testing::AssertionSuccess();
}

// The label goes with the run whether or not a notice slides in over its
// place afterwards: under Wine a redraw of the desktop paints nothing there.
class AutoScrollLabel : public AutoScrollProgram, public ::testing::WithParamInterface<bool> {};

TEST_P(AutoScrollLabel, WholeDocumentDeliveredWithTheTipAndLabelOnlyDuringTheRun) {
    config.ShowSize = 1;
    config.NoticeSlideIn = GetParam() ? 1 : 0;
    OpenWindow(L"--rows 900 --step 4");
    Start();
    const HWND tray = TrayWindow();
    ASSERT_NE(tray, nullptr);
    CaptureWindow();
    ASSERT_TRUE(vt::WaitUntil([this] { return Scrolls() >= 20; }, 10000));
    EXPECT_EQ(vt::WindowText(tray), L" Vorlix Tessavue - Auto Scroll ");
    // The size of the growing image in its yellow box at the top right.
    const int w = GetSystemMetrics(SM_CXSCREEN);
    const int top = vt::ReadWindow(this->main).rect.top;
    const RECT label{w - 5 - kNoticeWidth, top, w - 5, top + 15};
    const COLORREF yellow = RGB(255, 255, 0);
    EXPECT_EQ(vt::ScreenPixel(label.left + 2, label.top + 2), yellow);
    const auto image = WaitForClipboardImage();
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width, ClientWidth - 3);
    EXPECT_TRUE(RowsAre(*image, 0, 899));
    EXPECT_TRUE(vt::WaitUntil([&] { return vt::WindowText(tray) == L" Vorlix Tessavue  "; }));
    EXPECT_TRUE(vt::WaitUntil([this] { return EscFree(); }));
    // Nothing of the label is left on the screen, and the window shows no marker.
    EXPECT_TRUE(vt::WaitUntil([&] { return vt::CaptureScreen(label).Count(yellow) == 0; }, 3000));
    RECT client{};
    GetClientRect(hwnd_, &client);
    MapWindowPoints(hwnd_, nullptr, reinterpret_cast<POINT*>(&client), 2);
    EXPECT_EQ(vt::CaptureScreen(client).Count(Marker), 0);
}

INSTANTIATE_TEST_SUITE_P(Notice, AutoScrollLabel, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "SlidingIn" : "Off"; });

// A document pane is almost always a child window. Under Wine the window DC
// of another program's child cannot be read at all: the run reads the
// pane's place on the screen instead.
struct ChildCase {
    const char* name;
    int rows;
    const wchar_t* options;
    bool showSize = false;
};
class AutoScrollChild : public AutoScrollProgram, public ::testing::WithParamInterface<ChildCase> {};

TEST_P(AutoScrollChild, ChildWindowOfAnotherProgramIsStitchedExactly) {
    const ChildCase& c = GetParam();
    config.ShowSize = c.showSize ? 1 : 0;
    // Under the label the frame's caption lies above the screen and the
    // pane's top rows cross the label's place at the top right.
    const POINT at = c.showSize ? POINT{GetSystemMetrics(SM_CXSCREEN) - 360, -30} : POINT{WindowX, WindowY};
    OpenWindow(L"--child --rows " + std::to_wstring(c.rows) + L" " + c.options, at);
    ASSERT_TRUE(GetWindowLongW(hwnd_, GWL_STYLE) & WS_CHILD);
    Start();
    CaptureWindow();
    std::optional<vt::Pixels> image;
    HWND box = nullptr;
    ASSERT_TRUE(vt::WaitUntil(
        [&] { return (image = vt::ClipboardDib()).has_value() || (box = vt::FindMessageBox(program.Id())); }, 120000));
    ASSERT_EQ(box, nullptr) << vt::Utf8(vt::ReadMessageBox(box).text);
    EXPECT_EQ(image->width, ClientWidth - 3);
    EXPECT_TRUE(RowsAre(*image, 0, c.rows - 1));
}

// A pane that shows each step only some time after it has answered (as a
// program that draws when it gets round to it, or a screen that another
// process's drawing reaches late): an unchanged view is not yet the end. A
// pane under the size label's place: the label must not come into the image.
INSTANTIATE_TEST_SUITE_P(Panes, AutoScrollChild,
                         ::testing::Values(ChildCase{"Rows2000", 2000, L"--step 7"},
                                           ChildCase{"Rows20000", 20000, L"--step 50"},
                                           ChildCase{"PaintingLate", 600, L"--step 9 --paint-late 60"},
                                           ChildCase{"UnderTheSizeLabel", 900, L"--step 7", true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(AutoScrollProgram, HookPausedDuringTheRunAndEscCancels) {
    OpenWindow(L"--rows 5000 --step 3 --delay 40");
    Start();
    CaptureWindow();
    ASSERT_TRUE(vt::WaitUntil([this] { return Scrolls() >= 5; }, 10000));
    // Holding the button again starts no capture while the window scrolls.
    MoveTo(700, 600);
    MouseButton(MOUSEEVENTF_RIGHTDOWN);
    const bool froze = vt::WaitUntil([this] { return Frozen(); }, 1200);
    MouseButton(MOUSEEVENTF_RIGHTUP);
    EXPECT_FALSE(froze);
    Key(VK_ESCAPE);
    // "CANCELLED" slides in from the left.
    EXPECT_TRUE(vt::WaitUntil([this] { return vt::ReadWindow(main).rect.left > -kNoticeWidth + 20; }, 10000));
    ASSERT_TRUE(vt::WaitUntil([this] { return EscFree(); }, 10000));
    const int stoppedAt = Scrolls();
    Sleep(500);
    EXPECT_EQ(Scrolls(), stoppedAt);
    EXPECT_LT(stoppedAt, 1000);
    EXPECT_FALSE(vt::ClipboardDib().has_value());  // nothing delivered
    // The hook reacts again afterwards.
    ASSERT_TRUE(BeginGesture(700, 600));
    Key(VK_ESCAPE);
    EXPECT_TRUE(vt::WaitUntil([this] { return Unfrozen() && EscFree(); }, 5000));
}

// The run's Esc hotkey is given back before the delivery: Esc then reaches
// the save prompt that asks for the name, as in any other capture.
TEST_F(AutoScrollProgram, EscCancelsTheSavePromptAfterTheRun) {
    config.SendTo[dClipboard] = 0;
    config.SendTo[dFile] = 1;
    config.FileNaming = fnAsk;
    config.FileFolder = vt::Ansi(temp + L"\\");
    OpenWindow(L"--rows 400 --step 6");
    Start();
    CaptureWindow();
    const HWND prompt = vt::WaitForVisibleWindow(program.Id(), L"#32770", nullptr, 30000);
    ASSERT_NE(prompt, nullptr);
    EXPECT_EQ(vt::WindowText(prompt), L"Save As");
    // The key goes where the keyboard focus is: inside the prompt.
    ASSERT_TRUE(vt::WaitUntil([&] {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        return GetGUIThreadInfo(GetWindowThreadProcessId(prompt, nullptr), &info) && IsChild(prompt, info.hwndFocus);
    }));
    Key(VK_ESCAPE);
    EXPECT_TRUE(vt::WaitGone(prompt));
    EXPECT_EQ(vt::NoticeOutcome(main), "cancelled");
    EXPECT_TRUE(vt::WaitUntil([this] { return EscFree(); }));
}

TEST_F(AutoScrollProgram, TrayClickDeliversThePartStitchedSoFar) {
    OpenWindow(L"--rows 5000 --step 3 --delay 20");
    Start();
    CaptureWindow();
    ASSERT_TRUE(vt::WaitUntil([this] { return Scrolls() >= 20; }, 10000));
    vt::Post(TrayWindow(), WM_USER + 1, 0, WM_LBUTTONUP);
    const auto image = WaitForClipboardImage();
    ASSERT_TRUE(image);
    EXPECT_GE(image->height, 20 * 3);
    EXPECT_LT(image->height, 5000);
    EXPECT_TRUE(RowsAre(*image, 0, image->height - 1));
}

// A document that never ends stops at the tallest image: the user is told
// where the image was cut, and what was taken is delivered.
TEST_F(AutoScrollProgram, DocumentLongerThanTheTallestImageIsCutWithAWord) {
    OpenWindow(L"--endless --no-caption --step 190 --size 24 400");
    Start();
    CaptureWindow();
    // Told before the delivery.
    ASSERT_TRUE(vt::WaitUntil([this] { return vt::FindMessageBox(program.Id()) || vt::ClipboardDib(); }, 120000));
    EXPECT_EQ(vt::AnswerMessageBox(program.Id(), L"Vorlix Message", 2000),
              L"The document is longer than one image can hold: the image was cut at 65500 rows.");
    const auto image = WaitForClipboardImage();
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width, 24 - 3);
    EXPECT_TRUE(RowsAre(*image, 0, 65499));
    EXPECT_EQ(vt::FindMessageBox(program.Id()), nullptr);
}

TEST_F(AutoScrollProgram, WindowWithoutScrollBarIsCapturedDirectly) {
    OpenWindow(L"--rows 900 --step 4 --no-scrollbar");
    Start();
    CaptureWindow();
    const auto image = WaitForClipboardImage();
    ASSERT_TRUE(image);
    RECT r{};
    GetWindowRect(hwnd_, &r);
    EXPECT_EQ(image->width, r.right - r.left);
    EXPECT_EQ(image->height, r.bottom - r.top);
    EXPECT_EQ(Scrolls(), 0);
}

}  // namespace
