#include "gif/gif_lzw_decoder.h"

#include <cstring>
#include <memory>

#include "gif/gif_texts.h"
#include "gif/gif_read_texts.h"

namespace gif {

namespace {

constexpr int kTableSize = 4096;  // codes are at most 12 bits wide
constexpr int kMaxCodeSize = 12;
// Every table entry's prefix is an older entry, so no string is longer than
// the table; the stack has room to spare.
constexpr int kStackSize = 2 * kTableSize;

// Results of NextCode besides pixels and codes.
constexpr int kNoMoreData = -1;  // the code stream ran out
constexpr int kFrameEnd = -2;    // end code, or a code that ends the frame

class LzwDecoder {
public:
    LzwDecoder(const TDecodeTarget& target, Stream& stream) : target_(target), stream_(stream) {}

    void Run();

private:
    void Warn(const wchar_t* message) {
        if (target_.Warning) target_.Warning(1, message);
    }
    int ReadCodeBits(int width);
    bool RefillByte();
    void ResetTable();
    void GrowCodeSize() {
        if (freeCode_ >= codeCeiling_ && codeSize_ < kMaxCodeSize) {
            codeCeiling_ *= 2;
            ++codeSize_;
        }
    }
    int DecodeNextCode();
    int NextPixel() { return stackTop_ > 0 ? stack_[--stackTop_] : DecodeNextCode(); }
    void SkipRest();

    const TDecodeTarget& target_;
    Stream& stream_;

    int startCodeSize_ = 0;
    int codeSize_ = 0;
    int clearValue_ = 0, endValue_ = 0;
    int freeCode_ = 0, codeCeiling_ = 0;
    int firstPixel_ = 0, previousCode_ = 0;
    uint16_t prefix_[kTableSize];
    uint8_t suffix_[kTableSize];
    uint8_t stack_[kStackSize];
    int stackTop_ = 0;

    // Bit reader: bits not yet used, lowest first, and the current sub-block.
    uint32_t bits_ = 0;
    int bitCount_ = 0;
    uint8_t block_[255];
    int blockLength_ = 0, blockPosition_ = 0;
    bool terminatorSeen_ = false;  // the zero-length block was read
    bool streamEnded_ = false;     // the stream has no more bytes
    bool priming_ = true;
};

// Moves the next data byte into the bit buffer, reading further sub-blocks
// as needed (a code may span several short ones). False at the terminator or
// the end of the stream.
bool LzwDecoder::RefillByte() {
    while (blockPosition_ >= blockLength_) {
        if (terminatorSeen_ || streamEnded_) return false;
        uint8_t length;
        if (stream_.Read(&length, 1) != 1) {
            Warn(txt::GifPrematureEnd);
            streamEnded_ = true;
            return false;
        }
        if (length == 0) {
            terminatorSeen_ = true;
            return false;
        }
        const size_t got = stream_.Read(block_, length);
        if (got < length) {
            Warn(txt::GifPrematureEnd);
            streamEnded_ = true;
        }
        blockLength_ = int(got);
        blockPosition_ = 0;
    }
    bits_ |= uint32_t(block_[blockPosition_++]) << bitCount_;
    bitCount_ += 8;
    return true;
}

int LzwDecoder::ReadCodeBits(int width) {
    if (priming_) {
        // The table is set up before any data is read, so a stream that does
        // not begin with a clear code still decodes.
        priming_ = false;
        return clearValue_;
    }
    while (bitCount_ < width)
        if (!RefillByte()) {
            if (terminatorSeen_) Warn(txt::GifDecoderUnderrun);
            return kNoMoreData;
        }
    const int code = int(bits_ & ((1u << width) - 1));
    bits_ >>= width;
    bitCount_ -= width;
    return code;
}

void LzwDecoder::ResetTable() {
    for (int i = 0; i < clearValue_; ++i) {
        suffix_[i] = uint8_t(i);
        prefix_[i] = 0;
    }
    std::memset(suffix_ + clearValue_, 0, size_t(kTableSize - clearValue_));
    std::memset(prefix_ + clearValue_, 0, sizeof(uint16_t) * size_t(kTableSize - clearValue_));
    codeSize_ = startCodeSize_ + 1;
    codeCeiling_ = 2 * clearValue_;
    freeCode_ = clearValue_ + 2;
    stackTop_ = 0;
}

int LzwDecoder::DecodeNextCode() {
    int code = ReadCodeBits(codeSize_);
    if (code < 0) return code;
    if (code == clearValue_) {
        ResetTable();
        do code = ReadCodeBits(codeSize_);
        while (code == clearValue_);
        if (code < 0) return code;
        // The end code right after a clear is the end, not a pixel.
        if (code == endValue_) return kFrameEnd;
        // With an empty table only single pixels can follow.
        if (code > endValue_) {
            Warn(txt::GifInvalidCode);
            return kFrameEnd;
        }
        firstPixel_ = previousCode_ = code;
        // With a minimum code size of 1 the four codes of the empty table
        // already fill 2 bits: writers widen the codes from the next one on.
        GrowCodeSize();
        return code;
    }
    if (code == endValue_) return kFrameEnd;  // the caller skips to the terminator
    // A code beyond the next free slot names no string; following it would
    // build a chain of prefixes that never ends.
    if (code > freeCode_ || (code == freeCode_ && freeCode_ >= kTableSize)) {
        Warn(txt::GifInvalidCode);
        return kFrameEnd;
    }
    const int incoming = code;
    if (code == freeCode_) {
        stack_[stackTop_++] = uint8_t(firstPixel_);
        code = previousCode_;
    }
    while (code >= clearValue_) {
        if (stackTop_ >= kStackSize - 1 || prefix_[code] == code) RaiseGIFError(txt::GifCircularTableEntry);
        stack_[stackTop_++] = suffix_[code];
        code = prefix_[code];
    }
    firstPixel_ = suffix_[code];
    stack_[stackTop_++] = uint8_t(firstPixel_);
    if (freeCode_ < kTableSize) {
        prefix_[freeCode_] = uint16_t(previousCode_);
        suffix_[freeCode_] = uint8_t(firstPixel_);
        ++freeCode_;
        GrowCodeSize();
    }
    previousCode_ = incoming;
    return stack_[--stackTop_];
}

// After the last pixel: the end code (perhaps after clear codes) is expected;
// anything else is data the frame has no room for. Either way the reader
// moves on to the terminator, so that the next block is read from its start.
void LzwDecoder::SkipRest() {
    if (!terminatorSeen_ && !streamEnded_ && stackTop_ == 0) {
        int code;
        do code = ReadCodeBits(codeSize_);
        while (code == clearValue_);
        if (code >= 0 && code != endValue_) Warn(txt::GifTooMuchImageData);
    } else if (stackTop_ > 0) {
        Warn(txt::GifTooMuchImageData);
    }
    if (!terminatorSeen_ && !streamEnded_) SkipDataSubBlocks(stream_);
}

void LzwDecoder::Run() {
    uint8_t size;
    if (stream_.Read(&size, 1) != 1) return;
    if (size < 1 || size > kMaxCodeSize - 1) {
        SkipDataSubBlocks(stream_);
        RaiseGIFError(txt::GifInvalidCodeSize);
    }
    startCodeSize_ = size;
    clearValue_ = 1 << size;
    endValue_ = clearValue_ + 1;
    ResetTable();

    const int width = target_.Width, height = target_.Height;
    uint8_t* const pixels = target_.Pixels;
    bool ended = false;
    auto fillRow = [&](int y) {
        uint8_t* row = pixels + size_t(y) * size_t(width);
        for (int x = 0; x < width; ++x) {
            const int p = NextPixel();
            if (p < 0) {
                ended = true;
                return;
            }
            row[x] = uint8_t(p);
        }
    };
    try {
        if (!target_.Interlaced) {
            for (int y = 0; y < height && !ended; ++y) fillRow(y);
        } else {
            static const int kStart[4] = {0, 4, 2, 1}, kStep[4] = {8, 8, 4, 2};
            for (int pass = 0; pass < 4 && !ended; ++pass)
                for (int y = kStart[pass]; y < height && !ended; y += kStep[pass]) fillRow(y);
        }
    } catch (...) {
        if (!terminatorSeen_ && !streamEnded_) SkipDataSubBlocks(stream_);
        throw;
    }
    if (ended) {
        if (!terminatorSeen_ && !streamEnded_) SkipDataSubBlocks(stream_);
        return;
    }
    SkipRest();
}

}  // namespace

void SkipDataSubBlocks(Stream& stream) {
    uint8_t length;
    while (stream.Read(&length, 1) == 1 && length != 0) {
        // Read, not seek: a block cut by the end of the stream must leave the
        // position at the end rather than beyond it.
        uint8_t skip[255];
        if (stream.Read(skip, length) != length) return;
    }
}

void DecodeImageData(const TDecodeTarget& target, Stream& stream) {
    if (target.Pixels && target.Width > 0 && target.Height > 0)
        std::memset(target.Pixels, target.Fill, size_t(target.Width) * size_t(target.Height));
    TDecodeTarget checked = target;
    if (!checked.Pixels) checked.Width = checked.Height = 0;
    auto decoder = std::make_unique<LzwDecoder>(checked, stream);
    decoder->Run();
}

}  // namespace gif
