#include "capture/freehand_engine.h"

#include <algorithm>
#include <vector>

#include "capture/capture_finished.h"
#include "capture/cursor_drawing.h"
#include "base/globals.h"
#include "base/hotkeys.h"
#include "capture/magnifier.h"
#include "capture/selection_state.h"
#include "capture/shading.h"
#include "capture/size_label.h"
#include "hook/hovrak.h"
#include "ui/bitmap.h"
#include "ui/gdi.h"

POINT FreeHandPoints[MaxFreeHandPoints + 1];
int FreeHandCount = 0;
RECT FreeHandBounds{};
uint8_t DotPattern = 128;
UINT_PTR MarchingDotsTimer = 0;

namespace {

constexpr COLORREF OutlineWhite = 0xFFFFFF;
constexpr COLORREF SegmentRed = 0x0000FF;
constexpr uint32_t DotRed = 0x00FF0000;    // 32-bit pixel, red
constexpr uint32_t DotWhite = 0x00FFFFFF;  // 32-bit pixel, white
constexpr uint32_t OffScreen = 0x80000000;

// The path as the dots show it: the plain screen with the dots of the
// current phase on it. Only the path's pixels ever differ from the plain
// copy, so one block copy of the path's box from here redraws the whole path
// and nothing else.
ui::Bitmap DotsPicture;
uint8_t* DotsOrigin = nullptr;  // pixel (0, 0) of DotsPicture
int DotsStride = 0;             // bytes from one row to the next (negative: bottom-up)

// Byte offsets from DotsOrigin of the path's pixels, in drawing order (the
// pixels LineDDA gives for each segment, end point excluded), OffScreen for
// a pixel that lies outside the screen. Taken once per segment.
std::vector<int32_t> PathPixels;

bool PointsRecorded() { return FreeHandCount > 0; }

void TakeDotsPicture() {
    DotsPicture = ui::Bitmap(ScreenWidth(), ScreenHeight(), ui::PixelFormat::Bits32);
    DotsOrigin = nullptr;
    DotsStride = 0;
    if (DotsPicture.Empty() || !PlainScreenCopy) return;
    BitBlt(DotsPicture.Canvas(), 0, 0, ScreenWidth(), ScreenHeight(), PlainScreenCopy.Dc(), 0, 0, SRCCOPY);
    DotsOrigin = DotsPicture.ScanLine(0);
    DotsStride = DotsPicture.Height() > 1 ? static_cast<int>(DotsPicture.ScanLine(1) - DotsOrigin) : 0;
}

// The pixels of the path drawn so far go back to the plain screen (a new
// path starts).
void ClearPath() {
    if (PointsRecorded() && PlainScreenCopy) {
        const RECT b = FreeHandBounds;
        const int w = b.right - b.left + 1, h = b.bottom - b.top + 1;
        if (DotsPicture.Canvas()) BitBlt(DotsPicture.Canvas(), b.left, b.top, w, h, PlainScreenCopy.Dc(), b.left, b.top, SRCCOPY);
        if (DrawDC) BitBlt(DrawDC, b.left, b.top, w, h, PlainScreenCopy.Dc(), b.left, b.top, SRCCOPY);
        ForwardChange(RECT{b.left, b.top, b.left + w, b.top + h});
    }
    PathPixels.clear();
    FreeHandCount = 0;
    FreeHandBounds = RECT{};
}

void CALLBACK CollectPathPixel(int x, int y, LPARAM) {
    // The picture's size, not the system's: asking the system per pixel
    // costs more than everything else here.
    const bool on = x >= 0 && y >= 0 && x < DotsPicture.Width() && y < DotsPicture.Height();
    PathPixels.push_back(on ? y * DotsStride + x * 4 : static_cast<int32_t>(OffScreen));
}

void StopDots() {
    if (MarchingDotsTimer) KillTimer(nullptr, MarchingDotsTimer);
    MarchingDotsTimer = 0;
}

void BeginSelection() {
    // A second begin while a selection runs starts it afresh.
    if (FreeHandActive) EndFreeHandSelection();
    FreeHandActive = true;
    RegisterHotKey(MainWindow, EscAtom, 0, VK_ESCAPE);
    FreeHandCount = 0;
    FreeHandBounds = RECT{};
    PathPixels.clear();
    BeginDrawing();
    ShowZoomAtBegin();
    PlainScreenCopy.Take(DrawDC, true);
    // With the magnifier the path is a red line drawn as it grows, not dots.
    if (!MagnifierActive()) TakeDotsPicture();
}

// The newest segment as a red line in the magnifier's copy, forwarded to
// the magnified view.
void DrawNewestSegment() {
    const POINT a = FreeHandPoints[FreeHandCount - 2], b = FreeHandPoints[FreeHandCount - 1];
    ui::PenHandle pen(CreatePen(PS_SOLID, 1, SegmentRed));
    {
        ui::Selection penSel(DrawDC, pen);
        MoveToEx(DrawDC, a.x, a.y, nullptr);
        LineTo(DrawDC, b.x, b.y);
    }
    RECT box{std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
    InflateRect(&box, 1, 1);
    ForwardChange(box);
}

void ShowShapeSize() {
    const int w = FreeHandBounds.right - FreeHandBounds.left, h = FreeHandBounds.bottom - FreeHandBounds.top;
    DrawSizeLabelOnFreezeWindow(w, h);
    // The dots are redrawn by copying their box from this picture: the
    // label is part of what the screen shows.
    if (DotsPicture.Canvas()) DrawSizeLabel(w, h, DotsPicture.Canvas());
}

void Release() {
    UnregisterHotKey(MainWindow, EscAtom);
    StopDots();
    // Cut from the plain copy: neither the dots nor the size label may reach
    // the image.
    const bool ok = CutFreeHandShape(PlainScreenCopy.Dc());
    if (TimerArmed) TimerArmed = ok;
    if (ok) CaptureFinished();
    EndFreeHandSelection();
}

}  // namespace

void AddFreeHandPoint(POINT point) {
    if (FreeHandCount >= MaxFreeHandPoints) return;
    FreeHandPoints[FreeHandCount] = point;
    if (FreeHandCount == 0) {
        FreeHandBounds = RECT{point.x, point.y, point.x, point.y};
    } else {
        RECT& b = FreeHandBounds;
        b.left = std::min(b.left, point.x);
        b.top = std::min(b.top, point.y);
        b.right = std::max(b.right, point.x);
        b.bottom = std::max(b.bottom, point.y);
        // The new segment's pixels, once; every tick redraws them from here.
        if (FreeHandActive && DotsOrigin) {
            const POINT from = FreeHandPoints[FreeHandCount - 1];
            LineDDA(from.x, from.y, point.x, point.y, CollectPathPixel, 0);
        }
    }
    ++FreeHandCount;
    if (FreeHandActive && FreeHandCount > 1 && MagnifierActive()) DrawNewestSegment();
}

void DrawMarchingDots() {
    if (FreeHandCount < 2 || !DrawDC || !DotsOrigin) return;
    // The dot bit runs 1, 2, 4, ..., 128, 1, ... one step per pixel, from the
    // phase on; bits 32, 64 and 128 are red, the rest white.
    int step = 0;
    for (uint8_t p = DotPattern; p > 1; p >>= 1) ++step;
    GdiFlush();  // the label may just have been drawn into the picture
    for (const int32_t offset : PathPixels) {
        step = (step + 1) & 7;
        if (offset == static_cast<int32_t>(OffScreen)) continue;
        *reinterpret_cast<uint32_t*>(DotsOrigin + offset) = step >= 5 ? DotRed : DotWhite;
    }
    const RECT& b = FreeHandBounds;
    BitBlt(DrawDC, b.left, b.top, b.right - b.left + 1, b.bottom - b.top + 1, DotsPicture.Canvas(), b.left, b.top,
           SRCCOPY);
}

void CALLBACK MarchingDotsTimerProc(HWND, UINT, UINT_PTR, DWORD) {
    const uint8_t old = DotPattern;
    DotPattern = static_cast<uint8_t>(old >> 2);
    if (old < 4) DotPattern = 128;
    DrawMarchingDots();
}

void FreeHandEngineEvent(UINT message, POINT point) {
    if (message != WM_HOOK_BEGIN) point = ZoomedToScreen(point);
    switch (message) {
        case WM_HOOK_BEGIN: BeginSelection(); break;
        case WM_HOOK_DOWN:
            if (!FreeHandActive) break;
            ClearPath();
            if (!MagnifierActive()) {
                DotPattern = 128;
                if (!MarchingDotsTimer) MarchingDotsTimer = SetTimer(nullptr, 0, 50, MarchingDotsTimerProc);
            }
            AddFreeHandPoint(point);
            break;
        case WM_HOOK_MOVE:
            if (!FreeHandActive) break;
            if (FreeHandCount >= 1) AddFreeHandPoint(point);
            if (!MagnifierActive()) {
                if (Config.ShowSize && FreeHandCount > 1) ShowShapeSize();
                break;
            }
            CheckZoomEdge();
            PaintZoom();
            // Only when nothing was repainted over it.
            if (Config.ShowSize && FreeHandCount > 1 && RepaintCounter > 0) ShowShapeSize();
            break;
        case WM_HOOK_UP:
            if (FreeHandActive) Release();
            break;
        default: break;
    }
}

bool CutFreeHandShape(HDC source) {
    const RECT b = FreeHandBounds;
    if (FreeHandCount <= 2 || !source || !MovedFarEnough(POINT{b.left, b.top}, POINT{b.right, b.bottom})) return false;
    const int width = b.right - b.left, height = b.bottom - b.top;
    CopyScreenToBitmap(b.left, b.top, width, height, source);
    const HDC canvas = CaptureBitmap.Canvas();
    if (!canvas || CaptureBitmap.Width() != width || CaptureBitmap.Height() != height) return false;

    // The shape relative to the box, closed with a copy of its first point.
    std::vector<POINT> shape(FreeHandPoints, FreeHandPoints + FreeHandCount);
    shape.push_back(shape.front());
    for (POINT& p : shape) {
        p.x -= b.left;
        p.y -= b.top;
    }
    ui::RegionHandle outside(CreateRectRgn(0, 0, width, height));
    ui::RegionHandle inside(CreatePolygonRgn(shape.data(), static_cast<int>(shape.size()), ALTERNATE));
    if (outside && inside) CombineRgn(outside, outside, inside, RGN_DIFF);

    ui::PenHandle pen(CreatePen(PS_SOLID, 2, OutlineWhite));
    ui::BrushHandle brush(CreateSolidBrush(OutlineWhite));
    {
        ui::Selection penSel(canvas, pen), brushSel(canvas, brush);
        // The white line covers the edge of the shape.
        MoveToEx(canvas, shape[0].x, shape[0].y, nullptr);
        for (size_t i = 1; i < shape.size(); ++i) LineTo(canvas, shape[i].x, shape[i].y);
        if (outside) FillRgn(canvas, outside, brush);
    }
    if (TimerRunning && Config.CaptureCursor) {
        POINT cursor{};
        GetCursorPos(&cursor);
        cursor.x -= b.left;
        cursor.y -= b.top;
        if (inside && PtInRegion(inside, cursor.x, cursor.y)) DrawCursor(canvas, cursor.x, cursor.y);
    }
    return true;
}

void EndFreeHandSelection() {
    UnregisterHotKey(MainWindow, EscAtom);
    StopDots();
    RestorePlainScreen();
    EndDrawing();
    PlainScreenCopy.Release();
    DotsPicture = ui::Bitmap();
    DotsOrigin = nullptr;
    PathPixels.clear();
    PathPixels.shrink_to_fit();
    FreeHandActive = false;
}
