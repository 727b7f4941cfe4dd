// Pixel helpers for the finishing tests and a plain, unoptimised blur that the
// real one is held against.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "delivery/gaussian_blur.h"
#include "ui/bitmap.h"

namespace finishing_test {

// Reads and writes pixels of 24- and 32-bit bitmaps as RGB values.
COLORREF PixelAt(const ui::Bitmap& b, int x, int y);
void SetPixelAt(ui::Bitmap& b, int x, int y, COLORREF c);
void Fill(ui::Bitmap& b, COLORREF c);

// A bitmap of random colours, none of them the edge key colour.
ui::Bitmap RandomBitmap(int w, int h, ui::PixelFormat format, uint32_t seed);

// The bitmap's pixels as RGB values, row by row.
std::vector<COLORREF> Pixels(const ui::Bitmap& b);

// Blurs a 24-bit bitmap by the book: clamped indices, every sum in double
// precision in tap order, truncation toward zero.
void ReferenceBlur(ui::Bitmap& b, double radius);

}  // namespace finishing_test
