// bench_gif [--runs N] [picture.bmp]: times the GIF writer on a capture and
// prints the median and the best of the runs for each stage and the file
// size. The capture is the given picture (a BMP file, such as a screenshot)
// or else a synthetic full-HD screenshot-like one. The 24-bit source pixels
// are written as bench_source.bmp and our file as bench_vorlix.gif into the
// current folder, so that other encoders can be timed on the same pixels and
// the results compared (run_bench.sh does that with ImageMagick).
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "gif/gif_picture.h"
#include "gif/gif_reduce.h"
#include "gif/save_gif.h"
#include "bench_clock.h"
#include "synthetic_screenshot.h"

namespace {

void Report(const char* name, std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    std::printf("%-20s median %8.2f ms   best %8.2f ms   (%zu runs)\n", name, ms[ms.size() / 2], ms.front(), ms.size());
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    int runs = 7;
    std::wstring file;
    for (int i = 1; i < argc; ++i) {
        const std::wstring arg = argv[i];
        if (arg == L"--runs" && i + 1 < argc) {
            runs = std::max(1, _wtoi(argv[++i]));
        } else if (!arg.empty() && arg[0] != L'-' && file.empty()) {
            file = arg;
        } else {
            std::fprintf(stderr, "usage: bench_gif [--runs N] [picture.bmp]\n");
            return 2;
        }
    }
    // A capture is a copy of the screen: 32 bits per pixel.
    ui::Bitmap picture;
    if (file.empty()) {
        picture = synthetic::MakeScreenshot(1920, 1080);
    } else {
        ui::Bitmap loaded;
        if (!loaded.LoadFromFile(file)) {
            std::fprintf(stderr, "cannot read %ls\n", file.c_str());
            return 1;
        }
        picture = ui::Bitmap(loaded.Width(), loaded.Height(), ui::PixelFormat::Bits32);
        BitBlt(picture.Canvas(), 0, 0, loaded.Width(), loaded.Height(), loaded.Canvas(), 0, 0, SRCCOPY);
    }
    if (picture.Empty()) {
        std::printf("cannot make the picture\n");
        return 1;
    }
    const int width = picture.Width(), height = picture.Height();
    ui::Bitmap source24(width, height, ui::PixelFormat::Bits24);
    BitBlt(source24.Canvas(), 0, 0, width, height, picture.Canvas(), 0, 0, SRCCOPY);
    if (!source24.SaveToFile(L"bench_source.bmp")) {
        std::printf("cannot write bench_source.bmp\n");
        return 1;
    }

    std::vector<double> reduce, encode, total;
    size_t size = 0;
    for (int i = 0; i < runs; ++i) {
        const double t0 = BenchNow();
        ui::Bitmap reduced = gif::ReduceBitmapColors(picture, 8, 0, nullptr, 8);
        const double t1 = BenchNow();
        reduce.push_back(t1 - t0);

        gif::TGifPicture image;
        image.Assign(reduced);  // an 8-bit bitmap: copied, not reduced again
        gif::MemoryStream stream;
        const double t2 = BenchNow();
        image.SaveToStream(stream);
        encode.push_back(BenchNow() - t2);

        const double t3 = BenchNow();
        if (!SaveGIF(picture, L"bench_vorlix.gif")) {
            std::printf("SaveGIF failed\n");
            return 1;
        }
        total.push_back(BenchNow() - t3);
        size = stream.Data().size();
    }
    std::printf("picture %d x %d, 32 bits per pixel (%ls)\n", width, height,
                file.empty() ? L"synthetic" : file.c_str());
    Report("colour reduction", reduce);
    Report("LZW and file data", encode);
    Report("SaveGIF in all", total);
    std::printf("file size          %zu bytes\n", size);
    return 0;
}
