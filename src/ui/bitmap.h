// Bitmap: the program's image object. It is always a DIB section selected into
// its own memory DC, so GDI can draw on it (Canvas) and the pixels can be read
// and written row by row (ScanLine) without copies.
//
// PixelFormat::Device stands for "the screen's format": a DIB section of the
// display's bit depth (32 bits on a true-colour screen). Other formats are
// exact DIB layouts. Rows of ScanLine run top to bottom whatever the storage
// order; call ScanLine after GDI drawing (it flushes GDI first).
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "ui/gdi.h"

namespace ui {

enum class PixelFormat { Device, Bits1, Bits4, Bits8, Bits15, Bits16, Bits24, Bits32 };

int BitsPerPixel(PixelFormat f);  // Device: the display's depth

class Bitmap {
public:
    Bitmap() = default;
    Bitmap(int width, int height, PixelFormat format = PixelFormat::Device);
    Bitmap(const Bitmap& other);
    Bitmap& operator=(const Bitmap& other);
    Bitmap(Bitmap&& other) noexcept;
    Bitmap& operator=(Bitmap&& other) noexcept;
    ~Bitmap();

    int Width() const { return width_; }
    int Height() const { return height_; }
    bool Empty() const { return width_ <= 0 || height_ <= 0; }
    PixelFormat Format() const { return format_; }
    int Bits() const { return bits_; }   // bits per pixel actually stored
    int Stride() const;                  // bytes per row (rows are 4-byte aligned)

    // Resizes; the old content stays at the top left and new area is white.
    // Returns false when the memory cannot be had (the bitmap is then
    // unchanged).
    bool SetSize(int width, int height);
    // For a caller that paints every pixel right after: a new size without
    // keeping the old content or clearing the new (the pixels are then
    // undefined). Format, colour table and transparency stay.
    bool SetSizeForOverwrite(int width, int height);
    // Converts the content to another format (palette formats get the halftone
    // palette unless one is set afterwards).
    bool SetFormat(PixelFormat format);

    // Memory DC with the bitmap selected; valid while the bitmap lives and
    // until the next SetSize/SetFormat/assignment. Null for an empty bitmap.
    HDC Canvas() const { return dc_.get(); }
    HBITMAP Handle() const { return bitmap_.get(); }

    uint8_t* ScanLine(int row);
    const uint8_t* ScanLine(int row) const;

    // Colour table of the palette formats (RGBQUAD entries).
    std::vector<RGBQUAD> ColorTable() const;
    void SetColorTable(const std::vector<RGBQUAD>& colors);

    // Key-colour transparency used by Draw.
    bool transparent = false;
    COLORREF transparentColor = 0;

    // Draws the bitmap at (x, y) of dc: a plain block copy, or with
    // transparent set, without the pixels of transparentColor.
    void Draw(HDC dc, int x, int y) const;

    void FillRect(const RECT& r, COLORREF color);
    void Clear(COLORREF color);

    // Reads a .bmp file. Returns false for a missing, truncated or malformed
    // file, or one of more than maxPixels pixels (refused by its header,
    // before any memory is taken for its pixels), and leaves the bitmap
    // unchanged then.
    bool LoadFromFile(const std::wstring& path, int64_t maxPixels = MaxPixels);
    bool LoadFromMemory(const uint8_t* data, size_t size, int64_t maxPixels = MaxPixels);
    // Writes a .bmp file in the bitmap's own format.
    bool SaveToFile(const std::wstring& path) const;
    std::vector<uint8_t> SaveToMemory() const;
    // The same file in two parts, for writers that send the pixels from the
    // bitmap's own memory: the headers (file header, info header, colour
    // masks or table), then the rows as stored, bottom row first.
    std::vector<uint8_t> FileHeaders() const;
    const uint8_t* Pixels() const;  // null for an empty bitmap
    size_t PixelBytes() const;

    // Largest number of pixels a bitmap may hold (protects against absurd
    // sizes in files).
    static constexpr int64_t MaxPixels = int64_t(1) << 28;

private:
    bool Create(int width, int height, PixelFormat format, const std::vector<RGBQUAD>* colors);
    void Reset();

    int width_ = 0, height_ = 0, bits_ = 0;
    PixelFormat format_ = PixelFormat::Device;
    uint8_t* pixels_ = nullptr;  // bottom-up DIB rows
    BitmapHandle bitmap_;
    DcHandle dc_;
    HGDIOBJ oldBitmap_ = nullptr;
};

}  // namespace ui
