// The LZW encoder, the run-length coder, the string table and the block
// writer, checked against a textbook decoder.
#include <gtest/gtest.h>

#include <numeric>

#include "gif/gif_texts.h"
#include "gif/gif_encoder.h"
#include "test_support.h"

using namespace gif;

namespace {

std::vector<uint8_t> EncodeWith(TGifEncoder& encoder, const std::vector<uint8_t>& pixels, int bits, int colors,
                                int width, int height, bool interlaced = false) {
    MemoryStream s;
    encoder.Encode(s, uint8_t(bits), colors, pixels.empty() ? nullptr : pixels.data(), interlaced, height, width);
    return s.Data();
}

std::vector<uint8_t> Lzw(const std::vector<uint8_t>& pixels, int bits, int width, int height, bool interlaced = false) {
    TLZWEncoder encoder;
    return EncodeWith(encoder, pixels, bits, 1 << std::max(bits, 1), width, height, interlaced);
}

// Decodes and checks the stream's frame: sizes of the sub-blocks, end code,
// terminator, the bytes used, and the pixels.
giftest::CodeStream CheckRoundTrip(const std::vector<uint8_t>& data, const std::vector<uint8_t>& pixels) {
    giftest::CodeStream s = giftest::DecodeImageData(data.data(), data.size());
    EXPECT_EQ(s.error, "");
    EXPECT_TRUE(s.endCode);
    EXPECT_TRUE(s.terminated);
    EXPECT_EQ(s.bytesUsed, data.size()) << "nothing may follow the terminator";
    for (size_t i = 0; i + 1 < s.blockSizes.size(); ++i) EXPECT_EQ(s.blockSizes[i], 255) << "sub-block " << i;
    EXPECT_EQ(s.pixels, pixels);
    return s;
}

}  // namespace

TEST(GifLzw, ExactBytesOfTheSmallestFrames) {
    // 1 x 1, index 0: codes 256, 0, 257 at 9 bits.
    EXPECT_EQ(Lzw({0}, 8, 1, 1), (std::vector<uint8_t>{0x08, 0x04, 0x00, 0x01, 0x04, 0x04, 0x00}));
    // No pixels: the code size, one sub-block with the end code, the terminator.
    EXPECT_EQ(Lzw({}, 8, 0, 0), (std::vector<uint8_t>{0x08, 0x02, 0x01, 0x01, 0x00}));
    EXPECT_EQ(Lzw({0, 0}, 8, 2, 0), (std::vector<uint8_t>{0x08, 0x02, 0x01, 0x01, 0x00}));
    // Two colours: code size 2, clear 4, end 5, three bits.
    const auto two = Lzw({1, 0, 1}, 1, 3, 1);
    EXPECT_EQ(two[0], 2);
    const auto s = CheckRoundTrip(two, {1, 0, 1});
    EXPECT_EQ(s.codes.front(), 4);
    EXPECT_EQ(s.codes.back(), 5);
    EXPECT_EQ(s.widths.front(), 3);
}

TEST(GifLzw, WidthGrowsToTwelveBitsAndTheFullTableClears) {
    // Random pixels fill the table many times over.
    for (int bits : {2, 4, 8}) {
        const auto pixels = giftest::RandomIndices(200000, 1 << bits, uint32_t(bits));
        const auto data = Lzw(pixels, bits, 500, 400);
        const auto s = CheckRoundTrip(data, pixels);
        EXPECT_GT(s.clears, 3) << bits;
        EXPECT_EQ(*std::max_element(s.widths.begin(), s.widths.end()), 12);
        // Right after each full table: a code and the clear at 12 bits, then
        // the start width again.
        for (size_t i = 1; i + 1 < s.codes.size(); ++i)
            if (s.codes[i] == (1 << bits) && i > 1) {
                EXPECT_EQ(s.widths[i], 12);
                EXPECT_EQ(s.widths[i - 1], 12);
                EXPECT_EQ(s.widths[i + 1], bits + 1);
            }
    }
}

TEST(GifLzw, OneColourAndLongRuns) {
    for (size_t n : {size_t(1), size_t(2), size_t(3), size_t(4095), size_t(100000), size_t(4096) * 4096}) {
        std::vector<uint8_t> pixels(n, 7);
        const auto data = Lzw(pixels, 8, int(n), 1);
        const auto s = CheckRoundTrip(data, pixels);
        if (n > 100000) {
            EXPECT_LT(data.size(), n / 100) << "a run compresses";
            EXPECT_GE(s.clears, 2);
        }
    }
}

TEST(GifLzw, DataEndingExactlyOnASubBlockBoundary) {
    // Find a row of random pixels whose codes fill whole sub-blocks.
    const auto pixels = giftest::RandomIndices(5000, 256, 99);
    int found = 0;
    for (int n = 1; n < 5000 && found < 3; ++n) {
        std::vector<uint8_t> row(pixels.begin(), pixels.begin() + n);
        const auto data = Lzw(row, 8, n, 1);
        const auto s = giftest::DecodeImageData(data.data(), data.size());
        if (s.blockSizes.empty() || s.blockSizes.back() != 255) continue;
        ++found;
        CheckRoundTrip(data, row);
        // ... 255-byte block, then straight the terminator.
        EXPECT_EQ(data[data.size() - 257], 255);
        EXPECT_EQ(data.back(), 0);
        EXPECT_NE(data[data.size() - 2], 0) << "no empty sub-block before the terminator";
    }
    EXPECT_EQ(found, 3);
}

TEST(GifLzw, InterlacedRowOrder) {
    for (int rows : {1, 2, 3, 4, 5, 8, 9, 17}) {
        std::vector<uint8_t> pixels(size_t(rows) * 3);
        for (int y = 0; y < rows; ++y)
            for (int x = 0; x < 3; ++x) pixels[size_t(y) * 3 + size_t(x)] = uint8_t(y);
        const auto data = Lzw(pixels, 8, 3, rows, true);
        const auto s = giftest::DecodeImageData(data.data(), data.size());
        std::vector<uint8_t> order;
        for (size_t i = 0; i < s.pixels.size(); i += 3) order.push_back(s.pixels[i]);
        std::vector<uint8_t> expected;
        for (int start : {0, 4, 2, 1})
            for (int y = start; y < rows; y += start == 0 ? 8 : start == 4 ? 8 : start == 2 ? 4 : 2)
                expected.push_back(uint8_t(y));
        EXPECT_EQ(order, expected) << rows << " rows";
    }
    const auto three = giftest::DecodeImageData(Lzw({0, 1, 2}, 8, 1, 3, true).data(), 100);
    EXPECT_EQ(three.pixels, (std::vector<uint8_t>{0, 2, 1}));
}

TEST(GifLzw, IndexOutsideTheColourTableStopsTheStream) {
    TLZWEncoder encoder;
    MemoryStream s;
    const std::vector<uint8_t> pixels = {0, 1, 2, 3, 4, 5, 16};
    bool raised = false;
    try {
        encoder.Encode(s, 4, 16, pixels.data(), false, 1, int(pixels.size()));
    } catch (const EGifError& e) {
        raised = e.Message() == txt::GifColorNotInTable;
    }
    EXPECT_TRUE(raised);
    ASSERT_FALSE(s.Data().empty());
    EXPECT_NE(s.Data().back(), 0) << "no terminator after a failed frame";
    // A map larger than the code size announces cannot smuggle in control
    // codes: index 4 with 2-bit codes would read as the clear code.
    MemoryStream t;
    const std::vector<uint8_t> small = {0, 4};
    TLZWEncoder second;
    EXPECT_THROW(second.Encode(t, 2, 256, small.data(), false, 1, 2), EGifError);
}

TEST(GifLzw, RunLengthCoderIsReadAsPlainGif) {
    struct Case {
        int bits, colors;
        size_t maxRun;
    } cases[] = {{1, 2, 3}, {2, 4, 50}, {3, 8, 9000}, {4, 16, 20}, {8, 256, 1}, {8, 256, 30000}, {8, 3, 400}};
    uint32_t seed = 1;
    for (const Case& c : cases) {
        std::vector<uint8_t> pixels;
        uint32_t s = seed++;
        while (pixels.size() < 120000) {
            s ^= s << 13, s ^= s >> 17, s ^= s << 5;
            const size_t run = 1 + s % c.maxRun;
            s ^= s << 13, s ^= s >> 17, s ^= s << 5;
            pixels.insert(pixels.end(), run, uint8_t(s % uint32_t(c.colors)));
        }
        pixels.resize(120000);
        TRLEEncoder encoder;
        const auto data = EncodeWith(encoder, pixels, c.bits, c.colors, 400, 300);
        CheckRoundTrip(data, pixels);
    }
    TRLEEncoder one;
    CheckRoundTrip(EncodeWith(one, {3}, 8, 256, 1, 1), {3});
    TRLEEncoder flat;
    std::vector<uint8_t> same(4096 * 64, 1);
    CheckRoundTrip(EncodeWith(flat, same, 8, 256, 4096, 64), same);
}

TEST(GifLzw, StringTableFindsWhatItStoresAndNeverCirclesForEver) {
    THashTable table;
    for (uint32_t k = 0; k < 3000; ++k) table.StoreCode(k * 37 % 1048575, int(k + 6));
    for (uint32_t k = 0; k < 3000; ++k) EXPECT_EQ(table.FindCode(k * 37 % 1048575), int(k + 6));
    EXPECT_EQ(table.FindCode(1048574), -1);
    table.Reset();
    EXPECT_EQ(table.FindCode(0), -1);
    // Probing doubles the slot modulo 8009, so a key whose slot is a square
    // modulo 8009 only ever visits the 4004 square slots. More keys than
    // that: once the cycle is full, storing gives up and finding ends
    // instead of circling.
    auto square = [](uint32_t h) {
        uint64_t r = 1, b = h, e = 4004;
        for (; e; e >>= 1, b = b * b % 8009)
            if (e & 1) r = r * b % 8009;
        return h != 0 && r == 1;
    };
    THashTable crowded;
    std::vector<uint32_t> keys;
    for (uint32_t k = 0; k < 1048575 && keys.size() < 4100; ++k)
        if (square((k ^ (k >> 4)) % 8009)) keys.push_back(k);
    ASSERT_EQ(keys.size(), 4100u);
    for (size_t i = 0; i < keys.size(); ++i) crowded.StoreCode(keys[i], int(i & 0xFFF));
    EXPECT_EQ(crowded.FindCode(keys.back()), -1);
    EXPECT_EQ(crowded.FindCode(keys[0]), 0);
}

TEST(GifLzw, BareBlockStreamRefusesEverything) {
    MemoryStream target;
    TGifStream stream(target);
    uint8_t b = 0;
    EXPECT_THROW(stream.Read(&b, 1), EGifError);
    EXPECT_THROW(stream.Write(&b, 1), EGifError);
    EXPECT_THROW(stream.Seek(0, SeekOrigin::Begin), EGifError);
    TGifWriter writer(target);
    std::vector<uint8_t> bytes(300, 9);
    writer.Write(bytes.data(), bytes.size());
    writer.FlushBlock();
    writer.FlushBlock();  // nothing pending: no empty block
    ASSERT_EQ(target.Data().size(), 1 + 255 + 1 + 45u);
    EXPECT_EQ(target.Data()[256], 45);
}
