// finish_bench [runs] [result.bmp]: times the edge effect with the default
// settings (torn right and bottom, depth 20, outline, shadow) and the radius-3
// blur on a 1920 x 1080 capture, and prints the best and the median of the
// runs. With a file name the last edge-effect result is saved for a look.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include "delivery/edge_effect.h"
#include "delivery/gaussian_blur.h"

namespace {

ui::Bitmap TestCapture(int w, int h) {
    ui::Bitmap b(w, h, ui::PixelFormat::Device);
    for (int y = 0; y < h; ++y) {
        uint8_t* row = b.ScanLine(y);
        const int bytes = b.Bits() / 8;
        for (int x = 0; x < w; ++x) {
            row[x * bytes] = uint8_t(x * 255 / w);
            row[x * bytes + 1] = uint8_t(y * 255 / h);
            row[x * bytes + 2] = uint8_t((x ^ y) & 0xFF);
        }
    }
    return b;
}

// Times work() alone; prepare() runs before each run, outside the clock.
template <typename Prepare, typename Work>
void Time(const char* name, int runs, Prepare prepare, Work work) {
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        prepare();
        const auto start = std::chrono::steady_clock::now();
        work();
        ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(ms.begin(), ms.end());
    std::printf("%-46s best %8.2f ms   median %8.2f ms   (%d runs)\n", name, ms.front(), ms[ms.size() / 2], runs);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const int runs = argc > 1 ? std::max(1, _wtoi(argv[1])) : 15;
    const ui::Bitmap capture = TestCapture(1920, 1080);
    ui::Bitmap result;

    Time("ApplyEdgeEffect 1920 x 1080, defaults", runs, [&] { result = capture; }, [&] {
        delivery::ApplyEdgeEffect(result, true, 6, 20, true, 0xC0C0C0, true, 0x003333, 0xFFFFFF);
    });
    std::printf("  result %d x %d, %d bits\n", result.Width(), result.Height(), result.Bits());

    ui::Bitmap blurred(capture);
    blurred.SetFormat(ui::PixelFormat::Bits24);
    const ui::Bitmap source(blurred);
    Time("GaussianBlur radius 3, 1920 x 1080 x 24", runs, [&] { blurred = source; },
         [&] { delivery::GaussianBlur(blurred, 3); });
    // The same bitmap again and again: its memory is already mapped.
    Time("GaussianBlur radius 3, same bitmap again", runs, [] {}, [&] { delivery::GaussianBlur(blurred, 3); });
    // For scale: one pass over the same bytes.
    Time("  (memcpy of the 24-bit pixels)", runs, [] {}, [&] {
        std::memcpy(blurred.ScanLine(blurred.Height() - 1), source.ScanLine(source.Height() - 1),
                    size_t(source.Stride()) * size_t(source.Height()));
    });

    if (argc > 2 && !result.SaveToFile(argv[2])) {
        std::fprintf(stderr, "cannot write the result\n");
        return 1;
    }
    return 0;
}
