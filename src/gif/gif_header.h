// The first block of every GIF file: signature and version, the logical
// screen descriptor, and the global colour table when there is one. Needs no
// windows.h.
#pragma once

#include <cstdint>

#include "gif/gif_colormap.h"
#include "gif/gif_items.h"

namespace gif {

// 0 unknown, 1 "87a", 2 "89a".
using TGifVersion = int;
constexpr TGifVersion kGifVersionUnknown = 0, kGifVersion87a = 1, kGifVersion89a = 2;
extern const char* const GifVersionTexts[2];  // "87a", "89a", picked by version - 1

// Reads the six signature bytes ("GIF87a", any case) into signature; some
// writers put four bytes in front, which are skipped. Raises EGifError
// "Invalid signature" otherwise.
void ReadGifSignature(Stream& stream, uint8_t signature[6]);

class TGifHeader : public TGifItem {
public:
    explicit TGifHeader(TGifImageData* image);
    ~TGifHeader() override;

    void Assign(const TGifHeader& source);
    void Assign(const TGifColorMap& source);
    int ItemVersion() const override;
    void SaveToStream(Stream& stream) override;
    void LoadFromStream(Stream& stream) override;

    void ResetHeader();
    // Recomputes the packed byte from the image (map flag, sort flag, colour
    // resolution, size field), as it is written.
    void PreparePackedFields();
    TGifColorValue BackgroundColorValue();
    int HeaderBitDepth() const { return GlobalMap.TableBitDepth(); }
    int ResolutionBits() const { return HeaderBitDepth() - 1; }

    TGifGlobalColorMap& ColorMap() { return GlobalMap; }
    const TGifGlobalColorMap& ColorMap() const { return GlobalMap; }

    uint16_t ScreenWidth = 0;
    uint16_t ScreenHeight = 0;
    uint8_t PackedFields = 0;
    uint8_t BackgroundIndex = 0;
    uint8_t AspectRatio = 0;

private:
    TGifGlobalColorMap GlobalMap;
};

// The one-byte end of the file.
class TGifTrailer : public TGifItem {
public:
    explicit TGifTrailer(TGifImageData* image) : TGifItem(image) {}
    void SaveToStream(Stream& stream) override;
    void LoadFromStream(Stream& stream) override;
};

}  // namespace gif
