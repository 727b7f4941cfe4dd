// Selection shading: while a selection runs, the area being selected is shown
// tinted with the highlight colour and framed by a navy outline. Two
// whole-screen copies are taken when a selection begins, a plain one and a
// tinted one, and every repaint is a block copy from one of them, so the
// selection feedback never reaches a capture (captures are cut from the plain
// copy).
#pragma once

#include <windows.h>

#include <cstdint>

#include "capture/selection_state.h"
#include "ui/bitmap.h"
#include "ui/gdi.h"

// A memory copy of the whole screen: a memory DC with a screen-sized bitmap
// compatible with the DC it was taken from.
class ScreenCopy {
public:
    ScreenCopy() = default;
    ScreenCopy(const ScreenCopy&) = delete;
    ScreenCopy& operator=(const ScreenCopy&) = delete;
    ~ScreenCopy() { Release(); }

    // Creates the copy compatible with source; with copyContent the screen
    // area of source is copied in. False when the memory cannot be had.
    bool Take(HDC source, bool copyContent);
    void Release();
    HDC Dc() const { return dc_.get(); }
    explicit operator bool() const { return static_cast<bool>(dc_); }

private:
    ui::DcHandle dc_;
    ui::BitmapHandle bitmap_;
    HGDIOBJ oldBitmap_ = nullptr;
};

extern ScreenCopy PlainScreenCopy;
extern ScreenCopy TintedScreenCopy;
extern bool ShadeActive;

// Blend tables: ColourShare[i] is 30 % of i (halves rounded down),
// ScreenShare[i] is 70 % of i (halves rounded up); their sum never exceeds 255.
struct BlendRGB {
    uint8_t red, green, blue;
};
extern BlendRGB BlendColour;
extern int ColourShare[256];
extern int ScreenShare[256];



// DrawDC for a selection: a display DC, or with ZoomOn the magnifier's
// memory copy of the screen. EndDrawing releases it.
void BeginDrawing();
void EndDrawing();
// Removes every trace of the selection feedback: the plain copy is painted
// where the freeze window is seen. Windows that came up above it meanwhile
// keep their own pixels; nothing happens when the screen is not frozen.
void RestorePlainScreen();

// Reads HighlightColor from the settings and fills the blend tables.
void SetBlendColor();
// Tints a 24-bit bitmap in place: 30 % highlight colour, 70 % picture.
void TintBitmap(ui::Bitmap& bitmap);

// Takes the plain and the tinted copy from DrawDC and selects the outline pen
// into DrawDC. Does nothing while shading is already active.
void BeginShade();
// Releases both copies and the pen. Does nothing unless shading is active.
void EndShade();

// Moves the window highlight to rect (right and bottom exclusive).
void DrawWindowHighlight(const RECT& rect);
// Repaints the dragged rectangle after its corner moved from the previous to
// the current corner. Does nothing unless shading is active.
void RedrawDragRectangle(const DragCorners& corners);
// Copies rect, right and bottom edges included, from the tinted or the plain
// copy to DrawDC, redraws the selection outline and forwards the piece to
// the magnified view.
void PaintPiece(const RECT& rect, bool tinted, const DragCorners& corners);
