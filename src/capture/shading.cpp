#include "capture/shading.h"

#include <algorithm>

#include "capture/freeze_window.h"
#include "base/globals.h"
#include "capture/magnifier.h"

ScreenCopy PlainScreenCopy;
ScreenCopy TintedScreenCopy;
bool ShadeActive = false;

BlendRGB BlendColour{};
int ColourShare[256];
int ScreenShare[256];


namespace {

constexpr COLORREF OutlineColour = 0x800000;  // navy

ui::PenHandle OutlinePen;
HGDIOBJ OldPen = nullptr;

// The display DC a selection draws on (DrawDC points at it meanwhile).
ui::DcHandle OwnDrawDc;

void FillTables() {
    for (int i = 0; i < 256; ++i) {
        // 3/10 with halves going down, 7/10 with halves going up: the two
        // shares of a channel can never add up to more than 255.
        ColourShare[i] = (i * 3 + 4) / 10;
        ScreenShare[i] = (i * 7 + 5) / 10;
    }
}

// The tables do not depend on the colour; they are valid from the start.
[[maybe_unused]] const bool TablesReady = (FillTables(), true);

void Outline(const DragCorners& corners) {
    const POINT a = corners.anchor, c = corners.current;
    MoveToEx(DrawDC, a.x, a.y, nullptr);
    LineTo(DrawDC, c.x, a.y);
    LineTo(DrawDC, c.x, c.y);
    LineTo(DrawDC, a.x, c.y);
    LineTo(DrawDC, a.x, a.y);
}

RECT Span(POINT a, POINT b) { return NormalizeRect(RECT{a.x, a.y, b.x, b.y}); }

RECT Shrunk(RECT r) {
    InflateRect(&r, -1, -1);
    return r;
}

}  // namespace


bool ScreenCopy::Take(HDC source, bool copyContent) {
    Release();
    if (!source) return false;
    const int w = ScreenWidth(), h = ScreenHeight();
    ui::DcHandle dc(CreateCompatibleDC(source));
    ui::BitmapHandle bitmap(CreateCompatibleBitmap(source, w, h));
    if (!dc || !bitmap) return false;
    oldBitmap_ = SelectObject(dc, bitmap);
    if (copyContent) BitBlt(dc, 0, 0, w, h, source, 0, 0, SRCCOPY);
    dc_ = std::move(dc);
    bitmap_ = std::move(bitmap);
    return true;
}

void ScreenCopy::Release() {
    if (dc_ && oldBitmap_) SelectObject(dc_, oldBitmap_);
    oldBitmap_ = nullptr;
    dc_.reset();
    bitmap_.reset();
}

void BeginDrawing() {
    if (Config.ZoomOn) {
        BeginZoom();
        if (MagnifierActive()) return;
    }
    OwnDrawDc = ui::CreateDisplayDc();
    DrawDC = OwnDrawDc.get();
}

void EndDrawing() {
    if (MagnifierActive()) EndZoom();
    if (DrawDC == OwnDrawDc.get()) DrawDC = nullptr;
    OwnDrawDc.reset();
}

void RestorePlainScreen() {
    // Only where the freeze window is seen: the whole display would also get
    // the frozen picture over windows that came up above the freeze window
    // during the selection (a notification, a new window), and they would
    // stay stale. (A repaint through the window itself would reach the
    // screen under Wine only once the thread waits for messages again, while
    // a selection started afresh reads the screen at once.)
    if (!PlainScreenCopy || !Frozen || !uFreezeForm || !uFreezeForm->Handle()) return;
    const HWND freeze = uFreezeForm->Handle();
    RECT r{};
    GetWindowRect(freeze, &r);
    ui::RegionHandle seen(CreateRectRgnIndirect(&r));
    ui::RegionHandle above(CreateRectRgn(0, 0, 0, 0));
    if (!seen || !above) return;
    for (HWND w = GetWindow(freeze, GW_HWNDPREV); w; w = GetWindow(w, GW_HWNDPREV)) {
        if (!IsWindowVisible(w) || !GetWindowRect(w, &r)) continue;
        SetRectRgn(above, r.left, r.top, r.right, r.bottom);
        CombineRgn(seen, seen, above, RGN_DIFF);
    }
    ui::DcHandle screen = ui::CreateDisplayDc();
    if (!screen) return;
    SelectClipRgn(screen, seen);
    BitBlt(screen, 0, 0, ScreenWidth(), ScreenHeight(), PlainScreenCopy.Dc(), 0, 0, SRCCOPY);
}

void SetBlendColor() {
    const TColor c = Config.HighlightColor;
    BlendColour = BlendRGB{static_cast<uint8_t>(c & 0xFF), static_cast<uint8_t>((c >> 8) & 0xFF),
                           static_cast<uint8_t>((c >> 16) & 0xFF)};
    FillTables();
}

void TintBitmap(ui::Bitmap& bitmap) {
    if (bitmap.Empty() || bitmap.Bits() != 24) return;
    const uint8_t blue = static_cast<uint8_t>(ColourShare[BlendColour.blue]);
    const uint8_t green = static_cast<uint8_t>(ColourShare[BlendColour.green]);
    const uint8_t red = static_cast<uint8_t>(ColourShare[BlendColour.red]);
    const int width = bitmap.Width();
    for (int y = 0; y < bitmap.Height(); ++y) {
        uint8_t* p = bitmap.ScanLine(y);
        for (int x = 0; x < width; ++x, p += 3) {
            p[0] = static_cast<uint8_t>(blue + ScreenShare[p[0]]);
            p[1] = static_cast<uint8_t>(green + ScreenShare[p[1]]);
            p[2] = static_cast<uint8_t>(red + ScreenShare[p[2]]);
        }
    }
}

void BeginShade() {
    if (ShadeActive || !DrawDC) return;
    const int w = ScreenWidth(), h = ScreenHeight();
    if (!PlainScreenCopy.Take(DrawDC, true) || !TintedScreenCopy.Take(DrawDC, false)) {
        PlainScreenCopy.Release();
        TintedScreenCopy.Release();
        return;
    }
    {
        // Tinting runs once per selection, on a 24-bit copy through the
        // tables; every later repaint is a plain block copy.
        ui::Bitmap work(w, h, ui::PixelFormat::Bits24);
        if (!work.Empty()) {
            BitBlt(work.Canvas(), 0, 0, w, h, PlainScreenCopy.Dc(), 0, 0, SRCCOPY);
            TintBitmap(work);
            BitBlt(TintedScreenCopy.Dc(), 0, 0, w, h, work.Canvas(), 0, 0, SRCCOPY);
        } else {
            BitBlt(TintedScreenCopy.Dc(), 0, 0, w, h, PlainScreenCopy.Dc(), 0, 0, SRCCOPY);
        }
    }
    OutlinePen.reset(CreatePen(PS_SOLID, 1, OutlineColour));
    OldPen = OutlinePen ? SelectObject(DrawDC, OutlinePen) : nullptr;
    ShadeActive = true;
}

void EndShade() {
    if (!ShadeActive) return;
    if (DrawDC && OldPen) SelectObject(DrawDC, OldPen);
    OldPen = nullptr;
    OutlinePen.reset();
    TintedScreenCopy.Release();
    PlainScreenCopy.Release();
    ShadeActive = false;
}

void DrawWindowHighlight(const RECT& rect) {
    if (!ShadeActive || !DrawDC) return;
    const RECT& old = HighlightRect;
    if (!IsRectEmpty(&old)) {
        // One extra column and row, so that the old outline disappears too.
        BitBlt(DrawDC, old.left, old.top, old.right - old.left + 1, old.bottom - old.top + 1, PlainScreenCopy.Dc(),
               old.left, old.top, SRCCOPY);
    }
    BitBlt(DrawDC, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, TintedScreenCopy.Dc(),
           rect.left, rect.top, SRCCOPY);
    RECT r = rect;
    for (int frame = 0; frame < 2; ++frame) {
        MoveToEx(DrawDC, r.left, r.top, nullptr);
        LineTo(DrawDC, r.right, r.top);
        LineTo(DrawDC, r.right, r.bottom);
        LineTo(DrawDC, r.left, r.bottom);
        LineTo(DrawDC, r.left, r.top);
        InflateRect(&r, -1, -1);
    }
}

void PaintPiece(const RECT& rect, bool tinted, const DragCorners& corners) {
    if (!ShadeActive || !DrawDC) return;
    const HDC source = tinted ? TintedScreenCopy.Dc() : PlainScreenCopy.Dc();
    BitBlt(DrawDC, rect.left, rect.top, rect.right - rect.left + 1, rect.bottom - rect.top + 1, source, rect.left,
           rect.top, SRCCOPY);
    Outline(corners);
    ForwardChange(RECT{rect.left, rect.top, rect.right + 1, rect.bottom + 1});
}

void RedrawDragRectangle(const DragCorners& corners) {
    if (!ShadeActive || !DrawDC) return;
    const POINT a = corners.anchor, c = corners.current, p = corners.previous;

    const RECT oldRect = Span(a, p);
    const RECT stripX = Span(POINT{p.x, a.y}, POINT{c.x, p.y});
    const RECT corner = Span(p, c);
    const RECT stripY = Span(POINT{a.x, p.y}, POINT{p.x, c.y});
    const RECT newRect = Span(a, c);

    RECT overlap;
    const RECT oldInside = Shrunk(oldRect), newInside = Shrunk(newRect);
    if (IntersectRect(&overlap, &oldInside, &newInside)) {
        // Only the strips between the old and the new rectangle change: from
        // the tinted copy where the selection grew, from the plain one where
        // it shrank.
        bool grewX = false, grewY = false;
        switch (corners.quadrant) {
            case 1: grewX = c.x >= p.x; grewY = c.y >= p.y; break;
            case 2: grewX = c.x >= p.x; grewY = p.y >= c.y; break;
            case 3: grewX = p.x >= c.x; grewY = p.y >= c.y; break;
            default: grewX = p.x >= c.x; grewY = c.y >= p.y; break;
        }
        PaintPiece(stripX, grewX, corners);
        PaintPiece(stripY, grewY, corners);
        PaintPiece(corner, grewX && grewY, corners);
    } else {
        PaintPiece(oldRect, false, corners);
        PaintPiece(newRect, true, corners);
    }
}
