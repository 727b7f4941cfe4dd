// What a scanner hands over: a DIB block with any header (a native
// transfer), or a memory transfer's size and strips with any numbers. A
// block is taken only when every offset and size it declares lies inside
// it, and the .bmp file made of it holds exactly its pixels; strips never
// write outside the image nor read past what the source said it wrote.
#include <cstddef>
#include <cstdint>
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz_input.h"
#include "twain/scan_image.h"

#ifdef _WIN32
#include "ui/bitmap.h"
#endif

namespace {

uint32_t Le32(const uint8_t* p) { uint32_t v; std::memcpy(&v, p, 4); return v; }

void NativeTransfer(const uint8_t* block, size_t size) {
    const auto layout = twain::InspectDib(block, size);
    if (!layout) return;
    const twain::DibLayout& d = *layout;
    const int64_t rows = d.height < 0 ? -int64_t(d.height) : d.height;
    FUZZ_CHECK(d.width > 0 && rows > 0 && int64_t(d.width) * rows <= twain::MaxScanPixels);
    FUZZ_CHECK(uint64_t(d.stride) == (uint64_t(d.width) * uint64_t(d.bits) + 31) / 32 * 4);
    FUZZ_CHECK(uint64_t(d.imageBytes) == uint64_t(d.stride) * uint64_t(rows));
    FUZZ_CHECK(d.pixelOffset <= size && d.imageBytes <= size - d.pixelOffset);
    const std::vector<uint8_t> file = twain::DibToBmpFile(block, d);
    FUZZ_CHECK(file.size() >= 54 + d.imageBytes);
    FUZZ_CHECK(file[0] == 'B' && file[1] == 'M' && Le32(&file[2]) == file.size());
    const uint32_t offBits = Le32(&file[10]);
    FUZZ_CHECK(offBits + d.imageBytes == file.size());
    // The resolution rules leave no resolution that is not positive.
    FUZZ_CHECK(int32_t(Le32(&file[14 + 24])) > 0 && int32_t(Le32(&file[14 + 28])) > 0);
    FUZZ_CHECK(d.imageBytes == 0 || std::memcmp(&file[offBits], block + d.pixelOffset, d.imageBytes) == 0);
#ifdef _WIN32
    // The program's own loader takes the file made of any accepted block,
    // except bit fields whose masks the system's DIB functions refuse (all
    // zero, say): that scan is then reported as damaged.
    ui::Bitmap bitmap;
    if (!bitmap.LoadFromMemory(file.data(), file.size())) {
        FUZZ_CHECK(d.compression == 3);
        return;
    }
    FUZZ_CHECK(bitmap.Width() == d.width && bitmap.Height() == rows);
#endif
}

void MemoryTransfer(fuzz::Input& in) {
    const int32_t width = in.Take<int32_t>();
    const int32_t length = in.Flag() ? -1 : in.Take<int32_t>();
    static const int kBits[] = {1, 4, 8, 16, 24, 32, 0, 2, 7, 64};
    const int bits = kBits[in.Byte() % 10];
    // Images of up to 2^18 pixels are really assembled, so that each run is
    // quick; beyond the bound the start is refused with any numbers.
    const int64_t pixels = int64_t(width) * (length > 0 ? length : 1);
    if (width > 0 && pixels > (int64_t(1) << 18) && pixels <= twain::MaxScanPixels) return;
    twain::MemoryImage image;
    const bool started = image.Start(width, length, bits);
    FUZZ_CHECK(started == (width > 0 && (length == -1 || length > 0) && pixels <= twain::MaxScanPixels &&
                           (bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32)));
    if (!started) return;
    const uint32_t stride = twain::DibStride(width, bits);
    const int strips = int(in.Range(0, 16));
    for (int i = 0; i < strips; ++i) {
        uint32_t bytesPerRow = in.Take<uint16_t>();
        const uint32_t rows = in.Take<uint16_t>();
        uint32_t yOffset = in.Take<uint32_t>();
        if (in.Flag()) bytesPerRow = stride;
        // An open-ended image grows with the strips' offsets: kept to 1 MiB here.
        if (length < 0) yOffset %= uint32_t(std::max<int64_t>(1, (int64_t(1) << 20) / stride));
        const std::string strip = in.Bytes(4096);
        // The source may claim more bytes written than its buffer holds; the
        // buffer is what the program allocated (here: the strip's bytes).
        const size_t claimed = in.Flag() ? in.Take<uint32_t>() : strip.size();
        std::vector<uint8_t> buffer(strip.begin(), strip.end());
        image.AddStrip(buffer.data(), std::min(claimed, buffer.size()), bytesPerRow, rows, yOffset);
        FUZZ_CHECK(image.Rows() >= 0 && int64_t(image.Rows()) * width <= twain::MaxScanPixels);
        if (length > 0) FUZZ_CHECK(image.Rows() == length);
    }
    const std::vector<uint32_t> table = twain::ScanColorTable(bits, in.Byte());
    const int16_t whole = in.Take<int16_t>();
    const uint16_t frac = in.Take<uint16_t>(), unit = in.Take<uint16_t>();
    const int32_t ppm = twain::PixelsPerMetre(twain::Fix32ToDouble(whole, frac), unit);
    FUZZ_CHECK(ppm >= 0);
    int32_t x = ppm, y = in.Take<int32_t>();
    twain::FixResolution(x, y);
    FUZZ_CHECK(x > 0 && y > 0);
    const std::vector<uint8_t> block = image.Finish(table, x, y);
    if (image.Rows() == 0) return;
    // What comes out is a block the native transfer's check takes whole.
    const auto layout = twain::InspectDib(block.data(), block.size());
    FUZZ_CHECK(layout.has_value());
    FUZZ_CHECK(layout->width == width && layout->height == image.Rows() && layout->bits == bits);
    FUZZ_CHECK(layout->pixelOffset + layout->imageBytes == block.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    if (data[0] & 1) {
        // The block is the input after the first byte, copied so that a read
        // past its end is seen.
        std::vector<uint8_t> block(data + 1, data + size);
        NativeTransfer(block.data(), block.size());
    } else {
        fuzz::Input in(data + 1, size - 1);
        MemoryTransfer(in);
    }
    return 0;
}
