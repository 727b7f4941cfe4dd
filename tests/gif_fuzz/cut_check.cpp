// Every file cut at every byte after its header loads without a crash or a
// hang, and each frame that was read holds the pixels before the cut (in
// stream order) and the fill value after them: the transparent index, or 0.
#include <windows.h>

#include <cstdio>
#include <vector>

#include "gif/gif_picture.h"

using namespace gif;

namespace {

// The frame's indices in the order the stream holds them.
std::vector<uint8_t> StreamOrder(TGifFrame& frame) {
    std::vector<uint8_t> pixels;
    auto row = [&](int y) { pixels.insert(pixels.end(), frame.Row(y), frame.Row(y) + frame.Width()); };
    if (!frame.Interlaced()) {
        for (int y = 0; y < frame.Height(); ++y) row(y);
        return pixels;
    }
    static const int kStart[4] = {0, 4, 2, 1}, kStep[4] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass)
        for (int y = kStart[pass]; y < frame.Height(); y += kStep[pass]) row(y);
    return pixels;
}

bool Load(TGifPicture& image, const uint8_t* data, size_t size) {
    MemoryStream stream(data, size);
    try {
        image.LoadFromStream(stream);
        return true;
    } catch (const Exception&) {
        return false;
    }
}

}  // namespace

// Returns the number of failures, printing each.
int CheckCuts(const char* name, const std::vector<uint8_t>& file) {
    TGifPicture full;
    if (!Load(full, file.data(), file.size())) return 0;  // files the codec refuses have nothing to cut
    std::vector<std::vector<uint8_t>> expected;
    for (int f = 0; f < full.FrameCount(); ++f)
        expected.push_back(full.Frame(f)->Empty() ? std::vector<uint8_t>{} : StreamOrder(*full.Frame(f)));
    int failures = 0;
    for (size_t cut = 13; cut < file.size(); ++cut) {
        TGifPicture part;
        if (!Load(part, file.data(), cut)) continue;
        for (int f = 0; f < part.FrameCount() && f < full.FrameCount(); ++f) {
            TGifFrame* frame = part.Frame(f);
            if (frame->Empty()) continue;
            const std::vector<uint8_t> got = StreamOrder(*frame);
            const std::vector<uint8_t>& want = expected[size_t(f)];
            const int t = frame->TransparentIndex();
            const uint8_t fill = uint8_t(t >= 0 ? t : 0);
            size_t good = 0;
            while (good < got.size() && good < want.size() && got[good] == want[good]) ++good;
            bool ok = got.size() == want.size();
            for (size_t i = good; ok && i < got.size(); ++i) ok = got[i] == fill;
            if (!ok) {
                std::printf("FAIL %s cut at %u: frame %d holds other pixels after index %u\n", name, unsigned(cut), f,
                            unsigned(good));
                ++failures;
            }
        }
    }
    return failures;
}
