// One frame of a GIF image: its image descriptor, its pixels as one colour
// index per byte, its local colour map and the extension blocks before it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "gif/gif_codec.h"
#include "gif/gif_colormap.h"
#include "gif/gif_graphic.h"
#include "gif/gif_reduce.h"

namespace gif {

class TGifGraphicControlExtension;

// The 10 bytes of an image descriptor, as they lie in the file.
struct TGifImageDescriptor {
    uint8_t Separator = 0x2C;
    uint16_t Left = 0, Top = 0, Width = 0, Height = 0;
    uint8_t PackedFields = 0;
};

class TGifFrame : public TGifItem {
public:
    explicit TGifFrame(TGifPicture* image);
    ~TGifFrame() override;

    // Assignment by kind of source.
    void Assign(const TGifFrame* source);  // null: reset
    void Assign(const ui::Bitmap& bitmap);
    void Assign(const TGraphic* graphic);  // null: reset; any graphic is drawn or converted
    void Assign(const TPicture& picture);
    // A bitmap receives the frame's rendering.
    void AssignTo(ui::Bitmap& destination);

    int ItemVersion() const override;
    void SaveToStream(Stream& stream) override;
    void LoadFromStream(Stream& stream) override;

    void Reset();
    bool Empty() const;

    int Left() const { return Descriptor.Left; }
    int Top() const { return Descriptor.Top; }
    int Width() const { return Descriptor.Width; }
    int Height() const { return Descriptor.Height; }
    void SetLeft(int value);
    void SetTop(int value);
    void SetWidth(int value);
    void SetHeight(int value);
    void SetBounds(const RECT& bounds);
    RECT BoundsRect() const;
    const TGifImageDescriptor& ImageDescriptor() const { return Descriptor; }
    bool Interlaced() const { return (Descriptor.PackedFields & 0x40) != 0; }
    void SetInterlaced(bool on);

    uint8_t Pixel(int x, int y) const;
    uint8_t* Row(int y);
    const uint8_t* Data() const { return Pixels.get(); }
    int PixelCount() const { return PixelTotal; }

    HPALETTE Palette();
    void SetPalette(HPALETTE palette);  // takes ownership
    const ui::Bitmap* Bitmap();         // renders on demand; null for none
    bool HasMask() const { return Mask != nullptr; }
    HBITMAP MaskHandle() const { return Mask; }

    void Draw(HDC dc, const RECT& rect, bool tile, bool transparent);
    void StretchDraw(HDC dc, const RECT& rect, bool transparent) { Draw(dc, rect, false, transparent); }
    // The frame's place in the logical screen, scaled into rect.
    RECT ScaleRect(const RECT& rect) const;
    void Crop();
    void Merge(TGifFrame* previous);

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
    void DropCachedPalette();

    // Writes the pixels as LZW (or run-length) image data.
    void CompressFrameData(Stream& stream);
    // Frees the rendering and its mask (the pixels stay).
    void FreeBitmap();

private:
    void NewPixelBuffer();
    void GrowOwnerScreen();
    void ImportBitmap(const ui::Bitmap& bitmap);
    // mask: width x height bytes, non-zero = transparent.
    void ApplyMask(const std::vector<uint8_t>& mask);
    void Render();
    void ReportProgress(TProgressStage stage, int percent, bool redraw, const wchar_t* message);

    std::unique_ptr<ui::Bitmap> RenderedBitmap;
    HBITMAP Mask = nullptr;
    bool MaskNeeded = true;
    HPALETTE CachedPalette = nullptr;
    HPALETTE RenderedPalette = nullptr;  // made from RenderedBitmap's colour table
    std::unique_ptr<uint8_t[]> Pixels;
    int PixelTotal = 0;
    TGifLocalColorMap LocalMap;
    TGifImageDescriptor Descriptor;
    TGifExtensionList ExtensionList;
    bool IsTransparent = false;
    TGifGraphicControlExtension* ControlExtension = nullptr;
};

// Fills the frame's pixels from LZW image data (the stream positioned just
// after the descriptor and local colour table). Provided by the decoder.
void DecodeFrameData(TGifFrame& frame, Stream& stream);

}  // namespace gif
