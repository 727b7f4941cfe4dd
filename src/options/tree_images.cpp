#include "options/tree_images.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "ui/gdi.h"

namespace {

constexpr COLORREF kMaskColor = RGB(255, 0, 255);

// Draws picture `index` into the square (0, 0, s, s).
void DrawPicture(HDC dc, int index, int s) {
    auto pen = [&](COLORREF c, int width) { return ui::PenHandle(CreatePen(PS_SOLID, width, c)); };
    auto brush = [&](COLORREF c) { return ui::BrushHandle(CreateSolidBrush(c)); };
    const int m = s / 8;  // margin
    switch (index) {
        case TreeIconActivate: {  // a mouse
            ui::PenHandle p = pen(RGB(64, 64, 64), 1);
            ui::BrushHandle b = brush(RGB(230, 230, 230));
            ui::Selection sp(dc, p), sb(dc, b);
            RoundRect(dc, s / 4, m, s - s / 4, s - m, s / 2, s / 2);
            MoveToEx(dc, s / 4, s / 2 - m, nullptr);
            LineTo(dc, s - s / 4, s / 2 - m);
            MoveToEx(dc, s / 2, m, nullptr);
            LineTo(dc, s / 2, s / 2 - m);
            break;
        }
        case TreeIconCapture: {  // a dashed selection frame
            ui::PenHandle p(CreatePen(PS_DOT, 1, RGB(0, 0, 160)));
            ui::BrushHandle b = brush(RGB(200, 220, 255));
            ui::Selection sp(dc, p), sb(dc, b);
            SetBkColor(dc, RGB(255, 255, 255));
            Rectangle(dc, m, m + s / 8, s - m, s - m - s / 8);
            break;
        }
        case TreeIconTimer: {  // a clock
            ui::PenHandle p = pen(RGB(0, 0, 0), 1);
            ui::BrushHandle b = brush(RGB(255, 255, 255));
            ui::Selection sp(dc, p), sb(dc, b);
            Ellipse(dc, m, m, s - m, s - m);
            MoveToEx(dc, s / 2, s / 2, nullptr);
            LineTo(dc, s / 2, m + 2);
            MoveToEx(dc, s / 2, s / 2, nullptr);
            LineTo(dc, s - m - 3, s / 2);
            break;
        }
        case 4: case 5: case 6: case 7: case 8: {
            RECT r{m, m, s - m, s - m};
            UINT state = index <= 5 ? DFCS_BUTTONRADIO : DFCS_BUTTONCHECK;
            if (index == 5 || index == 7) state |= DFCS_CHECKED;
            if (index == 8) state |= DFCS_INACTIVE;
            DrawFrameControl(dc, &r, DFC_BUTTON, state | DFCS_FLAT);
            break;
        }
        case TreeIconSendTo: {  // an arrow to the right
            ui::PenHandle p = pen(RGB(0, 100, 0), 1);
            ui::BrushHandle b = brush(RGB(60, 170, 60));
            ui::Selection sp(dc, p), sb(dc, b);
            const POINT pts[] = {{m, s / 2 - s / 8}, {s / 2, s / 2 - s / 8}, {s / 2, m},          {s - m, s / 2},
                                 {s / 2, s - m},     {s / 2, s / 2 + s / 8}, {m, s / 2 + s / 8}};
            Polygon(dc, pts, 7);
            break;
        }
        case TreeIconFavorites: {  // a star
            ui::PenHandle p = pen(RGB(160, 110, 0), 1);
            ui::BrushHandle b = brush(RGB(255, 200, 0));
            ui::Selection sp(dc, p), sb(dc, b);
            POINT pts[10];
            const double c = (s - 1) / 2.0, outer = c - 0.5, inner = outer * 0.45;
            for (int i = 0; i < 10; ++i) {
                const double a = -std::numbers::pi / 2 + i * std::numbers::pi / 5;
                const double r = i % 2 ? inner : outer;
                pts[i] = POINT{static_cast<LONG>(std::lround(c + r * std::cos(a))),
                               static_cast<LONG>(std::lround(c + r * std::sin(a)))};
            }
            Polygon(dc, pts, 10);
            break;
        }
        case TreeIconPrecision: {  // a magnifier
            ui::PenHandle p = pen(RGB(0, 0, 0), std::max(1, s / 8));
            ui::BrushHandle b = brush(RGB(220, 240, 255));
            ui::Selection sp(dc, p), sb(dc, b);
            Ellipse(dc, m, m, s * 5 / 8, s * 5 / 8);
            MoveToEx(dc, s * 9 / 16, s * 9 / 16, nullptr);
            LineTo(dc, s - m, s - m);
            break;
        }
        case TreeIconEnhance: {  // a sparkle
            ui::PenHandle p = pen(RGB(150, 0, 150), 1);
            ui::BrushHandle b = brush(RGB(230, 120, 230));
            ui::Selection sp(dc, p), sb(dc, b);
            const POINT pts[] = {{s / 2, m},         {s / 2 + s / 8, s / 2 - s / 8}, {s - m, s / 2},
                                 {s / 2 + s / 8, s / 2 + s / 8}, {s / 2, s - m}, {s / 2 - s / 8, s / 2 + s / 8},
                                 {m, s / 2},         {s / 2 - s / 8, s / 2 - s / 8}};
            Polygon(dc, pts, 8);
            break;
        }
        default: break;  // unused indexes stay empty
    }
}

}  // namespace

HIMAGELIST MakeTreeImages(int size) {
    HIMAGELIST list = ImageList_Create(size, size, ILC_COLOR24 | ILC_MASK, TreeIconCount, 0);
    ui::WindowDc screen(nullptr);
    ui::DcHandle dc(CreateCompatibleDC(screen));
    for (int i = 0; i < TreeIconCount; ++i) {
        ui::BitmapHandle bitmap(CreateCompatibleBitmap(screen, size, size));
        {
            ui::Selection sel(dc, bitmap);
            RECT all{0, 0, size, size};
            ui::BrushHandle mask(CreateSolidBrush(kMaskColor));
            FillRect(dc, &all, mask);
            DrawPicture(dc, i, size);
        }
        ImageList_AddMasked(list, bitmap, kMaskColor);
    }
    return list;
}
