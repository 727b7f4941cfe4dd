// The pixel side of a scan, free of the platform: checking a DIB block that a
// source handed over before a byte of it is used, the resolution rules,
// converting TWAIN's fixed-point numbers, and assembling the strips of a
// memory transfer into a bottom-up DIB.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "base/image_limit.h"

namespace twain {

// Pixels per metre for a DIB that carries no resolution (300 dots per inch).
constexpr int32_t DefaultPixelsPerMetre = 11811;

// Largest scan accepted, in pixels: the bound of every image from outside.
constexpr int64_t MaxScanPixels = MaxIncomingImagePixels;

// Layout of a DIB block (header, colour table, pixel rows) as found in
// memory. Every offset and size has been checked against the block.
struct DibLayout {
    uint32_t headerSize = 0;   // 12 (core header) or 40 and up
    int32_t width = 0;
    int32_t height = 0;        // as stored: negative for top-down rows
    int bits = 0;              // bits per pixel (planes x bit count)
    uint32_t compression = 0;  // 0 plain, 3 bit fields
    uint32_t colorEntries = 0; // entries of the colour table
    uint32_t entrySize = 4;    // 3 for a core header
    uint32_t maskBytes = 0;    // bit-field masks behind a 40-byte header
    uint32_t extraBytes = 0;   // a table declared by a true-colour DIB, skipped
    uint32_t stride = 0;       // bytes per row, padded to 4
    int32_t xPelsPerMeter = 0, yPelsPerMeter = 0;
    size_t pixelOffset = 0;    // where the rows start
    size_t imageBytes = 0;     // stride x rows
};

inline uint32_t DibStride(int64_t width, int bits) {
    return static_cast<uint32_t>(((width * bits + 31) / 32) * 4);
}

// Checks a DIB block of size bytes; nullopt when its header claims more than
// the block holds or describes something no bitmap can be made of.
std::optional<DibLayout> InspectDib(const uint8_t* block, size_t size);

// A scanned DIB as a complete .bmp file image (file header, 40-byte header
// with the resolution rules applied, colour table, rows), ready for a bitmap
// loader. The layout must come from InspectDib of the same block.
std::vector<uint8_t> DibToBmpFile(const uint8_t* block, const DibLayout& layout);

// The resolution rules: a value of 0 or less takes the other direction's,
// or 300 dots per inch when that is not positive either.
void FixResolution(int32_t& x, int32_t& y);

// TW_FIX32 to a real number, and a resolution in the given TWAIN unit
// (0 inches, 1 centimetres) to pixels per metre, rounded; 0 for other units.
double Fix32ToDouble(int16_t whole, uint16_t frac);
int32_t PixelsPerMetre(double value, uint16_t unit);

// Assembles the strips of a memory transfer. Rows arrive top first, in strips
// at a row offset; the result is a bottom-up DIB block (40-byte header,
// table, rows). Rows that never arrived stay zero; strips that reach past the
// image or the strip buffer are cut to what fits.
class MemoryImage {
public:
    // length < 0: the height is not known before the transfer ends.
    bool Start(int32_t width, int32_t length, int bits);
    // One strip: rows rows of bytesPerRow bytes at row yOffset, taken from
    // data holding bytesWritten bytes.
    void AddStrip(const uint8_t* data, size_t bytesWritten, uint32_t bytesPerRow, uint32_t rows, uint32_t yOffset);
    int32_t Rows() const { return rows_; }
    // The DIB block: header with the given resolution, the table given
    // (entries of 4 bytes), rows reversed, red and blue swapped for 24 bits.
    std::vector<uint8_t> Finish(const std::vector<uint32_t>& table, int32_t xPpm, int32_t yPpm) const;

private:
    int32_t width_ = 0, length_ = 0, rows_ = 0;
    int bits_ = 0;
    uint32_t stride_ = 0;
    std::vector<uint8_t> pixels_;  // top-first rows
};

// 1-bit table by pixel flavour (non-zero: 0 is white), grey ramps for 4 and
// 8 bits (a DIB of 8 bits or fewer needs its table), none for other depths.
std::vector<uint32_t> ScanColorTable(int bits, uint32_t pixelFlavor);

}  // namespace twain
