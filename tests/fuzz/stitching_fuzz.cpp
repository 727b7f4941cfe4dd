// Stitching on a simulated window that the input drives: its size, its
// document, how far each step scrolls, whether it moves its pixels or
// repaints, whether the marker can be drawn, when it stops answering and
// when the user stops the run; the row store's limit. The image never grows
// past its limits, and when every row of the document is distinct it is
// exactly the document's rows from the top, however the run ended. The
// building blocks (row shift, marker shift) agree with their definitions.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "capture/scroll_stitch.h"
#include "fuzz_input.h"

namespace {

constexpr uint32_t kMarker = 0xC0C0C5;
constexpr uint32_t kFiller = 0xFF000000u;

class FuzzWindow : public scroll::ScrollTarget {
public:
    FuzzWindow(fuzz::Input& in, bool distinct) : in_(in) {
        w_ = int(in.Range(1, 48));
        h_ = int(in.Range(1, 64));
        docRows_ = int(in.Range(0, 3000));
        markerDrawable_ = in.Flag();
        hangAfter_ = in.Flag() ? int(in.Range(0, 200)) : -1;
        stopAtPoll_ = in.Flag() ? int(in.Range(1, 200)) : -1;
        stopValue_ = int(in.Range(1, 2));
        // A few colours only, so that rows repeat, unless the rows are distinct.
        palette_ = in.Take<uint32_t>() & 0x00FFFFFF;
        distinct_ = distinct;
        screen_.resize(size_t(w_) * size_t(h_));
        Draw(0, h_);
    }

    int Width() const override { return w_; }
    int Height() const override { return h_; }
    const uint32_t* ReadRows(int top, int count) override {
        FUZZ_CHECK(top >= 0 && count >= 0 && top + count <= h_);
        if (unreadable_) return nullptr;
        buffer_.assign(screen_.begin() + ptrdiff_t(top) * w_, screen_.begin() + ptrdiff_t(top + count) * w_);
        return buffer_.data();
    }
    const uint32_t* ReadColumn(int x, int count) override {
        FUZZ_CHECK(x >= 0 && x < w_ && count >= 0 && count <= h_);
        buffer_.resize(size_t(count));
        for (int y = 0; y < count; ++y) buffer_[size_t(y)] = At(x, y);
        return buffer_.data();
    }
    bool PlaceMarker(int x, int y, uint32_t& value) override {
        FUZZ_CHECK(x >= 0 && x < w_ && y >= 0 && y < h_);
        FUZZ_CHECK(!markerOut_);  // one marker at a time
        if (!markerDrawable_ || (in_.Byte() & 7) == 0) return false;
        saved_ = At(x, y);
        At(x, y) = value = kMarker;
        markerOut_ = true;
        return true;
    }
    void RestoreMarker(int x, int y) override {
        FUZZ_CHECK(markerOut_);
        FUZZ_CHECK(x >= 0 && x < w_ && y >= 0 && y < h_);
        FUZZ_CHECK(At(x, y) == kMarker);
        At(x, y) = saved_;
        markerOut_ = false;
    }
    void MarkerLost() override {
        markerOut_ = false;
        Draw(0, h_);
    }
    bool Step() override {
        ++steps_;
        FUZZ_CHECK(steps_ < 100000);
        if (hangAfter_ >= 0 && steps_ > hangAfter_) return false;
        const uint8_t how = in_.Byte();
        const int by = in_.Left() ? int(in_.Range(0, h_ + 2)) : 1;
        const int next = std::min(pos_ + by, std::max(docRows_ - h_, 0));
        const int d = next - pos_;
        pos_ = next;
        if (how & 1) {
            // Repaints: the marker is gone.
            markerOut_ = false;
            Draw(0, h_);
        } else if (d >= h_) {
            Draw(0, h_);
            if (markerOut_) markerOut_ = false;  // scrolled out of the view
        } else if (d > 0) {
            // The marker moves with the pixels; one that leaves the view is gone.
            std::memmove(screen_.data(), screen_.data() + size_t(d) * size_t(w_),
                         size_t(h_ - d) * size_t(w_) * sizeof(uint32_t));
            Draw(h_ - d, h_);
            if (markerOut_ && std::find(screen_.begin(), screen_.end(), kMarker) == screen_.end())
                markerOut_ = false;
        }
        return true;
    }
    int Poll() override { return ++polls_ == stopAtPoll_ ? stopValue_ : 0; }

    // The document's pixel at row r, column x.
    uint32_t Pixel(int r, int x) const {
        if (r >= docRows_) return kFiller;
        if (distinct_) return 0x01000000u | (uint32_t(r) << 6) | uint32_t(x & 63);
        return (palette_ >> ((r * 7 + x) % 3)) & 0x3;
    }
    int DocRows() const { return docRows_; }
    bool MarkerOut() const { return markerOut_; }

private:
    uint32_t& At(int x, int y) { return screen_[size_t(y) * size_t(w_) + size_t(x)]; }
    void Draw(int from, int to) {
        for (int y = from; y < to; ++y)
            for (int x = 0; x < w_; ++x) At(x, y) = Pixel(pos_ + y, x);
    }

    fuzz::Input& in_;
    int w_ = 1, h_ = 1, docRows_ = 0, pos_ = 0, steps_ = 0, polls_ = 0;
    int hangAfter_ = -1, stopAtPoll_ = -1, stopValue_ = 1;
    bool markerDrawable_ = true, markerOut_ = false, distinct_ = false, unreadable_ = false;
    uint32_t palette_ = 0, saved_ = 0;
    std::vector<uint32_t> screen_, buffer_;
};

void RunStitch(fuzz::Input& in) {
    const bool distinct = in.Flag();
    FuzzWindow window(in, distinct);
    const int limit = int(in.Range(0, 4000));
    scroll::VectorRowStore store(window.Width(), limit);
    const scroll::Outcome out = scroll::Stitch(window, store);
    FUZZ_CHECK(!window.MarkerOut());  // no marker is left on the window
    FUZZ_CHECK(store.Rows() <= std::min(limit, scroll::MaxImageRows));
    FUZZ_CHECK(out.code == scroll::Finished || out.code == scroll::StoppedByEsc ||
               out.code == scroll::StoppedByTray || out.code == scroll::NothingScrolled ||
               out.code == scroll::TooBig);
    if (out.code == scroll::TooBig) FUZZ_CHECK(store.Rows() == 0);
    if (!distinct) return;
    for (int y = 0; y < store.Rows(); ++y)
        for (int x = 0; x < store.Width(); ++x) FUZZ_CHECK(store.Row(y)[x] == window.Pixel(y, x));
}

void Blocks(fuzz::Input& in) {
    const int width = int(in.Range(1, 4)), count = int(in.Range(0, 40));
    std::vector<uint32_t> before(size_t(width) * size_t(count)), after(before.size());
    for (uint32_t& p : before) p = in.Byte() & 3;
    for (uint32_t& p : after) p = in.Byte() & 3;
    std::vector<uint32_t> bh(static_cast<size_t>(count)), ah(static_cast<size_t>(count));
    scroll::HashRows(before.data(), width, count, bh.data());
    scroll::HashRows(after.data(), width, count, ah.data());
    int expected = -1;
    for (int s = 0; s < count && expected < 0; ++s)
        if (std::equal(before.begin() + ptrdiff_t(s) * width, before.end(), after.begin())) expected = s;
    FUZZ_CHECK(scroll::RowShift(before.data(), bh.data(), after.data(), ah.data(), width, count) == expected);

    if (count == 0) return;
    const int markerRow = int(in.Range(0, count - 1));
    const uint32_t marker = in.Byte() & 3;
    int shift = -1;
    for (int s = 0; s <= markerRow && shift < 0; ++s)
        if (before[size_t(markerRow - s)] == marker) shift = s;
    FUZZ_CHECK(scroll::MarkerShift(before.data(), markerRow, marker) == shift);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Input in(data, size);
    if (in.Flag()) {
        Blocks(in);
    } else {
        RunStitch(in);
    }
    return 0;
}
