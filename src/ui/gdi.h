// src/ui: our thin layer over Win32 (owning handles, bitmaps, windows, the
// tray icon, input box, colour picker, menu styler, text conversion). It
// includes no other folder of the program.
//
// Owning wrappers for GDI and USER handles, so that every handle is released on
// every path, also when an exception leaves the routine.
#pragma once

#include <windows.h>

#include <utility>

namespace ui {

template <typename H, typename Traits>
class Handle {
public:
    Handle() = default;
    explicit Handle(H h) : h_(h) {}
    ~Handle() { reset(); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    Handle(Handle&& o) noexcept : h_(std::exchange(o.h_, H{})) {}
    Handle& operator=(Handle&& o) noexcept {
        if (this != &o) { reset(); h_ = std::exchange(o.h_, H{}); }
        return *this;
    }
    H get() const { return h_; }
    operator H() const { return h_; }
    explicit operator bool() const { return h_ != H{}; }
    H release() { return std::exchange(h_, H{}); }
    void reset(H h = H{}) {
        if (h_ != H{}) Traits::Close(h_);
        h_ = h;
    }

private:
    H h_{};
};

struct GdiObjectTraits { static void Close(HGDIOBJ h) { DeleteObject(h); } };
struct DcTraits { static void Close(HDC h) { DeleteDC(h); } };
struct IconTraits { static void Close(HICON h) { DestroyIcon(h); } };
struct MenuTraits { static void Close(HMENU h) { DestroyMenu(h); } };
struct KernelTraits { static void Close(HANDLE h) { CloseHandle(h); } };
struct FindTraits { static void Close(HANDLE h) { FindClose(h); } };
struct RegKeyTraits { static void Close(HKEY h) { RegCloseKey(h); } };
struct ModuleTraits { static void Close(HMODULE h) { FreeLibrary(h); } };

using BitmapHandle = Handle<HBITMAP, GdiObjectTraits>;
using PenHandle = Handle<HPEN, GdiObjectTraits>;
using BrushHandle = Handle<HBRUSH, GdiObjectTraits>;
using FontHandle = Handle<HFONT, GdiObjectTraits>;
using RegionHandle = Handle<HRGN, GdiObjectTraits>;
using PaletteHandle = Handle<HPALETTE, GdiObjectTraits>;
using DcHandle = Handle<HDC, DcTraits>;            // from CreateDC / CreateCompatibleDC
using IconHandle = Handle<HICON, IconTraits>;
using MenuHandle = Handle<HMENU, MenuTraits>;
using KernelHandle = Handle<HANDLE, KernelTraits>; // mutex, file, process
using FindHandle = Handle<HANDLE, FindTraits>;
using RegKey = Handle<HKEY, RegKeyTraits>;
using ModuleHandle = Handle<HMODULE, ModuleTraits>;

// A file handle whose invalid value is INVALID_HANDLE_VALUE.
class FileHandle {
public:
    explicit FileHandle(HANDLE h) : h_(h) {}
    ~FileHandle() { if (valid()) CloseHandle(h_); }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    bool valid() const { return h_ != INVALID_HANDLE_VALUE && h_ != nullptr; }
    HANDLE get() const { return h_; }

private:
    HANDLE h_;
};

// A font of the given face and height (negative: character height in pixels).
inline FontHandle CreateFontByName(const wchar_t* face, int height) {
    LOGFONTW lf{};
    lf.lfHeight = height;
    lf.lfWeight = FW_NORMAL;
    lf.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(lf.lfFaceName, face, LF_FACESIZE);
    return FontHandle(CreateFontIndirectW(&lf));
}

// A rectangle filled, or framed one pixel wide, in a solid colour.
inline void FillSolid(HDC dc, const RECT& r, COLORREF colour) {
    BrushHandle brush(CreateSolidBrush(colour));
    FillRect(dc, &r, brush);
}
inline void FrameSolid(HDC dc, const RECT& r, COLORREF colour) {
    BrushHandle brush(CreateSolidBrush(colour));
    FrameRect(dc, &r, brush);
}

// The display device context: CreateDC("DISPLAY"), deleted at scope end.
inline DcHandle CreateDisplayDc() { return DcHandle(CreateDCW(L"DISPLAY", nullptr, nullptr, nullptr)); }

// A DC from GetDC, released with ReleaseDC.
class WindowDc {
public:
    explicit WindowDc(HWND w) : w_(w), dc_(GetDC(w)) {}
    ~WindowDc() { if (dc_) ReleaseDC(w_, dc_); }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HDC get() const { return dc_; }
    operator HDC() const { return dc_; }

private:
    HWND w_;
    HDC dc_;
};

// Selects an object into a DC and puts the previous one back at scope end.
class Selection {
public:
    Selection(HDC dc, HGDIOBJ obj) : dc_(dc), old_(obj ? SelectObject(dc, obj) : nullptr) {}
    ~Selection() { if (old_) SelectObject(dc_, old_); }
    Selection(const Selection&) = delete;
    Selection& operator=(const Selection&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

}  // namespace ui
