// The Edge Effect page's preview: the sample through the real edge effect,
// framed in grey.
#include <gtest/gtest.h>

#include "base/configuration.h"
#include "delivery/edge_effect.h"
#include "options/edge_preview.h"
#include "ui/colour_picker.h"

namespace {

COLORREF At(const ui::Bitmap& b, int x, int y) {
    const uint8_t* p = b.ScanLine(y) + 3 * x;
    return RGB(p[2], p[1], p[0]);
}

int Count(const ui::Bitmap& b, COLORREF c) {
    int n = 0;
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x) n += At(b, x, y) == c;
    return n;
}

TConfiguration EdgeSettings() {
    TConfiguration c{};
    SetDefaults(c, DefaultInputs{});
    c.EdgeOn = 0;  // the preview shows the effect whatever the switch says
    c.EdgeTorn = 1;
    c.EdgeSides = 6;
    c.EdgeDepth = 20;
    c.EdgeOutline = 1;
    c.EdgeOutlineColor = 0x0000FF;
    c.EdgeShadow = 1;
    c.EdgeShadowColor = 0x003333;
    c.EdgeBackgroundColor = 0xFFFFFF;
    return c;
}

}  // namespace

TEST(EdgePreview, IsTheSampleThroughTheRealEdgeEffectInAGreyFrame) {
    const TConfiguration c = EdgeSettings();
    delivery::RandomSource a(42), b(42);
    const ui::Bitmap preview = RenderEdgePreview(c, &a);
    ui::Bitmap expected = EdgeSample();
    delivery::ApplyEdgeEffect(expected, true, 6, 20, true, 0x0000FF, true, 0x003333, 0xFFFFFF, &b);
    ASSERT_EQ(preview.Width(), expected.Width());
    ASSERT_EQ(preview.Height(), expected.Height());
    const COLORREF grey = RGB(0x80, 0x80, 0x80);
    for (int y = 0; y < preview.Height(); ++y)
        for (int x = 0; x < preview.Width(); ++x) {
            const bool frame = x == 0 || y == 0 || x == preview.Width() - 1 || y == preview.Height() - 1;
            ASSERT_EQ(At(preview, x, y), frame ? grey : At(expected, x, y)) << x << "," << y;
        }
    EXPECT_GT(Count(preview, RGB(255, 0, 0)), 100);  // the red outline
}

TEST(EdgePreview, FollowsEverySetting) {
    TConfiguration c = EdgeSettings();
    const ui::Bitmap sample = EdgeSample();
    // No outline, no red.
    c.EdgeShadow = 0;
    c.EdgeOutline = 0;
    ui::Bitmap plain = RenderEdgePreview(c);
    EXPECT_EQ(Count(plain, RGB(255, 0, 0)), 0);
    // Depth 0: straight edges, so without shadow the result keeps the
    // sample's size (a torn edge may cut the picture to the polygon's
    // bounds, by a random amount), and every sample pixel inside the frame
    // stays.
    c.EdgeDepth = 0;
    plain = RenderEdgePreview(c);
    EXPECT_EQ(plain.Width(), sample.Width());
    for (int y = 1; y < sample.Height() - 1; ++y)
        for (int x = 1; x < sample.Width() - 1; ++x) ASSERT_EQ(At(plain, x, y), At(sample, x, y)) << x << "," << y;
    // The shadow widens the picture by its 12 pixels.
    c.EdgeShadow = 1;
    EXPECT_EQ(RenderEdgePreview(c).Width(), sample.Width() + 12);
    // "Automatic" colours are drawn as the button shows them (black), not
    // as whatever the raw value would give.
    c.EdgeTorn = 0;
    c.EdgeOutline = 1;
    c.EdgeOutlineColor = ui::clDefault;
    c.EdgeBackgroundColor = ui::clDefault;
    const ui::Bitmap automatic = RenderEdgePreview(c);
    EXPECT_EQ(At(automatic, sample.Width() - 1, 20), ui::AutomaticShownColour);  // the outline's right side
    EXPECT_EQ(At(automatic, automatic.Width() - 2, 2), ui::AutomaticShownColour);  // background beside the shadow
}
