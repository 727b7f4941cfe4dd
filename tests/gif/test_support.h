// Helpers of the GIF codec tests: a GIF reader of its own (a plain textbook
// LZW decoder that also records what the code stream looked like), and
// small bitmap makers.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "ui/bitmap.h"

namespace giftest {

struct CodeStream {
    int minCodeSize = 0;
    std::vector<int> blockSizes;  // sizes of the data sub-blocks in order
    bool terminated = false;      // a zero-length block ended the data
    std::vector<uint8_t> pixels;  // decoded indices in stream order
    std::vector<int> codes;       // every code read
    std::vector<int> widths;      // the width each code was read at
    int clears = 0;
    bool endCode = false;
    std::string error;            // empty when the stream decoded cleanly
    size_t bytesUsed = 0;         // from the code size byte through the terminator
};

// Decodes table-based image data starting at data (the code size byte).
CodeStream DecodeImageData(const uint8_t* data, size_t size);

struct Image {
    int left = 0, top = 0, width = 0, height = 0, packed = 0;
    std::vector<uint8_t> localMap;
    std::vector<std::vector<uint8_t>> extensions;  // each block from 0x21 on
    CodeStream data;
    std::vector<uint8_t> RowOrderPixels() const;   // de-interlaced when needed
};

struct Gif {
    std::string signature;  // "GIF87a" / "GIF89a"
    int width = 0, height = 0, packed = 0, background = 0, aspect = 0;
    std::vector<uint8_t> globalMap;
    std::vector<std::vector<uint8_t>> extensions;  // blocks that followed no image
    std::vector<Image> images;
    bool trailer = false;
    std::string error;
};

Gif ParseGif(const std::vector<uint8_t>& file);

// A 32-bit bitmap whose pixel (x, y) is color(x, y).
ui::Bitmap MakeBitmap(int width, int height, const std::function<COLORREF(int, int)>& color);
// A palette bitmap (1, 4 or 8 bits) whose colour table has exactly the given
// entries.
ui::Bitmap MakeIndexedBitmap(int width, int height, int bits, const std::vector<RGBQUAD>& table,
                             const std::function<int(int, int)>& index);
COLORREF PixelOf(const ui::Bitmap& bitmap, int x, int y);  // any format
// n colours that lie in different 5-5-5 cells, none of them a cell of the 20
// Windows system colours: the fast lookup maps such colours to themselves.
std::vector<COLORREF> DistinctCellColors(int n, uint32_t seed);
std::vector<uint8_t> ReadFileBytes(const std::wstring& path);
// n pseudo-random colour indices below colors, the same for the same seed.
std::vector<uint8_t> RandomIndices(size_t n, int colors, uint32_t seed);
std::wstring TempPath(const std::wstring& name);

}  // namespace giftest
