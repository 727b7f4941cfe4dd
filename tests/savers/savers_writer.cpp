// Writes sample images through the program's savers into the folder given as
// the argument, each beside a PPM (or PGM) file of the pixels it must hold,
// computed here from the pattern and not read back through the savers. The
// host script compares them with independent readers. Also times the savers on
// a screen-sized capture.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "delivery/image_savers.h"
#include "delivery/jpeg_writer.h"
#include "delivery/png_writer.h"
#include "ui/bitmap.h"
#include "ui/text_convert.h"

namespace {

constexpr int W = 61, H = 37;  // odd sizes: row padding and partial JPEG blocks

struct Rgb {
    uint8_t r, g, b;
};

uint32_t Hash(int x, int y) {
    uint32_t h = uint32_t(x) * 73856093u ^ uint32_t(y) * 19349663u;
    h ^= h >> 13;
    h *= 2654435761u;
    return h ^ (h >> 16);
}

uint8_t Widen5(unsigned v) { return uint8_t((v << 3) | (v >> 2)); }
uint8_t Widen6(unsigned v) { return uint8_t((v << 2) | (v >> 4)); }

bool failed = false;

void WriteNetpbm(const std::wstring& path, const std::vector<uint8_t>& data, bool grey, int w, int h) {
    std::ofstream out(path.c_str(), std::ios::binary);
    out << (grey ? "P5\n" : "P6\n") << w << " " << h << "\n255\n";
    out.write(reinterpret_cast<const char*>(data.data()), std::streamsize(data.size()));
    if (!out) failed = true;
}

// GIF files are written only where the GIF codec is built in; there a GIF
// that cannot be saved fails like any other format.
void Save(const ui::Bitmap& b, const std::wstring& path) {
    std::wstring p = path;
    if (!SaveImageByExtension(b, p)) {
        std::printf("not saved: %s\n", ui::ToAnsi(path).c_str());
        failed = true;
    }
}

struct Format {
    const wchar_t* name;
    ui::PixelFormat format;
};

// Fills b with a pattern: smooth gradients or per-pixel noise. Returns the
// colours the image holds, top row first.
std::vector<uint8_t> Fill(ui::Bitmap& b, bool smooth) {
    const int bits = b.Bits();
    std::vector<RGBQUAD> table;
    if (bits <= 8) {
        for (int i = 0; i < (1 << bits); ++i) {
            uint8_t r, g, bl;
            if (bits == 1) { r = i ? 240 : 10; g = i ? 200 : 20; bl = i ? 100 : 30; }
            else if (bits == 4) { r = uint8_t(i * 16); g = uint8_t(255 - i * 16); bl = uint8_t(i * 37); }
            else { r = uint8_t(i); g = uint8_t(smooth ? 255 - i : i * 7); bl = uint8_t(smooth ? i / 2 : i * 13); }
            table.push_back(RGBQUAD{bl, g, r, 0});
        }
        b.SetColorTable(table);
    }
    const bool is555 = b.Format() == ui::PixelFormat::Bits15;
    std::vector<uint8_t> expected;
    for (int y = 0; y < H; ++y) {
        uint8_t* row = b.ScanLine(y);
        for (int x = 0; x < W; ++x) {
            const uint32_t h = Hash(x, y);
            Rgb c{uint8_t(h), uint8_t(h >> 8), uint8_t(h >> 16)};
            if (smooth) c = Rgb{uint8_t(x * 255 / (W - 1)), uint8_t(y * 255 / (H - 1)),
                                uint8_t(255 - (x + y) * 255 / (W + H - 2))};
            switch (bits) {
                case 1: case 4: case 8: {
                    const unsigned index = smooth ? unsigned((x + 2 * y) * 255 / (W - 1 + 2 * (H - 1)))
                                                  : h & ((1u << bits) - 1);
                    if (bits == 1) row[x >> 3] = uint8_t((row[x >> 3] & ~(0x80 >> (x & 7))) | (index << (7 - (x & 7))));
                    else if (bits == 4) row[x >> 1] = uint8_t((x & 1) ? (row[x >> 1] & 0xF0) | index
                                                                      : (row[x >> 1] & 0x0F) | (index << 4));
                    else row[x] = uint8_t(index);
                    c = Rgb{table[index].rgbRed, table[index].rgbGreen, table[index].rgbBlue};
                    break;
                }
                case 16: {
                    unsigned v;
                    if (is555) {
                        v = smooth ? ((c.r >> 3) << 10) | ((c.g >> 3) << 5) | (c.b >> 3) : (h & 0x7FFF);
                        c = Rgb{Widen5((v >> 10) & 31), Widen5((v >> 5) & 31), Widen5(v & 31)};
                    } else {
                        v = smooth ? ((c.r >> 3) << 11) | ((c.g >> 2) << 5) | (c.b >> 3) : (h & 0xFFFF);
                        c = Rgb{Widen5((v >> 11) & 31), Widen6((v >> 5) & 63), Widen5(v & 31)};
                    }
                    row[2 * x] = uint8_t(v);
                    row[2 * x + 1] = uint8_t(v >> 8);
                    break;
                }
                case 24:
                    row[3 * x] = c.b; row[3 * x + 1] = c.g; row[3 * x + 2] = c.r;
                    break;
                default:
                    row[4 * x] = c.b; row[4 * x + 1] = c.g; row[4 * x + 2] = c.r; row[4 * x + 3] = 0;
                    break;
            }
            expected.insert(expected.end(), {c.r, c.g, c.b});
        }
    }
    return expected;
}

// The pixels of a 24- or 32-bit bitmap as red, green, blue, top row first.
std::vector<uint8_t> PixelsOf(const ui::Bitmap& b) {
    std::vector<uint8_t> rgb;
    const int bytes = b.Bits() / 8;
    for (int y = 0; y < b.Height(); ++y) {
        const uint8_t* row = b.ScanLine(y);
        for (int x = 0; x < b.Width(); ++x) rgb.insert(rgb.end(), {row[bytes * x + 2], row[bytes * x + 1], row[bytes * x]});
    }
    return rgb;
}

// A screen: a window with a title bar, buttons and lines of text on a flat
// desktop, as much of it flat as on real screens (above 90 % of the pixels
// repeat their left neighbour).
ui::Bitmap ScreenLike(int w, int h) {
    ui::Bitmap b(w, h, ui::PixelFormat::Bits32);
    b.Clear(RGB(58, 110, 165));
    b.FillRect(RECT{20, 20, w - 20, h - 20}, RGB(255, 255, 255));
    b.FillRect(RECT{20, 20, w - 20, 42}, RGB(0, 84, 227));
    for (int i = 0; i < 6; ++i) b.FillRect(RECT{30 + i * 40, 50, 62 + i * 40, 70}, RGB(236, 233, 216));
    HDC dc = b.Canvas();
    SetBkMode(dc, TRANSPARENT);
    for (int y = 80; y + 16 < h - 20; y += 24) TextOutW(dc, 30, y, L"The quick brown fox 0123", 24);
    return b;
}

// A photograph: smooth colour with noise in every pixel.
ui::Bitmap PhotoLike(int w, int h) {
    ui::Bitmap b(w, h, ui::PixelFormat::Bits24);
    for (int y = 0; y < h; ++y) {
        uint8_t* row = b.ScanLine(y);
        for (int x = 0; x < w; ++x) {
            const int noise = int(Hash(x, y) % 17) - 8;
            row[3 * x] = uint8_t(std::clamp(60 + y * 120 / h + noise, 0, 255));
            row[3 * x + 1] = uint8_t(std::clamp(40 + (x + y) * 100 / (w + h) + noise, 0, 255));
            row[3 * x + 2] = uint8_t(std::clamp(200 - x * 100 / w + noise, 0, 255));
        }
    }
    return b;
}

// A picture for the JPEG bands: noise, gradients and flat areas in stripes
// that cross the bands' borders, so that the DC values change from band to
// band and the coded bits hold many 0xFF bytes. Returns its colours.
std::vector<uint8_t> FillStripes(ui::Bitmap& b) {
    if (b.Bits() == 8) {
        std::vector<RGBQUAD> table;
        for (int i = 0; i < 256; ++i) table.push_back(RGBQUAD{uint8_t(i * 7), uint8_t(i * 3), uint8_t(255 - i), 0});
        b.SetColorTable(table);
    }
    const int bytes = b.Bits() / 8;
    std::vector<uint8_t> expected;
    for (int y = 0; y < b.Height(); ++y) {
        uint8_t* row = b.ScanLine(y);
        for (int x = 0; x < b.Width(); ++x) {
            const uint32_t h = Hash(x, y);
            const int stripe = (x + 3 * y) / 97 % 3;
            Rgb c = stripe == 0   ? Rgb{uint8_t(h), uint8_t(h >> 8), uint8_t(h >> 16)}
                    : stripe == 1 ? Rgb{uint8_t(x * 255 / b.Width()), uint8_t(y * 255 / b.Height()), 90}
                                  : Rgb{uint8_t(y / 64 * 40), 200, uint8_t(x / 128 * 30)};
            if (bytes == 1) {
                const uint8_t index = uint8_t(stripe == 0 ? h : stripe == 1 ? x + y : y / 64 * 16);
                row[x] = index;
                c = Rgb{uint8_t(255 - index), uint8_t(index * 3), uint8_t(index * 7)};
            } else {
                row[bytes * x] = c.b; row[bytes * x + 1] = c.g; row[bytes * x + 2] = c.r;
                if (bytes == 4) row[4 * x + 3] = uint8_t(h >> 24);  // the unused byte is not read
            }
            expected.insert(expected.end(), {c.r, c.g, c.b});
        }
    }
    return expected;
}

double Millis(LARGE_INTEGER a, LARGE_INTEGER b) {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return double(b.QuadPart - a.QuadPart) * 1000.0 / double(f.QuadPart);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return 2;
    std::wstring out = argv[1];
    if (out.back() != L'\\') out += L'\\';

    const Format formats[] = {
        {L"bits1", ui::PixelFormat::Bits1},   {L"bits4", ui::PixelFormat::Bits4},
        {L"bits8", ui::PixelFormat::Bits8},   {L"bits15", ui::PixelFormat::Bits15},
        {L"bits16", ui::PixelFormat::Bits16}, {L"bits24", ui::PixelFormat::Bits24},
        {L"bits32", ui::PixelFormat::Bits32}, {L"device", ui::PixelFormat::Device},
    };
    for (const auto& f : formats) {
        ui::Bitmap noise(W, H, f.format);
        const std::wstring base = out + f.name;
        WriteNetpbm(base + L".ppm", Fill(noise, false), false, W, H);
        Save(noise, base + L".bmp");
        Save(noise, base + L".png");
#ifdef VORLIX_HAVE_GIF
        Save(noise, base + L".gif");
#endif
        if (f.format == ui::PixelFormat::Bits1 || f.format == ui::PixelFormat::Bits4) continue;
        ui::Bitmap smooth(W, H, f.format);
        WriteNetpbm(base + L"_smooth.ppm", Fill(smooth, true), false, W, H);
        Save(smooth, base + L"_smooth.jpg");
    }

    // Pictures compressed in bands on several cores: sizes with partial
    // blocks, a partial MCU and an odd number of blocks (which the coder
    // completes with blocks of its own) at the right and the bottom.
    {
        const struct {
            const wchar_t* name;
            int w, h;
            ui::PixelFormat format;
        } banded[] = {
            {L"bands32", 993, 997, ui::PixelFormat::Bits32},
            {L"bands24", 1920, 1080, ui::PixelFormat::Bits24},
            {L"bands8", 640, 483, ui::PixelFormat::Bits8},
        };
        const unsigned cores = std::thread::hardware_concurrency();
        for (const auto& c : banded) {
            if (cores >= 2 && jpegfile::JpegBandCount(c.w, c.h, cores) < 2) {
                std::printf("%s is not compressed in bands\n", ui::ToAnsi(c.name).c_str());
                failed = true;
            }
            ui::Bitmap b(c.w, c.h, c.format);
            const std::wstring base = out + c.name;
            WriteNetpbm(base + L".ppm", FillStripes(b), false, c.w, c.h);
            Save(b, base + L".jpg");
        }
    }

    // One colour made transparent (the high byte of the colour is ignored);
    // a neighbouring colour stays opaque.
    {
        const COLORREF key = RGB(12, 34, 56);
        ui::Bitmap b(W, H, ui::PixelFormat::Bits32);
        std::vector<uint8_t> rgb, alpha;
        for (int y = 0; y < H; ++y) {
            uint8_t* row = b.ScanLine(y);
            for (int x = 0; x < W; ++x) {
                const uint32_t h = Hash(x, y);
                Rgb c{uint8_t(h | 1), uint8_t(h >> 8), uint8_t(h >> 16)};
                if ((x + y) % 5 == 0) c = Rgb{12, 34, 56};
                else if ((x * y) % 7 == 1) c = Rgb{12, 34, 57};
                row[4 * x] = c.b; row[4 * x + 1] = c.g; row[4 * x + 2] = c.r; row[4 * x + 3] = 0;
                rgb.insert(rgb.end(), {c.r, c.g, c.b});
                alpha.push_back((x + y) % 5 == 0 ? 0 : 255);
            }
        }
        WriteNetpbm(out + L"key.ppm", rgb, false, W, H);
        WriteNetpbm(out + L"key_alpha.pgm", alpha, true, W, H);
        try {
            SaveBitmapAsPng(out + L"key.png", b, key | 0x02000000);
        } catch (const PngError& e) {
            std::printf("key.png: %s\n", e.what());
            failed = true;
        }
    }

    // The PNG coding follows the content: a screen and a photograph.
    {
        const ui::Bitmap screen = ScreenLike(400, 300), photo = PhotoLike(400, 300);
        WriteNetpbm(out + L"screen.ppm", PixelsOf(screen), false, 400, 300);
        Save(screen, out + L"screen.png");
        WriteNetpbm(out + L"photo.ppm", PixelsOf(photo), false, 400, 300);
        Save(photo, out + L"photo.png");
    }

    {
        ui::Bitmap white(1, 1);
        white.Clear(RGB(255, 255, 255));
        Save(white, out + L"white.png");
    }

    // Timing on a screen-sized capture of the display's format.
    {
        ui::Bitmap big(1920, 1200);
        for (int y = 0; y < big.Height(); ++y) {
            uint8_t* row = big.ScanLine(y);
            for (int i = 0; i < big.Stride(); ++i) row[i] = uint8_t((i / 4 + y) * ((i & 3) + 1));
        }
        const wchar_t* exts[] = {L".bmp", L".jpg", L".png", L".gif"};
        for (const wchar_t* ext : exts) {
#ifndef VORLIX_HAVE_GIF
            if (std::wstring(ext) == L".gif") continue;
#endif
            LARGE_INTEGER a, b;
            QueryPerformanceCounter(&a);
            std::wstring path = out + L"big" + ext;
            const bool ok = SaveImageByExtension(big, path);
            QueryPerformanceCounter(&b);
            std::printf("1920x1200 %-4s %s %8.1f ms\n", ui::ToAnsi(ext).c_str(), ok ? "ok" : "FAILED", Millis(a, b));
            if (!ok) failed = true;
            DeleteFileW(path.c_str());
        }
    }
    return failed ? 1 : 0;
}
