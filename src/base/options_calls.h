// The options dialog's entry points, and timer capture's stop, for the
// folders below the application that must reach them (the engines, the
// destinations, the error box): pointers that the options dialog sets when it
// is linked in, and timer capture for its stop; until a unit sets its
// pointer, the call does nothing. Holding them here, and not in the main
// window's header, keeps those folders from including the application.
#pragma once

#include <windows.h>

extern void (*OpenOptionsDialogProc)();
extern void (*StopTimerCaptureProc)();
// The options dialog's file page shows FileName, FileFormat and FileFolder
// anew (after the save prompt changed them).
extern void (*OptionsFileChoiceProc)();
// The rest of what the program asks of an open options dialog: close it
// (Exit, the Timer hotkey), move its capture-type mark (a capture hotkey
// changed CaptureType), drop its unnamed favourite rows (a capture gesture
// began), show the live settings anew and come to the front (the editor was
// replaced, a destination changed settings it shows), and show FixedWidth and
// FixedHeight (a dragged rectangle).
extern void (*CloseOptionsDialogProc)();
extern void (*RefreshCaptureTypeNodesProc)();
extern void (*DropEmptyFavoriteRowsProc)();
extern void (*ReloadOptionsDialogProc)();
extern void (*OptionsFixedSizeProc)();
// The dialog's window (null while none is open).
extern HWND (*OptionsDialogWindowProc)();
// While a hotkey field of the dialog has the focus, a hotkey of the program
// pressed is a key typed into the field: true when the field took it (the
// hotkey then does nothing).
extern bool (*OptionsHotkeyFieldProc)(int id, UINT modifiers, UINT key);
inline void CallOpenOptionsDialog() { if (OpenOptionsDialogProc) OpenOptionsDialogProc(); }
inline void CallStopTimerCapture() { if (StopTimerCaptureProc) StopTimerCaptureProc(); }
inline void CallOptionsFileChoiceChanged() { if (OptionsFileChoiceProc) OptionsFileChoiceProc(); }
inline void CallCloseOptionsDialog() { if (CloseOptionsDialogProc) CloseOptionsDialogProc(); }
inline void CallRefreshCaptureTypeNodes() { if (RefreshCaptureTypeNodesProc) RefreshCaptureTypeNodesProc(); }
inline void CallDropEmptyFavoriteRows() { if (DropEmptyFavoriteRowsProc) DropEmptyFavoriteRowsProc(); }
inline void CallReloadOptionsDialog() { if (ReloadOptionsDialogProc) ReloadOptionsDialogProc(); }
inline void CallOptionsFixedSizeChanged() { if (OptionsFixedSizeProc) OptionsFixedSizeProc(); }
inline HWND CallOptionsDialogWindow() { return OptionsDialogWindowProc ? OptionsDialogWindowProc() : nullptr; }
