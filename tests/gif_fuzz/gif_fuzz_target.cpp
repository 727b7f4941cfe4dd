// Whole files fed to the GIF loader: the image classes' own reading code
// (header, frame list, extension blocks, frames, LZW decoder), which needs no
// windows.h. Natively (clang, libFuzzer with AddressSanitizer and
// UndefinedBehaviorSanitizer) that is all it drives; in the Windows build the
// same entry point also loads each file into the program's image class and
// paints it, and a small main replays the checked-in seeds and every input
// that ever crashed.
//
// Each file that loads is saved again and the saved file loaded once more:
// it must load, and hold the same images. A budget of frames and pixels ends
// files that are merely large, so that an input which still takes long shows
// a slow path as a time-out.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "gif/gif_image_data.h"

#ifdef _WIN32
#include "gif/gif_picture.h"
#endif

namespace {

constexpr int kFrameBudget = 2000;
constexpr int64_t kPixelBudget = int64_t(1) << 22;

struct OverBudget {};

class BudgetedImage : public gif::TGifImageData {
public:
    std::unique_ptr<gif::TGifFrameData> NewFrame() override {
        if (FrameCount() >= kFrameBudget) throw OverBudget{};
        return TGifImageData::NewFrame();
    }
    void Progress(const void*, gif::TProgressStage stage, int, bool, const std::wstring&) override {
        if (stage == gif::psRunning && PixelsHeld() > kPixelBudget) throw OverBudget{};
    }
};

// A broken rule ends the run as a crash, naming the rule.
[[noreturn]] void Fail(const char* rule) {
    std::fprintf(stderr, "broken: %s\n", rule);
    std::fflush(stderr);
    __builtin_trap();
}

// The frames that hold an image, in order.
std::vector<gif::TGifFrameData*> Images(const gif::TGifImageData& image) {
    std::vector<gif::TGifFrameData*> frames;
    for (int i = 0; i < image.FrameCount(); ++i)
        if (!image.Frame(i)->Empty()) frames.push_back(image.Frame(i));
    return frames;
}

void LoadSaveLoad(const uint8_t* data, size_t size) {
    BudgetedImage image;
    try {
        gif::MemoryStream stream(data, size);
        image.LoadFromStream(stream);
    } catch (const gif::Exception&) {
        return;  // refused files are fine; only crashes, hangs and leaks count
    } catch (const OverBudget&) {
        return;
    }
    int64_t held = 0;
    for (int i = 0; i < image.FrameCount(); ++i) {
        gif::TGifFrameData* frame = image.Frame(i);
        held += frame->PixelCount();
        if (!frame->Empty() && frame->PixelCount() != frame->Width() * frame->Height())
            Fail("a frame holds its declared pixels");
    }
    if (held != image.PixelsHeld()) Fail("the image's running total is its frames' pixels");

    gif::MemoryStream saved;
    try {
        image.SaveToStream(saved);
    } catch (const gif::Exception&) {
        return;  // indices beyond the colour table cannot be written
    }
    BudgetedImage again;
    try {
        gif::MemoryStream stream(saved.Data().data(), saved.Data().size());
        again.LoadFromStream(stream);
    } catch (...) {
        Fail("what the codec wrote it reads");
    }
    const std::vector<gif::TGifFrameData*> a = Images(image), b = Images(again);
    if (a.size() != b.size()) Fail("saved and read again, the images are the same");
    // Blocks of a frame without an image are written before the next image,
    // which then reads them as its own: transparency is compared only where
    // every frame has an image.
    const bool sameBlocks = a.size() == size_t(image.FrameCount());
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i]->Left() != b[i]->Left() || a[i]->Top() != b[i]->Top() || a[i]->Width() != b[i]->Width() ||
            a[i]->Height() != b[i]->Height())
            Fail("saved and read again, each image has its place and size");
        if (sameBlocks && a[i]->TransparentIndex() != b[i]->TransparentIndex())
            Fail("saved and read again, each image has its transparency");
        if (std::memcmp(a[i]->Data(), b[i]->Data(), size_t(a[i]->PixelCount())) != 0)
            Fail("saved and read again, each image has its pixels");
    }
}

#ifdef _WIN32
void LoadAndPaint(const uint8_t* data, size_t size) {
    gif::MemoryStream stream(data, size);
    gif::TGifPicture picture;
    try {
        picture.LoadFromStream(stream);
    } catch (const gif::Exception&) {
        return;
    }
    try {
        HDC screen = GetDC(nullptr);
        HDC dc = CreateCompatibleDC(screen);
        HBITMAP target = CreateCompatibleBitmap(screen, 64, 64);
        HGDIOBJ old = SelectObject(dc, target);
        picture.Draw(dc, RECT{0, 0, 64, 64});
        SelectObject(dc, old);
        DeleteObject(target);
        DeleteDC(dc);
        ReleaseDC(nullptr, screen);
    } catch (const gif::Exception&) {
    }
}
#endif

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    LoadSaveLoad(data, size);
#ifdef _WIN32
    LoadAndPaint(data, size);
#endif
    return 0;
}
