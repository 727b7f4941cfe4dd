// src/hook: hovrak.dll, our stand-in for the outside hook library, and the
// gesture machine it runs. It includes no other folder of the program.
//
// The hook library's operations (hovrak.dll, bound at load time). It installs
// the system-wide low-level mouse and keyboard hooks and reports capture
// gestures to the window given to HookInstall with these messages. wParam is
// HookPointMark and lParam the pointer position where the event happened, in
// screen coordinates (x in the low, y in the high word, signed): a receiver
// that is busy when the button goes down still anchors the selection where
// the user pressed it, not where the pointer has got to since. A message
// without the mark carries no position (a hook library that passes nothing,
// or the program's own messages): its receiver reads GetCursorPos.
#pragma once

#include <windows.h>

constexpr UINT WM_HOOK_DOWN = WM_USER + 1;   // button down: anchor of the selection
constexpr UINT WM_HOOK_UP = WM_USER + 2;     // button released: take the capture
constexpr UINT WM_HOOK_MOVE = WM_USER + 3;   // pointer moved while selecting
constexpr UINT WM_HOOK_BEGIN = WM_USER + 4;  // a capture gesture began

// wParam of a gesture message whose lParam holds the position ("HVPT").
constexpr WPARAM HookPointMark = 0x48565054;

// The position a gesture message carries, if it carries one.
inline bool HookMessagePoint(WPARAM wParam, LPARAM lParam, POINT& point) {
    if (wParam != HookPointMark) return false;
    point.x = static_cast<short>(LOWORD(static_cast<DWORD>(lParam)));
    point.y = static_cast<short>(HIWORD(static_cast<DWORD>(lParam)));
    return true;
}

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
