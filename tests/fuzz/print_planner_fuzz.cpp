// The print planner with any image, page and screen size: every image row is
// printed exactly once, in order, and no printed size is empty, larger than
// the page's height or computed by an overflow.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "delivery/print_planner.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Input in(data, size);
    if (in.Flag()) {
        // Any numbers at all, one of them not positive: no plan.
        int v[5];
        for (int& x : v) x = in.Take<int32_t>();
        v[in.Range(0, 4)] = -int(in.Range(0, 1 << 30));
        FUZZ_CHECK(printing::PlanPrint(v[0], v[1], v[2], v[3], v[4], in.Flag()).empty());
        return 0;
    }
    // Sizes a bitmap of the program can have (at most 2^28 pixels), and
    // pages and screens up to 2^24 pixels a side.
    const int imageW = int(in.Range(1, 1 << 28));
    const int imageH = int(in.Range(1, (int64_t(1) << 28) / imageW));
    const int pageW = int(in.Range(1, 1 << 24)), pageH = int(in.Range(1, 1 << 24));
    const int screenW = int(in.Range(1, 1 << 24));
    const bool fit = in.Flag();
    // Plans of more than 2^16 pages are not asked for: the memory they take
    // is the planner's answer, not a fault.
    const double rowsPerPage = double(pageH) * double(screenW) / double(pageW);
    if (!fit && double(imageH) / (rowsPerPage < 1 ? 1 : rowsPerPage) > 65536) return 0;

    const std::vector<printing::Slice> plan = printing::PlanPrint(imageW, imageH, pageW, pageH, screenW, fit);
    FUZZ_CHECK(!plan.empty());
    if (fit) {
        FUZZ_CHECK(plan.size() == 1 && plan[0].firstRow == 0 && plan[0].rows == imageH && plan[0].width == pageW &&
                   plan[0].height == pageH);
        return 0;
    }
    int next = 0;
    for (const printing::Slice& s : plan) {
        FUZZ_CHECK(s.firstRow == next);
        FUZZ_CHECK(s.rows >= 1);
        FUZZ_CHECK(s.width >= 1 && s.width == plan[0].width);
        FUZZ_CHECK(s.height >= 1 && s.height <= pageH);
        next += s.rows;
    }
    FUZZ_CHECK(next == imageH);
    return 0;
}
