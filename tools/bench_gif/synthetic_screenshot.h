// A screenshot-like picture made the same way on every run: window frames
// with text, smooth gradients and a photo-like area of noisy colour. Used by
// the GIF benchmark and the codec's tests.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdint>

#include "ui/bitmap.h"

namespace synthetic {

// A small deterministic generator (xorshift32).
struct Random {
    uint32_t state;
    explicit Random(uint32_t seed) : state(seed ? seed : 1) {}
    uint32_t Next() {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    }
};

inline void FillGradient(ui::Bitmap& b, RECT r, COLORREF from, COLORREF to, bool vertical) {
    const int span = vertical ? r.bottom - r.top : r.right - r.left;
    for (int i = 0; i < span; ++i) {
        const int f = span > 1 ? i * 256 / (span - 1) : 0;
        auto mix = [&](int a, int z) { return a + (z - a) * f / 256; };
        const COLORREF c = RGB(mix(GetRValue(from), GetRValue(to)), mix(GetGValue(from), GetGValue(to)),
                               mix(GetBValue(from), GetBValue(to)));
        RECT line = vertical ? RECT{r.left, r.top + i, r.right, r.top + i + 1} : RECT{r.left + i, r.top, r.left + i + 1, r.bottom};
        b.FillRect(line, c);
    }
}

// Noisy, smoothly varying colour, like a photograph.
inline void FillPhoto(ui::Bitmap& b, RECT r, uint32_t seed) {
    Random random(seed);
    for (int y = std::max<LONG>(0, r.top); y < std::min<LONG>(b.Height(), r.bottom); ++y) {
        uint8_t* row = b.ScanLine(y);
        const int bpp = b.Bits() / 8;
        for (int x = std::max<LONG>(0, r.left); x < std::min<LONG>(b.Width(), r.right); ++x) {
            const int fx = (x - r.left) * 255 / std::max<LONG>(1, r.right - r.left);
            const int fy = (y - r.top) * 255 / std::max<LONG>(1, r.bottom - r.top);
            const int noise = int(random.Next() % 41) - 20;
            uint8_t* p = row + x * bpp;
            p[0] = uint8_t(std::clamp(fy / 2 + 60 + noise, 0, 255));             // blue
            p[1] = uint8_t(std::clamp((fx + fy) / 3 + 40 + noise / 2, 0, 255));  // green
            p[2] = uint8_t(std::clamp(200 - fx / 2 + noise, 0, 255));            // red
        }
    }
}

// Draws the picture into a bitmap of the given size (32 bits per pixel).
inline ui::Bitmap MakeScreenshot(int width, int height, uint32_t seed = 2024) {
    ui::Bitmap b(width, height, ui::PixelFormat::Bits32);
    if (b.Empty()) return b;
    b.Clear(RGB(58, 110, 165));  // desktop
    // Task bar.
    FillGradient(b, RECT{0, height - 30, width, height}, RGB(40, 60, 120), RGB(20, 30, 70), true);
    // A document window with text.
    const RECT win{width / 20, height / 20, width * 11 / 20, height * 17 / 20};
    FillGradient(b, RECT{win.left, win.top, win.right, win.top + 24}, RGB(0, 84, 227), RGB(61, 149, 255), false);
    b.FillRect(RECT{win.left, win.top + 24, win.right, win.bottom}, RGB(255, 255, 255));
    HDC dc = b.Canvas();
    HFONT font = CreateFontW(-13, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, ANTIALIASED_QUALITY,
                             0, L"Tahoma");
    HGDIOBJ old = SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(255, 255, 255));
    TextOutW(dc, win.left + 8, win.top + 5, L"Report.txt - Notepad", 20);
    SetTextColor(dc, RGB(0, 0, 0));
    static const wchar_t* const lines[] = {
        L"The quick brown fox jumps over the lazy dog. 0123456789",
        L"Screen captures hold text, gradients, icons and photographs.",
        L"Lorem ipsum dolor sit amet, consectetur adipiscing elit, sed do eiusmod",
        L"tempor incididunt ut labore et dolore magna aliqua. Ut enim ad minim veniam,",
    };
    int line = 0;
    for (int y = win.top + 32; y + 16 < win.bottom; y += 16, ++line) {
        const wchar_t* text = lines[line % 4];
        TextOutW(dc, win.left + 10, y, text, int(wcslen(text)));
    }
    SelectObject(dc, old);
    DeleteObject(font);
    // A picture viewer with a photograph and a toolbar of buttons.
    const RECT view{width * 12 / 20, height / 10, width * 19 / 20, height * 16 / 20};
    b.FillRect(view, RGB(236, 233, 216));
    FillGradient(b, RECT{view.left, view.top, view.right, view.top + 24}, RGB(0, 84, 227), RGB(61, 149, 255), false);
    FillPhoto(b, RECT{view.left + 8, view.top + 60, view.right - 8, view.bottom - 8}, seed);
    for (int i = 0; i < 8; ++i) {
        const int x = view.left + 8 + i * 34;
        b.FillRect(RECT{x, view.top + 30, x + 28, view.top + 54}, RGB(200 - i * 10, 200, 210 + i * 5));
    }
    // A colour wheel-like swatch and a sky gradient.
    FillGradient(b, RECT{width * 12 / 20, height * 16 / 20 + 10, width * 19 / 20, height - 40}, RGB(255, 128, 0),
                 RGB(0, 128, 255), false);
    return b;
}

}  // namespace synthetic
