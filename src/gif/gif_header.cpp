#include "gif/gif_header.h"

#include <cstring>

#include "gif/gif_texts.h"
#include "gif/gif_image_data.h"

namespace gif {

const char* const GifVersionTexts[2] = {"87a", "89a"};

void ReadGifSignature(Stream& stream, uint8_t signature[6]) {
    auto isGif = [](const uint8_t* b) {
        return (b[0] & ~0x20) == 'G' && (b[1] & ~0x20) == 'I' && (b[2] & ~0x20) == 'F';
    };
    const int64_t start = stream.Position();
    ReadExactly(stream, signature, 6);
    if (isGif(signature)) return;
    stream.SetPosition(start + 4);
    ReadExactly(stream, signature, 6);
    if (!isGif(signature)) RaiseGIFError(txt::GifInvalidSignature);
}

TGifHeader::TGifHeader(TGifImageData* image) : TGifItem(image), GlobalMap(this) { ResetHeader(); }

TGifHeader::~TGifHeader() = default;

void TGifHeader::ResetHeader() {
    GlobalMap.EmptyTable();
    ScreenWidth = ScreenHeight = 0;
    PackedFields = BackgroundIndex = AspectRatio = 0;
}

void TGifHeader::Assign(const TGifHeader& source) {
    if (&source == this) return;
    GlobalMap.Assign(source.GlobalMap);
    ScreenWidth = source.ScreenWidth;
    ScreenHeight = source.ScreenHeight;
    PackedFields = source.PackedFields;
    BackgroundIndex = source.BackgroundIndex;
    AspectRatio = source.AspectRatio;
}

void TGifHeader::Assign(const TGifColorMap& source) {
    ResetHeader();
    GlobalMap.Assign(source);
}

int TGifHeader::ItemVersion() const {
    return GlobalMap.UsageSorted() || AspectRatio != 0 ? kGifVersion89a : kGifVersion87a;
}

TGifColorValue TGifHeader::BackgroundColorValue() { return GlobalMap.ColorAt(BackgroundIndex); }

void TGifHeader::PreparePackedFields() {
    uint8_t packed = 0;
    if (GlobalMap.Count() > 0) {
        packed |= 0x80;
        if (GlobalMap.UsageSorted()) packed |= 0x08;
    }
    // The size field is filled from the image even without a global table;
    // with one it must give that table's size, or readers take frames' bytes
    // for colours when a local map is larger than the global one.
    const int resolution = OwnerImage_ ? OwnerImage_->MaxColorResolution() : ResolutionBits();
    const int bits = OwnerImage_ && GlobalMap.Count() == 0 ? OwnerImage_->MaxBitsPerPixel() : HeaderBitDepth();
    packed |= uint8_t((resolution & 7) << 4);
    packed |= uint8_t((bits - 1) & 7);
    PackedFields = packed;
}

void TGifHeader::SaveToStream(Stream& stream) {
    const TGifVersion version = OwnerImage_ ? OwnerImage_->RequiredVersion() : ItemVersion();
    if (version != kGifVersion87a && version != kGifVersion89a) RaiseGIFError(txt::GifUnsupportedVersion);
    PreparePackedFields();
    uint8_t bytes[13];
    std::memcpy(bytes, "GIF", 3);
    std::memcpy(bytes + 3, GifVersionTexts[version - 1], 3);
    bytes[6] = uint8_t(ScreenWidth);
    bytes[7] = uint8_t(ScreenWidth >> 8);
    bytes[8] = uint8_t(ScreenHeight);
    bytes[9] = uint8_t(ScreenHeight >> 8);
    bytes[10] = PackedFields;
    bytes[11] = BackgroundIndex;
    bytes[12] = AspectRatio;
    stream.WriteBuffer(bytes, sizeof bytes);
    if (PackedFields & 0x80) GlobalMap.WriteTable(stream);
}

void TGifHeader::LoadFromStream(Stream& stream) {
    uint8_t signature[6];
    ReadGifSignature(stream, signature);
    uint8_t d[7];
    ReadExactly(stream, d, 7);
    ScreenWidth = uint16_t(d[0] | (d[1] << 8));
    ScreenHeight = uint16_t(d[2] | (d[3] << 8));
    PackedFields = d[4];
    BackgroundIndex = d[5];
    AspectRatio = d[6];
    CheckImageSize(ScreenWidth, ScreenHeight);
    if (PackedFields & 0x80)
        GlobalMap.ReadTable(stream, 2 << (PackedFields & 7));
    else
        GlobalMap.EmptyTable();
}

void TGifTrailer::SaveToStream(Stream& stream) { WriteByte(stream, 0x3B); }

void TGifTrailer::LoadFromStream(Stream& stream) {
    uint8_t b;
    if (stream.Read(&b, 1) == 1 && b != 0x3B) ReportWarning(1, txt::GifInvalidTrailer);
}

}  // namespace gif
