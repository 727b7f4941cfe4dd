// The codec's ground floor: unit routines, DIB rows, colour maps, header.
#include <gtest/gtest.h>

#include <cstring>

#include "gif/gif_texts.h"
#include "gif/gif_colormap.h"
#include "gif/gif_header.h"
#include "gif/gif_palette.h"
#include "gif/gif_picture.h"
#include "gif/gif_reduce.h"
#include "test_support.h"

using namespace gif;

namespace {

std::wstring MessageOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const Exception& e) {
        return e.Message();
    }
    return L"(nothing raised)";
}

}  // namespace

TEST(GifRoutines, BitsAndStrides) {
    const int colors[][2] = {{0, 0}, {1, 1}, {2, 1}, {3, 2}, {4, 2}, {5, 3}, {129, 8}, {256, 8}, {257, 9}};
    for (auto& c : colors) EXPECT_EQ(BitsForColors(c[0]), c[1]) << c[0];
    EXPECT_EQ(RowStride(3, 8, 32), 4);
    EXPECT_EQ(RowStride(3, 24, 32), 12);
    EXPECT_EQ(RowStride(17, 1, 16), 4);
}

TEST(GifRoutines, StringBlocksSplitAt255AndReadBack) {
    MemoryStream stream;
    WriteStringBlocks(stream, {std::string(300, 'x'), "", "ab"});
    const auto& d = stream.Data();
    ASSERT_EQ(d.size(), 1 + 255 + 1 + 45 + 1 + 2 + 1u);
    EXPECT_EQ(d[0], 255);
    EXPECT_EQ(d[256], 45);
    EXPECT_EQ(d[302], 2);
    EXPECT_EQ(d.back(), 0);
    stream.SetPosition(0);
    std::vector<std::string> back;
    ReadStringBlocks(stream, back);
    ASSERT_EQ(back.size(), 3u);
    EXPECT_EQ(back[0].size(), 255u);
    EXPECT_EQ(back[1].size(), 45u);
    EXPECT_EQ(back[2], "ab");

    MemoryStream cut(d.data(), 100);  // a block longer than what is left
    EXPECT_EQ(MessageOf([&] { ReadStringBlocks(cut, back); }), txt::GifPrematureEnd);
}

TEST(GifDib, WriterColourTableAndErrors) {
    HPALETTE palette = CreateHalftonePalette(nullptr);
    PALETTEENTRY first20[20];
    GetPaletteEntries(static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE)), 0, 20, first20);
    struct {
        WORD version, count;
        PALETTEENTRY e[20];
    } pal{0x300, 20, {}};
    std::memcpy(pal.e, first20, sizeof first20);
    HPALETTE twenty = CreatePalette(reinterpret_cast<LOGPALETTE*>(&pal));
    DeleteObject(palette);

    ui::Bitmap target;
    {
        TDIBWriter writer(target, twenty, 3, 5, ui::PixelFormat::Bits8);
        EXPECT_EQ(writer.InfoBlock(), nullptr);  // nothing made before the first row
        std::memset(writer.ScanlineAt(0), 7, 5);
        const BITMAPINFO* info = writer.InfoBlock();
        ASSERT_NE(info, nullptr);
        EXPECT_EQ(writer.InfoSize(), 1064);
        EXPECT_EQ(info->bmiHeader.biClrUsed, 256u);
        EXPECT_EQ(info->bmiHeader.biClrImportant, 20u);
        EXPECT_EQ(info->bmiColors[19].rgbRed, first20[19].peRed);
        EXPECT_EQ(info->bmiColors[19].rgbBlue, first20[19].peBlue);
        for (int i = 20; i < 256; ++i) EXPECT_EQ(*reinterpret_cast<const DWORD*>(&info->bmiColors[i]), 0u);
        EXPECT_EQ(MessageOf([&] { writer.ScanlineAt(3); }), txt::GifScanLineRange);
        writer.Finish();
    }
    ASSERT_EQ(target.Width(), 5);
    EXPECT_EQ(target.Bits(), 8);
    EXPECT_EQ(target.ScanLine(0)[4], 7);  // row 0 is the top row
    EXPECT_EQ(target.ScanLine(1)[0], 0);
    DeleteObject(twenty);

    ui::Bitmap b;
    EXPECT_EQ(MessageOf([&] { TDIBWriter w(b, nullptr, 0, 5, ui::PixelFormat::Bits8); }), txt::GifInvalidImageDimensions);
    EXPECT_EQ(MessageOf([&] { TDIBWriter w(b, nullptr, 5, 0, ui::PixelFormat::Bits24); }), txt::GifInvalidImageDimensions);
    EXPECT_EQ(MessageOf([&] { TDIBWriter w(b, nullptr, 5, 5, ui::PixelFormat::Bits16); }), txt::GifUnsupportedPixelFormat);
    // Far beyond what a bitmap may hold: refused before any memory is asked for.
    bool outOfMemory = false;
    try {
        TDIBWriter w(b, nullptr, 65535, 65535, ui::PixelFormat::Bits24);
        w.ScanlineAt(0);
    } catch (const EOutOfMemory& e) {
        outOfMemory = e.Message() == txt::GifOutOfMemory;
    }
    EXPECT_TRUE(outOfMemory);
}

TEST(GifDib, ReaderLeavesTheCallersBitmapAlone) {
    ui::Bitmap b(4, 2, ui::PixelFormat::Bits16);
    b.Clear(RGB(255, 0, 0));
    TDIBReader reader(b, ui::PixelFormat::Bits24);
    EXPECT_EQ(b.Format(), ui::PixelFormat::Bits16);
    EXPECT_EQ(reader.BytesPerPixel(), 3);
    EXPECT_EQ(reader.Row(1)[2], 255);  // red, byte order blue-green-red
    ui::Bitmap w(4, 2, ui::PixelFormat::Bits32);
    TDIBReader direct(w, ui::PixelFormat::Bits24);
    EXPECT_EQ(direct.BytesPerPixel(), 4);
    EXPECT_EQ(direct.Row(0), w.ScanLine(0));
}

namespace {
// A local map not bound to a frame.
struct LooseMap : TGifLocalColorMap {
    LooseMap() : TGifLocalColorMap(nullptr) {}
};
std::vector<uint8_t> Written(const TGifColorMap& map) {
    MemoryStream s;
    map.WriteTable(s);
    return s.Data();
}
}  // namespace

TEST(GifColorMap, WrittenPaddedToAPowerOfTwo) {
    LooseMap map;
    EXPECT_TRUE(Written(map).empty());
    EXPECT_EQ(map.TableBitDepth(), 0);
    const struct {
        int count, bytes, depth;
    } cases[] = {{1, 6, 1}, {2, 6, 1}, {3, 12, 2}, {5, 24, 3}, {16, 48, 4}, {17, 96, 5}, {256, 768, 8}};
    for (auto& c : cases) {
        map.EmptyTable();
        for (int i = 0; i < c.count; ++i) map.AddColor(RGB(i, 1, 2));
        const auto bytes = Written(map);
        ASSERT_EQ(int(bytes.size()), c.bytes) << c.count;
        EXPECT_EQ(map.TableBitDepth(), c.depth);
        EXPECT_EQ(bytes[3 * (c.count - 1)], uint8_t(c.count - 1));  // red, green, blue order
        EXPECT_EQ(bytes[3 * (c.count - 1) + 2], 2);
        for (size_t i = size_t(3 * c.count); i < bytes.size(); ++i) EXPECT_EQ(bytes[i], 0) << "padding is black";
    }
}

TEST(GifColorMap, AddFindDeleteAndLimits) {
    LooseMap map;
    for (int i = 0; i < 256; ++i) map.AddColor(RGB(i, i, i));
    EXPECT_EQ(MessageOf([&] { map.AddColor(RGB(1, 2, 3)); }), txt::GifColorTableOverflow);
    EXPECT_EQ(map.Count(), 256);
    EXPECT_EQ(MessageOf([&] { map.DeleteColor(256); }), txt::GifInvalidColorIndex);

    map.EmptyTable();
    map.AddColor(RGB(9, 9, 9));
    map.AddColor(RGB(1, 1, 1));
    map.AddColor(RGB(9, 9, 9));
    EXPECT_EQ(map.IndexOfColor(RGB(9, 9, 9)), 2);  // the last match while unsorted
    EXPECT_EQ(map.AddUniqueColor(RGB(1, 1, 1)), 1);
    EXPECT_EQ(map.IndexOfColor(RGB(5, 5, 5)), -1);
    map.DeleteColor(0);
    EXPECT_EQ(map.Count(), 2);
    EXPECT_EQ(map.ColorAt(0), RGB(1, 1, 1));
    EXPECT_EQ(map.ColorAt(7), RGB(1, 1, 1));  // a warning, then index 0

    map.EmptyTable();
    EXPECT_EQ(MessageOf([&] { map.ColorAt(0); }), txt::GifColorTableEmpty);
    map.EnsureCapacity(16);
    EXPECT_EQ(map.Capacity(), 16);
    map.EnsureCapacity(16);
    EXPECT_EQ(map.Capacity(), 16);
    map.EnsureCapacity(17);
    EXPECT_EQ(map.Capacity(), 32);
    map.EnsureCapacity(1000);
    EXPECT_EQ(map.Capacity(), 256);
}

TEST(GifColorMap, SortByUsageReordersPixelsAndDropsUnused) {
    TGifPicture image;
    auto frame = std::make_unique<TGifFrame>(&image);
    frame->SetBounds(RECT{0, 0, 4, 1});
    for (COLORREF c : {RGB(1, 0, 0), RGB(2, 0, 0), RGB(3, 0, 0)}) frame->ColorMap().AddColor(c);
    const uint8_t pixels[4] = {2, 2, 2, 0};  // colour 1 unused
    std::memcpy(frame->Row(0), pixels, 4);
    EXPECT_TRUE(frame->ColorMap().SortByUsage());
    EXPECT_TRUE(frame->ColorMap().UsageSorted());
    ASSERT_EQ(frame->ColorMap().Count(), 2);
    EXPECT_EQ(frame->ColorMap().ColorAt(0), RGB(3, 0, 0));
    EXPECT_EQ(frame->ColorMap().ColorAt(1), RGB(1, 0, 0));
    EXPECT_EQ(frame->Pixel(0, 0), 0);
    EXPECT_EQ(frame->Pixel(3, 0), 1);
    frame->ColorMap().AddColor(RGB(7, 7, 7));
    EXPECT_FALSE(frame->ColorMap().UsageSorted());
}

TEST(GifColorMap, PaletteAndQuadImportExport) {
    LooseMap map;
    const RGBQUAD quads[3] = {{10, 20, 30, 0}, {0, 0, 255, 0}, {1, 2, 3, 0}};
    ImportQuadTable(map, quads, 3);
    EXPECT_EQ(map.ColorAt(0), RGB(30, 20, 10));
    HPALETTE pal = MakeLogicalPalette(map);
    PALETTEENTRY e[3];
    ASSERT_EQ(GetPaletteEntries(pal, 0, 3, e), 3u);
    EXPECT_EQ(e[1].peRed, 255);
    EXPECT_EQ(e[1].peFlags, PC_NOCOLLAPSE);
    LooseMap back;
    ImportLogicalPalette(back, pal);
    EXPECT_EQ(back.Count(), 3);
    EXPECT_EQ(back.ColorAt(2), RGB(3, 2, 1));
    DeleteObject(pal);
    map.EmptyTable();
    EXPECT_EQ(MakeLogicalPalette(map), nullptr);

    const uint8_t bytes[6] = {1, 2, 3, 4, 5, 6};
    MemoryStream s(bytes, 5);
    EXPECT_EQ(MessageOf([&] { back.ReadTable(s, 2); }), txt::GifPrematureEnd);  // leaves the map as it was
    EXPECT_EQ(back.Count(), 3);
    MemoryStream ok(bytes, 6);
    back.ReadTable(ok, 2);
    EXPECT_EQ(back.Count(), 2);
    EXPECT_EQ(back.ColorAt(1), RGB(4, 5, 6));
}

TEST(GifHeader, WritesThirteenBytesAndReadsLeniently) {
    TGifPicture image;
    image.Assign(giftest::MakeBitmap(300, 2, [](int x, int) { return RGB(x % 3, 0, 0); }));
    MemoryStream s;
    image.Header().SaveToStream(s);
    const auto& d = s.Data();
    ASSERT_EQ(d.size(), 13u);
    EXPECT_EQ(std::string(d.begin(), d.begin() + 6), "GIF87a");
    EXPECT_EQ(d[6] | (d[7] << 8), 300);
    EXPECT_EQ(d[8] | (d[9] << 8), 2);
    EXPECT_EQ(d[10] & 0x88, 0) << "no global map, not sorted";

    auto load = [](std::vector<uint8_t> bytes) {
        TGifPicture other;
        MemoryStream in(bytes.data(), bytes.size());
        other.Header().LoadFromStream(in);
        return std::make_pair(other.Header().ScreenWidth, int(in.Position()));
    };
    std::vector<uint8_t> global = {'g', 'i', 'f', '8', '9', 'a', 5, 0, 6, 0, 0x80, 0, 0, 1, 2, 3, 4, 5, 6};
    auto r = load(global);
    EXPECT_EQ(r.first, 5);
    EXPECT_EQ(r.second, 19);  // two map entries read
    std::vector<uint8_t> prefixed = {0, 0, 0, 0, 'G', 'I', 'F', '8', '7', 'a', 7, 0, 1, 0, 0, 0, 0};
    EXPECT_EQ(load(prefixed).first, 7);
    std::vector<uint8_t> bad = {'P', 'N', 'G', 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    EXPECT_EQ(MessageOf([&] { load(bad); }), txt::GifInvalidSignature);
    EXPECT_EQ(MessageOf([&] { load({'G', 'I'}); }), txt::GifPrematureEnd);
}
