// The WM_HOTKEY router: what each of the program's hotkeys does, and the
// hotkeys held while the program is busy.
#pragma once

#include <windows.h>

#include <cstdint>

#include "base/hotkeys.h"

// What the hotkeys do. Entries that are null are not available in this build
// and their hotkeys do nothing.
struct HotkeyActions {
    void (*captureFullScreen)() = nullptr;
    void (*captureActiveWindow)() = nullptr;
    void (*startCaptureMode)(uint8_t captureType) = nullptr;
    void (*repeatCapture)() = nullptr;
    void (*closeOptions)() = nullptr;   // close the options dialog
    void (*armTimer)() = nullptr;       // the next capture starts timer mode
    void (*stopTimer)() = nullptr;
    void (*endCaptureByEsc)() = nullptr;
};

// The program's own actions.
const HotkeyActions& ProgramHotkeyActions();

// The WM_HOTKEY handler: `id` is the hotkey's atom. While a capture is being
// completed or delivered, or an error box is up, hotkeys are ignored, but for
// two that must never be lost: the Timer hotkey (a request to stop timer
// mode) and Esc are held and carried out by RunHeldHotkeys.
void RouteHotkey(int id, const HotkeyActions& actions);
inline void HandleHotkey(int id) { RouteHotkey(id, ProgramHotkeyActions()); }
// Carries out the held Timer (stopping timer mode if it runs) and Esc, once
// no completion, delivery or error box is busy any more; called when each of
// them ends.
void RunHeldHotkeys(const HotkeyActions& actions);
inline void RunHeldHotkeys() { RunHeldHotkeys(ProgramHotkeyActions()); }
