#include "capture/window_engine.h"

#include "capture/auto_scroll.h"
#include "capture/capture_finished.h"
#include "capture/freeze_window.h"
#include "base/globals.h"
#include "base/options_calls.h"
#include "base/hotkeys.h"
#include "capture/magnifier.h"
#include "capture/shading.h"
#include "capture/size_label.h"
#include "freeze/stelmon.h"
#include "hook/hovrak.h"

std::vector<TopLevelWindow> WindowList;
HWND HighlightedWindow = nullptr;
RECT HitRect{};
UINT_PTR AutoScrollTimer = 0;
bool (*StartAutoScrollProc)(HWND window) = StartAutoScroll;

namespace {

struct ListContext {
    HWND taskbar = nullptr;
    HWND shadow = nullptr;
};

RECT ClippedToScreen(RECT r) {
    if (r.left < 0) r.left = 0;
    if (r.top < 0) r.top = 0;
    if (r.right > ScreenWidth()) r.right = ScreenWidth();
    if (r.bottom > ScreenHeight()) r.bottom = ScreenHeight();
    return r;
}

// The program's main and freeze windows, and the freeze library's picture of
// the frozen screen (there while a selection that began before runs).
bool IsOwnWindow(HWND w) {
    if (w == MainWindow || (uFreezeForm && w == uFreezeForm->Handle())) return true;
    wchar_t name[64] = L"";
    GetClassNameW(w, name, 64);
    return lstrcmpW(name, kStelmonWindowClass) == 0;
}

bool AddTopLevel(HWND w, const ListContext& context) {
    if (!w || IsOwnWindow(w)) return false;
    if (w == context.taskbar && WindowList.size() != 1) return false;
    if (w == context.shadow) return false;
    RECT r;
    if (!GetWindowRect(w, &r)) return false;
    if (!IsWindowVisible(w) || WindowList.size() >= MaxTopLevelWindows) return false;
    TopLevelWindow entry;
    entry.handle = w;
    entry.rect = ClippedToScreen(r);
    WindowList.push_back(std::move(entry));
    return true;
}

BOOL CALLBACK AddChild(HWND w, LPARAM) {
    if (!w || WindowList.empty()) return TRUE;
    auto& children = WindowList.back().children;
    // The list keeps no more: the rest of this window's descendants are not
    // even looked at.
    if (children.size() >= MaxChildWindows) return FALSE;
    RECT r;
    if (!GetWindowRect(w, &r)) return TRUE;
    if (IsWindowVisible(w)) children.push_back(ListedWindow{w, ClippedToScreen(r)});
    return children.size() < MaxChildWindows;
}

void AddWithChildren(HWND w, const ListContext& context) {
    if (!AddTopLevel(w, context)) return;
    EnumChildWindows(w, AddChild, 0);
    // The taskbar is rarely near the top of the Z order; it is listed right
    // after the first listed window so that it can be reached.
    if (WindowList.size() == 1 && AddTopLevel(context.taskbar, context))
        EnumChildWindows(context.taskbar, AddChild, 0);
}

bool Contains(const RECT& r, POINT p) { return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom; }

long long Area(const RECT& r) { return static_cast<long long>(r.right - r.left) * (r.bottom - r.top); }

void ShowSizeOfHighlight() {
    if (Config.ShowSize && !IsRectEmpty(&HighlightRect))
        DrawSizeLabelOnFreezeWindow(HighlightRect.right - HighlightRect.left, HighlightRect.bottom - HighlightRect.top);
}

void BeginSelection() {
    // A second begin while a selection runs starts it afresh instead of
    // piling a second set of drawing resources on the first.
    if (WindowActive) EndWindowSelection();
    WindowActive = true;
    RegisterHotKey(MainWindow, EscAtom, 0, VK_ESCAPE);
    // (With the magnifier this is its copy of the screen; it has painted no
    // highlight yet.)
    BeginDrawing();
    HighlightedWindow = nullptr;
    HitRect = RECT{};
    HighlightRect = RECT{};
    BeginShade();
    // The window under the pointer is highlighted at once, not at the first
    // move.
    SendMessageW(MainWindow, WM_HOOK_MOVE, 0, 0);
}

// The release over a window that auto-scroll may take over. True when it
// did.
bool HandOverToAutoScroll(POINT point) {
    if (!Config.AutoScroll || TimerArmed) return false;
    // An open options dialog goes away first, unless it is the window
    // being captured: a scrolled window is captured live from the screen.
    if (OptionsOpen && CallOptionsDialogWindow() != HighlightedWindow) CallCloseOptionsDialog();
    if (!StartAutoScrollProc) return false;
    UnfreezeScreen();
    const HWND w = WindowFromPoint(point);
    RECT whole;
    if (!w || !GetWindowRect(w, &whole) || !EqualRect(&whole, &HitRect)) return false;
    return StartAutoScrollProc(w);
}

void Release(POINT point) {
    if (!HandOverToAutoScroll(point)) {
        // A timer capture follows the window: it is armed only for a
        // window that can be seen.
        if (TimerArmed) TimerArmed = HighlightedWindow && IsWindowVisible(HighlightedWindow);
        if (!CaptureHighlightedWindow(PlainScreenCopy.Dc())) TimerArmed = false;
    }
    EndWindowSelection();
}

}  // namespace

void BuildWindowList() {
    WindowList.clear();
    ListContext context;
    context.taskbar = FindWindowW(L"Shell_TrayWnd", nullptr);
    context.shadow = FindWindowW(L"SysShadow", nullptr);
    for (HWND w = GetTopWindow(GetDesktopWindow()); w; w = GetWindow(w, GW_HWNDNEXT)) AddWithChildren(w, context);
}

bool FindListedWindow(POINT point, HWND& window, RECT& rect) {
    for (const TopLevelWindow& top : WindowList) {
        if (!Contains(top.rect, point)) continue;
        const long long screenArea = static_cast<long long>(ScreenWidth()) * ScreenHeight();
        const ListedWindow* best = nullptr;
        long long bestArea = screenArea;
        for (const ListedWindow& child : top.children) {
            if (!Contains(child.rect, point)) continue;
            const long long area = Area(child.rect);
            if (area < bestArea) {
                best = &child;
                bestArea = area;
            }
        }
        const ListedWindow& hit = best ? *best : top;
        window = hit.handle;
        rect = hit.rect;
        return true;
    }
    return false;
}

void HitTestWindow(POINT point) {
    HWND w = nullptr;
    RECT r{};
    if (!FindListedWindow(point, w, r)) return;
    HitRect = r;
    HighlightedWindow = w;
    if (!Frozen || EqualRect(&r, &HighlightRect)) return;
    const HWND freeze = uFreezeForm ? uFreezeForm->Handle() : nullptr;
    // The freeze window must not repaint the plain picture over the
    // highlight meanwhile.
    if (freeze) SendMessageW(freeze, WM_SETREDRAW, FALSE, 0);
    DrawWindowHighlight(r);
    HighlightRect = r;
    if (freeze) SendMessageW(freeze, WM_SETREDRAW, TRUE, 0);
}

void WindowEngineEvent(UINT message, POINT point) {
    if (message != WM_HOOK_BEGIN) point = ZoomedToScreen(point);
    switch (message) {
        case WM_HOOK_BEGIN: BeginSelection(); break;
        case WM_HOOK_UP:
            if (WindowActive) Release(point);
            break;
        default:
            if (!WindowActive) break;
            HitTestWindow(point);
            if (!MagnifierActive()) {
                ShowSizeOfHighlight();
                break;
            }
            CheckZoomEdge();
            PaintZoom();
            // Only when nothing was repainted over it.
            if (RepaintCounter > 0) ShowSizeOfHighlight();
            break;
    }
}

bool CaptureHighlightedWindow(HDC source) {
    // Nothing highlighted: nothing is captured, so the previous image is not
    // delivered again as if it were this one.
    return CaptureArea(source, HighlightRect);
}

void EndWindowSelection() {
    if (AutoScrollTimer == 0 && !AutoScrollRunning) UnregisterHotKey(MainWindow, EscAtom);
    RestorePlainScreen();
    EndShade();
    EndDrawing();
    WindowActive = false;
}
