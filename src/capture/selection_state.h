// What a running selection shares between the engines, the shading and the
// magnifier: the DC the feedback is drawn on, the highlighted window, the
// corners of a dragged rectangle, and the geometry they are measured with.
// Shading and magnifier both read it from here, so neither needs the other's
// or an engine's state.
#pragma once

#include <windows.h>

#include <cstdint>

// The DC all selection feedback is drawn on: a display DC of the engine that
// began the selection (or the magnifier's memory copy of the screen).
extern HDC DrawDC;

// The window rectangle currently highlighted (set by the window engine after
// each DrawWindowHighlight); empty when none.
extern RECT HighlightRect;

// The corners of a rectangle being dragged, as the rectangle engine hands
// them to the shading for each repaint.
struct DragCorners {
    POINT anchor;    // where the button went down
    POINT current;   // the pointer pulled back one pixel toward the anchor
    POINT previous;  // the corner drawn last
    // Where current lies relative to anchor: 1 right-below, 2 right-above,
    // 3 left-above, 4 left-below.
    uint8_t quadrant;
};

int ScreenWidth();
int ScreenHeight();

RECT NormalizeRect(const RECT& r);
// Whether the pointer went far enough from a to b to make a selection: both
// coordinates changed and it moved at least 10 pixels.
bool MovedFarEnough(POINT a, POINT b);
