#include "capture/rect_engine.h"

#include <algorithm>
#include <cstdlib>

#include "capture/capture_finished.h"
#include "base/globals.h"
#include "base/options_calls.h"
#include "base/hotkeys.h"
#include "capture/magnifier.h"
#include "base/settings_store.h"
#include "capture/shading.h"
#include "capture/size_label.h"
#include "hook/hovrak.h"
#include "ui/gdi.h"

POINT Anchor = NoAnchor;
POINT CurrentCorner{};
POINT PreviousCorner{};
uint8_t Quadrant = 1;
RECT SelectionRect{};

namespace {

constexpr COLORREF FrameColour = 0x800000;  // navy

// Fixed-size mode: the union of the old and the new frame is composed here
// first and reaches the screen in one block, so the frame does not flicker.
ui::Bitmap FixedRectBitmap;
ui::PenHandle FixedRectPen;
HGDIOBJ FixedRectOldPen = nullptr, FixedRectOldBrush = nullptr;
RECT PrevFixedRect{};

bool AnchorSet() { return Anchor.x != NoAnchor.x || Anchor.y != NoAnchor.y; }

// The rectangle whose edges the guide lines prolong: between the anchor and
// k, or none (a full-screen crosshair) before the anchor is set.
RECT GuideRect(POINT k) {
    if (!AnchorSet()) return RECT{k.x, k.y, k.x, k.y};
    return NormalizeRect(RECT{Anchor.x, Anchor.y, k.x, k.y});
}

// The four guide-line strips at k (around rect r), as far as they changed,
// forwarded to the magnified view.
void ForwardGuideLines(POINT k, const RECT& r, bool vertical, bool horizontal) {
    if (!ZoomForwarding()) return;
    const int sw = ScreenWidth(), sh = ScreenHeight();
    if (vertical) {
        ForwardChange(RECT{k.x, 0, k.x + 1, r.top + 1});
        ForwardChange(RECT{k.x, r.bottom, k.x + 1, sh});
    }
    if (horizontal) {
        ForwardChange(RECT{0, k.y, r.left + 1, k.y + 1});
        ForwardChange(RECT{r.right, k.y, sw, k.y + 1});
    }
}

void MoveGuideLines(POINT to) {
    EraseGuideLines(PreviousCorner, to);
    DrawGuideLines(to);
}

void RegisterEsc() { RegisterHotKey(MainWindow, EscAtom, 0, VK_ESCAPE); }

void ReleaseFixedRectBitmap() {
    if (FixedRectBitmap.Canvas()) {
        if (FixedRectOldPen) SelectObject(FixedRectBitmap.Canvas(), FixedRectOldPen);
        if (FixedRectOldBrush) SelectObject(FixedRectBitmap.Canvas(), FixedRectOldBrush);
    }
    FixedRectOldPen = FixedRectOldBrush = nullptr;
    FixedRectBitmap = ui::Bitmap();
    FixedRectPen.reset();
}

// Copies rect (right and bottom exclusive) of the plain copy into
// CaptureBitmap and arms the completion timer. False when the area is empty:
// then nothing is captured and nothing will be delivered.
bool TakeSelection(const RECT& r) { return CaptureArea(PlainScreenCopy.Dc(), r); }

void BeginSelection() {
    // A second begin while a selection runs starts it afresh instead of
    // piling a second set of drawing resources on the first.
    if (RectangleActive) EndRectSelection();
    RectangleActive = true;
    RegisterEsc();
    BeginDrawing();
    ShowZoomAtBegin();
    BeginShade();
}

// The size of the dragged rectangle: the inside of the outline.
void ShowDragSize() {
    DrawSizeLabelOnFreezeWindow(std::abs(CurrentCorner.x - Anchor.x) - 1, std::abs(CurrentCorner.y - Anchor.y) - 1);
}

void MoveFixedRect(POINT point) {
    const int w = Config.FixedWidth, h = Config.FixedHeight;
    const int sw = ScreenWidth(), sh = ScreenHeight();
    RECT r{point.x - w / 2, point.y - h / 2, point.x - w / 2 + w, point.y - h / 2 + h};
    InflateRect(&r, 1, 1);  // the frame lies outside the captured area
    if (r.left < 0) OffsetRect(&r, -r.left, 0);
    if (r.top < 0) OffsetRect(&r, 0, -r.top);
    if (r.right > sw) OffsetRect(&r, sw - r.right, 0);
    if (r.bottom > sh) OffsetRect(&r, 0, sh - r.bottom);

    RECT u = r;
    if (!IsRectEmpty(&PrevFixedRect)) UnionRect(&u, &r, &PrevFixedRect);
    const HDC work = FixedRectBitmap.Canvas();
    if (work && DrawDC && ShadeActive) {
        BitBlt(work, u.left, u.top, u.right - u.left, u.bottom - u.top, PlainScreenCopy.Dc(), u.left, u.top, SRCCOPY);
        BitBlt(work, r.left, r.top, r.right - r.left, r.bottom - r.top, TintedScreenCopy.Dc(), r.left, r.top,
               SRCCOPY);
        Rectangle(work, r.left, r.top, r.right, r.bottom);
        BitBlt(DrawDC, u.left, u.top, u.right - u.left, u.bottom - u.top, work, u.left, u.top, SRCCOPY);
        // With the magnifier the change reaches the screen as one piece; the
        // whole view is repainted only when it moved.
        ForwardChange(u);
    }
    PrevFixedRect = r;
    RECT inside = r;
    InflateRect(&inside, -1, -1);
    // A fixed size larger than the screen is cut to the screen.
    const RECT screen{0, 0, sw, sh};
    if (!IntersectRect(&SelectionRect, &inside, &screen)) SelectionRect = RECT{};
}

}  // namespace

void UpdateQuadrant() {
    const POINT a = Anchor, c = CurrentCorner;
    // A later match overrides an earlier one, so ties resolve to the highest.
    if (c.x >= a.x && c.y >= a.y) Quadrant = 1;
    if (c.x >= a.x && a.y >= c.y) Quadrant = 2;
    if (a.x >= c.x && a.y >= c.y) Quadrant = 3;
    if (a.x >= c.x && c.y >= a.y) Quadrant = 4;
}

void DrawGuideLines(POINT k) {
    if (!DrawDC) return;
    const RECT r = GuideRect(k);
    const int sw = ScreenWidth(), sh = ScreenHeight();
    MoveToEx(DrawDC, k.x, 0, nullptr);
    LineTo(DrawDC, k.x, r.top);
    MoveToEx(DrawDC, k.x, r.bottom, nullptr);
    LineTo(DrawDC, k.x, sh);
    MoveToEx(DrawDC, 0, k.y, nullptr);
    LineTo(DrawDC, r.left, k.y);
    MoveToEx(DrawDC, r.right, k.y, nullptr);
    LineTo(DrawDC, sw, k.y);
    ForwardGuideLines(k, r, true, true);
}

void EraseGuideLines(POINT k, POINT next) {
    if (!DrawDC || !PlainScreenCopy) return;
    const RECT r = GuideRect(k);
    const int sw = ScreenWidth(), sh = ScreenHeight();
    const HDC plain = PlainScreenCopy.Dc();
    if (k.x != next.x) {
        BitBlt(DrawDC, k.x, 0, 1, r.top + 1, plain, k.x, 0, SRCCOPY);
        BitBlt(DrawDC, k.x, r.bottom, 1, sh - r.bottom, plain, k.x, r.bottom, SRCCOPY);
    }
    if (k.y != next.y) {
        BitBlt(DrawDC, 0, k.y, r.left + 1, 1, plain, 0, k.y, SRCCOPY);
        BitBlt(DrawDC, r.right, k.y, sw - r.right, 1, plain, r.right, k.y, SRCCOPY);
    }
    ForwardGuideLines(k, r, k.x != next.x, k.y != next.y);
}

void RectEngineEvent(UINT message, POINT point) {
    // The begin maps its point once the magnifier's view for this selection
    // is set (the view of the last selection would give the wrong place).
    if (message != WM_HOOK_BEGIN) point = ZoomedToScreen(point);
    switch (Config.RectSelection) {
        case 0: DragRectEvent(message, point); break;
        case 1: FixedRectEvent(message, point); break;
        default: break;
    }
}

void DragRectEvent(UINT message, POINT point) {
    if (RectangleActive && Config.CrosshairSize == 2 && !AnchorSet()) {
        MoveGuideLines(point);
        PreviousCorner = point;
    }
    switch (message) {
        case WM_HOOK_BEGIN:
            BeginSelection();
            point = ZoomedToScreen(point);
            Anchor = NoAnchor;
            SelectionRect = RECT{};
            PreviousCorner = point;
            // The crosshair appears at once, not at the first move.
            if (Config.CrosshairSize == 2) SendMessageW(MainWindow, WM_HOOK_MOVE, 0, 0);
            break;
        case WM_HOOK_DOWN:
            if (RectangleActive && !AnchorSet()) Anchor = PreviousCorner = CurrentCorner = point;
            break;
        case WM_HOOK_MOVE:
            if (RectangleActive && AnchorSet()) {
                CurrentCorner = point;
                UpdateQuadrant();
                // The corner is pulled back toward the anchor, so that the
                // outline through A and C surrounds exactly what the pointer
                // has swept.
                switch (Quadrant) {
                    case 1: CurrentCorner.x -= 1; CurrentCorner.y -= 1; break;
                    case 2: CurrentCorner.x -= 1; CurrentCorner.y += 1; break;
                    case 3: CurrentCorner.x += 1; CurrentCorner.y += 1; break;
                    default: CurrentCorner.x += 1; CurrentCorner.y -= 1; break;
                }
                if (ShadeActive && DrawDC) {
                    if (Config.CrosshairSize == 2) EraseGuideLines(PreviousCorner, CurrentCorner);
                    RedrawDragRectangle(DragCorners{Anchor, CurrentCorner, PreviousCorner, Quadrant});
                    if (Config.CrosshairSize == 2) DrawGuideLines(CurrentCorner);
                }
                if (Config.ShowSize && !MagnifierActive()) ShowDragSize();
                PreviousCorner = CurrentCorner;
            }
            if (MagnifierActive()) {
                CheckZoomEdge();
                PaintZoom();
                // Only when nothing was repainted over it.
                if (Config.ShowSize && RectangleActive && AnchorSet() && RepaintCounter > 0) ShowDragSize();
            }
            break;
        case WM_HOOK_UP: {
            if (!RectangleActive) break;
            bool taken = false;
            if (AnchorSet() && MovedFarEnough(Anchor, CurrentCorner)) {
                RECT r = NormalizeRect(RECT{Anchor.x, Anchor.y, CurrentCorner.x, CurrentCorner.y});
                // The outline through A and C stays outside the capture.
                r.left += 1;
                r.top += 1;
                SelectionRect = r;
                taken = TakeSelection(r);
                if (taken && !Config.LockFixedSize) {
                    Config.FixedWidth = static_cast<uint16_t>(std::abs(r.right - r.left));
                    Config.FixedHeight = static_cast<uint16_t>(std::abs(r.bottom - r.top));
                    // With the options dialog open its width and height
                    // edits show the size instead; it saves on closing.
                    if (OptionsOpen) CallOptionsFixedSizeChanged();
                    else SaveConfiguration();
                }
            }
            if (!taken) TimerArmed = false;
            EndRectSelection();
            break;
        }
        default: break;
    }
}

void FixedRectEvent(UINT message, POINT point) {
    switch (message) {
        case WM_HOOK_BEGIN: {
            BeginSelection();
            point = ZoomedToScreen(point);
            PrevFixedRect = RECT{};
            ReleaseFixedRectBitmap();
            FixedRectBitmap = ui::Bitmap(ScreenWidth(), ScreenHeight(), ui::PixelFormat::Device);
            if (const HDC work = FixedRectBitmap.Canvas()) {
                FixedRectPen.reset(CreatePen(PS_SOLID, 1, FrameColour));
                FixedRectOldPen = SelectObject(work, FixedRectPen);
                FixedRectOldBrush = SelectObject(work, GetStockObject(NULL_BRUSH));
            }
            MoveFixedRect(point);
            break;
        }
        case WM_HOOK_MOVE:
            if (!RectangleActive) break;
            MoveFixedRect(point);
            if (MagnifierActive()) {
                CheckZoomEdge();
                PaintZoom();
            }
            break;
        case WM_HOOK_UP:
            if (!RectangleActive) break;
            RectangleActive = false;
            if (!TakeSelection(SelectionRect)) TimerArmed = false;
            EndRectSelection();
            break;
        default: break;
    }
}

void EndRectSelection() {
    UnregisterHotKey(MainWindow, EscAtom);
    RestorePlainScreen();
    ReleaseFixedRectBitmap();
    EndShade();
    EndDrawing();
    RectangleActive = false;
}
