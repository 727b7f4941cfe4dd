#include "app/hotkey_router.h"

#include <utility>

#include "base/errors.h"
#include "base/foreground.h"
#include "base/globals.h"
#include "base/options_calls.h"
#include "capture/gesture_dispatch.h"
#include "capture/screen_capture.h"
#include "capture/timer_capture.h"
#include "ui/window.h"

namespace {

void PumpPendingMessages() { ui::ProcessMessages(); }

// The Timer hotkey and Esc that came while the program was busy.
bool HeldTimer = false, HeldEsc = false;

bool Busy() { return DeliveryBusy || CompletionRunning || ErrorBoxShown; }

}  // namespace

const HotkeyActions& ProgramHotkeyActions() {
    static const HotkeyActions actions = [] {
        HotkeyActions a;
        a.armTimer = ArmTimerCapture;
        a.stopTimer = StopTimerCapture;
        a.captureFullScreen = CaptureFullScreen;
        a.captureActiveWindow = CaptureActiveWindow;
        a.startCaptureMode = StartCaptureMode;
        a.repeatCapture = RepeatCapture;
        a.endCaptureByEsc = EndCaptureByEsc;
        a.closeOptions = CallCloseOptionsDialog;
        return a;
    }();
    return actions;
}

void RouteHotkey(int id, const HotkeyActions& actions) {
    if (id == 0) return;  // an atom that was never added
    NoteUserWindow();
    // Message boxes and notices pump messages: a hotkey arriving meanwhile
    // must not start a second delivery or capture on top of them. The user
    // who stops timer mode or presses Esc then must not have to try again
    // until one happens to come through.
    if (Busy()) {
        if (id == TimerAtom) HeldTimer = true;
        if (id == EscAtom) HeldEsc = true;
        return;
    }

    const bool busy =
        FreeHandActive || RectangleActive || WindowActive || TimerArmed || TimerRunning || AutoScrollRunning;
    if (!busy) {
        auto call = [](void (*f)()) { if (f) f(); };
        if (id == PrintScreenAtom) call(actions.captureFullScreen);
        else if (id == AltPrintScreenAtom) call(actions.captureActiveWindow);
        else if (id == FreeHandAtom || id == RectangleAtom || id == WindowAtom) {
            if (actions.startCaptureMode)
                actions.startCaptureMode(id == FreeHandAtom ? ctFreeHand : id == RectangleAtom ? ctRectangle : ctWindow);
        } else if (id == RepeatAtom) call(actions.repeatCapture);
        else if (id == TimerAtom && actions.armTimer) {
            if (OptionsOpen && actions.closeOptions) {
                actions.closeOptions();
                PumpPendingMessages();
            }
            actions.armTimer();
        }
    }
    // The Timer hotkey toggles: while timer mode runs it stops it.
    if (id == TimerAtom && TimerRunning && actions.stopTimer) actions.stopTimer();
    // Esc cancels a running selection, so it is honoured while an engine is active.
    if (id == EscAtom && actions.endCaptureByEsc) actions.endCaptureByEsc();
}

void RunHeldHotkeys(const HotkeyActions& actions) {
    if (Busy()) return;
    const bool timer = std::exchange(HeldTimer, false), esc = std::exchange(HeldEsc, false);
    // Held only as a stop: arming is a capture request, ignored while busy.
    if (timer && TimerRunning && actions.stopTimer) actions.stopTimer();
    if (esc && actions.endCaptureByEsc) actions.endCaptureByEsc();
}

void (*ErrorBoxClosedProc)() = [] { RunHeldHotkeys(); };
