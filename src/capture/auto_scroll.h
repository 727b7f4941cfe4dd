// Auto-scroll capture: a window capture released over a window that can
// scroll vertically scrolls that window to its end and stitches its whole
// content into CaptureBitmap, which is then finished and delivered like any
// capture. The window engine starts it with a one-shot 50 ms timer once the
// screen is unfrozen, so the user watches the window scroll. Esc cancels;
// a click on the tray icon stops it and delivers what was stitched so far.
#pragma once

#include <windows.h>

#include "capture/scroll_stitch.h"
#include "ui/bitmap.h"

// The window engine's hand-over (StartAutoScrollProc): when window can
// scroll, the run is started by the one-shot 50 ms AutoScrollTimer (unless it
// is pending already) and the result is true.
bool StartAutoScroll(HWND window);
void StartAutoScrollTimer();
void CALLBACK AutoScrollTimerProc(HWND window, UINT message, UINT_PTR id, DWORD time);

// Scrolls window to its end and leaves the stitched image in bitmap. The
// result codes are scroll::Code: 0 done, 1 a run is going on, 2 the window
// cannot scroll, 4 no image could be made (reported already), 5 stopped with
// Esc, 6 stopped from the tray icon, 7 nothing scrolled (the visible part).
struct AutoScrollOptions {
    int maxRows = scroll::MaxImageRows;  // the tallest image
    DWORD stepWait = 16;                 // after each line-down, for the window to repaint
    DWORD answerTimeout = 2000;          // a line-down not answered in time ends the document
    scroll::Outcome* outcome = nullptr;  // how the run went (method, steps), when wanted
};
int AutoScrollCapture(HWND window, ui::Bitmap& bitmap, const AutoScrollOptions& options = {});

// Room for a scroll bar beside the client area (direction 1 vertical,
// 2 horizontal), or a class that draws its own.
bool CanScroll(HWND window, int direction);
