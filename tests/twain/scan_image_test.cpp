// The pixel side of scans: what a source hands over is checked before use,
// the resolution rules, and memory-transfer strips assembled into a DIB.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

#include "twain/scan_image.h"

namespace {

using twain::DibLayout;
using twain::InspectDib;

template <typename T>
void Put(std::vector<uint8_t>& b, size_t at, T v) {
    std::memcpy(&b[at], &v, sizeof v);
}

// A DIB block: 40-byte header, then table bytes, then rows.
std::vector<uint8_t> Dib(int32_t w, int32_t h, int bits, uint32_t colorsUsed, uint32_t tableBytes,
                         uint32_t compression = 0, int32_t xppm = 0, int32_t yppm = 0) {
    const uint32_t stride = twain::DibStride(w, bits);
    const size_t rows = size_t(h < 0 ? -h : h);
    std::vector<uint8_t> b(40 + tableBytes + stride * rows, 0);
    Put<uint32_t>(b, 0, 40);
    Put<int32_t>(b, 4, w);
    Put<int32_t>(b, 8, h);
    Put<uint16_t>(b, 12, 1);
    Put<uint16_t>(b, 14, uint16_t(bits));
    Put<uint32_t>(b, 16, compression);
    Put<int32_t>(b, 24, xppm);
    Put<int32_t>(b, 28, yppm);
    Put<uint32_t>(b, 32, colorsUsed);
    return b;
}

TEST(ScanImage, InspectAcceptsWhatSourcesSendAndFindsThePixels) {
    struct Case {
        const char* what;
        std::vector<uint8_t> block;
        size_t pixelOffset;
        uint32_t colors;
    } cases[] = {
        {"24-bit", Dib(5, 3, 24, 0, 0), 40, 0},
        {"24-bit declaring 3 colours: the table is skipped", Dib(5, 3, 24, 3, 12), 52, 0},
        {"8-bit full table", Dib(5, 3, 8, 0, 1024), 40 + 1024, 256},
        {"8-bit with 16 colours used", Dib(5, 3, 8, 16, 64), 40 + 64, 16},
        {"1-bit", Dib(9, 2, 1, 0, 8), 48, 2},
        {"top-down 24-bit", Dib(5, -3, 24, 0, 0), 40, 0},
        {"32-bit bit fields: masks after the header", Dib(4, 2, 32, 0, 12, 3), 52, 0},
    };
    for (const auto& c : cases) {
        auto d = InspectDib(c.block.data(), c.block.size());
        ASSERT_TRUE(d) << c.what;
        EXPECT_EQ(d->pixelOffset, c.pixelOffset) << c.what;
        EXPECT_EQ(d->colorEntries, c.colors) << c.what;
        EXPECT_EQ(d->pixelOffset + d->imageBytes, c.block.size()) << c.what;
    }
    // A core header: 3-byte table entries.
    std::vector<uint8_t> core(12 + 6 + 4 * 2, 0);
    Put<uint32_t>(core, 0, 12);
    Put<uint16_t>(core, 4, 3);
    Put<uint16_t>(core, 6, 2);
    Put<uint16_t>(core, 8, 1);
    Put<uint16_t>(core, 10, 1);
    auto d = InspectDib(core.data(), core.size());
    ASSERT_TRUE(d);
    EXPECT_EQ(d->pixelOffset, 18u);
}

TEST(ScanImage, InspectRefusesHeadersThatClaimMoreThanTheBlock) {
    auto cut = Dib(5, 3, 24, 0, 0);
    cut.pop_back();
    auto hugeColors = Dib(5, 3, 24, 0x40000000, 0);
    auto tooManyColors = Dib(5, 3, 8, 300, 1024);
    auto header = Dib(5, 3, 24, 0, 0);
    Put<uint32_t>(header, 0, 5000);
    auto giant = Dib(1, 1, 24, 0, 0);
    Put<int32_t>(giant, 4, 70000);
    Put<int32_t>(giant, 8, 70000);
    auto zero = Dib(5, 3, 24, 0, 0);
    Put<int32_t>(zero, 8, 0);
    auto minHeight = Dib(5, 3, 24, 0, 0);
    Put<int32_t>(minHeight, 8, INT32_MIN);
    auto badDepth = Dib(5, 3, 24, 0, 0);
    Put<uint16_t>(badDepth, 14, 7);
    auto rle = Dib(5, 3, 8, 0, 1024, 1);
    const std::vector<uint8_t>* bad[] = {&cut, &hugeColors, &tooManyColors, &header, &giant, &zero, &minHeight,
                                         &badDepth, &rle};
    for (size_t i = 0; i < std::size(bad); ++i)
        EXPECT_FALSE(InspectDib(bad[i]->data(), bad[i]->size())) << "case " << i;
    EXPECT_FALSE(InspectDib(nullptr, 0));
    EXPECT_FALSE(InspectDib(cut.data(), 11));
}

TEST(ScanImage, HeaderNumbersAreCombinedWithoutOverflow) {
    // Planes and bit count are 16 bits each: their product, and the sizes
    // made from a header's numbers, must be computed wide enough for any
    // value (65535 x 65535 overflows a signed 32-bit number).
    struct Case {
        const char* what;
        uint16_t planes, bitCount;
    } cases[] = {
        {"65535 planes of 65535 bits", 0xFFFF, 0xFFFF},
        {"65535 planes of 1 bit", 0xFFFF, 1},
        {"2 planes of 65535 bits", 2, 0xFFFF},
    };
    for (const auto& c : cases) {
        auto info = Dib(5, 3, 24, 0, 0);
        Put<uint16_t>(info, 12, c.planes);
        Put<uint16_t>(info, 14, c.bitCount);
        EXPECT_FALSE(InspectDib(info.data(), info.size())) << c.what;
        std::vector<uint8_t> core(12 + 64, 0);
        Put<uint32_t>(core, 0, 12);
        Put<uint16_t>(core, 4, 0xFFFF);
        Put<uint16_t>(core, 6, 0xFFFF);
        Put<uint16_t>(core, 8, c.planes);
        Put<uint16_t>(core, 10, c.bitCount);
        EXPECT_FALSE(InspectDib(core.data(), core.size())) << c.what << " (core header)";
    }
    // 3 planes of 8 bits are 24 bits per pixel, as the product says.
    auto planes = Dib(5, 3, 24, 0, 0);
    Put<uint16_t>(planes, 12, 3);
    Put<uint16_t>(planes, 14, 8);
    auto d = InspectDib(planes.data(), planes.size());
    ASSERT_TRUE(d);
    EXPECT_EQ(d->bits, 24);
    // The widest and highest numbers a header can hold, with every depth.
    for (int bits : {1, 4, 8, 16, 24, 32}) {
        auto wide = Dib(1, 1, bits, 0xFFFFFFFF, 0);
        Put<int32_t>(wide, 4, INT32_MAX);
        Put<int32_t>(wide, 8, -INT32_MAX);
        EXPECT_FALSE(InspectDib(wide.data(), wide.size())) << bits;
    }
    // A memory transfer of the widest strip rows.
    twain::MemoryImage image;
    if (image.Start(1 << 20, 4, 32)) {
        std::vector<uint8_t> strip(64, 7);
        image.AddStrip(strip.data(), strip.size(), 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFF0);
        image.AddStrip(strip.data(), strip.size(), 16, 4, 2);
        EXPECT_EQ(image.Rows(), 4);
    }
}

TEST(ScanImage, BmpFileCarriesTheRulesAndThePixels) {
    auto block = Dib(2, 1, 24, 2, 8, 0, 0, 5000);  // declares two colours, vertical resolution only
    block[48] = 1;                                 // first pixel's blue
    block[53] = 9;                                 // second pixel's red
    auto d = InspectDib(block.data(), block.size());
    ASSERT_TRUE(d);
    const auto file = twain::DibToBmpFile(block.data(), *d);
    ASSERT_EQ(file.size(), 14u + 40u + 8u);
    int32_t x, y;
    uint32_t colors, offset;
    std::memcpy(&offset, &file[10], 4);
    std::memcpy(&x, &file[14 + 24], 4);
    std::memcpy(&y, &file[14 + 28], 4);
    std::memcpy(&colors, &file[14 + 32], 4);
    EXPECT_EQ(offset, 54u);
    EXPECT_EQ(x, 5000) << "the horizontal resolution takes the vertical one";
    EXPECT_EQ(y, 5000);
    EXPECT_EQ(colors, 0u);
    EXPECT_EQ(file[54], 1);
    EXPECT_EQ(file[59], 9);
}

TEST(ScanImage, BitFieldMasksComeBehindTheFilesHeader) {
    // 2 x 1 pixels of 32 bits with masks 0xFF0000, 0xFF00, 0xFF: behind a
    // 40-byte header, or inside a 108-byte one. The file's header is 40
    // bytes either way, so the masks must follow it there.
    struct Case {
        const char* what;
        uint32_t headerSize;
    } cases[] = {{"40-byte header", 40}, {"108-byte header", 108}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        auto block = Dib(2, 1, 32, 0, c.headerSize == 40 ? 12 : c.headerSize - 40, 3);
        Put<uint32_t>(block, 0, c.headerSize);
        Put<uint32_t>(block, 40, 0xFF0000);
        Put<uint32_t>(block, 44, 0xFF00);
        Put<uint32_t>(block, 48, 0xFF);
        const size_t pixels = c.headerSize == 40 ? 52 : c.headerSize;
        Put<uint32_t>(block, pixels, 0x123456);
        Put<uint32_t>(block, pixels + 4, 0xABCDEF);
        auto d = InspectDib(block.data(), block.size());
        ASSERT_TRUE(d);
        const auto file = twain::DibToBmpFile(block.data(), *d);
        ASSERT_EQ(file.size(), 14u + 40u + 12u + 8u);
        uint32_t offset, masks[3], first, second;
        std::memcpy(&offset, &file[10], 4);
        std::memcpy(masks, &file[54], 12);
        std::memcpy(&first, &file[66], 4);
        std::memcpy(&second, &file[70], 4);
        EXPECT_EQ(offset, 66u);
        EXPECT_EQ(masks[0], 0xFF0000u);
        EXPECT_EQ(masks[1], 0xFF00u);
        EXPECT_EQ(masks[2], 0xFFu);
        EXPECT_EQ(first, 0x123456u);
        EXPECT_EQ(second, 0xABCDEFu);
    }
    // A header between 40 and 52 bytes has no room for the masks it claims.
    auto narrow = Dib(2, 1, 32, 0, 4, 3);
    Put<uint32_t>(narrow, 0, 44);
    EXPECT_FALSE(InspectDib(narrow.data(), narrow.size()).has_value());
}

TEST(ScanImage, ResolutionRules) {
    struct {
        int32_t x, y, wantX, wantY;
    } cases[] = {{0, 0, 11811, 11811}, {0, 4000, 4000, 4000}, {3000, -1, 3000, 3000}, {100, 200, 100, 200}};
    for (auto c : cases) {
        twain::FixResolution(c.x, c.y);
        EXPECT_EQ(c.x, c.wantX);
        EXPECT_EQ(c.y, c.wantY);
    }
    EXPECT_EQ(twain::PixelsPerMetre(300.0, 0), 11811);
    EXPECT_EQ(twain::PixelsPerMetre(118.0, 1), 11800);
    EXPECT_EQ(twain::PixelsPerMetre(300.0, 2), 0);
    EXPECT_DOUBLE_EQ(twain::Fix32ToDouble(150, 32768), 150.5);
}

TEST(ScanImage, ColorTables) {
    EXPECT_EQ(twain::ScanColorTable(1, 0), (std::vector<uint32_t>{0, 0xFFFFFF})) << "flavour 0: 0 is black";
    EXPECT_EQ(twain::ScanColorTable(1, 1), (std::vector<uint32_t>{0xFFFFFF, 0}));
    const auto grey = twain::ScanColorTable(8, 0);
    ASSERT_EQ(grey.size(), 256u);
    EXPECT_EQ(grey[0x7F], 0x7F7F7Fu);
    EXPECT_TRUE(twain::ScanColorTable(24, 0).empty());
    // 4 bits: a grey ramp of 16 too, so that the block is a whole DIB.
    const auto grey4 = twain::ScanColorTable(4, 0);
    ASSERT_EQ(grey4.size(), 16u);
    EXPECT_EQ(grey4[0], 0u);
    EXPECT_EQ(grey4[15], 0xFFFFFFu);
    for (int bits : {1, 4, 8, 16, 24, 32}) {
        SCOPED_TRACE(bits);
        twain::MemoryImage image;
        ASSERT_TRUE(image.Start(3, 2, bits));
        const std::vector<uint8_t> block = image.Finish(twain::ScanColorTable(bits, 0), 11811, 11811);
        EXPECT_TRUE(InspectDib(block.data(), block.size()).has_value());
    }
}

// Rows of a 3 x 4 24-bit image sent top first, red first: row r pixel x is
// (r, x, 200) as red, green, blue.
std::vector<uint8_t> SentRows(uint32_t bytesPerRow) {
    std::vector<uint8_t> rows(bytesPerRow * 4, 0xEE);
    for (uint32_t r = 0; r < 4; ++r)
        for (uint32_t x = 0; x < 3; ++x) {
            rows[r * bytesPerRow + x * 3] = uint8_t(r);
            rows[r * bytesPerRow + x * 3 + 1] = uint8_t(x);
            rows[r * bytesPerRow + x * 3 + 2] = 200;
        }
    return rows;
}

void ExpectImage(const std::vector<uint8_t>& block, int rows) {
    auto d = InspectDib(block.data(), block.size());
    ASSERT_TRUE(d);
    ASSERT_EQ(d->height, rows);
    for (int r = 0; r < rows; ++r) {
        const uint8_t* row = block.data() + d->pixelOffset + size_t(rows - 1 - r) * d->stride;  // bottom-up
        for (int x = 0; x < 3; ++x) {
            EXPECT_EQ(row[x * 3], 200) << "blue first";
            EXPECT_EQ(row[x * 3 + 1], x);
            EXPECT_EQ(row[x * 3 + 2], r);
        }
        EXPECT_EQ(row[9], 0) << "padding is not pixel data";
    }
}

TEST(ScanImage, MemoryStripsBecomeABottomUpDib) {
    struct Case {
        const char* what;
        int32_t length;
        uint32_t bytesPerRow;
        uint32_t rowsPerStrip;
    } cases[] = {
        {"known length, one row a strip", 4, 12, 1},
        {"known length, rows wider than the DIB's", 4, 16, 3},
        {"unknown length", -1, 12, 2},
        {"rows narrower than the DIB's (no padding sent)", 4, 9, 4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto sent = SentRows(c.bytesPerRow);
        twain::MemoryImage image;
        ASSERT_TRUE(image.Start(3, c.length, 24));
        for (uint32_t y = 0; y < 4; y += c.rowsPerStrip) {
            const uint32_t rows = std::min(c.rowsPerStrip, 4 - y);
            image.AddStrip(&sent[y * c.bytesPerRow], rows * c.bytesPerRow, c.bytesPerRow, rows, y);
        }
        ExpectImage(image.Finish({}, 11811, 11811), 4);
    }
}

TEST(ScanImage, ImagesBeyondTheIncomingBoundAreRefused) {
    // 8192 x 8192 is the largest image the program takes; one row or column
    // more is refused, however the source sends it.
    EXPECT_TRUE(InspectDib(Dib(8192, 8192, 1, 0, 8).data(), 40 + 8 + 1024 * 8192).has_value());
    for (auto [w, h] : {std::pair{8193, 8192}, {8192, -8193}, {16384, 16384}}) {
        SCOPED_TRACE(testing::Message() << w << " x " << h);
        const std::vector<uint8_t> block = Dib(w, h, 1, 0, 8);
        EXPECT_FALSE(InspectDib(block.data(), block.size()).has_value());
        EXPECT_FALSE(twain::MemoryImage().Start(w, h < 0 ? -h : h, 1));
    }
    EXPECT_TRUE(twain::MemoryImage().Start(8192, 8192, 1));
    // With the length unknown, a row longer than the bound is refused too.
    EXPECT_TRUE(twain::MemoryImage().Start(8192, -1, 1));
    EXPECT_FALSE(twain::MemoryImage().Start(int32_t(twain::MaxScanPixels + 1), -1, 1));
    EXPECT_FALSE(twain::MemoryImage().Start(INT32_MAX, -1, 32));
}

TEST(ScanImage, StripsThatClaimTooMuchAreCut) {
    const auto sent = SentRows(12);
    twain::MemoryImage image;
    ASSERT_TRUE(image.Start(3, 4, 24));
    // Claims 10 rows but wrote only 4; then a strip beyond the image.
    image.AddStrip(sent.data(), sent.size(), 12, 10, 0);
    image.AddStrip(sent.data(), sent.size(), 12, 4, 3);
    image.AddStrip(sent.data(), sent.size(), 12, 4, 4000000000u);
    image.AddStrip(sent.data(), sent.size(), 0, 4, 0);
    EXPECT_EQ(image.Rows(), 4);
    twain::MemoryImage unknown;
    ASSERT_TRUE(unknown.Start(3, -1, 24));
    unknown.AddStrip(sent.data(), sent.size(), 12, 1, 4000000000u);  // beyond any bitmap: ignored
    EXPECT_EQ(unknown.Rows(), 0);
    EXPECT_FALSE(twain::MemoryImage().Start(0, 4, 24));
    EXPECT_FALSE(twain::MemoryImage().Start(3, -2, 24));
    EXPECT_FALSE(twain::MemoryImage().Start(70000, 70000, 24));
}

}  // namespace
