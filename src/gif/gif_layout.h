// A GIF file's blocks as plain data, read without the object model and
// without windows.h: the header, each frame's extension blocks, descriptor,
// colour table and decoded pixels. It follows the same rules as the image
// classes' loader (same limits, same errors, same warnings), so the native
// build can check and fuzz the reading of whole files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "gif/gif_stream.h"

namespace gif {

// No frame and no logical screen may hold more pixels than this (8192 x 8192):
// a 30-byte file can declare 65535 x 65535, which would take 4 GB before a
// single code is read. The largest screen captures stay well below it.
constexpr int64_t kMaxImagePixels = int64_t(1) << 26;
// Nor may all frames of one image together hold more than this (256 MB of
// indices): a small file can declare many large frames.
constexpr int64_t kMaxTotalPixels = int64_t(1) << 28;
// Raises EGifError "Image is too large" when a frame (or screen) of this size
// exceeds the cap, or would bring the pixels held so far above the total.
void CheckImageSize(int width, int height, int64_t pixelsHeld = 0);

// Reads the six signature bytes ("GIF87a", any case) into signature; some
// writers put four bytes in front, which are skipped. Raises EGifError
// "Invalid signature" otherwise.
void ReadGifSignature(Stream& stream, uint8_t signature[6]);

struct TGifLayoutExtension {
    uint8_t Label = 0;
    std::vector<uint8_t> Fixed;               // the bytes before any sub-blocks
    std::vector<std::vector<uint8_t>> Blocks;  // data sub-blocks in order
    int LoopCount = -1;                        // looping blocks: the count read
};

struct TGifLayoutFrame {
    std::vector<TGifLayoutExtension> Extensions;
    bool HasImage = false;
    uint16_t Left = 0, Top = 0, Width = 0, Height = 0;
    uint8_t PackedFields = 0;
    std::vector<uint8_t> LocalTable;  // 3 bytes per colour
    std::vector<uint8_t> Pixels;      // Width x Height indices
};

struct TGifLayout {
    std::string Signature;  // six characters
    uint16_t ScreenWidth = 0, ScreenHeight = 0;
    uint8_t PackedFields = 0, BackgroundIndex = 0, AspectRatio = 0;
    std::vector<uint8_t> GlobalTable;
    std::vector<TGifLayoutFrame> Frames;
    bool Trailer = false;
    std::vector<std::wstring> Warnings;
};

// Reads a whole file; raises EGifError (and the stream's errors) as the image
// classes do.
TGifLayout ReadGifLayout(Stream& stream);

}  // namespace gif
