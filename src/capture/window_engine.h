// Window capture: the window or child window under the pointer is shown
// tinted with a two-pixel navy frame on the frozen screen and, on release,
// its rectangle (as far as it lies on the screen) is cut into CaptureBitmap.
// A snapshot list of the visible windows and their children is built once
// when the gesture begins, so hit testing works on the frozen screen without
// asking the system (the freeze window covers everything).
#pragma once

#include <windows.h>

#include <vector>

// Limits of the window list.
constexpr int MaxTopLevelWindows = 100;
constexpr int MaxChildWindows = 150;

struct ListedWindow {
    HWND handle = nullptr;
    RECT rect{};  // screen coordinates, clipped to the screen
};

struct TopLevelWindow : ListedWindow {
    // Visible descendants in the order the system enumerates them.
    std::vector<ListedWindow> children;
};

// Top-level windows in Z order, topmost first.
extern std::vector<TopLevelWindow> WindowList;

// The window found by the last hit test (null when none): the window that
// repeat and timer capture take again.
extern HWND HighlightedWindow;
// Rectangle of the last hit test.
extern RECT HitRect;
// Id of the one-shot timer that starts an auto-scroll capture (0 = none).
extern UINT_PTR AutoScrollTimer;

// Auto-scroll capture takes over a window release here. Called on release
// with AutoScroll set and no timer capture armed, after the screen has been
// unfrozen, with the window under the pointer when that window's whole
// rectangle is the hit rectangle. Returns true when it has taken over (it
// can scroll and its start is pending in AutoScrollTimer): the window engine
// then captures nothing and leaves Esc registered. StartAutoScroll
// (auto_scroll.h); tests may set it to null: every window is then captured
// directly.
extern bool (*StartAutoScrollProc)(HWND window);

// Fills WindowList: at most 100 visible top-level windows (not the program's
// own main and freeze windows, not the shadow window; the taskbar only right
// after the first listed window), each with at most 150 visible descendants.
// Lets no message run meanwhile, so a quick click that follows the begin is
// handled in order, after the selection has started.
void BuildWindowList();

// The listed window under point: the smallest child of the first top-level
// window containing it, or that window itself. False when no listed window
// contains point.
bool FindListedWindow(POINT point, HWND& window, RECT& rect);

// Routes a hook message with the pointer position.
void WindowEngineEvent(UINT message, POINT point);

// Hit-tests point and, while frozen, moves the highlight when the hit
// rectangle changed.
void HitTestWindow(POINT point);

// Copies HighlightRect of source into CaptureBitmap and arms the completion
// timer. False (nothing captured, nothing to be delivered) when no window is
// highlighted.
bool CaptureHighlightedWindow(HDC source);

// Ends or cancels the selection: Esc released (unless an auto-scroll capture
// is pending or running), the screen restored, the drawing resources freed.
void EndWindowSelection();
