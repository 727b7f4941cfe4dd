// GIF colour tables: up to 256 RGB triples in file order, convertible to and
// from colour values. Needs no windows.h; palettes and DIB colour tables are
// made from them in gif_palette.h.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "gif/gif_items.h"

namespace gif {

class TGifHeader;

struct TGifColor {
    uint8_t Red, Green, Blue;
};

// A colour value as the platform's colour type holds it: red in the low
// byte, then green, then blue; top byte 0.
using TGifColorValue = uint32_t;
inline TGifColorValue ColorValueOf(const TGifColor& c) {
    return TGifColorValue(c.Red) | (TGifColorValue(c.Green) << 8) | (TGifColorValue(c.Blue) << 16);
}
inline TGifColor TripleOf(TGifColorValue c) {
    return TGifColor{uint8_t(c & 0xFF), uint8_t((c >> 8) & 0xFF), uint8_t((c >> 16) & 0xFF)};
}

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
    int AddColor(TGifColorValue color);
    int AddUniqueColor(TGifColorValue color);
    int IndexOfColor(TGifColorValue color) const;
    void DeleteColor(int index);
    TGifColorValue ColorAt(int index);
    int TableBitDepth() const { return BitsForColors(TableCount); }
    // Replaces the table by count colours (at most 256).
    void ImportColors(const TGifColor* colors, int count);

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
    explicit TGifLocalColorMap(TGifFrameData* frame) : Frame(frame) {}
    ~TGifLocalColorMap() override;
    void ReportWarning(int severity, const std::wstring& message) override;
    void CountUsage(std::vector<int>& usage) override;
    void RemapPixels(const std::vector<uint8_t>& translation) override;
    bool SortByUsage() override;
    void TableChanged() override;

private:
    TGifFrameData* Frame;
};

}  // namespace gif
