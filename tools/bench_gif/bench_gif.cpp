// Benchmark of the GIF writer: saves a full HD screenshot-like picture as GIF
// several times and reports the time of each stage and the file size. The
// source picture is also written as a 24-bit BMP, so that other encoders can
// be timed on the same pixels (run_bench.sh does that with ImageMagick).
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "gif/gif_picture.h"
#include "gif/gif_reduce.h"
#include "gif/save_gif.h"
#include "synthetic_screenshot.h"

namespace {

double Now() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return double(t.QuadPart) * 1000.0 / double(frequency.QuadPart);
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring folder = argc > 1 ? std::wstring(argv[1]) + L"\\" : L"";
    const int width = 1920, height = 1080, runs = 7;
    const ui::Bitmap picture = synthetic::MakeScreenshot(width, height);
    if (picture.Empty()) {
        std::printf("cannot make the picture\n");
        return 1;
    }
    ui::Bitmap source24(width, height, ui::PixelFormat::Bits24);
    BitBlt(source24.Canvas(), 0, 0, width, height, picture.Canvas(), 0, 0, SRCCOPY);
    source24.SaveToFile(folder + L"bench_source.bmp");

    std::vector<double> reduce, encode, total;
    size_t size = 0;
    for (int i = 0; i < runs; ++i) {
        const double t0 = Now();
        ui::Bitmap reduced = gif::ReduceBitmapColors(picture, 8, 0, nullptr, 8);
        const double t1 = Now();
        reduce.push_back(t1 - t0);

        gif::TGifPicture image;
        image.Assign(reduced);  // an 8-bit bitmap: copied, not reduced again
        gif::MemoryStream stream;
        const double t2 = Now();
        image.SaveToStream(stream);
        encode.push_back(Now() - t2);

        const double t3 = Now();
        if (!SaveGIF(picture, folder + L"bench_vorlix.gif")) {
            std::printf("SaveGIF failed\n");
            return 1;
        }
        total.push_back(Now() - t3);
        size = stream.Data().size();
    }
    std::printf("picture            %d x %d, 32 bits per pixel\n", width, height);
    std::printf("colour reduction   %.1f ms (median of %d)\n", Median(reduce), runs);
    std::printf("LZW and file data  %.1f ms (median of %d)\n", Median(encode), runs);
    std::printf("SaveGIF in all     %.1f ms (median of %d, best %.1f ms)\n", Median(total), runs,
                *std::min_element(total.begin(), total.end()));
    std::printf("file size          %zu bytes\n", size);
    return 0;
}
