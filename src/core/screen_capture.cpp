#include "core/screen_capture.h"

#include <windows.h>

#include "core/completion.h"
#include "core/globals.h"
#include "core/rect_engine.h"
#include "core/work.h"
#include "ui/gdi.h"

void CaptureFullScreen() {
    ui::DcHandle screen = ui::CreateDisplayDc();
    CopyScreenToBitmap(0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), screen);
    // The mouse cursor is painted in here (CaptureCursor) once the cursor
    // drawing routines are part of the program.
    screen.reset();
    if (!CaptureBitmap.Empty()) StartCompletion();
}

void CaptureActiveWindow() {
    ui::DcHandle screen = ui::CreateDisplayDc();
    RECT r{};
    const HWND foreground = GetForegroundWindow();
    if (foreground) GetWindowRect(foreground, &r);
    CopyScreenToBitmap(r.left, r.top, r.right - r.left, r.bottom - r.top, screen);
    // The mouse cursor is painted in here (CaptureCursor) once the cursor
    // drawing routines are part of the program.
    screen.reset();
    if (!CaptureBitmap.Empty()) StartCompletion();
}

void RepeatCapture() {
    if (CaptureBitmap.Empty()) return;  // nothing captured since start-up
    ui::DcHandle screen = ui::CreateDisplayDc();
    switch (Config.RepeatMode) {
        case 0:  // the last image, finished and delivered once more
            StartCompletion();
            break;
        case 1:  // the last area, from the screen as it is now
            switch (Config.CaptureType) {
                case ctRectangle: {
                    const RECT r = SelectionRect;
                    CopyScreenToBitmap(r.left, r.top, r.right - r.left, r.bottom - r.top, screen);
                    StartCompletion();
                    break;
                }
                // The last free-hand outline and the last highlighted window
                // are cut again here once those engines are part of the program.
                default: break;
            }
            break;
        default: break;
    }
}
