// Rectangle capture: the user drags a rectangle over the frozen screen, or
// moves a rectangle of the remembered fixed size with the pointer; the inside
// of it is cut into CaptureBitmap and the completion timer is armed. Driven by
// the gesture dispatch, one call per hook message.
#pragma once

#include <windows.h>

#include <cstdint>

#include "capture/selection_state.h"
#include "ui/bitmap.h"

// Anchor (A): where the button went down; (-1, -1) while not yet set.
extern POINT Anchor;
// Current corner (C): the pointer pulled back one pixel toward the anchor.
extern POINT CurrentCorner;
// Previous corner (P): the corner drawn last (before the anchor is set, where
// the crosshair was drawn last).
extern POINT PreviousCorner;
// Where C lies relative to A: 1 right-below, 2 right-above, 3 left-above,
// 4 left-below.
extern uint8_t Quadrant;
// The last selection, screen coordinates, right and bottom exclusive; repeat
// and timer capture take this area again.
extern RECT SelectionRect;

constexpr POINT NoAnchor{-1, -1};

// Routes a hook message with the pointer position to the drag or the
// fixed-size mode (RectSelection 0 or 1).
void RectEngineEvent(UINT message, POINT point);
void DragRectEvent(UINT message, POINT point);
void FixedRectEvent(UINT message, POINT point);

// Ends (or cancels) the selection: Esc unregistered, the screen restored, the
// drawing resources released.
void EndRectSelection();

void UpdateQuadrant();

// Guide lines of the large crosshair: the two rectangle edges that meet at
// corner k (rectangle between the anchor and k), prolonged to the screen
// edges. Before the anchor is set they form a full-screen crosshair.
void DrawGuideLines(POINT k);
// Copies the guide-line strips at k back from the plain copy: the vertical one
// only when x changes (k.x != next.x), the horizontal one only when y does.
void EraseGuideLines(POINT k, POINT next);
