#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>

#include "delivery/edge_effect.h"
#include "delivery/gaussian_blur.h"
#include "delivery/random_source.h"
#include "finishing_support.h"

using namespace finishing_test;
using delivery::ApplyEdgeEffect;
using delivery::BuildTornPolygon;
using delivery::EdgePoint;
using delivery::EdgePolygon;
using delivery::RandomSource;

namespace {

constexpr COLORREF Red = RGB(255, 0, 0);
constexpr COLORREF Grey = RGB(0xC0, 0xC0, 0xC0);  // default outline
constexpr COLORREF Shadow = 0x003333;              // default shadow
constexpr COLORREF White = RGB(255, 255, 255);

ui::Bitmap Uniform(int w, int h, COLORREF c) {
    ui::Bitmap b(w, h, ui::PixelFormat::Bits24);
    Fill(b, c);
    return b;
}

int MinX(const EdgePolygon& p) { return std::min_element(p.begin(), p.end(), [](auto a, auto b) { return a.x < b.x; })->x; }
int MaxX(const EdgePolygon& p) { return std::max_element(p.begin(), p.end(), [](auto a, auto b) { return a.x < b.x; })->x; }
int MinY(const EdgePolygon& p) { return std::min_element(p.begin(), p.end(), [](auto a, auto b) { return a.y < b.y; })->y; }
int MaxY(const EdgePolygon& p) { return std::max_element(p.begin(), p.end(), [](auto a, auto b) { return a.y < b.y; })->y; }

// Checks the polygon's layout: the four corners, and for each torn side a walk
// of one point per pixel that stays in its band and moves at most 6 a step.
void ExpectPolygonShape(const EdgePolygon& points, int a, int b, uint8_t sides, int depth) {
    const int dx = a * depth / 200, dy = b * depth / 200;
    const bool top = sides & 1, right = sides & 2, bottom = sides & 4, left = sides & 8;
    const EdgePoint corners[4] = {{left ? dx : 0, top ? dy : 0},
                                  {right ? a - dx : a, top ? dy : 0},
                                  {right ? a - dx : a, bottom ? b - dy : b},
                                  {left ? dx : 0, bottom ? b - dy : b}};
    size_t i = 0;
    auto corner = [&](int n) {
        ASSERT_LT(i, points.size());
        EXPECT_EQ(points[i].x, corners[n].x) << "corner " << n;
        EXPECT_EQ(points[i].y, corners[n].y) << "corner " << n;
        ++i;
    };
    auto walk = [&](bool alongX, int from, int to, int step, int low, int high) {
        int previous = alongX ? points[i - 1].y : points[i - 1].x;
        for (int v = from; step > 0 ? v <= to : v >= to; v += step, ++i) {
            ASSERT_LT(i, points.size());
            const int along = alongX ? points[i].x : points[i].y;
            const int across = alongX ? points[i].y : points[i].x;
            ASSERT_EQ(along, v);
            ASSERT_GE(across, low);
            ASSERT_LE(across, high);
            ASSERT_LE(std::abs(across - previous), 6);
            previous = across;
        }
    };
    corner(0);
    if (top) walk(true, corners[0].x + 1, corners[1].x - 1, 1, 0, dy);
    corner(1);
    if (right) walk(false, corners[1].y + 1, corners[2].y - 1, 1, a - dx, a);
    corner(2);
    if (bottom) walk(true, corners[2].x - 1, corners[3].x + 1, -1, b - dy, b);
    corner(3);
    if (left) walk(false, corners[3].y - 1, corners[0].y + 1, -1, 0, dx);
    EXPECT_EQ(i, points.size());
}

}  // namespace

TEST(TornStep, IsUniformInMinusKToKWithKFromTwoToSix) {
    RandomSource random(42);
    std::map<int, int> counts;
    const int n = 260000;
    for (int i = 0; i < n; ++i) ++counts[delivery::TornStep(random)];
    EXPECT_EQ(counts.begin()->first, -6);
    EXPECT_EQ(counts.rbegin()->first, 6);
    for (int s = -6; s <= 6; ++s) {
        double p = 0;
        for (int k = std::max(2, std::abs(s)); k <= 6; ++k) p += 1.0 / (5 * (2 * k + 1));
        const double expected = n * p, sigma = std::sqrt(n * p * (1 - p));
        EXPECT_NEAR(counts[s], expected, 5 * sigma) << "step " << s;
    }
}

TEST(TornPolygon, FollowsCornersAndBandsForEverySideCombination) {
    RandomSource random(7);
    for (int sides = 0; sides < 16; ++sides)
        for (int depth : {0, 20, 100}) {
            SCOPED_TRACE(testing::Message() << "sides " << sides << ", depth " << depth);
            ExpectPolygonShape(BuildTornPolygon(99, 59, uint8_t(sides), uint8_t(depth), random), 99, 59,
                               uint8_t(sides), depth);
        }
}

TEST(TornPolygon, DefaultSettingsOnA400By300Capture) {
    RandomSource random(11);
    const EdgePolygon p = BuildTornPolygon(399, 299, 6, 20, random);
    ExpectPolygonShape(p, 399, 299, 6, 20);  // bands of 39 (right) and 29 (bottom)
    EXPECT_EQ(p.size(), 4u + 269u + 359u);

    // Depth 0: the torn sides lie on the bitmap's edge.
    for (const EdgePoint& q : BuildTornPolygon(399, 299, 15, 0, random))
        EXPECT_TRUE(q.x == 0 || q.x == 399 || q.y == 0 || q.y == 299);
}

TEST(TornPolygon, SeedsDecideTheEdge) {
    RandomSource a(5), b(5), c(6);
    const EdgePolygon pa = BuildTornPolygon(200, 150, 15, 20, a);
    EXPECT_EQ(pa, BuildTornPolygon(200, 150, 15, 20, b));
    EXPECT_NE(pa, BuildTornPolygon(200, 150, 15, 20, c));
    // The program's generator is seeded from the clock on every call.
    EXPECT_NE(BuildTornPolygon(200, 150, 15, 20), BuildTornPolygon(200, 150, 15, 20));
}

TEST(TornPolygon, LargeCapturesGetAPointPerPixelBeyondTenThousand) {
    RandomSource random(3);
    const EdgePolygon deep = BuildTornPolygon(3999, 2999, 15, 20, random);
    ExpectPolygonShape(deep, 3999, 2999, 15, 20);
    EXPECT_EQ(deep.size(), 4u + 2u * 3200u + 2u * 2400u);
    EXPECT_EQ(BuildTornPolygon(3999, 2999, 15, 0, random).size(), 4u + 2u * 3998u + 2u * 2998u);
    // A stored depth above 100 % is taken as 100 %.
    ExpectPolygonShape(BuildTornPolygon(99, 59, 15, 255, random), 99, 59, 15, 100);
}

TEST(EdgeEffect, WithoutTearOrShadowOrOutlineTheImageComesBackIn24Bits) {
    ui::Bitmap capture = RandomBitmap(53, 41, ui::PixelFormat::Device, 1);
    // Pixels of the key colour go transparent and show the background.
    SetPixelAt(capture, 10, 10, delivery::EdgeKeyColor);
    SetPixelAt(capture, 0, 40, delivery::EdgeKeyColor);
    auto expected = Pixels(capture);
    expected[10 * 53 + 10] = RGB(0, 0, 200);
    expected[40 * 53 + 0] = RGB(0, 0, 200);

    for (uint8_t sides : {0, 6, 15}) {
        ui::Bitmap b(capture);
        ApplyEdgeEffect(b, false, sides, 20, false, Grey, false, Shadow, RGB(0, 0, 200));
        ASSERT_EQ(b.Bits(), 24);
        ASSERT_EQ(b.Width(), 53);
        ASSERT_EQ(b.Height(), 41);
        EXPECT_EQ(Pixels(b), expected) << int(sides);
    }
    // Torn sides of depth 0 are straight lines on the bitmap's edge.
    ui::Bitmap b(capture);
    ApplyEdgeEffect(b, true, 15, 0, false, Grey, false, Shadow, RGB(0, 0, 200));
    EXPECT_EQ(Pixels(b), expected);

    // Other formats come back as their 24-bit conversion.
    for (auto format : {ui::PixelFormat::Bits16, ui::PixelFormat::Bits8}) {
        ui::Bitmap small(capture);
        ASSERT_TRUE(small.SetFormat(format));
        ui::Bitmap converted(small);
        ASSERT_TRUE(converted.SetFormat(ui::PixelFormat::Bits24));
        ApplyEdgeEffect(small, false, 0, 20, false, Grey, false, Shadow, RGB(0, 0, 200));
        ASSERT_EQ(small.Bits(), 24);
        EXPECT_EQ(Pixels(small), Pixels(converted)) << small.Bits();
    }
}

// Without tear the shadow is the whole image's rectangle moved by (6, 6) and
// blurred; the image sits where the sides put it.
TEST(EdgeEffect, ShadowWithoutTearIsTheBlurredRectangleAndTheSidesPlaceTheImage) {
    const int w = 31, h = 22;
    const ui::Bitmap capture = RandomBitmap(w, h, ui::PixelFormat::Bits24, 9);
    const struct { uint8_t sides; int x0, y0; } cases[] = {
        {0, 6, 6}, {2, 0, 6}, {8, 12, 6}, {10, 6, 6}, {1, 6, 12},
        {4, 6, 0}, {6, 0, 0}, {9, 12, 12}, {15, 6, 6},
    };
    ui::Bitmap shadow(w + 12, h + 12, ui::PixelFormat::Bits24);
    Fill(shadow, White);
    for (int y = 6; y < h + 6; ++y)
        for (int x = 6; x < w + 6; ++x) SetPixelAt(shadow, x, y, Shadow);
    ReferenceBlur(shadow, 3);

    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "sides " << int(c.sides));
        ui::Bitmap b(capture);
        ApplyEdgeEffect(b, false, c.sides, 20, false, Grey, true, Shadow, White);
        ASSERT_EQ(b.Width(), w + 12);
        ASSERT_EQ(b.Height(), h + 12);
        ui::Bitmap expected(shadow);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) SetPixelAt(expected, c.x0 + x, c.y0 + y, PixelAt(capture, x, y));
        ASSERT_EQ(Pixels(b), Pixels(expected));
    }
}

TEST(EdgeEffect, OutlineWithoutTearFramesTheImage) {
    ui::Bitmap b = Uniform(20, 10, Red);
    ApplyEdgeEffect(b, false, 0, 20, true, Grey, false, Shadow, White);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 20; ++x) {
            const bool edge = x == 0 || y == 0 || x == 19 || y == 9;
            ASSERT_EQ(PixelAt(b, x, y), edge ? Grey : Red) << x << "," << y;
        }
}

// Default settings: right and bottom torn, depth 20, outline and shadow.
TEST(EdgeEffect, DefaultTornEdgeFollowsItsPolygonAndIsCroppedToIt) {
    const int w = 400, h = 300;
    RandomSource random(21), same(21);
    const EdgePolygon p = BuildTornPolygon(w - 1, h - 1, 6, 20, same);
    ui::Bitmap b = Uniform(w, h, Red);
    ApplyEdgeEffect(b, true, 6, 20, true, Grey, true, Shadow, White, &random);
    ASSERT_EQ(b.Width(), MaxX(p) + 13);
    ASSERT_EQ(b.Height(), MaxY(p) + 13);

    for (const EdgePoint& q : p) ASSERT_EQ(PixelAt(b, q.x, q.y), Grey) << q.x << "," << q.y;
    // Right walk: inside stays the image, beyond it no trace of the image.
    // (The last point's row also holds the jump back to the corner.)
    for (size_t i = 2; i < 2 + 268; ++i) {
        const EdgePoint q = p[i];
        for (int x = 1; x <= q.x - 7; ++x) ASSERT_EQ(PixelAt(b, x, q.y), Red);
        for (int x = q.x + 7; x < b.Width(); ++x) {
            const COLORREF c = PixelAt(b, x, q.y);
            ASSERT_TRUE(c != Red && c != Grey) << x << "," << q.y;
        }
    }
    // The straight top and left sides carry the outline.
    for (int x = 0; x <= p[1].x; ++x) ASSERT_EQ(PixelAt(b, x, 0), Grey);
    for (int y = 0; y <= p.back().y; ++y) ASSERT_EQ(PixelAt(b, 0, y), Grey);
    // The blurred shadow shows just below the torn bottom.
    for (size_t i = 2 + 269 + 1 + 20; i < 2 + 269 + 1 + 340; ++i)
        ASSERT_NE(PixelAt(b, p[i].x, p[i].y + 3), White) << p[i].x << "," << p[i].y;
}

// With the top and left torn the result is cut so that the shadow's margin
// starts at (0, 0): the image's top-left extreme lands at (12, 12).
TEST(EdgeEffect, TornTopAndLeftAreCroppedToTheirBand) {
    const int w = 120, h = 90;
    RandomSource random(77), same(77);
    const EdgePolygon p = BuildTornPolygon(w - 1, h - 1, 9, 40, same);
    ui::Bitmap b = Uniform(w, h, Red);
    ApplyEdgeEffect(b, true, 9, 40, true, Grey, true, Shadow, White, &random);
    ASSERT_EQ(b.Width(), w - 1 - MinX(p) + 13);
    ASSERT_EQ(b.Height(), h - 1 - MinY(p) + 13);
    int firstColumn = b.Width(), firstRow = b.Height();
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x)
            if (PixelAt(b, x, y) == Grey) {
                firstColumn = std::min(firstColumn, x);
                firstRow = std::min(firstRow, y);
            }
    EXPECT_EQ(firstColumn, 12);
    EXPECT_EQ(firstRow, 12);
    for (const EdgePoint& q : p) ASSERT_EQ(PixelAt(b, q.x - MinX(p) + 12, q.y - MinY(p) + 12), Grey);
}

TEST(EdgeEffect, TwoRunsTearDifferently) {
    const ui::Bitmap capture = Uniform(200, 150, Red);
    ui::Bitmap a(capture), b(capture);
    ApplyEdgeEffect(a, true, 15, 20, true, Grey, false, Shadow, White);
    ApplyEdgeEffect(b, true, 15, 20, true, Grey, false, Shadow, White);
    EXPECT_TRUE(a.Width() != b.Width() || a.Height() != b.Height() || Pixels(a) != Pixels(b));
}

TEST(EdgeEffect, TinyAndEmptyCaptures) {
    ui::Bitmap empty;
    ApplyEdgeEffect(empty, true, 15, 20, true, Grey, true, Shadow, White);
    EXPECT_TRUE(empty.Empty());

    ui::Bitmap one = Uniform(1, 1, Red);
    ApplyEdgeEffect(one, true, 15, 100, false, Grey, true, Shadow, White);
    EXPECT_EQ(one.Width(), 13);
    EXPECT_EQ(one.Height(), 13);
    EXPECT_EQ(PixelAt(one, 6, 6), Red);

    ui::Bitmap line = Uniform(1, 50, Red);
    ApplyEdgeEffect(line, true, 15, 100, true, Grey, false, Shadow, White);
    EXPECT_EQ(line.Width(), 1);
    EXPECT_EQ(line.Bits(), 24);
}

// Far more polygon points than a 10000-point table would have room for.
TEST(EdgeEffect, LargeTornCapture) {
    ui::Bitmap b = Uniform(4000, 3000, Red);
    RandomSource random(8), same(8);
    const EdgePolygon p = BuildTornPolygon(3999, 2999, 15, 20, same);
    ASSERT_GT(p.size(), 10000u);
    ApplyEdgeEffect(b, true, 15, 20, true, Grey, true, Shadow, White, &random);
    ASSERT_EQ(b.Width(), MaxX(p) - MinX(p) + 13);
    ASSERT_EQ(b.Height(), MaxY(p) - MinY(p) + 13);
    // All four sides torn: image and shadow coincide, both at (6, 6).
    const int ox = 6 - MinX(p), oy = 6 - MinY(p);
    for (size_t i = 0; i < p.size(); i += 7) ASSERT_EQ(PixelAt(b, p[i].x + ox, p[i].y + oy), Grey);
    EXPECT_EQ(PixelAt(b, 2000 + ox, 1500 + oy), Red);
    EXPECT_NE(PixelAt(b, 0, 0), Red);
}
