#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "base/texts.h"
#include "delivery/gaussian_blur.h"
#include "finishing_support.h"

using namespace finishing_test;
using delivery::BlurKernel;
using delivery::BuildBlurKernel;
using delivery::GaussianBlur;

TEST(BlurKernel, HalfWidthsAndWeights) {
    const struct { double radius; int halfWidth; } cases[] = {{1, 2}, {2, 5}, {3, 8}, {5, 14}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.radius);
        const BlurKernel k = BuildBlurKernel(c.radius);
        EXPECT_EQ(k.halfWidth, c.halfWidth);
        double sum = 0;
        for (int t = -k.halfWidth; t <= k.halfWidth; ++t) {
            sum += k.Weight(t);
            EXPECT_EQ(k.Weight(t), k.Weight(-t));
            if (t > 0) {
                EXPECT_LT(k.Weight(t), k.Weight(t - 1));
            }
        }
        EXPECT_NEAR(sum, 1.0, 1e-6);
    }
    const BlurKernel k3 = BuildBlurKernel(3);
    EXPECT_NEAR(k3.Weight(0), 0.1336, 5e-5);
    EXPECT_NEAR(k3.Weight(8), 0.0038, 5e-5);
}

TEST(BlurKernel, RadiusThatIsNotPositiveLeavesTheImageAlone) {
    for (double radius : {0.0, -2.0, std::nan("")}) {
        ui::Bitmap b = RandomBitmap(9, 7, ui::PixelFormat::Bits24, 3);
        const auto before = Pixels(b);
        GaussianBlur(b, radius);
        EXPECT_EQ(Pixels(b), before) << radius;
    }
}

// Random images of shapes around the kernel's size (narrower and lower than
// the kernel, one pixel, single rows and columns) against the plain blur.
TEST(GaussianBlur, MatchesThePlainBlurExactly) {
    const struct { int w, h; } sizes[] = {{1, 1}, {1, 9}, {12, 1}, {2, 3}, {5, 40}, {37, 23}, {160, 90}};
    uint32_t seed = 1;
    for (double radius : {1.0, 2.0, 3.0, 5.0, 0.7, 12.5}) {
        for (const auto& s : sizes) {
            SCOPED_TRACE(testing::Message() << "radius " << radius << ", " << s.w << " x " << s.h);
            ui::Bitmap fast = RandomBitmap(s.w, s.h, ui::PixelFormat::Bits24, seed++);
            ui::Bitmap plain(fast);
            GaussianBlur(fast, radius);
            ReferenceBlur(plain, radius);
            ASSERT_EQ(Pixels(fast), Pixels(plain));
        }
    }
}

TEST(GaussianBlur, WhiteStaysWhiteAndEdgesRepeatTheEndPixel) {
    ui::Bitmap white(30, 20, ui::PixelFormat::Bits24);
    Fill(white, RGB(255, 255, 255));
    GaussianBlur(white, 3);
    for (COLORREF c : Pixels(white)) ASSERT_EQ(c, RGB(255, 255, 255));

    // A black left half and a white right half: the first columns see only
    // black beyond the edge, so they stay black; the step is smoothed.
    ui::Bitmap step(40, 3, ui::PixelFormat::Bits24);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 40; ++x) SetPixelAt(step, x, y, x < 20 ? RGB(0, 0, 0) : RGB(255, 255, 255));
    GaussianBlur(step, 3);
    EXPECT_EQ(PixelAt(step, 0, 1), RGB(0, 0, 0));
    EXPECT_EQ(PixelAt(step, 39, 1), RGB(255, 255, 255));
    EXPECT_GT(GetRValue(PixelAt(step, 20, 1)), 0);
    EXPECT_LT(GetRValue(PixelAt(step, 19, 1)), 255);
}

TEST(GaussianBlur, RefusesOtherFormatsAndLeavesThemAlone) {
    for (auto format : {ui::PixelFormat::Bits32, ui::PixelFormat::Bits8, ui::PixelFormat::Bits16}) {
        ui::Bitmap b(6, 5, format);
        b.Clear(RGB(0, 0, 0));
        b.FillRect(RECT{2, 2, 3, 3}, RGB(255, 255, 255));
        std::vector<uint8_t> before = b.SaveToMemory();
        try {
            GaussianBlur(b, 3);
            ADD_FAILURE() << "no error for " << b.Bits() << " bits";
        } catch (const delivery::BlurFormatError& e) {
            EXPECT_EQ(e.Message(), txt::BlurNeeds24Bit);
            EXPECT_EQ(e.Message(), L"Gaussian blur needs a 24-bit bitmap");
            EXPECT_STREQ(e.what(), "Gaussian blur needs a 24-bit bitmap");
        }
        EXPECT_EQ(b.SaveToMemory(), before);
    }
}

// A part of an image whose rest is one colour, blurred on its own, equals the
// same part of the whole image blurred.
TEST(GaussianBlur, PartOfAUniformImageMatchesTheWholeImageBlurred) {
    const int W = 48, H = 36;
    const COLORREF outside = RGB(250, 251, 3);
    const struct { int x, y, w, h; } parts[] = {
        {10, 7, 20, 15}, {0, 0, 30, 20}, {18, 0, 30, 36}, {0, 16, 48, 20}, {3, 3, 2, 1}, {0, 0, 48, 36},
    };
    uint32_t seed = 100;
    for (double radius : {3.0, 2.0}) {
        for (const auto& p : parts) {
            SCOPED_TRACE(testing::Message() << "radius " << radius << ", part " << p.x << "," << p.y << " "
                                            << p.w << " x " << p.h);
            const ui::Bitmap content = RandomBitmap(p.w, p.h, ui::PixelFormat::Bits24, seed++);
            ui::Bitmap whole(W, H, ui::PixelFormat::Bits24);
            Fill(whole, outside);
            for (int y = 0; y < p.h; ++y)
                for (int x = 0; x < p.w; ++x) SetPixelAt(whole, p.x + x, p.y + y, PixelAt(content, x, y));
            ReferenceBlur(whole, radius);

            ui::Bitmap part(content);
            uint8_t sides = 0;
            if (p.x > 0) sides |= delivery::bsLeft;
            if (p.y > 0) sides |= delivery::bsTop;
            if (p.x + p.w < W) sides |= delivery::bsRight;
            if (p.y + p.h < H) sides |= delivery::bsBottom;
            delivery::GaussianBlurPart(part, radius, sides, outside);
            for (int y = 0; y < p.h; ++y)
                for (int x = 0; x < p.w; ++x)
                    ASSERT_EQ(PixelAt(part, x, y), PixelAt(whole, p.x + x, p.y + y)) << x << "," << y;
        }
    }
}

// The blur works in integers (with SSE2 where the processor has it) when its
// sums are exact, and in doubles otherwise (radius 0.2: weights far below the
// data's step). Every road gives the plain blur's bytes.
TEST(GaussianBlur, PortableAndVectorCodeGiveTheSameBytes) {
    uint32_t seed = 500;
    for (bool sse2 : {true, false}) {
        const bool before = delivery::AllowBlurSse2(sse2);
        for (double radius : {3.0, 12.5, 0.2}) {
            SCOPED_TRACE(testing::Message() << "radius " << radius << (sse2 ? ", SSE2" : ", portable"));
            ui::Bitmap fast = RandomBitmap(61, 29, ui::PixelFormat::Bits24, seed++);
            ui::Bitmap plain(fast);
            GaussianBlur(fast, radius);
            ReferenceBlur(plain, radius);
            EXPECT_EQ(Pixels(fast), Pixels(plain));
        }
        delivery::AllowBlurSse2(before);
    }
}
