#include "capture/magnifier.h"

#include <algorithm>

#include "base/globals.h"
#include "capture/selection_state.h"
#include "hook/hovrak.h"
#include "ui/gdi.h"

RECT ZoomView{};
int ZoomViewWidth = 0, ZoomViewHeight = 0;
RECT LastPaintedView{};
RECT LastPaintedHighlight{};
uint8_t RepaintCounter = 0;
UINT_PTR PanTimer = 0;

namespace {

constexpr int EdgeZone = 15;  // pixels from an edge that start panning
constexpr int PanStep = 10;

ui::DcHandle ZoomScreenDC;
ui::DcHandle CopyDc;
ui::BitmapHandle CopyBitmap;
HGDIOBJ CopyOldBitmap = nullptr;
bool InPanTick = false;
bool ZoomEndRequested = false;

bool EngineActive() { return FreeHandActive || RectangleActive || WindowActive; }

void ReleaseCopy() {
    if (DrawDC == CopyDc.get()) DrawDC = nullptr;
    if (CopyDc && CopyOldBitmap) SelectObject(CopyDc, CopyOldBitmap);
    CopyOldBitmap = nullptr;
    CopyDc.reset();
    CopyBitmap.reset();
    ZoomScreenDC.reset();
}

void StopPanning() {
    if (PanTimer) KillTimer(nullptr, PanTimer);
    PanTimer = 0;
}

// Keeps the view's size and moves it back onto the screen.
void ClampView() {
    RECT& v = ZoomView;
    if (v.left < 0) OffsetRect(&v, -v.left, 0);
    if (v.top < 0) OffsetRect(&v, 0, -v.top);
    if (v.right > ScreenWidth()) OffsetRect(&v, ScreenWidth() - v.right, 0);
    if (v.bottom > ScreenHeight()) OffsetRect(&v, 0, ScreenHeight() - v.bottom);
}

void CALLBACK ZoomPanTimerProc(HWND, UINT, UINT_PTR, DWORD) {
    if (!EngineActive() || !MagnifierActive()) return;
    POINT p{};
    GetCursorPos(&p);
    const int dx = ScreenWidth() - p.x <= EdgeZone ? PanStep : p.x <= EdgeZone ? -PanStep : 0;
    const int dy = ScreenHeight() - p.y <= EdgeZone ? PanStep : p.y <= EdgeZone ? -PanStep : 0;
    const RECT old = ZoomView;
    OffsetRect(&ZoomView, dx, dy);
    ClampView();
    const bool moved = !EqualRect(&old, &ZoomView);
    if (moved || RepaintCounter == 0) {
        // The engine repaints through its usual move handling (and puts its
        // size label back when the last paint covered it).
        InPanTick = true;
        SendMessageW(MainWindow, WM_HOOK_MOVE, 0, 0);
        InPanTick = false;
        if (ZoomEndRequested) {
            ZoomEndRequested = false;
            StopPanning();
            ReleaseCopy();
            return;
        }
    }
    // The view has met the screen's edge (or the pointer has left the edge
    // zone): nothing more to do until the pointer moves, which checks the
    // edge again. The program stays idle with the pointer at rest.
    if (!moved && RepaintCounter != 0) StopPanning();
}

}  // namespace

int ZoomFactorInUse() {
    const int f = Config.ZoomFactor;
    return (f == 2 || f == 4 || f == 8) ? f : 2;
}

bool MagnifierActive() { return static_cast<bool>(CopyDc); }

void BeginZoom() {
    StopPanning();
    ReleaseCopy();
    ZoomEndRequested = false;
    const int sw = ScreenWidth(), sh = ScreenHeight();
    ZoomScreenDC = ui::CreateDisplayDc();
    if (!ZoomScreenDC) return;
    ui::DcHandle dc(CreateCompatibleDC(ZoomScreenDC));
    ui::BitmapHandle bitmap(CreateCompatibleBitmap(ZoomScreenDC, sw, sh));
    if (!dc || !bitmap) {
        ZoomScreenDC.reset();
        return;
    }
    CopyOldBitmap = SelectObject(dc, bitmap);
    BitBlt(dc, 0, 0, sw, sh, ZoomScreenDC, 0, 0, SRCCOPY);
    CopyDc = std::move(dc);
    CopyBitmap = std::move(bitmap);
    DrawDC = CopyDc.get();

    RepaintCounter = 0;
    POINT c{};
    GetCursorPos(&c);
    const int factor = ZoomFactorInUse();
    ZoomViewWidth = sw / factor;
    ZoomViewHeight = sh / factor;
    // The pointer keeps its relative place: the pixel under it stays under
    // it when magnified (rounded, halves to even).
    const auto roundEven = [](long long num, long long den) {
        long long q = num / den, r = num % den;
        if (2 * r > den || (2 * r == den && (q & 1))) ++q;
        return static_cast<int>(q);
    };
    const int offsetX = roundEven(static_cast<long long>(c.x) * ZoomViewWidth, sw);
    const int offsetY = roundEven(static_cast<long long>(c.y) * ZoomViewHeight, sh);
    ZoomView = RECT{c.x - offsetX, c.y - offsetY, c.x - offsetX + ZoomViewWidth, c.y - offsetY + ZoomViewHeight};
    LastPaintedView = RECT{};
    LastPaintedHighlight = RECT{};
}

bool PaintZoom() {
    if (!EngineActive() || !MagnifierActive()) return false;
    RepaintCounter = static_cast<uint8_t>(std::min(RepaintCounter + 1, 2));
    const bool highlightChanged = WindowActive && !EqualRect(&HighlightRect, &LastPaintedHighlight);
    // Only a changed view or highlight needs the whole screen: every other
    // change reaches the screen as a forwarded piece.
    if (EqualRect(&ZoomView, &LastPaintedView) && !highlightChanged) return false;
    const int sw = ScreenWidth(), sh = ScreenHeight();
    SetStretchBltMode(ZoomScreenDC, COLORONCOLOR);
    StretchBlt(ZoomScreenDC, 0, 0, sw, sh, DrawDC, ZoomView.left, ZoomView.top, ZoomViewWidth, ZoomViewHeight,
               SRCCOPY);
    if (WindowActive) LastPaintedHighlight = HighlightRect;
    LastPaintedView = ZoomView;
    RepaintCounter = 0;
    return true;
}

void ScreenToZoom(POINT& point) {
    const int sw = ScreenWidth(), sh = ScreenHeight();
    point.x = point.x * ZoomViewWidth / sw + ZoomView.left;
    point.y = point.y * ZoomViewHeight / sh + ZoomView.top;
}

POINT ZoomedToScreen(POINT point) {
    if (MagnifierActive()) ScreenToZoom(point);
    return point;
}

bool ZoomForwarding() { return MagnifierActive() && EqualRect(&ZoomView, &LastPaintedView); }

void ForwardToZoomView(HDC target, const RECT& rect) {
    RECT i;
    if (!target || !DrawDC || !IntersectRect(&i, &rect, &ZoomView)) return;
    const RECT& v = ZoomView;
    const int sw = ScreenWidth(), sh = ScreenHeight();
    const int x1 = sw * (i.left - v.left) / (v.right - v.left), x2 = sw * (i.right - v.left) / (v.right - v.left);
    const int y1 = sh * (i.top - v.top) / (v.bottom - v.top), y2 = sh * (i.bottom - v.top) / (v.bottom - v.top);
    SetStretchBltMode(target, COLORONCOLOR);
    StretchBlt(target, x1, y1, x2 - x1, y2 - y1, DrawDC, i.left, i.top, i.right - i.left, i.bottom - i.top, SRCCOPY);
}

void ForwardChange(const RECT& rect) {
    if (ZoomForwarding()) ForwardToZoomView(ZoomScreenDC, rect);
}

void CheckZoomEdge() {
    if (!MagnifierActive()) return;
    POINT p{};
    GetCursorPos(&p);
    const bool inside = p.x > EdgeZone && p.y > EdgeZone && p.x < ScreenWidth() - EdgeZone &&
                        p.y < ScreenHeight() - EdgeZone;
    if (inside) StopPanning();
    else if (!PanTimer) PanTimer = SetTimer(nullptr, 0, 3, ZoomPanTimerProc);
}

void ShowZoomAtBegin() {
    if (!MagnifierActive()) return;
    PaintZoom();
    CheckZoomEdge();
}

void EndZoom() {
    StopPanning();
    if (InPanTick) {
        // The pan tick that sent the move this end came from still uses the
        // copy; it frees it when the move has been handled.
        ZoomEndRequested = true;
        return;
    }
    ReleaseCopy();
}
