// The print planner by a table: every image row printed exactly once, at
// the scale the page and the screen give.
#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "delivery/print_planner.h"

namespace {

TEST(PrintPlanner, EveryRowIsPrintedExactlyOnce) {
    struct Case {
        const char* what;
        int imageW, imageH, pageW, pageH, screenW;
        bool fit;
        std::vector<printing::Slice> expected;
    };
    const Case cases[] = {
        {"fit: one page, stretched", 300, 2000, 2400, 3300, 1024, true, {{0, 2000, 2400, 3300}}},
        {"as wide as the screen: page wide", 1024, 500, 2400, 3300, 1024, false, {{0, 500, 2400, 1171}}},
        {"half the screen: half the page", 512, 100, 2400, 3300, 1024, false, {{0, 100, 1200, 234}}},
        {"2.5 page heights: full, full, half", 100, 625, 1000, 1000, 250, false,
         {{0, 250, 400, 1000}, {250, 250, 400, 1000}, {500, 125, 400, 500}}},
        // 3106 x 4.25 = 13200, two pages exactly; 1552 rows a page leave
        // rows 3104 and 3105, which need a third page.
        {"scaled height an exact number of pages", 400, 3106, 1700, 6600, 400, false,
         {{0, 1552, 1700, 6600}, {1552, 1552, 1700, 6600}, {3104, 2, 1700, 9}}},
        {"exactly one page", 100, 330, 1000, 3300, 100, false, {{0, 330, 1000, 3300}}},
        {"printer coarser than the screen", 1000, 3000, 500, 700, 1000, false,
         {{0, 1400, 500, 700}, {1400, 1400, 500, 700}, {2800, 200, 500, 100}}},
        {"nothing to print", 0, 10, 1000, 1000, 100, false, {}},
        // Scales no printer has: sizes beyond an int are the largest one,
        // never a wrapped-around one.
        {"wider than an int can say", 1 << 20, 2, 1 << 24, 1 << 24, 1, false,
         {{0, 1, INT_MAX, 1 << 24}, {1, 1, INT_MAX, 1 << 24}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto slices = printing::PlanPrint(c.imageW, c.imageH, c.pageW, c.pageH, c.screenW, c.fit);
        ASSERT_EQ(slices.size(), c.expected.size());
        for (size_t i = 0; i < slices.size(); ++i) {
            EXPECT_EQ(slices[i].firstRow, c.expected[i].firstRow) << i;
            EXPECT_EQ(slices[i].rows, c.expected[i].rows) << i;
            EXPECT_EQ(slices[i].width, c.expected[i].width) << i;
            EXPECT_EQ(slices[i].height, c.expected[i].height) << i;
        }
    }
    // Taller than 65535 printer pixels: slices all the way down.
    const auto tall = printing::PlanPrint(1280, 40000, 4960, 7016, 1280, false);
    int next = 0;
    for (const auto& s : tall) {
        EXPECT_EQ(s.firstRow, next);
        EXPECT_LE(s.height, 7016);
        next += s.rows;
    }
    EXPECT_EQ(next, 40000);
    EXPECT_EQ(tall.size(), 23u);
}

}  // namespace
