#include "gif/gif_reduce.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "gif/gif_texts.h"

namespace gif {

// ---------------------------------------------------------------------------
// Octree quantizer

namespace {
constexpr size_t kNodeChunk = 4096;
}

TColorQuantizer::TColorQuantizer(int colorLimit, int leafDepth)
    : ColorLimit(std::max(1, colorLimit)), LeafDepth(std::clamp(leafDepth, 0, 8)) {}

TColorQuantizer::~TColorQuantizer() = default;  // the chunks hold every node

TOctreeNode* TColorQuantizer::CreateNode(int depth) {
    TOctreeNode* node;
    if (freeNodes_) {
        node = freeNodes_;
        freeNodes_ = node->NextReducible;
    } else {
        if (chunks_.empty() || chunkUsed_ == kNodeChunk) {
            chunks_.emplace_back(new TOctreeNode[kNodeChunk]);
            chunkUsed_ = 0;
        }
        node = &chunks_.back()[chunkUsed_++];
    }
    *node = TOctreeNode{};
    if (depth == LeafDepth) {
        node->IsLeafNode = true;
        ++LeafTotal;
    } else {
        node->NextReducible = ReducibleLists[depth];
        ReducibleLists[depth] = node;
    }
    return node;
}

void TColorQuantizer::FreeNode(TOctreeNode* node) {
    for (int i = 7; i >= 0; --i)
        if (node->Children[i]) FreeNode(node->Children[i]);
    node->NextReducible = freeNodes_;
    freeNodes_ = node;
}

bool TColorQuantizer::MergeDeepestNode() {
    int depth = LeafDepth - 1;
    while (depth > 0 && !ReducibleLists[depth]) --depth;
    if (depth < 0) return false;
    TOctreeNode* node = ReducibleLists[depth];
    if (!node) return false;
    ReducibleLists[depth] = node->NextReducible;
    int children = 0;
    int pixels = 0;
    int64_t red = 0, green = 0, blue = 0;
    for (int i = 7; i >= 0; --i) {
        TOctreeNode* child = node->Children[i];
        if (!child) continue;
        ++children;
        pixels += child->PixelTotal;
        red += child->RedTotal;
        green += child->GreenTotal;
        blue += child->BlueTotal;
        FreeNode(child);
        node->Children[i] = nullptr;
    }
    node->IsLeafNode = true;
    node->PixelTotal = pixels;
    node->RedTotal = red;
    node->GreenTotal = green;
    node->BlueTotal = blue;
    node->NextReducible = nullptr;
    LeafTotal = LeafTotal - children + 1;
    lastLeaf_ = nullptr;
    return true;
}

void TColorQuantizer::AddColor(uint8_t red, uint8_t green, uint8_t blue, int count) {
    const uint32_t color = uint32_t(red) | (uint32_t(green) << 8) | (uint32_t(blue) << 16);
    TOctreeNode* node;
    if (lastLeaf_ && color == lastColor_) {
        node = lastLeaf_;
    } else {
        if (!TreeRoot) TreeRoot = CreateNode(0);
        node = TreeRoot;
        int depth = 0;
        while (!node->IsLeafNode) {
            const int shift = 7 - depth;
            const int mask = 0x80 >> depth;
            const int index = (((red & mask) >> shift) << 2) | (((green & mask) >> shift) << 1) |
                              ((blue & mask) >> shift);
            TOctreeNode*& child = node->Children[index];
            if (!child) child = CreateNode(depth + 1);
            node = child;
            ++depth;
        }
        lastLeaf_ = node;
        lastColor_ = color;
    }
    node->PixelTotal += count;
    node->RedTotal += int64_t(red) * count;
    node->GreenTotal += int64_t(green) * count;
    node->BlueTotal += int64_t(blue) * count;
    // A node with a single child merges without lowering the count; the loop
    // then goes on with the next one, and stops only when nothing is left to
    // merge.
    while (LeafTotal > ColorLimit && MergeDeepestNode()) {
    }
}

void TColorQuantizer::AddBitmapPixels(const TDIBReader& reader, const std::vector<COLORREF>& held) {
    const int width = reader.Width(), height = reader.Height(), bpp = reader.BytesPerPixel();
    // A run of one colour goes in at once: within it no leaf is made, so no
    // merge can fall between its pixels and the tree ends up the same.
    for (int y = 0; y < height; ++y) {
        const uint8_t* row = reader.Row(y);
        for (int x = 0; x < width;) {
            const uint8_t* p = row + size_t(x) * size_t(bpp);
            int n = 1;
            for (const uint8_t* q = p + bpp; x + n < width && q[0] == p[0] && q[1] == p[1] && q[2] == p[2]; q += bpp)
                ++n;
            if (held.empty() || std::find(held.begin(), held.end(), RGB(p[2], p[1], p[0])) == held.end())
                AddColor(p[2], p[1], p[0], n);
            x += n;
        }
    }
}

std::vector<RGBQUAD> TColorQuantizer::ReadColorTable() const {
    std::vector<RGBQUAD> table;
    auto walk = [&](auto&& self, const TOctreeNode* node) -> void {
        if (!node || int(table.size()) >= ColorLimit) return;
        if (node->IsLeafNode) {
            RGBQUAD q{0, 0, 0, 0};
            if (node->PixelTotal > 0) {
                q.rgbRed = uint8_t(node->RedTotal / node->PixelTotal);
                q.rgbGreen = uint8_t(node->GreenTotal / node->PixelTotal);
                q.rgbBlue = uint8_t(node->BlueTotal / node->PixelTotal);
            }
            table.push_back(q);
            return;
        }
        for (const TOctreeNode* child : node->Children) self(self, child);
    };
    walk(walk, TreeRoot);
    return table;
}

// ---------------------------------------------------------------------------
// Lookups

void TColorLookup::MapRow(const uint8_t* row, int bytesPerPixel, uint8_t* indices, int start, int step, int count) {
    uint8_t r, g, b;
    for (int i = 0, x = start; i < count; ++i, x += step) {
        const uint8_t* p = row + size_t(x) * size_t(bytesPerPixel);
        indices[x] = MapColor(p[2], p[1], p[0], r, g, b);
    }
}

namespace {
inline uint32_t PackRgb(uint8_t red, uint8_t green, uint8_t blue) {
    return (uint32_t(red) << 16) | (uint32_t(green) << 8) | blue;
}
inline size_t ExactSlot(uint32_t rgb) { return (rgb * 2654435761u) >> 22; }  // 10 bits
}  // namespace

TFastColorLookup::TFastColorLookup(HPALETTE palette)
    : PaletteCopy(new PALETTEENTRY[256]), InverseCache(new int16_t[32768]), ExactColors(new ExactColor[ExactSlots]) {
    std::memset(PaletteCopy.get(), 0, sizeof(PALETTEENTRY) * 256);
    ColorTotal = palette ? int(GetPaletteEntries(palette, 0, 256, PaletteCopy.get())) : 0;
    std::fill_n(InverseCache.get(), 32768, int16_t(-1));
    for (int i = 0; i < ColorTotal; ++i) {
        const PALETTEENTRY& e = PaletteCopy[size_t(i)];
        const uint32_t rgb = PackRgb(e.peRed, e.peGreen, e.peBlue);
        if (ExactEntry(rgb) >= 0) continue;  // a repeated colour: the first entry keeps it
        size_t slot = ExactSlot(rgb);
        while (ExactColors[slot].entry >= 0) slot = (slot + 1) % ExactSlots;
        ExactColors[slot] = ExactColor{rgb, i};
        // The first entry of each cell owns it; a cell that holds entries of
        // more than one colour checks for those colours first.
        int16_t& cell = InverseCache[size_t(CellKey(e.peRed, e.peGreen, e.peBlue))];
        if (cell < 0)
            cell = int16_t(i);
        else
            cell = int16_t(cell | SharedCell);
    }
}

int TFastColorLookup::ExactEntry(uint32_t rgb) const {
    for (size_t slot = ExactSlot(rgb);; slot = (slot + 1) % ExactSlots) {
        const ExactColor& c = ExactColors[slot];
        if (c.entry < 0 || c.rgb == rgb) return c.entry;
    }
}

int TFastColorLookup::Resolve(uint8_t red, uint8_t green, uint8_t blue, int key) {
    int best = 0;
    int bestDistance = 0x30000;
    for (int i = 0; i < ColorTotal; ++i) {
        const PALETTEENTRY& e = PaletteCopy[size_t(i)];
        const int d = std::abs(int(e.peRed) - red) + std::abs(int(e.peGreen) - green) + std::abs(int(e.peBlue) - blue);
        if (d < bestDistance) {
            bestDistance = d;
            best = i;
        }
    }
    InverseCache[size_t(key)] = int16_t(best);
    return best;
}

inline int TFastColorLookup::Lookup(uint8_t red, uint8_t green, uint8_t blue) {
    const int key = CellKey(red, green, blue);
    const int cell = InverseCache[size_t(key)];
    if (cell < 0) return Resolve(red, green, blue, key);
    if (!(cell & SharedCell)) return cell;
    const int exact = ExactEntry(PackRgb(red, green, blue));
    return exact >= 0 ? exact : cell & 0xFF;
}

uint8_t TFastColorLookup::MapColor(uint8_t red, uint8_t green, uint8_t blue, uint8_t& outRed, uint8_t& outGreen,
                                   uint8_t& outBlue) {
    const int index = Lookup(red, green, blue);
    const PALETTEENTRY& e = PaletteCopy[size_t(index)];
    outRed = e.peRed;
    outGreen = e.peGreen;
    outBlue = e.peBlue;
    return uint8_t(index);
}

void TFastColorLookup::MapRow(const uint8_t* row, int bytesPerPixel, uint8_t* indices, int start, int step,
                              int count) {
    // Screenshots hold long runs of one colour: a run costs one lookup.
    uint32_t last = 0xFFFFFFFF;  // no colour
    int index = 0;
    for (int i = 0, x = start; i < count; ++i, x += step) {
        const uint8_t* p = row + size_t(x) * size_t(bytesPerPixel);
        const uint32_t rgb = PackRgb(p[2], p[1], p[0]);
        if (rgb != last) {
            index = Lookup(p[2], p[1], p[0]);
            last = rgb;
        }
        indices[x] = uint8_t(index);
    }
}

uint8_t TWebSafeColorLookup::MapColor(uint8_t red, uint8_t green, uint8_t blue, uint8_t& outRed,
                                      uint8_t& outGreen, uint8_t& outBlue) {
    const int r = (red + 3) / 51, g = (green + 3) / 51, b = (blue + 3) / 51;
    outRed = uint8_t(r * 51);
    outGreen = uint8_t(g * 51);
    outBlue = uint8_t(b * 51);
    return uint8_t(r * 36 + g * 6 + b);
}

uint8_t TGrayScaleLookup::MapColor(uint8_t red, uint8_t green, uint8_t blue, uint8_t& outRed, uint8_t& outGreen,
                                   uint8_t& outBlue) {
    const uint8_t grey = uint8_t((77 * red + 150 * green + 29 * blue) >> 8);
    outRed = outGreen = outBlue = grey;
    return grey;
}

uint8_t TMonochromeLookup::MapColor(uint8_t red, uint8_t green, uint8_t blue, uint8_t& outRed, uint8_t& outGreen,
                                    uint8_t& outBlue) {
    if (77 * red + 150 * green + 29 * blue > 32512) {
        outRed = outGreen = outBlue = 255;
        return 1;
    }
    outRed = outGreen = outBlue = 0;
    return 0;
}

// ---------------------------------------------------------------------------
// Plain ditherer

uint8_t TDitherEngine::DitherPixel(uint8_t red, uint8_t green, uint8_t blue, uint8_t& outRed, uint8_t& outGreen,
                                   uint8_t& outBlue) {
    const uint8_t index = ColorLookup->MapColor(red, green, blue, outRed, outGreen, outBlue);
    CurrentColumn += TravelStep;
    return index;
}

void TDitherEngine::EndRow() {
    TravelStep = -TravelStep;
    CurrentColumn = TravelStep == 1 ? 0 : LineWidth - 1;
}

void TDitherEngine::DitherRow(const uint8_t* row, int bytesPerPixel, uint8_t* indices) {
    if (CurrentColumn < 0 || CurrentColumn >= LineWidth) return;
    const int count = TravelStep > 0 ? LineWidth - CurrentColumn : CurrentColumn + 1;
    ColorLookup->MapRow(row, bytesPerPixel, indices, CurrentColumn, TravelStep, count);
    CurrentColumn += TravelStep * count;
}

// ---------------------------------------------------------------------------
// Error diffusion

namespace {
inline int DiffusedValue(int source, int accumulated, int divisor) {
    // Division truncates toward zero, as the kernels' tables assume.
    return std::clamp(source + (accumulated + divisor / 2) / divisor, 0, 255);
}
}  // namespace

TDiffusionDitherer::TDiffusionDitherer(int lineWidth, TColorLookup* lookup, int rows, int padding, int divisor)
    : TDitherEngine(lineWidth, lookup), Divisor(divisor), Padding(padding), Cursor(padding) {
    for (auto& component : Rows) component.assign(size_t(rows), std::vector<int32_t>(size_t(lineWidth + 2 * padding), 0));
}

uint8_t TDiffusionDitherer::DitherPixel(uint8_t red, uint8_t green, uint8_t blue, uint8_t& outRed,
                                        uint8_t& outGreen, uint8_t& outBlue) {
    const int value[3] = {DiffusedValue(red, Rows[0][0][size_t(Cursor)], Divisor),
                          DiffusedValue(green, Rows[1][0][size_t(Cursor)], Divisor),
                          DiffusedValue(blue, Rows[2][0][size_t(Cursor)], Divisor)};
    const uint8_t index = TDitherEngine::DitherPixel(uint8_t(value[0]), uint8_t(value[1]), uint8_t(value[2]),
                                                     outRed, outGreen, outBlue);
    const int error[3] = {value[0] - outRed, value[1] - outGreen, value[2] - outBlue};
    if (error[0] || error[1] || error[2]) SpreadError(error);
    Cursor += TravelStep;
    return index;
}

void TDiffusionDitherer::EndRow() {
    for (auto& component : Rows) {
        std::fill(component[0].begin(), component[0].end(), 0);
        std::rotate(component.begin(), component.begin() + 1, component.end());
    }
    TDitherEngine::EndRow();
    Cursor = TravelStep == 1 ? Padding : Padding + LineWidth - 1;
}

void TDiffusionDitherer::DitherRow(const uint8_t* row, int bytesPerPixel, uint8_t* indices) {
    uint8_t r, g, b;
    while (CurrentColumn >= 0 && CurrentColumn < LineWidth) {
        const int x = CurrentColumn;
        const uint8_t* p = row + size_t(x) * size_t(bytesPerPixel);
        indices[x] = TDiffusionDitherer::DitherPixel(p[2], p[1], p[0], r, g, b);
    }
}

void TStuckiDitherer::SpreadError(const int error[3]) {
    for (int c = 0; c < 3; ++c) {
        const int e = error[c];
        if (!e) continue;
        Add(c, 0, 1, 8 * e), Add(c, 0, 2, 4 * e);
        Add(c, 1, -2, 2 * e), Add(c, 1, -1, 4 * e), Add(c, 1, 0, 8 * e), Add(c, 1, 1, 4 * e), Add(c, 1, 2, 2 * e);
        Add(c, 2, -2, 1 * e), Add(c, 2, -1, 2 * e), Add(c, 2, 0, 4 * e), Add(c, 2, 1, 2 * e), Add(c, 2, 2, 1 * e);
    }
}

void TSierraDitherer::SpreadError(const int error[3]) {
    for (int c = 0; c < 3; ++c) {
        const int e = error[c];
        if (!e) continue;
        Add(c, 0, 1, 5 * e), Add(c, 0, 2, 3 * e);
        Add(c, 1, -2, 2 * e), Add(c, 1, -1, 4 * e), Add(c, 1, 0, 5 * e), Add(c, 1, 1, 4 * e), Add(c, 1, 2, 2 * e);
        Add(c, 2, -1, 2 * e), Add(c, 2, 0, 3 * e), Add(c, 2, 1, 2 * e);
    }
}

void TJarvisDitherer::SpreadError(const int error[3]) {
    for (int c = 0; c < 3; ++c) {
        const int e = error[c];
        if (!e) continue;
        Add(c, 0, 1, 7 * e), Add(c, 0, 2, 5 * e);
        Add(c, 1, -2, 3 * e), Add(c, 1, -1, 5 * e), Add(c, 1, 0, 7 * e), Add(c, 1, 1, 5 * e), Add(c, 1, 2, 3 * e);
        Add(c, 2, -2, 1 * e), Add(c, 2, -1, 3 * e), Add(c, 2, 0, 5 * e), Add(c, 2, 1, 3 * e), Add(c, 2, 2, 1 * e);
    }
}

void TBurkesDitherer::SpreadError(const int error[3]) {
    for (int c = 0; c < 3; ++c) {
        const int e = error[c];
        if (!e) continue;
        Add(c, 0, 1, 8 * e), Add(c, 0, 2, 4 * e);
        Add(c, 1, -2, 2 * e), Add(c, 1, -1, 4 * e), Add(c, 1, 0, 8 * e), Add(c, 1, 1, 4 * e), Add(c, 1, 2, 2 * e);
    }
}

void TStevensonArceDitherer::SpreadError(const int error[3]) {
    for (int c = 0; c < 3; ++c) {
        const int e = error[c];
        if (!e) continue;
        Add(c, 0, 2, 32 * e);
        Add(c, 1, -3, 12 * e), Add(c, 1, -1, 26 * e), Add(c, 1, 1, 30 * e), Add(c, 1, 3, 16 * e);
        Add(c, 2, -2, 12 * e), Add(c, 2, 0, 26 * e), Add(c, 2, 2, 12 * e);
        Add(c, 3, -3, 5 * e), Add(c, 3, -1, 12 * e), Add(c, 3, 1, 12 * e), Add(c, 3, 3, 5 * e);
    }
}

// Floyd-Steinberg with a single error row per component. The row holds, for
// the columns not yet reached, what the row above left; as the cursor passes
// a column, the entry behind it receives what this row leaves there for the
// next one (the pixel below and behind: pending sum plus 3 x error), while
// the shares for below (5) and below-ahead (1) wait in running sums. Entries
// are addressed by absolute column, so they stay lined up when the direction
// of travel turns.
TFloydSteinbergDitherer::TFloydSteinbergDitherer(int lineWidth, TColorLookup* lookup)
    : TDitherEngine(lineWidth, lookup) {
    for (auto& row : ErrorRow) row.assign(size_t(lineWidth + 2), 0);
}

uint8_t TFloydSteinbergDitherer::DitherPixel(uint8_t red, uint8_t green, uint8_t blue, uint8_t& outRed,
                                             uint8_t& outGreen, uint8_t& outBlue) {
    const uint8_t source[3] = {red, green, blue};
    int value[3];
    for (int c = 0; c < 3; ++c) value[c] = DiffusedValue(source[c], ErrorRow[c][size_t(Cursor)] + Ahead[c], 16);
    const uint8_t index =
        TDitherEngine::DitherPixel(uint8_t(value[0]), uint8_t(value[1]), uint8_t(value[2]), outRed, outGreen, outBlue);
    const int out[3] = {outRed, outGreen, outBlue};
    for (int c = 0; c < 3; ++c) {
        const int e = value[c] - out[c];
        ErrorRow[c][size_t(Cursor - TravelStep)] = PendingBehind[c] + 3 * e;
        PendingBehind[c] = PendingBelow[c] + 5 * e;
        PendingBelow[c] = e;
        Ahead[c] = 7 * e;
    }
    Cursor += TravelStep;
    return index;
}

void TFloydSteinbergDitherer::SkipPixel() {
    for (int c = 0; c < 3; ++c) {
        ErrorRow[c][size_t(Cursor - TravelStep)] = PendingBehind[c];
        PendingBehind[c] = PendingBelow[c];
        PendingBelow[c] = 0;
        Ahead[c] = 0;
    }
    Cursor += TravelStep;
    CurrentColumn += TravelStep;
}

void TFloydSteinbergDitherer::EndRow() {
    for (int c = 0; c < 3; ++c) {
        ErrorRow[c][size_t(Cursor - TravelStep)] = PendingBehind[c];
        // The padding entries took shares meant for columns outside the
        // picture; they must not reach the next row.
        ErrorRow[c].front() = 0;
        ErrorRow[c].back() = 0;
        Ahead[c] = PendingBehind[c] = PendingBelow[c] = 0;
    }
    TDitherEngine::EndRow();
    Cursor = TravelStep == 1 ? 1 : LineWidth;
}

void TFloydSteinbergDitherer::DitherRow(const uint8_t* row, int bytesPerPixel, uint8_t* indices) {
    uint8_t r, g, b;
    while (CurrentColumn >= 0 && CurrentColumn < LineWidth) {
        const int x = CurrentColumn;
        const uint8_t* p = row + size_t(x) * size_t(bytesPerPixel);
        indices[x] = TFloydSteinbergDitherer::DitherPixel(p[2], p[1], p[0], r, g, b);
    }
}

std::unique_ptr<TDitherEngine> MakeDitherer(TDiffusionKind kind, int lineWidth, TColorLookup* lookup) {
    switch (kind) {
        case 0: return std::make_unique<TDitherEngine>(lineWidth, lookup);
        case 1: return std::make_unique<TFloydSteinbergDitherer>(lineWidth, lookup);
        case 2: return std::make_unique<TStuckiDitherer>(lineWidth, lookup);
        case 3: return std::make_unique<TSierraDitherer>(lineWidth, lookup);
        case 4: return std::make_unique<TJarvisDitherer>(lineWidth, lookup);
        case 5: return std::make_unique<TStevensonArceDitherer>(lineWidth, lookup);
        case 6: return std::make_unique<TBurkesDitherer>(lineWidth, lookup);
        default: return nullptr;
    }
}

// ---------------------------------------------------------------------------
// Palettes

namespace {

struct LogPalette256 {
    WORD version = 0x300;
    WORD count = 0;
    PALETTEENTRY entries[256] = {};
};

HPALETTE MakePalette(LogPalette256& pal) {
    return CheckGDIHandleOf(CreatePalette(reinterpret_cast<LOGPALETTE*>(&pal)));
}

}  // namespace

HPALETTE BuildQuantizedPalette(const TDIBReader& reader, int colorCount, int leafDepth, bool keepSystemColors) {
    LogPalette256 pal;
    colorCount = std::clamp(colorCount, 1, 256);
    int limit = colorCount, start = 0;
    pal.count = WORD(colorCount);
    if (keepSystemColors) {
        PALETTEENTRY system[20] = {};
        GetPaletteEntries(static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE)), 0, 20, system);
        for (int i = 0; i < 10; ++i) {
            pal.entries[i] = system[i];
            pal.entries[246 + i] = system[10 + i];
        }
        limit = 236;
        pal.count = 256;
        start = 10;
    }
    // With the system colours in the palette, pixels of exactly those colours
    // are left out of the tree: the 236 slots go to the picture's other
    // colours, so that a picture of up to 236 of them besides the system
    // colours keeps every colour.
    std::vector<COLORREF> held;
    if (keepSystemColors)
        for (int i : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 246, 247, 248, 249, 250, 251, 252, 253, 254, 255})
            held.push_back(RGB(pal.entries[i].peRed, pal.entries[i].peGreen, pal.entries[i].peBlue));
    std::vector<RGBQUAD> table;
    {
        TColorQuantizer quantizer(limit, leafDepth);
        quantizer.AddBitmapPixels(reader, held);
        table = quantizer.ReadColorTable();
    }
    // Slots the picture leaves unused stay black (0, 0, 0).
    for (int i = 0; i < limit && i < int(table.size()); ++i)
        pal.entries[start + i] = PALETTEENTRY{table[size_t(i)].rgbRed, table[size_t(i)].rgbGreen,
                                              table[size_t(i)].rgbBlue, 0};
    return MakePalette(pal);
}

HPALETTE QuantizeBitmapPalette(const ui::Bitmap& bitmap, int colorCount, int leafDepth, bool keepSystemColors) {
    TDIBReader reader(bitmap, ui::PixelFormat::Bits24);
    return BuildQuantizedPalette(reader, colorCount, leafDepth, keepSystemColors);
}

HPALETTE BuildWebSafePalette() {
    LogPalette256 pal;
    pal.count = 216;
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b)
                pal.entries[r * 36 + g * 6 + b] = PALETTEENTRY{uint8_t(51 * r), uint8_t(51 * g), uint8_t(51 * b), 0};
    return MakePalette(pal);
}

HPALETTE BuildGrayRampPalette() {
    LogPalette256 pal;
    pal.count = 256;
    for (int i = 0; i < 256; ++i) pal.entries[i] = PALETTEENTRY{uint8_t(i), uint8_t(i), uint8_t(i), PC_NOCOLLAPSE};
    return MakePalette(pal);
}

HPALETTE BuildBlackWhitePalette() {
    LogPalette256 pal;
    pal.count = 2;
    pal.entries[0] = PALETTEENTRY{0, 0, 0, PC_NOCOLLAPSE};
    pal.entries[1] = PALETTEENTRY{255, 255, 255, PC_NOCOLLAPSE};
    return MakePalette(pal);
}

HPALETTE BuildFourGrayPalette() {
    LogPalette256 pal;
    pal.count = 4;
    const uint8_t greys[4] = {0, 128, 192, 255};
    for (int i = 0; i < 4; ++i) pal.entries[i] = PALETTEENTRY{greys[i], greys[i], greys[i], PC_NOCOLLAPSE};
    return MakePalette(pal);
}

HPALETTE BuildHalftonePalette() {
    SetLastError(0);
    HDC screen = static_cast<HDC>(static_cast<void*>(CheckGDIHandle(GetDC(nullptr))));
    HPALETTE palette = CreateHalftonePalette(screen);
    ReleaseDC(nullptr, screen);
    return CheckGDIHandleOf(palette);
}

// ---------------------------------------------------------------------------
// Driver

ui::Bitmap ReduceBitmapColors(const ui::Bitmap& source, TReductionMethod method, TDiffusionKind dither,
                              HPALETTE givenPalette, int bitCount) {
    ui::Bitmap result;
    if (method == 0) {
        if (source.Empty()) return result;
        result = ui::Bitmap(source.Width(), source.Height(), ui::PixelFormat::Bits24);
        if (result.Empty()) throw EOutOfMemory(txt::GifOutOfMemory);
        BitBlt(result.Canvas(), 0, 0, source.Width(), source.Height(), source.Canvas(), 0, 0, SRCCOPY);
        return result;
    }
    if (method < 0 || method > 9) return result;
    if (source.Empty()) RaiseGIFError(txt::GifInvalidImageDimensions);

    TDIBReader reader(source, ui::PixelFormat::Bits24);
    HPALETTE palette = nullptr;
    bool ownPalette = true;
    std::unique_ptr<TColorLookup> lookup;
    struct PaletteGuard {
        HPALETTE& palette;
        bool& own;
        ~PaletteGuard() {
            if (palette && own) DeleteObject(palette);
        }
    } guard{palette, ownPalette};

    switch (method) {
        case 1:
            palette = static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE));
            ownPalette = false;
            lookup = std::make_unique<TFastColorLookup>(palette);
            break;
        case 2:
            palette = BuildHalftonePalette();
            lookup = std::make_unique<TFastColorLookup>(palette);
            break;
        case 3:
            palette = BuildFourGrayPalette();
            lookup = std::make_unique<TFastColorLookup>(palette);
            break;
        case 4:
            palette = BuildBlackWhitePalette();
            lookup = std::make_unique<TMonochromeLookup>();
            break;
        case 5:
            palette = BuildGrayRampPalette();
            lookup = std::make_unique<TGrayScaleLookup>();
            break;
        case 6:
            palette = BuildWebSafePalette();
            lookup = std::make_unique<TWebSafeColorLookup>();
            break;
        case 7:
            // More than 8 bits cannot be held in an 8-bit frame.
            palette = BuildQuantizedPalette(reader, 1 << std::clamp(bitCount, 1, 8), 8, false);
            lookup = std::make_unique<TFastColorLookup>(palette);
            break;
        case 8:
            palette = BuildQuantizedPalette(reader, 256, 8, true);
            lookup = std::make_unique<TFastColorLookup>(palette);
            break;
        case 9:
            if (givenPalette) {
                LogPalette256 copy;
                copy.count = WORD(GetPaletteEntries(givenPalette, 0, 256, copy.entries));
                if (copy.count > 0) palette = MakePalette(copy);
            }
            lookup = std::make_unique<TFastColorLookup>(palette);
            break;
    }
    if (!lookup || lookup->ColorTotal == 0 || dither < 0 || dither > 6) return ui::Bitmap();

    const int width = source.Width(), height = source.Height();
    std::unique_ptr<TDitherEngine> ditherer = MakeDitherer(dither, width, lookup.get());
    TDIBWriter writer(result, palette, height, width, ui::PixelFormat::Bits8);
    const int bpp = reader.BytesPerPixel();
    for (int y = 0; y < height; ++y) {
        const uint8_t* in = reader.Row(y);
        uint8_t* out = writer.ScanlineAt(y);
        ditherer->DitherRow(in, bpp, out);
        ditherer->EndRow();
    }
    writer.Finish();
    return result;
}

}  // namespace gif
