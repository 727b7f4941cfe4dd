#include "gif/gif_codec.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "base/texts.h"
#include "gif/gif_texts.h"
#include "ui/text_convert.h"

namespace gif {

FileStream::FileStream(const std::wstring& path, Mode mode) {
    if (mode == Mode::Create)
        file_ = CreateFileW(path.c_str(), GENERIC_WRITE | GENERIC_READ, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
    else
        file_ = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file_ == INVALID_HANDLE_VALUE)
        throw EStreamError(mode == Mode::Create ? txt::GifStreamWriteError : txt::GifStreamReadError);
}

FileStream::~FileStream() { Close(); }

bool FileStream::FlushQuietly() {
    if (pending_.empty()) return true;
    DWORD written = 0;
    const bool ok = WriteFile(file_, pending_.data(), DWORD(pending_.size()), &written, nullptr) &&
                    written == pending_.size();
    pending_.clear();
    return ok;
}

void FileStream::Flush() {
    if (file_ != INVALID_HANDLE_VALUE && !FlushQuietly()) throw EWriteError(txt::GifStreamWriteError);
}

void FileStream::Close() {
    if (file_ == INVALID_HANDLE_VALUE) return;
    FlushQuietly();
    CloseHandle(file_);
    file_ = INVALID_HANDLE_VALUE;
}

size_t FileStream::Read(void* buffer, size_t count) {
    if (!FlushQuietly()) throw EWriteError(txt::GifStreamWriteError);
    size_t done = 0;
    while (done < count) {
        DWORD got = 0;
        const DWORD ask = DWORD(std::min<size_t>(count - done, 1u << 30));
        if (!ReadFile(file_, static_cast<uint8_t*>(buffer) + done, ask, &got, nullptr) || got == 0) break;
        done += got;
    }
    return done;
}

size_t FileStream::Write(const void* buffer, size_t count) {
    constexpr size_t kGather = 1 << 16;
    const auto* p = static_cast<const uint8_t*>(buffer);
    pending_.insert(pending_.end(), p, p + count);
    if (pending_.size() >= kGather && !FlushQuietly()) return 0;
    return count;
}

int64_t FileStream::Seek(int64_t offset, SeekOrigin origin) {
    if (!FlushQuietly()) throw EWriteError(txt::GifStreamWriteError);
    LARGE_INTEGER distance, result;
    distance.QuadPart = offset;
    const DWORD method = origin == SeekOrigin::Begin ? FILE_BEGIN : origin == SeekOrigin::Current ? FILE_CURRENT : FILE_END;
    if (!SetFilePointerEx(file_, distance, &result, method)) return -1;
    return result.QuadPart;
}

// ---------------------------------------------------------------------------
// Unit routines

HGDIOBJ CheckGDIHandle(HGDIOBJ handle) {
    if (handle) return handle;
    const DWORD error = GetLastError();
    if (error != 0) {
        wchar_t* text = nullptr;
        const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                           FORMAT_MESSAGE_IGNORE_INSERTS,
                                       nullptr, error, LANG_USER_DEFAULT, reinterpret_cast<wchar_t*>(&text), 0,
                                       nullptr);
        if (n && text) {
            std::wstring message(text, n);
            LocalFree(text);
            while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r')) message.pop_back();
            throw EOutOfResources(message);
        }
        if (text) LocalFree(text);
    }
    throw EOutOfResources(txt::GifOutOfResources);
}

ui::PixelFormat PixelFormatOf(const ui::Bitmap& bitmap) { return bitmap.Format(); }

void SetPixelFormatOf(ui::Bitmap& bitmap, ui::PixelFormat format) {
    if (!bitmap.SetFormat(format)) throw EOutOfMemory(txt::GifOutOfMemory);
}

// ---------------------------------------------------------------------------
// DIB access

TDIBReader::TDIBReader(const ui::Bitmap& bitmap, ui::PixelFormat format)
    : TDIB(nullptr, format), source_(&bitmap) {
    const int want = ui::BitsPerPixel(format);
    if (bitmap.Empty()) return;
    if (bitmap.Bits() == want && bitmap.Format() != ui::PixelFormat::Bits15) {
        bytesPerPixel_ = want >= 8 ? want / 8 : 1;
    } else if (want == 24 && bitmap.Bits() == 32) {
        bytesPerPixel_ = 4;  // B, G, R and an unused byte: read in place
    } else {
        converted_ = ui::Bitmap(bitmap.Width(), bitmap.Height(), format);
        if (converted_.Empty()) throw EOutOfMemory(txt::GifOutOfMemory);
        BitBlt(converted_.Canvas(), 0, 0, bitmap.Width(), bitmap.Height(), bitmap.Canvas(), 0, 0, SRCCOPY);
        source_ = &converted_;
        bytesPerPixel_ = want >= 8 ? want / 8 : 1;
    }
}

uint8_t* TDIBReader::ScanlineAt(int row) { return const_cast<uint8_t*>(source_->ScanLine(row)); }

const uint8_t* TDIBReader::Row(int row) const { return source_->ScanLine(row); }

namespace {
constexpr int kFileHeaderSize = sizeof(BITMAPFILEHEADER);  // 14
}

TDIBWriter::TDIBWriter(ui::Bitmap& bitmap, HPALETTE palette, int height, int width, ui::PixelFormat format)
    : TDIB(&bitmap, format), SourcePalette(palette), ImageHeight(height), ImageWidth(width) {
    if (format != ui::PixelFormat::Bits8 && format != ui::PixelFormat::Bits24)
        RaiseGIFError(txt::GifUnsupportedPixelFormat);
    if (width <= 0 || height == 0) RaiseGIFError(txt::GifInvalidImageDimensions);
    InfoSize_ = format == ui::PixelFormat::Bits8 ? int(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD)) : 40;
}

const BITMAPINFO* TDIBWriter::InfoBlock() const {
    return block_ ? reinterpret_cast<const BITMAPINFO*>(block_.get() + kFileHeaderSize) : nullptr;
}

void TDIBWriter::MakeImage() {
    const int bits = DIBFormat_ == ui::PixelFormat::Bits8 ? 8 : 24;
    stride_ = RowStride(ImageWidth, bits, 32);
    const int64_t rows = ImageHeight < 0 ? -int64_t(ImageHeight) : int64_t(ImageHeight);
    const int64_t pixelBytes = int64_t(stride_) * rows;
    const int64_t total = kFileHeaderSize + InfoSize_ + pixelBytes;
    // The file header's size field is 32 bits; anything near that is far
    // beyond what a bitmap may hold anyway.
    if (total > INT32_MAX || int64_t(ImageWidth) * rows > ui::Bitmap::MaxPixels)
        throw EOutOfMemory(txt::GifOutOfMemory);
    block_.reset(new (std::nothrow) uint8_t[size_t(total)]);
    if (!block_) throw EOutOfMemory(txt::GifOutOfMemory);
    PixelBitsSize_ = int(pixelBytes);
    // Rows nobody writes stay black rather than showing stale memory.
    std::memset(block_.get() + kFileHeaderSize + InfoSize_, 0, size_t(pixelBytes));

    BITMAPFILEHEADER fh{};
    fh.bfType = 0x4D42;
    fh.bfSize = DWORD(total);
    fh.bfOffBits = DWORD(kFileHeaderSize + InfoSize_);
    std::memcpy(block_.get(), &fh, sizeof fh);

    auto* info = reinterpret_cast<BITMAPINFO*>(block_.get() + kFileHeaderSize);
    std::memset(info, 0, size_t(InfoSize_));
    info->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info->bmiHeader.biWidth = ImageWidth;
    info->bmiHeader.biHeight = ImageHeight;
    info->bmiHeader.biPlanes = 1;
    info->bmiHeader.biBitCount = WORD(bits);
    info->bmiHeader.biCompression = BI_RGB;
    info->bmiHeader.biSizeImage = 0;
    if (bits == 8) {
        PALETTEENTRY entries[256] = {};
        const UINT n = SourcePalette ? GetPaletteEntries(SourcePalette, 0, 256, entries) : 0;
        for (UINT i = 0; i < n; ++i)
            info->bmiColors[i] = RGBQUAD{entries[i].peBlue, entries[i].peGreen, entries[i].peRed, 0};
        info->bmiHeader.biClrUsed = 256;
        info->bmiHeader.biClrImportant = n;
    }
    PixelBits = block_.get() + kFileHeaderSize + InfoSize_;
}

uint8_t* TDIBWriter::ScanlineAt(int row) {
    if (!block_) MakeImage();
    if (!PixelBits) RaiseGIFError(txt::GifNoDIB);
    const int rows = ImageHeight < 0 ? -ImageHeight : ImageHeight;
    if (row < 0 || row >= rows) throw EInvalidGraphicOperation(txt::GifScanLineRange);
    GdiFlush();
    const int at = ImageHeight > 0 ? rows - 1 - row : row;
    return PixelBits + size_t(at) * size_t(stride_);
}

void TDIBWriter::Finish() {
    if (!block_) return;
    const size_t size = size_t(kFileHeaderSize) + size_t(InfoSize_) + size_t(PixelBitsSize_);
    if (!TargetBitmap->LoadFromMemory(block_.get(), size)) {
        block_.reset();
        throw EOutOfMemory(txt::GifOutOfMemory);
    }
    block_.reset();
    PixelBits = nullptr;
}

// ---------------------------------------------------------------------------
// Item files

void SaveItemToFile(TGifItem& item, const std::wstring& fileName) {
    try {
        FileStream stream(fileName, FileStream::Mode::Create);
        item.SaveToStream(stream);
        stream.Close();
    } catch (...) {
        MessageBoxW(nullptr, txt::GifCannotSave, txt::MessageCaption, MB_OK | MB_ICONWARNING);
    }
}

void LoadItemFromFile(TGifItem& item, const std::wstring& fileName) {
    FileStream stream(fileName, FileStream::Mode::OpenRead);
    item.LoadFromStream(stream);
}

}  // namespace gif
