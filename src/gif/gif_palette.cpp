#include "gif/gif_palette.h"

#include <algorithm>
#include <vector>

#include "gif/gif_codec.h"

namespace gif {

namespace {

HPALETTE PaletteOf(const TGifColor* colors, int count) {
    if (count <= 0) return nullptr;
    struct {
        WORD version, count;
        PALETTEENTRY entries[256];
    } pal;
    pal.version = 0x300;
    pal.count = WORD(std::min(count, 256));
    for (int i = 0; i < pal.count; ++i)
        pal.entries[i] = PALETTEENTRY{colors[i].Red, colors[i].Green, colors[i].Blue, PC_NOCOLLAPSE};
    return CheckGDIHandleOf(CreatePalette(reinterpret_cast<LOGPALETTE*>(&pal)));
}

}  // namespace

HPALETTE MakeLogicalPalette(const TGifColorMap& map) { return PaletteOf(map.Table(), map.Count()); }

void ImportLogicalPalette(TGifColorMap& map, HPALETTE palette) {
    PALETTEENTRY entries[256];
    const UINT n = palette ? GetPaletteEntries(palette, 0, 256, entries) : 0;
    TGifColor colors[256];
    for (UINT i = 0; i < n; ++i) colors[i] = TGifColor{entries[i].peRed, entries[i].peGreen, entries[i].peBlue};
    map.ImportColors(colors, int(n));
}

void ImportQuadTable(TGifColorMap& map, const RGBQUAD* quads, int count) {
    count = std::clamp(count, 0, 256);
    TGifColor colors[256];
    for (int i = 0; i < count; ++i) colors[i] = TGifColor{quads[i].rgbRed, quads[i].rgbGreen, quads[i].rgbBlue};
    map.ImportColors(colors, count);
}

void ImportBitmapColors(TGifColorMap& map, const ui::Bitmap& bitmap) {
    const std::vector<RGBQUAD> colors = bitmap.ColorTable();
    ImportQuadTable(map, colors.data(), int(colors.size()));
}

HPALETTE PaletteOfColorTable(const ui::Bitmap& bitmap) {
    const std::vector<RGBQUAD> quads = bitmap.ColorTable();
    const int count = std::min<int>(int(quads.size()), 256);
    TGifColor colors[256];
    for (int i = 0; i < count; ++i) colors[i] = TGifColor{quads[i].rgbRed, quads[i].rgbGreen, quads[i].rgbBlue};
    return PaletteOf(colors, count);
}

HPALETTE MakeGreyRampPalette(int entries) {
    entries = std::clamp(entries, 2, 256);
    TGifColor colors[256];
    for (int i = 0; i < entries; ++i) {
        const uint8_t grey = uint8_t(i * 255 / (entries - 1));
        colors[i] = TGifColor{grey, grey, grey};
    }
    return PaletteOf(colors, entries);
}

}  // namespace gif
