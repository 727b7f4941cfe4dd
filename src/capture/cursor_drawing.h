// The mouse cursor drawn into captures (CaptureCursor).
#pragma once

#include <windows.h>

// Draws the current mouse cursor on dc with its hot spot at (x, y).
void DrawCursor(HDC dc, int x, int y);

// When the pointer lies inside rect (screen coordinates, right and bottom
// excluded), draws the cursor on dc at its place relative to rect's top left.
void DrawCursorInRect(HDC dc, const RECT& rect);
