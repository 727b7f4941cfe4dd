#include "ui/bitmap.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace ui {

namespace {

int DisplayBits() {
    static const int bits = [] {
        HDC screen = GetDC(nullptr);
        int b = GetDeviceCaps(screen, BITSPIXEL) * GetDeviceCaps(screen, PLANES);
        ReleaseDC(nullptr, screen);
        if (b <= 8) return 8;
        if (b <= 16) return 16;
        return b >= 32 ? 32 : 24;
    }();
    return bits;
}

int StrideOf(int width, int bits) { return ((width * bits + 31) / 32) * 4; }

std::vector<RGBQUAD> DefaultColors(int bits) {
    std::vector<RGBQUAD> colors;
    if (bits == 1) {
        colors = {{0, 0, 0, 0}, {255, 255, 255, 0}};
    } else if (bits == 4) {
        static const uint8_t vga[16][3] = {{0, 0, 0},       {128, 0, 0},   {0, 128, 0},   {128, 128, 0},
                                           {0, 0, 128},     {128, 0, 128}, {0, 128, 128}, {192, 192, 192},
                                           {128, 128, 128}, {255, 0, 0},   {0, 255, 0},   {255, 255, 0},
                                           {0, 0, 255},     {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};
        for (auto& c : vga) colors.push_back(RGBQUAD{c[2], c[1], c[0], 0});
    } else if (bits == 8) {
        HPALETTE pal = CreateHalftonePalette(nullptr);
        PALETTEENTRY entries[256] = {};
        UINT n = pal ? GetPaletteEntries(pal, 0, 256, entries) : 0;
        if (pal) DeleteObject(pal);
        for (UINT i = 0; i < 256; ++i) {
            if (i < n)
                colors.push_back(RGBQUAD{entries[i].peBlue, entries[i].peGreen, entries[i].peRed, 0});
            else
                colors.push_back(RGBQUAD{uint8_t(i), uint8_t(i), uint8_t(i), 0});
        }
    }
    return colors;
}

struct Info {
    BITMAPINFOHEADER header;
    RGBQUAD colors[256];
};

}  // namespace

int BitsPerPixel(PixelFormat f) {
    switch (f) {
        case PixelFormat::Bits1: return 1;
        case PixelFormat::Bits4: return 4;
        case PixelFormat::Bits8: return 8;
        case PixelFormat::Bits15:
        case PixelFormat::Bits16: return 16;
        case PixelFormat::Bits24: return 24;
        case PixelFormat::Bits32: return 32;
        case PixelFormat::Device: break;
    }
    return DisplayBits();
}

Bitmap::Bitmap(int width, int height, PixelFormat format) {
    format_ = format;
    if (width > 0 && height > 0) Create(width, height, format, nullptr);
}

Bitmap::Bitmap(const Bitmap& other) { *this = other; }

Bitmap& Bitmap::operator=(const Bitmap& other) {
    if (this == &other) return *this;
    transparent = other.transparent;
    transparentColor = other.transparentColor;
    if (other.Empty()) {
        Reset();
        format_ = other.format_;
        return *this;
    }
    auto colors = other.ColorTable();
    if (!Create(other.width_, other.height_, other.format_, colors.empty() ? nullptr : &colors)) return *this;
    GdiFlush();
    std::memcpy(pixels_, other.pixels_, size_t(other.Stride()) * size_t(other.height_));
    return *this;
}

Bitmap::Bitmap(Bitmap&& other) noexcept { *this = std::move(other); }

Bitmap& Bitmap::operator=(Bitmap&& other) noexcept {
    if (this == &other) return *this;
    Reset();
    width_ = std::exchange(other.width_, 0);
    height_ = std::exchange(other.height_, 0);
    bits_ = std::exchange(other.bits_, 0);
    format_ = other.format_;
    pixels_ = std::exchange(other.pixels_, nullptr);
    bitmap_ = std::move(other.bitmap_);
    dc_ = std::move(other.dc_);
    oldBitmap_ = std::exchange(other.oldBitmap_, nullptr);
    transparent = other.transparent;
    transparentColor = other.transparentColor;
    return *this;
}

Bitmap::~Bitmap() { Reset(); }

void Bitmap::Reset() {
    if (dc_ && oldBitmap_) SelectObject(dc_, oldBitmap_);
    oldBitmap_ = nullptr;
    dc_.reset();
    bitmap_.reset();
    pixels_ = nullptr;
    width_ = height_ = bits_ = 0;
}

int Bitmap::Stride() const { return StrideOf(width_, bits_); }

bool Bitmap::Create(int width, int height, PixelFormat format, const std::vector<RGBQUAD>* colors) {
    if (width <= 0 || height <= 0 || int64_t(width) * height > MaxPixels) return false;
    const int bits = BitsPerPixel(format);
    Info info{};
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    info.header.biWidth = width;
    info.header.biHeight = height;
    info.header.biPlanes = 1;
    info.header.biBitCount = static_cast<WORD>(bits);
    info.header.biCompression = BI_RGB;
    if (format == PixelFormat::Bits16 || (format == PixelFormat::Device && bits == 16)) {
        info.header.biCompression = BI_BITFIELDS;
        auto* masks = reinterpret_cast<DWORD*>(info.colors);
        masks[0] = 0xF800; masks[1] = 0x07E0; masks[2] = 0x001F;
    }
    if (bits <= 8) {
        std::vector<RGBQUAD> defaults;
        if (!colors || colors->empty()) {
            defaults = DefaultColors(bits);
            colors = &defaults;
        }
        const size_t n = std::min<size_t>(colors->size(), size_t(1) << bits);
        std::copy_n(colors->begin(), n, info.colors);
        info.header.biClrUsed = static_cast<DWORD>(n);
    }
    void* pixels = nullptr;
    HDC screen = GetDC(nullptr);
    HBITMAP hbm = CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &pixels, nullptr, 0);
    HDC dc = hbm ? CreateCompatibleDC(screen) : nullptr;
    ReleaseDC(nullptr, screen);
    if (!hbm || !dc || !pixels) {
        if (dc) DeleteDC(dc);
        if (hbm) DeleteObject(hbm);
        return false;
    }
    Reset();
    bitmap_.reset(hbm);
    dc_.reset(dc);
    oldBitmap_ = SelectObject(dc, hbm);
    pixels_ = static_cast<uint8_t*>(pixels);
    width_ = width;
    height_ = height;
    bits_ = bits;
    format_ = format;
    return true;
}

bool Bitmap::SetSize(int width, int height) {
    if (width == width_ && height == height_) return true;
    if (width <= 0 || height <= 0) {
        Reset();
        return true;
    }
    Bitmap next;
    auto colors = ColorTable();
    if (!next.Create(width, height, format_, colors.empty() ? nullptr : &colors)) return false;
    next.Clear(RGB(255, 255, 255));
    if (!Empty()) BitBlt(next.dc_, 0, 0, std::min(width, width_), std::min(height, height_), dc_, 0, 0, SRCCOPY);
    next.transparent = transparent;
    next.transparentColor = transparentColor;
    *this = std::move(next);
    return true;
}

bool Bitmap::SetSizeForOverwrite(int width, int height) {
    if (width == width_ && height == height_) return true;
    if (width <= 0 || height <= 0) {
        Reset();
        return true;
    }
    // Create replaces the pixels only; the transparency fields stay.
    auto colors = ColorTable();
    return Create(width, height, format_, colors.empty() ? nullptr : &colors);
}

bool Bitmap::SetFormat(PixelFormat format) {
    if (Empty()) {
        format_ = format;
        return true;
    }
    if (format == format_ && BitsPerPixel(format) == bits_) return true;
    Bitmap next;
    if (!next.Create(width_, height_, format, nullptr)) return false;
    if (BitsPerPixel(format) >= 15 || bits_ <= BitsPerPixel(format)) {
        BitBlt(next.dc_, 0, 0, width_, height_, dc_, 0, 0, SRCCOPY);
    } else {
        // Reducing to a palette format: let GDI map every pixel to the nearest
        // entry of the table.
        SetStretchBltMode(next.dc_, COLORONCOLOR);
        BitBlt(next.dc_, 0, 0, width_, height_, dc_, 0, 0, SRCCOPY);
    }
    next.transparent = transparent;
    next.transparentColor = transparentColor;
    *this = std::move(next);
    return true;
}

uint8_t* Bitmap::ScanLine(int row) {
    if (Empty() || row < 0 || row >= height_) return nullptr;
    GdiFlush();
    return pixels_ + size_t(height_ - 1 - row) * size_t(Stride());
}

const uint8_t* Bitmap::ScanLine(int row) const { return const_cast<Bitmap*>(this)->ScanLine(row); }

std::vector<RGBQUAD> Bitmap::ColorTable() const {
    std::vector<RGBQUAD> colors;
    if (Empty() || bits_ > 8) return colors;
    colors.resize(size_t(1) << bits_);
    const UINT n = GetDIBColorTable(dc_, 0, static_cast<UINT>(colors.size()), colors.data());
    colors.resize(n);
    return colors;
}

void Bitmap::SetColorTable(const std::vector<RGBQUAD>& colors) {
    if (Empty() || bits_ > 8 || colors.empty()) return;
    const UINT n = static_cast<UINT>(std::min<size_t>(colors.size(), size_t(1) << bits_));
    SetDIBColorTable(dc_, 0, n, colors.data());
}

void Bitmap::Draw(HDC dc, int x, int y) const {
    if (Empty()) return;
    if (transparent)
        TransparentBlt(dc, x, y, width_, height_, dc_, 0, 0, width_, height_, transparentColor);
    else
        BitBlt(dc, x, y, width_, height_, dc_, 0, 0, SRCCOPY);
}

void Bitmap::FillRect(const RECT& r, COLORREF color) {
    if (Empty()) return;
    FillSolid(dc_, r, color);
}

void Bitmap::Clear(COLORREF color) {
    RECT r{0, 0, width_, height_};
    FillRect(r, color);
}

bool Bitmap::LoadFromFile(const std::wstring& path, int64_t maxPixels) {
    HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    FileHandle file(f);
    if (!file.valid()) return false;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart < 26 || size.QuadPart > (int64_t(1) << 30))
        return false;
    std::vector<uint8_t> data;
    try {
        data.resize(static_cast<size_t>(size.QuadPart));
    } catch (const std::bad_alloc&) {
        return false;
    }
    DWORD got = 0;
    if (!ReadFile(file.get(), data.data(), static_cast<DWORD>(data.size()), &got, nullptr) || got != data.size())
        return false;
    return LoadFromMemory(data.data(), data.size(), maxPixels);
}

bool Bitmap::LoadFromMemory(const uint8_t* data, size_t size, int64_t maxPixels) {
    if (!data || size < sizeof(BITMAPFILEHEADER) + sizeof(BITMAPCOREHEADER)) return false;
    BITMAPFILEHEADER fh;
    std::memcpy(&fh, data, sizeof fh);
    if (fh.bfType != 0x4D42) return false;
    const uint8_t* p = data + sizeof fh;
    const size_t rest = size - sizeof fh;
    DWORD headerSize;
    std::memcpy(&headerSize, p, 4);
    if (headerSize > rest) return false;

    // Normalise the header to BITMAPINFOHEADER plus masks and colour table.
    Info info{};
    size_t tableOffset;
    int colorBytes = 4;
    if (headerSize == sizeof(BITMAPCOREHEADER)) {
        BITMAPCOREHEADER core;
        std::memcpy(&core, p, sizeof core);
        info.header.biWidth = core.bcWidth;
        info.header.biHeight = core.bcHeight;
        info.header.biPlanes = core.bcPlanes;
        info.header.biBitCount = core.bcBitCount;
        info.header.biCompression = BI_RGB;
        tableOffset = headerSize;
        colorBytes = 3;
    } else if (headerSize >= sizeof(BITMAPINFOHEADER) && headerSize <= 124) {
        std::memcpy(&info.header, p, sizeof(BITMAPINFOHEADER));
        tableOffset = headerSize;
        if (headerSize == sizeof(BITMAPINFOHEADER) && info.header.biCompression == BI_BITFIELDS) {
            if (rest < headerSize + 12) return false;
            std::memcpy(info.colors, p + headerSize, 12);
            tableOffset += 12;
        } else if (headerSize > sizeof(BITMAPINFOHEADER) && info.header.biCompression == BI_BITFIELDS) {
            std::memcpy(info.colors, p + sizeof(BITMAPINFOHEADER), 12);  // masks inside the V3+ header
        }
    } else {
        return false;
    }
    info.header.biSize = sizeof(BITMAPINFOHEADER);

    const LONG width = info.header.biWidth;
    const LONG rawHeight = info.header.biHeight;
    const int64_t height = rawHeight < 0 ? -int64_t(rawHeight) : int64_t(rawHeight);
    const int bits = info.header.biBitCount;
    const DWORD comp = info.header.biCompression;
    if (width <= 0 || height <= 0 || int64_t(width) * height > std::min(maxPixels, MaxPixels) ||
        info.header.biPlanes != 1)
        return false;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return false;
    const bool rle = comp == BI_RLE8 || comp == BI_RLE4;
    if (!(comp == BI_RGB || (comp == BI_BITFIELDS && (bits == 16 || bits == 32)) ||
          (comp == BI_RLE8 && bits == 8) || (comp == BI_RLE4 && bits == 4)))
        return false;
    if (rle && rawHeight < 0) return false;

    if (bits <= 8) {
        DWORD n = info.header.biClrUsed ? info.header.biClrUsed : (DWORD(1) << bits);
        if (n > (DWORD(1) << bits)) return false;
        if (tableOffset + size_t(n) * colorBytes > rest) return false;
        for (DWORD i = 0; i < n; ++i) {
            const uint8_t* c = p + tableOffset + size_t(i) * colorBytes;
            info.colors[i] = RGBQUAD{c[0], c[1], c[2], 0};
        }
        info.header.biClrUsed = n;
    } else {
        info.header.biClrUsed = 0;
    }

    if (fh.bfOffBits < sizeof fh || fh.bfOffBits >= size) return false;
    const uint8_t* pixels = data + fh.bfOffBits;
    const size_t available = size - fh.bfOffBits;
    if (rle) {
        if (info.header.biSizeImage == 0 || info.header.biSizeImage > available) return false;
    } else {
        const size_t needed = size_t(StrideOf(width, bits)) * size_t(height);
        if (needed > available) return false;
        info.header.biSizeImage = 0;
    }

    PixelFormat format;
    switch (bits) {
        case 1: format = PixelFormat::Bits1; break;
        case 4: format = PixelFormat::Bits4; break;
        case 8: format = PixelFormat::Bits8; break;
        case 16: format = comp == BI_BITFIELDS ? PixelFormat::Bits16 : PixelFormat::Bits15; break;
        case 24: format = PixelFormat::Bits24; break;
        default: format = PixelFormat::Bits32; break;
    }
    if (comp == BI_BITFIELDS) {
        const auto* masks = reinterpret_cast<const DWORD*>(info.colors);
        const bool is565 = masks[0] == 0xF800 && masks[1] == 0x07E0 && masks[2] == 0x001F;
        const bool is888 = masks[0] == 0xFF0000 && masks[1] == 0xFF00 && masks[2] == 0xFF;
        if (!(bits == 16 && is565) && !(bits == 32 && is888)) format = PixelFormat::Bits32;
    }

    std::vector<RGBQUAD> colors(info.colors, info.colors + info.header.biClrUsed);
    Bitmap next;
    if (!next.Create(width, static_cast<int>(height), format, colors.empty() ? nullptr : &colors)) return false;
    next.Clear(RGB(255, 255, 255));
    info.header.biHeight = rawHeight;
    const int lines = SetDIBits(next.dc_, next.bitmap_, 0, static_cast<UINT>(height), pixels,
                                reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
    if (lines <= 0) return false;
    next.transparent = transparent;
    next.transparentColor = transparentColor;
    *this = std::move(next);
    return true;
}

std::vector<uint8_t> Bitmap::FileHeaders() const {
    std::vector<uint8_t> out;
    if (Empty()) return out;
    BITMAPINFOHEADER h{};
    h.biSize = sizeof h;
    h.biWidth = width_;
    h.biHeight = height_;
    h.biPlanes = 1;
    h.biBitCount = static_cast<WORD>(bits_);
    h.biCompression = BI_RGB;
    std::vector<uint8_t> extra;
    if (bits_ == 16 && format_ != PixelFormat::Bits15) {
        h.biCompression = BI_BITFIELDS;
        const DWORD masks[3] = {0xF800, 0x07E0, 0x001F};
        extra.assign(reinterpret_cast<const uint8_t*>(masks), reinterpret_cast<const uint8_t*>(masks) + 12);
    }
    auto colors = ColorTable();
    if (bits_ <= 8) {
        h.biClrUsed = static_cast<DWORD>(colors.size());
        extra.assign(reinterpret_cast<const uint8_t*>(colors.data()),
                     reinterpret_cast<const uint8_t*>(colors.data()) + colors.size() * sizeof(RGBQUAD));
    }
    const size_t imageSize = PixelBytes();
    h.biSizeImage = static_cast<DWORD>(imageSize);
    BITMAPFILEHEADER fh{};
    fh.bfType = 0x4D42;
    fh.bfOffBits = static_cast<DWORD>(sizeof fh + sizeof h + extra.size());
    fh.bfSize = static_cast<DWORD>(fh.bfOffBits + imageSize);
    out.resize(fh.bfOffBits);
    std::memcpy(out.data(), &fh, sizeof fh);
    std::memcpy(out.data() + sizeof fh, &h, sizeof h);
    if (!extra.empty()) std::memcpy(out.data() + sizeof fh + sizeof h, extra.data(), extra.size());
    return out;
}

const uint8_t* Bitmap::Pixels() const {
    if (Empty()) return nullptr;
    GdiFlush();
    return pixels_;
}

size_t Bitmap::PixelBytes() const { return size_t(Stride()) * size_t(height_); }

std::vector<uint8_t> Bitmap::SaveToMemory() const {
    std::vector<uint8_t> out = FileHeaders();
    if (out.empty()) return out;
    out.insert(out.end(), Pixels(), Pixels() + PixelBytes());
    return out;
}

bool Bitmap::SaveToFile(const std::wstring& path) const {
    if (Empty()) return false;
    std::vector<uint8_t> headers;
    try {
        headers = FileHeaders();
    } catch (const std::bad_alloc&) {
        return false;
    }
    HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    FileHandle file(f);
    if (!file.valid()) return false;
    // The pixels are written from the bitmap's own memory, behind the headers.
    DWORD written = 0;
    if (!WriteFile(file.get(), headers.data(), static_cast<DWORD>(headers.size()), &written, nullptr) ||
        written != headers.size())
        return false;
    return WriteFile(file.get(), Pixels(), static_cast<DWORD>(PixelBytes()), &written, nullptr) &&
           written == PixelBytes();
}

}  // namespace ui
