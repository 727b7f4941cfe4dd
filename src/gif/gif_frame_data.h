// One frame of a GIF image as the file holds it: its image descriptor, its
// pixels as one colour index per byte, its local colour map and the extension
// blocks before it; and how it reads and writes itself. Needs no windows.h:
// the frame class (gif_frame.h) adds the rendering and drawing on top.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "gif/gif_colormap.h"
#include "gif/gif_items.h"

namespace gif {

class TGifGraphicControlExtension;

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

// The 10 bytes of an image descriptor, as they lie in the file.
struct TGifImageDescriptor {
    uint8_t Separator = 0x2C;
    uint16_t Left = 0, Top = 0, Width = 0, Height = 0;
    uint8_t PackedFields = 0;
};

class TGifFrameData : public TGifItem {
public:
    explicit TGifFrameData(TGifImageData* image);
    ~TGifFrameData() override;

    int ItemVersion() const override;
    void SaveToStream(Stream& stream) override;
    void LoadFromStream(Stream& stream) override;

    void Reset();
    bool Empty() const;
    // The descriptor, pixels, local map and extensions of another frame.
    void AssignData(const TGifFrameData& source);

    int Left() const { return Descriptor.Left; }
    int Top() const { return Descriptor.Top; }
    int Width() const { return Descriptor.Width; }
    int Height() const { return Descriptor.Height; }
    void SetLeft(int value);
    void SetTop(int value);
    void SetWidth(int value);
    void SetHeight(int value);
    // Raises "Invalid image dimensions" for what a descriptor cannot hold.
    void SetBounds(int left, int top, int width, int height);
    bool Interlaced() const { return (Descriptor.PackedFields & 0x40) != 0; }
    void SetInterlaced(bool on);

    uint8_t Pixel(int x, int y) const;
    uint8_t* Row(int y);
    const uint8_t* Data() const { return Pixels.get(); }
    int PixelCount() const { return PixelTotal; }

    int BitsPerPixel() const { return LocalMap.TableBitDepth(); }
    int ColorResolution() const { return BitsPerPixel() - 1; }
    TGifColorMap* ActiveColorMap();
    TGifLocalColorMap& ColorMap() { return LocalMap; }
    const TGifLocalColorMap& ColorMap() const { return LocalMap; }
    TGifExtensionList& Extensions() { return ExtensionList; }
    const TGifExtensionList& Extensions() const { return ExtensionList; }

    bool Transparent() const { return IsTransparent; }
    void SetTransparentFlag(bool on) { IsTransparent = on; }
    int TransparentIndex() const;  // -1 when not transparent
    TGifGraphicControlExtension* GraphicControlExtension() const { return ControlExtension; }
    void SetGraphicControlExtension(TGifGraphicControlExtension* extension) { ControlExtension = extension; }
    int Disposal() const;

    // Used by the colour maps.
    void CountPixelUsage(std::vector<int>& usage) const;
    void RemapPixelIndices(const std::vector<uint8_t>& translation);

    // Writes the pixels as LZW (or run-length) image data.
    void CompressFrameData(Stream& stream);
    // Drops the columns and rows at the edges that hold only the transparent
    // index; a frame transparent everywhere becomes empty.
    void Crop();

    // What the frame has made from its pixels and colours (a rendering, a
    // palette) no longer holds; nothing here, the frame class drops its
    // bitmaps and palettes.
    virtual void FreeBitmap() {}
    virtual void DropCachedPalette() {}

protected:
    // Called when the frame has read its image.
    virtual void FrameLoaded() {}
    void NewPixelBuffer();
    void GrowOwnerScreen();

    std::unique_ptr<uint8_t[]> Pixels;
    int PixelTotal = 0;
    TGifLocalColorMap LocalMap;
    TGifImageDescriptor Descriptor;
    TGifExtensionList ExtensionList;
    bool IsTransparent = false;
    TGifGraphicControlExtension* ControlExtension = nullptr;

private:
    void SetPixelTotal(int total);
};

// Fills the frame's pixels from LZW image data (the stream positioned just
// after the descriptor and local colour table).
void DecodeFrameData(TGifFrameData& frame, Stream& stream);

}  // namespace gif
