// A hovrak.dll that refuses to install, with the same exports as the real
// one: a test puts it beside the program to see the start-up fail cleanly.
#include "hook/hovrak.h"

HOVRAK_API BOOL WINAPI HookInstall(HWND, BOOL) { return FALSE; }
HOVRAK_API void WINAPI HookRemove() {}
HOVRAK_API void WINAPI HookStatus(BYTE) {}
HOVRAK_API void WINAPI HookCaptureType(BYTE) {}
HOVRAK_API void WINAPI HookCursorData(WORD) {}
HOVRAK_API void WINAPI HookHoldTime(WORD) {}
HOVRAK_API void WINAPI HookActivateWithMouse(BOOL) {}
HOVRAK_API void WINAPI HookRectangleSelection(BYTE) {}
HOVRAK_API void WINAPI HookStartRecording() {}
HOVRAK_API void WINAPI HookStopRecording() {}
