#include "gif/gif_frame_data.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "gif/gif_texts.h"
#include "gif/gif_encoder.h"
#include "gif/gif_extensions.h"
#include "gif/gif_image_data.h"
#include "gif/gif_lzw_decoder.h"
#include "gif/gif_read_texts.h"

namespace gif {

namespace {
constexpr int kMaxSide = 0xFFFF;  // descriptor fields are 16 bits
}  // namespace

void CheckImageSize(int width, int height, int64_t pixelsHeld) {
    const int64_t pixels = int64_t(width) * int64_t(height);
    if (pixels > kMaxImagePixels || pixelsHeld + pixels > kMaxTotalPixels) RaiseGIFError(txt::GifImageTooLarge);
}

// ---------------------------------------------------------------------------
// Life and state

TGifFrameData::TGifFrameData(TGifImageData* image) : TGifItem(image), LocalMap(this), ExtensionList(this) {}

TGifFrameData::~TGifFrameData() {
    ExtensionList.ClearItems();
    SetPixelTotal(0);
}

void TGifFrameData::SetPixelTotal(int total) {
    if (OwnerImage_) OwnerImage_->PixelsChanged(int64_t(total) - PixelTotal);
    PixelTotal = total;
}

void TGifFrameData::Reset() {
    ExtensionList.ClearItems();
    LocalMap.EmptyTable();
    Pixels.reset();
    SetPixelTotal(0);
    Descriptor.Width = Descriptor.Height = 0;
    IsTransparent = false;
    ControlExtension = nullptr;
    FreeBitmap();
}

bool TGifFrameData::Empty() const {
    return !Pixels || PixelTotal == 0 || Descriptor.Width == 0 || Descriptor.Height == 0;
}

int TGifFrameData::ItemVersion() const {
    return LocalMap.UsageSorted() || ExtensionList.ItemCount() > 0 ? kGifVersion89a : kGifVersion87a;
}

TGifColorMap* TGifFrameData::ActiveColorMap() {
    if (LocalMap.Count() == 0 && OwnerImage_ && OwnerImage_->GlobalColorMap().Count() > 0)
        return &OwnerImage_->GlobalColorMap();
    return &LocalMap;
}

int TGifFrameData::TransparentIndex() const {
    if (!IsTransparent || !ControlExtension) return -1;
    return ControlExtension->TransparentColorIndex();
}

int TGifFrameData::Disposal() const { return ControlExtension ? ControlExtension->Disposal() : 0; }

void TGifFrameData::AssignData(const TGifFrameData& source) {
    if (&source == this) return;
    Reset();
    if (!source.Empty()) {
        Descriptor = source.Descriptor;
        IsTransparent = source.IsTransparent;
        NewPixelBuffer();
        std::memcpy(Pixels.get(), source.Pixels.get(), size_t(PixelTotal));
        LocalMap.Assign(source.LocalMap);
    }
    if (source.ExtensionList.ItemCount() > 0) {
        // Written and read back, so that every copy belongs to this frame.
        MemoryStream stream;
        const_cast<TGifExtensionList&>(source.ExtensionList).SaveToStream(stream);
        WriteByte(stream, ',');
        stream.SetPosition(0);
        ExtensionList.LoadFromStream(stream);
    }
}

// ---------------------------------------------------------------------------
// Bounds and pixels

void TGifFrameData::NewPixelBuffer() {
    FreeBitmap();
    Pixels.reset();
    SetPixelTotal(0);
    const size_t count = size_t(Descriptor.Width) * size_t(Descriptor.Height);
    if (count == 0) return;
    Pixels.reset(new (std::nothrow) uint8_t[count]);
    if (!Pixels) throw EOutOfMemory(txt::GifOutOfMemory);
    std::memset(Pixels.get(), 0, count);
    SetPixelTotal(int(count));
}

void TGifFrameData::GrowOwnerScreen() {
    if (!OwnerImage_) return;
    bool warned = false;
    const int right = Descriptor.Left + Descriptor.Width, bottom = Descriptor.Top + Descriptor.Height;
    TGifHeader& header = OwnerImage_->Header();
    if (header.ScreenWidth < right) {
        if (header.ScreenWidth > 0) {
            ReportWarning(1, txt::GifWidthSmallerThanFrames);
            warned = true;
        }
        header.ScreenWidth = uint16_t(std::min(right, kMaxSide));
        OwnerImage_->FreeRenderedBitmap();
    }
    if (header.ScreenHeight < bottom) {
        if (header.ScreenHeight > 0) {
            ReportWarning(1, txt::GifHeightSmallerThanFrames);
            warned = true;
        }
        header.ScreenHeight = uint16_t(std::min(bottom, kMaxSide));
        OwnerImage_->FreeRenderedBitmap();
    }
    if (warned) ReportWarning(1, txt::GifExceedsScreen);
}

void TGifFrameData::SetBounds(int left, int top, int width, int height) {
    // The descriptor holds 16-bit numbers; anything larger cannot be written.
    if (left < 0 || top < 0 || width < 0 || height < 0 || int64_t(left) + width > kMaxSide ||
        int64_t(top) + height > kMaxSide)
        RaiseGIFError(txt::GifInvalidImageDimensions);
    const bool resized = width != Descriptor.Width || height != Descriptor.Height;
    Descriptor.Left = uint16_t(left);
    Descriptor.Top = uint16_t(top);
    Descriptor.Width = uint16_t(width);
    Descriptor.Height = uint16_t(height);
    if (resized) NewPixelBuffer();
    GrowOwnerScreen();
}

void TGifFrameData::SetLeft(int value) { SetBounds(value, Top(), Width(), Height()); }
void TGifFrameData::SetTop(int value) { SetBounds(Left(), value, Width(), Height()); }
void TGifFrameData::SetWidth(int value) { SetBounds(Left(), Top(), value, Height()); }
void TGifFrameData::SetHeight(int value) { SetBounds(Left(), Top(), Width(), value); }

void TGifFrameData::SetInterlaced(bool on) {
    Descriptor.PackedFields = uint8_t(on ? Descriptor.PackedFields | 0x40 : Descriptor.PackedFields & ~0x40);
}

uint8_t TGifFrameData::Pixel(int x, int y) const {
    if (x < 0 || x >= Width() || y < 0 || y >= Height()) RaiseGIFError(txt::GifInvalidPixelCoordinates);
    if (!Pixels) return 0;
    return Pixels[size_t(y) * size_t(Width()) + size_t(x)];
}

uint8_t* TGifFrameData::Row(int y) {
    if (y < 0 || y >= Height()) RaiseGIFError(txt::GifInvalidPixelCoordinates);
    if (!Pixels) {
        NewPixelBuffer();
        if (!Pixels) RaiseGIFError(txt::GifImageEmpty);
    }
    return Pixels.get() + size_t(y) * size_t(Width());
}

void TGifFrameData::CountPixelUsage(std::vector<int>& usage) const {
    if (!Pixels) return;
    const size_t n = usage.size();
    for (int i = 0; i < PixelTotal; ++i)
        if (Pixels[size_t(i)] < n) ++usage[Pixels[size_t(i)]];
}

void TGifFrameData::RemapPixelIndices(const std::vector<uint8_t>& translation) {
    if (translation.size() < 256) return;
    if (Pixels)
        for (int i = 0; i < PixelTotal; ++i) Pixels[size_t(i)] = translation[Pixels[size_t(i)]];
    if (IsTransparent && ControlExtension)
        ControlExtension->SetTransparentColorIndex(translation[ControlExtension->TransparentColorIndex()]);
    FreeBitmap();
}

void TGifFrameData::Crop() {
    if (Empty() || !IsTransparent) return;
    const int t = TransparentIndex();
    if (t < 0) return;
    const int w = Width(), h = Height();
    auto rowClear = [&](int y) {
        const uint8_t* p = Pixels.get() + size_t(y) * size_t(w);
        for (int x = 0; x < w; ++x)
            if (p[x] != t) return false;
        return true;
    };
    int top = 0, bottom = h;
    while (top < bottom && rowClear(top)) ++top;
    while (bottom > top && rowClear(bottom - 1)) --bottom;
    if (top == bottom) {
        Reset();
        return;
    }
    auto columnClear = [&](int x) {
        for (int y = top; y < bottom; ++y)
            if (Pixels[size_t(y) * size_t(w) + size_t(x)] != t) return false;
        return true;
    };
    int left = 0, right = w;
    while (left < right && columnClear(left)) ++left;
    while (right > left && columnClear(right - 1)) --right;
    if (left == 0 && top == 0 && right == w && bottom == h) return;
    const int nw = right - left, nh = bottom - top;
    std::unique_ptr<uint8_t[]> cropped(new (std::nothrow) uint8_t[size_t(nw) * size_t(nh)]);
    if (!cropped) throw EOutOfMemory(txt::GifOutOfMemory);
    for (int y = 0; y < nh; ++y)
        std::memcpy(cropped.get() + size_t(y) * size_t(nw), Pixels.get() + size_t(top + y) * size_t(w) + size_t(left),
                    size_t(nw));
    Pixels = std::move(cropped);
    SetPixelTotal(nw * nh);
    Descriptor.Left = uint16_t(Descriptor.Left + left);
    Descriptor.Top = uint16_t(Descriptor.Top + top);
    Descriptor.Width = uint16_t(nw);
    Descriptor.Height = uint16_t(nh);
    FreeBitmap();
}

// ---------------------------------------------------------------------------
// Writing and reading

void TGifFrameData::SaveToStream(Stream& stream) {
    ExtensionList.SaveToStream(stream);
    if (Empty()) return;
    if (LocalMap.Count() > 0) {
        Descriptor.PackedFields = uint8_t(0x80 | (LocalMap.UsageSorted() ? 0x20 : 0) | ((ColorResolution()) & 7));
    } else {
        Descriptor.PackedFields &= uint8_t(~(0x80 | 0x20 | 0x07));
    }
    // Written as an image separator whatever byte stood in front of the
    // descriptor that was read (a reader stops at anything else).
    Descriptor.Separator = 0x2C;
    const uint8_t bytes[10] = {Descriptor.Separator,
                               uint8_t(Descriptor.Left), uint8_t(Descriptor.Left >> 8),
                               uint8_t(Descriptor.Top), uint8_t(Descriptor.Top >> 8),
                               uint8_t(Descriptor.Width), uint8_t(Descriptor.Width >> 8),
                               uint8_t(Descriptor.Height), uint8_t(Descriptor.Height >> 8),
                               Descriptor.PackedFields};
    stream.WriteBuffer(bytes, sizeof bytes);
    LocalMap.WriteTable(stream);
    CompressFrameData(stream);
}

void TGifFrameData::CompressFrameData(Stream& stream) {
    int bits, count;
    if (LocalMap.Count() > 0) {
        bits = LocalMap.TableBitDepth();
        count = LocalMap.Count();
    } else {
        bits = OwnerImage_ ? OwnerImage_->MaxBitsPerPixel() : 0;
        count = 1 << bits;
    }
    std::unique_ptr<TGifEncoder> encoder;
    if (OwnerImage_ && OwnerImage_->EncoderKind == 1)
        encoder = std::make_unique<TRLEEncoder>();
    else
        encoder = std::make_unique<TLZWEncoder>();
    if (OwnerImage_) {
        TGifImageData* image = OwnerImage_;
        encoder->OnWarning = [image, this](int severity, const std::wstring& message) {
            image->ReportWarning(this, severity, message);
        };
    }
    encoder->Encode(stream, uint8_t(bits), count, Pixels.get(), Interlaced(), Height(), Width());
}

void TGifFrameData::LoadFromStream(Stream& stream) {
    Reset();
    ExtensionList.LoadFromStream(stream);
    uint8_t next;
    if (stream.Read(&next, 1) != 1) return;
    stream.Seek(-1, SeekOrigin::Current);
    if (next == 0x3B || next == 0) return;
    uint8_t d[10];
    ReadExactly(stream, d, sizeof d);
    Descriptor.Separator = d[0];
    Descriptor.Left = uint16_t(d[1] | (d[2] << 8));
    Descriptor.Top = uint16_t(d[3] | (d[4] << 8));
    Descriptor.Width = uint16_t(d[5] | (d[6] << 8));
    Descriptor.Height = uint16_t(d[7] | (d[8] << 8));
    Descriptor.PackedFields = d[9];
    if ((Descriptor.Width == 0 || Descriptor.Height == 0) && OwnerImage_) {
        Descriptor.Width = uint16_t(OwnerImage_->ScreenWidth());
        Descriptor.Height = uint16_t(OwnerImage_->ScreenHeight());
        ReportWarning(1, txt::GifExceedsScreen);
    }
    // The size is checked before anything is allocated: a few bytes can
    // declare frames of gigabytes. The image keeps the total of its frames'
    // pixels as it goes, so this costs the same for the last of many frames
    // as for the first.
    CheckImageSize(Descriptor.Width, Descriptor.Height, OwnerImage_ ? OwnerImage_->PixelsHeld() : 0);
    if (Descriptor.PackedFields & 0x80) LocalMap.ReadTable(stream, 2 << (Descriptor.PackedFields & 7));
    NewPixelBuffer();
    DecodeFrameData(*this, stream);
    FrameLoaded();
}

void DecodeFrameData(TGifFrameData& frame, Stream& stream) {
    TDecodeTarget target;
    target.Pixels = frame.PixelCount() > 0 ? frame.Row(0) : nullptr;
    target.Width = frame.Width();
    target.Height = frame.Height();
    target.Interlaced = frame.Interlaced();
    // Pixels the data never reaches show nothing when the frame is
    // transparent.
    const int transparent = frame.TransparentIndex();
    target.Fill = uint8_t(transparent >= 0 ? transparent : 0);
    target.Warning = [&frame](int severity, const std::wstring& message) { frame.ReportWarning(severity, message); };
    DecodeImageData(target, stream);
}

}  // namespace gif
