// src/capture: the selection engines (free hand, rectangle, window) and what
// they draw with (the freeze window, shading, magnifier, size label, cursor),
// screen and timer capture, auto-scroll and its stitching. A finished capture
// leaves through capture_finished.h. It may include src/base, src/ui,
// src/hook and src/freeze; never the application or the options dialog.
//
// The hook library's gesture messages routed to the capture engine of the
// current capture type, the start of a capture by hotkey and its cancelling
// by Esc.
#pragma once

#include <windows.h>

#include <cstdint>

// Handler of WM_HOOK_DOWN, WM_HOOK_UP, WM_HOOK_MOVE and WM_HOOK_BEGIN. The
// engine gets the position the message carries (HookPointMark), else the
// pointer's position now.
void HookGestureEvent(UINT message, WPARAM wParam, LPARAM lParam);

// The Free Hand, Rectangle and Window hotkeys (capture types 1, 2, 3).
void StartCaptureMode(uint8_t captureType);

// The Esc hotkey: cancels a running selection, disarms an armed timer capture
// and stops auto-scroll.
void EndCaptureByEsc();

// Ends whichever engine's selection runs, without a notice and without
// unfreezing the screen.
void EndSelection();

// True while one of the selection engines runs.
bool SelectionRunning();
