#include "gif/gif_layout.h"

#include <cstring>

#include "core/texts.h"
#include "gif/gif_lzw_decoder.h"
#include "gif/gif_read_texts.h"

namespace gif {

void CheckImageSize(int width, int height, int64_t pixelsHeld) {
    const int64_t pixels = int64_t(width) * int64_t(height);
    if (pixels > kMaxImagePixels || pixelsHeld + pixels > kMaxTotalPixels) RaiseGIFError(txt::GifImageTooLarge);
}

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

namespace {
bool IsLoopIdentifier(const uint8_t identifier[11]) {
    return std::memcmp(identifier, "NETSCAPE2.0", 11) == 0 || std::memcmp(identifier, "ANIMEXTS1.0", 11) == 0;
}
}  // namespace

namespace {

class LayoutReader {
public:
    LayoutReader(Stream& stream, TGifLayout& layout) : s_(stream), out_(layout) {}
    void Run();

private:
    void Warn(const wchar_t* message) { out_.Warnings.emplace_back(message); }
    bool ReadOne(uint8_t& b) { return s_.Read(&b, 1) == 1; }
    void Back() { s_.Seek(-1, SeekOrigin::Current); }
    std::vector<uint8_t> ReadTable(int colors) {
        std::vector<uint8_t> table(3 * size_t(colors));
        ReadExactly(s_, table.data(), table.size());
        return table;
    }
    void ReadBlocks(TGifLayoutExtension& e) {
        uint8_t n;
        while (ReadOne(n) && n != 0) {
            std::vector<uint8_t> block(n);
            ReadExactly(s_, block.data(), n);
            e.Blocks.push_back(std::move(block));
        }
    }
    void ReadExtensions(TGifLayoutFrame& frame);
    void ReadExtension(uint8_t label, TGifLayoutExtension& e);
    void ReadFrame(TGifLayoutFrame& frame);

    Stream& s_;
    TGifLayout& out_;
    int64_t pixelsHeld_ = 0;
};

void LayoutReader::ReadExtension(uint8_t label, TGifLayoutExtension& e) {
    e.Label = label;
    switch (label) {
    case 0xF9: {  // graphic control: six bytes, forgiven when cut short
        e.Fixed.resize(6);
        if (s_.Read(e.Fixed.data(), 6) != 6) {
            Warn(txt::GifPrematureEnd);
            e.Fixed.clear();
        }
        return;
    }
    case 0x01:  // plain text: 13 bytes, then the text
        e.Fixed.resize(13);
        ReadExactly(s_, e.Fixed.data(), 13);
        ReadBlocks(e);
        return;
    case 0xFE:  // comment
        ReadBlocks(e);
        return;
    case 0xFF: {  // application
        uint8_t size;
        ReadExactly(s_, &size, 1);
        if (size == 10) {
            e.Fixed.resize(10);
            ReadExactly(s_, e.Fixed.data(), 10);
            ReadBlocks(e);
            return;
        }
        if (size < 11) RaiseGIFError(txt::GifUnsupportedAppExtensionSize);
        e.Fixed.resize(11);
        ReadExactly(s_, e.Fixed.data(), 11);
        s_.Seek(size - 11, SeekOrigin::Current);
        if (!IsLoopIdentifier(e.Fixed.data())) {
            ReadBlocks(e);
            return;
        }
        uint8_t n;
        while (ReadOne(n) && n != 0) {
            std::vector<uint8_t> block(n);
            ReadExactly(s_, block.data(), n);
            const int kind = block[0] & 7;
            if ((kind == 1 && n < 3) || (kind == 2 && n < 5)) RaiseGIFError(txt::GifInvalidData);
            if (kind == 1) e.LoopCount = block[1] | (block[2] << 8);
            e.Blocks.push_back(std::move(block));
        }
        return;
    }
    default:
        // A kind nobody knows: its sub-blocks are skipped, as other readers do.
        Warn(txt::GifUnknownExtensionSkipped);
        ReadBlocks(e);
        return;
    }
}

void LayoutReader::ReadExtensions(TGifLayoutFrame& frame) {
    uint8_t b;
    if (!ReadOne(b)) return;
    while (b != ',' && b != ';') {
        if (b != '!') {
            Warn(txt::GifInvalidExtensionIntroducer);
            break;
        }
        uint8_t label;
        ReadExactly(s_, &label, 1);
        frame.Extensions.emplace_back();
        ReadExtension(label, frame.Extensions.back());
        if (!ReadOne(b)) return;
    }
    Back();
}

void LayoutReader::ReadFrame(TGifLayoutFrame& frame) {
    ReadExtensions(frame);
    uint8_t next;
    if (!ReadOne(next)) return;
    Back();
    if (next == 0x3B || next == 0) return;
    uint8_t d[10];
    ReadExactly(s_, d, sizeof d);
    frame.HasImage = true;
    frame.Left = uint16_t(d[1] | (d[2] << 8));
    frame.Top = uint16_t(d[3] | (d[4] << 8));
    frame.Width = uint16_t(d[5] | (d[6] << 8));
    frame.Height = uint16_t(d[7] | (d[8] << 8));
    frame.PackedFields = d[9];
    if (frame.Width == 0 || frame.Height == 0) {
        frame.Width = out_.ScreenWidth;
        frame.Height = out_.ScreenHeight;
        Warn(txt::GifExceedsScreen);
    }
    CheckImageSize(frame.Width, frame.Height, pixelsHeld_);
    pixelsHeld_ += int64_t(frame.Width) * frame.Height;
    if (frame.PackedFields & 0x80) frame.LocalTable = ReadTable(2 << (frame.PackedFields & 7));
    frame.Pixels.assign(size_t(frame.Width) * size_t(frame.Height), 0);
    TDecodeTarget target;
    target.Pixels = frame.Pixels.data();
    target.Width = frame.Width;
    target.Height = frame.Height;
    target.Interlaced = (frame.PackedFields & 0x40) != 0;
    for (const TGifLayoutExtension& e : frame.Extensions)
        if (e.Label == 0xF9 && e.Fixed.size() == 6 && (e.Fixed[1] & 1)) {
            target.Fill = e.Fixed[4];
            break;
        }
    target.Warning = [this](int, const std::wstring& message) { out_.Warnings.push_back(message); };
    DecodeImageData(target, s_);
}

void LayoutReader::Run() {
    uint8_t signature[6];
    ReadGifSignature(s_, signature);
    out_.Signature.assign(reinterpret_cast<const char*>(signature), 6);
    uint8_t d[7];
    ReadExactly(s_, d, 7);
    out_.ScreenWidth = uint16_t(d[0] | (d[1] << 8));
    out_.ScreenHeight = uint16_t(d[2] | (d[3] << 8));
    out_.PackedFields = d[4];
    out_.BackgroundIndex = d[5];
    out_.AspectRatio = d[6];
    CheckImageSize(out_.ScreenWidth, out_.ScreenHeight);
    if (out_.PackedFields & 0x80) out_.GlobalTable = ReadTable(2 << (out_.PackedFields & 7));

    auto skipZeros = [&](uint8_t& b) {
        do
            if (!ReadOne(b)) return false;
        while (b == 0);
        return true;
    };
    uint8_t b;
    if (!skipZeros(b)) return;
    while (b != 0x3B) {
        Back();
        if (b != 0x21 && b != 0x2C) {
            Warn(txt::GifUnknownBlockType);
            return;
        }
        out_.Frames.emplace_back();
        ReadFrame(out_.Frames.back());
        if (!skipZeros(b)) return;
    }
    out_.Trailer = true;
}

}  // namespace

TGifLayout ReadGifLayout(Stream& stream) {
    TGifLayout layout;
    LayoutReader(stream, layout).Run();
    return layout;
}

}  // namespace gif
