// Colour reduction: a GIF frame holds at most 256 colours, so a true-colour
// bitmap is mapped to a palette first. A palette (fixed, system, or built from
// the picture by an octree quantizer), a colour lookup from RGB to palette
// index, and a ditherer that walks the pixels and may spread the mapping
// error to the neighbours.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "gif/gif_codec.h"

namespace gif {

// 0 copy at 24 bits; 1 Windows default palette; 2 halftone; 3 four greys;
// 4 black and white; 5 256 greys; 6 web-safe; 7 octree of 2^bits colours;
// 8 octree of 256 keeping the 20 system colours; 9 the given palette.
using TReductionMethod = int;
// 0 none; 1 Floyd-Steinberg; 2 Stucki; 3 Sierra; 4 Jarvis; 5 Stevenson-Arce;
// 6 Burkes.
using TDiffusionKind = int;

// ---------------------------------------------------------------------------
// Octree quantizer

struct TOctreeNode {
    bool IsLeafNode = false;
    int PixelTotal = 0;
    // 64 bits: one colour filling a 4096 x 4096 picture sums to more than
    // 2^31.
    int64_t RedTotal = 0, GreenTotal = 0, BlueTotal = 0;
    TOctreeNode* NextReducible = nullptr;
    TOctreeNode* Children[8] = {};
};

class TColorQuantizer {
public:
    TColorQuantizer(int colorLimit, int leafDepth);
    ~TColorQuantizer();
    TColorQuantizer(const TColorQuantizer&) = delete;
    TColorQuantizer& operator=(const TColorQuantizer&) = delete;

    // Adds every pixel of the picture except those of exactly one of the
    // given colours ($00BBGGRR): colours the palette holds anyway need no
    // leaf of their own.
    void AddBitmapPixels(const TDIBReader& reader, const std::vector<COLORREF>& held = {});
    // count pixels of one colour, then merge (only a new leaf can call for it).
    void AddColor(uint8_t red, uint8_t green, uint8_t blue, int count = 1);
    std::vector<RGBQUAD> ReadColorTable() const;
    int LeafCount() const { return LeafTotal; }

private:
    TOctreeNode* CreateNode(int depth);
    void FreeNode(TOctreeNode* node);
    bool MergeDeepestNode();  // false when no inner node is left

    TOctreeNode* TreeRoot = nullptr;
    int LeafTotal = 0;
    TOctreeNode* ReducibleLists[8] = {};
    int ColorLimit;
    int LeafDepth;

    // Nodes come from chunks and go back to a free list, so that noisy
    // pictures that make and merge many nodes cost no allocation per pixel.
    std::vector<std::unique_ptr<TOctreeNode[]>> chunks_;
    size_t chunkUsed_ = 0;
    TOctreeNode* freeNodes_ = nullptr;
    // The leaf of the last pixel while no merge has happened since: runs of
    // one colour skip the walk down the tree.
    TOctreeNode* lastLeaf_ = nullptr;
    uint32_t lastColor_ = 0;
};

// ---------------------------------------------------------------------------
// Colour lookups

class TColorLookup {
public:
    virtual ~TColorLookup() = default;
    // Palette index of the colour; the chosen palette colour goes to the
    // outputs.
    virtual uint8_t MapColor(uint8_t red, uint8_t green, uint8_t blue, uint8_t& outRed, uint8_t& outGreen,
                             uint8_t& outBlue) = 0;
    // Maps count pixels of a row (bytes blue, green, red, bytesPerPixel
    // apart) starting at column start and moving by step; indices go to
    // indices[column].
    virtual void MapRow(const uint8_t* row, int bytesPerPixel, uint8_t* indices, int start, int step, int count);
    int ColorTotal = 0;  // 0: the lookup cannot be used
};

// Maps through a cache of 32768 cells, one per 5-5-5 colour cell: the first
// colour met in a cell decides the entry for every later colour of that cell.
// A colour that the palette holds maps to its own entry (the first of that
// colour) even where its cell is shared with other entries: a screenshot
// whose colours all fit the palette comes back exact.
class TFastColorLookup : public TColorLookup {
public:
    explicit TFastColorLookup(HPALETTE palette);
    uint8_t MapColor(uint8_t red, uint8_t green, uint8_t blue, uint8_t& outRed, uint8_t& outGreen,
                     uint8_t& outBlue) override;
    void MapRow(const uint8_t* row, int bytesPerPixel, uint8_t* indices, int start, int step, int count) override;

    static int CellKey(uint8_t red, uint8_t green, uint8_t blue) {
        return (red >> 3) | ((green & 0xF8) << 2) | ((blue & 0xF8) << 7);
    }

private:
    int Lookup(uint8_t red, uint8_t green, uint8_t blue);
    int Resolve(uint8_t red, uint8_t green, uint8_t blue, int key);
    int ExactEntry(uint32_t rgb) const;  // -1 when the palette does not hold the colour
    std::unique_ptr<PALETTEENTRY[]> PaletteCopy;  // up to 256: red, green, blue, flags
    // 32768 cells: -1 = not yet known; otherwise the entry, plus SharedCell
    // where entries of other colours share the cell.
    std::unique_ptr<int16_t[]> InverseCache;
    static constexpr int SharedCell = 0x100;
    // The palette's colours (red << 16 | green << 8 | blue), hashed, each
    // with its first entry; entry -1 marks a free slot.
    struct ExactColor {
        uint32_t rgb = 0;
        int entry = -1;
    };
    static constexpr size_t ExactSlots = 1024;
    std::unique_ptr<ExactColor[]> ExactColors;
};

class TWebSafeColorLookup : public TColorLookup {
public:
    TWebSafeColorLookup() { ColorTotal = 216; }
    uint8_t MapColor(uint8_t red, uint8_t green, uint8_t blue, uint8_t& outRed, uint8_t& outGreen,
                     uint8_t& outBlue) override;
};

class TGrayScaleLookup : public TColorLookup {
public:
    TGrayScaleLookup() { ColorTotal = 256; }
    uint8_t MapColor(uint8_t red, uint8_t green, uint8_t blue, uint8_t& outRed, uint8_t& outGreen,
                     uint8_t& outBlue) override;
};

class TMonochromeLookup : public TColorLookup {
public:
    TMonochromeLookup() { ColorTotal = 2; }
    uint8_t MapColor(uint8_t red, uint8_t green, uint8_t blue, uint8_t& outRed, uint8_t& outGreen,
                     uint8_t& outBlue) override;
};

// ---------------------------------------------------------------------------
// Ditherers. Rows are walked alternately left to right and right to left
// (row 0 left to right).

class TDitherEngine {
public:
    TDitherEngine(int lineWidth, TColorLookup* lookup) : ColorLookup(lookup), LineWidth(lineWidth) {}
    virtual ~TDitherEngine() = default;
    virtual uint8_t DitherPixel(uint8_t red, uint8_t green, uint8_t blue, uint8_t& outRed, uint8_t& outGreen,
                                uint8_t& outBlue);
    virtual void EndRow();
    // Passes over the current pixel without mapping it or spreading error.
    virtual void SkipPixel() { CurrentColumn += TravelStep; }
    // One whole row in the engine's order: source bytes blue, green, red.
    virtual void DitherRow(const uint8_t* row, int bytesPerPixel, uint8_t* indices);

    int TravelStep = 1;
    int CurrentColumn = 0;

protected:
    TColorLookup* ColorLookup;
    int LineWidth;
};

// What the error-diffusing ditherers share: per colour component one error
// row per kernel row, padded so that writes beyond either edge stay inside.
class TDiffusionDitherer : public TDitherEngine {
public:
    uint8_t DitherPixel(uint8_t red, uint8_t green, uint8_t blue, uint8_t& outRed, uint8_t& outGreen,
                        uint8_t& outBlue) override;
    void EndRow() override;
    void SkipPixel() override {
        CurrentColumn += TravelStep;
        Cursor += TravelStep;
    }
    void DitherRow(const uint8_t* row, int bytesPerPixel, uint8_t* indices) override;

protected:
    TDiffusionDitherer(int lineWidth, TColorLookup* lookup, int rows, int padding, int divisor);
    // Adds error x weight to the neighbours of the kernel, per component.
    virtual void SpreadError(const int error[3]) = 0;
    // Adds value to component c of kernel row k at offset (in the direction
    // of travel) from the cursor.
    void Add(int c, int k, int offset, int value) { Rows[c][size_t(k)][size_t(Cursor + offset * TravelStep)] += value; }

    int Divisor;
    int Padding;
    int Cursor;
    std::vector<std::vector<int32_t>> Rows[3];  // [component][kernel row][column + padding]
};

class TFloydSteinbergDitherer : public TDitherEngine {
public:
    TFloydSteinbergDitherer(int lineWidth, TColorLookup* lookup);
    uint8_t DitherPixel(uint8_t red, uint8_t green, uint8_t blue, uint8_t& outRed, uint8_t& outGreen,
                        uint8_t& outBlue) override;
    void EndRow() override;
    void SkipPixel() override;
    void DitherRow(const uint8_t* row, int bytesPerPixel, uint8_t* indices) override;

private:
    // One row per component: entries not yet reached in this row hold the
    // error that the row above left for them; entries behind the cursor
    // already hold what this row leaves for the next one.
    std::vector<int32_t> ErrorRow[3];
    int Cursor = 1;
    int Ahead[3] = {};         // 7/16 share for the next pixel of this row
    int PendingBehind[3] = {}; // next row, the column just done
    int PendingBelow[3] = {};  // next row, this column
};

class TThreeRowDitherer : public TDiffusionDitherer {
protected:
    TThreeRowDitherer(int lineWidth, TColorLookup* lookup, int divisor)
        : TDiffusionDitherer(lineWidth, lookup, 3, 2, divisor) {}
};

class TStuckiDitherer : public TThreeRowDitherer {
public:
    TStuckiDitherer(int lineWidth, TColorLookup* lookup) : TThreeRowDitherer(lineWidth, lookup, 42) {}

protected:
    void SpreadError(const int error[3]) override;
};

class TSierraDitherer : public TThreeRowDitherer {
public:
    TSierraDitherer(int lineWidth, TColorLookup* lookup) : TThreeRowDitherer(lineWidth, lookup, 32) {}

protected:
    void SpreadError(const int error[3]) override;
};

class TJarvisDitherer : public TThreeRowDitherer {
public:
    TJarvisDitherer(int lineWidth, TColorLookup* lookup) : TThreeRowDitherer(lineWidth, lookup, 48) {}

protected:
    void SpreadError(const int error[3]) override;
};

class TBurkesDitherer : public TDiffusionDitherer {
public:
    TBurkesDitherer(int lineWidth, TColorLookup* lookup) : TDiffusionDitherer(lineWidth, lookup, 2, 2, 32) {}

protected:
    void SpreadError(const int error[3]) override;
};

class TStevensonArceDitherer : public TDiffusionDitherer {
public:
    TStevensonArceDitherer(int lineWidth, TColorLookup* lookup)
        : TDiffusionDitherer(lineWidth, lookup, 4, 3, 200) {}

protected:
    void SpreadError(const int error[3]) override;
};

std::unique_ptr<TDitherEngine> MakeDitherer(TDiffusionKind kind, int lineWidth, TColorLookup* lookup);

// ---------------------------------------------------------------------------
// Palettes; each returns a new logical palette that the caller deletes.

HPALETTE BuildQuantizedPalette(const TDIBReader& reader, int colorCount, int leafDepth, bool keepSystemColors);
HPALETTE QuantizeBitmapPalette(const ui::Bitmap& bitmap, int colorCount, int leafDepth, bool keepSystemColors);
HPALETTE BuildWebSafePalette();
HPALETTE BuildGrayRampPalette();
HPALETTE BuildBlackWhitePalette();
HPALETTE BuildFourGrayPalette();
HPALETTE BuildHalftonePalette();

// The source reduced to an 8-bit palette bitmap (method 0: a 24-bit copy).
// The source itself is never changed. An unknown method or dither kind, or a
// lookup without colours, gives an empty bitmap. A source of zero width or
// height raises EGifError "Invalid image dimensions".
ui::Bitmap ReduceBitmapColors(const ui::Bitmap& source, TReductionMethod method, TDiffusionKind dither,
                              HPALETTE givenPalette, int bitCount);

}  // namespace gif
