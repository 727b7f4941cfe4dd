// hovrak.dll: the system-wide mouse and keyboard hook that turns the user's
// capture gesture into messages for the program's window.
//
// What it does
// - HookInstall(window, swapped) starts a thread of the library's own that
//   installs WH_MOUSE_LL and WH_KEYBOARD_LL and pumps their calls, so the
//   hooks answer at once even while the program's thread is busy. It returns
//   FALSE for a window that does not exist or when the hooks cannot be set; a
//   second call while installed only takes the new window and flag. `swapped`
//   names the physical left button the logical right one: the gesture is
//   always described in logical buttons.
// - Holding the right button: with mouse activation on and the status 1, a
//   right press (no other button down) is held back. Released before HoldTime
//   ms it is given back as an ordinary right click (press and release are
//   re-injected with SendInput by a worker thread, marked so that this hook
//   lets them pass). It is also given back, as a press, when the pointer
//   wanders more than 8 pixels, another button or a key is pressed, the status
//   goes to 0 or mouse activation is switched off: those are the user's own
//   drags and chords. Held for HoldTime ms, the gesture begins: WM_HOOK_BEGIN
//   is posted and the cursor turns into a crosshair; the right button's
//   release is then swallowed.
// - HookStartRecording begins a gesture at once (ignored while the status is 0
//   or a gesture already runs).
// - During a gesture every pointer move posts WM_HOOK_MOVE (moves themselves
//   reach the system); the left button's press posts WM_HOOK_DOWN and its
//   release WM_HOOK_UP, which ends the gesture and restores the cursor. For a
//   fixed-size rectangle (capture type 2, rectangle selection 1) no anchor is
//   needed: the press posts nothing and the release posts WM_HOOK_UP. Every
//   button press during a gesture, and the release of every press that was
//   swallowed, is kept from the window under the pointer, so a gesture causes
//   no click and no context menu anywhere.
// - HookStopRecording ends a gesture without a further message. HookStatus(0)
//   ends a running gesture silently and reports nothing until HookStatus(1).
// - Cursor-data word: when its low byte is 1 (include the cursor), the cursor
//   is painted onto the screen where it stands just before WM_HOOK_BEGIN, so
//   the frozen screen holds it; the program clears that byte around its own
//   HookStartRecording when it has painted the cursor itself. The high byte
//   (crosshair size) is drawn by the program; the hook shows the same
//   crosshair for both sizes.
// - The crosshair is set with SetSystemCursor and restored (SPI_SETCURSORS) at
//   the end of every gesture, at HookRemove and when the library unloads.
// - Messages are posted in the order the events happened, from the worker
//   thread. wParam is HookPointMark and lParam the pointer position of the
//   event (x in the low, y in the high word, signed): for a button or a move
//   the position the hook was given with it, for a gesture that began by
//   holding or by HookStartRecording the pointer's position at that moment.
//   A pointer move that is immediately followed by another queued move is
//   dropped so that a busy program is not flooded.
// The decisions are made by hovrak::GestureMachine (gesture_machine.h).
#include "hook/hovrak.h"

#include <atomic>
#include <bitset>
#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>

#include "hook/gesture_machine.h"

namespace {

using hovrak::Act;
using hovrak::Button;
using hovrak::Effects;

// dwExtraInfo of the events this library re-injects.
constexpr ULONG_PTR kReplayMark = 0x48564B52;
constexpr UINT kWake = WM_APP + 1;
constexpr DWORD kOcrNormal = 32512;

struct Job {
    enum Kind { Post, Input, DrawCursor, Crosshair, RestoreCursor } kind;
    UINT message = 0;
    LPARAM where = 0;  // Post: the pointer position of the event
    INPUT input{};
};

HMODULE g_module = nullptr;

// The recording build (bin/recording-hook/hovrak.dll, for the tests) also
// appends every setting it is handed to the file that VORLIX_HOOK_LOG names,
// one "Name value" line each.
void RecordSetting([[maybe_unused]] const char* name, [[maybe_unused]] unsigned value) {
#ifdef HOVRAK_RECORDING
    wchar_t path[MAX_PATH];
    if (!GetEnvironmentVariableW(L"VORLIX_HOOK_LOG", path, MAX_PATH)) return;
    HANDLE file = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    char line[96];
    const int n = wsprintfA(line, "%s %u\r\n", name, value);
    DWORD written = 0;
    WriteFile(file, line, static_cast<DWORD>(n), &written, nullptr);
    CloseHandle(file);
#endif
}

// g_lock guards everything below it; g_installLock serialises HookInstall
// and HookRemove.
std::mutex g_installLock;
std::mutex g_lock;
hovrak::GestureMachine g_machine;
bool g_installed = false;
HWND g_window = nullptr;
bool g_swapped = false;
DWORD g_hookThreadId = 0;
std::deque<Job> g_jobs;
int g_pendingInputs = 0;  // re-injections queued or in flight
bool g_workerStop = false;
std::condition_variable g_jobsChanged;

std::thread g_hookThread;
std::thread g_worker;
std::atomic<bool> g_cursorChanged{false};
std::bitset<256> g_keysDown;  // hook thread only

// Physical button of a logical one and back: with swapped buttons the
// physical left button is the logical right one.
Button Swap(Button b, bool swapped) {
    if (!swapped || b == Button::Middle) return b;
    return b == Button::Left ? Button::Right : Button::Left;
}

INPUT MouseInput(Button physical, bool down) {
    INPUT in{};
    in.type = INPUT_MOUSE;
    switch (physical) {
    case Button::Left: in.mi.dwFlags = down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP; break;
    case Button::Right: in.mi.dwFlags = down ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_RIGHTUP; break;
    case Button::Middle: in.mi.dwFlags = down ? MOUSEEVENTF_MIDDLEDOWN : MOUSEEVENTF_MIDDLEUP; break;
    }
    in.mi.dwExtraInfo = kReplayMark;
    return in;
}

// Called with g_lock held.
void Enqueue(Job job) {
    if (job.kind == Job::Input) ++g_pendingInputs;
    g_jobs.push_back(job);
    g_jobsChanged.notify_one();
}

LPARAM PointParam(POINT p) {
    return static_cast<LPARAM>(static_cast<DWORD>(static_cast<WORD>(p.x)) | (static_cast<DWORD>(static_cast<WORD>(p.y)) << 16));
}

// Called with g_lock held. `event` is the position of the mouse event that
// caused e; null for the library's operations and the hold time, whose
// messages carry the pointer's position now.
void Apply(const Effects& e, const POINT* event = nullptr) {
    if (!g_installed) return;
    for (const hovrak::Action& a : e.actions) {
        Job job{Job::Post};
        switch (a.act) {
        case Act::Post: {
            static const UINT messages[] = {WM_HOOK_BEGIN, WM_HOOK_DOWN, WM_HOOK_MOVE, WM_HOOK_UP};
            job.message = messages[a.arg & 3];
            POINT p{};
            if (event) p = *event;
            else GetCursorPos(&p);
            job.where = PointParam(p);
            break;
        }
        case Act::ReplayDown:
        case Act::ReplayUp:
            job.kind = Job::Input;
            job.input = MouseInput(Swap(static_cast<Button>(a.arg), g_swapped), a.act == Act::ReplayDown);
            break;
        case Act::DrawCursor: job.kind = Job::DrawCursor; break;
        case Act::Crosshair: job.kind = Job::Crosshair; break;
        case Act::RestoreCursor: job.kind = Job::RestoreCursor; break;
        }
        Enqueue(job);
    }
}

// Let the hook thread see a changed hold deadline.
void WakeHookThread() {
    if (g_hookThreadId != 0) PostThreadMessageW(g_hookThreadId, kWake, 0, 0);
}

void RestoreCursors() {
    if (g_cursorChanged.exchange(false)) SystemParametersInfoW(SPI_SETCURSORS, 0, nullptr, 0);
}

// A cursor handle that still exists.
bool CursorExists(HCURSOR cursor) {
    ICONINFO ii{};
    if (!GetIconInfo(cursor, &ii)) return false;
    if (ii.hbmMask) DeleteObject(ii.hbmMask);
    if (ii.hbmColor) DeleteObject(ii.hbmColor);
    return true;
}

void ShowCrosshair() {
    HCURSOR copy = CopyCursor(LoadCursorW(nullptr, IDC_CROSS));
    if (copy == nullptr) return;
    // A system that takes the cursor over destroys the copy (Windows); one
    // that leaves the copy alive has not taken it and changed nothing
    // (Wine's SetSystemCursor only answers TRUE), so the copy is ours to free
    // and there is nothing to restore.
    const bool answered = SetSystemCursor(copy, kOcrNormal) != FALSE;
    if (CursorExists(copy)) DestroyCursor(copy);
    else if (answered) g_cursorChanged = true;
}

void DrawCurrentCursor() {
    CURSORINFO ci{};
    ci.cbSize = sizeof ci;
    if (!GetCursorInfo(&ci) || !(ci.flags & CURSOR_SHOWING) || ci.hCursor == nullptr) return;
    ICONINFO ii{};
    if (!GetIconInfo(ci.hCursor, &ii)) return;
    if (ii.hbmMask) DeleteObject(ii.hbmMask);
    if (ii.hbmColor) DeleteObject(ii.hbmColor);
    HDC dc = GetDC(nullptr);
    if (dc == nullptr) return;
    DrawIconEx(dc, ci.ptScreenPos.x - static_cast<int>(ii.xHotspot), ci.ptScreenPos.y - static_cast<int>(ii.yHotspot),
               ci.hCursor, 0, 0, 0, nullptr, DI_NORMAL);
    ReleaseDC(nullptr, dc);
}

void WorkerLoop() {
    std::unique_lock<std::mutex> lock(g_lock);
    for (;;) {
        g_jobsChanged.wait(lock, [] { return !g_jobs.empty() || g_workerStop; });
        if (g_jobs.empty()) return;  // asked to stop and nothing left to do
        Job job = g_jobs.front();
        g_jobs.pop_front();
        const bool staleMove = job.kind == Job::Post && job.message == WM_HOOK_MOVE && !g_jobs.empty() &&
                               g_jobs.front().kind == Job::Post && g_jobs.front().message == WM_HOOK_MOVE;
        HWND window = g_window;
        lock.unlock();
        switch (job.kind) {
        case Job::Post:
            if (!staleMove) PostMessageW(window, job.message, HookPointMark, job.where);
            break;
        case Job::Input: SendInput(1, &job.input, sizeof(INPUT)); break;
        case Job::DrawCursor: DrawCurrentCursor(); break;
        case Job::Crosshair: ShowCrosshair(); break;
        case Job::RestoreCursor: RestoreCursors(); break;
        }
        lock.lock();
        if (job.kind == Job::Input) --g_pendingInputs;
    }
}

// Returns true when the event must be kept from the system.
bool HandleMouse(WPARAM message, const MSLLHOOKSTRUCT& info) {
    Button physical;
    bool down;
    switch (message) {
    case WM_MOUSEMOVE: {
        std::lock_guard<std::mutex> lock(g_lock);
        Apply(g_machine.Move(info.pt.x, info.pt.y, GetTickCount()), &info.pt);
        return false;
    }
    case WM_LBUTTONDOWN: physical = Button::Left; down = true; break;
    case WM_LBUTTONUP: physical = Button::Left; down = false; break;
    case WM_RBUTTONDOWN: physical = Button::Right; down = true; break;
    case WM_RBUTTONUP: physical = Button::Right; down = false; break;
    case WM_MBUTTONDOWN: physical = Button::Middle; down = true; break;
    case WM_MBUTTONUP: physical = Button::Middle; down = false; break;
    default: return false;  // wheel, extra buttons
    }
    std::lock_guard<std::mutex> lock(g_lock);
    const Button logical = Swap(physical, g_swapped);
    const DWORD now = GetTickCount();
    Effects e = down ? g_machine.Press(logical, info.pt.x, info.pt.y, now)
                     : g_machine.Release(logical, info.pt.x, info.pt.y, now);
    Apply(e, &info.pt);
    if (e.swallow) return true;
    if (g_pendingInputs > 0) {
        // A button given back is still on its way: this one must not overtake it.
        Enqueue(Job{Job::Input, 0, 0, MouseInput(physical, down)});
        return true;
    }
    return false;
}

LRESULT CALLBACK MouseProc(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION) {
        const auto& info = *reinterpret_cast<const MSLLHOOKSTRUCT*>(lParam);
        const bool ours = (info.flags & LLMHF_INJECTED) && info.dwExtraInfo == kReplayMark;
        if (!ours && HandleMouse(wParam, info)) return 1;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK KeyboardProc(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION) {
        const auto& info = *reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
        const std::size_t vk = info.vkCode & 0xFF;
        if (wParam == WM_KEYDOWN || wParam == WM_SYSKEYDOWN) {
            // Auto-repeat of a key held since before is no new key.
            if (!g_keysDown.test(vk)) {
                g_keysDown.set(vk);
                std::lock_guard<std::mutex> lock(g_lock);
                Apply(g_machine.KeyDown(GetTickCount()));
            }
        } else if (wParam == WM_KEYUP || wParam == WM_SYSKEYUP) {
            g_keysDown.reset(vk);
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void HookThreadMain(HANDLE ready, bool* ok, DWORD* threadId) {
    *threadId = GetCurrentThreadId();
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);  // the thread's message queue
    HHOOK mouse = SetWindowsHookExW(WH_MOUSE_LL, MouseProc, g_module, 0);
    HHOOK keyboard = SetWindowsHookExW(WH_KEYBOARD_LL, KeyboardProc, g_module, 0);
    *ok = mouse != nullptr && keyboard != nullptr;
    if (!*ok) {
        if (mouse) UnhookWindowsHookEx(mouse);
        if (keyboard) UnhookWindowsHookEx(keyboard);
        SetEvent(ready);
        return;
    }
    g_keysDown.reset();
    SetEvent(ready);
    for (;;) {
        DWORD timeout = INFINITE;
        {
            std::lock_guard<std::mutex> lock(g_lock);
            if (auto deadline = g_machine.Deadline()) {
                const auto left = static_cast<std::int32_t>(*deadline - GetTickCount());
                timeout = left > 0 ? static_cast<DWORD>(left) : 0;
            }
        }
        if (MsgWaitForMultipleObjectsEx(0, nullptr, timeout, QS_ALLINPUT, MWMO_INPUTAVAILABLE) == WAIT_TIMEOUT) {
            std::lock_guard<std::mutex> lock(g_lock);
            Apply(g_machine.Tick(GetTickCount()));
        }
        bool quit = false;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) quit = true;
            else DispatchMessageW(&msg);
        }
        if (quit) break;
    }
    UnhookWindowsHookEx(mouse);
    UnhookWindowsHookEx(keyboard);
}

void StopWorker() {
    {
        std::lock_guard<std::mutex> lock(g_lock);
        g_workerStop = true;
        g_jobsChanged.notify_one();
    }
    if (g_worker.joinable()) g_worker.join();
    std::lock_guard<std::mutex> lock(g_lock);
    g_jobs.clear();
    g_pendingInputs = 0;
    g_workerStop = false;
}

}  // namespace

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        g_module = instance;
        DisableThreadLibraryCalls(instance);
    } else if (reason == DLL_PROCESS_DETACH) {
        // Unloaded without HookRemove: at least the user gets the normal
        // cursor back.
        RestoreCursors();
    }
    return TRUE;
}

HOVRAK_API BOOL WINAPI HookInstall(HWND window, BOOL buttonsSwapped) {
    if (window == nullptr || !IsWindow(window)) return FALSE;
    try {
        std::lock_guard<std::mutex> install(g_installLock);
        {
            std::lock_guard<std::mutex> lock(g_lock);
            g_window = window;
            g_swapped = buttonsSwapped != FALSE;
            if (g_installed) return TRUE;
        }
        // The library's threads must never lose their code under them.
        HMODULE pinned;
        GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                           reinterpret_cast<LPCWSTR>(&HookInstall), &pinned);
        g_worker = std::thread(WorkerLoop);
        HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        if (ready == nullptr) {
            StopWorker();
            return FALSE;
        }
        bool ok = false;
        DWORD threadId = 0;
        g_hookThread = std::thread(HookThreadMain, ready, &ok, &threadId);
        WaitForSingleObject(ready, INFINITE);
        CloseHandle(ready);
        if (!ok) {
            g_hookThread.join();
            StopWorker();
            return FALSE;
        }
        std::lock_guard<std::mutex> lock(g_lock);
        g_hookThreadId = threadId;
        g_installed = true;
        return TRUE;
    } catch (const std::exception&) {
        return FALSE;
    }
}

HOVRAK_API void WINAPI HookRemove() {
    std::lock_guard<std::mutex> install(g_installLock);
    {
        std::lock_guard<std::mutex> lock(g_lock);
        if (!g_installed) return;
        Apply(g_machine.Reset());
    }
    // The worker hands back what is still queued before it stops; the hooks
    // stay until then so they let the re-injected buttons pass.
    StopWorker();
    DWORD threadId;
    {
        std::lock_guard<std::mutex> lock(g_lock);
        g_installed = false;
        threadId = g_hookThreadId;
        g_hookThreadId = 0;
    }
    PostThreadMessageW(threadId, WM_QUIT, 0, 0);
    if (g_hookThread.joinable()) g_hookThread.join();
    RestoreCursors();
}

HOVRAK_API void WINAPI HookStatus(BYTE status) {
    RecordSetting("HookStatus", static_cast<unsigned>(status));
    std::lock_guard<std::mutex> lock(g_lock);
    Apply(g_machine.SetStatus(status));
    WakeHookThread();
}

HOVRAK_API void WINAPI HookCaptureType(BYTE captureType) {
    RecordSetting("HookCaptureType", static_cast<unsigned>(captureType));
    std::lock_guard<std::mutex> lock(g_lock);
    g_machine.SetCaptureType(captureType);
}

HOVRAK_API void WINAPI HookCursorData(WORD cursorData) {
    RecordSetting("HookCursorData", static_cast<unsigned>(cursorData));
    std::lock_guard<std::mutex> lock(g_lock);
    g_machine.SetCursorData(cursorData);
}

HOVRAK_API void WINAPI HookHoldTime(WORD milliseconds) {
    RecordSetting("HookHoldTime", static_cast<unsigned>(milliseconds));
    std::lock_guard<std::mutex> lock(g_lock);
    g_machine.SetHoldTime(milliseconds);
    WakeHookThread();
}

HOVRAK_API void WINAPI HookActivateWithMouse(BOOL on) {
    RecordSetting("HookActivateWithMouse", static_cast<unsigned>(on));
    std::lock_guard<std::mutex> lock(g_lock);
    Apply(g_machine.SetActivateWithMouse(on != FALSE));
    WakeHookThread();
}

HOVRAK_API void WINAPI HookRectangleSelection(BYTE mode) {
    RecordSetting("HookRectangleSelection", static_cast<unsigned>(mode));
    std::lock_guard<std::mutex> lock(g_lock);
    g_machine.SetRectangleSelection(mode);
}

HOVRAK_API void WINAPI HookStartRecording() {
    std::lock_guard<std::mutex> lock(g_lock);
    // Without the hook there is nobody to report the selection.
    if (!g_installed) return;
    Apply(g_machine.StartRecording(GetTickCount()));
    WakeHookThread();
}

HOVRAK_API void WINAPI HookStopRecording() {
    std::lock_guard<std::mutex> lock(g_lock);
    Apply(g_machine.StopRecording());
    WakeHookThread();
}
