#include "gif/gif_picture.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "gif/gif_texts.h"
#include "gif/gif_extensions.h"
#include "gif/gif_palette.h"

namespace gif {

TGifDefaults GifDefaults;
bool LowColourDisplay = false;
bool RenderAfterLoad = false;
bool OptimiseOnPropertyWrite = false;
UINT GifClipboardFormat = 0;

namespace {

// The name under which other programs find GIF data on the clipboard; an
// interface name, the same in every language build.
constexpr wchar_t kClipboardFormatName[] = L"GIF picture";

std::unique_ptr<TGraphic> MakeGifPicture() { return std::make_unique<TGifPicture>(); }

// Registration with the picture registry and the clipboard, once per
// process; undone when the process ends.
struct CodecUnit {
    CodecUnit() {
        RegisterFileFormat(L"GIF", txt::GifPictureDescription, &MakeGifPicture);
        GifClipboardFormat = RegisterClipboardFormatW(kClipboardFormatName);
        if (GifClipboardFormat) RegisterClipboardFormatClass(GifClipboardFormat, &MakeGifPicture);
        HDC screen = GetDC(nullptr);
        if (screen) {
            LowColourDisplay = GetDeviceCaps(screen, BITSPIXEL) * GetDeviceCaps(screen, PLANES) <= 8;
            ReleaseDC(nullptr, screen);
        }
    }
    ~CodecUnit() { UnregisterGraphicClass(&MakeGifPicture); }
};

void StartCodecUnit() { static CodecUnit unit; }

int RoundedPercent(int done, int total) { return total > 0 ? int(std::lround(done * 100.0 / total)) : 100; }

}  // namespace

// ---------------------------------------------------------------------------
// Image

TGifPicture::TGifPicture()
    : PaintFlags(GifDefaults.PaintFlags),
      Reduction(GifDefaults.Reduction),
      ReductionBitCount(GifDefaults.ReductionBitCount),
      Diffusion(GifDefaults.Diffusion),
      PainterPriority(GifDefaults.PainterPriority),
      AnimationPercent(GifDefaults.AnimationPercent) {
    EncoderKind = GifDefaults.EncoderKind;
    StartCodecUnit();
    ResetImage();
}

TGifPicture::~TGifPicture() {
    StopPainters();
    {
        // Painters still listed run in this thread's calls further up (an
        // event handler freed the image): they lose their image.
        std::lock_guard<std::recursive_mutex> lock(PainterLock);
        for (TGifAnimator* painter : PainterList) painter->image_ = nullptr;
        PainterList.clear();
        ForegroundPainter = nullptr;
    }
    FrameList.ClearItems();
    ReleaseRenderedBitmap();
    if (CachedPalette) DeleteObject(CachedPalette);
}

void TGifPicture::ReleaseRenderedBitmap() {
    RenderedBitmap.reset();
    if (RenderedPalette) DeleteObject(RenderedPalette);
    RenderedPalette = nullptr;
}

void TGifPicture::FreeRenderedBitmap() {
    // The foreground painter may be drawing into it.
    bool painting;
    {
        std::lock_guard<std::recursive_mutex> lock(PainterLock);
        painting = ForegroundPainter && RenderedBitmap && ForegroundPainter->Canvas() == RenderedBitmap->Canvas();
    }
    if (painting)
        StopForegroundPainter();
    else
        ReleaseRenderedBitmap();
}

TGifAnimator* TGifPicture::StartPainter(TGifAnimator** ownerReference, HDC canvas, uint16_t paintFlags,
                                        const RECT& rect) {
    // A failed allocation surfaces as the codec's own error.
    return GuardMemory([&]() -> TGifAnimator* {
        if (GetEmpty() || rect.right <= rect.left || rect.bottom <= rect.top) {
            if (ownerReference) *ownerReference = nullptr;
            return nullptr;
        }
        if (FrameCount() == 1) paintFlags &= uint16_t(~(RunInThread | Animate));
        auto* painter = new TGifAnimator(this, paintFlags, rect, canvas, ownerReference);
        {
            std::lock_guard<std::recursive_mutex> lock(PainterLock);
            PainterList.push_back(painter);
            if (ownerReference) *ownerReference = painter;
        }
        painter->Events = PainterEvents;
        if (painter->Threaded()) return painter;
        // In the caller's thread the painter runs at once and frees itself; the
        // caller never sees it.
        painter->Execute();
        std::exception_ptr error = painter->captured_;
        delete painter;
        if (error) std::rethrow_exception(error);
        return nullptr;
    });
}

void TGifPicture::StopPainters() {
    for (;;) {
        int threaded = 0;
        {
            std::lock_guard<std::recursive_mutex> lock(PainterLock);
            if (PainterList.empty()) break;
            const std::vector<TGifAnimator*> painters = PainterList;
            for (TGifAnimator* painter : painters) {
                painter->StopPainter();
                if (!painter->Threaded()) continue;
                if (!painter->thread_)
                    delete painter;  // never resumed: it has no thread to end it
                else
                    ++threaded;
            }
        }
        if (threaded == 0) break;
        if (!PainterSyncWindow() || !DispatchPainterCalls()) {
            // Nobody can run the painters' calls any more.
            std::lock_guard<std::recursive_mutex> lock(PainterLock);
            const std::vector<TGifAnimator*> painters = PainterList;
            for (TGifAnimator* painter : painters)
                if (painter->Threaded()) {
                    painter->KillThread();
                    PainterList.erase(std::remove(PainterList.begin(), PainterList.end(), painter), PainterList.end());
                    if (ForegroundPainter == painter) ForegroundPainter = nullptr;
                }
            break;
        }
        Sleep(1);
    }
    ReleaseRenderedBitmap();
}

void TGifPicture::StopForegroundPainter() {
    for (;;) {
        {
            std::lock_guard<std::recursive_mutex> lock(PainterLock);
            TGifAnimator* painter = ForegroundPainter;
            if (!painter) break;
            painter->StopPainter();
            if (!painter->Threaded()) break;
            if (!painter->thread_) {
                delete painter;
                break;
            }
        }
        if (!DispatchPainterCalls()) return;
        Sleep(1);
    }
    ReleaseRenderedBitmap();
}

void TGifPicture::ResetImage() {
    StopPainters();
    ClearImage();
    SetPalette(nullptr);
}

void TGifPicture::Progress(const void* sender, TProgressStage stage, int percent, bool redrawNow,
                           const std::wstring& message) {
    TGraphic::Progress(sender, stage, percent, redrawNow, message);
}

std::unique_ptr<TGifFrameData> TGifPicture::NewFrame() { return std::make_unique<TGifFrame>(this); }

namespace {
// At most this many frames keep a rendering, and together at most this many
// pixels: enough for the frames a painter shows in turn, and for a few large
// ones.
constexpr size_t kMaxRenderedFrames = 64;
constexpr int64_t kMaxRenderedPixels = int64_t(1) << 25;
}  // namespace

void TGifPicture::FrameRendered(TGifFrame* frame) {
    RenderedFrames.erase(std::remove(RenderedFrames.begin(), RenderedFrames.end(), frame), RenderedFrames.end());
    RenderedFrames.push_back(frame);
    auto pixels = [&] {
        int64_t total = 0;
        for (const TGifFrame* f : RenderedFrames) total += int64_t(f->Width()) * f->Height();
        return total;
    };
    // The newest one stays whatever its size: it is being drawn.
    while (RenderedFrames.size() > 1 && (RenderedFrames.size() > kMaxRenderedFrames || pixels() > kMaxRenderedPixels)) {
        TGifFrame* oldest = RenderedFrames.front();
        RenderedFrames.erase(RenderedFrames.begin());
        oldest->ReleaseRendering();
    }
}

void TGifPicture::FrameReleased(TGifFrame* frame) {
    RenderedFrames.erase(std::remove(RenderedFrames.begin(), RenderedFrames.end(), frame), RenderedFrames.end());
}

bool TGifPicture::RendersDithered() const {
    return (PaintFlags & DitherToDisplay) && (!(PaintFlags & DitherOnLowColour) || LowColourDisplay);
}

void TGifPicture::GlobalPaletteChanged() {
    if (CachedPalette) DeleteObject(CachedPalette);
    CachedPalette = nullptr;
    PaletteModified = true;
    Changed();
}

// ---------------------------------------------------------------------------
// Assignment and frames

void TGifPicture::Assign(const TGraphic* source) {
    // A failed allocation surfaces as the codec's own error.
    GuardMemory([&] {
        if (source == this) return;
        if (!source) {
            ResetImage();
            return;
        }
        if (const auto* other = dynamic_cast<const TGifPicture*>(source)) {
            ResetImage();
            ProgressHandler savedProgress = OnProgress;
            WarningEventHandler savedWarning = WarningEvent;
            OnProgress = other->OnProgress;
            WarningEvent = other->WarningEvent;
            auto restore = [&] {
                OnProgress = savedProgress;
                WarningEvent = savedWarning;
            };
            try {
                Progress(this, psStarting, 0, false, txt::GifCopying);
                FileHeader.Assign(other->FileHeader);
                PainterPriority = other->PainterPriority;
                BackdropColor = other->BackdropColor;
                PaintFlags = other->PaintFlags;
                Reduction = other->Reduction;
                Diffusion = other->Diffusion;
                const int count = other->FrameCount();
                for (int i = 0; i < count; ++i) {
                    auto frame = std::make_unique<TGifFrame>(this);
                    frame->Assign(other->Frame(i));
                    AddFrame(std::move(frame));
                    Progress(this, psRunning, RoundedPercent(i + 1, count), false, txt::GifCopying);
                }
            } catch (...) {
                Progress(this, psEnding, 0, false, txt::GifCopying);
                restore();
                throw;
            }
            Progress(this, psEnding, 100, false, txt::GifCopying);
            restore();
            return;
        }
        ResetImage();
        auto frame = std::make_unique<TGifFrame>(this);
        try {
            frame->Assign(source);
        } catch (const EConvertError&) {
            frame.reset();
            TGraphic::Assign(source);
            return;
        }
        AddFrame(std::move(frame));
    });
}

void TGifPicture::Assign(const ui::Bitmap& bitmap) {
    // A failed allocation surfaces as the codec's own error.
    GuardMemory([&] {
        ResetImage();
        auto frame = std::make_unique<TGifFrame>(this);
        frame->Assign(bitmap);
        AddFrame(std::move(frame));
    });
}

void TGifPicture::Assign(const TPicture& picture) { Assign(picture.Graphic()); }

int TGifPicture::AddFrame(const TGraphic* graphic) {
    // A failed allocation surfaces as the codec's own error.
    return GuardMemory([&] {
        if (!graphic) RaiseGIFError(txt::GifObjectNotSupported);
        auto frame = std::make_unique<TGifFrame>(this);
        frame->Assign(graphic);
        return AddFrame(std::move(frame));
    });
}

int TGifPicture::AddFrame(const ui::Bitmap& bitmap) {
    // A failed allocation surfaces as the codec's own error.
    return GuardMemory([&] {
        auto frame = std::make_unique<TGifFrame>(this);
        frame->Assign(bitmap);
        return AddFrame(std::move(frame));
    });
}

int TGifPicture::AddFrame(std::unique_ptr<TGifFrame> frame) {
    if (!frame) RaiseGIFError(txt::GifObjectNotSupported);
    const int index = FrameList.AddItem(std::move(frame));
    FreeRenderedBitmap();
    Changed();
    return index;
}

// ---------------------------------------------------------------------------
// Size and palette

void TGifPicture::SetWidth(int value) {
    for (int i = 0; i < FrameCount(); ++i)
        if (Frame(i)->Left() + Frame(i)->Width() > value) RaiseGIFError(txt::GifWidthSmallerThanFrames);
    if (value < 0 || value > 0xFFFF) RaiseGIFError(txt::GifInvalidImageDimensions);
    if (value == FileHeader.ScreenWidth) return;
    FileHeader.ScreenWidth = uint16_t(value);
    FreeRenderedBitmap();
    Changed();
}

void TGifPicture::SetHeight(int value) {
    for (int i = 0; i < FrameCount(); ++i)
        if (Frame(i)->Top() + Frame(i)->Height() > value) RaiseGIFError(txt::GifHeightSmallerThanFrames);
    if (value < 0 || value > 0xFFFF) RaiseGIFError(txt::GifInvalidImageDimensions);
    if (value == FileHeader.ScreenHeight) return;
    FileHeader.ScreenHeight = uint16_t(value);
    FreeRenderedBitmap();
    Changed();
}

HPALETTE TGifPicture::GetPalette() {
    if (InPaletteQuery) RaiseGIFError(txt::GifNoColorTable);
    InPaletteQuery = true;
    struct Guard {
        bool& flag;
        ~Guard() { flag = false; }
    } guard{InPaletteQuery};
    if (RenderedBitmap) {
        if (!RenderedPalette) RenderedPalette = PaletteOfColorTable(*RenderedBitmap);
        if (RenderedPalette) return RenderedPalette;
    }
    if (CachedPalette) return CachedPalette;
    if (RendersDithered()) {
        CachedPalette = BuildWebSafePalette();
        return CachedPalette;
    }
    if (GlobalColorMap().Count() > 0) {
        CachedPalette = MakeLogicalPalette(GlobalColorMap());
        return CachedPalette;
    }
    // The first frame owns what it gives.
    return FrameCount() > 0 ? Frame(0)->Palette() : nullptr;
}

void TGifPicture::SetPalette(HPALETTE palette) {
    if (palette != CachedPalette) {
        if (CachedPalette) DeleteObject(CachedPalette);
        CachedPalette = palette;
    }
    if (RenderedBitmap) {
        FreeRenderedBitmap();
        PaletteModified = true;
        Changed();
    }
}

// ---------------------------------------------------------------------------
// Streams

void TGifPicture::WriteData(Stream& stream) {
    if (OptimiseOnPropertyWrite) OptimiseFrames(ooCrop | ooMerge | ooCleanup | ooColorMap | ooReduceColors, 0, 8, 0);
    TGraphic::WriteData(stream);
}

void TGifPicture::SaveToStream(Stream& stream) { TGifImageData::SaveToStream(stream); }

void TGifPicture::LoadFromStream(Stream& stream) {
    ResetImage();
    TGifImageData::LoadFromStream(stream);
}

// ---------------------------------------------------------------------------
// Clipboard

void TGifPicture::SaveToClipboardFormat(UINT& format, HANDLE& data, HPALETTE& palette) {
    if (GetEmpty()) return;
    const ui::Bitmap* composite = CompositeBitmap();
    format = CF_DIB;
    data = composite ? BitmapToPackedDib(*composite) : nullptr;
    palette = nullptr;

    MemoryStream stream;
    SaveToStream(stream);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, stream.Data().size());
    if (!block) throw EOutOfMemory(txt::GifOutOfMemory);
    void* p = GlobalLock(block);
    if (p) {
        std::memcpy(p, stream.Data().data(), stream.Data().size());
        GlobalUnlock(block);
    }
    if (!p || !GifClipboardFormat || !SetClipboardData(GifClipboardFormat, block)) {
        GlobalFree(block);
        RaiseGIFError(txt::GifClipboardStoreFailed);
    }
}

void TGifPicture::LoadFromClipboardFormat(UINT format, HANDLE data, HPALETTE) {
    // A failed allocation surfaces as the codec's own error.
    GuardMemory([&] {
        if (!data) data = GetClipboardData(format);
        if (data && format == GifClipboardFormat && GifClipboardFormat != 0) {
            const SIZE_T size = GlobalSize(data);
            const void* p = GlobalLock(data);
            if (!p) RaiseGIFError(txt::GifUnsupportedClipboardFormat);
            MemoryStream stream(p, size);
            GlobalUnlock(data);
            LoadFromStream(stream);
            return;
        }
        ui::Bitmap bitmap;
        if (data && (format == CF_DIB || format == CF_BITMAP) && BitmapFromClipboardData(bitmap, format, data)) {
            Assign(bitmap);
            return;
        }
        RaiseGIFError(txt::GifUnsupportedClipboardFormat);
    });
}

// ---------------------------------------------------------------------------
// Rendering and drawing

const ui::Bitmap* TGifPicture::CompositeBitmap() {
    // A failed allocation surfaces as the codec's own error.
    return GuardMemory([&]() -> const ui::Bitmap* {
        if (GetEmpty()) return nullptr;
        if (RenderedBitmap) return RenderedBitmap.get();
        TGifFrame* first = Frame(0);
        auto bitmap = std::make_unique<ui::Bitmap>();
        if (first->Left() == 0 && first->Top() == 0 && first->Width() == GetWidth() && first->Height() == GetHeight()) {
            const ui::Bitmap* rendered = first->Bitmap();
            if (rendered) *bitmap = *rendered;
        } else if (GetWidth() > 0 && GetHeight() > 0) {
            *bitmap = ui::Bitmap(GetWidth(), GetHeight(), ui::PixelFormat::Bits8);
            if (bitmap->Empty()) throw EOutOfMemory(txt::GifOutOfMemory);
            if (HPALETTE palette = GetPalette()) {
                PALETTEENTRY entries[256];
                const UINT n = GetPaletteEntries(palette, 0, 256, entries);
                std::vector<RGBQUAD> colors(n);
                for (UINT i = 0; i < n; ++i) colors[i] = RGBQUAD{entries[i].peBlue, entries[i].peGreen, entries[i].peRed, 0};
                bitmap->SetColorTable(colors);
            }
            RECT r{0, 0, GetWidth(), GetHeight()};
            first->Draw(bitmap->Canvas(), r, false, false);
        }
        RenderedBitmap = std::move(bitmap);
        return RenderedBitmap.get();
    });
}

void TGifPicture::AssignTo(ui::Bitmap& destination) const {
    const ui::Bitmap* composite = const_cast<TGifPicture*>(this)->CompositeBitmap();
    destination = composite ? *composite : ui::Bitmap();
}

void TGifPicture::DrawRendered(HDC dc, const RECT& rect) const {
    const ui::Bitmap& b = *RenderedBitmap;
    SetStretchBltMode(dc, COLORONCOLOR);
    if (!(PaintFlags & TileArea)) {
        StretchBlt(dc, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, b.Canvas(), 0, 0,
                   b.Width(), b.Height(), SRCCOPY);
        return;
    }
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, rect.left, rect.top, rect.right, rect.bottom);
    for (int y = rect.top; y < rect.bottom; y += std::max(1, GetHeight()))
        for (int x = rect.left; x < rect.right; x += std::max(1, GetWidth()))
            BitBlt(dc, x, y, b.Width(), b.Height(), b.Canvas(), 0, 0, SRCCOPY);
    RestoreDC(dc, saved);
}

void TGifPicture::Draw(HDC dc, const RECT& rect) const {
    // A failed allocation surfaces as the codec's own error.
    GuardMemory([&] {
        if (InDraw || GetEmpty()) return;
        InDraw = true;
        struct Guard {
            bool& flag;
            ~Guard() { flag = false; }
        } guard{InDraw};
        auto* self = const_cast<TGifPicture*>(this);
        if (FrameCount() == 1 || !(PaintFlags & Animate)) {
            // Without animation the first frame stands for the image.
            self->Frame(0)->Draw(dc, rect, (PaintFlags & TileArea) != 0, (PaintFlags & HonourTransparency) != 0);
            return;
        }
        if (RenderedBitmap && !(PaintFlags & PaintDirect)) {
            DrawRendered(dc, rect);
            return;
        }
        {
            std::lock_guard<std::recursive_mutex> lock(self->PainterLock);
            if (ForegroundPainter && ForegroundPainter->Canvas() == dc && EqualRect(&ForegroundPainter->Rect(), &rect))
                return;  // it goes on animating there
        }
        self->StopForegroundPainter();
        HDC target = dc;
        RECT targetRect = rect;
        if (!(PaintFlags & PaintDirect)) {
            // The painter draws into a bitmap of the screen's size, which starts
            // as what the canvas shows. 24 bits, so that frames with colour maps
            // of their own keep their colours.
            auto bitmap = std::make_unique<ui::Bitmap>(GetWidth(), GetHeight(), ui::PixelFormat::Bits24);
            if (bitmap->Empty()) throw EOutOfMemory(txt::GifOutOfMemory);
            SetStretchBltMode(bitmap->Canvas(), COLORONCOLOR);
            StretchBlt(bitmap->Canvas(), 0, 0, GetWidth(), GetHeight(), dc, rect.left, rect.top, rect.right - rect.left,
                       rect.bottom - rect.top, SRCCOPY);
            self->RenderedBitmap = std::move(bitmap);
            target = RenderedBitmap->Canvas();
            targetRect = RECT{0, 0, GetWidth(), GetHeight()};
        }
        TGifAnimator* painter = self->StartPainter(&self->ForegroundPainter, target, PaintFlags, targetRect);
        if (painter) painter->Resume();
        if (PaintFlags & PaintDirect) return;
        // Until the painter has shown its first frame. The painter is looked at
        // only while it is still the foreground painter: it may end and free
        // itself at any time.
        while (painter) {
            {
                std::lock_guard<std::recursive_mutex> lock(self->PainterLock);
                if (ForegroundPainter != painter || painter->Started() || painter->Terminated()) break;
            }
            if (!DispatchPainterCalls()) return;
            Sleep(1);
        }
        if (RenderedBitmap) DrawRendered(dc, rect);
    });
}

// ---------------------------------------------------------------------------
// Optimising

void TGifPicture::OptimiseFrames(int options, TReductionMethod reduction, int, TDiffusionKind) {
    // A failed allocation surfaces as the codec's own error.
    GuardMemory([&] {
        if (GetEmpty()) return;
        if ((options & ooReduceColors) && !(options & ooCleanup) && reduction == 9)
            RaiseGIFError(txt::GifInvalidReductionMethod);
        StopPainters();
        const int total = std::max(1, FrameCount() * 6);
        int done = 0;
        auto step = [&] {
            ++done;
            Progress(this, psRunning, std::min(100, done * 100 / total), false, txt::GifOptimizing);
        };
        Progress(this, psStarting, 0, false, txt::GifOptimizing);
        try {
            if (options & ooColorMap) {
                if (GlobalColorMap().Count() > 0) GlobalColorMap().SortByUsage();
                for (int i = 0; i < FrameCount(); ++i) {
                    if (Frame(i)->ColorMap().Count() > 0) Frame(i)->ColorMap().SortByUsage();
                    step();
                }
            }
            if (options & ooCleanup) {
                for (int i = 0; i < FrameCount(); ++i) {
                    TGifFrame* frame = Frame(i);
                    TGifGraphicControlExtension* gce = frame->GraphicControlExtension();
                    if (gce && frame->Transparent() && !frame->Empty()) {
                        const uint8_t t = gce->TransparentColorIndex();
                        bool used = false;
                        for (int p = 0; p < frame->PixelCount() && !used; ++p) used = frame->Data()[p] == t;
                        if (!used) gce->SetTransparent(false);
                    }
                    if (gce && (gce->Disposal() == 2 || gce->Disposal() == 3) && i + 1 < FrameCount()) {
                        TGifFrame* next = Frame(i + 1);
                        RECT a = frame->BoundsRect(), b = next->BoundsRect(), u;
                        UnionRect(&u, &a, &b);
                        if (!next->Transparent() && EqualRect(&u, &b)) gce->SetDisposal(0);
                    }
                    step();
                }
            }
            if (options & ooMerge) {
                for (int i = FrameCount() - 1; i >= 1; --i) {
                    int p = i - 1;
                    while (p >= 0 && Frame(p)->Disposal() == 3) --p;
                    if (p >= 0) Frame(i)->Merge(Frame(p));
                    step();
                }
            }
            if (options & ooCrop) {
                for (int i = FrameCount() - 1; i >= 0; --i) {
                    TGifFrame* frame = Frame(i);
                    if (frame->Empty() || !frame->Transparent()) continue;
                    frame->Crop();
                    if (frame->Empty()) {
                        const int delay = frame->GraphicControlExtension() ? frame->GraphicControlExtension()->Delay() : 0;
                        if (i > 0 && Frame(i - 1)->Transparent() && Frame(i - 1)->GraphicControlExtension()) {
                            TGifGraphicControlExtension* prev = Frame(i - 1)->GraphicControlExtension();
                            prev->SetDelay(uint16_t(std::min(0xFFFF, prev->Delay() + delay)));
                        }
                        FrameList.DeleteItem(i);
                    }
                    step();
                }
            }
            if (options & ooCleanup) {
                const bool single = FrameCount() == 1;
                for (int i = FrameCount() - 1; i >= 0; --i) {
                    TGifFrame* frame = Frame(i);
                    TGifExtensionList& list = frame->Extensions();
                    for (int e = list.ItemCount() - 1; e >= 0; --e) {
                        TGifExtension* ext = list.ExtensionAt(e);
                        const uint8_t label = ext->ExtensionLabel();
                        bool remove = false;
                        if (label == 0xFE || label == 0x01) {
                            remove = true;
                        } else if (label == 0xFF) {
                            remove = !ext->IsLoopExtension() || !(i == 0 && FrameCount() > 1);
                        } else if (label == TGifGraphicControlExtension::kLabel) {
                            auto* gce = static_cast<TGifGraphicControlExtension*>(ext);
                            remove = !gce->Transparent() && !gce->UserInput() && (gce->Delay() == 0 || single) &&
                                     (gce->Disposal() < 2 || single);
                        }
                        if (remove) list.DeleteItem(e);
                    }
                    if (frame->Empty() && list.ItemCount() == 0) FrameList.DeleteItem(i);
                    step();
                }
            }
        } catch (...) {
            Progress(this, psEnding, 0, false, txt::GifOptimizing);
            throw;
        }
        Progress(this, psEnding, 100, false, txt::GifOptimizing);
        FreeRenderedBitmap();
        Changed();
    });
}

}  // namespace gif
