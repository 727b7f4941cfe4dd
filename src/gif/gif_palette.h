// Colour maps to and from the platform's logical palettes and DIB colour
// tables.
#pragma once

#include <windows.h>

#include "gif/gif_colormap.h"
#include "ui/bitmap.h"

namespace gif {

// A logical palette of the map's colours; null for an empty map.
HPALETTE MakeLogicalPalette(const TGifColorMap& map);
// The map takes the palette's entries (up to 256), or a DIB colour table's.
void ImportLogicalPalette(TGifColorMap& map, HPALETTE palette);
void ImportQuadTable(TGifColorMap& map, const RGBQUAD* quads, int count);
// A DIB's colour table as the bitmap holds it (no device context needed).
void ImportBitmapColors(TGifColorMap& map, const ui::Bitmap& bitmap);
// A logical palette of the bitmap's colour table; null for a bitmap without
// one (more than 8 bits per pixel).
HPALETTE PaletteOfColorTable(const ui::Bitmap& bitmap);
// What a frame that has no colour table anywhere is drawn with, as other
// readers draw it: greys from black to white over the entries its indices
// need (2, 4, 8, ... 256), so a two-colour picture is black and white.
HPALETTE MakeGreyRampPalette(int entries);

}  // namespace gif
