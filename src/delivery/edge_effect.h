// The edge effect: torn (jagged) sides, an outline and a soft drop shadow on a
// background colour. It replaces the bitmap by a 24-bit result of a new size.
#pragma once

#include <cstdint>
#include <vector>

#include "base/configuration.h"
#include "delivery/random_source.h"
#include "delivery/settings_color.h"
#include "ui/bitmap.h"

namespace delivery {

// Bits of the sides argument.
enum EdgeSide : uint8_t { esTop = 1, esRight = 2, esBottom = 4, esLeft = 8 };

// The colour that marks the area outside the edge polygon; capture pixels of
// exactly this colour come out transparent too.
constexpr TColor EdgeKeyColor = 0x00373737;

struct EdgePoint {
    int32_t x, y;
    friend bool operator==(const EdgePoint&, const EdgePoint&) = default;
};
// A closed polygon (the last point joins the first), one point per pixel
// along every torn side. It grows with the bitmap: a torn 4000 x 3000 capture
// needs about 14000 points.
using EdgePolygon = std::vector<EdgePoint>;

// One random step of a torn side: uniform in -k .. +k, with k uniform in 2 .. 6.
int TornStep(RandomSource& random);

// The edge polygon of a bitmap whose last column is a and last row is b: the
// corners, moved in by depth / 2 percent on the torn sides, and a random walk
// inside that band along each torn side. The first form uses the program's
// generator, freshly seeded from the clock.
EdgePolygon BuildTornPolygon(int a, int b, uint8_t sides, uint8_t depth);
EdgePolygon BuildTornPolygon(int a, int b, uint8_t sides, uint8_t depth, RandomSource& random);

// Applies the effect in place. The sides also place the image against its
// shadow when torn is off. random: the generator for the torn sides; null
// means the program's, seeded from the clock on every call. An empty bitmap
// stays as it is; when the memory for the result cannot be had, the bitmap is
// left unchanged.
void ApplyEdgeEffect(ui::Bitmap& bitmap, bool torn, uint8_t sides, uint8_t depth, bool outline,
                     TColor outlineColour, bool shadow, TColor shadowColour, TColor backgroundColour,
                     RandomSource* random = nullptr);

}  // namespace delivery
