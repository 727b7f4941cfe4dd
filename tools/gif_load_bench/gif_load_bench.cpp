// gif_load_bench [--runs N] FRAMES...: for each count, writes frames_COUNT.gif
// (that many one-pixel frames, each with its own control block, as long
// animations are made) into the current folder and times loading it into the
// program's image class from memory; prints the median and best of the runs
// and the time per frame, so that the cost per frame can be compared across
// counts (it stays flat when loading is linear in the frames). run_bench.sh
// times giflib's giftext on the same files.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "bench_clock.h"
#include "gif/gif_picture.h"

namespace {

std::vector<uint8_t> ManyFrames(int count) {
    std::vector<uint8_t> file{'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0x80, 0, 0, 0, 0, 0, 255, 255, 255};
    // A control block (delay 2), then a 1 x 1 image: code size 2, one
    // sub-block holding clear, index 1 and end.
    const uint8_t frame[] = {0x21, 0xF9, 0x04, 0x00, 0x02, 0x00, 0x00, 0x00,
                             0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0,
                             0x02, 0x02, 0x4C, 0x01, 0x00};
    file.reserve(file.size() + size_t(count) * sizeof frame + 1);
    for (int i = 0; i < count; ++i) file.insert(file.end(), frame, frame + sizeof frame);
    file.push_back(0x3B);
    return file;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    int runs = 5;
    std::vector<int> counts;
    for (int i = 1; i < argc; ++i) {
        const std::wstring arg = argv[i];
        if (arg == L"--runs" && i + 1 < argc) runs = std::max(1, _wtoi(argv[++i]));
        else if (_wtoi(argv[i]) > 0) counts.push_back(_wtoi(argv[i]));
        else {
            std::fprintf(stderr, "usage: gif_load_bench [--runs N] FRAMES...\n");
            return 2;
        }
    }
    if (counts.empty()) counts = {10000, 100000, 400000};
    for (int count : counts) {
        const std::vector<uint8_t> file = ManyFrames(count);
        const std::string name = "frames_" + std::to_string(count) + ".gif";
        if (FILE* f = std::fopen(name.c_str(), "wb")) {
            std::fwrite(file.data(), 1, file.size(), f);
            std::fclose(f);
        }
        std::vector<double> ms;
        for (int r = 0; r < runs; ++r) {
            gif::TGifPicture image;
            gif::MemoryStream stream(file.data(), file.size());
            const double start = BenchNow();
            try {
                image.LoadFromStream(stream);
            } catch (const gif::Exception& e) {
                std::printf("%d frames: %ls\n", count, e.Message().c_str());
                return 1;
            }
            ms.push_back(BenchNow() - start);
            if (image.FrameCount() != count) {
                std::printf("%d frames: %d loaded\n", count, image.FrameCount());
                return 1;
            }
        }
        std::sort(ms.begin(), ms.end());
        const double median = ms[ms.size() / 2];
        std::printf("load %7d frames  median %9.1f ms   best %9.1f ms   %6.2f us per frame   (%d runs, %zu bytes)\n",
                    count, median, ms.front(), median * 1000.0 / count, runs, file.size());
    }
    return 0;
}
