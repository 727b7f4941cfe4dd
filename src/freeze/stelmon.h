// src/freeze: stelmon.dll, our stand-in for the outside freeze library. It
// includes no other folder of the program.
//
// The freeze library's operations (stelmon.dll, bound at load time): between
// FreezeInstall and FreezeRemove the other windows of the desktop do not
// repaint or change, so the screen stays as it was.
#pragma once

#include <windows.h>

#ifdef STELMON_BUILD
#define STELMON_API extern "C" __declspec(dllexport)
#else
#define STELMON_API extern "C" __declspec(dllimport)
#endif

// The window that shows the frozen screen belongs to this class (a topmost
// popup of the library's own thread, never activated).
constexpr wchar_t kStelmonWindowClass[] = L"StelmonFrozenScreen";

STELMON_API void WINAPI FreezeInstall();
STELMON_API void WINAPI FreezeRemove();
