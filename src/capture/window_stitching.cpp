#include "capture/window_stitching.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "base/globals.h"
#include "ui/window.h"

namespace {

// Class names of windows that draw their own scroll bars inside the client
// area and count as scrollable without a frame scroll bar.
const wchar_t* const ScrollableClasses[] = {L"Internet Explorer_Server"};

constexpr COLORREF MarkerColour = 0xC0C0C5;

// Commit granularity of the growing image.
constexpr size_t CommitStep = size_t(1) << 20;

}  // namespace

bool IsScrollableClass(HWND window) {
    wchar_t name[256] = {};
    if (GetClassNameW(window, name, 255) == 0) return false;
    for (const wchar_t* c : ScrollableClasses)
        if (wcscmp(name, c) == 0) return true;
    return false;
}

RECT ScrollAreaOf(HWND window) {
    RECT c{};
    GetClientRect(window, &c);
    if (IsScrollableClass(window)) {
        c.right -= GetSystemMetrics(SM_CXVSCROLL);
        c.bottom -= GetSystemMetrics(SM_CYHSCROLL);
    }
    const int bx = GetSystemMetrics(SM_CXBORDER), by = GetSystemMetrics(SM_CYBORDER);
    c.left += bx + 1;
    c.right -= bx;
    c.top += by + 1;
    c.bottom -= by;
    // The device context is the whole window's: the client area lies below
    // the caption and inside the frame.
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    RECT w{};
    GetWindowRect(window, &w);
    OffsetRect(&c, origin.x - w.left, origin.y - w.top);
    return c;
}

// ---- The window ------------------------------------------------------------------

bool WindowScrollTarget::Strip::Create(int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap_.reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap_) return false;
    dc_.reset(CreateCompatibleDC(nullptr));
    if (!dc_) return false;
    old_ = SelectObject(dc_.get(), bitmap_.get());
    bits_ = static_cast<uint32_t*>(bits);
    return true;
}

namespace {

// A view read from the screen is taken once it stops changing: under Wine
// another process's drawing reaches the screen only when that process next
// waits for messages, which can be later than the wait after a step.
constexpr int SettleTries = 8;
constexpr DWORD SettleWait = 25;

// The part of r (screen coordinates) that can be seen: on the screen and
// inside the client area of every parent of window.
RECT VisiblePart(HWND window, RECT r) {
    const RECT screen{GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                      GetSystemMetrics(SM_XVIRTUALSCREEN) + GetSystemMetrics(SM_CXVIRTUALSCREEN),
                      GetSystemMetrics(SM_YVIRTUALSCREEN) + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
    IntersectRect(&r, &r, &screen);
    for (HWND w = window; GetWindowLongW(w, GWL_STYLE) & WS_CHILD;) {
        const HWND parent = GetParent(w);
        if (!parent) break;
        RECT client{};
        GetClientRect(parent, &client);
        MapWindowPoints(parent, nullptr, reinterpret_cast<POINT*>(&client), 2);
        IntersectRect(&r, &r, &client);
        w = parent;
    }
    return r;
}

}  // namespace

WindowScrollTarget::WindowScrollTarget(HWND window, const RECT& area) : window_(window), area_(area) {
    RECT w{};
    GetWindowRect(window, &w);
    origin_ = POINT{w.left, w.top};
    dc_ = GetWindowDC(window);
    source_ = dc_;
    if (!dc_ || area.right <= area.left || area.bottom <= area.top) return;
    Strip probe;
    if (!probe.Create(1, 1)) return;
    if (!BitBlt(probe.Dc(), 0, 0, 1, 1, dc_, area.left, area.top, SRCCOPY)) {
        screen_ = GetDC(nullptr);
        source_ = screen_;
        OffsetRect(&area_, origin_.x, origin_.y);
        area_ = VisiblePart(window, area_);
    }
    width_ = std::max<int>(area_.right - area_.left, 0);
    height_ = std::max<int>(area_.bottom - area_.top, 0);
    if (width_ <= 0 || height_ <= 0) return;
    if (!view_.Create(width_, height_) || !column_.Create(1, height_)) return;
}

WindowScrollTarget::~WindowScrollTarget() {
    // A run cut short with the marker still out (an exception on the way):
    // the window paints over it, wherever the content took it.
    if (markerOut_) MarkerLost();
    if (screen_) ReleaseDC(nullptr, screen_);
    if (dc_) ReleaseDC(window_, dc_);
}

RECT WindowScrollTarget::ScreenArea() const {
    RECT r = area_;
    if (!screen_) OffsetRect(&r, origin_.x, origin_.y);
    return r;
}

bool WindowScrollTarget::Blit(const Strip& strip, int x, int width, int top, int count) {
    if (!BitBlt(strip.Dc(), 0, 0, width, count, source_, area_.left + x, area_.top + top, SRCCOPY)) return false;
    GdiFlush();
    return true;
}

void WindowScrollTarget::Settle() {
    const size_t n = size_t(width_) * size_t(height_);
    const uint32_t* view = view_.Bits();
    auto same = [&] { return lastView_.size() == n && std::equal(view, view + n, lastView_.begin()); };
    if (lastView_.empty()) {
        // The first view: the window has just come to the front and may still
        // be drawing itself.
        for (int i = 0; i < SettleTries; ++i) {
            lastView_.assign(view, view + n);
            Sleep(SettleWait);
            if (!Blit(view_, 0, width_, 0, height_) || same()) break;
        }
    } else {
        // Unchanged after a step: the end of the document, or the step still
        // on its way to the screen.
        for (int i = 0; i < SettleTries && same(); ++i) {
            Sleep(SettleWait);
            if (!Blit(view_, 0, width_, 0, height_)) break;
        }
    }
    lastView_.assign(view, view + n);
}

const uint32_t* WindowScrollTarget::ReadRows(int top, int count) {
    if (!Blit(view_, 0, width_, top, count)) return nullptr;
    if (screen_ && top == 0 && count == height_) Settle();
    return view_.Bits();
}

const uint32_t* WindowScrollTarget::ReadColumn(int x, int count) {
    // One block copy of the column instead of one pixel read per row.
    if (!Blit(column_, x, 1, 0, count)) return nullptr;
    return column_.Bits();
}

bool WindowScrollTarget::PlaceMarker(int x, int y, uint32_t& value) {
    // A marker that cannot be read back could not be found or taken away.
    if (screen_) return false;
    const int px = area_.left + x, py = area_.top + y;
    saved_ = GetPixel(dc_, px, py);
    if (saved_ == CLR_INVALID || SetPixel(dc_, px, py, MarkerColour) == CLR_INVALID) return false;
    // The marker as the device really holds it, read the way the column is.
    if (!BitBlt(column_.Dc(), 0, 0, 1, 1, dc_, px, py, SRCCOPY)) {
        SetPixel(dc_, px, py, saved_);
        return false;
    }
    GdiFlush();
    value = column_.Bits()[0];
    markerOut_ = true;
    return true;
}

void WindowScrollTarget::RestoreMarker(int x, int y) {
    SetPixel(dc_, area_.left + x, area_.top + y, saved_);
    markerOut_ = false;
}

void WindowScrollTarget::MarkerLost() {
    markerOut_ = false;
    // Wherever the marker went, the window paints over it.
    RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

bool WindowScrollTarget::Step() {
    // A window that hangs must not hang the program: no answer in time
    // counts as the end of the document.
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(window_, WM_VSCROLL, SB_LINEDOWN, 0, SMTO_ABORTIFHUNG, answerTimeout, &result))
        return false;
    Sleep(stepWait);
    return true;
}

int WindowScrollTarget::Poll() {
    if (poll) return poll();
    ui::ProcessMessages();
    return AutoScrollStop;
}

void WindowScrollTarget::Progress(int width, int rows) {
    if (progress) progress(width, rows);
}

// ---- The growing image ---------------------------------------------------------------

GrowingRowStore::GrowingRowStore(int width, int limitRows) : width_(width) {
    if (width <= 0) return;
    int64_t limit = std::min<int64_t>(limitRows, ui::Bitmap::MaxPixels / width);
    // Only address space is taken here: for the rows, and held until the
    // bitmap is made, for the bitmap they become. Where not both are free in
    // one piece each, the tallest image is lower; an image that was taken
    // can then always be made.
    for (; limit > 0 && !base_; limit /= 2) {
        const uint64_t bytes = uint64_t(limit) * uint64_t(width) * 4;
        if (bytes > SIZE_MAX) continue;
        void* rows = VirtualAlloc(nullptr, SIZE_T(bytes), MEM_RESERVE, PAGE_READWRITE);
        void* room = rows ? VirtualAlloc(nullptr, SIZE_T(bytes), MEM_RESERVE, PAGE_NOACCESS) : nullptr;
        if (!room) {
            if (rows) VirtualFree(rows, 0, MEM_RELEASE);
            continue;
        }
        base_ = static_cast<uint8_t*>(rows);
        bitmapRoom_ = room;
        reserved_ = size_t(bytes);
        limit_ = int(limit);
    }
}

GrowingRowStore::~GrowingRowStore() { Release(); }

void GrowingRowStore::Release() {
    FreeBitmapRoom();
    if (base_) VirtualFree(base_, 0, MEM_RELEASE);
    base_ = nullptr;
    reserved_ = committed_ = 0;
    rows_ = limit_ = 0;
}

uint32_t* GrowingRowStore::Append(int count) {
    if (!base_ || count <= 0 || rows_ + count > limit_) return nullptr;
    const size_t need = size_t(rows_ + count) * size_t(width_) * 4;
    if (need > committed_) {
        const size_t upTo = std::min(reserved_, (need + CommitStep - 1) / CommitStep * CommitStep);
        if (!VirtualAlloc(base_ + committed_, upTo - committed_, MEM_COMMIT, PAGE_READWRITE)) return nullptr;
        committed_ = upTo;
    }
    uint32_t* first = Row(rows_);
    rows_ += count;
    return first;
}

void GrowingRowStore::Truncate(int rows) { rows_ = std::clamp(rows, 0, rows_); }

void GrowingRowStore::FreeBitmapRoom() {
    if (bitmapRoom_) VirtualFree(bitmapRoom_, 0, MEM_RELEASE);
    bitmapRoom_ = nullptr;
}

bool GrowingRowStore::MakeBitmap(ui::Bitmap& bitmap) {
    if (!base_ || rows_ <= 0) return false;
    FreeBitmapRoom();
    ui::Bitmap made(width_, rows_, ui::PixelFormat::Bits32);
    if (made.Empty()) return false;
    // The bitmap's pages are taken as the rows arrive, and the store's are
    // given back behind them: at no time are both images in memory.
    const size_t rowBytes = size_t(width_) * 4;
    size_t released = 0;
    for (int y = 0; y < rows_; ++y) {
        std::memcpy(made.ScanLine(y), Row(y), rowBytes);
        const size_t done = size_t(y + 1) * rowBytes / CommitStep * CommitStep;
        if (done > released) {
            VirtualFree(base_ + released, done - released, MEM_DECOMMIT);
            released = done;
        }
    }
    bitmap = std::move(made);
    Release();
    return true;
}
