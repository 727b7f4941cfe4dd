// stelmon.dll: while frozen, a window of this process that repaints or moves
// leaves the screen as it was; after FreezeRemove the screen shows it again.
#include "freeze/stelmon.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "support/vorlix_test.h"

namespace {

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr UINT kRepaint = WM_APP + 1;  // wParam: the new colour
constexpr UINT kMoveBy = WM_APP + 2;   // wParam: pixels to the right
constexpr UINT kQuit = WM_APP + 3;

std::atomic<COLORREF> g_colour{kRed};

LRESULT CALLBACK PaintedProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    switch (m) {
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(w, &ps);
        HBRUSH brush = CreateSolidBrush(g_colour);
        FillRect(dc, &ps.rcPaint, brush);
        DeleteObject(brush);
        EndPaint(w, &ps);
        return 0;
    }
    case kRepaint:
        g_colour = static_cast<COLORREF>(wp);
        InvalidateRect(w, nullptr, TRUE);
        UpdateWindow(w);
        return 0;
    case kMoveBy: {
        RECT r;
        GetWindowRect(w, &r);
        SetWindowPos(w, nullptr, r.left + static_cast<int>(wp), r.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        UpdateWindow(w);
        return 0;
    }
    case kQuit: DestroyWindow(w); return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    }
    return DefWindowProcW(w, m, wp, lp);
}

// A window that paints a solid colour, on a thread of its own (screen reads
// under Wine see only this process's windows as they are).
class PaintedWindow {
public:
    PaintedWindow() {
        HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        thread_ = std::thread([this, ready] {
            WNDCLASSW wc{};
            wc.lpfnWndProc = PaintedProc;
            wc.hInstance = GetModuleHandleW(nullptr);
            wc.lpszClassName = L"StelmonTestPainted";
            RegisterClassW(&wc);
            window_ = CreateWindowExW(WS_EX_TOOLWINDOW, wc.lpszClassName, L"", WS_POPUP | WS_VISIBLE, 100, 100, 200,
                                      150, nullptr, nullptr, wc.hInstance, nullptr);
            UpdateWindow(window_);
            SetEvent(ready);
            MSG msg;
            while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
        });
        WaitForSingleObject(ready, INFINITE);
        CloseHandle(ready);
    }
    ~PaintedWindow() {
        PostMessageW(window_, kQuit, 0, 0);
        thread_.join();
    }
    void Do(UINT message, WPARAM wParam) { SendMessageW(window_, message, wParam, 0); }

private:
    std::thread thread_;
    HWND window_ = nullptr;
};

COLORREF SettledPixel(int x, int y) {
    vt::PumpFor(250);
    return vt::ScreenPixel(x, y) & 0xFFFFFF;
}

size_t FreezeWindows() { return vt::FindWindows(GetCurrentProcessId(), kStelmonWindowClass).size(); }

TEST(Stelmon, ScreenStaysAsItWasUntilRemoved) {
    g_colour = kRed;
    PaintedWindow painted;
    ASSERT_EQ(SettledPixel(150, 150), kRed);

    FreezeInstall();
    EXPECT_EQ(FreezeWindows(), 1u);
    painted.Do(kRepaint, kBlue);
    EXPECT_EQ(SettledPixel(150, 150), kRed) << "the repaint reached the screen";
    painted.Do(kMoveBy, 300);  // now at (400, 100)-(600, 250)
    EXPECT_EQ(SettledPixel(150, 150), kRed) << "the move reached the screen";
    EXPECT_NE(SettledPixel(450, 150), kBlue);

    FreezeInstall();  // a second install changes nothing
    EXPECT_EQ(FreezeWindows(), 1u);

    FreezeRemove();
    EXPECT_EQ(FreezeWindows(), 0u);
    EXPECT_EQ(SettledPixel(450, 150), kBlue);
    EXPECT_NE(SettledPixel(150, 150), kRed);

    // Another round works the same way.
    FreezeInstall();
    painted.Do(kRepaint, kRed);
    EXPECT_EQ(SettledPixel(450, 150), kBlue);
    FreezeRemove();
    EXPECT_EQ(SettledPixel(450, 150), kRed);
}

TEST(Stelmon, RemoveWithoutInstallIsHarmless) {
    FreezeRemove();
    FreezeRemove();
    EXPECT_EQ(FreezeWindows(), 0u);
}

TEST(Stelmon, FrozenWindowIsTopmostCoversTheScreenAndTakesNoActivation) {
    FreezeInstall();
    const auto windows = vt::FindWindows(GetCurrentProcessId(), kStelmonWindowClass);
    ASSERT_EQ(windows.size(), 1u);
    const vt::WindowState s = vt::ReadWindow(windows[0]);
    EXPECT_TRUE(s.visible);
    EXPECT_TRUE(s.exStyle & WS_EX_TOPMOST);
    EXPECT_TRUE(s.exStyle & WS_EX_NOACTIVATE);
    EXPECT_EQ(s.rect.left, GetSystemMetrics(SM_XVIRTUALSCREEN));
    EXPECT_EQ(s.rect.top, GetSystemMetrics(SM_YVIRTUALSCREEN));
    EXPECT_EQ(s.rect.right - s.rect.left, GetSystemMetrics(SM_CXVIRTUALSCREEN));
    EXPECT_EQ(s.rect.bottom - s.rect.top, GetSystemMetrics(SM_CYVIRTUALSCREEN));
    EXPECT_NE(GetForegroundWindow(), windows[0]);
    // Closing it from outside does not end the freeze.
    SendMessageW(windows[0], WM_CLOSE, 0, 0);
    EXPECT_EQ(FreezeWindows(), 1u);
    FreezeRemove();
    EXPECT_EQ(FreezeWindows(), 0u);
}

// The program calls FreezeInstall while it holds LockWindowUpdate on the
// desktop; the copy must still show the screen.
TEST(Stelmon, WorksUnderLockWindowUpdate) {
    g_colour = kRed;
    PaintedWindow painted;
    ASSERT_EQ(SettledPixel(150, 150), kRed);
    LockWindowUpdate(GetDesktopWindow());
    FreezeInstall();
    LockWindowUpdate(nullptr);
    painted.Do(kRepaint, kBlue);
    EXPECT_EQ(SettledPixel(150, 150), kRed);
    FreezeRemove();
    EXPECT_EQ(SettledPixel(150, 150), kBlue);
}

}  // namespace
