// Auto-scroll capture inside the test process, on the capture road's fixture
// (the program's windows here, recording destinations), with the scrollable
// test window on a thread of this process, so
// that the marker pixel drawn into it stays in its surface (under Wine a
// marker drawn into another process's window is painted over). Repainting
// windows exercise the row comparison. The stitched image is read back row by
// row: every document row once, in order, and no marker left anywhere.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "capture/auto_scroll.h"
#include "capture/autoscroll_texts.h"
#include "app/completion.h"
#include "base/globals.h"
#include "base/hotkeys.h"
#include "app/main_window.h"
#include "base/texts.h"
#include "capture/gesture_dispatch.h"
#include "capture/window_engine.h"
#include "capture/window_stitching.h"
#include "capture_road/road_fixture.h"
#include "base/files.h"
#include "scroll_window/scroll_window.h"
#include "support/vorlix_test.h"
#include "ui/tray_icon.h"
#include "ui/window.h"

namespace {

constexpr COLORREF Marker = RGB(0xC0, 0xC0, 0xC5);

// ---- Delivery: the pixels the clipboard received --------------------------------

std::vector<vt::Pixels> delivered;

// Takes the process's address space but for holes of the sizes asked for,
// each in one piece, as a long-running 32-bit process may find it.
class AddressSpaceHog {
public:
    explicit AddressSpaceHog(std::vector<int> holesMiB) {
        constexpr size_t Chunk = size_t(1) << 20;
        while (void* p = VirtualAlloc(nullptr, Chunk, MEM_RESERVE, PAGE_NOACCESS)) chunks_.push_back(p);
        std::sort(chunks_.begin(), chunks_.end());
        // Each hole from a run of chunks that lie one after the other, with
        // one chunk kept between two holes.
        size_t start = 0;
        for (const int mib : holesMiB) {
            const size_t n = size_t(mib);
            for (; start + n <= chunks_.size(); ++start) {
                const auto* first = static_cast<const char*>(chunks_[start]);
                if (static_cast<const char*>(chunks_[start + n - 1]) == first + (n - 1) * Chunk) break;
            }
            if (start + n > chunks_.size()) return;
            for (size_t i = start; i < start + n; ++i) {
                VirtualFree(chunks_[i], 0, MEM_RELEASE);
                chunks_[i] = nullptr;
            }
            start += n + 1;
            ++made_;
        }
    }
    ~AddressSpaceHog() { Release(); }
    bool Made(size_t holes) const { return made_ == holes; }
    void Release() {
        for (void*& p : chunks_)
            if (p) VirtualFree(std::exchange(p, nullptr), 0, MEM_RELEASE);
    }

private:
    std::vector<void*> chunks_;
    size_t made_ = 0;
};

// Gives the address space back when the image is delivered, so that the
// test can read it.
AddressSpaceHog* hog = nullptr;

void KeepClipboardImage(int destination) {
    if (destination != dClipboard) return;
    if (hog) hog->Release();
    auto pixels = vt::BitmapPixels(CaptureBitmap.Handle());
    delivered.push_back(pixels ? *pixels : vt::Pixels());
}

// ---- Reading images ---------------------------------------------------------------

// The document row each image row shows; -1 where the row is not one whole
// document row.
std::vector<int> DocumentRows(const vt::Pixels& image) {
    std::vector<int> rows;
    for (int y = 0; y < image.height; ++y) {
        const COLORREF c = image.At(0, y);
        int row = scrollwin::RowOfColour(c);
        for (int x = 1; x < image.width && row >= 0; ++x)
            if (image.At(x, y) != c) row = -1;
        rows.push_back(row);
    }
    return rows;
}

::testing::AssertionResult RowsAre(const vt::Pixels& image, int first, int last) {
    const std::vector<int> rows = DocumentRows(image);
    for (size_t i = 0; i < rows.size(); ++i)
        if (rows[i] != first + int(i))
            return ::testing::AssertionFailure()
                   << "image row " << i << " of " << rows.size() << " is document row " << rows[i] << ", expected "
                   << first + int(i);
    if (rows.size() != size_t(last - first + 1))
        return ::testing::AssertionFailure() << rows.size() << " rows, expected " << last - first + 1;
    if (image.Count(Marker) != 0) return ::testing::AssertionFailure() << "marker pixels in the image";
    return ::testing::AssertionSuccess();
}

// The client area of a window as the screen shows it.
vt::Pixels ClientPixels(HWND window) {
    RECT r{};
    GetClientRect(window, &r);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&r), 2);
    return vt::CaptureScreen(r);
}

// Runs fn on a thread of its own once the window has received `scrolls`
// line-downs, while the run goes on in this thread.
class AfterScrolls {
public:
    AfterScrolls(const scrollwin::ScrollWindowThread& window, int scrolls, std::function<void()> fn)
        : thread_([&window, scrolls, fn = std::move(fn), this] {
              const DWORD start = GetTickCount();
              while (window.Scrolls() < scrolls && !stop_ && GetTickCount() - start < 30000) Sleep(5);
              if (!stop_) fn();
          }) {}
    ~AfterScrolls() {
        stop_ = true;
        thread_.join();
    }

private:
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

scrollwin::Options Window(int rows, int step) {
    scrollwin::Options o;
    o.rows = rows;
    o.lineStep = step;
    o.x = 300;
    o.y = 150;
    return o;
}

class AutoScroll : public road::Road {
protected:
    void SetUp() override {
        Road::SetUp();
        // The fixture's picture is a topmost window over the whole screen:
        // here the test windows must be what lies under the pointer.
        road::Screen().SetBounds(RECT{0, 0, 1, 1});
        road::duringDelivery = KeepClipboardImage;
        delivered.clear();
        AutoScrollRunning = false;
        AutoScrollStop = 0;
        uMainForm->noticeText.clear();
        // The icon itself stays off (without a system tray it would get a
        // window of its own); its handlers and menu are the program's.
        auto& icon = uMainForm->trayIcon;
        icon.popupMenu = uMainForm->popupMenu;
        icon.menuOwner = MainWindow;
        icon.OnClick = [] { TrayIconClick(); };
        icon.OnRightClick = [](int, int) { TrayIconRightClick(); };
        icon.SetToolTip(txt::TrayTip);
    }

    // Answers any message box, so that an unexpected one fails the test
    // instead of stopping it.
    vt::BoxAnswerer boxes_;

    // The run as the window engine starts it: the pointer over the window,
    // the 50 ms timer, then everything until it is over.
    void RunFromTimer(HWND window) {
        RECT r{};
        GetWindowRect(window, &r);
        SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        vt::PumpFor(50);
        StartAutoScrollTimer();
        ASSERT_TRUE(vt::WaitUntil([] { return AutoScrollTimer == 0 && !AutoScrollRunning; }, 60000));
        vt::PumpFor(100);
    }

};

// ---- Whole documents ------------------------------------------------------------------

TEST_F(AutoScroll, WholeDocumentEveryRowOnceWithEitherMethod) {
    struct Case {
        const char* name;
        scrollwin::Options options;
        scroll::Method method;
    };
    auto repaint = Window(700, 5);
    repaint.repaint = true;
    auto popup = Window(400, 7);
    popup.caption = false;
    auto slow = Window(300, 4);
    slow.delayMs = 40;
    const Case cases[] = {
        {"framed window with a caption, marker", Window(900, 3), scroll::Method::Marker},
        {"repainting window, rows", repaint, scroll::Method::Rows},
        {"popup without caption, marker", popup, scroll::Method::Marker},
        {"slow window, marker", slow, scroll::Method::Marker},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        scrollwin::ScrollWindowThread window(c.options);
        ASSERT_TRUE(window.Handle());
        vt::PumpFor(100);
        ui::Bitmap image;
        scroll::Outcome outcome;
        AutoScrollOptions options;
        options.outcome = &outcome;
        EXPECT_EQ(AutoScrollCapture(window.Handle(), image, options), scroll::Finished);
        EXPECT_EQ(outcome.method, c.method);
        EXPECT_FALSE(AutoScrollRunning);
        const auto pixels = vt::BitmapPixels(image.Handle());
        ASSERT_TRUE(pixels);
        EXPECT_EQ(pixels->width, c.options.clientWidth - 3);
        EXPECT_TRUE(RowsAre(*pixels, 0, c.options.rows - 1));
        // Nothing of the marker is left in the window either.
        vt::PumpFor(150);
        EXPECT_EQ(ClientPixels(window.Handle()).Count(Marker), 0);
        EXPECT_EQ(window.Scrolls(), outcome.steps);
    }
}

TEST_F(AutoScroll, DocumentNoLongerThanTheViewGivesTheVisiblePart) {
    auto o = Window(150, 3);
    o.clientHeight = 200;  // the document and its edge fit with room to spare
    scrollwin::ScrollWindowThread window(o);
    vt::PumpFor(100);
    ui::Bitmap image;
    EXPECT_EQ(AutoScrollCapture(window.Handle(), image), scroll::NothingScrolled);
    const auto pixels = vt::BitmapPixels(image.Handle());
    ASSERT_TRUE(pixels);
    EXPECT_EQ(pixels->height, 200 - 3);
    // The document rows, then the window's empty rest below them.
    const std::vector<int> rows = DocumentRows(*pixels);
    for (int y = 0; y < 150; ++y) ASSERT_EQ(rows[size_t(y)], y);
    EXPECT_EQ(pixels->At(0, 150), scrollwin::EdgeColour);
    EXPECT_EQ(window.Scrolls(), 1);
}

TEST_F(AutoScroll, HungWindowEndsTheDocumentWhereItStands) {
    auto o = Window(2000, 4);
    o.hangAfter = 30;
    scrollwin::ScrollWindowThread window(o);
    vt::PumpFor(100);
    ui::Bitmap image;
    AutoScrollOptions options;
    options.answerTimeout = 500;
    const DWORD start = GetTickCount();
    EXPECT_EQ(AutoScrollCapture(window.Handle(), image, options), scroll::Finished);
    EXPECT_LT(GetTickCount() - start, 10000u);
    EXPECT_EQ(window.Scrolls(), 31);  // nothing more is sent to a window that does not answer
    const auto pixels = vt::BitmapPixels(image.Handle());
    ASSERT_TRUE(pixels);
    // Thirty steps of four rows, then the view down to its last row.
    EXPECT_TRUE(RowsAre(*pixels, 0, 30 * 4 + (o.clientHeight - 3) - 1));
}

TEST_F(AutoScroll, EndlessWindowStopsAtTheTallestImage) {
    auto o = Window(0, 190);
    o.endless = true;
    o.caption = false;
    o.clientWidth = 24;
    o.clientHeight = 400;
    scrollwin::ScrollWindowThread window(o);
    vt::PumpFor(100);
    ui::Bitmap image;
    scroll::Outcome outcome;
    AutoScrollOptions options;
    options.outcome = &outcome;
    options.stepWait = 0;
    EXPECT_EQ(AutoScrollCapture(window.Handle(), image, options), scroll::Finished);
    EXPECT_TRUE(outcome.capped);
    EXPECT_EQ(image.Height(), scroll::MaxImageRows);
    const auto pixels = vt::BitmapPixels(image.Handle());
    ASSERT_TRUE(pixels);
    EXPECT_TRUE(RowsAre(*pixels, 0, scroll::MaxImageRows - 1));
}

// Where the address space has room for less than the tallest image and the
// bitmap it becomes, the image stops lower: the user is told where, and what
// was taken is delivered.
TEST_F(AutoScroll, AddressSpaceForLessThanTheTallestImage) {
    if (sizeof(void*) > 4) GTEST_SKIP() << "a 64-bit process has address space for the tallest image";
    auto o = Window(0, 190);
    o.endless = true;
    o.caption = false;
    o.clientHeight = 400;
    scrollwin::ScrollWindowThread window(o);
    vt::PumpFor(100);
    const int rowMiB = (o.clientWidth - 3) * 4 * scroll::MaxImageRows >> 20;
    // One hole for somewhat more than the tallest image, and room for the
    // system's own small needs.
    AddressSpaceHog taken({rowMiB + rowMiB / 4, 32});
    ASSERT_TRUE(taken.Made(2));
    hog = &taken;
    RunFromTimer(window.Handle());
    hog = nullptr;
    taken.Release();
    const int rows = scroll::MaxImageRows / 2;
    ASSERT_EQ(boxes_.Count(), 1u) << (boxes_.Count() ? vt::Utf8(boxes_.Seen()[0].text) : "");
    EXPECT_EQ(boxes_.Seen()[0].text, L"The document is longer than one image can hold: the image was cut at " +
                                         std::to_wstring(rows) + L" rows.");
    ASSERT_EQ(delivered.size(), 1u);
    EXPECT_TRUE(RowsAre(delivered[0], 0, rows - 1));
}

TEST_F(AutoScroll, WindowsThatCannotScroll) {
    struct Case {
        const char* name;
        scrollwin::Options options;
    };
    auto bare = Window(500, 3);
    bare.scrollBar = false;
    // Bare popups: a framed window cannot be made that small.
    auto thin = Window(500, 3);
    thin.caption = false;
    thin.clientWidth = 3;
    auto flat = Window(500, 3);
    flat.caption = false;
    flat.clientHeight = 3;
    for (const Case& c : {Case{"no scroll bar", bare}, Case{"three pixels wide", thin}, Case{"three pixels high", flat}}) {
        SCOPED_TRACE(c.name);
        scrollwin::ScrollWindowThread window(c.options);
        vt::PumpFor(50);
        ui::Bitmap image;
        EXPECT_EQ(AutoScrollCapture(window.Handle(), image), scroll::CannotScroll);
        EXPECT_EQ(window.Scrolls(), 0);
        EXPECT_FALSE(AutoScrollRunning);
    }
    // A run while one is going on.
    AutoScrollRunning = true;
    scrollwin::ScrollWindowThread window(Window(500, 3));
    ui::Bitmap image;
    EXPECT_EQ(AutoScrollCapture(window.Handle(), image), scroll::AlreadyRunning);
    EXPECT_TRUE(AutoScrollRunning);
    AutoScrollRunning = false;
}

TEST_F(AutoScroll, ClassThatDrawsItsOwnScrollBarsLeavesThemOut) {
    auto o = Window(600, 5);
    o.scrollBar = false;
    o.className = L"Internet Explorer_Server";
    scrollwin::ScrollWindowThread window(o);
    vt::PumpFor(100);
    EXPECT_TRUE(CanScroll(window.Handle(), 1));
    ui::Bitmap image;
    EXPECT_EQ(AutoScrollCapture(window.Handle(), image), scroll::Finished);
    const auto pixels = vt::BitmapPixels(image.Handle());
    ASSERT_TRUE(pixels);
    EXPECT_EQ(pixels->width, o.clientWidth - GetSystemMetrics(SM_CXVSCROLL) - 3);
    // At the end the window's own bar height below the area stays unseen.
    EXPECT_TRUE(RowsAre(*pixels, 0, o.rows - 1 - GetSystemMetrics(SM_CYHSCROLL)));
}

TEST_F(AutoScroll, MarkerIsGoneWhenARunIsCutShort) {
    // The run ends with the marker out and moved up with the content (as
    // when an exception leaves the stitching): the window paints over it.
    // The window is read the way the run reads it.
    scrollwin::ScrollWindowThread window(Window(500, 5));
    vt::PumpFor(100);
    const RECT area = ScrollAreaOf(window.Handle());
    uint32_t marker = 0;
    auto markers = [&] {
        WindowScrollTarget reader(window.Handle(), area);
        const uint32_t* view = reader.ReadRows(0, reader.Height());
        return view ? std::count(view, view + size_t(reader.Width()) * size_t(reader.Height()), marker) : -1;
    };
    {
        WindowScrollTarget target(window.Handle(), area);
        ASSERT_TRUE(target.Ready());
        ASSERT_TRUE(target.PlaceMarker(target.Width() / 2, target.Height() / 2, marker));
        ASSERT_TRUE(target.Step());
        vt::PumpFor(150);
        ASSERT_EQ(markers(), 1);
    }
    vt::PumpFor(150);
    EXPECT_EQ(markers(), 0);
}

// ---- The run as the program starts it ----------------------------------------------

TEST_F(AutoScroll, FromTheTimerTheImageIsDeliveredAndEverythingIsGivenBack) {
    scrollwin::ScrollWindowThread window(Window(500, 6));
    vt::PumpFor(100);
    std::wstring tipDuring;
    HMENU menuDuring = reinterpret_cast<HMENU>(1);
    const HWND tray = uMainForm->trayIcon.WindowHandle();
    AfterScrolls probe(window, 10, [&] {
        tipDuring = vt::WindowText(tray);
        menuDuring = uMainForm->trayIcon.popupMenu;
    });
    RunFromTimer(window.Handle());
    EXPECT_EQ(boxes_.Count(), 0u);
    ASSERT_EQ(delivered.size(), 1u);
    EXPECT_TRUE(RowsAre(delivered[0], 0, 499));
    EXPECT_EQ(tipDuring, txt::AutoScrollTip);
    EXPECT_EQ(menuDuring, nullptr);
    EXPECT_EQ(uMainForm->trayIcon.ToolTip(), txt::AutoScrollDoneTip);
    EXPECT_EQ(uMainForm->trayIcon.popupMenu, uMainForm->popupMenu);
}

TEST_F(AutoScroll, WindowEngineHandsTheReleaseOver) {
    scrollwin::ScrollWindowThread window(Window(400, 8));
    vt::PumpFor(100);
    Config.CaptureType = ctWindow;
    Config.AutoScroll = 1;
    RECT r{};
    GetWindowRect(window.Handle(), &r);
    const POINT c{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    road::Hook(WM_HOOK_BEGIN, c.x, c.y);
    road::Hook(WM_HOOK_DOWN, c.x, c.y);
    road::Hook(WM_HOOK_UP, c.x, c.y);
    EXPECT_NE(AutoScrollTimer, 0u);
    EXPECT_FALSE(road::HotkeyFree(0, VK_ESCAPE));  // Esc stays with the pending run
    ASSERT_TRUE(vt::WaitUntil([] { return AutoScrollTimer == 0 && !AutoScrollRunning; }, 30000));
    vt::PumpFor(100);
    EXPECT_EQ(HighlightedWindow, window.Handle());
    ASSERT_EQ(delivered.size(), 1u);
    EXPECT_TRUE(RowsAre(delivered[0], 0, 399));
    road::ExpectIdle();
}

TEST_F(AutoScroll, EscCancelsAndDeliversNothing) {
    scrollwin::ScrollWindowThread window(Window(3000, 3));
    vt::PumpFor(100);
    AfterScrolls esc(window, 15, [] { PostMessageW(MainWindow, WM_HOTKEY, EscAtom, 0); });
    RunFromTimer(window.Handle());
    EXPECT_TRUE(delivered.empty());
    EXPECT_EQ(uMainForm->noticeText, txt::NoticeCancelled);
    EXPECT_EQ(boxes_.Count(), 0u);
    EXPECT_LT(window.Scrolls(), 200);
    EXPECT_EQ(ClientPixels(window.Handle()).Count(Marker), 0);
    EXPECT_EQ(uMainForm->trayIcon.popupMenu, uMainForm->popupMenu);
}

TEST_F(AutoScroll, TrayClickDeliversWhatWasStitched) {
    const HWND tray = uMainForm->trayIcon.WindowHandle();
    for (const UINT button : {UINT(WM_LBUTTONUP), UINT(WM_RBUTTONUP)}) {
        SCOPED_TRACE(button == WM_LBUTTONUP ? "left" : "right");
        delivered.clear();
        scrollwin::ScrollWindowThread window(Window(3000, 3));
        vt::PumpFor(100);
        AfterScrolls click(window, 15, [tray, button] { PostMessageW(tray, ui::TrayIcon::CallbackMessage, 0, button); });
        RunFromTimer(window.Handle());
        ASSERT_EQ(delivered.size(), 1u);
        const int rows = delivered[0].height;
        EXPECT_GT(rows, 15 * 3);
        EXPECT_LT(rows, 3000);
        EXPECT_TRUE(RowsAre(delivered[0], 0, rows - 1));
        EXPECT_NE(uMainForm->noticeText, txt::NoticeCancelled);
        // The menu was taken away: a right click showed none.
        EXPECT_EQ(vt::FindWindowOf(GetCurrentProcessId(), L"#32768"), nullptr);
        EXPECT_EQ(ClientPixels(window.Handle()).Count(Marker), 0);
    }
}

TEST_F(AutoScroll, RunThatCannotBeginIsReported) {
    auto bare = Window(500, 3);
    bare.scrollBar = false;
    // A window without a scroll bar, and a run while one is going on: the
    // timer finds either and tells the user; nothing is scrolled or delivered.
    for (const bool running : {false, true}) {
        SCOPED_TRACE(running ? "a run going on" : "no scroll bar");
        const size_t before = boxes_.Count();
        uMainForm->noticeText.clear();
        scrollwin::ScrollWindowThread window(running ? Window(500, 3) : bare);
        vt::PumpFor(100);
        if (running) {
            AutoScrollRunning = true;
            StartAutoScrollTimer();
            ASSERT_TRUE(vt::WaitUntil([] { return AutoScrollTimer == 0; }, 10000));
            vt::PumpFor(100);
            EXPECT_TRUE(AutoScrollRunning);  // the run going on keeps its state
            AutoScrollRunning = false;
        } else {
            RunFromTimer(window.Handle());
        }
        ASSERT_TRUE(vt::WaitUntil([&] { return boxes_.Count() == before + 1; }));
        EXPECT_EQ(boxes_.Seen()[before].text, txt::CannotScrollWindow);
        EXPECT_EQ(uMainForm->noticeText, txt::NoticeCancelled);
        EXPECT_TRUE(delivered.empty());
        EXPECT_EQ(window.Scrolls(), 0);
        EXPECT_EQ(uMainForm->trayIcon.popupMenu, uMainForm->popupMenu);
    }
}

TEST_F(AutoScroll, ImageThatCannotBeMadeIsReported) {
    // Room for fewer rows than the view has: not even the first view fits.
    scrollwin::ScrollWindowThread window(Window(500, 3));
    vt::PumpFor(100);
    ui::Bitmap image;
    AutoScrollOptions options;
    options.maxRows = 50;
    EXPECT_EQ(AutoScrollCapture(window.Handle(), image, options), scroll::TooBig);
    ASSERT_TRUE(vt::WaitUntil([&] { return boxes_.Count() >= 1; }));
    EXPECT_EQ(boxes_.Seen()[0].text, L"Bitmap too big: 297x197\rPlease report this to support@vorlix.com");
    EXPECT_TRUE(image.Empty());
    EXPECT_EQ(window.Scrolls(), 0);
    EXPECT_FALSE(AutoScrollRunning);
    vt::PumpFor(150);
    EXPECT_EQ(ClientPixels(window.Handle()).Count(Marker), 0);
}

}  // namespace

namespace {

// Under Wine the marker drawn into another process's window is painted over
// by that window's next repaint, so the run goes on by row comparison there
// (on Windows the marker stays): either way every row comes once.
TEST_F(AutoScroll, WindowOfAnotherProcess) {
    const std::wstring log = vt::Join(vt::ScratchDir(), L"scrolls.log");
    vt::Process other = vt::Process::Start(vt::BinFile(L"scroll_window.exe"),
                                           L"--rows 800 --step 5 --pos 300 150 --log \"" + log + L"\"");
    ASSERT_TRUE(other);
    const HWND window = vt::WaitForWindow(other.Id(), L"VorlixScrollTest");
    ASSERT_NE(window, nullptr);
    vt::PumpFor(300);
    ui::Bitmap image;
    scroll::Outcome outcome;
    AutoScrollOptions options;
    options.outcome = &outcome;
    EXPECT_EQ(AutoScrollCapture(window, image, options), scroll::Finished);
    const auto pixels = vt::BitmapPixels(image.Handle());
    ASSERT_TRUE(pixels);
    EXPECT_TRUE(RowsAre(*pixels, 0, 799));
    vt::PumpFor(150);
    EXPECT_EQ(ClientPixels(window).Count(Marker), 0);
    other.Kill();
}

}  // namespace
