#include "capture/screen_capture.h"

#include <windows.h>

#include "base/foreground.h"
#include "capture/capture_finished.h"
#include "capture/cursor_drawing.h"
#include "capture/freehand_engine.h"
#include "base/globals.h"
#include "capture/rect_engine.h"
#include "capture/window_engine.h"
#include "ui/gdi.h"

void CaptureFullScreen() {
    ui::DcHandle screen = ui::CreateDisplayDc();
    CopyScreenToBitmap(0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), screen);
    POINT cursor{};
    if (Config.CaptureCursor && GetCursorPos(&cursor)) DrawCursor(CaptureBitmap.Canvas(), cursor.x, cursor.y);
    screen.reset();
    if (!CaptureBitmap.Empty()) CaptureFinished();
}

void CaptureActiveWindow() {
    ui::DcHandle screen = ui::CreateDisplayDc();
    RECT r{};
    // The window the user is in: never the program's own hidden windows,
    // which may hold the foreground after one of its boxes or prompts.
    const HWND active = UserWindow();
    if (active) GetWindowRect(active, &r);
    CopyScreenToBitmap(r.left, r.top, r.right - r.left, r.bottom - r.top, screen);
    if (Config.CaptureCursor && !IsRectEmpty(&r)) DrawCursorInRect(CaptureBitmap.Canvas(), r);
    screen.reset();
    if (!CaptureBitmap.Empty()) CaptureFinished();
}

void RepeatCapture() {
    if (CaptureBitmap.Empty()) return;  // nothing captured since start-up
    ui::DcHandle screen = ui::CreateDisplayDc();
    switch (Config.RepeatMode) {
        case 0:  // the last image, finished and delivered once more
            CaptureFinished();
            break;
        case 1:  // the last area, from the screen as it is now
            switch (Config.CaptureType) {
                case ctRectangle: CaptureArea(screen, SelectionRect); break;
                case ctFreeHand:
                    if (CutFreeHandShape(screen)) CaptureFinished();
                    break;
                case ctWindow: CaptureHighlightedWindow(screen); break;
                default: break;
            }
            break;
        default: break;
    }
}
