// The hook library's operations (hovrak.dll, bound at load time). It installs
// the system-wide low-level mouse and keyboard hooks and reports capture
// gestures to the window given to HookInstall with these messages. wParam is
// 0; lParam holds the pointer position of the event in screen coordinates
// (GET_X_LPARAM / GET_Y_LPARAM), for a receiver that prefers it to reading
// GetCursorPos when it handles the message.
#pragma once

#include <windows.h>

constexpr UINT WM_HOOK_DOWN = WM_USER + 1;   // button down: anchor of the selection
constexpr UINT WM_HOOK_UP = WM_USER + 2;     // button released: take the capture
constexpr UINT WM_HOOK_MOVE = WM_USER + 3;   // pointer moved while selecting
constexpr UINT WM_HOOK_BEGIN = WM_USER + 4;  // a capture gesture began

#ifdef HOVRAK_BUILD
#define HOVRAK_API extern "C" __declspec(dllexport)
#else
#define HOVRAK_API extern "C" __declspec(dllimport)
#endif

HOVRAK_API BOOL WINAPI HookInstall(HWND window, BOOL buttonsSwapped);
HOVRAK_API void WINAPI HookRemove();
HOVRAK_API void WINAPI HookStatus(BYTE status);               // 0: report nothing until 1
HOVRAK_API void WINAPI HookCaptureType(BYTE captureType);     // 1 free hand, 2 rectangle, 3 window
HOVRAK_API void WINAPI HookCursorData(WORD cursorData);       // low byte cursor, high byte crosshair size
HOVRAK_API void WINAPI HookHoldTime(WORD milliseconds);
HOVRAK_API void WINAPI HookActivateWithMouse(BOOL on);
HOVRAK_API void WINAPI HookRectangleSelection(BYTE mode);     // 0 drag, 1 fixed size
HOVRAK_API void WINAPI HookStartRecording();
HOVRAK_API void WINAPI HookStopRecording();
