// finish_bench [--runs N] [--save result.bmp] [--source source.bmp]
// [picture.bmp]: times the edge effect with the default settings (torn right
// and bottom, depth 20, outline, shadow) and the radius-3 blur on a capture,
// and prints the median and the best of the runs. The capture is the given
// picture (a BMP file, such as a screenshot) or else a synthetic 1920 x 1080
// one. --save writes the last edge-effect result for a look, --source the
// 24-bit pixels the blur was timed on, for other programs to be timed on.
// run_bench.sh runs it together with ImageMagick.
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
    std::printf("%-40s median %8.2f ms   best %8.2f ms   (%d runs)\n", name, ms[ms.size() / 2], ms.front(), runs);
}

int Usage() {
    std::fprintf(stderr, "usage: finish_bench [--runs N] [--save result.bmp] [--source source.bmp] [picture.bmp]\n");
    return 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    int runs = 15;
    std::wstring save, sourceFile, picture;
    for (int i = 1; i < argc; ++i) {
        const std::wstring arg = argv[i];
        if (arg == L"--runs" && i + 1 < argc) {
            runs = std::max(1, _wtoi(argv[++i]));
        } else if (arg == L"--save" && i + 1 < argc) {
            save = argv[++i];
        } else if (arg == L"--source" && i + 1 < argc) {
            sourceFile = argv[++i];
        } else if (!arg.empty() && arg[0] != L'-' && picture.empty()) {
            picture = arg;
        } else {
            return Usage();
        }
    }

    // A capture is a copy of the screen: the display's format.
    ui::Bitmap capture;
    if (picture.empty()) {
        capture = TestCapture(1920, 1080);
    } else {
        ui::Bitmap loaded;
        if (!loaded.LoadFromFile(picture)) {
            std::fprintf(stderr, "cannot read %ls\n", picture.c_str());
            return 1;
        }
        capture = ui::Bitmap(loaded.Width(), loaded.Height(), ui::PixelFormat::Device);
        BitBlt(capture.Canvas(), 0, 0, loaded.Width(), loaded.Height(), loaded.Canvas(), 0, 0, SRCCOPY);
    }
    std::printf("capture %d x %d, %d bits (%ls)\n", capture.Width(), capture.Height(), capture.Bits(),
                picture.empty() ? L"synthetic" : picture.c_str());

    ui::Bitmap result;
    Time("ApplyEdgeEffect, default settings", runs, [&] { result = capture; }, [&] {
        delivery::ApplyEdgeEffect(result, true, 6, 20, true, 0xC0C0C0, true, 0x003333, 0xFFFFFF);
    });
    std::printf("  result %d x %d, %d bits\n", result.Width(), result.Height(), result.Bits());

    ui::Bitmap blurred(capture);
    blurred.SetFormat(ui::PixelFormat::Bits24);
    const ui::Bitmap source(blurred);
    Time("GaussianBlur radius 3, 24 bits", runs, [&] { blurred = source; },
         [&] { delivery::GaussianBlur(blurred, 3); });
    // The same bitmap again and again: its memory is already mapped.
    Time("GaussianBlur radius 3, same bitmap again", runs, [] {}, [&] { delivery::GaussianBlur(blurred, 3); });
    // For scale: one pass over the same bytes.
    Time("  (memcpy of the 24-bit pixels)", runs, [] {}, [&] {
        std::memcpy(blurred.ScanLine(blurred.Height() - 1), source.ScanLine(source.Height() - 1),
                    size_t(source.Stride()) * size_t(source.Height()));
    });

    if ((!save.empty() && !result.SaveToFile(save)) || (!sourceFile.empty() && !source.SaveToFile(sourceFile))) {
        std::fprintf(stderr, "cannot write the pictures\n");
        return 1;
    }
    return 0;
}
