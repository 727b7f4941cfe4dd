// A GIF image as the file holds it: the header (signature, logical screen,
// global colour map), the frames in file order, and how the whole file is
// read and written. Needs no windows.h: the image class (gif_picture.h) adds
// conversion, drawing and painters on top, and the fuzz target loads files
// natively through this very code.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "gif/gif_frame_data.h"
#include "gif/gif_header.h"
#include "gif/gif_items.h"

namespace gif {

using WarningEventHandler = std::function<void(const void* sender, int severity, const std::wstring& message)>;

class TGifFrameList : public TGifList {
public:
    explicit TGifFrameList(TGifImageData* image) : TGifList(image) {}
    void SaveToStream(Stream& stream) override;
    void LoadFromStream(Stream& stream) override;
    TGifFrameData* Frame(int index) const { return static_cast<TGifFrameData*>(ItemAt(index)); }
};

class TGifImageData {
public:
    TGifImageData();
    virtual ~TGifImageData();
    TGifImageData(const TGifImageData&) = delete;
    TGifImageData& operator=(const TGifImageData&) = delete;

    // Header, frames up to the trailer, trailer. On failure the stream is set
    // back to where it was and the error passes on.
    virtual void LoadFromStream(Stream& stream);
    // Header, every frame, trailer; what was written stays on failure.
    virtual void SaveToStream(Stream& stream);
    // Warnings go to WarningEvent when it is set.
    virtual void ReportWarning(const void* sender, int severity, const std::wstring& message);
    // Reports of long operations; nothing here.
    virtual void Progress(const void* sender, TProgressStage stage, int percent, bool redrawNow,
                          const std::wstring& message);
    // A new frame of this image, as the frame list reads one.
    virtual std::unique_ptr<TGifFrameData> NewFrame();
    // The global colour map or the screen changed: anything made from them
    // no longer holds. Nothing here.
    virtual void GlobalPaletteChanged() {}
    virtual void FreeRenderedBitmap() {}

    // Frames and header emptied.
    void ClearImage();
    int FrameCount() const { return FrameList.ItemCount(); }
    TGifFrameData* Frame(int index) const { return FrameList.Frame(index); }
    TGifHeader& Header() { return FileHeader; }
    const TGifHeader& Header() const { return FileHeader; }
    TGifGlobalColorMap& GlobalColorMap() { return FileHeader.ColorMap(); }
    int ScreenWidth() const { return FileHeader.ScreenWidth; }
    int ScreenHeight() const { return FileHeader.ScreenHeight; }
    TGifVersion RequiredVersion() const;
    int MaxColorResolution() const;
    int MaxBitsPerPixel() const;
    TGifColorValue BackgroundColor();

    // The pixels all frames of this image hold, kept as they change so that
    // the size check of each new frame costs nothing.
    int64_t PixelsHeld() const { return PixelsHeld_; }
    void PixelsChanged(int64_t delta) { PixelsHeld_ += delta; }

    uint8_t EncoderKind = 0;  // 1 run-length, anything else LZW
    WarningEventHandler WarningEvent;

protected:
    TGifFrameList FrameList;
    TGifHeader FileHeader;

private:
    int64_t PixelsHeld_ = 0;
};

}  // namespace gif
