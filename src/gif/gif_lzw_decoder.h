// The LZW decoder: turns a frame's table-based image data (minimum code size
// byte, data sub-blocks, terminator) back into one colour index per byte.
// Needs no windows.h; the frame class feeds it through DecodeFrameData.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "gif/gif_stream.h"

namespace gif {

// Where the decoded pixels go.
struct TDecodeTarget {
    uint8_t* Pixels = nullptr;  // Width x Height bytes, row after row
    int Width = 0;
    int Height = 0;
    bool Interlaced = false;
    uint8_t Fill = 0;  // what pixels the data never reaches keep
    // Problems the decoder can live with.
    std::function<void(int severity, const std::wstring& message)> Warning;
};

// Decodes the image data at the stream's position into the target. Always
// leaves the stream just after the data's terminator (or at its end): codes
// beyond the last pixel are skipped, and a code stream that ends early leaves
// the remaining pixels at the fill value. Raises EGifError for a minimum code
// size outside 1 to 11, and for a short read of a data block's bytes.
void DecodeImageData(const TDecodeTarget& target, Stream& stream);

// Skips data sub-blocks up to and including the zero-length terminator, or to
// the end of the stream.
void SkipDataSubBlocks(Stream& stream);

}  // namespace gif
