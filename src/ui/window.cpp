#include "ui/window.h"

#include <algorithm>
#include <vector>

namespace ui {

namespace {
std::vector<HWND>& ModelessDialogs() {
    static std::vector<HWND> dialogs;
    return dialogs;
}
}  // namespace

std::wstring WindowText(HWND window) {
    const int n = GetWindowTextLengthW(window);
    std::wstring text(static_cast<size_t>(n) + 1, L'\0');
    text.resize(static_cast<size_t>(std::max(GetWindowTextW(window, text.data(), n + 1), 0)));
    return text;
}

void AddModelessDialog(HWND dialog) {
    auto& d = ModelessDialogs();
    if (dialog && std::find(d.begin(), d.end(), dialog) == d.end()) d.push_back(dialog);
}

void RemoveModelessDialog(HWND dialog) {
    auto& d = ModelessDialogs();
    d.erase(std::remove(d.begin(), d.end(), dialog), d.end());
}

bool RouteDialogMessage(MSG& msg) {
    // A copy: a dialog may close (and leave the list) while it handles the
    // message.
    const std::vector<HWND> dialogs = ModelessDialogs();
    for (HWND dialog : dialogs) {
        if (!IsWindow(dialog)) continue;
        if (msg.hwnd != dialog && !IsChild(dialog, msg.hwnd)) continue;
        return IsDialogMessageW(dialog, &msg) != FALSE;
    }
    return false;
}

Window::~Window() { Destroy(); }

bool Window::Create(const wchar_t* className, const wchar_t* title, DWORD style, DWORD exStyle, int x, int y,
                    int width, int height, HWND parent, HCURSOR cursor) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    if (!GetClassInfoExW(instance, className, &wc)) {
        wc = WNDCLASSEXW{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = &Window::Procedure;
        wc.hInstance = instance;
        wc.hCursor = cursor ? cursor : LoadCursorW(nullptr, IDC_ARROW);
        wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
        wc.hIconSm = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON,
                                                   GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                                                   LR_SHARED));
        wc.lpszClassName = className;
        wc.style = CS_DBLCLKS;
        if (!RegisterClassExW(&wc)) return false;
    }
    hwnd_ = CreateWindowExW(exStyle, className, title, style, x, y, width, height, parent, nullptr, instance, this);
    return hwnd_ != nullptr;
}

void Window::Destroy() {
    if (hwnd_) {
        HWND h = hwnd_;
        SetWindowLongPtrW(h, GWLP_USERDATA, 0);
        hwnd_ = nullptr;
        DestroyWindow(h);
    }
}

LRESULT Window::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) { return Default(message, wParam, lParam); }

LRESULT CALLBACK Window::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
        auto* self = static_cast<Window*>(cs->lpCreateParams);
        self->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
    return self->HandleMessage(message, wParam, lParam);
}

bool ProcessMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return false;
        }
        if (RouteDialogMessage(msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return true;
}

void WaitPumping(DWORD milliseconds) {
    const DWORD start = GetTickCount();
    for (;;) {
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= milliseconds) break;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, milliseconds - elapsed, QS_ALLINPUT);
        if (!ProcessMessages()) break;
    }
}

}  // namespace ui
