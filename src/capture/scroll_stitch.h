// Stitching a scrolled window into one tall image. The window is scrolled one
// line at a time and the rows each step reveals are appended to the image.
// How far a step moved is measured by a marker pixel that moves up with the
// content (exact and cheap when the window scrolls by moving its pixels) or,
// when the marker cannot be drawn or is lost after the first step, by
// comparing the rows of the view before and after the step.
//
// The cost is linear in the length of the page: the image grows by appending
// the new rows to a buffer that is never copied, the marker is looked for in
// one read of its column, and the rows of a view are hashed once and matched
// with a prefix function.
//
// No windows.h: the window is reached through ScrollTarget and the image
// grows in a RowStore, so that the whole procedure also runs on a simulated
// window.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace scroll {

// The tallest image a JPEG file can hold: a page that never stops scrolling
// ends here and what was captured is kept.
constexpr int MaxImageRows = 65500;

// Result codes of a run.
enum Code : int {
    Finished = 0,         // the window stopped scrolling, or could no longer be followed
    AlreadyRunning = 1,
    CannotScroll = 2,
    TooBig = 4,           // no image could be made
    StoppedByEsc = 5,
    StoppedByTray = 6,    // what was stitched so far is kept
    NothingScrolled = 7,  // the first step moved nothing: the visible area is the image
};

enum class Method { Marker, Rows };

// Where the image grows: rows of width 32-bit pixels, top-down, contiguous.
class RowStore {
public:
    virtual ~RowStore() = default;
    virtual int Width() const = 0;
    virtual int Rows() const = 0;
    // The most rows the store can ever hold.
    virtual int Limit() const = 0;
    // Room for count more rows at the end; returns the first of them, or null
    // (and adds nothing) when the memory cannot be had or Limit would be passed.
    virtual uint32_t* Append(int count) = 0;
    // Drops the rows from `rows` on (rows <= Rows()).
    virtual void Truncate(int rows) = 0;
    virtual uint32_t* Row(int row) = 0;
};

// A RowStore in ordinary memory, for runs on simulated windows.
class VectorRowStore : public RowStore {
public:
    VectorRowStore(int width, int limit) : width_(width), limit_(limit) {}
    int Width() const override { return width_; }
    int Rows() const override { return rows_; }
    int Limit() const override { return limit_; }
    uint32_t* Append(int count) override;
    void Truncate(int rows) override;
    uint32_t* Row(int row) override { return pixels_.data() + size_t(row) * size_t(width_); }

private:
    int width_, limit_, rows_ = 0;
    std::vector<uint32_t> pixels_;
};

// The window being scrolled, seen through its scroll area of Width() x
// Height() pixels. Pixels are 32-bit values as a DIB holds them.
class ScrollTarget {
public:
    virtual ~ScrollTarget() = default;
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    // count rows of the area from row top, top-down; valid until the next
    // read; null when the window cannot be read.
    virtual const uint32_t* ReadRows(int top, int count) = 0;
    // Rows 0 .. count - 1 of column x; valid until the next read.
    virtual const uint32_t* ReadColumn(int x, int count) = 0;
    // Draws the marker at (x, y), keeping the pixel it covers; value is the
    // marker as it reads back. False when the window cannot be drawn on.
    virtual bool PlaceMarker(int x, int y, uint32_t& value) = 0;
    // Puts the covered pixel back at (x, y), where the marker has moved to.
    virtual void RestoreMarker(int x, int y) = 0;
    // The marker cannot be found any more: the window draws itself anew, so
    // that no marker is left wherever it went.
    virtual void MarkerLost() = 0;
    // One line down. False when the window did not answer in time: that is
    // taken as the end of the document.
    virtual bool Step() = 0;
    // Lets pending messages run; returns a stop request: 0 none, 1 Esc,
    // 2 a click on the tray icon.
    virtual int Poll() = 0;
    // The image has grown to width x rows (the size label).
    virtual void Progress(int /*width*/, int /*rows*/) {}
};

struct Outcome {
    int code = Finished;
    Method method = Method::Marker;  // the method that measured the last step
    int steps = 0;                   // scroll steps sent
    bool capped = false;             // stopped at the store's limit or MaxImageRows
};

// Scrolls the target to its end (or until stopped) and leaves the image in
// store, which must be empty and of the target's width. Codes: Finished,
// StoppedByEsc, StoppedByTray, NothingScrolled, CannotScroll (an empty area
// or a window that cannot be read) and TooBig (not even the first view fits).
Outcome Stitch(ScrollTarget& target, RowStore& store);

// ---- Building blocks -----------------------------------------------------------

uint32_t HashRow(const uint32_t* row, int width);
void HashRows(const uint32_t* rows, int width, int count, uint32_t* hashes);

// How far the content moved between two views of count rows: the smallest
// shift s in 0 .. count - 1 for which rows s .. count - 1 of before equal rows
// 0 .. count - s - 1 of after, pixel for pixel. -1 when there is none. The
// hashes (HashRows) find the candidates; each candidate is then compared.
int RowShift(const uint32_t* before, const uint32_t* beforeHashes, const uint32_t* after,
             const uint32_t* afterHashes, int width, int count);

// Where the marker went: column holds rows 0 .. markerRow of the marker's
// column; the result is how many rows it moved up (0 .. markerRow), or -1
// when it is not there.
int MarkerShift(const uint32_t* column, int markerRow, uint32_t marker);

}  // namespace scroll
