// src/gif: the program's own GIF codec (reader, writer, colour reduction and
// the image classes). It may include src/base and src/ui only; its texts are
// its own (gif_texts.h, gif_read_texts.h).
//
// What the GIF codec's platform side stands on: file streams, the GDI handle
// check, and row access to device-independent bitmaps. The exceptions,
// memory streams and the base classes of the object model need no windows.h
// (gif_stream.h, gif_items.h).
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "gif/gif_items.h"
#include "gif/gif_stream.h"
#include "ui/bitmap.h"

namespace gif {

// A file opened for creation (write, shared with nobody) or for reading
// (writes by others denied). Writes are gathered in a buffer; Flush hands
// them to the file and raises EWriteError when it cannot.
class FileStream : public Stream {
public:
    enum class Mode { Create, OpenRead };
    FileStream(const std::wstring& path, Mode mode);  // raises EStreamError
    ~FileStream() override;
    FileStream(const FileStream&) = delete;
    FileStream& operator=(const FileStream&) = delete;

    size_t Read(void* buffer, size_t count) override;
    size_t Write(const void* buffer, size_t count) override;
    int64_t Seek(int64_t offset, SeekOrigin origin) override;
    void Flush();
    void Close();  // flushes, then closes the handle

private:
    bool FlushQuietly();
    HANDLE file_ = INVALID_HANDLE_VALUE;
    std::vector<uint8_t> pending_;  // written bytes not yet in the file
};

// ---------------------------------------------------------------------------
// Unit routines.

// Returns the handle when it is not null; otherwise raises EOutOfResources
// with the system's text for the last error, or the codec's own text.
HGDIOBJ CheckGDIHandle(HGDIOBJ handle);
template <typename H>
H CheckGDIHandleOf(H handle) {
    return static_cast<H>(CheckGDIHandle(static_cast<HGDIOBJ>(handle)));
}

// The bitmap's pixel format, read or set (setting converts the pixels).
ui::PixelFormat PixelFormatOf(const ui::Bitmap& bitmap);
void SetPixelFormatOf(ui::Bitmap& bitmap, ui::PixelFormat format);

// ---------------------------------------------------------------------------
// Row access to device-independent bitmaps.

class TDIB {
public:
    virtual ~TDIB() = default;
    virtual uint8_t* ScanlineAt(int row) = 0;
    ui::PixelFormat DIBFormat() const { return DIBFormat_; }

protected:
    TDIB(ui::Bitmap* bitmap, ui::PixelFormat format) : TargetBitmap(bitmap), DIBFormat_(format) {}
    ui::Bitmap* TargetBitmap;
    ui::PixelFormat DIBFormat_;
};

// Reads the rows of a bitmap in the pixel format asked for. Unlike a reader
// that converts the bitmap in place, the caller's bitmap is never changed: a
// bitmap in another format is read from a converted private copy. A 32-bit
// bitmap read as 24 bits is read directly (BytesPerPixel 4, the fourth byte
// unused), which spares a copy of every large screenshot.
class TDIBReader : public TDIB {
public:
    TDIBReader(const ui::Bitmap& bitmap, ui::PixelFormat format);
    uint8_t* ScanlineAt(int row) override;
    const uint8_t* Row(int row) const;
    int BytesPerPixel() const { return bytesPerPixel_; }
    int Width() const { return source_->Width(); }
    int Height() const { return source_->Height(); }
    const ui::Bitmap& Source() const { return *source_; }

private:
    const ui::Bitmap* source_;
    ui::Bitmap converted_;
    int bytesPerPixel_ = 1;
};

// Builds an 8- or 24-bit image in memory and hands it to the target bitmap in
// Finish. The rows live inside one block laid out as a complete BMP file, so
// handing over needs no further copy.
class TDIBWriter : public TDIB {
public:
    TDIBWriter(ui::Bitmap& bitmap, HPALETTE palette, int height, int width, ui::PixelFormat format);
    ~TDIBWriter() override = default;
    uint8_t* ScanlineAt(int row) override;
    // Hands the finished image to the target bitmap; raises EOutOfMemory when
    // the bitmap cannot take it. Without any row written nothing happens.
    void Finish();

    const BITMAPINFO* InfoBlock() const;  // null before the image is made
    int InfoSize() const { return InfoSize_; }
    int PixelBitsSize() const { return PixelBitsSize_; }

private:
    void MakeImage();
    std::unique_ptr<uint8_t[]> block_;  // file header, BITMAPINFO, rows
    uint8_t* PixelBits = nullptr;
    int InfoSize_ = 0;
    int PixelBitsSize_ = 0;
    int stride_ = 0;
    HPALETTE SourcePalette;
    int ImageHeight, ImageWidth;
};

// ---------------------------------------------------------------------------
// Item files: an item read from or written to a file of its own. Errors while
// saving are shown in a message box and swallowed.

void SaveItemToFile(TGifItem& item, const std::wstring& fileName);
void LoadItemFromFile(TGifItem& item, const std::wstring& fileName);

}  // namespace gif
