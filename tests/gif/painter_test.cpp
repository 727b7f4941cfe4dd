// The animation painter: its waits (recorded, not slept), its events, loop
// counts, and Draw starting and reusing painters.
#include <gtest/gtest.h>

#include <string>

#include "gif/gif_encoder.h"
#include "gif/gif_extensions.h"
#include "gif/gif_picture.h"
#include "test_support.h"

using namespace gif;

namespace {

// An image of `delays.size()` 4 x 4 frames of one colour each; a delay of -1
// gives a frame without a graphic control extension. loop >= 0 adds a
// looping block of that count to the first frame.
std::unique_ptr<TGifPicture> Animation(const std::vector<int>& delays, int loop = -1) {
    auto image = std::make_unique<TGifPicture>();
    for (size_t i = 0; i < delays.size(); ++i) {
        // Web-safe colours: no reduction changes them.
        const COLORREF color = RGB(51 * i, 255 - 51 * i, 102);
        image->AddFrame(giftest::MakeBitmap(4, 4, [&](int, int) { return color; }));
        TGifFrame* frame = image->Frame(int(i));
        if (i == 0 && loop >= 0) {
            auto block = std::make_unique<TGifLoopExtension>(frame);
            block->LoopCount = uint16_t(loop);
            frame->Extensions().AddItem(std::move(block));
        }
        if (delays[i] >= 0) {
            auto control = std::make_unique<TGifGraphicControlExtension>(frame);
            control->SetDelay(uint16_t(delays[i]));
            frame->Extensions().AddItem(std::move(control));
        }
    }
    return image;
}

// Records the events as letters: S started, P painting, F painted (with the
// frame index), L looped, E ended; and every wait.
struct Recorder {
    std::string events;
    std::vector<uint32_t> waits;
    int painted = 0;
    void Attach(TGifPicture& image, uint32_t firstWaitTakes = 0) {
        image.PainterEvents.AnimationStarted = [this](TGifAnimator&) { events += 'S'; };
        image.PainterEvents.FramePainting = [this](TGifAnimator&) { events += 'P'; };
        image.PainterEvents.FramePainted = [this](TGifAnimator& p) {
            events += 'F' + std::to_string(p.ActiveFrame);
            ++painted;
        };
        image.PainterEvents.AnimationLooped = [this](TGifAnimator&) { events += 'L'; };
        image.PainterEvents.AnimationEnded = [this](TGifAnimator&) { events += 'E'; };
        image.PainterWait = [this, firstWaitTakes](uint32_t ms) {
            waits.push_back(ms);
            return waits.size() == 1 && firstWaitTakes ? firstWaitTakes : ms;
        };
    }
};

struct Target {
    ui::Bitmap bitmap{16, 16, ui::PixelFormat::Bits24};
    HDC dc() const { return bitmap.Canvas(); }
    RECT rect{0, 0, 16, 16};
};

// Runs the image's painter calls until done() or a few seconds have passed.
bool PumpUntil(const std::function<bool()>& done) {
    for (int i = 0; i < 5000 && !done(); ++i) {
        DispatchPainterCalls();
        Sleep(1);
    }
    return done();
}

}  // namespace

TEST(GifPainter, WaitsFollowTheDelaysAndTheSpeed) {
    // Delays in units of 12 ms: 1 is raised to 3, none (or 0) is 10, and a
    // painter in the caller's thread waits 1 unit before the first frame.
    struct Case {
        int percent;
        std::vector<uint32_t> waits;
    };
    const Case cases[] = {{100, {12, 36, 120, 120}}, {200, {6, 18, 60, 60}}, {50, {24, 72, 240, 240}},
                          {0, {12000, 12000, 12000, 12000}}};
    for (const Case& c : cases) {
        auto image = Animation({1, 0, -1, 2000});
        image->AnimationPercent = c.percent;
        Recorder r;
        r.Attach(*image);
        Target t;
        EXPECT_EQ(image->StartPainter(nullptr, t.dc(), Animate, t.rect), nullptr);
        EXPECT_EQ(r.waits, c.waits) << c.percent << "%";
    }
    // In the caller's thread a stored delay above 1000 units waits 1000.
    auto image = Animation({3000, 5});
    Recorder r;
    r.Attach(*image);
    Target t;
    image->StartPainter(nullptr, t.dc(), Animate, t.rect);
    EXPECT_EQ(r.waits, (std::vector<uint32_t>{12, 12000}));
}

TEST(GifPainter, AStepThatOverranItsWaitNeverWaitsANegativeTime) {
    for (bool threaded : {false, true}) {
        auto image = Animation({5, 5, 5});
        Recorder r;
        r.Attach(*image, 1000000);  // the first wait takes far longer than planned
        Target t;
        TGifAnimator* painter =
            image->StartPainter(nullptr, t.dc(), uint16_t(Animate | (threaded ? RunInThread : 0)), t.rect);
        if (painter) painter->Resume();
        ASSERT_TRUE(PumpUntil([&] { return r.events.find('E') != std::string::npos; }));
        ASSERT_GE(r.waits.size(), 2u);
        // The overrun is taken off the next wait, down to nothing at all (in
        // the caller's thread at least 1 ms).
        EXPECT_EQ(r.waits[1], threaded ? 0u : 1u);
        EXPECT_LT(r.waits.back(), 100u);
    }
}

TEST(GifPainter, EventsInOrderAndLoopCounts) {
    struct Case {
        const char* what;
        uint16_t flags;
        int loop;  // -1: no looping block
        std::string events;
    };
    const uint16_t caller = Animate | Repeat, threaded = Animate | Repeat | RunInThread;
    const Case cases[] = {
        {"caller's thread, no looping block", caller, -1, "SPF0PF1PF2E"},
        {"caller's thread, loop count 0 shows the frames once", caller, 0, "SPF0PF1PF2E"},
        {"threaded, no looping block", threaded, -1, "SPF0PF1PF2E"},
        {"threaded, loop count 2 shows the frames twice", threaded, 2, "SPF0PF1PF2LPF0PF1PF2E"},
        {"threaded, loop count 3", threaded, 3, "SPF0PF1PF2LPF0PF1PF2LPF0PF1PF2E"},
        {"not animated: the first frame only", uint16_t(Repeat), -1, "SPF0E"},
    };
    for (const Case& c : cases) {
        auto image = Animation({2, 2, 2}, c.loop);
        Recorder r;
        r.Attach(*image);
        Target t;
        TGifAnimator* owner = reinterpret_cast<TGifAnimator*>(1);
        TGifAnimator* painter = image->StartPainter(&owner, t.dc(), c.flags, t.rect);
        if (c.flags & RunInThread) {
            ASSERT_NE(painter, nullptr) << c.what;
            EXPECT_EQ(owner, painter);
            painter->Resume();
            ASSERT_TRUE(PumpUntil([&] { return owner == nullptr; })) << c.what;
        } else {
            EXPECT_EQ(painter, nullptr) << c.what << ": it has gone";
            EXPECT_EQ(owner, nullptr) << c.what;
        }
        EXPECT_EQ(r.events, c.events) << c.what;
        EXPECT_TRUE(image->PainterList.empty());
    }
}

TEST(GifPainter, AnEndlessPainterStopsWhenAsked) {
    auto image = Animation({2, 2}, 0);
    Recorder r;
    r.Attach(*image);
    Target t;
    TGifAnimator* painter = image->StartPainter(nullptr, t.dc(), Animate | Repeat | RunInThread, t.rect);
    ASSERT_NE(painter, nullptr);
    painter->Resume();
    ASSERT_TRUE(PumpUntil([&] { return r.painted >= 10; }));
    image->StopPainters();
    EXPECT_TRUE(image->PainterList.empty());
    EXPECT_EQ(r.events.back(), 'E');
    // Freeing an image stops its painters first.
    painter = image->StartPainter(nullptr, t.dc(), Animate | Repeat | RunInThread, t.rect);
    painter->Resume();
    ASSERT_TRUE(PumpUntil([&] { return r.painted >= 14; }));
    image.reset();
}

TEST(GifPainter, DrawStartsOnePainterPerCanvasAndRectangle) {
    Target t;
    // One frame: drawn, never a painter.
    auto single = Animation({5});
    Recorder r1;
    r1.Attach(*single);
    single->Draw(t.dc(), t.rect);
    EXPECT_EQ(r1.events, "");
    EXPECT_EQ(giftest::PixelOf(t.bitmap, 8, 8), RGB(0, 255, 102));

    auto image = Animation({2, 2}, 0);
    image->PaintFlags = uint16_t(RunInThread | Animate | Repeat | PaintDirect);
    Recorder r;
    r.Attach(*image);
    image->Draw(t.dc(), t.rect);
    ASSERT_NE(image->ForegroundPainter, nullptr);
    TGifAnimator* first = image->ForegroundPainter;
    ASSERT_TRUE(PumpUntil([&] { return r.painted >= 3; }));
    image->Draw(t.dc(), t.rect);  // the same place: it goes on
    EXPECT_EQ(image->ForegroundPainter, first);
    image->Draw(t.dc(), RECT{0, 0, 8, 8});  // another place: a new painter
    EXPECT_NE(image->ForegroundPainter, nullptr);
    EXPECT_TRUE(PumpUntil([&] { return std::count(r.events.begin(), r.events.end(), 'S') == 2; }));
    EXPECT_EQ(image->PainterList.size(), 1u);
    image->StopPainters();
    EXPECT_EQ(image->ForegroundPainter, nullptr);

    // Without PaintDirect Draw waits for the first frame in the image's own
    // bitmap and copies it to the canvas.
    image->PaintFlags = uint16_t(RunInThread | Animate);
    t.bitmap.Clear(RGB(1, 2, 3));
    image->Draw(t.dc(), t.rect);
    // The waits take no time here: the painter may be a frame further.
    const COLORREF shown = giftest::PixelOf(t.bitmap, 8, 8);
    EXPECT_TRUE(shown == RGB(0, 255, 102) || shown == RGB(51, 204, 102)) << std::hex << shown;
    image->StopPainters();
}

TEST(GifPainter, RestoringToTheBackgroundWithoutTransparencyFillsTheBackdropColour) {
    // Frame 0 covers the screen and is disposed of to the background; frame 1
    // covers only the top left quarter.
    auto image = std::make_unique<TGifPicture>();
    image->AddFrame(giftest::MakeBitmap(4, 4, [](int, int) { return RGB(255, 0, 0); }));
    image->AddFrame(giftest::MakeBitmap(2, 2, [](int, int) { return RGB(0, 0, 255); }));
    auto control = std::make_unique<TGifGraphicControlExtension>(image->Frame(0));
    control->SetDisposal(2);
    image->Frame(0)->Extensions().AddItem(std::move(control));
    image->BackdropColor = RGB(0, 255, 0);
    Recorder r;
    r.Attach(*image);
    Target t;
    t.bitmap.Clear(RGB(9, 9, 9));
    std::vector<std::pair<COLORREF, COLORREF>> seen;  // top left and bottom right after each frame
    image->PainterEvents.FramePainted = [&](TGifAnimator&) {
        seen.push_back({giftest::PixelOf(t.bitmap, 1, 1), giftest::PixelOf(t.bitmap, 14, 14)});
    };
    image->StartPainter(nullptr, t.dc(), Animate, t.rect);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0], std::make_pair(RGB(255, 0, 0), RGB(255, 0, 0)));
    EXPECT_EQ(seen[1], std::make_pair(RGB(0, 0, 255), RGB(0, 255, 0)));
}

namespace {

// A GIF89a file of `count` frames of w x h pixels (index 1 of a 2-colour
// global map); `between` is put after the first frame.
std::vector<uint8_t> ManyFrames(int count, int w, int h, const std::vector<uint8_t>& between = {}) {
    std::vector<uint8_t> file{'G', 'I', 'F', '8', '9', 'a', uint8_t(w), 0, uint8_t(h), 0, 0x80, 0, 0, 0, 0, 0, 255, 255, 255};
    MemoryStream data;
    const std::vector<uint8_t> pixels(size_t(w) * size_t(h), 1);
    TLZWEncoder encoder;
    encoder.Encode(data, 2, 2, pixels.data(), false, h, w);
    std::vector<uint8_t> image(10 + data.Data().size());
    const uint8_t descriptor[10] = {0x2C, 0, 0, 0, 0, uint8_t(w), 0, uint8_t(h), 0, 0};
    std::copy(descriptor, descriptor + 10, image.begin());
    std::copy(data.Data().begin(), data.Data().end(), image.begin() + 10);
    for (int i = 0; i < count; ++i) {
        file.insert(file.end(), image.begin(), image.end());
        if (i == 0) file.insert(file.end(), between.begin(), between.end());
    }
    file.push_back(0x3B);
    return file;
}

std::unique_ptr<TGifPicture> LoadBytes(const std::vector<uint8_t>& file) {
    auto image = std::make_unique<TGifPicture>();
    MemoryStream s(file.data(), file.size());
    image->LoadFromStream(s);
    return image;
}

}  // namespace

TEST(GifPainter, AFrameWithoutAnImageIsSteppedOver) {
    // A comment block and a stray zero byte after the first image make a
    // frame that holds only the comment; both images are still shown.
    const std::vector<uint8_t> comment{0x21, 0xFE, 0x02, 'h', 'i', 0x00, 0x00};
    auto image = LoadBytes(ManyFrames(2, 4, 4, comment));
    ASSERT_EQ(image->FrameCount(), 3);
    ASSERT_TRUE(image->Frame(1)->Empty());
    Recorder r;
    r.Attach(*image);
    Target t;
    image->StartPainter(nullptr, t.dc(), Animate, t.rect);
    EXPECT_EQ(r.events, "SPF0PF2E");
}

TEST(GifPainter, EightyThousandFramesArePaintedWithoutABitmapKeptForEach) {
    // Each frame's rendering is a bitmap of its own; kept for every frame they
    // would take the whole address space (and on Windows the process's GDI
    // handle quota). Every frame is shown, and the image can be saved after.
    const int count = 80000;
    auto image = LoadBytes(ManyFrames(count, 1, 1));
    ASSERT_EQ(image->FrameCount(), count);
    int painted = 0;
    image->PainterWait = [](uint32_t ms) { return ms; };
    image->PainterEvents.FramePainted = [&](TGifAnimator&) { ++painted; };
    Target t;
    ASSERT_NO_THROW(image->StartPainter(nullptr, t.dc(), Animate, t.rect));
    EXPECT_EQ(painted, count);
    MemoryStream saved;
    ASSERT_NO_THROW(image->SaveToStream(saved));
    EXPECT_GT(saved.Data().size(), size_t(count) * 10);
}
