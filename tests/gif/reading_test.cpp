// Reading whole files: extension blocks and their classes, the frame list,
// the size limits, files cut short at every byte, and saving what was read.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "gif/gif_texts.h"
#include "gif/gif_encoder.h"
#include "gif/gif_extensions.h"
#include "gif/gif_picture.h"
#include "gif/gif_read_texts.h"
#include "test_support.h"

using namespace gif;

namespace {

using Bytes = std::vector<uint8_t>;

Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}
Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }

// A GIF89a header of a w x h screen with a 4-colour global map.
Bytes Header(int w, int h) {
    return Bytes{'G', 'I', 'F', '8', '9', 'a', uint8_t(w), uint8_t(w >> 8), uint8_t(h), uint8_t(h >> 8), 0x91, 0, 0,
                 0, 0, 0, 255, 255, 255, 255, 0, 0, 0, 255, 0};
}

// A w x h frame at (0, 0) whose pixels are all index 1.
Bytes Image(int w, int h) {
    MemoryStream s;
    std::vector<uint8_t> pixels(size_t(w) * size_t(h), 1);
    TLZWEncoder encoder;
    encoder.Encode(s, 2, 4, pixels.data(), false, h, w);
    return Bytes{0x2C, 0, 0, 0, 0, uint8_t(w), uint8_t(w >> 8), uint8_t(h), uint8_t(h >> 8), 0} + s.Data();
}

const Bytes kTrailer{0x3B};
const Bytes kControl{0x21, 0xF9, 0x04, 0x09, 0x05, 0x00, 0x02, 0x00};  // transparent 2, delay 5, disposal 2
const Bytes kLoop = Bytes{0x21, 0xFF, 0x0B} + Text("NETSCAPE2.0") + Bytes{0x03, 0x01, 0x07, 0x00, 0x00};
const Bytes kComment = Bytes{0x21, 0xFE, 0x05} + Text("hello") + Bytes{0x03} + Text("abc") + Bytes{0x00};
const Bytes kPlainText = Bytes{0x21, 0x01, 0x0C, 1, 0, 2, 0, 40, 0, 8, 0, 5, 8, 1, 0, 0x02} + Text("hi") + Bytes{0};
const Bytes kRawApp = Bytes{0x21, 0xFF, 0x0B} + Text("XYZWVUTS1.0") + Bytes{0x02, 7, 8, 0x01, 9, 0x00};

struct Loaded {
    std::unique_ptr<TGifPicture> image = std::make_unique<TGifPicture>();
    std::vector<std::wstring> warnings;
    std::wstring error;
};

Loaded Load(const Bytes& file) {
    Loaded l;
    l.image->WarningEvent = [&l](const void*, int, const std::wstring& m) { l.warnings.push_back(m); };
    MemoryStream s(file.data(), file.size());
    try {
        l.image->LoadFromStream(s);
    } catch (const Exception& e) {
        l.error = e.Message();
    }
    l.image->WarningEvent = nullptr;
    return l;
}

Bytes Save(TGifPicture& image) {
    MemoryStream s;
    image.SaveToStream(s);
    return s.Data();
}

bool Contains(const Bytes& hay, const Bytes& needle) {
    return std::search(hay.begin(), hay.end(), needle.begin(), needle.end()) != hay.end();
}

}  // namespace

TEST(GifExtensions, EachKindIsReadByItsClassAndWrittenBackUnchanged) {
    const Bytes file = Header(4, 3) + kComment + kPlainText + kLoop + kRawApp + kControl + Image(4, 3) + kTrailer;
    Loaded l = Load(file);
    ASSERT_EQ(l.error, L"");
    EXPECT_TRUE(l.warnings.empty());
    ASSERT_EQ(l.image->FrameCount(), 1);
    TGifFrame* frame = l.image->Frame(0);
    ASSERT_EQ(frame->Extensions().ItemCount(), 5);
    auto* comment = dynamic_cast<TGifCommentExtension*>(frame->Extensions().ExtensionAt(0));
    ASSERT_NE(comment, nullptr);
    EXPECT_EQ(comment->Text, (std::vector<std::string>{"hello", "abc"}));
    auto* text = dynamic_cast<TGifTextExtension*>(frame->Extensions().ExtensionAt(1));
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->GridLeft, 1);
    EXPECT_EQ(text->GridWidth, 40);
    EXPECT_EQ(text->CellHeight, 8);
    EXPECT_EQ(text->Text, std::vector<std::string>{"hi"});
    auto* loop = dynamic_cast<TGifLoopExtension*>(frame->Extensions().ExtensionAt(2));
    ASSERT_NE(loop, nullptr);
    EXPECT_EQ(loop->LoopCount, 7);
    auto* raw = dynamic_cast<TGifRawAppExtension*>(frame->Extensions().ExtensionAt(3));
    ASSERT_NE(raw, nullptr);
    EXPECT_EQ(raw->Blocks, (std::vector<Bytes>{{7, 8}, {9}}));
    auto* control = frame->GraphicControlExtension();
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(control->Delay(), 5);
    EXPECT_EQ(control->Disposal(), 2);
    EXPECT_EQ(frame->TransparentIndex(), 2);

    // Saved, every block is there byte for byte; loading and saving that
    // gives the same file.
    const Bytes saved = Save(*l.image);
    for (const Bytes* block : {&kComment, &kPlainText, &kLoop, &kRawApp, &kControl})
        EXPECT_TRUE(Contains(saved, *block)) << "extension " << int((*block)[1]);
    Loaded again = Load(saved);
    ASSERT_EQ(again.error, L"");
    EXPECT_EQ(Save(*again.image), saved);
}

TEST(GifExtensions, WrittenBytesOfTheControlAndLoopingBlocks) {
    TGifPicture image;
    TGifFrame frame(&image);
    TGifGraphicControlExtension control(&frame);
    control.SetTransparent(true);
    control.SetTransparentColorIndex(5);
    TGifLoopExtension loop(&frame);
    MemoryStream s;
    control.SaveToStream(s);
    loop.SaveToStream(s);
    loop.BufferSize = 0x01020304;
    loop.SaveToStream(s);
    const Bytes expected = Bytes{0x21, 0xF9, 0x04, 0x01, 0x00, 0x00, 0x05, 0x00} + Bytes{0x21, 0xFF, 0x0B} +
                           Text("NETSCAPE2.0") + Bytes{0x03, 0x01, 0x00, 0x00, 0x00} + Bytes{0x21, 0xFF, 0x0B} +
                           Text("NETSCAPE2.0") + Bytes{0x03, 0x01, 0x00, 0x00, 0x05, 0x02, 4, 3, 2, 1, 0x00};
    EXPECT_EQ(s.Data(), expected);
}

TEST(GifExtensions, ApplicationBlocksResolveToAClassThatCanReadThem) {
    struct Case {
        const char* what;
        Bytes block;
        bool loop;                // read by the looping class
        const wchar_t* warning;   // null: read without one
    };
    const Case cases[] = {
        {"ANIMEXTS1.0 is a looping block",
         Bytes{0x21, 0xFF, 0x0B} + Text("ANIMEXTS1.0") + Bytes{0x03, 0x01, 0x02, 0x00, 0x00}, true, nullptr},
        {"an unknown identifier", kRawApp, false, nullptr},
        {"an identifier of 10 bytes", Bytes{0x21, 0xFF, 0x0A} + Text("ABCDEFGH10") + Bytes{0x01, 0x05, 0x00}, false,
         nullptr},
        {"a block of 12 bytes", Bytes{0x21, 0xFF, 0x0C} + Text("NETSCAPE2.0!") + Bytes{0x01, 0x05, 0x00}, false,
         nullptr},
        // Blocks the format does not allow lose nothing but themselves.
        {"a block of 5 bytes", Bytes{0x21, 0xFF, 0x05} + Text("ABCDE") + Bytes{0x00}, false,
         txt::GifUnsupportedAppExtensionSize},
        {"a looping sub-block too short", Bytes{0x21, 0xFF, 0x0B} + Text("NETSCAPE2.0") + Bytes{0x02, 0x01, 0x07, 0x00},
         true, txt::GifInvalidData},
    };
    for (const Case& c : cases) {
        Loaded l = Load(Header(4, 3) + c.block + Image(4, 3) + kTrailer);
        ASSERT_EQ(l.error, L"") << c.what;
        EXPECT_EQ(l.warnings, c.warning ? std::vector<std::wstring>{c.warning} : std::vector<std::wstring>{})
            << c.what;
        ASSERT_EQ(l.image->FrameCount(), 1) << c.what;
        ASSERT_EQ(l.image->Frame(0)->Extensions().ItemCount(), 1) << c.what;
        TGifExtension* e = l.image->Frame(0)->Extensions().ExtensionAt(0);
        EXPECT_EQ(e->IsLoopExtension(), c.loop) << c.what;
        EXPECT_EQ(l.image->Frame(0)->PixelCount(), 12) << c.what << ": the frame after it is read";
    }
    // The short loop sub-block's one byte is the count's low byte; the
    // missing high byte counts as 0.
    Loaded l = Load(Header(4, 3) + cases[5].block + Image(4, 3) + kTrailer);
    EXPECT_EQ(static_cast<TGifLoopExtension*>(l.image->Frame(0)->Extensions().ExtensionAt(0))->LoopCount, 7);
}

TEST(GifFrameList, UnknownBlocksZeroBytesAndEarlyEnds) {
    // An extension of a label nobody knows is skipped with a warning; the
    // frames around it are read.
    const Bytes unknown{0x21, 0x99, 0x03, 1, 2, 3, 0x02, 4, 5, 0x00};
    Loaded l = Load(Header(4, 3) + Image(4, 3) + unknown + kControl + Image(4, 3) + kTrailer);
    ASSERT_EQ(l.error, L"");
    EXPECT_EQ(l.warnings, std::vector<std::wstring>{txt::GifUnknownExtensionSkipped});
    ASSERT_EQ(l.image->FrameCount(), 2);
    EXPECT_EQ(l.image->Frame(1)->Extensions().ItemCount(), 1);
    EXPECT_EQ(l.image->Frame(1)->TransparentIndex(), 2);

    // Zero bytes between blocks are skipped.
    l = Load(Header(4, 3) + Bytes{0, 0} + Image(4, 3) + Bytes{0, 0, 0} + Image(4, 3) + Bytes{0} + kTrailer);
    EXPECT_EQ(l.error, L"");
    EXPECT_TRUE(l.warnings.empty());
    EXPECT_EQ(l.image->FrameCount(), 2);

    // No trailer: the frames read are kept, without an error.
    l = Load(Header(4, 3) + Image(4, 3) + Image(4, 3));
    EXPECT_EQ(l.error, L"");
    EXPECT_EQ(l.image->FrameCount(), 2);

    // A block of another kind ends the list with a warning.
    l = Load(Header(4, 3) + Image(4, 3) + Bytes{0x55, 1, 2} + kTrailer);
    EXPECT_EQ(l.error, L"");
    EXPECT_EQ(l.image->FrameCount(), 1);
    EXPECT_EQ(l.warnings.front(), txt::GifUnknownBlockType);
}

TEST(GifLimits, FramesAndScreensAboveTheCapAreRefusedBeforeAnythingIsAllocated) {
    // A 30-byte file with a 65535 x 65535 frame, and one with such a screen.
    const Bytes bigFrame = Header(4, 3) + Bytes{0x2C, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0, 2, 2, 0x4C, 0x01, 0} + kTrailer;
    EXPECT_EQ(Load(bigFrame).error, txt::GifImageTooLarge);
    EXPECT_EQ(Load(Header(0xFFFF, 0xFFFF) + Image(4, 3) + kTrailer).error, txt::GifImageTooLarge);
    // The frame cap is 8192 x 8192 pixels; all frames of an image together
    // hold at most four times that.
    EXPECT_NO_THROW(CheckImageSize(8192, 8192));
    EXPECT_NO_THROW(CheckImageSize(65535, 1024));
    EXPECT_THROW(CheckImageSize(8193, 8192), EGifError);
    EXPECT_NO_THROW(CheckImageSize(8192, 8192, 3 * kMaxImagePixels));
    EXPECT_THROW(CheckImageSize(1, 1, kMaxTotalPixels), EGifError);
}

TEST(GifReading, EveryCutOfAFileLoadsWithThePixelsBeforeTheCut) {
    // Three frames: plain, transparent (fill = transparent index 2) and with
    // a local map; every byte from the first extension on is a cut.
    MemoryStream s;
    std::vector<uint8_t> a(20 * 10), b(7 * 6), c(9 * 4);
    for (size_t i = 0; i < a.size(); ++i) a[i] = uint8_t((i * 7 + i / 20) % 4);
    for (size_t i = 0; i < b.size(); ++i) b[i] = uint8_t(i % 3);
    for (size_t i = 0; i < c.size(); ++i) c[i] = uint8_t((i * i) % 16);
    auto image = [](int left, int w, int h, uint8_t packed, const Bytes& map, const std::vector<uint8_t>& px,
                     int bits, bool interlaced) {
        MemoryStream data;
        TLZWEncoder encoder;
        encoder.Encode(data, uint8_t(bits), 1 << bits, px.data(), interlaced, h, w);
        return Bytes{0x2C, uint8_t(left), 0, 0, 0, uint8_t(w), 0, uint8_t(h), 0, packed} + map + data.Data();
    };
    Bytes map16;
    for (int i = 0; i < 16; ++i) map16.insert(map16.end(), {uint8_t(i * 16), uint8_t(255 - i * 16), uint8_t(i)});
    const Bytes head = Header(20, 10);
    const Bytes file = head + kLoop + image(0, 20, 10, 0, {}, a, 2, false) + kControl +
                       image(3, 7, 6, 0x40, {}, b, 2, true) + image(1, 9, 4, 0x83, map16, c, 4, false) + kTrailer;
    const std::vector<uint8_t>* full[3] = {&a, &b, &c};
    const uint8_t fill[3] = {0, 2, 0};
    int lastGood[3] = {0, 0, 0};
    for (size_t cut = head.size(); cut <= file.size(); ++cut) {
        Loaded l = Load(Bytes(file.begin(), file.begin() + long(cut)));
        if (!l.error.empty()) {
            // Only a cut inside a descriptor or colour map stops the load.
            EXPECT_EQ(l.error, txt::GifPrematureEnd) << cut;
            continue;
        }
        for (int f = 0; f < l.image->FrameCount() && f < 3; ++f) {
            TGifFrame* frame = l.image->Frame(f);
            if (frame->Empty()) continue;
            // Row order back to stream order for the interlaced frame.
            std::vector<uint8_t> got;
            const int h = frame->Height();
            if (frame->Interlaced()) {
                for (int start : {0, 4, 2, 1})
                    for (int y = start; y < h; y += start == 0 || start == 4 ? 8 : start == 2 ? 4 : 2)
                        got.insert(got.end(), frame->Row(y), frame->Row(y) + frame->Width());
            } else {
                got.assign(frame->Data(), frame->Data() + frame->PixelCount());
            }
            std::vector<uint8_t> expected = *full[f];
            if (f == 1) {
                // The encoder wrote the rows in interlaced order.
                std::vector<uint8_t> order;
                for (int start : {0, 4, 2, 1})
                    for (int y = start; y < h; y += start == 0 || start == 4 ? 8 : start == 2 ? 4 : 2)
                        order.insert(order.end(), expected.begin() + y * 7, expected.begin() + y * 7 + 7);
                expected = order;
            }
            ASSERT_EQ(got.size(), expected.size());
            int good = 0;
            while (good < int(got.size()) && got[size_t(good)] == expected[size_t(good)]) ++good;
            for (size_t i = size_t(good); i < got.size(); ++i)
                ASSERT_EQ(got[i], fill[f]) << "cut " << cut << ", frame " << f << ", pixel " << i;
            EXPECT_GE(good, lastGood[f]) << "cut " << cut << ", frame " << f;
            lastGood[f] = good;
        }
    }
    EXPECT_EQ(lastGood[0], 200);
    EXPECT_EQ(lastGood[1], 42);
    EXPECT_EQ(lastGood[2], 36);
}

TEST(GifReading, EachBlockIsReadByItsSizeByteAndTheImagesAfterItAreKept) {
    // Blocks whose sizes differ from the usual ones, as files in the field
    // hold them; each is followed by two 4 x 3 images. giflib and ImageMagick
    // read both images of each file, and the control block's fields belong to
    // the first.
    struct Case {
        const char* what;
        Bytes block;
        int delay;        // of the first frame; -1: it has no control block
        int transparent;  // of the first frame
        bool warned;
    };
    const Case cases[] = {
        {"a control block of 5 bytes", Bytes{0x21, 0xF9, 0x05, 0x05, 0x0A, 0x00, 0x02, 0x07, 0x00}, 10, 2, false},
        {"a control block followed by a data sub-block",
         Bytes{0x21, 0xF9, 0x04, 0x05, 0x0A, 0x00, 0x02, 0x03, 0xAA, 0xBB, 0xCC, 0x00}, 10, 2, false},
        {"an application block with an 8-byte identifier",
         Bytes{0x21, 0xFF, 0x08} + Text("ABCDEFGH") + Bytes{0x02, 7, 8, 0x00}, -1, -1, true},
        {"a looping block whose loop sub-block has 2 bytes",
         Bytes{0x21, 0xFF, 0x0B} + Text("NETSCAPE2.0") + Bytes{0x02, 0x01, 0x07, 0x00}, -1, -1, true},
    };
    for (const Case& c : cases) {
        Loaded l = Load(Header(4, 3) + c.block + Image(4, 3) + Image(4, 3) + kTrailer);
        ASSERT_EQ(l.error, L"") << c.what;
        EXPECT_EQ(l.warnings.empty(), !c.warned) << c.what;
        ASSERT_EQ(l.image->FrameCount(), 2) << c.what;
        for (int f = 0; f < 2; ++f) EXPECT_EQ(l.image->Frame(f)->PixelCount(), 12) << c.what << ", frame " << f;
        TGifGraphicControlExtension* control = l.image->Frame(0)->GraphicControlExtension();
        if (c.delay < 0) {
            EXPECT_EQ(control, nullptr) << c.what;
        } else {
            ASSERT_NE(control, nullptr) << c.what;
            EXPECT_EQ(control->Delay(), c.delay) << c.what;
        }
        EXPECT_EQ(l.image->Frame(0)->TransparentIndex(), c.transparent) << c.what;
        EXPECT_EQ(l.image->Frame(1)->GraphicControlExtension(), nullptr) << c.what;
        // What was read is written as well-formed blocks, and reads back the
        // same.
        Loaded again = Load(Save(*l.image));
        ASSERT_EQ(again.error, L"") << c.what;
        EXPECT_TRUE(again.warnings.empty()) << c.what;
        ASSERT_EQ(again.image->FrameCount(), 2) << c.what;
        EXPECT_EQ(again.image->Frame(0)->TransparentIndex(), c.transparent) << c.what;
    }
}

TEST(GifReading, AnImageWithoutAnyColourTableIsDrawnWithAGreyRamp) {
    // No global and no local table: the indices 0 to 3 of a 4 x 1 image are
    // drawn as a grey ramp over the four entries they need.
    MemoryStream data;
    const std::vector<uint8_t> pixels{0, 1, 2, 3};
    TLZWEncoder encoder;
    encoder.Encode(data, 2, 4, pixels.data(), false, 1, 4);
    const Bytes file = Bytes{'G', 'I', 'F', '8', '7', 'a', 4, 0, 1, 0, 0x01, 0, 0} +
                       Bytes{0x2C, 0, 0, 0, 0, 4, 0, 1, 0, 0} + data.Data() + kTrailer;
    Loaded l = Load(file);
    ASSERT_EQ(l.error, L"");
    ui::Bitmap target(4, 1, ui::PixelFormat::Bits24);
    target.Clear(RGB(1, 2, 3));
    ASSERT_NO_THROW(l.image->Draw(target.Canvas(), RECT{0, 0, 4, 1}));
    const COLORREF expected[4] = {RGB(0, 0, 0), RGB(85, 85, 85), RGB(170, 170, 170), RGB(255, 255, 255)};
    for (int x = 0; x < 4; ++x) EXPECT_EQ(giftest::PixelOf(target, x, 0), expected[x]) << x;
}
