#include "scroll_window/scroll_window.h"

#include <algorithm>
#include <cstdio>
#include <future>

namespace scrollwin {

namespace {

constexpr UINT_PTR LatePaintTimer = 1;

// Row colours: 20 bits of a bijective scramble of the row number in the
// upper nibble of red and in green and blue; the lower nibble of red is
// always 0xA, which no grey (and not the edge colour) has.
constexpr uint32_t Multiplier = 0x9E3B5;  // odd: a bijection modulo 2^20
constexpr uint32_t Offset = 0x5A5A5;
constexpr uint32_t Mask = MaxRows - 1;
constexpr uint32_t RedLow = 0xA;

constexpr uint32_t Inverse(uint32_t m) {
    uint32_t x = m;  // Newton's iteration for the inverse modulo 2^32
    for (int i = 0; i < 5; ++i) x *= 2 - m * x;
    return x;
}

}  // namespace

COLORREF RowColour(int row) {
    const uint32_t v = (uint32_t(row) * Multiplier + Offset) & Mask;
    return RGB(((v >> 16) << 4) | RedLow, (v >> 8) & 0xFF, v & 0xFF);
}

int RowOfColour(COLORREF colour) {
    if ((GetRValue(colour) & 0xF) != RedLow || (colour >> 24) != 0) return -1;
    const uint32_t v = (uint32_t(GetRValue(colour) >> 4) << 16) | (uint32_t(GetGValue(colour)) << 8) | GetBValue(colour);
    return int(((v - Offset) * Inverse(Multiplier)) & Mask);
}

// ---- The window ------------------------------------------------------------------

ScrollTestWindow::ScrollTestWindow(Options options) : o_(std::move(options)) {
    release_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
}

ScrollTestWindow::~ScrollTestWindow() {
    if (frame_ && IsWindow(frame_)) DestroyWindow(frame_);
    if (window_ && IsWindow(window_)) DestroyWindow(window_);
    if (release_) CloseHandle(release_);
}

int ScrollTestWindow::ContentHeight() const { return EdgeAbove + o_.rows + EdgeBelow; }

int ScrollTestWindow::MaxPosition() const {
    if (o_.endless) return INT_MAX / 2;
    return std::max(ContentHeight() - o_.clientHeight, 0);
}

bool ScrollTestWindow::Create() {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = Procedure;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = o_.className.c_str();
    if (!GetClassInfoExW(instance, wc.lpszClassName, &wc)) RegisterClassExW(&wc);

    DWORD style = o_.caption ? WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME : WS_POPUP;
    if (o_.child) style = WS_CHILD | WS_VISIBLE | WS_BORDER;
    if (o_.scrollBar) style |= WS_VSCROLL;
    RECT r{0, 0, o_.clientWidth, o_.clientHeight};
    AdjustWindowRectEx(&r, style, FALSE, 0);
    // The scroll bar is not part of AdjustWindowRectEx's sum.
    if (o_.scrollBar) r.right += GetSystemMetrics(SM_CXVSCROLL);
    const int width = r.right - r.left, height = r.bottom - r.top;
    HWND parent = nullptr;
    int x = o_.x, y = o_.y;
    if (o_.child) {
        // The frame holds the pane ChildInset pixels inside its client area
        // on every side; (x, y) is the frame's position.
        WNDCLASSEXW fc{};
        fc.cbSize = sizeof fc;
        fc.lpfnWndProc = DefWindowProcW;
        fc.hInstance = instance;
        fc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        fc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
        fc.lpszClassName = FrameClass;
        if (!GetClassInfoExW(instance, fc.lpszClassName, &fc)) RegisterClassExW(&fc);
        const DWORD frameStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_CLIPCHILDREN;
        RECT f{0, 0, width + 2 * ChildInset, height + 2 * ChildInset};
        AdjustWindowRectEx(&f, frameStyle, FALSE, 0);
        frame_ = CreateWindowExW(0, FrameClass, o_.title.c_str(), frameStyle, o_.x, o_.y, f.right - f.left,
                                 f.bottom - f.top, nullptr, nullptr, instance, nullptr);
        if (!frame_) return false;
        parent = frame_;
        x = y = ChildInset;
    }
    window_ = CreateWindowExW(0, o_.className.c_str(), o_.title.c_str(), style, x, y, width, height, parent, nullptr,
                              instance, this);
    if (!window_) return false;
    UpdateBar();
    ShowWindow(frame_ ? frame_ : window_, SW_SHOWNORMAL);
    UpdateWindow(frame_ ? frame_ : window_);
    return true;
}

void ScrollTestWindow::UpdateBar() {
    if (!o_.scrollBar) return;
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_ALL | SIF_DISABLENOSCROLL;  // the bar stays, also for a short document
    si.nMax = o_.endless ? 0x7FFF : ContentHeight() - 1;
    si.nPage = UINT(o_.clientHeight);
    si.nPos = o_.endless ? 0 : position_.load();
    SetScrollInfo(window_, SB_VERT, &si, TRUE);
}

void ScrollTestWindow::LineDown() {
    const int count = ++scrolls_;
    if (!o_.logPath.empty()) {
        FILE* log = _wfopen(o_.logPath.c_str(), L"ab");
        if (log) {
            std::fprintf(log, "%d %d\r\n", count, position_.load());
            std::fclose(log);
        }
    }
    if (o_.hangAfter >= 0 && count > o_.hangAfter) {
        // Hung: no answer until the test lets go (at most a minute).
        WaitForSingleObject(release_, 60000);
        return;
    }
    if (o_.delayMs > 0) Sleep(DWORD(o_.delayMs));
    const int old = position_;
    const int next = std::min(old + o_.lineStep, MaxPosition());
    if (next == old) return;
    position_ = next;
    if (o_.paintLateMs > 0) {
        // As a program that draws when it gets round to it: the screen shows
        // the old view until the timer.
        SetTimer(window_, LatePaintTimer, UINT(o_.paintLateMs), nullptr);
        return;
    }
    if (o_.repaint) InvalidateRect(window_, nullptr, FALSE);
    else ScrollWindowEx(window_, 0, old - next, nullptr, nullptr, nullptr, nullptr, SW_INVALIDATE);
    UpdateBar();
    UpdateWindow(window_);
}

void ScrollTestWindow::Paint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window_, &ps);
    RECT client;
    GetClientRect(window_, &client);
    SelectObject(dc, GetStockObject(DC_BRUSH));
    for (int y = ps.rcPaint.top; y < ps.rcPaint.bottom; ++y) {
        const int content = position_ + y;  // pixel row of the content
        const int row = content - EdgeAbove;
        COLORREF colour = EdgeColour;
        if (row >= 0 && (o_.endless || row < o_.rows)) colour = RowColour(row % MaxRows);
        SetDCBrushColor(dc, colour);
        RECT line{client.left, y, client.right, y + 1};
        FillRect(dc, &line, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
    }
    EndPaint(window_, &ps);
}

LRESULT CALLBACK ScrollTestWindow::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
        static_cast<ScrollTestWindow*>(cs->lpCreateParams)->window_ = window;
    }
    auto* self = reinterpret_cast<ScrollTestWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    return self ? self->Handle(message, wParam, lParam) : DefWindowProcW(window, message, wParam, lParam);
}

LRESULT ScrollTestWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_VSCROLL:
            if (LOWORD(wParam) == SB_LINEDOWN) LineDown();
            return 0;
        case WM_TIMER:
            if (wParam != LatePaintTimer) return DefWindowProcW(window_, message, wParam, lParam);
            KillTimer(window_, LatePaintTimer);
            InvalidateRect(window_, nullptr, FALSE);
            UpdateBar();
            UpdateWindow(window_);
            return 0;
        case WM_PAINT: Paint(); return 0;
        case WM_ERASEBKGND: return 1;
        case WM_DESTROY:
            SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
            window_ = nullptr;
            PostQuitMessage(0);
            return 0;
        default: return DefWindowProcW(window_, message, wParam, lParam);
    }
}

// ---- On a thread of its own --------------------------------------------------------

ScrollWindowThread::ScrollWindowThread(Options options) : owned_(std::make_unique<ScrollTestWindow>(std::move(options))) {
    std::promise<bool> ready;
    auto created = ready.get_future();
    thread_ = std::thread([this, &ready] {
        threadId_ = GetCurrentThreadId();
        ready.set_value(owned_->Create());
        MSG msg;
        while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        // Whatever ended the loop, the window goes with its thread.
        if (owned_->Frame() && IsWindow(owned_->Frame())) DestroyWindow(owned_->Frame());
        if (owned_->Handle()) DestroyWindow(owned_->Handle());
    });
    if (created.get()) window_ = owned_.get();
}

ScrollWindowThread::~ScrollWindowThread() {
    owned_->Release();
    // Closing the frame takes the pane with it.
    if (owned_->Frame()) PostMessageW(owned_->Frame(), WM_CLOSE, 0, 0);
    else if (owned_->Handle()) PostMessageW(owned_->Handle(), WM_CLOSE, 0, 0);
    else if (threadId_) PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
    if (thread_.joinable()) thread_.join();
}

}  // namespace scrollwin
