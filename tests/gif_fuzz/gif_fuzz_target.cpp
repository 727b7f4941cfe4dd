// Whole files fed to the GIF loader. Natively (clang, libFuzzer with
// AddressSanitizer and UndefinedBehaviorSanitizer) it drives the block reader
// and the LZW decoder; in the Windows build the same entry point also loads
// each file into the image classes and paints it, and a small main replays
// the checked-in seeds and every input that ever crashed.
#include <cstddef>
#include <cstdint>

#include "gif/gif_layout.h"

#ifdef _WIN32
#include "gif/gif_picture.h"
#endif

namespace {

void ReadLayout(const uint8_t* data, size_t size) {
    gif::MemoryStream stream(data, size);
    try {
        const gif::TGifLayout layout = gif::ReadGifLayout(stream);
        // Every frame holds exactly its declared pixels.
        for (const gif::TGifLayoutFrame& f : layout.Frames)
            if (f.HasImage && f.Pixels.size() != size_t(f.Width) * size_t(f.Height)) __builtin_trap();
    } catch (const gif::Exception&) {
        // Refused files are fine; only crashes, hangs and leaks count.
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
    ReadLayout(data, size);
#ifdef _WIN32
    LoadAndPaint(data, size);
#endif
    return 0;
}
