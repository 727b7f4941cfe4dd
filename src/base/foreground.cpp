#include "base/foreground.h"

#include "base/globals.h"

bool ForceForegroundWindow(HWND window) {
    if (IsIconic(window)) ShowWindow(window, SW_RESTORE);
    if (GetForegroundWindow() == window) return true;
    const HWND foreground = GetForegroundWindow();
    const DWORD ourThread = GetWindowThreadProcessId(window, nullptr);
    const DWORD theirThread = foreground ? GetWindowThreadProcessId(foreground, nullptr) : 0;
    if (theirThread && theirThread != ourThread && AttachThreadInput(theirThread, ourThread, TRUE)) {
        BringWindowToTop(window);
        SetForegroundWindow(window);
        AttachThreadInput(theirThread, ourThread, FALSE);
    }
    if (GetForegroundWindow() != window) {
        DWORD timeout = 0;
        SystemParametersInfoW(SPI_GETFOREGROUNDLOCKTIMEOUT, 0, &timeout, 0);
        SystemParametersInfoW(SPI_SETFOREGROUNDLOCKTIMEOUT, 0, nullptr, SPIF_SENDCHANGE);
        BringWindowToTop(window);
        SetForegroundWindow(window);
        SystemParametersInfoW(SPI_SETFOREGROUNDLOCKTIMEOUT, 0, reinterpret_cast<void*>(static_cast<UINT_PTR>(timeout)),
                              SPIF_SENDCHANGE);
    }
    return GetForegroundWindow() == window;
}

bool ForceForegroundWindowNT(HWND window) {
    // A key event and a short-lived topmost window of our own make the
    // system accept the foreground change despite its foreground lock.
    HWND temp = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 0, 0,
                                nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    keybd_event(VK_RETURN, 0, KEYEVENTF_KEYUP, 0);
    const bool ok = SetForegroundWindow(window) != FALSE;
    if (temp) DestroyWindow(temp);
    return ok;
}

namespace {

HWND LastUserWindow = nullptr;

bool IsUserWindow(HWND w) {
    if (!w || w == MainWindow || w == ApplicationWindow || !IsWindowVisible(w)) return false;
    if (FreezeWindow && w == FreezeWindow) return false;
    RECT r{};
    return GetWindowRect(w, &r) && !IsRectEmpty(&r);
}

}  // namespace

void NoteUserWindow() {
    const HWND foreground = GetForegroundWindow();
    if (IsUserWindow(foreground)) LastUserWindow = foreground;
}

HWND UserWindow() {
    NoteUserWindow();
    return IsUserWindow(LastUserWindow) ? LastUserWindow : nullptr;
}

void GiveForegroundBack() {
    if (IsUserWindow(GetForegroundWindow())) return;  // the user's, or a dialog of ours the user sees
    if (IsUserWindow(LastUserWindow)) SetForegroundWindow(LastUserWindow);
}

bool IsNTPlatform() {
    OSVERSIONINFOW v{};
    v.dwOSVersionInfoSize = sizeof v;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    GetVersionExW(&v);
#pragma GCC diagnostic pop
    return v.dwPlatformId >= VER_PLATFORM_WIN32_NT;
}

bool BringWindowToFront(HWND window) {
    return IsNTPlatform() ? ForceForegroundWindowNT(window) : ForceForegroundWindow(window);
}
