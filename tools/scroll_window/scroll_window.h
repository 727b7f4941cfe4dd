// A scrollable test window (top-level, or a child of a frame) whose document rows each have a colour of their
// own, so that a stitched capture can be read back row by row. Each line-down
// scrolls a set number of pixels (optionally slowly, or not at all after a
// number of steps, as a hung window would) and is counted and logged. Used as
// a program of its own (scroll_window.exe) and, under Wine, on a thread of a
// test process: there a marker pixel drawn into the window stays in the
// window's surface, while one drawn into another process's window is
// overwritten by that window's next repaint.
#pragma once

#include <windows.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>

namespace scrollwin {

// Document rows are framed by a thin edge, like the sunken edge of a text
// view: EdgeAbove rows above the first row and EdgeBelow below the last, in
// EdgeColour. A capture that leaves out the view's edge (two pixels at the
// top and left, one at the right and bottom) sees document rows only.
constexpr int EdgeAbove = 2;
constexpr int EdgeBelow = 1;
constexpr COLORREF EdgeColour = RGB(0x40, 0x40, 0x40);

// With Options::child the pane lies this far inside its frame's client area.
constexpr int ChildInset = 12;
constexpr wchar_t FrameClass[] = L"VorlixScrollFrame";

// The most rows a document can have with colours of their own.
constexpr int MaxRows = 1 << 20;

// The colour of document row r (0 .. MaxRows - 1): unique, neighbours far
// apart, never grey and never the edge colour.
COLORREF RowColour(int row);
// The row of a colour, or -1 when it is no row colour.
int RowOfColour(COLORREF colour);

struct Options {
    int rows = 1000;          // document rows
    int lineStep = 3;         // pixels per line-down
    int delayMs = 0;          // each line-down waits this long before it scrolls
    int hangAfter = -1;       // line-downs answered before the window hangs
    int paintLateMs = 0;      // each line-down is answered at once and shown this much later
    bool repaint = false;     // redraws the whole view instead of moving its pixels
    bool endless = false;     // never reaches the end (rows repeat their colours after MaxRows)
    bool caption = true;      // a framed top-level window with a caption; else a bare popup
    bool scrollBar = true;    // WS_VSCROLL; without it the window draws nothing in its place
    bool child = false;       // a bordered child of a framed top-level window, as a document pane is
    int x = 200, y = 120;     // window position
    int clientWidth = 300, clientHeight = 200;
    std::wstring className = L"VorlixScrollTest";
    std::wstring title = L"Scroll test";
    std::wstring logPath;     // each line-down appends "<count> <position>\r\n"
};

// The window on the calling thread; that thread must pump messages.
class ScrollTestWindow {
public:
    explicit ScrollTestWindow(Options options);
    ~ScrollTestWindow();
    ScrollTestWindow(const ScrollTestWindow&) = delete;
    ScrollTestWindow& operator=(const ScrollTestWindow&) = delete;

    bool Create();
    HWND Handle() const { return window_; }  // the scrolling window (the child, with child set)
    HWND Frame() const { return frame_; }    // its top-level frame with child set, else null
    int Scrolls() const { return scrolls_; }    // line-downs received
    int Position() const { return position_; }  // top pixel row of the content shown
    // A hung window wakes up (the test ends).
    void Release() { SetEvent(release_); }

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void LineDown();
    void Paint();
    int ContentHeight() const;
    int MaxPosition() const;
    void UpdateBar();

    Options o_;
    HWND window_ = nullptr;
    HWND frame_ = nullptr;
    HANDLE release_ = nullptr;
    std::atomic<int> scrolls_{0}, position_{0};
};

// The window on a thread of its own, for a test process. The destructor
// closes it and waits for the thread.
class ScrollWindowThread {
public:
    explicit ScrollWindowThread(Options options);
    ~ScrollWindowThread();
    ScrollWindowThread(const ScrollWindowThread&) = delete;
    ScrollWindowThread& operator=(const ScrollWindowThread&) = delete;

    HWND Handle() const { return window_ ? window_->Handle() : nullptr; }
    int Scrolls() const { return window_ ? window_->Scrolls() : 0; }
    int Position() const { return window_ ? window_->Position() : 0; }

private:
    std::unique_ptr<ScrollTestWindow> owned_;
    ScrollTestWindow* window_ = nullptr;  // owned_ once its window exists
    std::thread thread_;
    DWORD threadId_ = 0;
};

}  // namespace scrollwin
