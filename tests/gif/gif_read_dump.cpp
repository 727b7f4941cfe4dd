// Reads GIF files that other programs wrote, for check_reading.sh:
//   gif_read_dump IN.gif OUT BACKDROP
// writes OUT.raw (every frame's indices in stream order, as giftext -r gives
// them), OUT.frames.rgb (each frame's own colours, as its rendered bitmap
// holds them; red, green, blue bytes), OUT.coalesced.rgb (the screen after each frame as the painter draws
// the animation onto a bitmap filled with BACKDROP, a hex RRGGBB; red, green,
// blue bytes), OUT.resaved.gif (the image saved again) and OUT.resaved2.gif
// (that file loaded and saved once more).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "gif/gif_picture.h"
#include "test_support.h"

using namespace gif;

namespace {

bool WriteBytes(const std::string& name, const std::vector<uint8_t>& data) {
    FILE* f = std::fopen(name.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(data.data(), 1, data.size(), f) == data.size();
    return std::fclose(f) == 0 && ok;
}

void Load(TGifPicture& picture, const std::vector<uint8_t>& bytes) {
    picture.WarningEvent = [](const void*, int severity, const std::wstring& message) {
        std::fprintf(stderr, "warning %d: %ls\n", severity, message.c_str());
    };
    MemoryStream stream(bytes.data(), bytes.size());
    picture.LoadFromStream(stream);
}

std::vector<uint8_t> Save(TGifPicture& picture) {
    MemoryStream stream;
    picture.SaveToStream(stream);
    return stream.Data();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: gif_read_dump IN.gif OUT BACKDROP\n");
        return 2;
    }
    const std::string out = argv[2];
    const unsigned long rgb = std::strtoul(argv[3], nullptr, 16);
    const COLORREF backdrop = RGB((rgb >> 16) & 255, (rgb >> 8) & 255, rgb & 255);
    try {
        TGifPicture picture;
        const std::string in = argv[1];
        Load(picture, giftest::ReadFileBytes(std::wstring(in.begin(), in.end())));

        std::vector<uint8_t> raw;
        for (int i = 0; i < picture.FrameCount(); ++i) {
            TGifFrame* frame = picture.Frame(i);
            if (frame->Empty()) continue;
            static const int kStart[4] = {0, 4, 2, 1}, kStep[4] = {8, 8, 4, 2};
            auto row = [&](int y) { raw.insert(raw.end(), frame->Row(y), frame->Row(y) + frame->Width()); };
            if (frame->Interlaced()) {
                for (int pass = 0; pass < 4; ++pass)
                    for (int y = kStart[pass]; y < frame->Height(); y += kStep[pass]) row(y);
            } else {
                for (int y = 0; y < frame->Height(); ++y) row(y);
            }
        }
        if (!WriteBytes(out + ".raw", raw)) return 1;

        std::vector<uint8_t> colours;
        for (int i = 0; i < picture.FrameCount(); ++i) {
            const ui::Bitmap* bitmap = picture.Frame(i)->Bitmap();
            if (!bitmap) continue;
            ui::Bitmap rgb(bitmap->Width(), bitmap->Height(), ui::PixelFormat::Bits24);
            BitBlt(rgb.Canvas(), 0, 0, rgb.Width(), rgb.Height(), bitmap->Canvas(), 0, 0, SRCCOPY);
            for (int y = 0; y < rgb.Height(); ++y) {
                const uint8_t* p = rgb.ScanLine(y);
                for (int x = 0; x < rgb.Width(); ++x, p += 3) colours.insert(colours.end(), {p[2], p[1], p[0]});
            }
        }
        if (!WriteBytes(out + ".frames.rgb", colours)) return 1;

        // The animation drawn once, frame by frame, onto a bitmap of the
        // screen's size; the waits are recorded, not slept.
        ui::Bitmap target(picture.GetWidth(), picture.GetHeight(), ui::PixelFormat::Bits24);
        target.Clear(backdrop);
        std::vector<uint8_t> coalesced;
        picture.PainterWait = [](uint32_t ms) { return ms; };
        picture.PainterEvents.FramePainted = [&](TGifAnimator&) {
            for (int y = 0; y < target.Height(); ++y) {
                const uint8_t* p = target.ScanLine(y);
                for (int x = 0; x < target.Width(); ++x, p += 3) coalesced.insert(coalesced.end(), {p[2], p[1], p[0]});
            }
        };
        picture.StartPainter(nullptr, target.Canvas(), uint16_t(Animate | HonourTransparency),
                             RECT{0, 0, target.Width(), target.Height()});
        if (!WriteBytes(out + ".coalesced.rgb", coalesced)) return 1;

        const std::vector<uint8_t> saved = Save(picture);
        if (!WriteBytes(out + ".resaved.gif", saved)) return 1;
        TGifPicture again;
        Load(again, saved);
        if (!WriteBytes(out + ".resaved2.gif", Save(again))) return 1;
        std::printf("%d frames\n", picture.FrameCount());
    } catch (const Exception& e) {
        std::fprintf(stderr, "error: %ls\n", e.Message().c_str());
        return 1;
    }
    return 0;
}
