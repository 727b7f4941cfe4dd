#include "base/options_calls.h"

void (*OpenOptionsDialogProc)() = nullptr;
void (*OptionsFileChoiceProc)() = nullptr;
void (*CloseOptionsDialogProc)() = nullptr;
void (*RefreshCaptureTypeNodesProc)() = nullptr;
void (*DropEmptyFavoriteRowsProc)() = nullptr;
void (*ReloadOptionsDialogProc)() = nullptr;
void (*OptionsFixedSizeProc)() = nullptr;
HWND (*OptionsDialogWindowProc)() = nullptr;
bool (*OptionsHotkeyFieldProc)(int, UINT, UINT) = nullptr;
// StopTimerCaptureProc is defined by timer capture, which it stops.
