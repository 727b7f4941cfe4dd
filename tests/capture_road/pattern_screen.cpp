#include "capture_road/pattern_screen.h"

#include <vector>

namespace road {

namespace {

constexpr UINT kFill = WM_APP + 10;
constexpr UINT kPointer = WM_APP + 11;

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
                BITMAPINFO bi{};
                bi.bmiHeader.biSize = sizeof bi.bmiHeader;
                bi.bmiHeader.biWidth = state->width;
                bi.bmiHeader.biHeight = -state->height;
                bi.bmiHeader.biPlanes = 1;
                bi.bmiHeader.biBitCount = 32;
                SetDIBitsToDevice(dc, 0, 0, state->width, state->height, 0, 0, 0, state->height,
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
    WNDCLASSW wc{};
    wc.lpfnWndProc = Procedure;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = L"RoadPatternScreen";
    RegisterClassW(&wc);
    window_ = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, wc.lpszClassName, L"", WS_POPUP,
                              0, 0, state.width, state.height, nullptr, nullptr, wc.hInstance, nullptr);
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
