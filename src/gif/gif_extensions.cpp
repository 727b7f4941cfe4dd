#include "gif/gif_extensions.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "gif/gif_texts.h"
#include "gif/gif_frame_data.h"
#include "gif/gif_lzw_decoder.h"
#include "gif/gif_read_texts.h"

namespace gif {

// ---------------------------------------------------------------------------
// Base

TGifExtension::TGifExtension(TGifFrameData* frame) : TGifItem(frame ? frame->OwnerImage() : nullptr), frame_(frame) {}

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

// ---------------------------------------------------------------------------
// Graphic control

namespace {
std::unique_ptr<TGifExtension> CreateGraphicControl(TGifFrameData* frame) {
    return std::make_unique<TGifGraphicControlExtension>(frame);
}
const TGifExtensionClass* ResolveToSelf(const TGifExtensionClass* self, Stream&) { return self; }
}  // namespace

const TGifExtensionClass TGifGraphicControlExtension::Class = {TGifGraphicControlExtension::kLabel,
                                                               &CreateGraphicControl, &ResolveToSelf};

TGifGraphicControlExtension::TGifGraphicControlExtension(TGifFrameData* frame) : TGifExtension(frame) {
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
    // Always the block of four bytes the format defines, whatever was read.
    const uint8_t bytes[6] = {4, PackedFields, uint8_t(DelayTime), uint8_t(DelayTime >> 8), TransparentIndex, 0};
    stream.WriteBuffer(bytes, sizeof bytes);
}

void TGifGraphicControlExtension::LoadFromStream(Stream& stream) {
    TGifExtension::LoadFromStream(stream);
    // The block is read by its size byte, as other readers read it: the
    // first four bytes are the fields, anything a writer put after them (and
    // any data sub-blocks) is skipped up to the terminator, so that the
    // fields stay with the image that follows.
    uint8_t size;
    uint8_t bytes[255] = {};
    if (stream.Read(&size, 1) != 1 || stream.Read(bytes, size) != size) {
        ReportWarning(1, txt::GifPrematureEnd);
        return;
    }
    SkipDataSubBlocks(stream);
    PackedFields = bytes[0];
    DelayTime = uint16_t(bytes[1] | (bytes[2] << 8));
    TransparentIndex = bytes[3];
    if (Transparent() && frame_) frame_->SetTransparentFlag(true);
}

// ---------------------------------------------------------------------------
// Plain text and comment

namespace {
std::unique_ptr<TGifExtension> CreateText(TGifFrameData* frame) { return std::make_unique<TGifTextExtension>(frame); }
std::unique_ptr<TGifExtension> CreateComment(TGifFrameData* frame) {
    return std::make_unique<TGifCommentExtension>(frame);
}
std::unique_ptr<TGifExtension> CreateRawApp(TGifFrameData* frame) { return std::make_unique<TGifRawAppExtension>(frame); }
std::unique_ptr<TGifExtension> CreateLoop(TGifFrameData* frame) { return std::make_unique<TGifLoopExtension>(frame); }
const TGifExtensionClass* ResolveApplication(const TGifExtensionClass* self, Stream& stream);
}  // namespace

const TGifExtensionClass TGifTextExtension::Class = {kLabel, &CreateText, &ResolveToSelf};
const TGifExtensionClass TGifCommentExtension::Class = {kLabel, &CreateComment, &ResolveToSelf};
const TGifExtensionClass TGifApplicationExtension::Class = {kLabel, nullptr, &ResolveApplication};
const TGifExtensionClass TGifRawAppExtension::Class = {kLabel, &CreateRawApp, &ResolveApplication};
const TGifExtensionClass TGifLoopExtension::Class = {kLabel, &CreateLoop, &ResolveApplication};

TGifTextExtension::TGifTextExtension(TGifFrameData* frame) : TGifExtension(frame) {}

void TGifTextExtension::SaveToStream(Stream& stream) {
    TGifExtension::SaveToStream(stream);
    const uint8_t bytes[13] = {12,                   uint8_t(GridLeft),   uint8_t(GridLeft >> 8), uint8_t(GridTop),
                               uint8_t(GridTop >> 8), uint8_t(GridWidth), uint8_t(GridWidth >> 8),
                               uint8_t(GridHeight), uint8_t(GridHeight >> 8), CellWidth, CellHeight,
                               TextColorIndex,     BackgroundColorIndex};
    stream.WriteBuffer(bytes, sizeof bytes);
    WriteStringBlocks(stream, Text);
}

void TGifTextExtension::LoadFromStream(Stream& stream) {
    TGifExtension::LoadFromStream(stream);
    // Read by its size byte: the first twelve bytes are the fields (those a
    // shorter block lacks stay 0), more are skipped.
    uint8_t size;
    ReadExactly(stream, &size, 1);
    uint8_t b[255] = {};
    ReadExactly(stream, b, size);
    GridLeft = uint16_t(b[0] | (b[1] << 8));
    GridTop = uint16_t(b[2] | (b[3] << 8));
    GridWidth = uint16_t(b[4] | (b[5] << 8));
    GridHeight = uint16_t(b[6] | (b[7] << 8));
    CellWidth = b[8];
    CellHeight = b[9];
    TextColorIndex = b[10];
    BackgroundColorIndex = b[11];
    ReadStringBlocks(stream, Text);
}

TGifCommentExtension::TGifCommentExtension(TGifFrameData* frame) : TGifExtension(frame) {}

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

TGifApplicationExtension::TGifApplicationExtension(TGifFrameData* frame) : TGifExtension(frame) {}

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
    uint8_t bytes[255];
    ReadExactly(stream, bytes, size);
    // An identifier of other than 11 bytes: its first bytes are kept (the
    // rest stays 0) and the block is read on. Ten bytes are a known writer's
    // slip; any other size is told as a warning, and the block is written
    // back with an identifier of the usual size.
    std::memcpy(Identifier, bytes, std::min<size_t>(size, sizeof Identifier));
    if (size < 10) ReportWarning(1, txt::GifUnsupportedAppExtensionSize);
    LoadAppData(stream);
}

TGifRawAppExtension::TGifRawAppExtension(TGifFrameData* frame) : TGifApplicationExtension(frame) {}

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

TGifLoopExtension::TGifLoopExtension(TGifFrameData* frame) : TGifApplicationExtension(frame) {
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
        uint8_t block[255] = {};
        ReadExactly(stream, block, size);
        const int kind = block[0] & 7;
        // A sub-block too short for its number: what it holds is taken (the
        // missing bytes as 0) with a warning, and the images after the block
        // are read as other readers read them.
        if ((kind == 1 && size < 3) || (kind == 2 && size < 5)) ReportWarning(1, txt::GifInvalidData);
        if (kind == 1) {
            LoopCount = uint16_t(block[1] | (block[2] << 8));
        } else if (kind == 2) {
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
