// Frames, the image class and the file SaveGIF writes, byte for byte.
#include <gtest/gtest.h>

#include <cstring>

#include "gif/gif_texts.h"
#include "gif/gif_extensions.h"
#include "gif/gif_picture.h"
#include "gif/save_gif.h"
#include "test_support.h"

using namespace gif;

namespace {

std::vector<uint8_t> Saved(TGifPicture& image) {
    MemoryStream s;
    image.SaveToStream(s);
    return s.Data();
}

std::wstring MessageOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const Exception& e) {
        return e.Message();
    }
    return L"(nothing raised)";
}

}  // namespace

TEST(GifFile, CaptureIsWrittenExactlyAsLaidDown) {
    const int w = 300, h = 7;
    ui::Bitmap capture = giftest::MakeBitmap(w, h, [](int x, int y) { return RGB(x % 256, y * 30, 200 - x % 100); });
    TGifPicture image;
    image.Reduction = 8;
    image.Assign(capture);
    const auto f = Saved(image);
    const uint8_t head[] = {'G', 'I', 'F', '8', '7', 'a', uint8_t(w), uint8_t(w >> 8), uint8_t(h), 0, 0x77, 0, 0,
                            0x2C, 0, 0, 0, 0, uint8_t(w), uint8_t(w >> 8), uint8_t(h), 0, 0x87};
    ASSERT_GT(f.size(), sizeof head + 768 + 3);
    EXPECT_EQ(std::memcmp(f.data(), head, sizeof head), 0);
    // The map is the reduced bitmap's colour table in table order.
    ui::Bitmap reduced = ReduceBitmapColors(capture, 8, 0, nullptr, 8);
    const auto table = reduced.ColorTable();
    for (int i = 0; i < 256; ++i) {
        ASSERT_EQ(f[23 + 3 * i], table[size_t(i)].rgbRed) << i;
        ASSERT_EQ(f[23 + 3 * i + 1], table[size_t(i)].rgbGreen);
        ASSERT_EQ(f[23 + 3 * i + 2], table[size_t(i)].rgbBlue);
    }
    EXPECT_EQ(f[23 + 768], 0x08);
    EXPECT_EQ(f[f.size() - 2], 0x00);
    EXPECT_EQ(f.back(), 0x3B);
    const giftest::Gif g = giftest::ParseGif(f);
    ASSERT_EQ(g.error, "");
    ASSERT_EQ(g.images.size(), 1u);
    EXPECT_TRUE(g.trailer);
    EXPECT_EQ(g.images[0].data.codes.front(), 256);
    EXPECT_EQ(g.images[0].data.codes.back(), 257);
    std::vector<uint8_t> indices;
    for (int y = 0; y < h; ++y) indices.insert(indices.end(), reduced.ScanLine(y), reduced.ScanLine(y) + w);
    EXPECT_EQ(g.images[0].data.pixels, indices);
    EXPECT_EQ(capture.Format(), ui::PixelFormat::Bits32);
}

TEST(GifFile, OnePixelAndEmptyCaptures) {
    TGifPicture one;
    one.Reduction = 8;
    one.Assign(giftest::MakeBitmap(1, 1, [](int, int) { return RGB(12, 34, 56); }));
    const auto f = Saved(one);
    EXPECT_EQ(std::string(f.begin(), f.begin() + 6), "GIF87a");
    EXPECT_EQ(f.size(), 13 + 10 + 768 + 1 + 5 + 1 + 1u);  // 1 x 1: one sub-block of 4 bytes
    EXPECT_EQ(f[23 + 30], 12);                             // the pixel's colour at slot 10
    EXPECT_EQ(f[23 + 768], 8);

    // An empty bitmap: a frame without pixels, a file of 14 bytes.
    TGifPicture empty;
    empty.Assign(ui::Bitmap());
    EXPECT_EQ(empty.FrameCount(), 1);
    EXPECT_EQ(Saved(empty), (std::vector<uint8_t>{'G', 'I', 'F', '8', '7', 'a', 0, 0, 0, 0, 0x77, 0, 0, 0x3B}));

    // No frames at all: an error, and the progress says it failed.
    TGifPicture none;
    std::vector<std::pair<int, int>> stages;
    none.OnProgress = [&](const void*, TProgressStage stage, int percent, bool, const RECT&, const std::wstring& m) {
        EXPECT_EQ(m, txt::GifSaving);
        stages.emplace_back(stage, percent);
    };
    EXPECT_EQ(MessageOf([&] { Saved(none); }), txt::GifUnsupportedVersion);
    EXPECT_EQ(stages, (std::vector<std::pair<int, int>>{{0, 0}, {2, 0}}));
}

TEST(GifFile, PaletteBitmapsKeepTheirTables) {
    // The frame's map is the bitmap's colour table as the bitmap reports it
    // (Wine's DIB sections report all 2^bits entries of an 8-bit table).
    struct Case {
        int bits, tableSize;
    } cases[] = {{1, 2}, {4, 16}, {8, 16}, {8, 200}};
    for (const Case& c : cases) {
        std::vector<RGBQUAD> table;
        for (int i = 0; i < c.tableSize; ++i) table.push_back(RGBQUAD{uint8_t(i), uint8_t(2 * i), uint8_t(100 + i / 2), 0});
        ui::Bitmap b = giftest::MakeIndexedBitmap(9, 5, c.bits, table, [&](int x, int y) { return (x + y) % c.tableSize; });
        const int entries = int(b.ColorTable().size());
        ASSERT_GE(entries, c.tableSize);
        const int depth = BitsForColors(entries);
        TGifPicture image;
        image.Assign(b);
        const auto f = Saved(image);
        EXPECT_EQ(f[10], ((depth - 1) << 4) | (depth - 1)) << c.tableSize;
        EXPECT_EQ(f[13 + 9], 0x80 | (depth - 1));
        EXPECT_EQ(f[13 + 10], 100);  // red of entry 0
        EXPECT_EQ(f[13 + 10 + (3 << depth)], std::max(2, depth)) << "LZW minimum code size";
        const giftest::Gif g = giftest::ParseGif(f);
        ASSERT_EQ(g.error, "");
        EXPECT_EQ(g.images[0].data.pixels[10], (1 + 1) % c.tableSize);  // x 1, y 1
        EXPECT_EQ(g.images[0].data.pixels.size(), 45u);
    }
}

TEST(GifFile, TransparentBitmapsGetAControlExtension) {
    ui::Bitmap b = giftest::MakeBitmap(6, 4, [](int x, int y) { return x < 3 ? RGB(255, 0, 255) : RGB(10 * y, 50, 90); });
    b.transparent = true;
    b.transparentColor = RGB(255, 0, 255);
    TGifPicture image;
    image.Reduction = 8;
    image.Assign(b);
    const auto f = Saved(image);
    EXPECT_EQ(std::string(f.begin(), f.begin() + 6), "GIF89a");
    const giftest::Gif g = giftest::ParseGif(f);
    ASSERT_EQ(g.error, "");
    ASSERT_EQ(g.images.size(), 1u);
    ASSERT_EQ(g.images[0].extensions.size(), 1u);
    const auto& e = g.images[0].extensions[0];
    ASSERT_EQ(e.size(), 8u);
    const int index = e[6];
    EXPECT_EQ(std::vector<uint8_t>(e.begin(), e.begin() + 6), (std::vector<uint8_t>{0x21, 0xF9, 0x04, 0x01, 0x00, 0x00}));
    EXPECT_EQ(e[7], 0);
    // Sorted by use (4 colours) plus the black transparent entry: 3 bits.
    EXPECT_EQ(g.images[0].packed & 0x07, 2);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x) EXPECT_EQ(g.images[0].data.pixels[size_t(y * 6 + x)] == index, x < 3);

    // All 256 entries in use: no room for a transparent index, but the map
    // stays sorted, so the sort bit and "89a".
    ui::Bitmap full(16, 16, ui::PixelFormat::Bits8);
    std::vector<RGBQUAD> table;
    for (int i = 0; i < 256; ++i) table.push_back(RGBQUAD{uint8_t(i), uint8_t(255 - i), uint8_t(i / 2), 0});
    full.SetColorTable(table);
    for (int i = 0; i < 256; ++i) full.ScanLine(i / 16)[i % 16] = uint8_t(i);
    full.transparent = true;
    full.transparentColor = RGB(0, 255, 0);
    TGifPicture all;
    all.Assign(full);
    const auto g2 = Saved(all);
    EXPECT_EQ(std::string(g2.begin(), g2.begin() + 6), "GIF89a");
    EXPECT_EQ(g2[13], 0x2C) << "no extension";
    EXPECT_EQ(g2[13 + 9], 0xA7);

    // The extension's own bytes for index 5.
    TGifPicture host;
    TGifFrame frame(&host);
    TGifGraphicControlExtension gce(&frame);
    gce.SetTransparent(true);
    gce.SetTransparentColorIndex(5);
    MemoryStream s;
    gce.SaveToStream(s);
    EXPECT_EQ(s.Data(), (std::vector<uint8_t>{0x21, 0xF9, 0x04, 0x01, 0x00, 0x00, 0x05, 0x00}));
    EXPECT_TRUE(frame.Transparent());
}

TEST(GifFile, RunLengthAndCopiedImagesAreReadable) {
    ui::Bitmap b = giftest::MakeBitmap(200, 50, [](int x, int y) { return x < 120 ? RGB(0, 0, 255) : RGB(x, y, 7); });
    TGifPicture rle;
    rle.EncoderKind = 1;
    rle.Reduction = 8;
    rle.Assign(b);
    const auto f = Saved(rle);
    const giftest::Gif g = giftest::ParseGif(f);
    ASSERT_EQ(g.error, "");
    EXPECT_EQ(g.images[0].data.error, "");
    EXPECT_EQ(g.images[0].data.pixels.size(), 200 * 50u);

    TGifPicture lzw;
    lzw.Reduction = 8;
    lzw.Assign(b);
    TGifPicture copy;
    copy.Assign(&lzw);
    EXPECT_EQ(Saved(copy), Saved(lzw));
    // A copy carries fresh copies of the extensions, bound to its own frame.
    ui::Bitmap t = b;
    t.transparent = true;
    t.transparentColor = RGB(0, 0, 255);
    TGifPicture transparent;
    transparent.Reduction = 8;
    transparent.Assign(t);
    TGifPicture second;
    second.Assign(&transparent);
    ASSERT_EQ(second.Frame(0)->Extensions().ItemCount(), 1);
    EXPECT_EQ(second.Frame(0)->GraphicControlExtension(), second.Frame(0)->Extensions().ExtensionAt(0));
    EXPECT_TRUE(second.Frame(0)->Transparent());
    EXPECT_EQ(Saved(second), Saved(transparent));
    copy.Assign(&copy);  // itself: nothing
    EXPECT_EQ(copy.FrameCount(), 1);
    copy.Assign(static_cast<const TGraphic*>(nullptr));
    EXPECT_EQ(copy.FrameCount(), 0);
}

TEST(GifFrame, TrueColourImportWithoutReduction) {
    // Method 0 keeps 24 bits: the map is built from the pixels as they come.
    TGifPicture image;
    image.Reduction = 0;
    std::vector<std::pair<int, int>> progress;
    image.OnProgress = [&](const void*, TProgressStage stage, int percent, bool, const RECT&, const std::wstring& m) {
        if (m == txt::GifConverting) progress.emplace_back(stage, percent);
    };
    image.Assign(giftest::MakeBitmap(3, 70, [](int x, int y) { return y < 35 ? RGB(9, 9, x) : RGB(1, 2, 3); }));
    TGifFrame* f = image.Frame(0);
    ASSERT_EQ(f->ColorMap().Count(), 4);
    EXPECT_EQ(f->ColorMap().ColorAt(0), RGB(9, 9, 0));
    EXPECT_EQ(f->ColorMap().ColorAt(3), RGB(1, 2, 3));
    EXPECT_EQ(f->Pixel(2, 0), 2);
    EXPECT_EQ(f->Pixel(0, 69), 3);
    // Stage 0, then every 32 rows, then 100 %.
    EXPECT_EQ(progress, (std::vector<std::pair<int, int>>{{0, 0}, {1, 0}, {1, 45}, {1, 91}, {2, 100}}));

    progress.clear();
    const std::wstring m = MessageOf(
        [&] { image.Assign(giftest::MakeBitmap(300, 1, [](int x, int) { return RGB(x % 256, x / 256, 0); })); });
    EXPECT_EQ(m, txt::GifColorTableOverflow);
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.back(), std::make_pair(2, 0)) << "the failure ends with 0 %";
}

TEST(GifFrame, BoundsPixelsAndWarnings) {
    TGifPicture image;
    std::vector<std::wstring> warnings;
    image.WarningEvent = [&](const void*, int severity, const std::wstring& m) {
        EXPECT_EQ(severity, 1);
        warnings.push_back(m);
    };
    image.Assign(giftest::MakeBitmap(10, 8, [](int, int) { return RGB(1, 2, 3); }));
    EXPECT_EQ(image.GetWidth(), 10);
    EXPECT_EQ(image.GetHeight(), 8);
    EXPECT_TRUE(warnings.empty());

    auto frame = std::make_unique<TGifFrame>(&image);
    frame->SetBounds(RECT{5, 0, 20, 3});
    EXPECT_EQ(warnings, (std::vector<std::wstring>{txt::GifWidthSmallerThanFrames, txt::GifExceedsScreen}));
    EXPECT_EQ(image.GetWidth(), 20);
    EXPECT_EQ(frame->PixelCount(), 45);
    EXPECT_EQ(MessageOf([&] { frame->Pixel(15, 0); }), txt::GifInvalidPixelCoordinates);
    EXPECT_EQ(MessageOf([&] { frame->Row(3); }), txt::GifInvalidPixelCoordinates);
    frame->Row(2)[14] = 9;
    EXPECT_EQ(frame->Pixel(14, 2), 9);
    image.AddFrame(std::move(frame));

    EXPECT_EQ(MessageOf([&] { image.SetWidth(19); }), txt::GifWidthSmallerThanFrames);
    EXPECT_EQ(image.GetWidth(), 20);
    EXPECT_EQ(MessageOf([&] { image.SetHeight(7); }), txt::GifHeightSmallerThanFrames);
    image.SetWidth(30);
    EXPECT_EQ(image.GetWidth(), 30);

    TGifFrame big(&image);
    EXPECT_EQ(MessageOf([&] { big.SetBounds(RECT{0, 0, 70000, 1}); }), txt::GifInvalidImageDimensions);
    EXPECT_EQ(MessageOf([&] { big.Assign(ui::Bitmap(70000, 1, ui::PixelFormat::Bits32)); }),
              txt::GifInvalidImageDimensions);
}

TEST(GifFrame, RenderCropAndMerge) {
    TGifPicture image;
    image.PaintFlags = 0;  // plain rendering
    auto frame = std::make_unique<TGifFrame>(&image);
    frame->SetBounds(RECT{0, 0, 4, 3});
    for (COLORREF c : {RGB(0, 0, 0), RGB(255, 0, 0), RGB(0, 255, 0)}) frame->ColorMap().AddColor(c);
    const uint8_t pixels[12] = {0, 0, 0, 0, 0, 1, 2, 0, 0, 0, 0, 0};
    for (int y = 0; y < 3; ++y) std::memcpy(frame->Row(y), pixels + 4 * y, 4);
    auto gce = std::make_unique<TGifGraphicControlExtension>(frame.get());
    gce->SetTransparent(true);
    gce->SetTransparentColorIndex(0);
    frame->Extensions().AddItem(std::move(gce));
    TGifFrame* f = frame.get();
    image.AddFrame(std::move(frame));

    const ui::Bitmap* rendered = f->Bitmap();
    ASSERT_NE(rendered, nullptr);
    EXPECT_EQ(rendered->ScanLine(1)[1], 1);
    EXPECT_EQ(giftest::PixelOf(*rendered, 2, 1), RGB(0, 255, 0));
    EXPECT_TRUE(f->HasMask());

    // Drawn with transparency onto white: only the two opaque pixels change.
    ui::Bitmap canvas(4, 3, ui::PixelFormat::Bits24);
    canvas.Clear(RGB(255, 255, 255));
    f->Draw(canvas.Canvas(), RECT{0, 0, 4, 3}, false, true);
    EXPECT_EQ(giftest::PixelOf(canvas, 0, 0), RGB(255, 255, 255));
    EXPECT_EQ(giftest::PixelOf(canvas, 1, 1), RGB(255, 0, 0));
    EXPECT_EQ(giftest::PixelOf(canvas, 2, 1), RGB(0, 255, 0));

    f->Crop();
    EXPECT_EQ(f->Left(), 1);
    EXPECT_EQ(f->Top(), 1);
    EXPECT_EQ(f->Width(), 2);
    EXPECT_EQ(f->Height(), 1);
    EXPECT_EQ(f->Pixel(1, 0), 2);
    f->Row(0)[0] = 0;
    f->Row(0)[1] = 0;
    f->Crop();
    EXPECT_TRUE(f->Empty()) << "transparent everywhere: nothing left";

    // Merge: pixels equal to the previous frame's become transparent.
    TGifPicture two;
    auto a = std::make_unique<TGifFrame>(&two), b = std::make_unique<TGifFrame>(&two);
    for (auto* fr : {a.get(), b.get()}) {
        fr->SetBounds(RECT{0, 0, 3, 1});
        fr->ColorMap().AddColor(RGB(1, 1, 1));
        fr->ColorMap().AddColor(RGB(2, 2, 2));
    }
    const uint8_t pa[3] = {0, 1, 0}, pb[3] = {0, 0, 0};
    std::memcpy(a->Row(0), pa, 3);
    std::memcpy(b->Row(0), pb, 3);
    TGifFrame* second = b.get();
    two.AddFrame(std::move(a));
    two.AddFrame(std::move(b));
    second->Merge(two.Frame(0));
    ASSERT_TRUE(second->Transparent());
    const int t = second->TransparentIndex();
    EXPECT_EQ(t, 2) << "black was added for it";
    EXPECT_EQ(second->Pixel(0, 0), t);
    EXPECT_EQ(second->Pixel(1, 0), 0);
    EXPECT_EQ(second->Pixel(2, 0), t);
}

TEST(GifFrame, DitheredRenderingAndTheCompositeBitmap) {
    ui::Bitmap source = giftest::MakeBitmap(40, 30, [](int x, int y) { return RGB(x * 6, y * 8, 100); });
    TGifPicture image;
    image.Reduction = 8;
    image.Assign(source);
    image.Frame(0)->FreeBitmap();  // render again from the indices
    image.PaintFlags = DitherToDisplay;
    const ui::Bitmap* dithered = image.Frame(0)->Bitmap();
    ASSERT_NE(dithered, nullptr);
    for (int y = 0; y < 30; y += 7)
        for (int x = 0; x < 40; x += 9) {
            const COLORREF c = giftest::PixelOf(*dithered, x, y);
            EXPECT_TRUE(GetRValue(c) % 51 == 0 && GetGValue(c) % 51 == 0 && GetBValue(c) % 51 == 0);
        }

    TGifPicture plain;
    plain.Reduction = 8;
    plain.Assign(source);
    ui::Bitmap composite;
    plain.AssignTo(composite);
    ui::Bitmap reduced = ReduceBitmapColors(source, 8, 0, nullptr, 8);
    ASSERT_EQ(composite.Width(), 40);
    for (int y = 0; y < 30; y += 5)
        for (int x = 0; x < 40; x += 3) EXPECT_EQ(giftest::PixelOf(composite, x, y), giftest::PixelOf(reduced, x, y));
}

TEST(GifFrame, ClipboardHoldsTheWholeFile) {
    TGifPicture image;
    image.Reduction = 8;
    image.Assign(giftest::MakeBitmap(16, 16, [](int x, int y) { return RGB(x * 16, y * 16, 0); }));
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    UINT format = 0;
    HANDLE data = nullptr;
    HPALETTE palette = nullptr;
    image.SaveToClipboardFormat(format, data, palette);
    EXPECT_EQ(format, UINT(CF_DIB));
    ASSERT_NE(data, nullptr);
    HANDLE gif = GetClipboardData(GifClipboardFormat);
    ASSERT_NE(gif, nullptr);
    const auto* p = static_cast<const uint8_t*>(GlobalLock(gif));
    std::vector<uint8_t> held(p, p + GlobalSize(gif));
    const auto file = Saved(image);
    ASSERT_GE(held.size(), file.size());  // a block may be rounded up
    held.resize(file.size());
    GlobalUnlock(gif);
    EmptyClipboard();
    CloseClipboard();
    GlobalFree(data);
    EXPECT_EQ(held, file);
    TGifPicture other;
    EXPECT_EQ(MessageOf([&] { other.LoadFromClipboardFormat(CF_TEXT, nullptr, nullptr); }),
              txt::GifUnsupportedClipboardFormat);
}

TEST(GifFrame, OptimiseDropsWhatASingleFrameDoesNotNeed) {
    TGifPicture image;
    image.Assign(giftest::MakeBitmap(8, 8, [](int x, int) { return x < 4 ? RGB(255, 0, 0) : RGB(0, 0, 255); }));
    auto gce = std::make_unique<TGifGraphicControlExtension>(image.Frame(0));
    image.Frame(0)->Extensions().AddItem(std::move(gce));  // neither transparent nor delayed
    EXPECT_EQ(image.RequiredVersion(), kGifVersion89a);
    image.OptimiseFrames(ooCleanup, 0, 8, 0);
    EXPECT_EQ(image.Frame(0)->Extensions().ItemCount(), 0);
    EXPECT_EQ(image.Frame(0)->GraphicControlExtension(), nullptr);
    EXPECT_EQ(image.RequiredVersion(), kGifVersion87a);
    EXPECT_EQ(MessageOf([&] { image.OptimiseFrames(ooReduceColors, 9, 8, 0); }), txt::GifInvalidReductionMethod);
}

TEST(GifSave, SaveGifWritesOrFailsCleanly) {
    const std::wstring path = giftest::TempPath(L"save.gif");
    DeleteFileW(path.c_str());
    ui::Bitmap capture = giftest::MakeBitmap(64, 32, [](int x, int y) { return RGB(x * 4, y * 8, 77); });
    ASSERT_TRUE(SaveGIF(capture, path));
    const auto file = giftest::ReadFileBytes(path);
    TGifPicture same;
    same.Reduction = 8;
    same.Assign(capture);
    EXPECT_EQ(file, Saved(same));
    EXPECT_EQ(capture.Format(), ui::PixelFormat::Bits32) << "the capture is not converted";

    // Read back by the tests' own reader: a capture of few colours comes back
    // pixel for pixel.
    const std::vector<COLORREF> colours = giftest::DistinctCellColors(40, 3);
    const ui::Bitmap few = giftest::MakeBitmap(29, 13, [&](int x, int y) { return colours[size_t(x * 7 + y * 3) % 40]; });
    const std::wstring fewPath = giftest::TempPath(L"few.gif");
    ASSERT_TRUE(SaveGIF(few, fewPath));
    const giftest::Gif g = giftest::ParseGif(giftest::ReadFileBytes(fewPath));
    DeleteFileW(fewPath.c_str());
    ASSERT_EQ(g.error, "");
    EXPECT_EQ(g.signature, "GIF87a");
    EXPECT_EQ(g.width, 29);
    EXPECT_EQ(g.height, 13);
    ASSERT_EQ(g.images.size(), 1u);
    const std::vector<uint8_t>& map = g.images[0].localMap.empty() ? g.globalMap : g.images[0].localMap;
    const std::vector<uint8_t> indices = g.images[0].RowOrderPixels();
    ASSERT_EQ(indices.size(), size_t(29 * 13));
    for (int y = 0; y < 13; ++y)
        for (int x = 0; x < 29; ++x) {
            const size_t i = indices[size_t(y * 29 + x)];
            ASSERT_LT(3 * i + 2, map.size());
            ASSERT_EQ(RGB(map[3 * i], map[3 * i + 1], map[3 * i + 2]), giftest::PixelOf(few, x, y)) << x << "," << y;
        }

    // An empty capture: nothing anyone could show, so no file.
    const std::wstring nothing = giftest::TempPath(L"empty.gif");
    DeleteFileW(nothing.c_str());
    EXPECT_FALSE(SaveGIF(ui::Bitmap(), nothing));
    EXPECT_EQ(GetFileAttributesW(nothing.c_str()), INVALID_FILE_ATTRIBUTES);

    // A folder that does not exist.
    EXPECT_FALSE(SaveGIF(capture, giftest::TempPath(L"no such folder\\x.gif")));
    // A file held open by someone else cannot be replaced; the old one stays.
    HANDLE held = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(SaveGIF(capture, path));
    CloseHandle(held);
    EXPECT_EQ(giftest::ReadFileBytes(path), file);
    DeleteFileW(path.c_str());
}

TEST(GifSave, RegisteredWithThePictureRegistry) {
    TGifPicture image;  // the first image starts the codec's unit
    EXPECT_NE(FindFileFormat(L"gif"), nullptr);
    EXPECT_EQ(FileFormatDescription(L"GIF"), txt::GifPictureDescription);
    EXPECT_NE(GifClipboardFormat, 0u);
    EXPECT_EQ(FindClipboardFormat(GifClipboardFormat), FindFileFormat(L"GIF"));
}
