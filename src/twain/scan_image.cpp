#include "twain/scan_image.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace twain {

namespace {

template <typename T>
T Read(const uint8_t* p) {
    T v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

template <typename T>
void Write(uint8_t* p, T v) {
    std::memcpy(p, &v, sizeof v);
}

constexpr uint32_t PlainRgb = 0, BitFields = 3;

// Planes x bit count, multiplied unsigned (two 16-bit numbers cannot
// overflow it); a product no DIB has is 0, which is refused.
int BitsPerPixel(uint32_t planes, uint32_t count) {
    const uint32_t bits = planes * count;
    return bits <= 32 ? int(bits) : 0;
}

void WriteInfoHeader(uint8_t* p, int32_t width, int32_t height, int bits, uint32_t compression, uint32_t colors,
                     uint32_t imageSize, int32_t xPpm, int32_t yPpm) {
    Write<uint32_t>(p, 40);
    Write<int32_t>(p + 4, width);
    Write<int32_t>(p + 8, height);
    Write<uint16_t>(p + 12, 1);
    Write<uint16_t>(p + 14, static_cast<uint16_t>(bits));
    Write<uint32_t>(p + 16, compression);
    Write<uint32_t>(p + 20, imageSize);
    Write<int32_t>(p + 24, xPpm);
    Write<int32_t>(p + 28, yPpm);
    Write<uint32_t>(p + 32, colors);
    Write<uint32_t>(p + 36, 0);
}

}  // namespace

std::optional<DibLayout> InspectDib(const uint8_t* block, size_t size) {
    if (!block || size < 12) return std::nullopt;
    DibLayout d;
    d.headerSize = Read<uint32_t>(block);
    uint32_t declaredColors = 0;
    if (d.headerSize == 12) {
        d.width = Read<uint16_t>(block + 4);
        d.height = Read<uint16_t>(block + 6);
        d.bits = BitsPerPixel(Read<uint16_t>(block + 8), Read<uint16_t>(block + 10));
        d.entrySize = 3;
    } else if (d.headerSize >= 40 && d.headerSize <= 124 && d.headerSize <= size) {
        d.width = Read<int32_t>(block + 4);
        d.height = Read<int32_t>(block + 8);
        d.bits = BitsPerPixel(Read<uint16_t>(block + 12), Read<uint16_t>(block + 14));
        d.compression = Read<uint32_t>(block + 16);
        d.xPelsPerMeter = Read<int32_t>(block + 24);
        d.yPelsPerMeter = Read<int32_t>(block + 28);
        declaredColors = Read<uint32_t>(block + 32);
    } else {
        return std::nullopt;
    }
    if (d.width <= 0 || d.height == 0 || d.height == INT32_MIN) return std::nullopt;
    if (declaredColors > 4096) return std::nullopt;  // no source declares more: a damaged header
    const int64_t rows = d.height < 0 ? -int64_t(d.height) : d.height;
    if (int64_t(d.width) * rows > MaxScanPixels) return std::nullopt;

    switch (d.bits) {
        case 1: case 4: case 8: {
            const uint32_t full = 1u << d.bits;
            if (d.compression != PlainRgb || declaredColors > full) return std::nullopt;
            d.colorEntries = declaredColors ? declaredColors : full;
            break;
        }
        case 16: case 32:
            if (d.compression == BitFields) {
                // Masks behind a 40-byte header; a larger one carries them
                // inside, so it must be large enough to hold them.
                if (d.headerSize == 40) d.maskBytes = 12;
                else if (d.headerSize < 52) return std::nullopt;
            } else if (d.compression != PlainRgb) {
                return std::nullopt;
            }
            d.extraBytes = declaredColors * 4;
            break;
        case 24:
            if (d.compression != PlainRgb) return std::nullopt;
            // A table declared by a true-colour DIB is skipped, not drawn.
            d.extraBytes = declaredColors * 4;
            break;
        default:
            return std::nullopt;
    }

    // Sizes in 64 bits: on a 32-bit system stride x rows of a header's
    // numbers does not fit a size_t.
    d.stride = DibStride(d.width, d.bits);
    const uint64_t imageBytes = uint64_t(d.stride) * uint64_t(rows);
    const uint64_t pixelOffset =
        uint64_t(d.headerSize) + d.maskBytes + uint64_t(d.colorEntries) * d.entrySize + d.extraBytes;
    if (pixelOffset > size || imageBytes > size - pixelOffset) return std::nullopt;
    d.pixelOffset = size_t(pixelOffset);
    d.imageBytes = size_t(imageBytes);
    return d;
}

void FixResolution(int32_t& x, int32_t& y) {
    if (x <= 0) x = y > 0 ? y : DefaultPixelsPerMetre;
    if (y <= 0) y = x > 0 ? x : DefaultPixelsPerMetre;
}

std::vector<uint8_t> DibToBmpFile(const uint8_t* block, const DibLayout& d) {
    const uint32_t tableBytes = d.colorEntries * 4;
    // The file's header is always 40 bytes: bit fields need their masks
    // behind it, wherever the block kept them.
    const uint32_t maskBytes = d.compression == BitFields ? 12 : 0;
    const size_t headerBytes = 14 + 40 + maskBytes + tableBytes;
    std::vector<uint8_t> file(headerBytes + d.imageBytes);
    uint8_t* p = file.data();
    Write<uint16_t>(p, 0x4D42);
    Write<uint32_t>(p + 2, static_cast<uint32_t>(file.size()));
    Write<uint32_t>(p + 10, static_cast<uint32_t>(headerBytes));
    int32_t x = d.xPelsPerMeter, y = d.yPelsPerMeter;
    FixResolution(x, y);
    WriteInfoHeader(p + 14, d.width, d.height, d.bits, d.compression, d.colorEntries,
                    static_cast<uint32_t>(d.imageBytes), x, y);
    uint8_t* out = p + 54;
    const uint8_t* in = block + d.headerSize;
    if (d.compression == BitFields) {
        std::memcpy(out, d.headerSize == 40 ? in : block + 40, 12);
        in += d.maskBytes;
        out += maskBytes;
    }
    for (uint32_t i = 0; i < d.colorEntries; ++i, in += d.entrySize, out += 4) {
        out[0] = in[0];
        out[1] = in[1];
        out[2] = in[2];
        out[3] = 0;
    }
    std::memcpy(p + headerBytes, block + d.pixelOffset, d.imageBytes);
    return file;
}

double Fix32ToDouble(int16_t whole, uint16_t frac) { return whole + frac / 65536.0; }

int32_t PixelsPerMetre(double value, uint16_t unit) {
    double ppm;
    if (unit == 0) ppm = value * 100.0 / 2.54;
    else if (unit == 1) ppm = value * 100.0;
    else return 0;
    if (!(ppm > 0) || ppm > 2e9) return 0;
    return static_cast<int32_t>(std::lround(ppm));
}

std::vector<uint32_t> ScanColorTable(int bits, uint32_t pixelFlavor) {
    std::vector<uint32_t> table;
    if (bits == 1) {
        // Flavour 0 ("chocolate"): 0 is black.
        table = pixelFlavor ? std::vector<uint32_t>{0xFFFFFF, 0} : std::vector<uint32_t>{0, 0xFFFFFF};
    } else if (bits == 4 || bits == 8) {
        const uint32_t levels = 1u << bits, step = 255 / (levels - 1);
        for (uint32_t i = 0; i < levels; ++i) table.push_back((i * step) * 0x010101u);
    }
    return table;
}

bool MemoryImage::Start(int32_t width, int32_t length, int bits) {
    if (width <= 0 || length == 0 || length < -1) return false;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return false;
    // An open-ended image too: not even its first row may pass the bound.
    if (int64_t(width) * std::max(length, 1) > MaxScanPixels) return false;
    width_ = width;
    length_ = length;
    bits_ = bits;
    stride_ = DibStride(width, bits);
    rows_ = length > 0 ? length : 0;
    pixels_.assign(size_t(stride_) * size_t(rows_), 0);  // may throw std::bad_alloc: no memory
    return true;
}

void MemoryImage::AddStrip(const uint8_t* data, size_t bytesWritten, uint32_t bytesPerRow, uint32_t rows,
                           uint32_t yOffset) {
    if (!data || bytesPerRow == 0 || rows == 0) return;
    // Never read past what the source says it wrote.
    rows = static_cast<uint32_t>(std::min<uint64_t>(rows, bytesWritten / bytesPerRow));
    if (length_ > 0) {
        if (yOffset >= uint32_t(length_)) return;
        rows = std::min<uint32_t>(rows, uint32_t(length_) - yOffset);
    } else {
        const int64_t maxRows = MaxScanPixels / width_;
        if (int64_t(yOffset) + rows > maxRows) {
            if (yOffset >= maxRows) return;
            rows = static_cast<uint32_t>(maxRows - yOffset);
        }
        if (int64_t(yOffset) + rows > rows_) {
            rows_ = static_cast<int32_t>(yOffset + rows);
            pixels_.resize(size_t(stride_) * size_t(rows_), 0);
        }
    }
    // Only the pixel bytes of a row are taken; the DIB's padding stays zero.
    const size_t copy = size_t(std::min<uint64_t>(bytesPerRow, (uint64_t(width_) * uint64_t(bits_) + 7) / 8));
    for (uint32_t r = 0; r < rows; ++r)
        std::memcpy(&pixels_[size_t(uint64_t(yOffset) + r) * stride_], data + uint64_t(r) * bytesPerRow, copy);
}

std::vector<uint8_t> MemoryImage::Finish(const std::vector<uint32_t>& table, int32_t xPpm, int32_t yPpm) const {
    const size_t headerBytes = 40 + table.size() * 4;
    const size_t imageBytes = size_t(stride_) * size_t(rows_);
    std::vector<uint8_t> block(headerBytes + imageBytes);
    WriteInfoHeader(block.data(), width_, rows_, bits_, PlainRgb, static_cast<uint32_t>(table.size()),
                    static_cast<uint32_t>(imageBytes), xPpm, yPpm);
    for (size_t i = 0; i < table.size(); ++i) Write<uint32_t>(&block[40 + i * 4], table[i]);
    uint8_t* rows = block.data() + headerBytes;
    for (int32_t r = 0; r < rows_; ++r) {
        uint8_t* out = rows + size_t(rows_ - 1 - r) * stride_;
        std::memcpy(out, &pixels_[size_t(r) * stride_], stride_);
        if (bits_ == 24) {
            // Sources send red first; a DIB stores blue first. Only whole
            // pixels of the row are swapped, never the padding.
            for (int32_t x = 0; x < width_; ++x) std::swap(out[x * 3], out[x * 3 + 2]);
        }
    }
    return block;
}

}  // namespace twain
