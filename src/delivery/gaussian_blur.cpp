#include "delivery/gaussian_blur.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#if defined(__i386__) || defined(__x86_64__)
#include <emmintrin.h>
#endif

#include "base/texts.h"
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
void ConvolveDouble(const double* const* src, const double* w, int taps, size_t n, uint8_t* out) {
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

// Exact sums in integers. A weight is a float: a 24-bit whole number times a
// power of two. When every weight is a whole multiple of 2^-shift and below
// 2^(30 - shift), each weight times a byte, and every partial sum of those,
// needs fewer than 53 significant bits: the double sums above are then exact,
// whatever their order, and so is this integer form of them:
//     out = min(255, (sum of W[j] * v[j]) >> shift),  W[j] = w[j] * 2^shift.
// The radii the program uses (3 for the shadow) all qualify; only kernels of
// a tiny radius, with weights far below the data's step, do not.
struct FixedKernel {
    int taps = 0;
    int shift = 0;
    int64_t w[2 * BlurKernel::MaxHalfWidth + 1] = {};
    // W[j] = high[j] * 2^15 + low[j], both below 2^15, for 16-bit multipliers.
    int16_t high[2 * BlurKernel::MaxHalfWidth + 1] = {};
    int16_t low[2 * BlurKernel::MaxHalfWidth + 1] = {};
};

bool MakeFixedKernel(const double* weights, int taps, FixedKernel& k) {
    int shift = 15;
    for (int j = 0; j < taps; ++j) {
        if (!(weights[j] >= 0)) return false;
        if (weights[j] == 0) continue;
        int e;
        std::frexp(weights[j], &e);  // weight = m * 2^e, 0.5 <= m < 1, m of 24 bits
        shift = std::max(shift, 24 - e);
    }
    if (shift > 62) return false;
    for (int j = 0; j < taps; ++j) {
        const double W = std::ldexp(weights[j], shift);
        if (W >= 1073741824.0 || W != std::floor(W)) return false;
        k.w[j] = static_cast<int64_t>(W);
        k.high[j] = static_cast<int16_t>(k.w[j] >> 15);
        k.low[j] = static_cast<int16_t>(k.w[j] & 0x7FFF);
        // The vector code adds mirrored taps before it multiplies.
        if (weights[j] != weights[taps - 1 - j]) return false;
    }
    k.taps = taps;
    k.shift = shift;
    return true;
}

inline uint8_t FixedValue(const FixedKernel& k, const int16_t* const* src, size_t p) {
    int64_t a = 0;
    for (int j = 0; j < k.taps; ++j) a += k.w[j] * src[j][p];
    return static_cast<uint8_t>(std::min<int64_t>(a >> k.shift, 255));
}

void ConvolveFixed(const FixedKernel& k, const int16_t* const* src, size_t n, uint8_t* out) {
    for (size_t p = 0; p < n; ++p) out[p] = FixedValue(k, src, p);
}

#if defined(__i386__) || defined(__x86_64__)
#define VORLIX_BLUR_SSE2 1

// The same integer sums with SSE2, eight values at a time. The kernel is
// symmetric, so the two values of a mirrored pair of taps are added first
// (at most 510: 16 bits); pmaddwd then multiplies two such sums by their
// weights' 15-bit halves and adds the products in 32 bits. The sums of the
// high and the low halves both stay below 2^31, and
//     (high sum * 2^15 + low sum) >> shift
//         = (high sum + (low sum >> 15)) >> (shift - 15),
// all in 32-bit lanes.
__attribute__((target("sse2"))) inline __m128i MirroredSum(const int16_t* const* src, int S, int d, size_t p) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src[S - d] + p));
    if (d == 0) return a;
    return _mm_add_epi16(a, _mm_loadu_si128(reinterpret_cast<const __m128i*>(src[S + d] + p)));
}

__attribute__((target("sse2"))) void ConvolveFixedSse2(const FixedKernel& k, const int16_t* const* src,
                                                       size_t n, uint8_t* out) {
    const int S = k.taps / 2;
    const int pairs = S / 2 + 1;  // sums 0 .. S, two at a time
    __m128i wHigh[BlurKernel::MaxHalfWidth / 2 + 1], wLow[BlurKernel::MaxHalfWidth / 2 + 1];
    for (int q = 0; q < pairs; ++q) {
        // Sum d is tap S - d with tap S + d (sum 0 is the centre alone).
        const int d0 = 2 * q, d1 = 2 * q + 1;
        const int16_t h1 = d1 <= S ? k.high[S + d1] : 0, l1 = d1 <= S ? k.low[S + d1] : 0;
        wHigh[q] = _mm_set_epi16(h1, k.high[S + d0], h1, k.high[S + d0], h1, k.high[S + d0], h1, k.high[S + d0]);
        wLow[q] = _mm_set_epi16(l1, k.low[S + d0], l1, k.low[S + d0], l1, k.low[S + d0], l1, k.low[S + d0]);
    }
    const __m128i zero = _mm_setzero_si128();
    const __m128i down = _mm_cvtsi32_si128(k.shift - 15);
    size_t p = 0;
    for (; p + 8 <= n; p += 8) {
        __m128i hiLo = zero, hiHi = zero, loLo = zero, loHi = zero;
        for (int q = 0; q < pairs; ++q) {
            const __m128i s0 = MirroredSum(src, S, 2 * q, p);
            const __m128i s1 = 2 * q + 1 <= S ? MirroredSum(src, S, 2 * q + 1, p) : zero;
            const __m128i first = _mm_unpacklo_epi16(s0, s1), second = _mm_unpackhi_epi16(s0, s1);
            hiLo = _mm_add_epi32(hiLo, _mm_madd_epi16(first, wHigh[q]));
            hiHi = _mm_add_epi32(hiHi, _mm_madd_epi16(second, wHigh[q]));
            loLo = _mm_add_epi32(loLo, _mm_madd_epi16(first, wLow[q]));
            loHi = _mm_add_epi32(loHi, _mm_madd_epi16(second, wLow[q]));
        }
        const __m128i first = _mm_sra_epi32(_mm_add_epi32(hiLo, _mm_srli_epi32(loLo, 15)), down);
        const __m128i second = _mm_sra_epi32(_mm_add_epi32(hiHi, _mm_srli_epi32(loHi, 15)), down);
        // Saturating packs clamp to 255 (nothing is negative).
        const __m128i bytes = _mm_packus_epi16(_mm_packs_epi32(first, second), zero);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out + p), bytes);
    }
    for (; p < n; ++p) out[p] = FixedValue(k, src, p);
}

bool CpuHasSse2() {
#if defined(__SSE2__)
    return true;
#else
    __builtin_cpu_init();
    return __builtin_cpu_supports("sse2");
#endif
}
#else
bool CpuHasSse2() { return false; }
#endif

bool sse2Allowed = true;

// The blur proper, for either kind of sample: rows, then columns. convolve
// (src, n, out) writes n output bytes from the taps' sample lines src[0 ..
// taps - 1]; tap j is tap j - S of the kernel.
template <typename Sample, typename Convolve>
void BlurPasses(ui::Bitmap& bitmap, int S, uint8_t outsideSides, uint32_t outsideColour, Convolve convolve) {
    const int taps = 2 * S + 1;
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

    const Sample* src[2 * BlurKernel::MaxHalfWidth + 1];

    // Rows. Each is widened into a line with S pixels on either side, either
    // copies of the end pixel or the outside colour, so that no tap needs an
    // index clamp. Tap t reads pixel i - t, (S - t) pixels into the line.
    {
        std::vector<Sample> line(n + 2 * pad);
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
            convolve(src, n, row);
        }
    }

    // Beyond the top and bottom: rows of the outside colour, row-blurred.
    std::vector<Sample> outsideRow;
    if (outsideSides & (bsTop | bsBottom)) {
        const Sample colour[3] = {Sample(outside[0]), Sample(outside[1]), Sample(outside[2])};
        for (int j = 0; j < taps; ++j) src[j] = colour;
        uint8_t blurred[3];
        convolve(src, 3, blurred);
        outsideRow.resize(n);
        for (size_t p = 0; p < n; ++p) outsideRow[p] = blurred[p % 3];
    }

    // Columns, in strips a few hundred bytes wide so that the rows a strip
    // needs stay in the cache, each strip from top to bottom: output row y
    // needs the row-blurred rows y - S .. y + S. Rows are overwritten in
    // order, so a ring of the last 2S + 1 of them (widened once each) keeps
    // the values that are still needed.
    constexpr size_t Strip = 384;
    std::vector<Sample> ring(size_t(taps) * Strip);
    for (size_t x0 = 0; x0 < n; x0 += Strip) {
        const size_t m = std::min(Strip, n - x0);
        int loaded = 0;
        for (int y = 0; y < height; ++y) {
            for (const int last = std::min(height - 1, y + S); loaded <= last; ++loaded) {
                const uint8_t* from = rows[size_t(loaded)] + x0;
                Sample* to = ring.data() + size_t(loaded % taps) * Strip;
                for (size_t p = 0; p < m; ++p) to[p] = from[p];
            }
            for (int j = 0; j < taps; ++j) {
                const int r = y - (j - S);
                if ((r < 0 && (outsideSides & bsTop)) || (r >= height && (outsideSides & bsBottom)))
                    src[j] = outsideRow.data() + x0;
                else
                    src[j] = ring.data() + size_t(std::clamp(r, 0, height - 1) % taps) * Strip;
            }
            convolve(src, m, rows[size_t(y)] + x0);
        }
    }
}

}  // namespace

bool AllowBlurSse2(bool allowed) {
    const bool before = sse2Allowed;
    sse2Allowed = allowed;
    return before;
}

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

    FixedKernel fixed;
    if (MakeFixedKernel(weights, taps, fixed)) {
#ifdef VORLIX_BLUR_SSE2
        static const bool sse2 = CpuHasSse2();
        if (sse2 && sse2Allowed) {
            BlurPasses<int16_t>(bitmap, S, outsideSides, outsideColour,
                                [&](const int16_t* const* src, size_t n, uint8_t* out) {
                                    ConvolveFixedSse2(fixed, src, n, out);
                                });
            return;
        }
#endif
        BlurPasses<int16_t>(bitmap, S, outsideSides, outsideColour,
                            [&](const int16_t* const* src, size_t n, uint8_t* out) {
                                ConvolveFixed(fixed, src, n, out);
                            });
        return;
    }
    BlurPasses<double>(bitmap, S, outsideSides, outsideColour,
                       [&](const double* const* src, size_t n, uint8_t* out) {
                           ConvolveDouble(src, weights, taps, n, out);
                       });
}

}  // namespace delivery
