#include "core/gesture_dispatch.h"

#include "core/freeze_window.h"
#include "core/globals.h"
#include "core/notice.h"
#include "core/rect_engine.h"
#include "core/settings_store.h"
#include "hook/hovrak.h"

bool SelectionRunning() { return FreeHandActive || RectangleActive || WindowActive; }

void HookGestureEvent(UINT message) {
    if (message == WM_HOOK_BEGIN) {
        // (With the options dialog open its empty favourite rows are dropped
        // here; the window capture builds its window list here.)
        FreezeScreen();
    }
    POINT point{};
    GetCursorPos(&point);
    switch (Config.CaptureType) {
        case ctRectangle: RectEngineEvent(message, point); break;
        // Free hand (1) and window (3) capture are routed here to their
        // engines.
        default: break;
    }
    if (message == WM_HOOK_UP) UnfreezeScreen();
}

void StartCaptureMode(uint8_t captureType) {
    if (captureType != Config.CaptureType) {
        Config.CaptureType = captureType;
        HookCaptureType(captureType);
        SaveConfiguration();
        // (An open options dialog moves its capture-type mark here.)
    }
    // With CaptureCursor 1 the program paints the pointer onto the screen
    // here (DrawCursorInRect of the cursor drawing) and starts the recording
    // with the cursor byte cleared, so that the hook does not paint a second
    // one: HookCursorData(CrosshairSize x 256), HookStartRecording,
    // HookCursorData(CursorData). Until the program paints it, the hook's own
    // painting of the cursor stands.
    HookStartRecording();
}

void EndCaptureByEsc() {
    const bool active = SelectionRunning();
    if (active) HookStopRecording();
    // Whichever engine runs is ended, whatever the capture type says now.
    if (RectangleActive) EndRectSelection();
    // (The free-hand and window engines end their selections here.)
    if (active) {
        UnfreezeScreen();
        NotifyCancelled();
    }
    TimerArmed = false;
    if (AutoScrollRunning) AutoScrollStop = 1;
}
