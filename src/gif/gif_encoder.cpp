#include "gif/gif_encoder.h"

#include <algorithm>
#include <cstring>

#include "gif/gif_texts.h"

namespace gif {

// ---------------------------------------------------------------------------
// Block streams

size_t TGifStream::Read(void*, size_t) { throw EGifError(txt::GifInvalidStreamOperation); }
size_t TGifStream::Write(const void*, size_t) { throw EGifError(txt::GifInvalidStreamOperation); }
int64_t TGifStream::Seek(int64_t, SeekOrigin) { throw EGifError(txt::GifInvalidStreamOperation); }

TGifWriter::~TGifWriter() {
    if (!BlockPending) return;
    try {
        FlushBlock();
    } catch (...) {
        // The save is failing already; the caller reports that.
    }
}

size_t TGifWriter::Write(const void* data, size_t count) {
    const auto* p = static_cast<const uint8_t*>(data);
    size_t left = count;
    while (left > 0) {
        const size_t n = std::min(size_t(256 - FillPosition), left);
        std::memcpy(Buffer + FillPosition, p, n);
        BlockPending = true;
        FillPosition += int(n);
        p += n;
        left -= n;
        if (FillPosition == 256) FlushBlock();
    }
    return count;
}

void TGifWriter::FlushBlock() {
    // An empty buffer would make a zero-length block, which readers take for
    // the terminator: never write one.
    if (FillPosition > 1) {
        Buffer[0] = uint8_t(FillPosition - 1);
        const size_t n = size_t(FillPosition);
        FillPosition = 1;
        BlockPending = false;
        Target.WriteBuffer(Buffer, n);
    }
    FillPosition = 1;
    BlockPending = false;
}

// ---------------------------------------------------------------------------
// String table

THashTable::THashTable() : Slots(new uint32_t[kSlots]) { Reset(); }

void THashTable::Reset() { std::memset(Slots.get(), 0xFF, sizeof(uint32_t) * kSlots); }

// The probe sequence h, 2h, 4h, ... (mod 8009) runs through at most 4004
// slots before it repeats (2 has that order modulo 8009). With a code size of
// 2 up to 4089 strings are stored, so in theory one such cycle can fill up;
// both walks therefore stop after a full round instead of circling for ever.
// A string that finds no room is simply not stored: the encoder then never
// refers to it, and the decoder's table stays in step because it is built
// from the codes written, not from this table.
bool THashTable::StoreCode(uint32_t key, int code) {
    uint32_t h = Hash(key);
    for (int probes = 0; probes < kSlots; ++probes) {
        if ((Slots[h] >> 12) == 0xFFFFF) {
            Slots[h] = (key << 12) | (uint32_t(code) & 0xFFF);
            return true;
        }
        h = NextSlot(h);
    }
    return false;
}

int THashTable::FindCode(uint32_t key) const {
    uint32_t h = Hash(key);
    for (int probes = 0; probes < kSlots; ++probes) {
        const uint32_t slot = Slots[h];
        if ((slot >> 12) == 0xFFFFF) return -1;
        if ((slot >> 12) == key) return int(slot & 0xFFF);
        h = NextSlot(h);
    }
    return -1;
}

// ---------------------------------------------------------------------------
// Encoder base

void TGifEncoder::Encode(Stream& target, uint8_t bitsPerPixel, int colorCount, const uint8_t* pixelData,
                         bool interlaced, int rowCount, int rowLength) {
    Target = &target;
    // Pixels are bytes and the code stream starts one bit wider than the
    // minimum code size: keep that size within 2..8 whatever the caller says.
    MinCodeSize = uint8_t(std::clamp<int>(bitsPerPixel, 2, 8));
    // An index at or above the clear code would be read as a control code, so
    // such a pixel is "not in the colour table" even when the map is larger
    // than the code size announces.
    ColorCount = std::min(colorCount, 1 << MinCodeSize);
    PixelData = pixelData;
    InterlacedOrder = interlaced;
    RowCount = rowCount;
    RowLength = rowLength;

    WriteByte(target, MinCodeSize);

    StartWidth = MinCodeSize + 1;
    CodeWidth = StartWidth;
    CodeLimit = (1 << CodeWidth) - 1;
    ClearCodeValue = 1 << MinCodeSize;
    EndCodeValue = ClearCodeValue + 1;
    FirstFreeCode = ClearCodeValue + 2;
    BitAccumulator = 0;
    BitsHeld = 0;
    ClearPending = false;

    PixelsLeft = interlaced ? int64_t(RowLength) : int64_t(RowLength) * RowCount;
    CurrentRow = 0;
    CurrentPass = 0;
    PixelCursor = PixelData;

    TGifWriter writer(target);
    writer.OnWarning = OnWarning;
    BlockWriter = &writer;
    try {
        if (PixelData && RowCount > 0 && RowLength > 0) CompressPixels();
        EmitCode(EndCodeValue);
        writer.FlushBlock();
    } catch (...) {
        BlockWriter = nullptr;
        throw;  // the writer's destructor still hands over what it holds
    }
    BlockWriter = nullptr;
    WriteByte(target, 0);  // block terminator
}

void TGifEncoder::EmitCode(int code) {
    if (BitsHeld > 0)
        BitAccumulator = (BitAccumulator & ((1u << BitsHeld) - 1)) | (uint32_t(code) << BitsHeld);
    else
        BitAccumulator = uint32_t(code);
    BitsHeld += CodeWidth;
    while (BitsHeld >= 8) {
        BlockWriter->WriteOne(uint8_t(BitAccumulator));
        BitAccumulator >>= 8;
        BitsHeld -= 8;
    }
    if (code == EndCodeValue) {
        while (BitsHeld > 0) {
            BlockWriter->WriteOne(uint8_t(BitAccumulator));
            BitAccumulator >>= 8;
            BitsHeld -= 8;
        }
        BitsHeld = 0;
    }
}

void TGifEncoder::EmitClear() {
    ClearPending = true;
    EmitCode(ClearCodeValue);
}

int TGifEncoder::NextPixel() {
    if (--PixelsLeft >= 1) return *++PixelCursor;
    if (!InterlacedOrder) return -1;
    PixelsLeft = RowLength;
    // Rows of the four passes: 0, 8, 16, ...; 4, 12, ...; 2, 6, ...; 1, 3, ...
    static const int kStart[4] = {0, 4, 2, 1};
    static const int kStep[4] = {8, 8, 4, 2};
    CurrentRow += kStep[CurrentPass];
    while (CurrentRow >= RowCount) {
        if (++CurrentPass >= 4) return -1;
        CurrentRow = kStart[CurrentPass];
    }
    PixelCursor = PixelData + size_t(CurrentRow) * size_t(RowLength);
    return *PixelCursor;
}

// ---------------------------------------------------------------------------
// LZW

void TLZWEncoder::EmitCode(int code) {
    TGifEncoder::EmitCode(code);
    if (NextCode > CodeLimit || ClearPending) {
        if (ClearPending) {
            CodeWidth = StartWidth;
            CodeLimit = (1 << StartWidth) - 1;
            ClearPending = false;
        } else {
            ++CodeWidth;
            CodeLimit = CodeWidth == 12 ? 4096 : (1 << CodeWidth) - 1;
        }
    }
}

void TLZWEncoder::EmitClear() {
    TGifEncoder::EmitClear();
    StringTable->Reset();
    std::memset(Extensions, 0, sizeof(uint32_t) * 4096);
    NextCode = ClearCodeValue + 2;
}

inline void TLZWEncoder::AddPixel(THashTable& table, int pixel, int limit) {
    if (pixel >= limit) RaiseGIFError(txt::GifColorNotInTable);
    const int prefix = CurrentString;
    const uint32_t tag = uint32_t(pixel + 1) << 12;
    const uint32_t known = Extensions[prefix];
    if ((known & ~0xFFFu) == tag) {
        CurrentString = int(known & 0xFFF);
        return;
    }
    const uint32_t key = (uint32_t(prefix) << 8) | uint32_t(pixel);
    const int code = table.FindCode(key);
    if (code >= 0) {
        Extensions[prefix] = tag | uint32_t(code);
        CurrentString = code;
        return;
    }
    EmitCode(prefix);
    CurrentString = pixel;
    if (NextCode >= 4095) {
        EmitClear();
    } else {
        if (table.StoreCode(key, NextCode)) Extensions[prefix] = tag | uint32_t(NextCode);
        ++NextCode;
    }
}

void TLZWEncoder::CompressPixels() {
    THashTable table;
    StringTable = &table;
    std::unique_ptr<uint32_t[]> extensions(new uint32_t[4096]);
    Extensions = extensions.get();
    try {
        EmitClear();
        CurrentString = FirstPixel();
        if (CurrentString >= ColorCount) RaiseGIFError(txt::GifColorNotInTable);
        const int limit = ColorCount;
        if (!InterlacedOrder) {
            // The same walk as NextPixel, without its per-pixel bookkeeping.
            const uint8_t* p = PixelCursor + 1;
            const uint8_t* const end = PixelData + size_t(PixelsLeft);
            for (; p < end; ++p) {
                AddPixel(table, *p, limit);
            }
            PixelsLeft = 0;
        } else {
            for (int pixel = NextPixel(); pixel >= 0; pixel = NextPixel()) {
                AddPixel(table, pixel, limit);
            }
        }
        EmitCode(CurrentString);
    } catch (...) {
        StringTable = nullptr;
        Extensions = nullptr;
        throw;
    }
    StringTable = nullptr;
    Extensions = nullptr;
}

// ---------------------------------------------------------------------------
// Run-length coder

void TRLEEncoder::EmitClear() {
    BumpAt = BumpStart;
    ClearAt = ClearStart;
    CodesSinceClear = 0;
    RunTableTop = 0;
    TGifEncoder::EmitClear();
    CodeWidth = StartWidth;
}

void TRLEEncoder::Output(int code) {
    ClearPending = false;
    TGifEncoder::EmitCode(code);
    ++CodesSinceClear;
    if (CodesSinceClear >= BumpAt) {
        const int oldWidth = CodeWidth;
        ++CodeWidth;
        BumpAt += 1 << oldWidth;
    }
    if (CodesSinceClear >= ClearAt) EmitClear();
}

int TRLEEncoder::TriangularCount(int n) const {
    const int64_t m = CodeRoom;
    const int64_t t = m * (m + 1) / 2;
    int64_t count = 0;
    int64_t rest = n;
    while (rest >= t) {
        rest -= t;
        count += m;
    }
    if (rest > 0) {
        // Integer square root by Newton's iteration from a power of two.
        int64_t x = 1;
        while (x * x < rest) x <<= 1;
        for (;;) {
            const int64_t y = (x + rest / x) / 2;
            if (y >= x) break;
            x = y;
        }
        int64_t b = x;
        while (b > 0 && b * (b + 1) >= 2 * rest) --b;
        while (b * (b + 1) < 2 * rest) ++b;
        count += b;
    }
    return int(count);
}

void TRLEEncoder::FreshTableRun(int n) {
    ClearAt = CodeRoom;
    RunTablePixel = RunPixel;
    int k = 1;
    while (n > 0) {
        if (k == 1) {
            RunTableTop = 1;
            Output(RunPixel);
            n -= 1;
        } else if (n >= k) {
            RunTableTop = k;
            Output(FirstFreeCode + k - 2);
            n -= k;
        } else {
            ++RunTableTop;
            Output(n == 1 ? RunPixel : FirstFreeCode + n - 2);
            n = 0;
        }
        k = CodesSinceClear == 0 ? 1 : k + 1;
    }
    ClearAt = ClearStart;
    if (CodesSinceClear >= ClearAt) EmitClear();
}

void TRLEEncoder::TableRun(int n) {
    int q = n / RunTableTop;
    int r = n % RunTableTop;
    int extra = r > 0 ? 1 : 0;
    if (CodesSinceClear + q + extra > CodeRoom) {
        q = CodeRoom - CodesSinceClear;
        r = n - RunTableTop * q;
        extra = TriangularCount(r) + 1;
    }
    if (TriangularCount(n) + 1 < q + extra) {
        EmitClear();
        FreshTableRun(n);
        return;
    }
    ClearAt = CodeRoom;
    for (; q > 0; --q) Output(FirstFreeCode + RunTableTop - 2);
    if (r > 0) {
        if (ClearPending)
            FreshTableRun(r);
        else
            Output(r == 1 ? RunPixel : FirstFreeCode + r - 2);
    }
    ClearAt = ClearStart;
    if (CodesSinceClear >= ClearAt) EmitClear();
}

void TRLEEncoder::FlushRun(int n) {
    if (n == 1) {
        Output(RunPixel);
    } else if (ClearPending) {
        FreshTableRun(n);
    } else if (RunTableTop > 1 && RunTablePixel == RunPixel) {
        TableRun(n);
    } else if (TriangularCount(n) + 1 < n) {
        EmitClear();
        FreshTableRun(n);
    } else {
        for (; n > 0; --n) Output(RunPixel);
    }
}

void TRLEEncoder::CompressPixels() {
    BumpStart = ClearCodeValue - 1;
    ClearStart = MinCodeSize > 3 ? ClearCodeValue - 2 : 9;
    CodeRoom = 4095 - FirstFreeCode;
    EmitClear();
    RunPixel = -1;
    int run = 0;
    for (int pixel = FirstPixel(); pixel >= 0; pixel = NextPixel()) {
        if (pixel >= ColorCount) RaiseGIFError(txt::GifColorNotInTable);
        if (run > 0 && pixel != RunPixel) {
            FlushRun(run);
            run = 0;
        }
        if (run > 0) {
            ++run;
        } else {
            RunPixel = pixel;
            run = 1;
        }
    }
    if (run > 0) FlushRun(run);
}

}  // namespace gif
