// stelmon.dll: keeps the screen still while the program's selection runs.
//
// FreezeInstall copies the whole virtual screen and shows the copy in a
// borderless topmost window (class kStelmonWindowClass) that covers it. The
// window belongs to a thread of the library's own, so it repaints from the
// copy even while the program's thread is busy, and it never takes
// activation or the focus. Whatever the windows below it paint, move or bring
// to the front, the user keeps seeing the screen as it was; the program's own
// freeze window, brought to the front after FreezeInstall, stays above it.
// FreezeRemove destroys the window and the copy, and the screen shows the
// current state again. A second FreezeInstall while frozen does nothing, a
// FreezeRemove without FreezeInstall does nothing. Both return only when the
// window is up or gone, and while they wait they still answer messages sent
// to the calling thread, so they cannot deadlock with it.
//
// The copy is read with DCX_LOCKWINDOWUPDATE, so it works while the caller
// holds LockWindowUpdate on the desktop (the program does, around its
// FreezeInstall). Windows that are made topmost later can still appear above
// the copy.
#include "freeze/stelmon.h"

#include <mutex>

namespace {

constexpr UINT kStop = WM_APP + 1;

HINSTANCE g_module = nullptr;
std::mutex g_lock;
HANDLE g_thread = nullptr;
DWORD g_threadId = 0;

struct Frozen {
    int x = 0, y = 0, width = 0, height = 0;
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ oldBitmap = nullptr;
    HWND window = nullptr;
};

struct Start {
    HANDLE ready = nullptr;
    bool ok = false;
};

LRESULT CALLBACK SnapshotProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* frozen = reinterpret_cast<Frozen*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    switch (message) {
    case WM_NCCREATE: {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
        break;
    }
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        if (frozen != nullptr && frozen->dc != nullptr) {
            const RECT& r = ps.rcPaint;
            BitBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, frozen->dc, r.left, r.top, SRCCOPY);
        }
        EndPaint(window, &ps);
        return 0;
    }
    case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
    case WM_CLOSE: return 0;  // only FreezeRemove ends the freeze
    case WM_DESTROY: PostQuitMessage(0); return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

bool RegisterSnapshotClass() {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = SnapshotProc;
    wc.hInstance = g_module;
    wc.lpszClassName = kStelmonWindowClass;
    return RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

bool CopyScreen(Frozen& f) {
    f.x = GetSystemMetrics(SM_XVIRTUALSCREEN);
    f.y = GetSystemMetrics(SM_YVIRTUALSCREEN);
    f.width = GetSystemMetrics(SM_CXVIRTUALSCREEN);
    f.height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    if (f.width <= 0 || f.height <= 0) {
        f.x = f.y = 0;
        f.width = GetSystemMetrics(SM_CXSCREEN);
        f.height = GetSystemMetrics(SM_CYSCREEN);
    }
    HDC screen = GetDCEx(nullptr, nullptr, DCX_WINDOW | DCX_CACHE | DCX_LOCKWINDOWUPDATE);
    if (screen == nullptr) return false;
    f.dc = CreateCompatibleDC(screen);
    f.bitmap = f.dc ? CreateCompatibleBitmap(screen, f.width, f.height) : nullptr;
    bool ok = f.bitmap != nullptr;
    if (ok) {
        f.oldBitmap = SelectObject(f.dc, f.bitmap);
        ok = BitBlt(f.dc, 0, 0, f.width, f.height, screen, f.x, f.y, SRCCOPY | CAPTUREBLT) != FALSE;
    }
    ReleaseDC(nullptr, screen);
    return ok;
}

void FreeCopy(Frozen& f) {
    if (f.dc != nullptr) {
        if (f.oldBitmap != nullptr) SelectObject(f.dc, f.oldBitmap);
        DeleteDC(f.dc);
    }
    if (f.bitmap != nullptr) DeleteObject(f.bitmap);
    f = Frozen{};
}

DWORD WINAPI FreezeThread(LPVOID parameter) {
    auto* start = static_cast<Start*>(parameter);
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);  // the thread's message queue
    Frozen frozen;
    if (RegisterSnapshotClass() && CopyScreen(frozen)) {
        frozen.window = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, kStelmonWindowClass,
                                        L"", WS_POPUP, frozen.x, frozen.y, frozen.width, frozen.height, nullptr,
                                        nullptr, g_module, &frozen);
    }
    if (frozen.window == nullptr) {
        FreeCopy(frozen);
        start->ok = false;
        SetEvent(start->ready);
        return 1;
    }
    ShowWindow(frozen.window, SW_SHOWNOACTIVATE);
    SetWindowPos(frozen.window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    UpdateWindow(frozen.window);
    GdiFlush();
    start->ok = true;
    SetEvent(start->ready);  // `start` is gone after this
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (msg.hwnd == nullptr && msg.message == kStop) {
            DestroyWindow(frozen.window);  // posts WM_QUIT
            continue;
        }
        DispatchMessageW(&msg);
    }
    FreeCopy(frozen);
    return 0;
}

// Waits for `handle`, meanwhile running the messages other threads send to
// this one (posted messages stay queued for the caller's own loop).
void WaitAnsweringSentMessages(HANDLE handle) {
    for (;;) {
        const DWORD r = MsgWaitForMultipleObjects(1, &handle, FALSE, INFINITE, QS_SENDMESSAGE);
        if (r != WAIT_OBJECT_0 + 1) return;
        MSG msg;
        PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

}  // namespace

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        g_module = instance;
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

STELMON_API void WINAPI FreezeInstall() {
    std::lock_guard<std::mutex> lock(g_lock);
    if (g_thread != nullptr) return;
    // A thread of this library may outlive an unload request: keep the code.
    HMODULE pinned;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                       reinterpret_cast<LPCWSTR>(&FreezeInstall), &pinned);
    Start start;
    start.ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (start.ready == nullptr) return;
    DWORD id = 0;
    HANDLE thread = CreateThread(nullptr, 0, FreezeThread, &start, 0, &id);
    if (thread == nullptr) {
        CloseHandle(start.ready);
        return;
    }
    WaitAnsweringSentMessages(start.ready);
    CloseHandle(start.ready);
    if (!start.ok) {
        WaitAnsweringSentMessages(thread);
        CloseHandle(thread);
        return;
    }
    g_thread = thread;
    g_threadId = id;
}

STELMON_API void WINAPI FreezeRemove() {
    std::lock_guard<std::mutex> lock(g_lock);
    if (g_thread == nullptr) return;
    PostThreadMessageW(g_threadId, kStop, 0, 0);
    WaitAnsweringSentMessages(g_thread);
    CloseHandle(g_thread);
    g_thread = nullptr;
    g_threadId = 0;
}
