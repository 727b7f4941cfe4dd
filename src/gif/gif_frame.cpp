#include "gif/gif_frame.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "gif/gif_texts.h"
#include "gif/gif_extensions.h"
#include "gif/gif_palette.h"
#include "gif/gif_picture.h"

namespace gif {

namespace {

constexpr int kMaxSide = 0xFFFF;  // descriptor fields are 16 bits

// Reads a bitmap (a monochrome mask, or any other) as one byte per pixel:
// non-zero where the bitmap's pixel is not black.
std::vector<uint8_t> ReadMaskBytes(HBITMAP mask, int width, int height) {
    std::vector<uint8_t> bytes(size_t(width) * size_t(height), 0);
    if (!mask) return bytes;
    ui::Bitmap grey(width, height, ui::PixelFormat::Bits24);
    if (grey.Empty()) throw EOutOfMemory(txt::GifOutOfMemory);
    HDC dc = CreateCompatibleDC(grey.Canvas());
    HGDIOBJ old = SelectObject(dc, mask);
    SetTextColor(grey.Canvas(), RGB(0, 0, 0));
    SetBkColor(grey.Canvas(), RGB(255, 255, 255));
    BitBlt(grey.Canvas(), 0, 0, width, height, dc, 0, 0, SRCCOPY);
    SelectObject(dc, old);
    DeleteDC(dc);
    for (int y = 0; y < height; ++y) {
        const uint8_t* row = grey.ScanLine(y);
        for (int x = 0; x < width; ++x)
            bytes[size_t(y) * size_t(width) + size_t(x)] = (row[3 * x] | row[3 * x + 1] | row[3 * x + 2]) ? 1 : 0;
    }
    return bytes;
}

// Copies source into target through a mask (set bits: keep the target).
void MaskedStretchCopy(HDC target, const RECT& dst, const ui::Bitmap& source, HBITMAP mask, const RECT& src) {
    const int dw = dst.right - dst.left, dh = dst.bottom - dst.top;
    const int sw = src.right - src.left, sh = src.bottom - src.top;
    const COLORREF oldText = GetTextColor(target), oldBack = GetBkColor(target);
    const bool nt = GetVersion() < 0x80000000u;
    if (nt && dw == sw && dh == sh) {
        // Mask bit set: destination kept; clear: source copied.
        MaskBlt(target, dst.left, dst.top, dw, dh, source.Canvas(), src.left, src.top, mask, src.left, src.top,
                MAKEROP4(0x00AA0029, SRCCOPY));
    } else {
        HDC maskDc = CreateCompatibleDC(target);
        HGDIOBJ oldMask = SelectObject(maskDc, mask);
        // A copy of the source whose masked pixels are black.
        ui::Bitmap prepared = source;
        if (!prepared.Empty()) {
            SetTextColor(prepared.Canvas(), RGB(0, 0, 0));
            SetBkColor(prepared.Canvas(), RGB(255, 255, 255));
            BitBlt(prepared.Canvas(), 0, 0, source.Width(), source.Height(), maskDc, 0, 0, 0x00220326);  // DSna
        }
        SetTextColor(target, RGB(0, 0, 0));
        SetBkColor(target, RGB(255, 255, 255));
        SetStretchBltMode(target, COLORONCOLOR);
        StretchBlt(target, dst.left, dst.top, dw, dh, maskDc, src.left, src.top, sw, sh, SRCAND);
        if (!prepared.Empty())
            StretchBlt(target, dst.left, dst.top, dw, dh, prepared.Canvas(), src.left, src.top, sw, sh, SRCPAINT);
        SelectObject(maskDc, oldMask);
        DeleteDC(maskDc);
    }
    SetTextColor(target, oldText);
    SetBkColor(target, oldBack);
}

}  // namespace

// ---------------------------------------------------------------------------
// Life and state

TGifFrame::TGifFrame(TGifPicture* image) : TGifFrameData(image) {}

TGifFrame::~TGifFrame() {
    ExtensionList.ClearItems();
    FreeBitmap();
    if (CachedPalette) DeleteObject(CachedPalette);
}

TGifPicture* TGifFrame::Picture() const { return static_cast<TGifPicture*>(OwnerImage_); }

void TGifFrame::FreeBitmap() {
    if (RenderedBitmap && Picture()) Picture()->FrameReleased(this);
    RenderedBitmap.reset();
    if (RenderedPalette) DeleteObject(RenderedPalette);
    RenderedPalette = nullptr;
    if (Mask) DeleteObject(Mask);
    Mask = nullptr;
    MaskNeeded = true;
}

void TGifFrame::DropCachedPalette() {
    if (CachedPalette) DeleteObject(CachedPalette);
    CachedPalette = nullptr;
}

void TGifFrame::ReleaseRendering() {
    FreeBitmap();
    if (!Picture() || Picture()->FrameCount() == 0 || Picture()->Frame(0) != this) DropCachedPalette();
}

void TGifFrame::KeepRendering(std::unique_ptr<ui::Bitmap> bitmap) {
    RenderedBitmap = std::move(bitmap);
    // The image keeps only a few renderings at a time: one for every frame
    // of a long animation would take the address space and the GDI handles.
    if (RenderedBitmap && Picture()) Picture()->FrameRendered(this);
}

void TGifFrame::FrameLoaded() {
    if (RenderAfterLoad) Bitmap();
}

void TGifFrame::ReportProgress(TProgressStage stage, int percent, bool redraw, const wchar_t* message) {
    if (Picture()) Picture()->Progress(this, stage, percent, redraw, message);
}

// ---------------------------------------------------------------------------
// Bounds

void TGifFrame::SetBounds(const RECT& bounds) {
    SetBounds(bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top);
}

RECT TGifFrame::BoundsRect() const { return RECT{Left(), Top(), Left() + Width(), Top() + Height()}; }

// ---------------------------------------------------------------------------
// Assignment

void TGifFrame::Assign(const TGifFrame* source) {
    if (source == this) return;
    if (!source) {
        Reset();
        return;
    }
    AssignData(*source);
    if (source->RenderedBitmap) KeepRendering(std::make_unique<ui::Bitmap>(*source->RenderedBitmap));
}

void TGifFrame::Assign(const ui::Bitmap& bitmap) {
    Reset();
    if (bitmap.Empty()) return;
    ImportBitmap(bitmap);
}

void TGifFrame::ImportBitmap(const ui::Bitmap& bitmap) {
    const int width = bitmap.Width(), height = bitmap.Height();
    if (width > kMaxSide || height > kMaxSide) RaiseGIFError(txt::GifInvalidImageDimensions);
    SetWidth(width);
    SetHeight(height);

    const int bits = bitmap.Bits();
    const bool paletted = bits == 1 || bits == 4 || bits == 8;
    TGifPicture* image = Picture();
    if (paletted) {
        auto copy = std::make_unique<ui::Bitmap>(bitmap);
        if (copy->Empty()) throw EOutOfMemory(txt::GifOutOfMemory);
        KeepRendering(std::move(copy));
    } else {
        const TReductionMethod method = image ? image->Reduction : GifDefaults.Reduction;
        const TDiffusionKind diffusion = image ? image->Diffusion : GifDefaults.Diffusion;
        const int bitCount = image ? image->ReductionBitCount : GifDefaults.ReductionBitCount;
        auto reduced = std::make_unique<ui::Bitmap>(ReduceBitmapColors(bitmap, method, diffusion, nullptr, bitCount));
        // An unknown method or dither kind reduces to nothing; a frame of
        // zero indices without colours would be a wrong picture.
        if (reduced->Empty()) RaiseGIFError(txt::GifInvalidReductionMethod);
        KeepRendering(std::move(reduced));
    }

    ReportProgress(psStarting, 0, false, txt::GifConverting);
    try {
        const ui::Bitmap& rendered = *RenderedBitmap;
        const int rbits = rendered.Bits();
        TDIBReader reader(rendered, rbits == 1 ? ui::PixelFormat::Bits1
                                    : rbits == 4 ? ui::PixelFormat::Bits4
                                    : rbits == 8 ? ui::PixelFormat::Bits8
                                                 : ui::PixelFormat::Bits24);
        if (rbits <= 8) ImportBitmapColors(LocalMap, rendered);

        // The 24-bit case: the last 8 colours met and their indices, searched
        // backwards from the last hit; a miss goes into the slot after the
        // last one filled. No real colour has a top byte, so ~0 is free.
        struct CacheEntry {
            uint32_t color;
            int index;
        } cache[8];
        for (CacheEntry& e : cache) e = CacheEntry{~0u, 0};
        int lastHit = 0, lastStored = -1;

        for (int y = 0; y < height; ++y) {
            if (y % 32 == 0) ReportProgress(psRunning, int(int64_t(y) * 100 / height), false, txt::GifConverting);
            const uint8_t* in = reader.Row(y);
            uint8_t* out = Pixels.get() + size_t(y) * size_t(width);
            if (rbits == 8) {
                std::memcpy(out, in, size_t(width));
            } else if (rbits == 4) {
                for (int x = 0; x < width; ++x) out[x] = uint8_t(x & 1 ? in[x / 2] & 0x0F : in[x / 2] >> 4);
            } else if (rbits == 1) {
                for (int x = 0; x < width; ++x) out[x] = uint8_t((in[x / 8] >> (7 - x % 8)) & 1);
            } else {
                const int bpp = reader.BytesPerPixel();
                for (int x = 0; x < width; ++x) {
                    const uint8_t* p = in + size_t(x) * size_t(bpp);
                    const uint32_t color = uint32_t(p[2]) | (uint32_t(p[1]) << 8) | (uint32_t(p[0]) << 16);
                    int found = -1;
                    for (int k = 0, i = lastHit; k < 8; ++k, i = (i + 7) % 8)
                        if (cache[i].color == color) {
                            found = cache[i].index;
                            lastHit = i;
                            break;
                        }
                    if (found < 0) {
                        found = LocalMap.AddUniqueColor(COLORREF(color));
                        lastStored = (lastStored + 1) % 8;
                        cache[lastStored] = CacheEntry{color, found};
                        lastHit = lastStored;
                    }
                    out[x] = uint8_t(found);
                }
            }
        }

        if (bitmap.transparent) {
            // The transparent colour marks the mask.
            TDIBReader source(bitmap, ui::PixelFormat::Bits24);
            const int bpp = source.BytesPerPixel();
            const COLORREF key = bitmap.transparentColor;
            std::vector<uint8_t> mask(size_t(width) * size_t(height), 0);
            for (int y = 0; y < height; ++y) {
                const uint8_t* p = source.Row(y);
                for (int x = 0; x < width; ++x, p += bpp)
                    mask[size_t(y) * size_t(width) + size_t(x)] = RGB(p[2], p[1], p[0]) == key ? 1 : 0;
            }
            ApplyMask(mask);
        }
    } catch (...) {
        ReportProgress(psEnding, 0, image && image->PaletteModified, txt::GifConverting);
        throw;
    }
    ReportProgress(psEnding, 100, image && image->PaletteModified, txt::GifConverting);
}

void TGifFrame::ApplyMask(const std::vector<uint8_t>& mask) {
    if (!Pixels) return;
    LocalMap.SortByUsage();
    if (LocalMap.Count() == 0 || LocalMap.Count() == 256) return;
    const int index = LocalMap.AddColor(RGB(0, 0, 0));
    bool any = false;
    for (int i = 0; i < PixelTotal && size_t(i) < mask.size(); ++i)
        if (mask[size_t(i)]) {
            Pixels[size_t(i)] = uint8_t(index);
            any = true;
        }
    if (!any) {
        LocalMap.DeleteColor(index);
        return;
    }
    auto extension = std::make_unique<TGifGraphicControlExtension>(this);
    extension->SetTransparent(true);
    extension->SetTransparentColorIndex(index);
    ExtensionList.AddItem(std::move(extension));
    FreeBitmap();
}

void TGifFrame::Assign(const TGraphic* graphic) {
    if (!graphic) {
        Reset();
        return;
    }
    if (const auto* bitmap = dynamic_cast<const TBitmapGraphic*>(graphic)) {
        Assign(bitmap->Bitmap);
        return;
    }
    Reset();
    if (graphic->GetEmpty()) return;
    const int width = graphic->GetWidth(), height = graphic->GetHeight();
    auto drawn = [&]() {
        ui::Bitmap b(width, height, ui::PixelFormat::Bits24);
        if (b.Empty()) throw EOutOfMemory(txt::GifOutOfMemory);
        b.Clear(RGB(255, 255, 255));
        RECT r{0, 0, width, height};
        graphic->Draw(b.Canvas(), r);
        return b;
    };
    ui::Bitmap temporary;
    const TGraphic::Kind kind = graphic->GraphicKind();
    if (kind == TGraphic::Kind::Icon || kind == TGraphic::Kind::Metafile) {
        try {
            temporary = drawn();
        } catch (const EOutOfMemory&) {
            throw;
        } catch (...) {
            graphic->AssignTo(temporary);
        }
    } else {
        try {
            graphic->AssignTo(temporary);
        } catch (const EOutOfMemory&) {
            throw;
        } catch (...) {
            temporary = drawn();
        }
    }
    Assign(temporary);
    if (Empty()) return;
    if (kind == TGraphic::Kind::Icon && graphic->IconMask()) {
        ApplyMask(ReadMaskBytes(graphic->IconMask(), Width(), Height()));
    } else if (kind == TGraphic::Kind::Metafile) {
        // Drawn once on white and once on black: what differs is background.
        ui::Bitmap white(Width(), Height(), ui::PixelFormat::Bits24), black(Width(), Height(), ui::PixelFormat::Bits24);
        if (white.Empty() || black.Empty()) throw EOutOfMemory(txt::GifOutOfMemory);
        white.Clear(RGB(255, 255, 255));
        black.Clear(RGB(0, 0, 0));
        RECT r{0, 0, Width(), Height()};
        graphic->Draw(white.Canvas(), r);
        graphic->Draw(black.Canvas(), r);
        BitBlt(white.Canvas(), 0, 0, Width(), Height(), black.Canvas(), 0, 0, SRCINVERT);
        std::vector<uint8_t> mask(size_t(Width()) * size_t(Height()), 0);
        for (int y = 0; y < Height(); ++y) {
            const uint8_t* row = white.ScanLine(y);
            for (int x = 0; x < Width(); ++x)
                mask[size_t(y) * size_t(Width()) + size_t(x)] = (row[3 * x] | row[3 * x + 1] | row[3 * x + 2]) ? 1 : 0;
        }
        ApplyMask(mask);
    }
}

void TGifFrame::Assign(const TPicture& picture) { Assign(picture.Graphic()); }

void TGifFrame::AssignTo(ui::Bitmap& destination) {
    const ui::Bitmap* rendered = Bitmap();
    destination = rendered ? *rendered : ui::Bitmap();
}

// ---------------------------------------------------------------------------
// Palette and rendering

HPALETTE TGifFrame::Palette() {
    if (RenderedBitmap) {
        if (!RenderedPalette) RenderedPalette = PaletteOfColorTable(*RenderedBitmap);
        if (RenderedPalette) return RenderedPalette;
    }
    if (CachedPalette) return CachedPalette;
    TGifPicture* image = Picture();
    if (image && image->RendersDithered()) {
        CachedPalette = BuildWebSafePalette();
        return CachedPalette;
    }
    if (LocalMap.Count() > 0) {
        CachedPalette = MakeLogicalPalette(LocalMap);
        return CachedPalette;
    }
    // Without a table of its own the frame takes the image's palette, unless
    // the image is asking this very frame (its first) for one: then there is
    // no colour table anywhere, and the frame is drawn in greys.
    if (image && !image->PaletteQueryRunning()) return image->GetPalette();
    int top = 0;
    for (int i = 0; i < PixelTotal; ++i) top = std::max<int>(top, Pixels[size_t(i)]);
    CachedPalette = MakeGreyRampPalette(1 << std::max(1, BitsForColors(top + 1)));
    return CachedPalette;
}

void TGifFrame::SetPalette(HPALETTE palette) {
    if (palette == CachedPalette) return;
    if (CachedPalette) DeleteObject(CachedPalette);
    CachedPalette = palette;
    if (RenderedBitmap && palette != RenderedPalette) {
        FreeBitmap();
        if (TGifPicture* image = Picture()) {
            image->PaletteModified = true;
            image->Changed();
        }
    }
}

const ui::Bitmap* TGifFrame::Bitmap() {
    if (!RenderedBitmap && !Empty()) {
        ReportProgress(psStarting, 0, false, txt::GifRendering);
        try {
            GuardMemory([this] { Render(); });
        } catch (...) {
            FreeBitmap();
            ReportProgress(psEnding, 0, false, txt::GifRendering);
            throw;
        }
        ReportProgress(psEnding, 100, false, txt::GifRendering);
    }
    return RenderedBitmap.get();
}

void TGifFrame::Render() {
    const int width = Width(), height = Height();
    const bool dithered = Picture() && Picture()->RendersDithered();
    HPALETTE palette = Palette();
    auto bitmap = std::make_unique<ui::Bitmap>();

    const bool buildMask = MaskNeeded && IsTransparent;
    const int transparentIndex = TransparentIndex();
    const int maskStride = RowStride(width, 1, 16);
    std::vector<uint8_t> maskBits;
    if (buildMask) maskBits.assign(size_t(maskStride) * size_t(height), 0);
    bool anyMasked = false;

    {
        TDIBWriter writer(*bitmap, palette, height, width, ui::PixelFormat::Bits8);
        TWebSafeColorLookup lookup;
        TFloydSteinbergDitherer ditherer(width, &lookup);
        TGifColorMap* map = ActiveColorMap();
        for (int y = 0; y < height; ++y) {
            if (y % 32 == 0) ReportProgress(psRunning, int(int64_t(y) * 100 / height), false, txt::GifRendering);
            const uint8_t* in = Pixels.get() + size_t(y) * size_t(width);
            uint8_t* out = writer.ScanlineAt(y);
            if (buildMask)
                for (int x = 0; x < width; ++x)
                    if (in[x] == transparentIndex) {
                        maskBits[size_t(y) * size_t(maskStride) + size_t(x / 8)] |= uint8_t(0x80 >> (x % 8));
                        anyMasked = true;
                    }
            if (!dithered) {
                std::memcpy(out, in, size_t(width));
                continue;
            }
            uint8_t r, g, b;
            while (ditherer.CurrentColumn >= 0 && ditherer.CurrentColumn < width) {
                const int x = ditherer.CurrentColumn;
                if (IsTransparent && in[x] == transparentIndex) {
                    out[x] = 0;  // hidden by the mask
                    ditherer.SkipPixel();
                    continue;
                }
                TGifColor c{0, 0, 0};
                if (map && in[x] < map->Count()) c = map->Entry(in[x]);
                out[x] = ditherer.DitherPixel(c.Red, c.Green, c.Blue, r, g, b);
            }
            ditherer.EndRow();
        }
        writer.Finish();
    }
    if (bitmap->Empty()) {
        // Nothing was written: a bitmap of the frame's size with its palette.
        *bitmap = ui::Bitmap(width, height, ui::PixelFormat::Bits8);
    }
    if (buildMask) {
        if (anyMasked) Mask = CheckGDIHandleOf(CreateBitmap(width, height, 1, 1, maskBits.data()));
        MaskNeeded = false;
    }
    KeepRendering(std::move(bitmap));
}

// ---------------------------------------------------------------------------
// Drawing

RECT TGifFrame::ScaleRect(const RECT& rect) const {
    int screenWidth = OwnerImage_ ? OwnerImage_->ScreenWidth() : 0;
    int screenHeight = OwnerImage_ ? OwnerImage_->ScreenHeight() : 0;
    if (screenWidth <= 0) screenWidth = std::max(1, Left() + Width());
    if (screenHeight <= 0) screenHeight = std::max(1, Top() + Height());
    const int w = rect.right - rect.left, h = rect.bottom - rect.top;
    return RECT{rect.left + MulDiv(Left(), w, screenWidth), rect.top + MulDiv(Top(), h, screenHeight),
                rect.left + MulDiv(Left() + Width(), w, screenWidth),
                rect.top + MulDiv(Top() + Height(), h, screenHeight)};
}

void TGifFrame::Draw(HDC dc, const RECT& rect, bool tile, bool transparent) {
    if (Empty()) return;
    const RECT target = tile ? rect : ScaleRect(rect);
    const bool masked = transparent && IsTransparent;
    if (masked && MaskNeeded) FreeBitmap();  // render again to build the mask
    const ui::Bitmap* bitmap = Bitmap();
    if (!bitmap || bitmap->Empty()) return;
    const RECT source{0, 0, bitmap->Width(), bitmap->Height()};
    auto drawOnce = [&](const RECT& at) {
        if (masked && Mask) {
            MaskedStretchCopy(dc, at, *bitmap, Mask, source);
        } else {
            SetStretchBltMode(dc, COLORONCOLOR);
            StretchBlt(dc, at.left, at.top, at.right - at.left, at.bottom - at.top, bitmap->Canvas(), 0, 0,
                       bitmap->Width(), bitmap->Height(), SRCCOPY);
        }
    };
    if (!tile) {
        drawOnce(target);
    } else {
        // Tiles never reach past the rectangle.
        const int saved = SaveDC(dc);
        IntersectClipRect(dc, rect.left, rect.top, rect.right, rect.bottom);
        for (int y = rect.top; y < rect.bottom; y += Height())
            for (int x = rect.left; x < rect.right; x += Width()) drawOnce(RECT{x, y, x + Width(), y + Height()});
        RestoreDC(dc, saved);
    }
}

// ---------------------------------------------------------------------------
// Frame tools for the optimiser

void TGifFrame::Merge(TGifFrame* previous) {
    if (!previous || Empty() || previous->Empty()) return;
    const int disposal = previous->Disposal();
    if (disposal == 2 || disposal == 3) return;
    RECT overlap;
    const RECT mine = BoundsRect(), theirs = previous->BoundsRect();
    if (!IntersectRect(&overlap, &mine, &theirs)) return;

    TGifColorMap* map = ActiveColorMap();
    TGifColorMap* theirMap = previous->ActiveColorMap();
    int index = TransparentIndex();
    bool allocate = false;
    if (index < 0) {
        if (map->Count() >= 256) return;
        allocate = true;
    }
    auto allocateIndex = [&]() {
        if (OwnerImage_)
            for (int f = 0; f < OwnerImage_->FrameCount(); ++f) {
                TGifFrameData* other = OwnerImage_->Frame(f);
                if (other != this && other->ColorMap().Count() == 0 && other->Transparent() && other->TransparentIndex() >= 0)
                    return other->TransparentIndex();
            }
        return map->AddColor(RGB(0, 0, 0));
    };
    const int theirTransparent = previous->TransparentIndex();
    bool allocated = false;
    for (int y = overlap.top; y < overlap.bottom; ++y)
        for (int x = overlap.left; x < overlap.right; ++x) {
            uint8_t& p = Pixels[size_t(y - Top()) * size_t(Width()) + size_t(x - Left())];
            if (index >= 0 && p == index) continue;
            const uint8_t q = previous->Pixels[size_t(y - previous->Top()) * size_t(previous->Width()) +
                                               size_t(x - previous->Left())];
            if (q == theirTransparent) continue;
            bool same = map == theirMap && p == q;
            if (!same && p < map->Count() && q < theirMap->Count()) {
                const TGifColor& a = map->Entry(p);
                const TGifColor& b = theirMap->Entry(q);
                same = a.Red == b.Red && a.Green == b.Green && a.Blue == b.Blue;
            }
            if (!same) continue;
            if (allocate && !allocated) {
                index = allocateIndex();
                allocated = true;
            }
            p = uint8_t(index);
        }
    if (allocated) {
        if (!ControlExtension) ExtensionList.AddItem(std::make_unique<TGifGraphicControlExtension>(this));
        ControlExtension->SetTransparent(true);
        ControlExtension->SetTransparentColorIndex(index);
    }
    FreeBitmap();
}

}  // namespace gif
