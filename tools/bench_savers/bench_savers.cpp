// bench_savers [--runs N] FOLDER picture.bmp...: times the program's BMP, JPEG
// and PNG savers on each picture, loaded as a capture is held (the display's
// format), and writes the files as FOLDER\<picture>_vorlix.<ext> for other
// programs to compare. Beside the BMP saver it times one plain write of the
// same file's bytes from memory. First it says whether libjpeg-turbo takes
// its SIMD routines on this processor. For each picture and format it prints
// one line: the name, the format, the file's size and every run's time in
// milliseconds (run_bench.sh takes the medians and sets them beside the
// other programs'); first the same for a JPEG save of a 1 x 1 picture.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "bench_clock.h"
#include "delivery/image_savers.h"
#include "delivery/jpeg_simd.h"
#include "ui/bitmap.h"
#include "ui/gdi.h"

namespace {

std::wstring BaseName(const std::wstring& path) {
    std::wstring name = path.substr(path.find_last_of(L"\\/") + 1);
    return name.substr(0, name.find_last_of(L'.'));
}

long long FileSize(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return -1;
    return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

void Print(const std::wstring& picture, const char* format, long long size, const std::vector<double>& ms) {
    std::printf("%ls %s %lld", picture.c_str(), format, size);
    for (double t : ms) std::printf(" %.2f", t);
    std::printf("\n");
}

bool PlainWrite(const std::wstring& path, const std::vector<uint8_t>& data) {
    ui::FileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                    nullptr));
    DWORD written = 0;
    return file.valid() && WriteFile(file.get(), data.data(), static_cast<DWORD>(data.size()), &written, nullptr) &&
           written == data.size();
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    int runs = 5;
    std::wstring folder;
    std::vector<std::wstring> pictures;
    for (int i = 1; i < argc; ++i) {
        const std::wstring arg = argv[i];
        if (arg == L"--runs" && i + 1 < argc)
            runs = std::max(1, _wtoi(argv[++i]));
        else if (!arg.empty() && arg[0] != L'-' && folder.empty())
            folder = arg;
        else if (!arg.empty() && arg[0] != L'-')
            pictures.push_back(arg);
        else
            folder.clear(), pictures.clear(), i = argc;
    }
    if (folder.empty() || pictures.empty()) {
        std::fprintf(stderr, "usage: bench_savers [--runs N] FOLDER picture.bmp...\n");
        return 2;
    }
    if (folder.back() != L'\\') folder += L'\\';

    const delivery::JpegSimd jsimd = delivery::JpegSimdInUse();
    const bool simd = jsimd.All();
    std::printf("libjpeg-turbo SIMD routines: colour conversion %d, downsampling %d, sample conversion %d, DCT %d, "
                "quantisation %d, Huffman coding %d: %s\n",
                jsimd.colourConversion, jsimd.downsampling, jsimd.sampleConversion, jsimd.dct, jsimd.quantisation,
                jsimd.huffman, simd ? "taken" : "NOT TAKEN");

    int failures = 0;
    // What a JPEG save costs whatever the picture (creating the pending
    // file, renaming it over the target): a 1 x 1 picture, as the peers'
    // start-up is measured.
    {
        ui::Bitmap tiny(1, 1, ui::PixelFormat::Device);
        std::wstring path = folder + L"tiny_vorlix.jpg";
        std::vector<double> ms;
        for (int i = 0; i < runs; ++i) {
            const double start = BenchNow();
            if (!SaveImageByExtension(tiny, path)) ++failures;
            ms.push_back(BenchNow() - start);
        }
        Print(L"tiny", "JPEG", FileSize(path), ms);
    }
    for (const std::wstring& file : pictures) {
        ui::Bitmap loaded;
        if (!loaded.LoadFromFile(file)) {
            std::fprintf(stderr, "cannot read %ls\n", file.c_str());
            return 1;
        }
        // A capture is a copy of the screen: the display's format.
        ui::Bitmap capture(loaded.Width(), loaded.Height(), ui::PixelFormat::Device);
        BitBlt(capture.Canvas(), 0, 0, loaded.Width(), loaded.Height(), loaded.Canvas(), 0, 0, SRCCOPY);
        const std::wstring name = BaseName(file);
        std::printf("picture %ls %d x %d, %d bits\n", name.c_str(), capture.Width(), capture.Height(), capture.Bits());

        const struct {
            const char* format;
            const wchar_t* extension;
        } formats[] = {{"BMP", L".bmp"}, {"JPEG", L".jpg"}, {"PNG", L".png"}};
        for (const auto& f : formats) {
            std::vector<double> ms;
            std::wstring path = folder + name + L"_vorlix" + f.extension;
            for (int i = 0; i < runs; ++i) {
                const double start = BenchNow();
                if (!SaveImageByExtension(capture, path)) {
                    std::printf("%ls %s FAILED\n", name.c_str(), f.format);
                    ++failures;
                    break;
                }
                ms.push_back(BenchNow() - start);
            }
            Print(name, f.format, FileSize(path), ms);
        }
        // The floor of the BMP saver: the same bytes written in one call.
        const std::vector<uint8_t> bytes = capture.SaveToMemory();
        const std::wstring plain = folder + name + L"_plain.bmp";
        std::vector<double> ms;
        for (int i = 0; i < runs; ++i) {
            const double start = BenchNow();
            if (!PlainWrite(plain, bytes)) ++failures;
            ms.push_back(BenchNow() - start);
        }
        Print(name, "plain-write", FileSize(plain), ms);
        DeleteFileW(plain.c_str());
    }
    return failures || !simd ? 1 : 0;
}
