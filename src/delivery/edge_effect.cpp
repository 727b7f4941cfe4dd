#include "delivery/edge_effect.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

#include "delivery/gaussian_blur.h"

namespace delivery {

int TornStep(RandomSource& random) {
    const int k = 2 + static_cast<int>(random.Below(5));
    return k - static_cast<int>(random.Below(static_cast<uint32_t>(2 * k + 1)));
}

EdgePolygon BuildTornPolygon(int a, int b, uint8_t sides, uint8_t depth) {
    RandomSource& random = ProgramRandom();
    random.SeedFromClock();
    return BuildTornPolygon(a, b, sides, depth, random);
}

EdgePolygon BuildTornPolygon(int a, int b, uint8_t sides, uint8_t depth, RandomSource& random) {
    EdgePolygon points;
    if (a < 0 || b < 0) return points;
    // Depth is a percentage; a larger stored value would push the bands past
    // each other and the walks outside the bitmap.
    const int percent = std::min<int>(depth, 100);
    const int dx = static_cast<int>(int64_t(a) * percent / 200);
    const int dy = static_cast<int>(int64_t(b) * percent / 200);
    const bool top = sides & esTop, right = sides & esRight, bottom = sides & esBottom, left = sides & esLeft;

    const EdgePoint p0{left ? dx : 0, top ? dy : 0};
    const EdgePoint p1{right ? a - dx : a, top ? dy : 0};
    const EdgePoint p2{right ? a - dx : a, bottom ? b - dy : b};
    const EdgePoint p3{left ? dx : 0, bottom ? b - dy : b};

    // One point per pixel of every torn side: size the table for exactly that.
    auto span = [](int from, int to) { return static_cast<size_t>(std::max(0, to - from - 1)); };
    size_t count = 4;
    if (top) count += span(p0.x, p1.x);
    if (right) count += span(p1.y, p2.y);
    if (bottom) count += span(p3.x, p2.x);
    if (left) count += span(p0.y, p3.y);
    points.reserve(count);

    points.push_back(p0);
    if (top) {
        int y = p0.y;
        for (int x = p0.x + 1; x <= p1.x - 1; ++x) {
            y = std::clamp(y + TornStep(random), 0, dy);
            points.push_back({x, y});
        }
    }
    points.push_back(p1);
    if (right) {
        int x = p1.x;
        for (int y = p1.y + 1; y <= p2.y - 1; ++y) {
            x = std::clamp(x + TornStep(random), a - dx, a);
            points.push_back({x, y});
        }
    }
    points.push_back(p2);
    if (bottom) {
        int y = p2.y;
        for (int x = p2.x - 1; x >= p3.x + 1; --x) {
            y = std::clamp(y + TornStep(random), b - dy, b);
            points.push_back({x, y});
        }
    }
    points.push_back(p3);
    if (left) {
        int x = p3.x;
        for (int y = p3.y - 1; y >= p0.y + 1; --y) {
            x = std::clamp(x + TornStep(random), 0, dx);
            points.push_back({x, y});
        }
    }
    return points;
}

namespace {

enum : uint8_t { Outside = 0, Interior = 1, Boundary = 2 };

// Which pixels of a w x h bitmap the polygon covers, row by row: its inside
// (alternate filling, pixel centres at whole coordinates) together with the
// pixels of its edges, so that a polygon through the four corners covers
// every pixel. The edge pixels are told apart: that is where the outline
// goes. Only the crossings and edge pixels of each row are kept, not a mask
// of the whole bitmap.
class PolygonCover {
public:
    PolygonCover(const EdgePolygon& poly, int w, int h) : w_(w), h_(h) {
        const size_t n = poly.size();
        auto edge = [&](size_t i) { return std::pair<EdgePoint, EdgePoint>(poly[i], poly[(i + 1) % n]); };

        // Crossings of the non-horizontal edges with each row, an edge
        // counting for the rows from its upper end up to but not including
        // its lower end.
        auto crossings = [&](auto&& add) {
            for (size_t i = 0; i < n; ++i) {
                const auto [p, q] = edge(i);
                if (p.y == q.y) continue;
                const int y0 = std::max(std::min(p.y, q.y), 0), y1 = std::min(std::max(p.y, q.y), h);
                const double slope = double(q.x - p.x) / double(q.y - p.y);
                for (int y = y0; y < y1; ++y) add(y, p.x + (y - p.y) * slope);
            }
        };
        // The pixels of every edge, end to end.
        auto edgePixels = [&](auto&& add) {
            for (size_t i = 0; i < n; ++i) {
                const auto [p, q] = edge(i);
                int x = p.x, y = p.y;
                const int ddx = std::abs(q.x - p.x), sx = p.x < q.x ? 1 : -1;
                const int ddy = -std::abs(q.y - p.y), sy = p.y < q.y ? 1 : -1;
                int err = ddx + ddy;
                for (;;) {
                    if (x >= 0 && x < w && y >= 0 && y < h) add(y, x);
                    if (x == q.x && y == q.y) break;
                    const int e2 = 2 * err;
                    if (e2 >= ddy) { err += ddy; x += sx; }
                    if (e2 <= ddx) { err += ddx; y += sy; }
                }
            }
        };
        Collect(crossings, crossFirst_, crossX_);
        Collect(edgePixels, edgeFirst_, edgeX_);
        for (int y = 0; y < h; ++y) std::sort(crossX_.begin() + crossFirst_[y], crossX_.begin() + crossFirst_[y + 1]);
    }

    // Fills row (w bytes) with the cover of row y.
    void Row(int y, uint8_t* row) const {
        std::memset(row, Outside, size_t(w_));
        const double* c = crossX_.data() + crossFirst_[size_t(y)];
        const double* end = crossX_.data() + crossFirst_[size_t(y) + 1];
        for (; c + 1 < end; c += 2) {
            const double from = std::max(std::ceil(c[0]), 0.0);
            const double to = std::min(std::floor(c[1]), double(w_ - 1));
            if (from <= to) std::memset(row + size_t(from), Interior, size_t(to - from) + 1);
        }
        for (uint32_t i = edgeFirst_[size_t(y)]; i < edgeFirst_[size_t(y) + 1]; ++i) row[edgeX_[i]] = Boundary;
    }

private:
    // Two passes over the items: count them per row, then place them.
    template <typename Each, typename T>
    void Collect(Each&& each, std::vector<uint32_t>& first, std::vector<T>& items) {
        first.assign(size_t(h_) + 1, 0);
        each([&](int y, auto) { ++first[size_t(y) + 1]; });
        for (int y = 0; y < h_; ++y) first[size_t(y) + 1] += first[size_t(y)];
        items.resize(first[size_t(h_)]);
        std::vector<uint32_t> next(first.begin(), first.end() - 1);
        each([&](int y, auto x) { items[next[size_t(y)]++] = static_cast<T>(x); });
    }

    int w_, h_;
    std::vector<uint32_t> crossFirst_, edgeFirst_;
    std::vector<double> crossX_;
    std::vector<int32_t> edgeX_;
};

struct Bgr {
    uint8_t b, g, r;
};

Bgr ToBgr(COLORREF c) { return {GetBValue(c), GetGValue(c), GetRValue(c)}; }

void FillBitmap(ui::Bitmap& bitmap, Bgr colour) {
    for (int y = 0; y < bitmap.Height(); ++y) {
        uint8_t* row = bitmap.ScanLine(y);
        for (int x = 0; x < bitmap.Width(); ++x) {
            row[3 * x] = colour.b;
            row[3 * x + 1] = colour.g;
            row[3 * x + 2] = colour.r;
        }
    }
}

bool ApplyEdgeEffectOrFail(ui::Bitmap& bitmap, bool torn, uint8_t sides, uint8_t depth, bool outline,
                           TColor outlineColour, bool shadow, TColor shadowColour, TColor backgroundColour,
                           RandomSource* random) {
    const int w = bitmap.Width(), h = bitmap.Height();
    const uint8_t polygonSides = torn ? sides : 0;
    const uint8_t polygonDepth = torn ? depth : 0;
    const EdgePolygon polygon = random ? BuildTornPolygon(w - 1, h - 1, polygonSides, polygonDepth, *random)
                                       : BuildTornPolygon(w - 1, h - 1, polygonSides, polygonDepth);
    const PolygonCover cover(polygon, w, h);

    // The image is read in 24 or 32 bits, where the key colour compares
    // exactly; other formats are converted first.
    const ui::Bitmap* source = &bitmap;
    ui::Bitmap converted;
    if (bitmap.Bits() != 24 && bitmap.Bits() != 32) {
        converted = ui::Bitmap(w, h, ui::PixelFormat::Bits24);
        if (converted.Empty()) return false;
        BitBlt(converted.Canvas(), 0, 0, w, h, bitmap.Canvas(), 0, 0, SRCCOPY);
        source = &converted;
    }
    const int sourceBytes = source->Bits() / 8;

    // The result is a background of (w + 12) x (h + 12) with the shadow
    // (without shadow: w x h), cut to the polygon's bounds with a margin of
    // 6 pixels round the shadow. Only the part that is kept is made; beyond
    // it the background has nothing on it.
    int minX = polygon[0].x, maxX = minX, minY = polygon[0].y, maxY = minY;
    for (const EdgePoint& p : polygon) {
        minX = std::min(minX, p.x);
        maxX = std::max(maxX, p.x);
        minY = std::min(minY, p.y);
        maxY = std::max(maxY, p.y);
    }
    const int grow = shadow ? 12 : 0;
    const int fullW = w + grow, fullH = h + grow;
    const int cropX = minX, cropY = minY;
    const int cropW = maxX - minX + 1 + grow, cropH = maxY - minY + 1 + grow;
    ui::Bitmap result(cropW, cropH, ui::PixelFormat::Bits24);
    if (result.Empty()) return false;
    const COLORREF background = SettingsColorToRgb(backgroundColour);
    FillBitmap(result, ToBgr(background));

    std::vector<uint8_t> row(static_cast<size_t>(w));
    if (shadow) {
        // The polygon, moved by (6, 6), filled in the shadow colour and blurred.
        const Bgr s = ToBgr(SettingsColorToRgb(shadowColour));
        for (int y = 0; y < h; ++y) {
            cover.Row(y, row.data());
            uint8_t* out = result.ScanLine(y + 6 - cropY) + 3 * size_t(6 - cropX);
            for (int x = minX; x <= maxX; ++x)
                if (row[size_t(x)] != Outside) {
                    out[3 * x] = s.b;
                    out[3 * x + 1] = s.g;
                    out[3 * x + 2] = s.r;
                }
        }
        uint8_t outsideSides = 0;
        if (cropX > 0) outsideSides |= bsLeft;
        if (cropY > 0) outsideSides |= bsTop;
        if (cropX + cropW < fullW) outsideSides |= bsRight;
        if (cropY + cropH < fullH) outsideSides |= bsBottom;
        GaussianBlurPart(result, 3, outsideSides, background);
    }

    // The image goes where its shadow shows only beyond the torn sides.
    int x0 = 0, y0 = 0;
    if (shadow) {
        x0 = 6 - ((sides & esLeft) ? 0 : 6) + ((sides & esRight) ? 0 : 6);
        y0 = 6 - ((sides & esTop) ? 0 : 6) + ((sides & esBottom) ? 0 : 6);
    }
    const Bgr line = ToBgr(SettingsColorToRgb(outlineColour));
    const Bgr key = ToBgr(EdgeKeyColor);
    for (int y = 0; y < h; ++y) {
        cover.Row(y, row.data());
        const uint8_t* src = source->ScanLine(y);
        uint8_t* dst = result.ScanLine(y + y0 - cropY) + 3 * size_t(x0 - cropX);
        for (int x = minX; x <= maxX; ++x) {
            const uint8_t m = row[size_t(x)];
            if (m == Outside) continue;
            const uint8_t* p = src + size_t(x) * sourceBytes;
            Bgr c{p[0], p[1], p[2]};
            if (outline && m == Boundary) c = line;
            if (c.b == key.b && c.g == key.g && c.r == key.r) continue;
            dst[3 * x] = c.b;
            dst[3 * x + 1] = c.g;
            dst[3 * x + 2] = c.r;
        }
    }
    bitmap = std::move(result);
    return true;
}

}  // namespace

void ApplyEdgeEffect(ui::Bitmap& bitmap, bool torn, uint8_t sides, uint8_t depth, bool outline,
                     TColor outlineColour, bool shadow, TColor shadowColour, TColor backgroundColour,
                     RandomSource* random) {
    if (bitmap.Empty()) return;
    try {
        ApplyEdgeEffectOrFail(bitmap, torn, sides, depth, outline, outlineColour, shadow, shadowColour,
                              backgroundColour, random);
    } catch (const std::bad_alloc&) {
        // The capture goes out without the effect rather than not at all.
    }
}

}  // namespace delivery
