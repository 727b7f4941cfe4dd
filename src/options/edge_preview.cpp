#include "options/edge_preview.h"

#include "delivery/edge_effect.h"
#include "ui/gdi.h"

namespace {

constexpr int SampleWidth = 150, SampleHeight = 96;

}  // namespace

ui::Bitmap EdgeSample() {
    ui::Bitmap b(SampleWidth, SampleHeight, ui::PixelFormat::Bits24);
    HDC dc = b.Canvas();
    ui::FillSolid(dc, RECT{0, 0, SampleWidth, SampleHeight}, RGB(255, 255, 255));
    // Title bar with its three buttons.
    ui::FillSolid(dc, RECT{0, 0, SampleWidth, 14}, RGB(0x0A, 0x24, 0x6A));
    ui::FillSolid(dc, RECT{4, 4, 60, 9}, RGB(255, 255, 255));
    for (int i = 0; i < 3; ++i) ui::FillSolid(dc, RECT{SampleWidth - 14 - 12 * i, 3, SampleWidth - 5 - 12 * i, 11}, RGB(0xD4, 0xD0, 0xC8));
    // A menu line and a few lines of text beside a picture.
    ui::FillSolid(dc, RECT{0, 14, SampleWidth, 24}, RGB(0xD4, 0xD0, 0xC8));
    for (int i = 0; i < 5; ++i) ui::FillSolid(dc, RECT{8, 32 + 11 * i, 8 + 70 - 9 * (i % 3), 36 + 11 * i}, RGB(0x80, 0x80, 0x80));
    ui::FillSolid(dc, RECT{92, 32, 140, 84}, RGB(0x4F, 0x81, 0xBD));
    ui::FillSolid(dc, RECT{100, 58, 132, 84}, RGB(0x9B, 0xBB, 0x59));
    ui::FillSolid(dc, RECT{110, 40, 122, 52}, RGB(0xF7, 0x96, 0x46));
    return b;
}

ui::Bitmap RenderEdgePreview(const TConfiguration& c, delivery::RandomSource* random) {
    ui::Bitmap b = EdgeSample();
    delivery::ApplyEdgeEffect(b, c.EdgeTorn != 0, c.EdgeSides, c.EdgeDepth, c.EdgeOutline != 0, c.EdgeOutlineColor,
                              c.EdgeShadow != 0, c.EdgeShadowColor, c.EdgeBackgroundColor, random);
    ui::FrameSolid(b.Canvas(), RECT{0, 0, b.Width(), b.Height()}, RGB(0x80, 0x80, 0x80));
    return b;
}
