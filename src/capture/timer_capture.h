// Timer capture: the Timer hotkey arms it; the next ordinary capture (free
// hand, rectangle or window) is delivered as usual and starts the period; on
// every tick the same area is captured again and delivered, optionally only
// when the image changed. The Timer hotkey again, a click on the tray icon,
// an error box, a cancelled save prompt or shutdown stop it.
#pragma once

#include <windows.h>

#include "ui/bitmap.h"

// True while a recapture runs (a stop request then takes effect when it
// ends).
extern bool TimerRecapturing;
// The periodic timer (0 = none).
extern UINT_PTR PeriodTimer;
// The last delivered timer image as captured, before finishing: the
// reference of the skip-identical comparison. Empty outside timer mode.
extern ui::Bitmap PreviousCapture;

// The Timer hotkey: the next capture gesture starts now and its capture
// starts timer mode.
void ArmTimerCapture();
// Called by the completion when a timer capture is armed, before the first
// capture is finished and delivered.
void StartTimerCapture();
void StopTimerCapture();

// The period in milliseconds: TimerPeriod (1..60) seconds or minutes
// (TimerUnit 0 or 1); values outside those ranges are taken to the nearest
// one the options offer.
UINT TimerPeriodMs();

void CALLBACK RepeatTimerProc(HWND window, UINT message, UINT_PTR id, DWORD time);
// One tick: the same kind of selection captured again and delivered if it
// changed.
void TimerRecapture();
// With TimerSkipIdentical: the two bitmaps have the same size, format and
// pixels. Always false without it.
bool SameBitmap(const ui::Bitmap& a, const ui::Bitmap& b);
