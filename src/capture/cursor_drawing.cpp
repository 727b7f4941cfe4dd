#include "capture/cursor_drawing.h"

#include "ui/gdi.h"

void DrawCursor(HDC dc, int x, int y) {
    if (!dc) return;
    ui::IconHandle icon;
    CURSORINFO info{};
    info.cbSize = sizeof info;
    if (GetCursorInfo(&info) && info.hCursor) icon.reset(CopyIcon(info.hCursor));
    if (!icon) icon.reset(CopyIcon(GetCursor()));
    if (!icon) return;
    ICONINFO ii{};
    if (!GetIconInfo(icon, &ii)) return;
    ui::BitmapHandle mask(ii.hbmMask), colour(ii.hbmColor);
    DrawIcon(dc, x - static_cast<int>(ii.xHotspot), y - static_cast<int>(ii.yHotspot), icon);
}

void DrawCursorInRect(HDC dc, const RECT& rect) {
    POINT p{};
    if (!GetCursorPos(&p)) return;
    if (p.x >= rect.left && p.x < rect.right && p.y >= rect.top && p.y < rect.bottom)
        DrawCursor(dc, p.x - rect.left, p.y - rect.top);
}
