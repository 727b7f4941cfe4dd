// A topmost window of the test process that covers the whole screen with a
// known picture: every pixel's colour tells its coordinates. It runs on a
// thread of its own, so it repaints whenever the system asks, whatever the
// test thread is doing.
#pragma once

#include <windows.h>

#include <thread>

namespace road {

// The picture: red = x mod 256, green = y mod 256, blue from the high bits
// of x and y (never the navy of the selection outline).
inline COLORREF Pattern(int x, int y) {
    return RGB(x & 255, y & 255, 200 + (x >> 8) * 10 + (y >> 8) * 3);
}

// Fill colour that stands for the picture.
constexpr COLORREF kPicture = 0xFFFFFFFF;

class PatternScreen {
public:
    PatternScreen();
    ~PatternScreen();
    PatternScreen(const PatternScreen&) = delete;
    PatternScreen& operator=(const PatternScreen&) = delete;

    HWND Window() const { return window_; }
    // Paints the window in one colour (kPicture: the picture again) and
    // waits until it has painted.
    void Fill(COLORREF colour);
    // SetCursorPos on the window's thread: under Wine the display's own
    // pointer follows only when a thread with a window of its own moves it.
    void PutPointer(int x, int y);

    // A further window on the window's thread, at r in screen coordinates,
    // showing the same picture (so the screen stays one picture): a topmost
    // top-level window above everything so far, or a child of parent.
    HWND AddWindow(const RECT& r, HWND parent = nullptr, DWORD style = 0);
    // Destroys a window made by AddWindow.
    void RemoveWindow(HWND window);
    // Moves and sizes the picture window itself (screen coordinates).
    void SetBounds(const RECT& r);

private:
    void Run();
    std::thread thread_;
    HANDLE ready_ = nullptr;
    HWND window_ = nullptr;
};

}  // namespace road
