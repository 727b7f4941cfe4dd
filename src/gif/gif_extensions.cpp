#include "gif/gif_extensions.h"

#include <vector>

#include <cstring>

#include "core/texts.h"
#include "gif/gif_frame.h"
#include "gif/gif_read_texts.h"
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
// Plain text and comment

namespace {
std::unique_ptr<TGifExtension> CreateText(TGifFrame* frame) { return std::make_unique<TGifTextExtension>(frame); }
std::unique_ptr<TGifExtension> CreateComment(TGifFrame* frame) {
    return std::make_unique<TGifCommentExtension>(frame);
}
std::unique_ptr<TGifExtension> CreateRawApp(TGifFrame* frame) { return std::make_unique<TGifRawAppExtension>(frame); }
std::unique_ptr<TGifExtension> CreateLoop(TGifFrame* frame) { return std::make_unique<TGifLoopExtension>(frame); }
const TGifExtensionClass* ResolveApplication(const TGifExtensionClass* self, Stream& stream);
}  // namespace

const TGifExtensionClass TGifTextExtension::Class = {kLabel, &CreateText, &ResolveToSelf};
const TGifExtensionClass TGifCommentExtension::Class = {kLabel, &CreateComment, &ResolveToSelf};
const TGifExtensionClass TGifApplicationExtension::Class = {kLabel, nullptr, &ResolveApplication};
const TGifExtensionClass TGifRawAppExtension::Class = {kLabel, &CreateRawApp, &ResolveApplication};
const TGifExtensionClass TGifLoopExtension::Class = {kLabel, &CreateLoop, &ResolveApplication};

TGifTextExtension::TGifTextExtension(TGifFrame* frame) : TGifExtension(frame) {}

void TGifTextExtension::SaveToStream(Stream& stream) {
    TGifExtension::SaveToStream(stream);
    const uint8_t bytes[13] = {BlockSize,          uint8_t(GridLeft),   uint8_t(GridLeft >> 8), uint8_t(GridTop),
                               uint8_t(GridTop >> 8), uint8_t(GridWidth), uint8_t(GridWidth >> 8),
                               uint8_t(GridHeight), uint8_t(GridHeight >> 8), CellWidth, CellHeight,
                               TextColorIndex,     BackgroundColorIndex};
    stream.WriteBuffer(bytes, sizeof bytes);
    WriteStringBlocks(stream, Text);
}

void TGifTextExtension::LoadFromStream(Stream& stream) {
    TGifExtension::LoadFromStream(stream);
    uint8_t b[13];
    ReadExactly(stream, b, sizeof b);
    BlockSize = b[0];
    GridLeft = uint16_t(b[1] | (b[2] << 8));
    GridTop = uint16_t(b[3] | (b[4] << 8));
    GridWidth = uint16_t(b[5] | (b[6] << 8));
    GridHeight = uint16_t(b[7] | (b[8] << 8));
    CellWidth = b[9];
    CellHeight = b[10];
    TextColorIndex = b[11];
    BackgroundColorIndex = b[12];
    ReadStringBlocks(stream, Text);
}

TGifCommentExtension::TGifCommentExtension(TGifFrame* frame) : TGifExtension(frame) {}

void TGifCommentExtension::SaveToStream(Stream& stream) {
    TGifExtension::SaveToStream(stream);
    WriteStringBlocks(stream, Text);
}

void TGifCommentExtension::LoadFromStream(Stream& stream) {
    TGifExtension::LoadFromStream(stream);
    ReadStringBlocks(stream, Text);
}

// ---------------------------------------------------------------------------
// Application blocks

namespace {

// Given the stream just after the label: the class of the identifier, or the
// raw class for any other block (an identifier nobody registered, a block
// of another size, a block cut short), so that the block is always read by a
// class that can be made.
const TGifExtensionClass* ResolveApplication(const TGifExtensionClass*, Stream& stream) {
    uint8_t size;
    if (stream.Read(&size, 1) != 1) return nullptr;
    uint8_t identifier[11];
    if (size != 11 || stream.Read(identifier, 11) != 11) return &TGifRawAppExtension::Class;
    const TGifExtensionClass* cls = FindAppExtensionClass(identifier);
    return cls ? cls : &TGifRawAppExtension::Class;
}

}  // namespace

TGifApplicationExtension::TGifApplicationExtension(TGifFrame* frame) : TGifExtension(frame) {}

void TGifApplicationExtension::SaveToStream(Stream& stream) {
    TGifExtension::SaveToStream(stream);
    WriteByte(stream, 11);
    stream.WriteBuffer(Identifier, 11);
    SaveAppData(stream);
}

void TGifApplicationExtension::LoadFromStream(Stream& stream) {
    TGifExtension::LoadFromStream(stream);
    uint8_t size;
    ReadExactly(stream, &size, 1);
    std::memset(Identifier, 0, sizeof Identifier);
    if (size == 10) {
        // An identifier one byte short: its ten bytes are kept (the last
        // stays 0) rather than taking the first data byte for the eleventh.
        ReadExactly(stream, Identifier, 10);
    } else {
        if (size < 11) RaiseGIFError(txt::GifUnsupportedAppExtensionSize);
        ReadExactly(stream, Identifier, 11);
        stream.Seek(size - 11, SeekOrigin::Current);
    }
    LoadAppData(stream);
}

TGifRawAppExtension::TGifRawAppExtension(TGifFrame* frame) : TGifApplicationExtension(frame) {}

void TGifRawAppExtension::SaveAppData(Stream& stream) {
    for (const std::vector<uint8_t>& block : Blocks) {
        WriteByte(stream, uint8_t(block.size()));
        stream.WriteBuffer(block.data(), block.size());
    }
    WriteByte(stream, 0);
}

void TGifRawAppExtension::LoadAppData(Stream& stream) {
    Blocks.clear();
    uint8_t size;
    while (stream.Read(&size, 1) == 1 && size != 0) {
        std::vector<uint8_t> block(size);
        ReadExactly(stream, block.data(), size);
        Blocks.push_back(std::move(block));
    }
}

TGifLoopExtension::TGifLoopExtension(TGifFrame* frame) : TGifApplicationExtension(frame) {
    std::memcpy(Identifier, "NETSCAPE2.0", 11);
}

void TGifLoopExtension::SaveAppData(Stream& stream) {
    const uint8_t loop[4] = {3, 1, uint8_t(LoopCount), uint8_t(LoopCount >> 8)};
    stream.WriteBuffer(loop, sizeof loop);
    if (BufferSize != 0) {
        const uint8_t buffer[6] = {5, 2, uint8_t(BufferSize), uint8_t(BufferSize >> 8), uint8_t(BufferSize >> 16),
                                   uint8_t(BufferSize >> 24)};
        stream.WriteBuffer(buffer, sizeof buffer);
    }
    WriteByte(stream, 0);
}

void TGifLoopExtension::LoadAppData(Stream& stream) {
    uint8_t size;
    while (stream.Read(&size, 1) == 1 && size != 0) {
        uint8_t block[255];
        ReadExactly(stream, block, size);
        const int kind = block[0] & 7;
        if (kind == 1) {
            if (size < 3) RaiseGIFError(txt::GifInvalidData);
            LoopCount = uint16_t(block[1] | (block[2] << 8));
        } else if (kind == 2) {
            if (size < 5) RaiseGIFError(txt::GifInvalidData);
            BufferSize = uint32_t(block[1]) | (uint32_t(block[2]) << 8) | (uint32_t(block[3]) << 16) |
                         (uint32_t(block[4]) << 24);
        }
    }
}

// ---------------------------------------------------------------------------
// Registry

namespace {
std::vector<const TGifExtensionClass*>& Registry() {
    static std::vector<const TGifExtensionClass*> classes{&TGifTextExtension::Class,
                                                          &TGifGraphicControlExtension::Class,
                                                          &TGifCommentExtension::Class,
                                                          &TGifApplicationExtension::Class};
    return classes;
}

struct AppEntry {
    uint8_t identifier[11];
    const TGifExtensionClass* cls;
};
std::vector<AppEntry>& AppRegistry() {
    static std::vector<AppEntry> classes{{{'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0'}, &TGifLoopExtension::Class},
                                         {{'A', 'N', 'I', 'M', 'E', 'X', 'T', 'S', '1', '.', '0'}, &TGifLoopExtension::Class}};
    return classes;
}
}  // namespace

void RegisterAppExtension(const uint8_t identifier[11], const TGifExtensionClass* cls) {
    AppEntry entry{{}, cls};
    std::memcpy(entry.identifier, identifier, 11);
    AppRegistry().push_back(entry);
}

const TGifExtensionClass* FindAppExtensionClass(const uint8_t identifier[11]) {
    const auto& classes = AppRegistry();
    for (auto it = classes.rbegin(); it != classes.rend(); ++it)
        if (std::memcmp(it->identifier, identifier, 11) == 0) return it->cls;
    return nullptr;
}

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
    // Each class looks at the block from just after the label. A bounded
    // number of steps: registrations could point at each other.
    for (int step = 0; cls && step < 8; ++step) {
        stream.SetPosition(start + 1);
        const TGifExtensionClass* next = cls->ResolveExtensionClass(cls, stream);
        if (next == cls) break;
        cls = next;
    }
    stream.SetPosition(start);
    // A class that cannot be made reads nothing.
    return cls && cls->Create ? cls : nullptr;
}

}  // namespace gif
