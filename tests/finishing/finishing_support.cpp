#include "finishing_support.h"

#include <algorithm>
#include <random>

namespace finishing_test {

COLORREF PixelAt(const ui::Bitmap& b, int x, int y) {
    const uint8_t* p = b.ScanLine(y) + x * (b.Bits() / 8);
    return RGB(p[2], p[1], p[0]);
}

void SetPixelAt(ui::Bitmap& b, int x, int y, COLORREF c) {
    uint8_t* p = b.ScanLine(y) + x * (b.Bits() / 8);
    p[0] = GetBValue(c);
    p[1] = GetGValue(c);
    p[2] = GetRValue(c);
}

void Fill(ui::Bitmap& b, COLORREF c) {
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x) SetPixelAt(b, x, y, c);
}

ui::Bitmap RandomBitmap(int w, int h, ui::PixelFormat format, uint32_t seed) {
    ui::Bitmap b(w, h, format);
    std::mt19937 random(seed);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            COLORREF c;
            do c = random() & 0xFFFFFF; while (c == 0x373737);
            SetPixelAt(b, x, y, c);
        }
    return b;
}

std::vector<COLORREF> Pixels(const ui::Bitmap& b) {
    std::vector<COLORREF> out;
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x) out.push_back(PixelAt(b, x, y));
    return out;
}

namespace {

void BlurLine(std::vector<uint8_t>& line, int last, const delivery::BlurKernel& k) {
    std::vector<uint8_t> out(line.size());
    for (int i = 0; i <= last; ++i)
        for (int c = 0; c < 3; ++c) {
            double sum = 0;
            for (int t = -k.halfWidth; t <= k.halfWidth; ++t)
                sum += double(k.Weight(t)) * line[size_t(std::clamp(i - t, 0, last)) * 3 + c];
            out[size_t(i) * 3 + c] = sum < 0 ? 0 : sum >= 255 ? 255 : uint8_t(int(sum));
        }
    line = out;
}

}  // namespace

void ReferenceBlur(ui::Bitmap& b, double radius) {
    const delivery::BlurKernel k = delivery::BuildBlurKernel(radius);
    const int w = b.Width(), h = b.Height();
    for (int y = 0; y < h; ++y) {
        std::vector<uint8_t> line(b.ScanLine(y), b.ScanLine(y) + w * 3);
        BlurLine(line, w - 1, k);
        std::copy(line.begin(), line.end(), b.ScanLine(y));
    }
    for (int x = 0; x < w; ++x) {
        std::vector<uint8_t> column(size_t(h) * 3);
        for (int y = 0; y < h; ++y) std::copy_n(b.ScanLine(y) + x * 3, 3, column.begin() + y * 3);
        BlurLine(column, h - 1, k);
        for (int y = 0; y < h; ++y) std::copy_n(column.begin() + y * 3, 3, b.ScanLine(y) + x * 3);
    }
}

}  // namespace finishing_test
