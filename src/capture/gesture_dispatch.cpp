#include "capture/gesture_dispatch.h"

#include "capture/cursor_drawing.h"
#include "capture/freehand_engine.h"
#include "capture/freeze_window.h"
#include "base/globals.h"
#include "base/options_calls.h"
#include "base/notice.h"
#include "capture/rect_engine.h"
#include "base/settings_store.h"
#include "capture/window_engine.h"
#include "hook/hovrak.h"
#include "ui/gdi.h"

bool SelectionRunning() { return FreeHandActive || RectangleActive || WindowActive; }

namespace {

// The engine a message goes to: the one whose selection runs, else the one
// of the current capture type (a capture type changed in the middle of a
// selection must not strand the running engine with the screen frozen).
uint8_t EngineOfMessage() {
    if (FreeHandActive) return ctFreeHand;
    if (RectangleActive) return ctRectangle;
    if (WindowActive) return ctWindow;
    return Config.CaptureType;
}

}  // namespace

void HookGestureEvent(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_HOOK_BEGIN) {
        if (OptionsOpen) CallDropEmptyFavoriteRows();
        // The window list is taken before the freeze window covers the
        // screen.
        if (Config.CaptureType == ctWindow) BuildWindowList();
        FreezeScreen();
    }
    // Where the event happened, when the hook says so: the program may get
    // to the message only after the pointer has moved on.
    POINT point{};
    if (!HookMessagePoint(wParam, lParam, point)) GetCursorPos(&point);
    switch (EngineOfMessage()) {
        case ctRectangle: RectEngineEvent(message, point); break;
        case ctWindow: WindowEngineEvent(message, point); break;
        case ctFreeHand: FreeHandEngineEvent(message, point); break;
        default: break;
    }
    if (message == WM_HOOK_UP) UnfreezeScreen();
}

void StartCaptureMode(uint8_t captureType) {
    if (captureType != Config.CaptureType) {
        Config.CaptureType = captureType;
        HookCaptureType(captureType);
        SaveConfiguration();
        if (OptionsOpen) CallRefreshCaptureTypeNodes();
    }
    if (Config.CaptureCursor == 1) {
        // The pointer is painted onto the screen, so the frozen picture
        // holds it; the hook starts the recording with its own cursor
        // painting switched off, so there is no second one.
        {
            ui::DcHandle screen = ui::CreateDisplayDc();
            RECT desktop{};
            GetWindowRect(GetDesktopWindow(), &desktop);
            DrawCursorInRect(screen, desktop);
        }
        HookCursorData(static_cast<uint16_t>(Config.CrosshairSize << 8));
        HookStartRecording();
        HookCursorData(Config.CursorData());
    } else {
        HookStartRecording();
    }
}

void EndSelection() {
    // Whichever engine runs is ended, whatever the capture type says now.
    if (RectangleActive) EndRectSelection();
    if (WindowActive) EndWindowSelection();
    if (FreeHandActive) EndFreeHandSelection();
}

void EndCaptureByEsc() {
    const bool active = SelectionRunning();
    if (active) HookStopRecording();
    EndSelection();
    if (active) {
        UnfreezeScreen();
        NotifyCancelled();
    }
    TimerArmed = false;
    if (AutoScrollRunning) AutoScrollStop = 1;
}
