// The GIF image class: the file's header and frames (gif_image_data.h), and
// the options that govern conversion, encoding and painting. Registered with
// the picture registry under "GIF" and under a clipboard format of its own.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "gif/gif_codec.h"
#include "gif/gif_frame.h"
#include "gif/gif_graphic.h"
#include "gif/gif_header.h"
#include "gif/gif_image_data.h"
#include "gif/gif_painter.h"
#include "gif/gif_reduce.h"

namespace gif {

// Bits of PaintFlags.
enum TPaintFlag : uint16_t {
    RunInThread = 1 << 0,
    HonourTransparency = 1 << 1,
    Animate = 1 << 2,
    Repeat = 1 << 3,
    RepeatForever = 1 << 4,
    CheckCanvas = 1 << 5,
    PaintDirect = 1 << 6,
    ClearOnRepeat = 1 << 7,
    TileArea = 1 << 8,
    DitherToDisplay = 1 << 9,
    DitherOnLowColour = 1 << 10,
};

// Options of OptimiseFrames.
enum TOptimiseOption : int {
    ooCrop = 1,
    ooMerge = 2,
    ooCleanup = 4,
    ooColorMap = 8,
    ooReduceColors = 16,
};

constexpr COLORREF clNone = 0x1FFFFFFF;

// Unit-level defaults copied into every new image, and unit state.
struct TGifDefaults {
    uint16_t PaintFlags = 0x060F;
    TReductionMethod Reduction = 6;
    int ReductionBitCount = 8;
    TDiffusionKind Diffusion = 0;
    uint8_t EncoderKind = 0;
    int PainterPriority = 3;
    int AnimationPercent = 100;
};
extern TGifDefaults GifDefaults;
extern bool LowColourDisplay;
extern bool RenderAfterLoad;
extern bool OptimiseOnPropertyWrite;
extern UINT GifClipboardFormat;

class TGifPicture : public TGraphic, public TGifImageData {
public:
    TGifPicture();
    ~TGifPicture() override;

    // Graphic operations.
    void AssignTo(ui::Bitmap& destination) const override;
    void Assign(const TGraphic* source) override;
    void Assign(const ui::Bitmap& bitmap);
    void Assign(const TPicture& picture);
    void Draw(HDC dc, const RECT& rect) const override;
    bool Equals(const TGraphic* other) const override { return other == this; }
    bool GetEmpty() const override { return FrameCount() == 0; }
    int GetHeight() const override { return ScreenHeight(); }
    int GetWidth() const override { return ScreenWidth(); }
    HPALETTE GetPalette() override;
    void SetHeight(int value) override;
    void SetPalette(HPALETTE palette) override;  // takes ownership
    void SetWidth(int value) override;
    void WriteData(Stream& stream) override;
    void LoadFromStream(Stream& stream) override;
    void SaveToStream(Stream& stream) override;
    void LoadFromClipboardFormat(UINT format, HANDLE data, HPALETTE palette) override;
    void SaveToClipboardFormat(UINT& format, HANDLE& data, HPALETTE& palette) override;
    void Progress(const void* sender, TProgressStage stage, int percent, bool redrawNow,
                  const std::wstring& message) override;
    std::unique_ptr<TGifFrameData> NewFrame() override;
    void GlobalPaletteChanged() override;
    void FreeRenderedBitmap() override;

    int AddFrame(const TGraphic* graphic);
    int AddFrame(const ui::Bitmap& bitmap);
    int AddFrame(std::unique_ptr<TGifFrame> frame);
    void ResetImage();
    // The first frame as a bitmap of the logical screen's size (cached).
    const ui::Bitmap* CompositeBitmap();
    void OptimiseFrames(int options, TReductionMethod reduction, int bits, TDiffusionKind diffusion);
    // Painting (see gif_painter.h). StartPainter returns a threaded painter,
    // which the caller resumes; a painter in the caller's thread has run to
    // its end and gone when StartPainter returns, which then gives null.
    TGifAnimator* StartPainter(TGifAnimator** ownerReference, HDC canvas, uint16_t paintFlags, const RECT& rect);
    void StopPainters();
    void StopForegroundPainter();

    TGifFrame* Frame(int index) const { return static_cast<TGifFrame*>(TGifImageData::Frame(index)); }
    // Frames are rendered dithered to the web-safe palette.
    bool RendersDithered() const;
    // GetPalette is running (it asks the first frame, which may ask back).
    bool PaletteQueryRunning() const { return InPaletteQuery; }
    // The frames that hold a rendering, oldest first: a frame that renders
    // itself comes last, and the oldest ones are freed beyond a few.
    void FrameRendered(TGifFrame* frame);
    void FrameReleased(TGifFrame* frame);

    uint16_t PaintFlags;
    TReductionMethod Reduction;
    int ReductionBitCount;
    TDiffusionKind Diffusion;
    int PainterPriority;
    int AnimationPercent;
    COLORREF BackdropColor = clNone;
    TPainterEvents PainterEvents;
    PainterWaitFunction PainterWait;

    // The painters alive for this image, and the one Draw started; changed
    // only under PainterLock.
    std::recursive_mutex PainterLock;
    std::vector<TGifAnimator*> PainterList;
    TGifAnimator* ForegroundPainter = nullptr;

private:
    void ReleaseRenderedBitmap();
    void DrawRendered(HDC dc, const RECT& rect) const;
    mutable bool InDraw = false;
    bool InPaletteQuery = false;
    HPALETTE CachedPalette = nullptr;
    std::vector<TGifFrame*> RenderedFrames;
    std::unique_ptr<ui::Bitmap> RenderedBitmap;
    HPALETTE RenderedPalette = nullptr;  // made from RenderedBitmap's colour table
};

}  // namespace gif
