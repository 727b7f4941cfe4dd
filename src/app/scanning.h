// The tray menu's scanner items and the hand-over of a finished scan to the
// completion road, on the main form's TWAIN component.
#pragma once

#include <windows.h>

#include "twain/twain.h"

// The main form's component (null before start-up and after shutdown).
extern twain::TTwain* Twain;

// Creates the component for the main form: the source's own dialog shown,
// everything closed after the first completed acquisition.
void CreateScanner(HWND form);
void DestroyScanner();

// "Acquire ...": the last scan is cleared, then an acquisition runs until the
// source closes. "Select Source ...": the manager's selection dialog. Both do
// nothing while a source is open.
void AcquireScan();
void SelectScanSource();

// OnChangeBitmap: the scan becomes a capture, finished and delivered exactly
// like one.
void TwainChangeBitmap();
