#include "gif/gif_image_data.h"

#include <algorithm>
#include <cmath>

#include "gif/gif_texts.h"

namespace gif {

namespace {

int RoundedPercent(int64_t done, int64_t total) {
    return total > 0 ? int(std::lround(double(done) * 100.0 / double(total))) : 100;
}

}  // namespace

// ---------------------------------------------------------------------------
// Frame list

void TGifFrameList::SaveToStream(Stream& stream) {
    const int count = ItemCount();
    for (int i = 0; i < count; ++i) {
        Frame(i)->SaveToStream(stream);
        if (OwnerImage_) OwnerImage_->Progress(OwnerImage_, psRunning, RoundedPercent(i + 1, count), false, txt::GifSaving);
    }
}

void TGifFrameList::LoadFromStream(Stream& stream) {
    const int64_t size = stream.Size();
    auto skipZeros = [&](uint8_t& b) {
        do {
            if (stream.Read(&b, 1) != 1) return false;
        } while (b == 0);
        return true;
    };
    uint8_t b;
    if (!skipZeros(b)) return;
    while (b != 0x3B) {
        stream.Seek(-1, SeekOrigin::Current);
        if (b != 0x21 && b != 0x2C) {
            ReportWarning(1, txt::GifUnknownBlockType);
            return;
        }
        std::unique_ptr<TGifFrameData> frame =
            OwnerImage_ ? OwnerImage_->NewFrame() : std::make_unique<TGifFrameData>(nullptr);
        frame->LoadFromStream(stream);
        AddItem(std::move(frame));
        if (OwnerImage_)
            OwnerImage_->Progress(OwnerImage_, psRunning, RoundedPercent(stream.Position(), size), false,
                                  txt::GifLoading);
        if (!skipZeros(b)) return;
    }
    stream.Seek(-1, SeekOrigin::Current);
}

// ---------------------------------------------------------------------------
// Image

TGifImageData::TGifImageData() : FrameList(this), FileHeader(this) {}

TGifImageData::~TGifImageData() {
    // The frames tell the image what they give back as they go.
    FrameList.ClearItems();
}

std::unique_ptr<TGifFrameData> TGifImageData::NewFrame() { return std::make_unique<TGifFrameData>(this); }

void TGifImageData::ReportWarning(const void* sender, int severity, const std::wstring& message) {
    if (WarningEvent) WarningEvent(sender, severity, message);
}

void TGifImageData::Progress(const void*, TProgressStage, int, bool, const std::wstring&) {}

void TGifImageData::ClearImage() {
    FrameList.ClearItems();
    FileHeader.ResetHeader();
    FileHeader.PreparePackedFields();
}

TGifVersion TGifImageData::RequiredVersion() const {
    TGifVersion version = kGifVersionUnknown;
    for (int i = 0; i < FrameCount(); ++i) {
        version = std::max(version, Frame(i)->ItemVersion());
        if (version == kGifVersion89a) break;
    }
    return version;
}

int TGifImageData::MaxColorResolution() const {
    int resolution = FileHeader.ResolutionBits();
    for (int i = 0; i < FrameCount(); ++i) resolution = std::max(resolution, Frame(i)->ColorResolution());
    return resolution;
}

int TGifImageData::MaxBitsPerPixel() const {
    int bits = FileHeader.HeaderBitDepth();
    for (int i = 0; i < FrameCount(); ++i) bits = std::max(bits, Frame(i)->BitsPerPixel());
    return bits;
}

TGifColorValue TGifImageData::BackgroundColor() { return FileHeader.BackgroundColorValue(); }

void TGifImageData::SaveToStream(Stream& stream) {
    Progress(this, psStarting, 0, false, txt::GifSaving);
    try {
        GuardMemory([&] {
            FileHeader.SaveToStream(stream);
            FrameList.SaveToStream(stream);
            TGifTrailer trailer(this);
            trailer.SaveToStream(stream);
        });
    } catch (...) {
        Progress(this, psEnding, 0, true, txt::GifSaving);
        throw;
    }
    Progress(this, psEnding, 100, true, txt::GifSaving);
}

void TGifImageData::LoadFromStream(Stream& stream) {
    Progress(this, psStarting, 0, false, txt::GifLoading);
    ClearImage();
    const int64_t start = stream.Position();
    try {
        GuardMemory([&] {
            FileHeader.LoadFromStream(stream);
            FrameList.LoadFromStream(stream);
            TGifTrailer trailer(this);
            trailer.LoadFromStream(stream);
        });
    } catch (...) {
        stream.SetPosition(start);
        Progress(this, psEnding, 0, true, txt::GifLoading);
        throw;
    }
    Progress(this, psEnding, 100, true, txt::GifLoading);
}

}  // namespace gif
