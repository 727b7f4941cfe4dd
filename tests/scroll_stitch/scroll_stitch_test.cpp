// The stitching procedure on a simulated window: a document whose every row
// is unique, a view that either moves its pixels (the marker goes along) or
// repaints itself (the marker is wiped), and windows that hang, are stopped
// or never end.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "capture/scroll_stitch.h"

namespace {

using scroll::Code;
using scroll::Method;

constexpr uint32_t Marker = 0xC0C0C5;

// Row r, column x of the document: unique per row, varying along the row,
// never the marker's value.
uint32_t DocPixel(int r, int x) { return 0x01000000u | (uint32_t(r) << 6) | uint32_t(x & 63); }
int DocRowOf(uint32_t pixel) { return int((pixel & 0x00FFFFFFu) >> 6); }

enum class Paint { Moves, Repaints };

struct SimOptions {
    int docRows = 1000, width = 40, height = 100, step = 3;
    Paint paint = Paint::Moves;
    int repaintFromStep = -1;  // switches to repainting after this many steps
    bool markerDrawable = true;
    int hangAfter = -1;        // steps answered before the window stops answering
    int stopAtPoll = -1, stopValue = 0;
};

class SimWindow : public scroll::ScrollTarget {
public:
    explicit SimWindow(SimOptions o) : o_(o), screen_(size_t(o.width) * size_t(o.height)) { Draw(0, o_.height); }

    int Width() const override { return o_.width; }
    int Height() const override { return o_.height; }
    const uint32_t* ReadRows(int top, int count) override {
        EXPECT_GE(top, 0);
        EXPECT_LE(top + count, o_.height);
        buffer_.assign(screen_.begin() + ptrdiff_t(top) * o_.width, screen_.begin() + ptrdiff_t(top + count) * o_.width);
        return buffer_.data();
    }
    const uint32_t* ReadColumn(int x, int count) override {
        ++columnReads;
        buffer_.resize(size_t(count));
        for (int y = 0; y < count; ++y) buffer_[size_t(y)] = At(x, y);
        return buffer_.data();
    }
    bool PlaceMarker(int x, int y, uint32_t& value) override {
        if (!o_.markerDrawable) return false;
        EXPECT_FALSE(markerPlaced) << "a second marker while one is out";
        saved_ = At(x, y);
        At(x, y) = value = Marker;
        markerPlaced = true;
        return true;
    }
    void RestoreMarker(int x, int y) override {
        EXPECT_EQ(At(x, y), Marker);
        At(x, y) = saved_;
        markerPlaced = false;
    }
    void MarkerLost() override {
        markerPlaced = false;
        ++lostCalls;
        Draw(0, o_.height);
    }
    bool Step() override {
        ++steps;
        if (o_.hangAfter >= 0 && steps > o_.hangAfter) return false;
        const int next = std::min(pos_ + o_.step, std::max(o_.docRows - o_.height, 0));
        const int d = next - pos_;
        pos_ = next;
        const bool repaint =
            o_.paint == Paint::Repaints || (o_.repaintFromStep >= 0 && steps > o_.repaintFromStep);
        if (repaint) {
            Draw(0, o_.height);
        } else if (d > 0) {
            std::memmove(screen_.data(), screen_.data() + size_t(d) * size_t(o_.width),
                         size_t(o_.height - d) * size_t(o_.width) * sizeof(uint32_t));
            Draw(o_.height - d, o_.height);
        }
        return true;
    }
    int Poll() override {
        ++polls;
        return polls == o_.stopAtPoll ? o_.stopValue : 0;
    }

    int steps = 0, polls = 0, lostCalls = 0, columnReads = 0;
    bool markerPlaced = false;
    bool ScreenHasMarker() const { return std::count(screen_.begin(), screen_.end(), Marker) != 0; }
    int Pos() const { return pos_; }

private:
    uint32_t& At(int x, int y) { return screen_[size_t(y) * size_t(o_.width) + size_t(x)]; }
    void Draw(int from, int to) {
        for (int y = from; y < to; ++y)
            for (int x = 0; x < o_.width; ++x)
                At(x, y) = pos_ + y < o_.docRows ? DocPixel(pos_ + y, x) : 0xFF000000u;
    }

    SimOptions o_;
    std::vector<uint32_t> screen_, buffer_;
    uint32_t saved_ = 0;
    int pos_ = 0;
};

// The document rows the image holds, in order; -1 for a row that is not one
// whole document row.
std::vector<int> ImageRows(scroll::RowStore& store) {
    std::vector<int> rows;
    for (int y = 0; y < store.Rows(); ++y) {
        const uint32_t* p = store.Row(y);
        const int r = DocRowOf(p[0]);
        bool whole = (p[0] & 0xFF000000u) == 0x01000000u;
        for (int x = 0; x < store.Width() && whole; ++x) whole = p[x] == DocPixel(r, x);
        rows.push_back(whole ? r : -1);
    }
    return rows;
}

// Rows first .. last, each once, in order.
::testing::AssertionResult RowsAre(const std::vector<int>& rows, int first, int last) {
    if (rows.size() != size_t(last - first + 1))
        return ::testing::AssertionFailure() << rows.size() << " rows, expected " << last - first + 1;
    for (size_t i = 0; i < rows.size(); ++i)
        if (rows[i] != first + int(i))
            return ::testing::AssertionFailure() << "image row " << i << " is document row " << rows[i];
    return ::testing::AssertionSuccess();
}

struct RunResult {
    scroll::Outcome outcome;
    std::vector<int> rows;
    SimWindow window;
};

RunResult RunOn(const SimOptions& o, int storeLimit = scroll::MaxImageRows) {
    SimWindow window(o);
    scroll::VectorRowStore store(o.width, storeLimit);
    const scroll::Outcome outcome = scroll::Stitch(window, store);
    return {outcome, ImageRows(store), window};
}

// ---- Whole documents ---------------------------------------------------------------

struct DocumentCase {
    const char* name;
    SimOptions options;
    Method method;
};

TEST(Stitch, EveryRowOnceInOrderWithEitherMethod) {
    const DocumentCase cases[] = {
        {"marker, 3 rows a step", {1000, 40, 100, 3}, Method::Marker},
        {"marker, odd view, 1 row a step", {300, 7, 51, 1}, Method::Marker},
        {"marker, step of exactly half the view", {500, 10, 80, 40}, Method::Marker},
        {"repainting window", {1000, 40, 100, 3, Paint::Repaints}, Method::Rows},
        {"step over half the view loses the marker", {700, 10, 80, 55}, Method::Rows},
        {"marker cannot be drawn", {600, 12, 90, 7, Paint::Moves, -1, false}, Method::Rows},
        {"last step shorter than the others", {1001, 16, 100, 7}, Method::Marker},
        {"two-row view", {50, 3, 2, 1}, Method::Marker},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const RunResult r = RunOn(c.options);
        EXPECT_EQ(r.outcome.code, scroll::Finished);
        EXPECT_EQ(r.outcome.method, c.method);
        EXPECT_FALSE(r.outcome.capped);
        EXPECT_TRUE(RowsAre(r.rows, 0, c.options.docRows - 1));
        EXPECT_FALSE(r.window.ScreenHasMarker());
        EXPECT_FALSE(r.window.markerPlaced);
    }
}

TEST(Stitch, DocumentNoLongerThanTheViewIsTheView) {
    for (const Paint paint : {Paint::Moves, Paint::Repaints}) {
        SimOptions o{100, 20, 100, 3, paint};
        const RunResult r = RunOn(o);
        EXPECT_EQ(r.outcome.code, scroll::NothingScrolled);
        EXPECT_EQ(r.outcome.steps, 1);
        EXPECT_TRUE(RowsAre(r.rows, 0, 99));
        EXPECT_FALSE(r.window.ScreenHasMarker());
    }
}

TEST(Stitch, MarkerLostLaterKeepsWhatWasStitchedWithoutTheLowerPart) {
    SimOptions o{1000, 20, 100, 5};
    o.repaintFromStep = 10;
    const RunResult r = RunOn(o);
    EXPECT_EQ(r.outcome.code, scroll::Finished);
    EXPECT_EQ(r.outcome.method, Method::Marker);
    // Ten steps of 5 rows moved past the marker's row (50).
    EXPECT_TRUE(RowsAre(r.rows, 0, 50 + 10 * 5 - 1));
    EXPECT_EQ(r.window.lostCalls, 1);  // the window was made to draw itself anew
    EXPECT_FALSE(r.window.ScreenHasMarker());
}

TEST(Stitch, WindowThatStopsAnsweringEndsTheDocumentWhereItStands) {
    for (const Paint paint : {Paint::Moves, Paint::Repaints}) {
        SCOPED_TRACE(paint == Paint::Moves ? "marker" : "rows");
        SimOptions o{1000, 20, 100, 4, paint};
        o.hangAfter = 25;
        const RunResult r = RunOn(o);
        EXPECT_EQ(r.outcome.code, scroll::Finished);
        EXPECT_EQ(r.window.steps, 26);  // nothing is sent after the step that was not answered
        EXPECT_TRUE(RowsAre(r.rows, 0, 25 * 4 + 100 - 1));
        EXPECT_FALSE(r.window.ScreenHasMarker());
    }
}

TEST(Stitch, StopRequestsEndTheRunAfterTheStepInHand) {
    struct Case {
        int value;
        Code code;
        Paint paint;
    } const cases[] = {
        {1, scroll::StoppedByEsc, Paint::Moves},
        {2, scroll::StoppedByTray, Paint::Moves},
        {2, scroll::StoppedByTray, Paint::Repaints},
    };
    for (const auto& c : cases) {
        SimOptions o{1000, 20, 100, 4, c.paint};
        o.stopAtPoll = 7;
        o.stopValue = c.value;
        const RunResult r = RunOn(o);
        EXPECT_EQ(r.outcome.code, c.code);
        EXPECT_EQ(r.window.steps, 7);  // no step after the request
        EXPECT_FALSE(r.window.ScreenHasMarker());
        // Seven steps of four rows are in; with the marker the rows below
        // its row are not.
        const int last = c.paint == Paint::Moves ? 50 + 28 - 1 : 100 + 28 - 1;
        EXPECT_TRUE(RowsAre(r.rows, 0, last));
    }
}

TEST(Stitch, EndlessWindowStopsAtTheTallestImage) {
    SimOptions o{scroll::MaxImageRows + 5000, 2, 60, 17};
    const RunResult r = RunOn(o, 1 << 20);
    EXPECT_EQ(r.outcome.code, scroll::Finished);
    EXPECT_TRUE(r.outcome.capped);
    EXPECT_TRUE(RowsAre(r.rows, 0, scroll::MaxImageRows - 1));
    EXPECT_FALSE(r.window.ScreenHasMarker());
}

TEST(Stitch, StoreThatCannotGrowKeepsWhatItHolds) {
    for (const Paint paint : {Paint::Moves, Paint::Repaints}) {
        SimOptions o{1000, 8, 100, 6, paint};
        const RunResult r = RunOn(o, 333);
        EXPECT_EQ(r.outcome.code, scroll::Finished);
        EXPECT_TRUE(r.outcome.capped);
        EXPECT_TRUE(RowsAre(r.rows, 0, 332));
        EXPECT_FALSE(r.window.ScreenHasMarker());
    }
    // Not even the first view fits: no image at all.
    SimOptions o{1000, 8, 100, 6};
    EXPECT_EQ(RunOn(o, 99).outcome.code, scroll::TooBig);
}

TEST(Stitch, MarkerIsFoundWithOneColumnReadPerStep) {
    SimOptions o{2000, 30, 100, 10};
    const RunResult r = RunOn(o);
    EXPECT_EQ(r.outcome.method, Method::Marker);
    EXPECT_EQ(r.window.columnReads, r.window.steps);
}

// ---- Row comparison ------------------------------------------------------------------

// The shift as the plain search finds it: the first s whose rows all match.
int PlainShift(const std::vector<uint32_t>& before, const std::vector<uint32_t>& after, int width, int count) {
    for (int s = 0; s < count; ++s)
        if (std::equal(before.begin() + ptrdiff_t(s) * width, before.end(), after.begin())) return s;
    return -1;
}

TEST(RowShift, AgreesWithThePlainSearchOnRepetitiveRows) {
    std::mt19937 random(13);
    for (int round = 0; round < 3000; ++round) {
        const int width = 1 + int(random() % 3), count = 1 + int(random() % 12);
        const uint32_t colours = 1 + random() % 3;  // few colours: many equal rows
        std::vector<uint32_t> doc(size_t(width) * size_t(count * 2));
        for (auto& p : doc) p = random() % colours;
        const int shift = int(random() % uint32_t(count + 1));
        std::vector<uint32_t> before(doc.begin(), doc.begin() + ptrdiff_t(width) * count);
        std::vector<uint32_t> after(doc.begin() + ptrdiff_t(width) * shift,
                                    doc.begin() + ptrdiff_t(width) * (shift + count));
        std::vector<uint32_t> hb(static_cast<size_t>(count)), ha(static_cast<size_t>(count));
        scroll::HashRows(before.data(), width, count, hb.data());
        scroll::HashRows(after.data(), width, count, ha.data());
        ASSERT_EQ(scroll::RowShift(before.data(), hb.data(), after.data(), ha.data(), width, count),
                  PlainShift(before, after, width, count))
            << "round " << round;
        // Equal hashes everywhere (every candidate a collision): the pixels
        // still decide.
        std::vector<uint32_t> same(static_cast<size_t>(count), 7);
        ASSERT_EQ(scroll::RowShift(before.data(), same.data(), after.data(), same.data(), width, count),
                  PlainShift(before, after, width, count))
            << "round " << round;
    }
}

TEST(MarkerShift, FindsTheNearestMarkerAboveItsRow) {
    const std::vector<uint32_t> column{1, Marker, 3, Marker, 5, 6};
    EXPECT_EQ(scroll::MarkerShift(column.data(), 5, Marker), 2);
    EXPECT_EQ(scroll::MarkerShift(column.data(), 3, Marker), 0);
    EXPECT_EQ(scroll::MarkerShift(column.data(), 0, Marker), -1);
    EXPECT_EQ(scroll::MarkerShift(column.data(), 5, 0x123456), -1);
}

}  // namespace
