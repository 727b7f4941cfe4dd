#include "capture/scroll_stitch.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace scroll {

uint32_t* VectorRowStore::Append(int count) {
    if (count <= 0 || rows_ + count > limit_) return nullptr;
    pixels_.resize(size_t(rows_ + count) * size_t(width_));
    uint32_t* first = Row(rows_);
    rows_ += count;
    return first;
}

void VectorRowStore::Truncate(int rows) {
    rows_ = std::clamp(rows, 0, rows_);
    pixels_.resize(size_t(rows_) * size_t(width_));
}

uint32_t HashRow(const uint32_t* row, int width) {
    // FNV-1a over whole pixels, in four lanes that take every fourth pixel:
    // the multiplies of one lane wait for each other, those of four lanes
    // overlap. Equal hashes only name candidates; the pixels decide.
    constexpr uint32_t Prime = 16777619u;
    uint32_t h0 = 2166136261u, h1 = 0x811C9DC5u ^ 0x9E3779B9u, h2 = 0x7F4A7C15u, h3 = 0x3C6EF372u;
    int x = 0;
    for (; x + 4 <= width; x += 4) {
        h0 = (h0 ^ row[x]) * Prime;
        h1 = (h1 ^ row[x + 1]) * Prime;
        h2 = (h2 ^ row[x + 2]) * Prime;
        h3 = (h3 ^ row[x + 3]) * Prime;
    }
    for (; x < width; ++x) h0 = (h0 ^ row[x]) * Prime;
    return (((h0 * Prime) ^ h1) * Prime ^ h2) * Prime ^ h3;
}

void HashRows(const uint32_t* rows, int width, int count, uint32_t* hashes) {
    for (int y = 0; y < count; ++y) hashes[y] = HashRow(rows + size_t(y) * size_t(width), width);
}

int RowShift(const uint32_t* before, const uint32_t* beforeHashes, const uint32_t* after,
             const uint32_t* afterHashes, int width, int count) {
    if (count <= 0) return -1;
    // The overlap is the longest run of rows that ends before and starts
    // after. Matching after (as the pattern) over before with the prefix
    // function finds it in one pass; the shorter overlaps are the chain of
    // the prefix function from there.
    std::vector<int> prefix(size_t(count), 0);
    for (int i = 1, k = 0; i < count; ++i) {
        while (k > 0 && afterHashes[i] != afterHashes[k]) k = prefix[size_t(k - 1)];
        if (afterHashes[i] == afterHashes[k]) ++k;
        prefix[size_t(i)] = k;
    }
    int overlap = 0;
    for (int i = 0; i < count; ++i) {
        while (overlap > 0 && (overlap == count || beforeHashes[i] != afterHashes[overlap]))
            overlap = prefix[size_t(overlap - 1)];
        if (beforeHashes[i] == afterHashes[overlap]) ++overlap;
    }
    const size_t rowBytes = size_t(width) * sizeof(uint32_t);
    // Equal hashes are candidates only: the rows themselves decide.
    while (overlap > 0) {
        const int shift = count - overlap;
        if (std::memcmp(before + size_t(shift) * size_t(width), after, rowBytes * size_t(overlap)) == 0)
            return shift;
        overlap = prefix[size_t(overlap - 1)];
    }
    return -1;
}

int MarkerShift(const uint32_t* column, int markerRow, uint32_t marker) {
    for (int shift = 0; shift <= markerRow; ++shift)
        if (column[markerRow - shift] == marker) return shift;
    return -1;
}

namespace {

// One run. The image always holds every row of the document down to a known
// row of the view: with the marker, the rows above the marker's row (the
// first view's lower part waits until the end); with row comparison, the
// whole view (its last `height` rows are the view before the step).
class Run {
public:
    Run(ScrollTarget& target, RowStore& store)
        : t_(target), s_(store), w_(target.Width()), h_(target.Height()), mx_(w_ / 2), my_(h_ / 2),
          limit_(std::min(MaxImageRows, store.Limit())) {}

    Outcome Go();

private:
    // Appends count rows from source (top-down), as far as the limit allows.
    // False when the image cannot take all of them: the run ends there.
    bool Grow(const uint32_t* source, int count);
    // The step just taken moved the content by shift rows (-1: lost).
    int MeasureByMarker();
    int MeasureByRows();
    // Continues with row comparison: the image must hold the whole view.
    void SwitchToRows();
    void RestoreMarker();

    ScrollTarget& t_;
    RowStore& s_;
    const int w_, h_, mx_, my_, limit_;
    Outcome out_;
    int imageRows_ = 0;     // rows of the image (the store may hold more)
    int markerRow_ = -1;    // where the marker is now, -1 when not drawn
    uint32_t marker_ = 0;
    const uint32_t* cur_ = nullptr;  // the view after the step (row comparison)
    std::vector<uint32_t> prevHashes_, curHashes_;
};

bool Run::Grow(const uint32_t* source, int count) {
    const int n = std::min(count, limit_ - imageRows_);
    s_.Truncate(imageRows_);
    uint32_t* dst = n > 0 ? s_.Append(n) : nullptr;
    if (dst) {
        std::memcpy(dst, source, size_t(n) * size_t(w_) * sizeof(uint32_t));
        imageRows_ += n;
        t_.Progress(w_, imageRows_);
    }
    if (dst && n == count) return true;
    // The largest image, or the memory, is used up: what is there is kept.
    out_.capped = true;
    return false;
}

void Run::RestoreMarker() {
    if (markerRow_ >= 0) t_.RestoreMarker(mx_, markerRow_);
    markerRow_ = -1;
}

int Run::MeasureByMarker() {
    const uint32_t* column = t_.ReadColumn(mx_, my_ + 1);
    const int shift = column ? MarkerShift(column, my_, marker_) : -1;
    if (shift < 0) {
        markerRow_ = -1;
        t_.MarkerLost();
        return -1;
    }
    markerRow_ = my_ - shift;
    return shift;
}

int Run::MeasureByRows() {
    cur_ = t_.ReadRows(0, h_);
    if (!cur_) return -1;
    HashRows(cur_, w_, h_, curHashes_.data());
    const int shift = RowShift(s_.Row(imageRows_ - h_), prevHashes_.data(), cur_, curHashes_.data(), w_, h_);
    return shift;
}

void Run::SwitchToRows() {
    out_.method = Method::Rows;
    prevHashes_.resize(size_t(h_));
    curHashes_.resize(size_t(h_));
    HashRows(s_.Row(imageRows_ - h_), w_, h_, prevHashes_.data());
}

Outcome Run::Go() {
    if (w_ <= 0 || h_ <= 0 || s_.Width() != w_ || s_.Rows() != 0) {
        out_.code = CannotScroll;
        return out_;
    }
    // The first view goes into the image whole; with the marker only its
    // upper part counts until the end, but the rest stays in the store in
    // case the marker is lost after the first step.
    const uint32_t* view = t_.ReadRows(0, h_);
    if (!view) {
        out_.code = CannotScroll;
        return out_;
    }
    if (h_ > limit_ || !s_.Append(h_)) {
        out_.code = TooBig;
        return out_;
    }
    std::memcpy(s_.Row(0), view, size_t(h_) * size_t(w_) * sizeof(uint32_t));
    imageRows_ = h_;
    t_.Progress(w_, imageRows_);

    if (t_.PlaceMarker(mx_, my_, marker_)) {
        markerRow_ = my_;
        imageRows_ = my_;
    } else {
        SwitchToRows();
    }

    bool answered = t_.Step();
    ++out_.steps;
    int shift;
    if (out_.method == Method::Marker) {
        shift = MeasureByMarker();
        if (shift < 0) {
            // A window that repaints instead of moving its pixels: the whole
            // first view is in the store, and the rows take over from it.
            imageRows_ = h_;
            SwitchToRows();
            shift = MeasureByRows();
        }
    } else {
        shift = MeasureByRows();
    }
    if (shift == 0) out_.code = NothingScrolled;

    bool atEnd = shift == 0;
    while (out_.code == Finished && shift > 0) {
        if (out_.method == Method::Marker) {
            // The rows that have just moved up past the marker's row.
            RestoreMarker();
            const uint32_t* strip = t_.ReadRows(my_ - shift, shift);
            if (!strip || !Grow(strip, shift)) break;
        } else {
            if (!Grow(cur_ + size_t(h_ - shift) * size_t(w_), shift)) break;
            std::swap(prevHashes_, curHashes_);
        }
        if (!answered) {
            // The window no longer answers: what it shows now is the end.
            atEnd = true;
            break;
        }
        const int stop = t_.Poll();
        if (stop == 1) out_.code = StoppedByEsc;
        if (stop == 2) out_.code = StoppedByTray;
        if (stop != 0) break;

        if (out_.method == Method::Marker && t_.PlaceMarker(mx_, my_, marker_)) {
            markerRow_ = my_;
        } else if (out_.method == Method::Marker) {
            // The marker can no longer be drawn: bring the image down to the
            // view's last row and compare rows from here on.
            const uint32_t* lower = t_.ReadRows(my_, h_ - my_);
            if (!lower || !Grow(lower, h_ - my_)) break;
            SwitchToRows();
        }
        answered = t_.Step();
        ++out_.steps;
        shift = out_.method == Method::Marker ? MeasureByMarker() : MeasureByRows();
        atEnd = shift == 0;
    }

    // The window reached its end: with the marker the view's lower part is
    // still to come (the upper part and everything above it is in).
    if (out_.method == Method::Marker) {
        RestoreMarker();
        if (atEnd && !out_.capped && (out_.code == Finished || out_.code == NothingScrolled)) {
            const uint32_t* lower = t_.ReadRows(my_, h_ - my_);
            if (lower) Grow(lower, h_ - my_);
        }
    }
    s_.Truncate(imageRows_);
    return out_;
}

}  // namespace

Outcome Stitch(ScrollTarget& target, RowStore& store) { return Run(target, store).Go(); }

}  // namespace scroll
