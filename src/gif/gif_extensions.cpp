#include "gif/gif_extensions.h"

#include <vector>

#include "core/texts.h"
#include "gif/gif_frame.h"
#include "gif/gif_picture.h"

namespace gif {

// ---------------------------------------------------------------------------
// Base

TGifExtension::TGifExtension(TGifFrame* frame) : TGifItem(frame ? frame->OwnerImage() : nullptr), frame_(frame) {}

TGifExtension::~TGifExtension() {
    // The list that owns an extension takes it out before freeing it; one
    // freed some other way must not stay listed.
    if (frame_) frame_->Extensions().RemoveItem(this).release();
}

void TGifExtension::SaveToStream(Stream& stream) {
    const uint8_t bytes[2] = {0x21, ExtensionLabel()};
    stream.WriteBuffer(bytes, 2);
}

void TGifExtension::LoadFromStream(Stream& stream) {
    uint8_t bytes[2];
    ReadExactly(stream, bytes, 2);
    if (bytes[0] != 0x21) RaiseGIFError(txt::GifInvalidExtensionIntroducer);
    if (bytes[1] != ExtensionLabel()) RaiseGIFError(txt::GifExtensionLabelMismatch);
}

std::unique_ptr<TGifExtension> TGifExtension::CloneFor(TGifFrame* frame) {
    MemoryStream stream;
    SaveToStream(stream);
    stream.SetPosition(1);
    const TGifExtensionClass* cls = ExtensionClassAt(stream);
    if (!cls) RaiseGIFError(txt::GifUnknownExtensionType);
    stream.SetPosition(0);
    std::unique_ptr<TGifExtension> copy = cls->Create(frame);
    copy->LoadFromStream(stream);
    return copy;
}

// ---------------------------------------------------------------------------
// Graphic control

namespace {
std::unique_ptr<TGifExtension> CreateGraphicControl(TGifFrame* frame) {
    return std::make_unique<TGifGraphicControlExtension>(frame);
}
const TGifExtensionClass* ResolveToSelf(const TGifExtensionClass* self, Stream&) { return self; }
}  // namespace

const TGifExtensionClass TGifGraphicControlExtension::Class = {TGifGraphicControlExtension::kLabel,
                                                               &CreateGraphicControl, &ResolveToSelf};

TGifGraphicControlExtension::TGifGraphicControlExtension(TGifFrame* frame) : TGifExtension(frame) {
    if (frame && !frame->GraphicControlExtension()) frame->SetGraphicControlExtension(this);
}

TGifGraphicControlExtension::~TGifGraphicControlExtension() {
    if (!frame_) return;
    if (Transparent()) frame_->SetTransparentFlag(false);
    if (frame_->GraphicControlExtension() == this) frame_->SetGraphicControlExtension(nullptr);
}

void TGifGraphicControlExtension::SetTransparent(bool on) {
    PackedFields = uint8_t(on ? PackedFields | 1 : PackedFields & ~1);
    if (frame_) frame_->SetTransparentFlag(on);
}

void TGifGraphicControlExtension::SetTransparentColorIndex(int index) {
    if (frame_) {
        TGifColorMap* map = frame_->ActiveColorMap();
        if (map && map->Count() > 0 && (index < 0 || index >= map->Count())) {
            ReportWarning(1, txt::GifInvalidColorIndex);
            index = 0;
        }
    }
    TransparentIndex = uint8_t(index);
}

void TGifGraphicControlExtension::SaveToStream(Stream& stream) {
    TGifExtension::SaveToStream(stream);
    const uint8_t bytes[6] = {BlockSize, PackedFields, uint8_t(DelayTime), uint8_t(DelayTime >> 8),
                              TransparentIndex, Terminator};
    stream.WriteBuffer(bytes, sizeof bytes);
}

void TGifGraphicControlExtension::LoadFromStream(Stream& stream) {
    TGifExtension::LoadFromStream(stream);
    uint8_t bytes[6];
    if (stream.Read(bytes, sizeof bytes) != sizeof bytes) {
        ReportWarning(1, txt::GifPrematureEnd);
        return;
    }
    BlockSize = bytes[0];
    PackedFields = bytes[1];
    DelayTime = uint16_t(bytes[2] | (bytes[3] << 8));
    TransparentIndex = bytes[4];
    Terminator = bytes[5];
    if (Transparent() && frame_) frame_->SetTransparentFlag(true);
}

// ---------------------------------------------------------------------------
// Registry

namespace {
std::vector<const TGifExtensionClass*>& Registry() {
    static std::vector<const TGifExtensionClass*> classes{&TGifGraphicControlExtension::Class};
    return classes;
}
}  // namespace

void RegisterExtension(const TGifExtensionClass* cls) { Registry().push_back(cls); }

const TGifExtensionClass* FindExtensionClass(uint8_t label) {
    const auto& classes = Registry();
    for (auto it = classes.rbegin(); it != classes.rend(); ++it)
        if ((*it)->label == label) return *it;
    return nullptr;
}

const TGifExtensionClass* ExtensionClassAt(Stream& stream) {
    const int64_t start = stream.Position();
    uint8_t label;
    if (stream.Read(&label, 1) != 1) return nullptr;
    const TGifExtensionClass* cls = FindExtensionClass(label);
    while (cls) {
        const TGifExtensionClass* next = cls->ResolveExtensionClass(cls, stream);
        if (next == cls) break;
        cls = next;
    }
    stream.SetPosition(start);
    return cls;
}

}  // namespace gif
