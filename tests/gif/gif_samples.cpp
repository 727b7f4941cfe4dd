// Writes GIF files through the codec into the current folder, each with the
// pixels an independent reader must decode from it (NAME.rgb: red, green,
// blue bytes, rows top to bottom), and a manifest line "NAME WIDTH HEIGHT
// FLAGS" for check_readers.sh. The cases are those that break encoders.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <set>
#include <unordered_map>
#include <string>
#include <vector>

#include "gif/gif_encoder.h"
#include "gif/gif_extensions.h"
#include "gif/gif_picture.h"
#include "gif/gif_reduce.h"
#include "gif/save_gif.h"
#include "../../tools/bench_gif/synthetic_screenshot.h"
#include "test_support.h"

namespace {

FILE* manifest = nullptr;
int failures = 0;

std::vector<uint8_t> ReadFile(const std::string& name) {
    std::vector<uint8_t> data;
    FILE* f = std::fopen(name.c_str(), "rb");
    if (!f) return data;
    uint8_t buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) data.insert(data.end(), buffer, buffer + n);
    std::fclose(f);
    return data;
}

void WriteFile(const std::string& name, const std::vector<uint8_t>& data) {
    FILE* f = std::fopen(name.c_str(), "wb");
    if (!f) {
        std::printf("cannot write %s\n", name.c_str());
        ++failures;
        return;
    }
    std::fwrite(data.data(), 1, data.size(), f);
    std::fclose(f);
}

std::wstring Wide(const std::string& s) { return std::wstring(s.begin(), s.end()); }

void Record(const std::string& name, int width, int height, const std::vector<uint8_t>& expected,
            const std::string& flags = "-") {
    WriteFile(name + ".rgb", expected);
    std::fprintf(manifest, "%s %d %d %s\n", name.c_str(), width, height, flags.c_str());
    std::printf("wrote %s (%d x %d)\n", name.c_str(), width, height);
}

// The source's own pixels as RGB.
std::vector<uint8_t> SourceRgb(const ui::Bitmap& b) {
    gif::TDIBReader reader(b, ui::PixelFormat::Bits24);
    std::vector<uint8_t> rgb;
    rgb.reserve(size_t(b.Width()) * size_t(b.Height()) * 3);
    for (int y = 0; y < b.Height(); ++y) {
        const uint8_t* p = reader.Row(y);
        for (int x = 0; x < b.Width(); ++x, p += reader.BytesPerPixel()) {
            rgb.push_back(p[2]);
            rgb.push_back(p[1]);
            rgb.push_back(p[0]);
        }
    }
    return rgb;
}

// The palette mapping of the source, worked out again from the rule: a
// colour the palette holds is itself; for any other, with rows alternately
// left to right and right to left, the first colour met in a 5-5-5 cell
// picks the nearest palette entry (sum of component distances, lower index
// on a tie) for the whole cell, unless a palette entry lies in the cell (the
// first such entry then serves it); the palette is the one the file carries
// (its first colour table).
std::vector<uint8_t> MappedRgb(const ui::Bitmap& b, const std::vector<uint8_t>& file) {
    const uint8_t* table = file.data() + 13 + 10;  // no global map: the local map follows the descriptor
    const int entries = 2 << (file[13 + 9] & 7);
    std::vector<int> cell(32768, -1);
    std::set<uint32_t> held;
    for (int i = 0; i < entries; ++i) {
        const int key = (table[3 * i] >> 3) | ((table[3 * i + 1] & 0xF8) << 2) | ((table[3 * i + 2] & 0xF8) << 7);
        if (cell[size_t(key)] < 0) cell[size_t(key)] = i;
        held.insert(uint32_t(table[3 * i] << 16 | table[3 * i + 1] << 8 | table[3 * i + 2]));
    }
    gif::TDIBReader reader(b, ui::PixelFormat::Bits24);
    std::vector<uint8_t> rgb(size_t(b.Width()) * size_t(b.Height()) * 3);
    for (int y = 0; y < b.Height(); ++y) {
        const uint8_t* row = reader.Row(y);
        for (int k = 0; k < b.Width(); ++k) {
            const int x = y % 2 == 0 ? k : b.Width() - 1 - k;
            const uint8_t* p = row + size_t(x) * size_t(reader.BytesPerPixel());
            const int r = p[2], g = p[1], bl = p[0];
            uint8_t* to = &rgb[(size_t(y) * size_t(b.Width()) + size_t(x)) * 3];
            if (held.count(uint32_t(r << 16 | g << 8 | bl))) {
                to[0] = uint8_t(r), to[1] = uint8_t(g), to[2] = uint8_t(bl);
                continue;
            }
            const int key = (r >> 3) | ((g & 0xF8) << 2) | ((bl & 0xF8) << 7);
            if (cell[size_t(key)] < 0) {
                int best = 0, bestD = 1 << 30;
                for (int i = 0; i < entries; ++i) {
                    const int d = std::abs(table[3 * i] - r) + std::abs(table[3 * i + 1] - g) + std::abs(table[3 * i + 2] - bl);
                    if (d < bestD) bestD = d, best = i;
                }
                cell[size_t(key)] = best;
            }
            std::memcpy(to, table + 3 * cell[size_t(key)], 3);
        }
    }
    return rgb;
}

// What the frame holds: its indices through its active colour map.
std::vector<uint8_t> FrameRgb(gif::TGifFrame& frame) {
    gif::TGifColorMap* map = frame.ActiveColorMap();
    std::vector<uint8_t> rgb;
    for (int i = 0; i < frame.PixelCount(); ++i) {
        const gif::TGifColor c = map->Entry(frame.Data()[i]);
        rgb.push_back(c.Red);
        rgb.push_back(c.Green);
        rgb.push_back(c.Blue);
    }
    return rgb;
}

// Saves through SaveGIF, the program's road, and records the expectation.
void SaveCapture(const std::string& name, const ui::Bitmap& b, bool exact) {
    if (!SaveGIF(b, Wide(name + ".gif"))) {
        std::printf("SaveGIF failed for %s\n", name.c_str());
        ++failures;
        return;
    }
    const std::vector<uint8_t> file = ReadFile(name + ".gif");
    Record(name, b.Width(), b.Height(), exact ? SourceRgb(b) : MappedRgb(b, file));
}

void SavePicture(const std::string& name, gif::TGifPicture& image, const std::string& flags = "-") {
    gif::MemoryStream stream;
    image.SaveToStream(stream);
    WriteFile(name + ".gif", stream.Data());
    Record(name, image.GetWidth(), image.GetHeight(), FrameRgb(*image.Frame(0)), flags);
}

// Random pixels of a few colours. The colours lie in different 5-5-5 cells,
// away from the system colours' cells, so the lookup maps each to itself.
ui::Bitmap PaletteNoise(int width, int height, int colors, uint32_t seed) {
    ui::Bitmap b(width, height, ui::PixelFormat::Bits32);
    synthetic::Random random(seed);
    std::vector<uint32_t> palette;
    for (COLORREF c : giftest::DistinctCellColors(colors, seed))
        palette.push_back(uint32_t(GetBValue(c)) | (uint32_t(GetGValue(c)) << 8) | (uint32_t(GetRValue(c)) << 16));
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(b.ScanLine(y));
        for (int x = 0; x < width; ++x) row[x] = palette[random.Next() % palette.size()];
    }
    return b;
}

// A screenshot whose colours all fit the palette: the 20 system colours and
// 236 others, many of them only a step or two apart (greys of anti-aliased
// text, a title-bar ramp, and neighbours of the system colours), so that
// they share 5-5-5 cells with each other and with the system colours. The
// window drawing is snapped to those colours, and a strip of swatches shows
// every one of them.
ui::Bitmap PaletteScreenshot(int width, int height) {
    PALETTEENTRY system[20];
    GetPaletteEntries(static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE)), 0, 20, system);
    std::vector<COLORREF> colours;
    for (const PALETTEENTRY& e : system) colours.push_back(RGB(e.peRed, e.peGreen, e.peBlue));
    const size_t systemCount = colours.size();
    auto add = [&](int r, int g, int b) {
        const COLORREF c = RGB(std::clamp(r, 0, 255), std::clamp(g, 0, 255), std::clamp(b, 0, 255));
        if (colours.size() < systemCount + 236 && std::find(colours.begin(), colours.end(), c) == colours.end())
            colours.push_back(c);
    };
    for (const PALETTEENTRY& e : system) add(e.peRed, e.peGreen, e.peBlue < 128 ? e.peBlue + 1 : e.peBlue - 1);
    for (int v = 96; v < 224; ++v) add(v, v, v);
    for (int i = 0; colours.size() < systemCount + 236; ++i) add(i / 2, 84 + i, 227 + i / 3);

    ui::Bitmap b = synthetic::MakeScreenshot(width, height, 21);
    std::unordered_map<uint32_t, uint32_t> nearest;
    auto snap = [&](uint32_t bgr) {
        auto [it, fresh] = nearest.try_emplace(bgr, 0);
        if (fresh) {
            const int r = int(bgr >> 16 & 0xFF), g = int(bgr >> 8 & 0xFF), bl = int(bgr & 0xFF);
            int best = 1 << 30;
            for (COLORREF c : colours) {
                const int d = std::abs(GetRValue(c) - r) + std::abs(GetGValue(c) - g) + std::abs(GetBValue(c) - bl);
                if (d < best) best = d, it->second = uint32_t(GetRValue(c)) << 16 | GetGValue(c) << 8 | GetBValue(c);
            }
        }
        return it->second;
    };
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(b.ScanLine(y));
        for (int x = 0; x < width; ++x) row[x] = snap(row[x] & 0xFFFFFF);
    }
    for (size_t i = 0; i < colours.size(); ++i) {
        const int x = 16 + 3 * int(i);
        b.FillRect(RECT{x, height - 24, x + 3, height - 12}, colours[i]);
    }
    return b;
}

// A frame of the given indices and a 256-grey local map.
std::unique_ptr<gif::TGifFrame> IndexFrame(gif::TGifPicture& image, int width, int height,
                                           const std::vector<uint8_t>& indices, int colors) {
    auto frame = std::make_unique<gif::TGifFrame>(&image);
    frame->SetBounds(RECT{0, 0, width, height});
    for (int i = 0; i < colors; ++i) frame->ColorMap().AddColor(RGB(i, 255 - i, (i * 7) & 255));
    for (int y = 0; y < height; ++y) std::memcpy(frame->Row(y), indices.data() + size_t(y) * width, size_t(width));
    return frame;
}

}  // namespace

int main() {
    manifest = std::fopen("manifest.txt", "w");
    if (!manifest) return 1;
    try {
        // The program's road: 32-bit captures through SaveGIF.
        {
            ui::Bitmap one(1, 1, ui::PixelFormat::Bits32);
            one.Clear(RGB(12, 34, 56));
            SaveCapture("one_pixel", one, true);
        }
        {
            ui::Bitmap plain(640, 480, ui::PixelFormat::Bits32);
            plain.Clear(RGB(200, 100, 50));
            SaveCapture("one_colour", plain, true);
        }
        SaveCapture("noise_230_colours", PaletteNoise(1024, 768, 230, 7), true);  // 12-bit codes, many clears
        SaveCapture("thin_row", PaletteNoise(3000, 1, 100, 8), true);
        SaveCapture("thin_column", PaletteNoise(1, 3000, 100, 9), true);
        SaveCapture("odd_size", PaletteNoise(333, 77, 50, 10), true);
        SaveCapture("screenshot_full_hd", synthetic::MakeScreenshot(1920, 1080), false);
        SaveCapture("screenshot_4096", synthetic::MakeScreenshot(4096, 4096, 99), false);
        SaveCapture("screenshot_256_colours", PaletteScreenshot(800, 600), true);

        // Palette bitmaps keep their own tables.
        {
            ui::Bitmap mono(101, 37, ui::PixelFormat::Bits1);
            for (int y = 0; y < 37; ++y)
                for (int x = 0; x < 101; ++x)
                    if ((x * y + x / 3) % 5 == 0) mono.ScanLine(y)[x / 8] |= uint8_t(0x80 >> (x % 8));
            SaveCapture("bits_1", mono, true);
            ui::Bitmap vga(50, 40, ui::PixelFormat::Bits4);
            for (int y = 0; y < 40; ++y)
                for (int x = 0; x < 50; ++x) {
                    uint8_t& byte = vga.ScanLine(y)[x / 2];
                    const uint8_t v = uint8_t((x + 3 * y) % 16);
                    byte = uint8_t(x % 2 ? (byte & 0xF0) | v : (byte & 0x0F) | (v << 4));
                }
            SaveCapture("bits_4", vga, true);
            std::vector<RGBQUAD> table;
            for (int i = 0; i < 16; ++i) table.push_back(RGBQUAD{uint8_t(i * 16), uint8_t(255 - i * 9), uint8_t(i * 5), 0});
            ui::Bitmap sixteen =
                giftest::MakeIndexedBitmap(64, 48, 8, table, [](int x, int y) { return (x / 4 + y / 3) % 16; });
            SaveCapture("bits_8_table_16", sixteen, true);
        }

        // A transparent capture: graphic control extension, version 89a.
        {
            ui::Bitmap b = PaletteNoise(120, 90, 20, 11);
            b.FillRect(RECT{30, 20, 90, 70}, RGB(255, 0, 255));
            b.transparent = true;
            b.transparentColor = RGB(255, 0, 255);
            gif::TGifPicture image;
            image.Reduction = 8;
            image.Assign(b);
            SavePicture("transparent", image, "transparent");
        }

        // Sub-blocks: a code stream of exactly k x 255 bytes ends with a full
        // sub-block and then the terminator, no empty block between.
        {
            synthetic::Random random(5);
            std::vector<uint8_t> indices(20000);
            for (auto& v : indices) v = uint8_t(random.Next() % 256);
            for (int width = 600; width < 20000; ++width) {
                gif::MemoryStream stream;
                gif::TLZWEncoder encoder;
                encoder.Encode(stream, 8, 256, indices.data(), false, 1, width);
                const size_t codeBytes = stream.Data().size() - 2;  // minus code size byte and terminator
                if (codeBytes % 256 != 0) continue;                 // k blocks of 1 + 255 bytes
                gif::TGifPicture image;
                image.AddFrame(IndexFrame(image, width, 1, indices, 256));
                SavePicture("sub_block_boundary", image);
                break;
            }
        }

        // The run-length coder must be readable by any decoder.
        {
            gif::TGifPicture image;
            image.EncoderKind = 1;
            image.Reduction = 8;
            image.Assign(synthetic::MakeScreenshot(800, 600, 3));
            SavePicture("rle_screenshot", image);
            for (int colors : {2, 4, 16, 256}) {
                synthetic::Random random(static_cast<uint32_t>(colors));
                std::vector<uint8_t> indices(size_t(300) * 200);
                size_t i = 0;
                while (i < indices.size()) {  // runs of every length, up to very long ones
                    const size_t run = std::min<size_t>(indices.size() - i, 1 + random.Next() % (i % 7 == 0 ? 9000 : 40));
                    const uint8_t v = uint8_t(random.Next() % colors);
                    std::fill_n(indices.begin() + i, run, v);
                    i += run;
                }
                gif::TGifPicture runs;
                runs.EncoderKind = 1;
                runs.AddFrame(IndexFrame(runs, 300, 200, indices, colors));
                SavePicture("rle_runs_" + std::to_string(colors), runs);
            }
        }

        // An interlaced frame under a global map.
        {
            gif::TGifPicture image;
            for (int i = 0; i < 16; ++i) image.GlobalColorMap().AddColor(RGB(i * 16, 128, 255 - i * 16));
            auto frame = std::make_unique<gif::TGifFrame>(&image);
            frame->SetBounds(RECT{0, 0, 97, 61});
            frame->SetInterlaced(true);
            synthetic::Random random(12);
            for (int y = 0; y < 61; ++y)
                for (int x = 0; x < 97; ++x) frame->Row(y)[x] = uint8_t((x / 7 + y + random.Next() % 2) % 16);
            image.AddFrame(std::move(frame));
            SavePicture("interlaced_global_map", image);
        }

        // Every reduction method and ditherer writes a readable file.
        {
            const ui::Bitmap source = synthetic::MakeScreenshot(320, 200, 4);
            for (int method = 1; method <= 9; ++method) {
                gif::TGifPicture image;
                image.Reduction = method;
                image.ReductionBitCount = 5;
                HPALETTE given = gif::BuildFourGrayPalette();
                if (method == 9) {
                    // The given palette reaches the frame through the reduction call.
                    ui::Bitmap reduced = gif::ReduceBitmapColors(source, 9, 0, given, 8);
                    image.Assign(reduced);
                } else {
                    image.Assign(source);
                }
                DeleteObject(given);
                SavePicture("method_" + std::to_string(method), image);
            }
            for (int dither = 1; dither <= 6; ++dither) {
                gif::TGifPicture image;
                image.Reduction = 6;
                image.Diffusion = dither;
                image.Assign(source);
                SavePicture("dither_" + std::to_string(dither), image);
            }
        }
    } catch (const gif::Exception& e) {
        std::printf("codec error: %s\n", e.what());
        ++failures;
    } catch (const std::exception& e) {
        std::printf("error: %s\n", e.what());
        ++failures;
    }
    std::fclose(manifest);
    return failures == 0 ? 0 : 1;
}
