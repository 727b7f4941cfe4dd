// The table-based image data of one frame: the LZW minimum code size byte,
// the variable-width code stream (least significant bit first) cut into data
// sub-blocks of at most 255 bytes, and the zero-length terminator.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "gif/gif_stream.h"

namespace gif {

using WarningHandler = std::function<void(int severity, const std::wstring& message)>;

// A stream stand-in that only the sub-block writer may write to; anything
// else raises "Invalid stream operation".
class TGifStream : public Stream {
public:
    explicit TGifStream(Stream& target) : Target(target) {}
    size_t Read(void* buffer, size_t count) override;
    size_t Write(const void* buffer, size_t count) override;
    int64_t Seek(int64_t offset, SeekOrigin origin) override;

    WarningHandler OnWarning;
    // Offered for progress reports; nothing assigns it.
    std::function<void(int, int)> OnProgress;
    void Progress(int a, int b) {
        if (OnProgress) OnProgress(a, b);
    }

protected:
    Stream& Target;
    uint8_t Buffer[256];  // [0] length, [1..255] data
    int FillPosition = 1;
};

class TGifWriter : public TGifStream {
public:
    explicit TGifWriter(Stream& target) : TGifStream(target) {}
    // Writes the last, partly filled sub-block (when one is pending). Errors
    // at this point cannot be reported; call FlushBlock first on the normal
    // path.
    ~TGifWriter() override;
    size_t Write(const void* data, size_t count) override;
    void WriteOne(uint8_t value) {
        BlockPending = true;
        Buffer[FillPosition++] = value;
        if (FillPosition == 256) FlushBlock();
    }
    void FlushBlock();

private:
    bool BlockPending = false;
};

// The LZW string table: 8009 slots of (key << 12 | code), key = prefix << 8 |
// pixel; a slot is free when its top 20 bits are all ones.
class THashTable {
public:
    static constexpr int kSlots = 8009;
    THashTable();
    void Reset();
    // False when the probe sequence found no free slot (the string is then
    // not stored).
    bool StoreCode(uint32_t key, int code);
    int FindCode(uint32_t key) const;  // -1 when absent

private:
    static uint32_t Hash(uint32_t key) { return (key ^ (key >> 4)) % kSlots; }
    static uint32_t NextSlot(uint32_t h) { return h == 0 ? kSlots - 1 : (2 * h) % kSlots; }
    std::unique_ptr<uint32_t[]> Slots;
};

class TGifEncoder {
public:
    virtual ~TGifEncoder() = default;
    // Writes the whole table-based image data of one frame. Raises EGifError
    // "Color not in color table" for an index >= colorCount.
    void Encode(Stream& target, uint8_t bitsPerPixel, int colorCount, const uint8_t* pixelData, bool interlaced,
                int rowCount, int rowLength);

    WarningHandler OnWarning;

protected:
    virtual void EmitCode(int code);
    virtual void EmitClear();
    virtual void CompressPixels() = 0;
    // Next pixel in file order, or -1 when the frame is done.
    int NextPixel();
    int FirstPixel() { return *PixelCursor; }

    int ColorCount = 0;
    uint8_t MinCodeSize = 0;
    Stream* Target = nullptr;
    int RowLength = 0, RowCount = 0;
    bool InterlacedOrder = false;
    const uint8_t* PixelData = nullptr;
    TGifWriter* BlockWriter = nullptr;
    uint32_t BitAccumulator = 0;
    int BitsHeld = 0;
    bool ClearPending = false;
    int CodeWidth = 0;
    int StartWidth = 0;
    int CodeLimit = 0;
    int ClearCodeValue = 0, EndCodeValue = 0, FirstFreeCode = 0;
    const uint8_t* PixelCursor = nullptr;
    int64_t PixelsLeft = 0;
    int CurrentRow = 0, CurrentPass = 0;
};

class TLZWEncoder : public TGifEncoder {
protected:
    void EmitCode(int code) override;
    void EmitClear() override;
    void CompressPixels() override;

private:
    // One LZW step: extends the current string by pixel or emits it.
    void AddPixel(THashTable& table, int pixel, int limit);

    int CurrentString = 0;
    int NextCode = 0;
    THashTable* StringTable = nullptr;
    // Per code, the extension by one pixel last found or stored in the table
    // ((pixel + 1) << 12 | code, 0 for none), so that runs and repeated
    // patterns skip the hash probes. The table's entries never change until
    // a clear, which empties this too; the codes written are the same.
    uint32_t* Extensions = nullptr;
};

// A run-length coder whose output any GIF decoder reads: literal codes and
// codes the decoder's own table will hold as runs of one pixel value.
class TRLEEncoder : public TGifEncoder {
protected:
    void EmitClear() override;
    void CompressPixels() override;

private:
    void Output(int code);
    void FlushRun(int n);
    void FreshTableRun(int n);
    void TableRun(int n);
    int TriangularCount(int n) const;

    int CodeRoom = 0, BumpStart = 0, ClearStart = 0, RunPixel = -1, RunTableTop = 0, RunTablePixel = 0;
    int CodesSinceClear = 0, ClearAt = 0, BumpAt = 0;
};

}  // namespace gif
