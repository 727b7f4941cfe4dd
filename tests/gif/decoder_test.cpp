// The LZW decoder on its own: what the encoder wrote, every sub-block size,
// the interlace passes, and code streams that are broken in the ways files
// are.
#include <gtest/gtest.h>

#include <utility>

#include "gif/gif_texts.h"
#include "gif/gif_encoder.h"
#include "gif/gif_lzw_decoder.h"
#include "gif/gif_read_texts.h"
#include "test_support.h"

using namespace gif;

namespace {

std::vector<uint8_t> Encode(const std::vector<uint8_t>& pixels, int bits, int width, int height, bool interlaced) {
    MemoryStream s;
    TLZWEncoder encoder;
    encoder.Encode(s, uint8_t(bits), 1 << bits, pixels.data(), interlaced, height, width);
    return s.Data();
}

// Image data: the minimum code size, the code bytes in sub-blocks of
// blockSize bytes, the terminator.
std::vector<uint8_t> SubBlocks(uint8_t minSize, const std::vector<uint8_t>& codeBytes, size_t blockSize) {
    std::vector<uint8_t> out{minSize};
    for (size_t at = 0; at < codeBytes.size(); at += blockSize) {
        const size_t n = std::min(blockSize, codeBytes.size() - at);
        out.push_back(uint8_t(n));
        out.insert(out.end(), codeBytes.begin() + long(at), codeBytes.begin() + long(at + n));
    }
    out.push_back(0);
    return out;
}

// The same code stream cut into sub-blocks of another size.
std::vector<uint8_t> Rechunk(const std::vector<uint8_t>& data, size_t blockSize) {
    std::vector<uint8_t> codes;
    for (size_t i = 1; i < data.size() && data[i] != 0; i += 1 + data[i])
        codes.insert(codes.end(), data.begin() + long(i) + 1, data.begin() + long(i) + 1 + data[i]);
    return SubBlocks(data[0], codes, blockSize);
}

// Image data from codes of given widths, least significant bit first.
std::vector<uint8_t> Pack(int minSize, const std::vector<std::pair<int, int>>& codes, size_t blockSize = 255) {
    std::vector<uint8_t> bytes;
    uint32_t bits = 0;
    int count = 0;
    for (auto [code, width] : codes) {
        bits |= uint32_t(code) << count;
        count += width;
        for (; count >= 8; count -= 8, bits >>= 8) bytes.push_back(uint8_t(bits));
    }
    if (count > 0) bytes.push_back(uint8_t(bits));
    return SubBlocks(uint8_t(minSize), bytes, blockSize);
}

struct Decoded {
    std::vector<uint8_t> pixels;
    std::vector<std::wstring> warnings;
    int next = -1;  // the byte after the data (-1: the stream's end)
    std::wstring error;
};

Decoded Decode(std::vector<uint8_t> data, int width, int height, bool interlaced = false, uint8_t fill = 0) {
    data.push_back(';');  // what follows the image data in a file
    MemoryStream s(data.data(), data.size());
    Decoded d;
    d.pixels.assign(size_t(width) * size_t(height), 0xEE);
    TDecodeTarget t;
    t.Pixels = d.pixels.data();
    t.Width = width;
    t.Height = height;
    t.Interlaced = interlaced;
    t.Fill = fill;
    t.Warning = [&](int, const std::wstring& m) { d.warnings.push_back(m); };
    try {
        DecodeImageData(t, s);
    } catch (const EGifError& e) {
        d.error = e.Message();
    }
    uint8_t b;
    if (s.Read(&b, 1) == 1) d.next = b;
    return d;
}

}  // namespace

TEST(GifDecoder, ReadsWhatTheEncoderWroteInSubBlocksOfAnySize) {
    struct Case {
        int bits, width, height;
        bool interlaced;
    };
    const Case cases[] = {{1, 1, 1, false}, {2, 7, 5, true},   {3, 9, 9, false},   {4, 64, 50, true},
                          {8, 3, 1, false}, {8, 500, 400, false}, {8, 301, 203, true}, {2, 999, 101, false}};
    for (const Case& c : cases) {
        const auto pixels = giftest::RandomIndices(size_t(c.width) * size_t(c.height), 1 << c.bits, uint32_t(c.width * 7 + c.bits));
        const auto data = Encode(pixels, c.bits, c.width, c.height, c.interlaced);
        for (size_t block : {255u, 254u, 100u, 7u, 3u, 2u, 1u}) {
            const Decoded d = Decode(Rechunk(data, block), c.width, c.height, c.interlaced);
            EXPECT_EQ(d.error, L"");
            EXPECT_TRUE(d.warnings.empty()) << c.bits << " " << c.width << " block " << block;
            EXPECT_EQ(d.next, ';') << "the reader stops right after the terminator";
            ASSERT_EQ(d.pixels, pixels) << c.bits << " bits, " << c.width << " x " << c.height << ", block " << block;
        }
    }
}

TEST(GifDecoder, InterlacedRowsComeInTheFourPasses) {
    // Row k of the stream holds the value k; the passes fill rows 0, 8, 16,
    // ...; 4, 12, ...; 2, 6, ...; 1, 3, ... and skip passes that start below
    // the last row.
    const std::pair<int, std::vector<int>> cases[] = {
        {1, {0}}, {2, {0, 1}}, {3, {0, 2, 1}}, {5, {0, 3, 2, 4, 1}}, {9, {0, 5, 3, 6, 2, 7, 4, 8, 1}}};
    for (const auto& [height, rows] : cases) {
        const int width = 3;
        std::vector<uint8_t> streamOrder;
        for (int k = 0; k < height; ++k) streamOrder.insert(streamOrder.end(), width, uint8_t(k));
        const Decoded d = Decode(Encode(streamOrder, 4, width, height, false), width, height, true);
        std::vector<int> got;
        for (int y = 0; y < height; ++y) got.push_back(d.pixels[size_t(y) * width]);
        EXPECT_EQ(got, rows) << height;
    }
}

TEST(GifDecoder, BrokenCodeStreamsEndTheFrameAndTheReaderMovesOnToTheNextBlock) {
    // Minimum code size 2: clear 4, end 5, codes of 3 bits until the table
    // holds 8 entries. A 6 x 1 frame, fill 9.
    using Codes = std::vector<std::pair<int, int>>;
    struct Case {
        const char* what;
        std::vector<uint8_t> data;
        std::vector<uint8_t> pixels;
        const wchar_t* warning;  // null: none
    };
    const Codes wellFormed{{4, 3}, {1, 3}, {2, 3}, {3, 3}, {0, 4}, {1, 4}, {2, 4}, {5, 4}};
    const Case cases[] = {
        {"well formed", Pack(2, wellFormed), {1, 2, 3, 0, 1, 2}, nullptr},
        {"codes spanning one-byte sub-blocks", Pack(2, wellFormed, 1), {1, 2, 3, 0, 1, 2}, nullptr},
        {"no clear code first", Pack(2, Codes{{1, 3}, {2, 3}, {5, 3}}), {1, 2, 9, 9, 9, 9}, nullptr},
        {"a code beyond the next free slot", Pack(2, Codes{{4, 3}, {1, 3}, {7, 3}, {2, 3}, {5, 3}}),
         {1, 9, 9, 9, 9, 9}, txt::GifInvalidCode},
        {"a string code right after a clear", Pack(2, Codes{{4, 3}, {6, 3}, {1, 3}, {5, 3}}), {9, 9, 9, 9, 9, 9},
         txt::GifInvalidCode},
        {"the end code right after a clear", Pack(2, Codes{{4, 3}, {5, 3}, {1, 3}}), {9, 9, 9, 9, 9, 9}, nullptr},
        {"clear, clear, end", Pack(2, Codes{{4, 3}, {4, 3}, {5, 3}}), {9, 9, 9, 9, 9, 9}, nullptr},
        {"the terminator before the end code", Pack(2, Codes{{4, 3}, {1, 3}, {2, 3}, {3, 3}, {0, 4}}),
         {1, 2, 3, 0, 9, 9}, txt::GifDecoderUnderrun},
        {"more codes than pixels",
         Pack(2, Codes{{4, 3}, {1, 3}, {2, 3}, {3, 3}, {0, 4}, {1, 4}, {2, 4}, {3, 4}, {5, 4}}), {1, 2, 3, 0, 1, 2},
         txt::GifTooMuchImageData},
        {"a string reaching past the frame", Pack(2, Codes{{4, 3}, {1, 3}, {6, 3}, {6, 3}, {7, 4}, {5, 4}}),
         {1, 1, 1, 1, 1, 1}, txt::GifTooMuchImageData},
        {"no data at all", std::vector<uint8_t>{2, 0}, {9, 9, 9, 9, 9, 9}, txt::GifDecoderUnderrun},
    };
    for (const Case& c : cases) {
        const Decoded d = Decode(c.data, 6, 1, false, 9);
        EXPECT_EQ(d.error, L"") << c.what;
        EXPECT_EQ(d.pixels, c.pixels) << c.what;
        EXPECT_EQ(d.next, ';') << c.what;
        if (c.warning)
            EXPECT_EQ(d.warnings, std::vector<std::wstring>{c.warning}) << c.what;
        else
            EXPECT_TRUE(d.warnings.empty()) << c.what;
    }
}

TEST(GifDecoder, MinimumCodeSizesOutsideOneToElevenAreInvalid) {
    for (int size : {0, 12, 13, 255}) {
        const Decoded d = Decode({uint8_t(size), 2, 0xFF, 0xFF, 0}, 2, 2, false, 1);
        EXPECT_EQ(d.error, txt::GifInvalidCodeSize) << size;
        EXPECT_EQ(d.next, ';') << "the data is skipped";
        EXPECT_EQ(d.pixels, (std::vector<uint8_t>{1, 1, 1, 1}));
    }
    // 1 and 11 are read: codes of 2 and 12 bits.
    for (int size : {1, 11}) {
        const auto pixels = giftest::RandomIndices(300, 2, 5);
        using Codes = std::vector<std::pair<int, int>>;
        Codes codes{{1 << size, size + 1}};
        // Single-pixel codes, the width growing as the table fills.
        int free = (1 << size) + 2, width = size + 1;
        for (size_t i = 0; i < pixels.size(); ++i) {
            codes.push_back({pixels[i], width});
            if (i > 0) ++free;
            if (free >= (1 << width) && width < 12) ++width;
        }
        codes.push_back({(1 << size) + 1, width});
        const Decoded d = Decode(Pack(size, codes), 300, 1);
        EXPECT_EQ(d.error, L"") << size;
        EXPECT_EQ(d.pixels, pixels) << size;
        EXPECT_EQ(d.next, ';');
    }
}

TEST(GifDecoder, DataCutShortKeepsWhatCameAndFillsTheRest) {
    const auto pixels = giftest::RandomIndices(40 * 30, 16, 9);
    const auto data = Encode(pixels, 4, 40, 30, false);
    size_t lastGood = 0;
    for (size_t cut = 1; cut < data.size(); ++cut) {
        std::vector<uint8_t> part(data.begin(), data.begin() + long(cut));
        MemoryStream s(part.data(), part.size());
        std::vector<uint8_t> got(pixels.size(), 0xEE);
        TDecodeTarget t;
        t.Pixels = got.data();
        t.Width = 40;
        t.Height = 30;
        t.Fill = 200;
        std::vector<std::wstring> warnings;
        t.Warning = [&](int, const std::wstring& m) { warnings.push_back(m); };
        ASSERT_NO_THROW(DecodeImageData(t, s)) << cut;
        size_t good = 0;
        while (good < got.size() && got[good] == pixels[good]) ++good;
        for (size_t i = good; i < got.size(); ++i) ASSERT_EQ(got[i], 200) << "cut " << cut << " pixel " << i;
        EXPECT_GE(good, lastGood) << "more data never gives fewer pixels";
        EXPECT_EQ(s.Position(), int64_t(cut)) << "the reader stops at the end of the data";
        lastGood = good;
    }
    EXPECT_GT(lastGood, pixels.size() - 40);
}
