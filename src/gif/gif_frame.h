// One frame of a GIF image: what the file holds of it (gif_frame_data.h),
// and what the platform makes of it: the frame imported from a bitmap, its
// rendering, palette and transparency mask, and drawing it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "gif/gif_codec.h"
#include "gif/gif_frame_data.h"
#include "gif/gif_graphic.h"
#include "gif/gif_reduce.h"

namespace gif {

class TGifPicture;

class TGifFrame : public TGifFrameData {
public:
    explicit TGifFrame(TGifPicture* image);
    ~TGifFrame() override;

    TGifPicture* Picture() const;

    // Assignment by kind of source.
    void Assign(const TGifFrame* source);  // null: reset
    void Assign(const ui::Bitmap& bitmap);
    void Assign(const TGraphic* graphic);  // null: reset; any graphic is drawn or converted
    void Assign(const TPicture& picture);
    // A bitmap receives the frame's rendering.
    void AssignTo(ui::Bitmap& destination);

    using TGifFrameData::SetBounds;
    void SetBounds(const RECT& bounds);
    RECT BoundsRect() const;

    HPALETTE Palette();
    void SetPalette(HPALETTE palette);  // takes ownership
    const ui::Bitmap* Bitmap();         // renders on demand; null for none
    bool HasMask() const { return Mask != nullptr; }

    void Draw(HDC dc, const RECT& rect, bool tile, bool transparent);
    void StretchDraw(HDC dc, const RECT& rect, bool transparent) { Draw(dc, rect, false, transparent); }
    // The frame's place in the logical screen, scaled into rect.
    RECT ScaleRect(const RECT& rect) const;
    void Merge(TGifFrame* previous);

    // Frees the rendering and its mask (the pixels stay).
    void FreeBitmap() override;
    void DropCachedPalette() override;
    // Frees everything made from the pixels and colours that can be made
    // again: the rendering, its mask and the palettes (the first frame keeps
    // its palette, which the image hands out as its own).
    void ReleaseRendering();

private:
    void FrameLoaded() override;
    void KeepRendering(std::unique_ptr<ui::Bitmap> bitmap);
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
};

}  // namespace gif
