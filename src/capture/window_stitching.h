// The window side of stitching: the scroll area of a real window, reading,
// marking and scrolling it through its whole-window device context (or, where
// that cannot be read, through the screen at the window's place), and the
// memory the image grows in.
#pragma once

#include <windows.h>

#include <functional>
#include <vector>

#include "capture/scroll_stitch.h"
#include "ui/bitmap.h"
#include "ui/gdi.h"

// The window's class draws its own scroll bars inside the client area.
bool IsScrollableClass(HWND window);

// The part of the client area that is captured, in the coordinates of the
// whole-window device context (origin at the window's top-left corner):
// the client area less its own scroll bars (scrollable classes) and less a
// border of two pixels at the top and left and one at the right and bottom.
RECT ScrollAreaOf(HWND window);

// Reads the area through the window's own device context. Where that cannot
// be read (under Wine, the child windows of another program) the same
// rectangle is read from the screen: the run has brought the window to the
// front and nothing is frozen, so the screen shows what the window shows.
// Then only the part of the area that is on the screen and inside the
// window's parents is read, and no marker is drawn (it could not be read
// back), so the steps are measured by row comparison.
class WindowScrollTarget : public scroll::ScrollTarget {
public:
    WindowScrollTarget(HWND window, const RECT& area);
    ~WindowScrollTarget() override;
    WindowScrollTarget(const WindowScrollTarget&) = delete;
    WindowScrollTarget& operator=(const WindowScrollTarget&) = delete;

    bool Ready() const { return dc_ && view_.Bits() && column_.Bits(); }
    // The area read, in screen coordinates.
    RECT ScreenArea() const;

    int Width() const override { return width_; }
    int Height() const override { return height_; }
    const uint32_t* ReadRows(int top, int count) override;
    const uint32_t* ReadColumn(int x, int count) override;
    bool PlaceMarker(int x, int y, uint32_t& value) override;
    void RestoreMarker(int x, int y) override;
    void MarkerLost() override;
    bool Step() override;
    int Poll() override;
    void Progress(int width, int rows) override;

    // The wait after each line-down for the window to repaint.
    DWORD stepWait = 16;
    // A line-down not answered within this time counts as the end.
    DWORD answerTimeout = 2000;
    // Lets messages run and returns the stop request (default: AutoScrollStop).
    std::function<int()> poll;
    std::function<void(int width, int rows)> progress;

private:
    // A top-down 32-bit DIB section in a memory DC of its own.
    class Strip {
    public:
        Strip() = default;
        ~Strip() {
            if (dc_ && old_) SelectObject(dc_.get(), old_);
        }
        Strip(const Strip&) = delete;
        Strip& operator=(const Strip&) = delete;
        bool Create(int width, int height);
        HDC Dc() const { return dc_.get(); }
        const uint32_t* Bits() const { return bits_; }

    private:
        ui::DcHandle dc_;
        ui::BitmapHandle bitmap_;
        HGDIOBJ old_ = nullptr;
        uint32_t* bits_ = nullptr;
    };

    // Copies count rows of the area from row top into strip's top.
    bool Blit(const Strip& strip, int x, int width, int top, int count);
    // A view read from the screen that has not changed may still be on its way.
    void Settle();

    HWND window_;
    HDC dc_ = nullptr;      // GetWindowDC, released in the destructor
    HDC screen_ = nullptr;  // GetDC of the screen where dc_ cannot be read
    HDC source_ = nullptr;  // the one of the two that is read
    RECT area_;             // in source_'s coordinates
    POINT origin_{};        // the window's top-left corner on the screen
    int width_ = 0, height_ = 0;
    Strip view_, column_;
    std::vector<uint32_t> lastView_;  // the last whole view read from the screen
    COLORREF saved_ = 0;
    bool markerOut_ = false;  // drawn and neither restored nor given up
};

// The growing image: rows appended top-down into one reservation of address
// space for the tallest image, committed as it fills, so that growing never
// copies. Making the bitmap moves the rows into it and gives the memory back
// behind the copy, so the memory in use stays about one image. The address
// space the bitmap needs is held from the start, so that the tallest image is
// only as tall as both can be.
class GrowingRowStore : public scroll::RowStore {
public:
    GrowingRowStore(int width, int limitRows);
    ~GrowingRowStore() override;
    GrowingRowStore(const GrowingRowStore&) = delete;
    GrowingRowStore& operator=(const GrowingRowStore&) = delete;

    int Width() const override { return width_; }
    int Rows() const override { return rows_; }
    int Limit() const override { return limit_; }
    uint32_t* Append(int count) override;
    void Truncate(int rows) override;
    uint32_t* Row(int row) override { return reinterpret_cast<uint32_t*>(base_) + size_t(row) * size_t(width_); }

    // The rows become a 32-bit bitmap; the store is empty afterwards. False
    // (store unchanged) when the system cannot provide the bitmap.
    bool MakeBitmap(ui::Bitmap& bitmap);

private:
    void Release();
    void FreeBitmapRoom();

    int width_, limit_ = 0, rows_ = 0;
    uint8_t* base_ = nullptr;
    void* bitmapRoom_ = nullptr;  // reserved until the bitmap is made
    size_t reserved_ = 0, committed_ = 0;
};
