// The common tail of every capture: a 5 ms one-shot completion timer, whose
// handler finishes the image (edge effect, annotation, watermark) and hands
// it to the chosen destinations in their fixed order with the hook paused.
// Also the hand-over requests by which another program has an image file
// delivered.
#pragma once

#include <windows.h>

#include "base/configuration.h"
#include "base/temp_files.h"  // HandOverFileName
#include "ui/bitmap.h"

// Hand-over requests, one per destination (their parameters carry nothing).
constexpr UINT WM_HANDOVER_CLIPBOARD = WM_USER + 7;
constexpr UINT WM_HANDOVER_FILE = WM_USER + 8;
constexpr UINT WM_HANDOVER_EDITOR = WM_USER + 9;
constexpr UINT WM_HANDOVER_ZOVOZU = WM_USER + 10;
constexpr UINT WM_HANDOVER_MAIL = WM_USER + 11;
constexpr UINT WM_HANDOVER_WEB = WM_USER + 12;
constexpr UINT WM_HANDOVER_ICQ = WM_USER + 13;
constexpr UINT WM_HANDOVER_PRINTER = WM_USER + 14;
constexpr UINT WM_HANDOVER_CUSTOM = WM_USER + 15;  // delivered at once, no image loaded
constexpr UINT WM_HANDOVER_IM = WM_USER + 16;

// Id of the pending completion timer, 0 when none.
extern UINT_PTR CompletionTimer;
// The destinations of a hand-over between its message and its completion;
// empty otherwise.
extern TDestinations PendingDestinations;

// One destination routine: takes nothing, reports its own outcome, returns
// success. Indexed by TDestination; a destination without a routine (Custom)
// is skipped.
using DestinationRoutine = bool (*)();
extern DestinationRoutine DestinationRoutines[DestinationCount];

// Starts the completion timer unless one is pending.
void StartCompletion();
// An image for the completion road (a scan): into CaptureBitmap with the
// completion timer started, or, while another image waits for its
// completion, kept and delivered after it, so that no image is lost.
void QueueCapture(const ui::Bitmap& image);
void CALLBACK CaptureCompleteTimerProc(HWND window, UINT message, UINT_PTR id, DWORD time);

// The settings' destination set, the image finished, then delivered.
void FinishCapture();
// Every destination of set in the fixed order; a call while a delivery runs
// is ignored; an empty set is reported to the user.
void DeliverToDestinations(TDestinations set);

// Loads the hand-over file into CaptureBitmap, deletes it and has the image
// delivered to set alone (no finishing). A missing or unreadable file
// delivers nothing.
void DeliverHandOverImage(TDestinations set);

// The destination set of a hand-over message; 0 for any other message.
TDestinations HandOverDestinations(UINT message);
// Handles a hand-over message; false when message is none. A request that
// arrives while a completion is pending or a delivery runs waits until that
// delivery has ended.
bool HandOverRequest(UINT message);
