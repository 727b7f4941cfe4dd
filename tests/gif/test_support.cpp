#include "test_support.h"

#include <cstdio>
#include <cstring>

namespace giftest {

CodeStream DecodeImageData(const uint8_t* data, size_t size) {
    CodeStream s;
    if (size < 1) {
        s.error = "no code size";
        return s;
    }
    s.minCodeSize = data[0];
    // Gather the sub-blocks.
    std::vector<uint8_t> bytes;
    size_t at = 1;
    for (;;) {
        if (at >= size) {
            s.error = "data ends inside the sub-blocks";
            break;
        }
        const int n = data[at++];
        if (n == 0) {
            s.terminated = true;
            break;
        }
        if (at + size_t(n) > size) {
            s.error = "sub-block runs past the end";
            break;
        }
        s.blockSizes.push_back(n);
        bytes.insert(bytes.end(), data + at, data + at + n);
        at += size_t(n);
    }
    s.bytesUsed = at;
    if (s.minCodeSize < 2 || s.minCodeSize > 8) {
        s.error = "bad code size";
        return s;
    }
    const int clear = 1 << s.minCodeSize, end = clear + 1;
    std::vector<int> prefix(4096, -1), suffix(4096, 0), first(4096, 0);
    for (int i = 0; i < clear; ++i) suffix[i] = first[i] = i;
    int width = s.minCodeSize + 1, next = clear + 2, previous = -1;
    size_t bit = 0;
    std::vector<uint8_t> stack;
    for (;;) {
        if (bit + size_t(width) > bytes.size() * 8) {
            if (s.error.empty()) s.error = "code stream ends without an end code";
            break;
        }
        int code = 0;
        for (int i = 0; i < width; ++i, ++bit) code |= ((bytes[bit / 8] >> (bit % 8)) & 1) << i;
        s.codes.push_back(code);
        s.widths.push_back(width);
        if (code == clear) {
            ++s.clears;
            width = s.minCodeSize + 1;
            next = clear + 2;
            previous = -1;
            continue;
        }
        if (code == end) {
            s.endCode = true;
            // Whatever follows in the last byte must be padding.
            break;
        }
        if (previous < 0) {
            if (code >= clear) {
                s.error = "first code after a clear is not a pixel";
                break;
            }
            s.pixels.push_back(uint8_t(code));
            previous = code;
            continue;
        }
        int c = code;
        uint8_t extra = 0;
        bool kwkwk = false;
        if (code > next || (code == next && next >= 4096)) {
            s.error = "code beyond the table";
            break;
        }
        if (code == next) {
            kwkwk = true;
            extra = uint8_t(first[previous]);
            c = previous;
        }
        stack.clear();
        while (c >= clear) {
            stack.push_back(uint8_t(suffix[c]));
            c = prefix[c];
        }
        stack.push_back(uint8_t(c));
        for (auto it = stack.rbegin(); it != stack.rend(); ++it) s.pixels.push_back(*it);
        if (kwkwk) s.pixels.push_back(extra);
        if (next < 4096) {
            prefix[next] = previous;
            suffix[next] = kwkwk ? extra : stack.back();
            first[next] = first[previous];
            ++next;
            if (next == (1 << width) && width < 12) ++width;
        }
        previous = code;
    }
    return s;
}

std::vector<uint8_t> Image::RowOrderPixels() const {
    if (!(packed & 0x40) || height <= 0) return data.pixels;
    std::vector<uint8_t> out(size_t(width) * size_t(height), 0);
    static const int start[4] = {0, 4, 2, 1}, step[4] = {8, 8, 4, 2};
    size_t from = 0;
    for (int pass = 0; pass < 4; ++pass)
        for (int y = start[pass]; y < height; y += step[pass])
            for (int x = 0; x < width && from < data.pixels.size(); ++x) out[size_t(y) * size_t(width) + size_t(x)] = data.pixels[from++];
    return out;
}

Gif ParseGif(const std::vector<uint8_t>& f) {
    Gif g;
    auto u16 = [&](size_t at) { return int(f[at] | (f[at + 1] << 8)); };
    if (f.size() < 13) {
        g.error = "too short";
        return g;
    }
    g.signature.assign(f.begin(), f.begin() + 6);
    g.width = u16(6);
    g.height = u16(8);
    g.packed = f[10];
    g.background = f[11];
    g.aspect = f[12];
    size_t at = 13;
    if (g.packed & 0x80) {
        const size_t n = size_t(3) << ((g.packed & 7) + 1);
        g.globalMap.assign(f.begin() + long(at), f.begin() + long(at + n));
        at += n;
    }
    std::vector<std::vector<uint8_t>> pending;
    while (at < f.size()) {
        const uint8_t b = f[at];
        if (b == 0x3B) {
            g.trailer = at + 1 == f.size();
            if (!g.trailer) g.error = "bytes after the trailer";
            break;
        }
        if (b == 0x21) {
            size_t p = at + 2;
            while (p < f.size() && f[p] != 0) p += size_t(f[p]) + 1;
            pending.emplace_back(f.begin() + long(at), f.begin() + long(std::min(p + 1, f.size())));
            at = p + 1;
            continue;
        }
        if (b != 0x2C || at + 10 > f.size()) {
            g.error = "unknown block";
            break;
        }
        Image im;
        im.left = u16(at + 1);
        im.top = u16(at + 3);
        im.width = u16(at + 5);
        im.height = u16(at + 7);
        im.packed = f[at + 9];
        at += 10;
        if (im.packed & 0x80) {
            const size_t n = size_t(3) << ((im.packed & 7) + 1);
            im.localMap.assign(f.begin() + long(at), f.begin() + long(at + n));
            at += n;
        }
        im.data = DecodeImageData(f.data() + at, f.size() - at);
        at += im.data.bytesUsed;
        im.extensions = std::move(pending);
        pending.clear();
        g.images.push_back(std::move(im));
    }
    g.extensions = std::move(pending);
    return g;
}

ui::Bitmap MakeBitmap(int width, int height, const std::function<COLORREF(int, int)>& color) {
    ui::Bitmap b(width, height, ui::PixelFormat::Bits32);
    for (int y = 0; y < height; ++y) {
        uint8_t* row = b.ScanLine(y);
        for (int x = 0; x < width; ++x) {
            const COLORREF c = color(x, y);
            row[4 * x] = GetBValue(c);
            row[4 * x + 1] = GetGValue(c);
            row[4 * x + 2] = GetRValue(c);
            row[4 * x + 3] = 0;
        }
    }
    return b;
}

ui::Bitmap MakeIndexedBitmap(int width, int height, int bits, const std::vector<RGBQUAD>& table,
                             const std::function<int(int, int)>& index) {
    const int stride = ((width * bits + 31) / 32) * 4;
    BITMAPFILEHEADER fh{};
    BITMAPINFOHEADER h{};
    h.biSize = sizeof h;
    h.biWidth = width;
    h.biHeight = -height;  // top-down
    h.biPlanes = 1;
    h.biBitCount = WORD(bits);
    h.biCompression = BI_RGB;
    h.biClrUsed = DWORD(table.size());
    fh.bfType = 0x4D42;
    fh.bfOffBits = DWORD(sizeof fh + sizeof h + table.size() * sizeof(RGBQUAD));
    fh.bfSize = DWORD(fh.bfOffBits + size_t(stride) * size_t(height));
    std::vector<uint8_t> file(fh.bfSize, 0);
    std::memcpy(file.data(), &fh, sizeof fh);
    std::memcpy(file.data() + sizeof fh, &h, sizeof h);
    std::memcpy(file.data() + sizeof fh + sizeof h, table.data(), table.size() * sizeof(RGBQUAD));
    for (int y = 0; y < height; ++y) {
        uint8_t* row = file.data() + fh.bfOffBits + size_t(y) * size_t(stride);
        for (int x = 0; x < width; ++x) {
            const int v = index(x, y);
            if (bits == 8) row[x] = uint8_t(v);
            else if (bits == 4) row[x / 2] |= uint8_t(x % 2 ? v : v << 4);
            else if (v) row[x / 8] |= uint8_t(0x80 >> (x % 8));
        }
    }
    ui::Bitmap b;
    b.LoadFromMemory(file.data(), file.size());
    return b;
}

COLORREF PixelOf(const ui::Bitmap& bitmap, int x, int y) { return GetPixel(bitmap.Canvas(), x, y); }

std::vector<COLORREF> DistinctCellColors(int n, uint32_t seed) {
    std::vector<bool> taken(32768, false);
    auto cell = [](int r, int g, int b) { return (r >> 3) | ((g & 0xF8) << 2) | ((b & 0xF8) << 7); };
    PALETTEENTRY system[20];
    GetPaletteEntries(static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE)), 0, 20, system);
    for (const PALETTEENTRY& e : system) taken[size_t(cell(e.peRed, e.peGreen, e.peBlue))] = true;
    std::vector<COLORREF> colors;
    uint32_t s = seed ? seed : 1;
    while (int(colors.size()) < n) {
        s ^= s << 13, s ^= s >> 17, s ^= s << 5;
        const int r = int(s & 0xFF), g = int((s >> 8) & 0xFF), b = int((s >> 16) & 0xFF);
        const int c = cell(r, g, b);
        if (taken[size_t(c)]) continue;
        taken[size_t(c)] = true;
        colors.push_back(RGB(r, g, b));
    }
    return colors;
}

std::vector<uint8_t> ReadFileBytes(const std::wstring& path) {
    std::vector<uint8_t> data;
    FILE* f = _wfopen(path.c_str(), L"rb");
    if (!f) return data;
    uint8_t buffer[65536];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, f)) > 0) data.insert(data.end(), buffer, buffer + n);
    fclose(f);
    return data;
}

std::vector<uint8_t> RandomIndices(size_t n, int colors, uint32_t seed) {
    std::vector<uint8_t> v(n);
    uint32_t s = seed;
    for (auto& p : v) {
        s ^= s << 13, s ^= s >> 17, s ^= s << 5;
        p = uint8_t(s % uint32_t(colors));
    }
    return v;
}

std::wstring TempPath(const std::wstring& name) {
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    return std::wstring(folder) + L"vorlix_gif_test_" + name;
}

}  // namespace giftest
