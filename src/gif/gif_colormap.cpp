#include "gif/gif_colormap.h"

#include <algorithm>
#include <cstring>

#include "gif/gif_texts.h"
#include "gif/gif_frame_data.h"
#include "gif/gif_header.h"
#include "gif/gif_image_data.h"

namespace gif {

TGifColorMap::~TGifColorMap() = default;

void TGifColorMap::Assign(const TGifColorMap& source) {
    if (&source == this) return;
    std::unique_ptr<TGifColor[]> copy;
    if (source.TableCapacity > 0) {
        copy.reset(new TGifColor[size_t(source.TableCapacity)]);
        std::copy_n(source.ColorTable.get(), source.TableCount, copy.get());
    }
    ColorTable = std::move(copy);
    TableCount = source.TableCount;
    TableCapacity = source.TableCapacity;
    UsageSorted_ = source.UsageSorted_;
    TableChanged();
}

void TGifColorMap::EmptyTable() {
    ColorTable.reset();
    TableCount = 0;
    TableCapacity = 0;
    UsageSorted_ = false;
}

void TGifColorMap::EnsureCapacity(int n) {
    if (n < TableCapacity) return;
    int capacity = n <= 16 ? 16 : std::min(256, (n + 31) / 32 * 32);
    std::unique_ptr<TGifColor[]> grown(new TGifColor[size_t(capacity)]);
    if (TableCount > 0) std::copy_n(ColorTable.get(), std::min(TableCount, capacity), grown.get());
    ColorTable = std::move(grown);
    TableCapacity = capacity;
}

int TGifColorMap::AddColor(TGifColorValue color) {
    if (TableCount >= 256) RaiseGIFError(txt::GifColorTableOverflow);
    EnsureCapacity(TableCount + 1);
    ColorTable[size_t(TableCount)] = TripleOf(color);
    const int index = TableCount++;
    UsageSorted_ = false;
    TableChanged();
    return index;
}

int TGifColorMap::AddUniqueColor(TGifColorValue color) {
    const int index = IndexOfColor(color);
    return index >= 0 ? index : AddColor(color);
}

int TGifColorMap::IndexOfColor(TGifColorValue color) const {
    const TGifColor c = TripleOf(color);
    auto same = [&](int i) {
        const TGifColor& e = ColorTable[size_t(i)];
        return e.Red == c.Red && e.Green == c.Green && e.Blue == c.Blue;
    };
    if (UsageSorted_) {
        for (int i = 0; i < TableCount; ++i)
            if (same(i)) return i;
    } else {
        for (int i = TableCount - 1; i >= 0; --i)
            if (same(i)) return i;
    }
    return -1;
}

void TGifColorMap::DeleteColor(int index) {
    if (index < 0 || index >= TableCount) RaiseGIFError(txt::GifInvalidColorIndex);
    std::memmove(&ColorTable[size_t(index)], &ColorTable[size_t(index) + 1],
                 sizeof(TGifColor) * size_t(TableCount - index - 1));
    --TableCount;
    UsageSorted_ = false;
    TableChanged();
}

TGifColorValue TGifColorMap::ColorAt(int index) {
    if (TableCount == 0) RaiseGIFError(txt::GifColorTableEmpty);
    if (index < 0 || index >= TableCount) {
        ReportWarning(1, txt::GifInvalidColorIndex);
        index = 0;
    }
    return ColorValueOf(ColorTable[size_t(index)]);
}

void TGifColorMap::ImportColors(const TGifColor* colors, int count) {
    EmptyTable();
    count = std::clamp(count, 0, 256);
    if (count > 0) {
        EnsureCapacity(count);
        std::copy_n(colors, count, ColorTable.get());
    }
    TableCount = count;
    TableChanged();
}

void TGifColorMap::WriteTable(Stream& stream) const {
    if (TableCount == 0) return;
    uint8_t bytes[3 * 256] = {};  // the padding entries stay black
    std::memcpy(bytes, ColorTable.get(), sizeof(TGifColor) * size_t(TableCount));
    stream.WriteBuffer(bytes, 3 * (size_t(1) << TableBitDepth()));
}

void TGifColorMap::ReadTable(Stream& stream, int count) {
    count = std::clamp(count, 0, 256);
    // Read first, so that a short stream leaves the map as it was.
    uint8_t bytes[3 * 256];
    ReadExactly(stream, bytes, 3 * size_t(count));
    EmptyTable();
    if (count > 0) {
        EnsureCapacity(count);
        std::memcpy(ColorTable.get(), bytes, 3 * size_t(count));
    }
    TableCount = count;
    TableChanged();
}

bool TGifColorMap::SortCommon() {
    if (TableCount < 2) return false;
    UsageSorted_ = true;
    std::vector<int> usage(static_cast<size_t>(TableCount), 0);
    CountUsage(usage);
    std::vector<std::pair<int, int>> pairs(static_cast<size_t>(TableCount));
    for (int i = 0; i < TableCount; ++i) pairs[size_t(i)] = {usage[size_t(i)], i};
    std::stable_sort(pairs.begin(), pairs.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    bool inOrder = true;
    for (int i = 0; i < TableCount; ++i)
        if (pairs[size_t(i)].second != i) inOrder = false;
    if (inOrder) return true;

    std::vector<uint8_t> translation(256, 0);
    for (int i = 0; i < TableCount; ++i) translation[size_t(pairs[size_t(i)].second)] = uint8_t(i);
    RemapPixels(translation);
    std::vector<TGifColor> reordered(static_cast<size_t>(TableCount));
    for (int i = 0; i < TableCount; ++i) reordered[size_t(i)] = ColorTable[size_t(pairs[size_t(i)].second)];
    int used = TableCount;
    for (int i = 0; i < TableCount; ++i)
        if (pairs[size_t(i)].first == 0) {
            used = i;
            break;
        }
    std::copy(reordered.begin(), reordered.end(), ColorTable.get());
    TableCount = used;
    TableChanged();
    return true;
}

// ---------------------------------------------------------------------------
// Global map

TGifGlobalColorMap::~TGifGlobalColorMap() = default;

void TGifGlobalColorMap::ReportWarning(int severity, const std::wstring& message) {
    if (Header && Header->OwnerImage()) Header->OwnerImage()->ReportWarning(Header, severity, message);
}

void TGifGlobalColorMap::CountUsage(std::vector<int>& usage) {
    TGifImageData* image = Header ? Header->OwnerImage() : nullptr;
    if (!image) return;
    for (int f = 0; f < image->FrameCount(); ++f) {
        TGifFrameData* frame = image->Frame(f);
        if (frame->ActiveColorMap() != this) continue;
        frame->CountPixelUsage(usage);
    }
}

void TGifGlobalColorMap::RemapPixels(const std::vector<uint8_t>& translation) {
    TGifImageData* image = Header ? Header->OwnerImage() : nullptr;
    if (!image) return;
    for (int f = 0; f < image->FrameCount(); ++f) {
        TGifFrameData* frame = image->Frame(f);
        if (frame->ActiveColorMap() != this) continue;
        frame->RemapPixelIndices(translation);
    }
}

bool TGifGlobalColorMap::SortByUsage() {
    TGifImageData* image = Header ? Header->OwnerImage() : nullptr;
    if (!image || image->FrameCount() == 0) return false;
    return SortCommon();
}

void TGifGlobalColorMap::TableChanged() {
    if (Header && Header->OwnerImage()) Header->OwnerImage()->GlobalPaletteChanged();
}

// ---------------------------------------------------------------------------
// Local map

TGifLocalColorMap::~TGifLocalColorMap() = default;

void TGifLocalColorMap::ReportWarning(int severity, const std::wstring& message) {
    if (Frame) Frame->ReportWarning(severity, message);
}

void TGifLocalColorMap::CountUsage(std::vector<int>& usage) {
    if (Frame) Frame->CountPixelUsage(usage);
}

void TGifLocalColorMap::RemapPixels(const std::vector<uint8_t>& translation) {
    if (Frame) Frame->RemapPixelIndices(translation);
}

bool TGifLocalColorMap::SortByUsage() { return SortCommon(); }

void TGifLocalColorMap::TableChanged() {
    if (Frame) Frame->DropCachedPalette();
}

}  // namespace gif
