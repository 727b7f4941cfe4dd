// Colour reduction: the octree palette, the fast lookup's rules, the other
// palettes and the ditherers.
#include <gtest/gtest.h>

#include <set>

#include "gif/gif_texts.h"
#include "gif/gif_reduce.h"
#include "test_support.h"

using namespace gif;

namespace {

HPALETTE PaletteOf(std::initializer_list<COLORREF> colors) {
    struct {
        WORD version, count;
        PALETTEENTRY e[256];
    } pal{0x300, WORD(colors.size()), {}};
    int i = 0;
    for (COLORREF c : colors) pal.e[i++] = PALETTEENTRY{GetRValue(c), GetGValue(c), GetBValue(c), 0};
    return CreatePalette(reinterpret_cast<LOGPALETTE*>(&pal));
}

uint8_t Map(TColorLookup& lookup, COLORREF c) {
    uint8_t r, g, b;
    return lookup.MapColor(GetRValue(c), GetGValue(c), GetBValue(c), r, g, b);
}

std::vector<RGBQUAD> TableOf(const ui::Bitmap& b) { return b.ColorTable(); }

COLORREF EntryOf(const ui::Bitmap& reduced, int x, int y) {
    const RGBQUAD q = TableOf(reduced)[reduced.ScanLine(y)[x]];
    return RGB(q.rgbRed, q.rgbGreen, q.rgbBlue);
}

}  // namespace

TEST(GifFastLookup, TiesCellsAndCache) {
    // A tie on distance goes to the lower index, whatever the colours.
    HPALETTE tie = PaletteOf({RGB(20, 0, 0), RGB(0, 0, 0)});
    TFastColorLookup a(tie);
    EXPECT_EQ(a.ColorTotal, 2);
    EXPECT_EQ(Map(a, RGB(10, 0, 0)), 0);
    DeleteObject(tie);

    // The first palette entry of a cell owns the cell for the colours the
    // palette does not hold, even where a later entry is nearer; a colour it
    // holds maps to its own entry (the first one of that colour), whichever
    // colour of the cell came first.
    HPALETTE shared = PaletteOf({RGB(0, 0, 0), RGB(7, 0, 0), RGB(7, 0, 0), RGB(3, 4, 0)});
    for (bool exactFirst : {true, false}) {
        TFastColorLookup b(shared);
        if (exactFirst) {
            EXPECT_EQ(Map(b, RGB(7, 0, 0)), 1);
        }
        EXPECT_EQ(Map(b, RGB(6, 0, 0)), 0) << "nearer to entry 1, but entry 0 owns the cell";
        EXPECT_EQ(Map(b, RGB(7, 0, 0)), 1);
        EXPECT_EQ(Map(b, RGB(3, 4, 0)), 3);
        EXPECT_EQ(Map(b, RGB(0, 0, 0)), 0);
    }
    DeleteObject(shared);

    // The first colour met in an empty cell decides it for the whole cell.
    HPALETTE two = PaletteOf({RGB(0, 0, 0), RGB(20, 0, 0)});
    TFastColorLookup c(two);
    EXPECT_EQ(Map(c, RGB(9, 0, 0)), 0);
    EXPECT_EQ(Map(c, RGB(15, 0, 0)), 0) << "nearer to entry 1, but its cell is decided";
    TFastColorLookup d(two);
    EXPECT_EQ(Map(d, RGB(15, 0, 0)), 1);
    EXPECT_EQ(Map(d, RGB(9, 0, 0)), 1);
    uint8_t r, g, bl;
    EXPECT_EQ(d.MapColor(9, 0, 0, r, g, bl), 1);
    EXPECT_EQ(r, 20);  // the palette colour comes back

    // Row 1 is walked from the right: its right-hand colour decides the cell.
    ui::Bitmap source = giftest::MakeBitmap(2, 2, [](int x, int y) {
        return y == 0 ? RGB(0, 0, 0) : x == 0 ? RGB(9, 0, 0) : RGB(15, 0, 0);
    });
    ui::Bitmap reduced = ReduceBitmapColors(source, 9, 0, two, 8);
    ASSERT_EQ(reduced.Bits(), 8);
    EXPECT_EQ(reduced.ScanLine(1)[0], 1);
    EXPECT_EQ(reduced.ScanLine(1)[1], 1);
    DeleteObject(two);
}

TEST(GifOctree, OnePixelKeepsTheSystemColoursAround) {
    ui::Bitmap one = giftest::MakeBitmap(1, 1, [](int, int) { return RGB(12, 34, 56); });
    ui::Bitmap reduced = ReduceBitmapColors(one, 8, 0, nullptr, 8);
    const auto table = TableOf(reduced);
    ASSERT_EQ(table.size(), 256u);
    PALETTEENTRY system[20];
    GetPaletteEntries(static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE)), 0, 20, system);
    for (int i = 0; i < 20; ++i) {
        const RGBQUAD q = table[size_t(i < 10 ? i : 236 + i)];
        EXPECT_EQ(RGB(q.rgbRed, q.rgbGreen, q.rgbBlue), RGB(system[i].peRed, system[i].peGreen, system[i].peBlue)) << i;
    }
    EXPECT_EQ(table[10].rgbRed, 12);
    EXPECT_EQ(table[10].rgbGreen, 34);
    EXPECT_EQ(table[10].rgbBlue, 56);
    EXPECT_EQ(reduced.ScanLine(0)[0], 10);
    // The slots the picture does not need are the same every time.
    for (int i = 11; i < 246; ++i) EXPECT_EQ(*reinterpret_cast<const DWORD*>(&table[size_t(i)]), 0u);
}

TEST(GifOctree, FewColoursComeBackExactlyAndManyAreQuantized) {
    const auto colors = giftest::DistinctCellColors(236, 77);
    ui::Bitmap few = giftest::MakeBitmap(300, 200, [&](int x, int y) { return colors[size_t(x * 7 + y * 13) % colors.size()]; });
    ui::Bitmap reduced = ReduceBitmapColors(few, 8, 0, nullptr, 8);
    for (int y = 0; y < 200; y += 3)
        for (int x = 0; x < 300; x += 5) ASSERT_EQ(EntryOf(reduced, x, y), giftest::PixelOf(few, x, y)) << x << "," << y;

    // A smooth picture of thousands of colours: 236 quantized entries, and
    // every pixel near its source.
    ui::Bitmap many = giftest::MakeBitmap(256, 256, [](int x, int y) { return RGB(x, y, (x + y) / 2); });
    ui::Bitmap q = ReduceBitmapColors(many, 8, 0, nullptr, 8);
    std::set<DWORD> distinct;
    const auto table = TableOf(q);
    for (int i = 10; i < 246; ++i) distinct.insert(*reinterpret_cast<const DWORD*>(&table[size_t(i)]));
    EXPECT_GT(distinct.size(), 200u);
    int worst = 0;
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) {
            const COLORREF a = EntryOf(q, x, y), b = giftest::PixelOf(many, x, y);
            worst = std::max(worst, std::abs(GetRValue(a) - GetRValue(b)) + std::abs(GetGValue(a) - GetGValue(b)) +
                                        std::abs(GetBValue(a) - GetBValue(b)));
        }
    EXPECT_LT(worst, 64);
}

TEST(GifOctree, HugeOneColourPictureAveragesWithoutOverflow) {
    // 16.7 million pixels of red 200 sum to more than 2^31.
    ui::Bitmap big(4096, 4096, ui::PixelFormat::Bits32);
    big.Clear(RGB(200, 100, 50));
    TColorQuantizer quantizer(236, 8);
    quantizer.AddBitmapPixels(TDIBReader(big, ui::PixelFormat::Bits24));
    const auto table = quantizer.ReadColorTable();
    ASSERT_EQ(table.size(), 1u);
    EXPECT_EQ(table[0].rgbRed, 200);
    EXPECT_EQ(table[0].rgbGreen, 100);
    EXPECT_EQ(table[0].rgbBlue, 50);
}

TEST(GifOctree, MergingKeepsTheLeafCountWithinTheLimit) {
    TColorQuantizer quantizer(16, 8);
    uint32_t s = 3;
    for (int i = 0; i < 50000; ++i) {
        s ^= s << 13, s ^= s >> 17, s ^= s << 5;
        quantizer.AddColor(uint8_t(s), uint8_t(s >> 8), uint8_t(s >> 16));
        ASSERT_LE(quantizer.LeafCount(), 16);
    }
    EXPECT_LE(quantizer.ReadColorTable().size(), 16u);
}

TEST(GifReduction, EveryMethodGivesItsPalette) {
    ui::Bitmap ramp = giftest::MakeBitmap(256, 4, [](int x, int y) { return RGB(x, (x * 3 + y * 50) & 255, 255 - x); });
    struct Case {
        int method;
        std::function<bool(COLORREF)> allowed;
    } cases[] = {
        {1, [](COLORREF) { return true; }},
        {2, [](COLORREF) { return true; }},
        {3, [](COLORREF c) { int r = GetRValue(c); return GetGValue(c) == r && GetBValue(c) == r && (r == 0 || r == 128 || r == 192 || r == 255); }},
        {4, [](COLORREF c) { return c == RGB(0, 0, 0) || c == RGB(255, 255, 255); }},
        {5, [](COLORREF c) { return GetRValue(c) == GetGValue(c) && GetGValue(c) == GetBValue(c); }},
        {6, [](COLORREF c) { return GetRValue(c) % 51 == 0 && GetGValue(c) % 51 == 0 && GetBValue(c) % 51 == 0; }},
        {7, [](COLORREF) { return true; }},
    };
    for (const Case& c : cases) {
        ui::Bitmap reduced = ReduceBitmapColors(ramp, c.method, 0, nullptr, 3);
        ASSERT_EQ(reduced.Bits(), 8) << c.method;
        std::set<int> indices;
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 256; ++x) {
                indices.insert(reduced.ScanLine(y)[x]);
                ASSERT_TRUE(c.allowed(EntryOf(reduced, x, y))) << "method " << c.method;
            }
        if (c.method == 7) {
            EXPECT_LE(indices.size(), 8u);
        }
        if (c.method == 1) {
            EXPECT_LT(*indices.rbegin(), 20);
        }
    }
    // Grey levels follow 77, 150, 29.
    ui::Bitmap one = giftest::MakeBitmap(1, 1, [](int, int) { return RGB(100, 50, 200); });
    EXPECT_EQ(ReduceBitmapColors(one, 5, 0, nullptr, 8).ScanLine(0)[0], (77 * 100 + 150 * 50 + 29 * 200) >> 8);
    EXPECT_EQ(ReduceBitmapColors(one, 6, 0, nullptr, 8).ScanLine(0)[0], 2 * 36 + 1 * 6 + 3);  // (c + 3) div 51

    // Method 0 is a 24-bit copy; unknown methods, unknown dither kinds and an
    // absent given palette give nothing.
    EXPECT_EQ(ReduceBitmapColors(ramp, 0, 0, nullptr, 8).Bits(), 24);
    EXPECT_TRUE(ReduceBitmapColors(ramp, 10, 0, nullptr, 8).Empty());
    EXPECT_TRUE(ReduceBitmapColors(ramp, 8, 7, nullptr, 8).Empty());
    EXPECT_TRUE(ReduceBitmapColors(ramp, 9, 0, nullptr, 8).Empty());
    // No pixels at all is an error, not an empty result.
    bool raised = false;
    try {
        ReduceBitmapColors(ui::Bitmap(), 8, 0, nullptr, 8);
    } catch (const EGifError& e) {
        raised = e.Message() == txt::GifInvalidImageDimensions;
    }
    EXPECT_TRUE(raised);
    EXPECT_EQ(ramp.Format(), ui::PixelFormat::Bits32) << "the source is never converted";
}

TEST(GifReduction, DitherersSpreadTheErrorOfMidGrey) {
    ui::Bitmap grey = giftest::MakeBitmap(64, 64, [](int, int) { return RGB(128, 128, 128); });
    for (int kind = 0; kind <= 6; ++kind) {
        ui::Bitmap bw = ReduceBitmapColors(grey, 4, kind, nullptr, 8);
        ASSERT_EQ(bw.Bits(), 8);
        int white = 0;
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x) white += bw.ScanLine(y)[x];
        if (kind == 0)
            EXPECT_EQ(white, 64 * 64) << "no dithering: one colour";
        else
            EXPECT_NEAR(white, 64 * 64 / 2, 64 * 64 / 10) << "ditherer " << kind;
    }
    // Narrow pictures: kernels reach past both edges.
    for (int width : {1, 2, 3}) {
        ui::Bitmap thin = giftest::MakeBitmap(width, 50, [](int x, int y) { return RGB(x * 90, y * 5, 128); });
        for (int kind = 1; kind <= 6; ++kind) EXPECT_EQ(ReduceBitmapColors(thin, 6, kind, nullptr, 8).Width(), width);
    }
}
