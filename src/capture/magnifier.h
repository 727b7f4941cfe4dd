// The magnifier: with ZoomOn the selection engines show the frozen screen
// magnified by ZoomFactor (2, 4 or 8) over the whole screen. The engines then
// draw their feedback into a memory copy of the screen (DrawDC) and this unit
// stretches the visible part of it, the view, onto the screen. Pointer
// positions are mapped from the magnified display back to the screen, so
// every selection works on real screen pixels. Near a screen edge the view
// pans toward it by 10 pixels every 3 ms.
#pragma once

#include <windows.h>

#include <cstdint>

// The part of the copy that is displayed (screen coordinates) and its size,
// fixed for one selection.
extern RECT ZoomView;
extern int ZoomViewWidth, ZoomViewHeight;
// The view last stretched onto the screen (empty at begin), and the window
// highlight at that paint.
extern RECT LastPaintedView;
extern RECT LastPaintedHighlight;
// 0 right after PaintZoom really painted; above 0 when the last call painted
// nothing (so a size label drawn now is not covered).
extern uint8_t RepaintCounter;
// The 3 ms pan timer (0 = none).
extern UINT_PTR PanTimer;

// The factor in use: ZoomFactor when it is 2, 4 or 8, else 2.
int ZoomFactorInUse();

// True between BeginZoom and EndZoom.
bool MagnifierActive();

// Takes the memory copy of the screen as DrawDC and places the view around
// the pointer, so that the pixel under it stays under it when magnified.
void BeginZoom();
// Stretches the view onto the screen, unless neither the view nor the window
// highlight changed since the last paint. True when it painted.
bool PaintZoom();
// Maps a pointer position on the magnified display to the screen.
void ScreenToZoom(POINT& point);
// point mapped by ScreenToZoom while the magnifier runs, else point.
POINT ZoomedToScreen(POINT point);
// The engines draw into the copy while the view stays as it was painted: the
// changed pieces are then forwarded instead of repainting everything.
bool ZoomForwarding();
// Stretches rect of the copy to its place in the magnified view on target.
void ForwardToZoomView(HDC target, const RECT& rect);
// Forwards rect to the screen while the view stays as painted.
void ForwardChange(const RECT& rect);
// Starts or stops panning by the pointer position.
void CheckZoomEdge();
// PaintZoom and CheckZoomEdge, as at the begin of a selection (nothing when
// the magnifier is off).
void ShowZoomAtBegin();
// Frees the copy (at the end of the current pan tick when called from it).
void EndZoom();
