// The program's one error box.
#pragma once

#include <windows.h>

#include <string>

// Modal, "Vorlix Message", error icon. While it is up a running timer
// capture is stopped (StopTimerCaptureProc), holding the mouse cannot start a
// capture and hotkeys are ignored (ErrorBoxShown).
void ShowError(const std::wstring& text);

// Called when the outermost error box has closed, so that what was held while
// it was up runs (the hotkey router defines it).
extern void (*ErrorBoxClosedProc)();
