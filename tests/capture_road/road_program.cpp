#include "capture_road/road_program.h"

namespace road {

namespace {

void Send(INPUT in) { SendInput(1, &in, sizeof in); }

}  // namespace

PatternScreen* pointerThread = nullptr;

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
void MoveTo(int x, int y, DWORD pause) {
    if (pointerThread) pointerThread->PutPointer(x, y);
    else SetCursorPos(x, y);
    const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dx = (x * 65535 + (w - 1) / 2) / (w - 1);
    in.mi.dy = (y * 65535 + (h - 1) / 2) / (h - 1);
    in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    Send(in);
    if (pause) Sleep(pause);
}

void Key(WORD vk) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    Send(in);
    in.ki.dwFlags = KEYEVENTF_KEYUP;
    Send(in);
}

namespace {

constexpr UINT kActivate = WM_APP + 20;

LRESULT CALLBACK OtherWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_ERASEBKGND: {
            RECT r;
            GetClientRect(window, &r);
            HBRUSH brush = CreateSolidBrush(static_cast<COLORREF>(GetWindowLongPtrW(window, GWLP_USERDATA)));
            FillRect(reinterpret_cast<HDC>(wParam), &r, brush);
            DeleteObject(brush);
            return 1;
        }
        case kActivate: SetForegroundWindow(window); return 0;
        case WM_DESTROY: PostQuitMessage(0); return 0;
        default: return DefWindowProcW(window, message, wParam, lParam);
    }
}

}  // namespace

OtherWindow::OtherWindow(const RECT& r, COLORREF colour, bool notification) {
    HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    thread_ = std::thread([=, this] {
        window_ = CreateWindowExW(notification ? WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE : 0,
                                  vt::RegisterWindowClass(L"RoadOtherWindow", OtherWindowProc), L"Other program",
                                  notification ? WS_POPUP : WS_OVERLAPPEDWINDOW, r.left, r.top, r.right - r.left,
                                  r.bottom - r.top, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        if (!window_) {
            SetEvent(ready);
            return;
        }
        SetWindowLongPtrW(window_, GWLP_USERDATA, static_cast<LONG_PTR>(colour));
        ShowWindow(window_, notification ? SW_SHOWNA : SW_SHOW);
        UpdateWindow(window_);
        SetEvent(ready);
        MSG msg;
        while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    });
    WaitForSingleObject(ready, 10000);
    CloseHandle(ready);
    Sleep(200);  // painted and on the screen
}

OtherWindow::~OtherWindow() {
    if (window_) PostMessageW(window_, WM_CLOSE, 0, 0);
    if (thread_.joinable()) thread_.join();
}

void OtherWindow::Activate() {
    SendMessageW(window_, kActivate, 0, 0);
    vt::WaitUntil([this] { return GetForegroundWindow() == window_; }, 3000);
}

Stalled::Stalled(HWND window) {
    // Only once the thread waits for its next message: stopped anywhere else
    // it might hold a lock that the hook's thread needs too.
    vt::Send(window, WM_NULL);
    Sleep(100);
    thread_ = OpenThread(THREAD_SUSPEND_RESUME, FALSE, GetWindowThreadProcessId(window, nullptr));
    if (thread_ && SuspendThread(thread_) == static_cast<DWORD>(-1)) {
        CloseHandle(thread_);
        thread_ = nullptr;
    }
}

Stalled::~Stalled() {
    if (!thread_) return;
    ResumeThread(thread_);
    CloseHandle(thread_);
}

bool EscFree() { return vt::HotkeyFree(0, VK_ESCAPE); }

void ProgramRoad::SetUp() {
    config.HoldTime = 300;
    config.CaptureType = ctRectangle;
    config.RectSelection = 0;
    config.MouseActivation = 1;
    vt::EmptyTheClipboard();
}

void ProgramRoad::TearDown() {
    pointerThread = nullptr;
    EXPECT_TRUE(run.Stop());
}

void ProgramRoad::Start() {
    ASSERT_TRUE(run.Start());
    main = run.main;
    freeze = vt::FindWindowOf(program.Id(), L"TuFreezeForm");
    ASSERT_NE(freeze, nullptr);
}

bool ProgramRoad::Frozen() const {
    const RECT r = vt::ReadWindow(freeze).rect;
    return r.right - r.left == GetSystemMetrics(SM_CXSCREEN) && r.bottom - r.top == GetSystemMetrics(SM_CYSCREEN);
}

bool ProgramRoad::Unfrozen() const {
    const RECT r = vt::ReadWindow(freeze).rect;
    return r.right == r.left && r.bottom == r.top;
}

bool ProgramRoad::BeginGesture(int x, int y) {
    MoveTo(x, y);
    MouseButton(MOUSEEVENTF_RIGHTDOWN);
    const bool begun = vt::WaitUntil([this] { return Frozen() && !EscFree(); }, 6000);
    MouseButton(MOUSEEVENTF_RIGHTUP);
    Sleep(100);
    return begun;
}

std::optional<vt::Pixels> ProgramRoad::WaitForClipboardImage() {
    std::optional<vt::Pixels> image;
    vt::WaitUntil([&] { return (image = vt::ClipboardDib()).has_value(); }, 15000);
    return image;
}

}  // namespace road
