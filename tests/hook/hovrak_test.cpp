// hovrak.dll under real input: another thread injects mouse input with
// SendInput over a target window of this process; the test checks the
// messages posted to the receiver window and what reached the target.
#include "hook/hovrak.h"

#include <gtest/gtest.h>

#include <psapi.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>

namespace {

std::string g_posted;  // hook messages at the receiver: B D M U, moves collapsed
std::string g_target;  // button messages at the target window
POINT g_targetMove{};  // last pointer move the target saw, in screen coordinates
POINT g_downAt{}, g_upAt{};  // position carried by the last WM_HOOK_DOWN and WM_HOOK_UP
bool g_allMarked = true;     // every hook message said that it carries its position

void Add(std::string& s, const char* item) {
    if (!s.empty()) s += ' ';
    s += item;
}

LRESULT CALLBACK ReceiverProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    const char* item = nullptr;
    switch (m) {
    case WM_HOOK_BEGIN: item = "B"; break;
    case WM_HOOK_DOWN: item = "D"; break;
    case WM_HOOK_MOVE: item = "M"; break;
    case WM_HOOK_UP: item = "U"; break;
    }
    if (item != nullptr) {
        POINT p{};
        if (!HookMessagePoint(wp, lp, p)) g_allMarked = false;
        if (m == WM_HOOK_DOWN) g_downAt = p;
        if (m == WM_HOOK_UP) g_upAt = p;
        const bool repeatMove = m == WM_HOOK_MOVE && g_posted.size() >= 1 && g_posted.back() == 'M';
        if (!repeatMove) Add(g_posted, item);
        return 0;
    }
    return DefWindowProcW(w, m, wp, lp);
}

LRESULT CALLBACK TargetProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    switch (m) {
    case WM_LBUTTONDOWN: Add(g_target, "l+"); break;
    case WM_LBUTTONUP: Add(g_target, "l-"); break;
    case WM_RBUTTONDOWN: Add(g_target, "r+"); break;
    case WM_RBUTTONUP: Add(g_target, "r-"); break;
    case WM_MBUTTONDOWN: Add(g_target, "m+"); break;
    case WM_MBUTTONUP: Add(g_target, "m-"); break;
    case WM_CONTEXTMENU: Add(g_target, "menu"); return 0;
    case WM_MOUSEMOVE:
        g_targetMove = {static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
        ClientToScreen(w, &g_targetMove);
        break;
    }
    return DefWindowProcW(w, m, wp, lp);
}

HWND MakeWindow(const wchar_t* cls, WNDPROC proc, DWORD style, int x, int y, int w, int h) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = cls;
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    RegisterClassW(&wc);
    return CreateWindowExW(WS_EX_TOPMOST, cls, L"", style, x, y, w, h, nullptr, nullptr, wc.hInstance, nullptr);
}

void Pump(DWORD milliseconds) {
    const DWORD end = GetTickCount() + milliseconds;
    do {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    } while (static_cast<LONG>(GetTickCount() - end) < 0);
}

// Input as a user gives it, from a thread other than the hook's and this one.
// Pointer moves use SetCursorPos, which Wine passes through the low-level
// hooks like a mouse move: while such a hook is installed, Wine does not move
// the X pointer for a SendInput move, and GetCursorPos falls back to the X
// pointer 100 ms after the last move.
void MoveTo(int x, int y) {
    SetCursorPos(x, y);
    Sleep(30);
}

void Mouse(DWORD flags, DWORD thenWait = 30) {
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = flags;
    SendInput(1, &in, sizeof in);
    Sleep(thenWait);
}

// Runs `script` on an injecting thread while this thread pumps, then lets
// the last messages arrive.
void Inject(const std::function<void()>& script) {
    std::atomic<bool> done{false};
    std::thread injector([&] {
        script();
        done = true;
    });
    while (!done) Pump(10);
    injector.join();
    Pump(300);
}

// The target spans (100, 100)-(700, 500); the gestures happen inside it.
constexpr int kX = 300, kY = 300;

class HovrakTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        receiver = MakeWindow(L"HovrakTestReceiver", ReceiverProc, WS_POPUP, 0, 0, 10, 10);
        target = MakeWindow(L"HovrakTestTarget", TargetProc, WS_POPUP | WS_VISIBLE, 100, 100, 600, 400);
        UpdateWindow(target);
        Pump(200);
    }
    static void TearDownTestSuite() {
        DestroyWindow(target);
        DestroyWindow(receiver);
    }

    void SetUp() override {
        ASSERT_TRUE(HookInstall(receiver, FALSE));
        HookStatus(1);
        HookActivateWithMouse(TRUE);
        HookHoldTime(150);
        HookCaptureType(2);
        HookRectangleSelection(0);
        HookCursorData(0x0100);
        Inject([] { MoveTo(kX, kY); });
        g_posted.clear();
        g_target.clear();
        g_allMarked = true;
    }
    void TearDown() override { HookRemove(); }

    static HWND receiver;
    static HWND target;
};
HWND HovrakTest::receiver = nullptr;
HWND HovrakTest::target = nullptr;

TEST_F(HovrakTest, HoldRightThenDragLeftIsAGestureTheTargetNeverSees) {
    Inject([] {
        Mouse(MOUSEEVENTF_RIGHTDOWN, 600);  // well past the hold time
        Mouse(MOUSEEVENTF_LEFTDOWN);
        MoveTo(kX + 40, kY + 30);
        MoveTo(kX + 90, kY + 60);
        Mouse(MOUSEEVENTF_LEFTUP);
        Mouse(MOUSEEVENTF_RIGHTUP);
    });
    EXPECT_EQ(g_posted, "B D M U");
    EXPECT_EQ(g_target, "");
    EXPECT_TRUE(g_allMarked);
    EXPECT_EQ(g_downAt.x, kX);  // the messages carry the pointer position
    EXPECT_EQ(g_downAt.y, kY);
    EXPECT_EQ(g_upAt.x, kX + 90);
    EXPECT_EQ(g_upAt.y, kY + 60);
    // The moves themselves reach the system.
    EXPECT_EQ(g_targetMove.x, kX + 90);
    EXPECT_EQ(g_targetMove.y, kY + 60);
    POINT p;
    GetCursorPos(&p);
    EXPECT_EQ(p.x, kX + 90);
    EXPECT_EQ(p.y, kY + 60);
}

TEST_F(HovrakTest, ShortRightClickReachesTheTarget) {
    HookHoldTime(1000);
    Inject([] {
        Mouse(MOUSEEVENTF_RIGHTDOWN, 40);
        Mouse(MOUSEEVENTF_RIGHTUP, 200);
        // The next click is not held back behind the given-back one.
        Mouse(MOUSEEVENTF_LEFTDOWN);
        Mouse(MOUSEEVENTF_LEFTUP);
    });
    EXPECT_EQ(g_posted, "");
    EXPECT_EQ(g_target, "r+ r- menu l+ l-");
}

TEST_F(HovrakTest, ChordDuringTheHoldReachesTheTargetInOrder) {
    HookHoldTime(1000);
    Inject([] {
        Mouse(MOUSEEVENTF_RIGHTDOWN, 40);
        Mouse(MOUSEEVENTF_LEFTDOWN);
        Mouse(MOUSEEVENTF_LEFTUP);
        Mouse(MOUSEEVENTF_RIGHTUP);
    });
    EXPECT_EQ(g_posted, "");
    EXPECT_EQ(g_target, "r+ l+ l- r- menu");
}

TEST_F(HovrakTest, RecordingStartsAtOnceAndTakesTheLeftDrag) {
    HookStartRecording();
    Pump(100);
    EXPECT_EQ(g_posted, "B");
    Inject([] {
        Mouse(MOUSEEVENTF_LEFTDOWN);
        MoveTo(kX + 50, kY + 50);
        Mouse(MOUSEEVENTF_LEFTUP);
        // The gesture is over: clicks reach the target again.
        Mouse(MOUSEEVENTF_LEFTDOWN);
        Mouse(MOUSEEVENTF_LEFTUP);
    });
    EXPECT_EQ(g_posted, "B D M U");
    EXPECT_EQ(g_target, "l+ l-");
}

// Every gesture shows the crosshair through SetSystemCursor, which takes the
// cursor it is handed on Windows and leaves it alone under Wine. Thousands of
// gestures (started by the hotkey's operation, as the program does) must not
// pile up cursors the system never took.
TEST_F(HovrakTest, GesturesLeaveNoCursorCopiesBehind) {
    const auto memoryInUse = [] {
        // (Wine fills PagefileUsage; its PrivateUsage stays 0.)
        PROCESS_MEMORY_COUNTERS counters{};
        counters.cb = sizeof counters;
        GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
        return static_cast<long long>(counters.PagefileUsage);
    };
    const auto gestures = [](int n) {
        for (int i = 0; i < n; ++i) {
            HookStartRecording();
            HookStopRecording();
            if (i % 50 == 0) Pump(1);
        }
        Pump(300);
    };
    gestures(500);  // warm-up: heaps and queues at their working size
    const long long before = memoryInUse();
    gestures(4000);
    const long long grown = memoryInUse() - before;
    // 4000 copies of the crosshair left behind come to some 7 MB under Wine.
    EXPECT_LT(grown, 2 * 1024 * 1024) << grown << " bytes more after 4000 gestures";
    EXPECT_NE(g_posted.find('B'), std::string::npos);
}

TEST_F(HovrakTest, FixedRectangleIsTakenWithAClick) {
    HookRectangleSelection(1);
    HookStartRecording();
    Inject([] {
        MoveTo(kX + 20, kY + 20);
        Mouse(MOUSEEVENTF_LEFTDOWN);
        Mouse(MOUSEEVENTF_LEFTUP);
    });
    EXPECT_EQ(g_posted, "B M U");
    EXPECT_EQ(g_target, "");
}

TEST_F(HovrakTest, StopRecordingEndsTheGestureWithoutMessage) {
    HookStartRecording();
    Pump(50);
    HookStopRecording();
    Inject([] {
        Mouse(MOUSEEVENTF_LEFTDOWN);
        MoveTo(kX + 30, kY + 30);
        Mouse(MOUSEEVENTF_LEFTUP);
    });
    EXPECT_EQ(g_posted, "B");
    EXPECT_EQ(g_target, "l+ l-");
}

TEST_F(HovrakTest, StatusZeroAndMouseActivationOffLetEverythingThrough) {
    for (int pass = 0; pass < 2; ++pass) {
        SCOPED_TRACE(pass == 0 ? "status 0" : "mouse activation off");
        if (pass == 0) HookStatus(0);
        else HookActivateWithMouse(FALSE);
        g_posted.clear();
        g_target.clear();
        Inject([] {
            Mouse(MOUSEEVENTF_RIGHTDOWN, 400);
            Mouse(MOUSEEVENTF_RIGHTUP);
        });
        if (pass == 0) HookStartRecording();  // ignored while the status is 0
        Pump(100);
        EXPECT_EQ(g_posted, "");
        EXPECT_EQ(g_target, "r+ r- menu");
        HookStatus(1);
        HookActivateWithMouse(TRUE);
    }
}

TEST_F(HovrakTest, SwappedButtonsHoldTheLogicalRightButton) {
    HookRemove();
    ASSERT_TRUE(HookInstall(receiver, TRUE));
    Inject([] {
        Mouse(MOUSEEVENTF_LEFTDOWN, 600);  // the physical left button is the logical right one
        Mouse(MOUSEEVENTF_RIGHTDOWN);
        MoveTo(kX + 60, kY + 40);
        Mouse(MOUSEEVENTF_RIGHTUP);
        Mouse(MOUSEEVENTF_LEFTUP);
    });
    EXPECT_EQ(g_posted, "B D M U");
    EXPECT_EQ(g_target, "");
}

TEST_F(HovrakTest, RemovedHookReportsNothingAndInstallsAgain) {
    HookRemove();
    HookRemove();  // a second remove is harmless
    Inject([] {
        Mouse(MOUSEEVENTF_RIGHTDOWN, 400);
        Mouse(MOUSEEVENTF_RIGHTUP);
    });
    HookStartRecording();  // nobody to report to
    Pump(100);
    EXPECT_EQ(g_posted, "");
    EXPECT_EQ(g_target, "r+ r- menu");

    ASSERT_TRUE(HookInstall(receiver, FALSE));
    EXPECT_TRUE(HookInstall(receiver, FALSE));  // already installed: still fine
    HookHoldTime(150);
    g_target.clear();
    Inject([] {
        Mouse(MOUSEEVENTF_RIGHTDOWN, 600);
        Mouse(MOUSEEVENTF_RIGHTUP);
    });
    EXPECT_EQ(g_posted, "B");
    EXPECT_EQ(g_target, "");
    HookStopRecording();
}

TEST(HovrakInstall, RefusesAMissingWindow) {
    EXPECT_FALSE(HookInstall(nullptr, FALSE));
    HWND gone = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(gone, nullptr);
    DestroyWindow(gone);
    EXPECT_FALSE(HookInstall(gone, FALSE));
}

// The program binds the exports by their plain names; the failing build beside
// the tests offers the same names and refuses to install.
TEST(HovrakInstall, ExportsAndTheFailingBuild) {
    static const char* const names[] = {"HookInstall",           "HookRemove",         "HookStatus",
                                        "HookCaptureType",       "HookCursorData",     "HookHoldTime",
                                        "HookActivateWithMouse", "HookRectangleSelection", "HookStartRecording",
                                        "HookStopRecording"};
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring dir(path);
    dir.resize(dir.find_last_of(L'\\') + 1);

    HMODULE real = GetModuleHandleW(L"hovrak.dll");
    ASSERT_NE(real, nullptr);
    HMODULE failing = LoadLibraryW((dir + L"failing-hook\\hovrak.dll").c_str());
    ASSERT_NE(failing, nullptr);
    ASSERT_NE(failing, real);
    for (const char* name : names) {
        EXPECT_NE(GetProcAddress(real, name), nullptr) << name;
        EXPECT_NE(GetProcAddress(failing, name), nullptr) << name;
    }
    using Install = BOOL(WINAPI*)(HWND, BOOL);
    auto install = reinterpret_cast<Install>(reinterpret_cast<void*>(GetProcAddress(failing, "HookInstall")));
    ASSERT_NE(install, nullptr);
    HWND w = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    EXPECT_FALSE(install(w, FALSE));
    DestroyWindow(w);
    FreeLibrary(failing);
}

}  // namespace
