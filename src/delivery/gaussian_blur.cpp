#include "delivery/gaussian_blur.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "core/texts.h"
#include "ui/text_convert.h"

namespace delivery {

BlurFormatError::BlurFormatError() : message_(txt::BlurNeeds24Bit), narrow_(ui::ToAnsi(message_)) {}

BlurKernel BuildBlurKernel(double radius, double largestValue, double granularity) {
    BlurKernel k;
    constexpr int M = BlurKernel::MaxHalfWidth;
    if (!(radius > 0) || !std::isfinite(radius)) {
        k.halfWidth = 1;
        k.weights[M] = 1.0f;
        return k;
    }
    double sum = 0;
    for (int j = -M; j <= M; ++j) {
        const double q = j / radius;
        k.weights[j + M] = static_cast<float>(std::exp(-q * q / 2));
        sum += k.weights[j + M];
    }
    for (float& w : k.weights) w = static_cast<float>(w / sum);

    // Drop the tails while together they stay below half a step of the data.
    const double limit = granularity / (2 * largestValue);
    double tail = 0;
    int j = M;
    while (tail < limit && j > 1) {
        tail += 2.0 * k.weights[j + M];
        --j;
    }
    k.halfWidth = j;

    double taps = 0;
    for (int t = -j; t <= j; ++t) taps += k.weights[t + M];
    for (int t = -M; t <= M; ++t)
        k.weights[t + M] = (t < -j || t > j) ? 0.0f : static_cast<float>(k.weights[t + M] / taps);
    return k;
}

namespace {

inline uint8_t ClampByte(double x) {
    if (x < 0) return 0;
    if (x >= 255) return 255;
    return static_cast<uint8_t>(static_cast<int>(x));  // truncation toward zero
}

// Two doubles side by side: SSE2 registers on x86-64; elsewhere the compiler
// works them one by one. Each lane is an independent sum, so vectors never
// change the order in which a value's terms are added.
typedef double Pair __attribute__((vector_size(16)));

// out[p] = ClampByte(sum over j of w[j] * src[j][p]) for p in 0 .. n - 1, the
// terms added in the order of j. A block of 16 positions keeps its sums in
// registers through all taps, so a tap costs one load, one multiplication and
// one addition per value, with nothing clamped or called inside.
void Convolve(const double* const* src, const double* w, int taps, size_t n, uint8_t* out) {
    constexpr size_t Lanes = 8, Block = 2 * Lanes;
    size_t p = 0;
    for (; p + Block <= n; p += Block) {
        Pair a[Lanes];
        {
            const Pair w0 = {w[0], w[0]};
            const double* s = src[0] + p;
            for (size_t k = 0; k < Lanes; ++k) {
                Pair v;
                std::memcpy(&v, s + 2 * k, sizeof v);
                a[k] = w0 * v;
            }
        }
        for (int j = 1; j < taps; ++j) {
            const Pair wj = {w[j], w[j]};
            const double* s = src[j] + p;
            for (size_t k = 0; k < Lanes; ++k) {
                Pair v;
                std::memcpy(&v, s + 2 * k, sizeof v);
                a[k] += wj * v;
            }
        }
        // The sums lie between 0 and 255 times the weights' total (just
        // about 1), far inside the int range, so truncating to int first and
        // clamping the int gives exactly ClampByte, in vector registers.
        double sums[Block];
        std::memcpy(sums, a, sizeof sums);
        for (size_t k = 0; k < Block; ++k) {
            const int v = static_cast<int>(sums[k]);
            out[p + k] = static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v);
        }
    }
    for (; p < n; ++p) {
        double a = w[0] * src[0][p];
        for (int j = 1; j < taps; ++j) a += w[j] * src[j][p];
        out[p] = ClampByte(a);
    }
}

}  // namespace

void GaussianBlur(ui::Bitmap& bitmap, double radius) { GaussianBlurPart(bitmap, radius, 0, 0); }

void GaussianBlurPart(ui::Bitmap& bitmap, double radius, uint8_t outsideSides, uint32_t outsideColour) {
    if (bitmap.Bits() != 24) {
        if (bitmap.Empty() && bitmap.Format() == ui::PixelFormat::Bits24) return;
        throw BlurFormatError();
    }
    const BlurKernel kernel = BuildBlurKernel(radius);
    const int S = kernel.halfWidth;
    const int taps = 2 * S + 1;
    double weights[2 * BlurKernel::MaxHalfWidth + 1];  // weights[j] is tap j - S
    for (int j = 0; j < taps; ++j) weights[j] = kernel.Weight(j - S);

    const size_t width = size_t(bitmap.Width());
    const int height = bitmap.Height();
    const size_t n = width * 3;
    const size_t pad = size_t(S) * 3;
    const uint8_t outside[3] = {uint8_t(outsideColour >> 16), uint8_t(outsideColour >> 8), uint8_t(outsideColour)};

    // Row table: the scan lines lie at a fixed stride, top-down.
    std::vector<uint8_t*> rows(static_cast<size_t>(height));
    uint8_t* top = bitmap.ScanLine(0);
    const ptrdiff_t step = height > 1 ? bitmap.ScanLine(1) - top : 0;
    for (int y = 0; y < height; ++y) rows[size_t(y)] = top + step * y;

    const double* src[2 * BlurKernel::MaxHalfWidth + 1];

    // Rows. Each is widened into a line with S pixels on either side, either
    // copies of the end pixel or the outside colour, so that no tap needs an
    // index clamp. Tap t reads pixel i - t, (S - t) pixels into the line.
    {
        std::vector<double> line(n + 2 * pad);
        for (int j = 0; j < taps; ++j) src[j] = line.data() + size_t(2 * S - j) * 3;
        for (int y = 0; y < height; ++y) {
            uint8_t* row = rows[size_t(y)];
            const uint8_t* left = (outsideSides & bsLeft) ? outside : row;
            const uint8_t* right = (outsideSides & bsRight) ? outside : row + n - 3;
            for (size_t i = 0; i < pad; i += 3)
                for (int c = 0; c < 3; ++c) {
                    line[i + c] = left[c];
                    line[pad + n + i + c] = right[c];
                }
            for (size_t p = 0; p < n; ++p) line[pad + p] = row[p];
            Convolve(src, weights, taps, n, row);
        }
    }

    // Beyond the top and bottom: rows of the outside colour, row-blurred.
    std::vector<double> outsideRow;
    if (outsideSides & (bsTop | bsBottom)) {
        double blurred[3];
        for (int c = 0; c < 3; ++c) {
            double a = weights[0] * outside[c];
            for (int j = 1; j < taps; ++j) a += weights[j] * outside[c];
            blurred[c] = ClampByte(a);
        }
        outsideRow.resize(n);
        for (size_t p = 0; p < n; ++p) outsideRow[p] = blurred[p % 3];
    }

    // Columns, in strips a few hundred bytes wide so that the rows a strip
    // needs stay in the cache, each strip from top to bottom: output row y
    // needs the row-blurred rows y - S .. y + S. Rows are overwritten in
    // order, so a ring of the last 2S + 1 of them (widened to double once
    // each) keeps the values that are still needed.
    constexpr size_t Strip = 384;
    std::vector<double> ring(size_t(taps) * Strip);
    for (size_t x0 = 0; x0 < n; x0 += Strip) {
        const size_t m = std::min(Strip, n - x0);
        int loaded = 0;
        for (int y = 0; y < height; ++y) {
            for (const int last = std::min(height - 1, y + S); loaded <= last; ++loaded) {
                const uint8_t* from = rows[size_t(loaded)] + x0;
                double* to = ring.data() + size_t(loaded % taps) * Strip;
                for (size_t p = 0; p < m; ++p) to[p] = from[p];
            }
            for (int j = 0; j < taps; ++j) {
                const int r = y - (j - S);
                if ((r < 0 && (outsideSides & bsTop)) || (r >= height && (outsideSides & bsBottom)))
                    src[j] = outsideRow.data() + x0;
                else
                    src[j] = ring.data() + size_t(std::clamp(r, 0, height - 1) % taps) * Strip;
            }
            Convolve(src, weights, taps, m, rows[size_t(y)] + x0);
        }
    }
}

}  // namespace delivery
