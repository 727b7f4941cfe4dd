#include "capture_road/pattern_screen.h"

#include <vector>

#include "support/vorlix_test.h"

namespace road {

namespace {

constexpr UINT kFill = WM_APP + 10;
constexpr UINT kPointer = WM_APP + 11;
constexpr UINT kAdd = WM_APP + 12;
constexpr UINT kRemove = WM_APP + 13;

struct AddRequest {
    RECT rect;
    HWND parent;
    DWORD style;
    HWND made;
};

struct State {
    std::vector<DWORD> picture;  // top-down 32-bit rows
    int width = 0, height = 0;
    COLORREF fill = kPicture;
};

LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = reinterpret_cast<State*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    switch (message) {
        case WM_ERASEBKGND: return 1;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(window, &ps);
            if (state && state->fill != kPicture) {
                HBRUSH brush = CreateSolidBrush(state->fill);
                FillRect(dc, &ps.rcPaint, brush);
                DeleteObject(brush);
            } else if (state) {
                // Every window shows the part of the picture that lies under
                // it on the screen.
                POINT origin{0, 0};
                ClientToScreen(window, &origin);
                BITMAPINFO bi{};
                bi.bmiHeader.biSize = sizeof bi.bmiHeader;
                bi.bmiHeader.biWidth = state->width;
                bi.bmiHeader.biHeight = -state->height;
                bi.bmiHeader.biPlanes = 1;
                bi.bmiHeader.biBitCount = 32;
                SetDIBitsToDevice(dc, -origin.x, -origin.y, state->width, state->height, 0, 0, 0, state->height,
                                  state->picture.data(), &bi, DIB_RGB_COLORS);
            }
            EndPaint(window, &ps);
            return 0;
        }
        case kFill:
            if (state) state->fill = static_cast<COLORREF>(wParam);
            InvalidateRect(window, nullptr, FALSE);
            UpdateWindow(window);
            return 0;
        case kPointer: SetCursorPos(static_cast<int>(wParam), static_cast<int>(lParam)); return 0;
        case kAdd: {
            auto* request = reinterpret_cast<AddRequest*>(wParam);
            RECT r = request->rect;
            const bool child = request->parent != nullptr;
            if (child) MapWindowPoints(nullptr, request->parent, reinterpret_cast<POINT*>(&r), 2);
            request->made = CreateWindowExW(child ? 0 : WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE,
                                            L"RoadPatternScreen", L"",
                                            (child ? WS_CHILD | WS_CLIPSIBLINGS : WS_POPUP) | request->style, r.left,
                                            r.top, r.right - r.left, r.bottom - r.top, request->parent, nullptr,
                                            GetModuleHandleW(nullptr), nullptr);
            if (request->made) {
                SetWindowLongPtrW(request->made, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state));
                ShowWindow(request->made, SW_SHOWNA);
                UpdateWindow(request->made);
            }
            return 0;
        }
        case kRemove: DestroyWindow(reinterpret_cast<HWND>(wParam)); return 0;
        case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
        default: break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

PatternScreen::PatternScreen() {
    ready_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    thread_ = std::thread([this] { Run(); });
    WaitForSingleObject(ready_, 10000);
    Sleep(300);  // let the first paint reach the screen
}

PatternScreen::~PatternScreen() {
    if (window_) PostMessageW(window_, WM_CLOSE, 0, 0);
    if (thread_.joinable()) thread_.join();
    CloseHandle(ready_);
}

void PatternScreen::Fill(COLORREF colour) {
    SendMessageW(window_, kFill, colour, 0);
    Sleep(200);
}

void PatternScreen::PutPointer(int x, int y) { SendMessageW(window_, kPointer, x, y); }

HWND PatternScreen::AddWindow(const RECT& r, HWND parent, DWORD style) {
    AddRequest request{r, parent, style, nullptr};
    SendMessageW(window_, kAdd, reinterpret_cast<WPARAM>(&request), 0);
    return request.made;
}

void PatternScreen::RemoveWindow(HWND window) { SendMessageW(window_, kRemove, reinterpret_cast<WPARAM>(window), 0); }

void PatternScreen::SetBounds(const RECT& r) {
    SetWindowPos(window_, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    Sleep(100);
}

void PatternScreen::Run() {
    State state;
    state.width = GetSystemMetrics(SM_CXSCREEN);
    state.height = GetSystemMetrics(SM_CYSCREEN);
    state.picture.resize(size_t(state.width) * size_t(state.height));
    for (int y = 0; y < state.height; ++y)
        for (int x = 0; x < state.width; ++x) {
            const COLORREF c = Pattern(x, y);
            state.picture[size_t(y) * size_t(state.width) + size_t(x)] =
                (DWORD(GetRValue(c)) << 16) | (DWORD(GetGValue(c)) << 8) | GetBValue(c);
        }
    window_ = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE,
                              vt::RegisterWindowClass(L"RoadPatternScreen", Procedure), L"", WS_POPUP, 0, 0,
                              state.width, state.height, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&state));
    ShowWindow(window_, SW_SHOWNA);
    UpdateWindow(window_);
    SetEvent(ready_);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == WM_CLOSE && msg.hwnd == window_) {
            DestroyWindow(window_);
            break;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    window_ = nullptr;
}

}  // namespace road
