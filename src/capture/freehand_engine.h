// Free-hand capture: the user draws any closed shape over the frozen screen
// while holding the button; the shape's bounding box is cut into
// CaptureBitmap with everything outside the shape painted white. While the
// user draws, the path is shown as marching dots (5 white and 3 red pixels,
// moving 2 pixels every 50 ms).
#pragma once

#include <windows.h>

#include <cstdint>

// At most this many points are recorded; one more slot closes the polygon.
constexpr int MaxFreeHandPoints = 5000;

// The recorded points (screen coordinates) and their bounding box (smallest
// and largest x and y, inclusive; empty when there are none). They stay after
// the selection ends: repeat and timer capture cut the same shape again.
extern POINT FreeHandPoints[MaxFreeHandPoints + 1];
extern int FreeHandCount;
extern RECT FreeHandBounds;

// The phase of the marching dots (128, 32, 8, 2, 128, ...) and the id of
// their 50 ms timer (0 = none).
extern uint8_t DotPattern;
extern UINT_PTR MarchingDotsTimer;

// Routes a hook message with the pointer position.
void FreeHandEngineEvent(UINT message, POINT point);

// Stops the dots and Esc, restores the screen and frees the copy.
void EndFreeHandSelection();

// Records a point (points beyond the limit are dropped) and keeps the bounds
// and the path's pixels up to date.
void AddFreeHandPoint(POINT point);

// Fills CaptureBitmap with the bounding box of the shape taken from source,
// white outside the shape (alternate filling) and a 2-pixel white line on its
// edge. False, with nothing changed, for a shape of two points or fewer or
// one whose box is flat or under 10 pixels on the diagonal.
bool CutFreeHandShape(HDC source);

// One tick of the marching dots: the phase moves on and the whole path is
// redrawn.
void CALLBACK MarchingDotsTimerProc(HWND window, UINT message, UINT_PTR id, DWORD time);
// Redraws the whole path in the current phase, in one block copy.
void DrawMarchingDots();
