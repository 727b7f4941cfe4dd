// GIF colour tables: up to 256 RGB triples in file order, convertible to and
// from colour values, logical palettes and DIB colour tables.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "gif/gif_codec.h"

namespace gif {

class TGifHeader;

struct TGifColor {
    uint8_t Red, Green, Blue;
};

// A colour value: red in the low byte, then green, then blue; top byte 0.
inline COLORREF ColorValueOf(const TGifColor& c) { return RGB(c.Red, c.Green, c.Blue); }
inline TGifColor TripleOf(COLORREF c) { return TGifColor{GetRValue(c), GetGValue(c), GetBValue(c)}; }

class TGifColorMap {
public:
    virtual ~TGifColorMap();
    TGifColorMap(const TGifColorMap&) = delete;
    TGifColorMap& operator=(const TGifColorMap&) = delete;

    virtual void Assign(const TGifColorMap& source);
    virtual void ReportWarning(int severity, const std::wstring& message) = 0;
    // usage[i] = number of pixels of index i (usage has TableCount entries).
    virtual void CountUsage(std::vector<int>& usage) = 0;
    // Rewrites pixel indices through translation (old index -> new index).
    virtual void RemapPixels(const std::vector<uint8_t>& translation) = 0;
    virtual bool SortByUsage() = 0;
    virtual void TableChanged() = 0;

    void EmptyTable();
    void EnsureCapacity(int n);
    int AddColor(COLORREF color);
    int AddUniqueColor(COLORREF color);
    int IndexOfColor(COLORREF color) const;
    void DeleteColor(int index);
    COLORREF ColorAt(int index);
    int TableBitDepth() const { return BitsForColors(TableCount); }

    void ImportLogicalPalette(HPALETTE palette);
    void ImportQuadTable(const RGBQUAD* quads, int count);
    void ImportSectionColors(HDC dc);
    // A DIB's colour table as the bitmap holds it (no device context needed).
    void ImportBitmapColors(const ui::Bitmap& bitmap);
    HPALETTE MakeLogicalPalette() const;  // null for an empty map

    void WriteTable(Stream& stream) const;
    void ReadTable(Stream& stream, int count);

    int Count() const { return TableCount; }
    int Capacity() const { return TableCapacity; }
    bool UsageSorted() const { return UsageSorted_; }
    const TGifColor* Table() const { return ColorTable.get(); }
    TGifColor& Entry(int index) { return ColorTable[size_t(index)]; }
    const TGifColor& Entry(int index) const { return ColorTable[size_t(index)]; }

protected:
    TGifColorMap() = default;
    // The sort that both kinds of map share.
    bool SortCommon();

    std::unique_ptr<TGifColor[]> ColorTable;
    int TableCount = 0;
    int TableCapacity = 0;
    bool UsageSorted_ = false;
};

class TGifGlobalColorMap : public TGifColorMap {
public:
    explicit TGifGlobalColorMap(TGifHeader* header) : Header(header) {}
    ~TGifGlobalColorMap() override;
    void ReportWarning(int severity, const std::wstring& message) override;
    void CountUsage(std::vector<int>& usage) override;
    void RemapPixels(const std::vector<uint8_t>& translation) override;
    bool SortByUsage() override;
    void TableChanged() override;

private:
    TGifHeader* Header;
};

class TGifLocalColorMap : public TGifColorMap {
public:
    explicit TGifLocalColorMap(TGifFrame* frame) : Frame(frame) {}
    ~TGifLocalColorMap() override;
    void ReportWarning(int severity, const std::wstring& message) override;
    void CountUsage(std::vector<int>& usage) override;
    void RemapPixels(const std::vector<uint8_t>& translation) override;
    bool SortByUsage() override;
    void TableChanged() override;

private:
    TGifFrame* Frame;
};

// A logical palette of the bitmap's colour table; null for a bitmap without
// one (more than 8 bits per pixel).
HPALETTE PaletteOfColorTable(const ui::Bitmap& bitmap);

}  // namespace gif
