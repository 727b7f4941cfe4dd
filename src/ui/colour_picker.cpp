#include "ui/colour_picker.h"

#include <commdlg.h>

#include <algorithm>

#include "ui/colour_picker_texts.h"
#include "ui/gdi.h"

namespace ui {

namespace {

constexpr const wchar_t* PaletteClassName = L"VorlixColourPalette";
constexpr COLORREF OutlineGrey = RGB(0x80, 0x80, 0x80);
// The word-style glyph and bar sit 23 pixels wide beside the arrow part.
constexpr int ColourPartMinWidth = 23;

constexpr DWORD DockedStyle = WS_POPUP | WS_DLGFRAME | WS_CLIPCHILDREN;
constexpr DWORD FloatingStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD PaletteExStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST;

bool Inside(const RECT& r, POINT p) { return PtInRect(&r, p) != FALSE; }

// A swatch: the colour framed in grey (face colour in a greyed frame when
// disabled).
void Swatch(HDC dc, const RECT& r, COLORREF colour, bool enabled) {
    FillSolid(dc, r, enabled ? colour : GetSysColor(COLOR_BTNFACE));
    FrameSolid(dc, r, enabled ? OutlineGrey : GetSysColor(COLOR_INACTIVECAPTION));
}

// The small pictures above the colour bar, drawn in a 16 x 11 box.
void DrawGlyph(HDC dc, TGlyphType type, int left, int top, bool enabled) {
    const COLORREF ink = GetSysColor(enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT);
    PenHandle pen(CreatePen(PS_SOLID, 1, ink));
    Selection keepPen(dc, pen);
    switch (type) {
        case TGlyphType::gtText: {  // a capital A
            const POINT a[] = {{left + 3, top + 10}, {left + 8, top}, {left + 13, top + 10}};
            Polyline(dc, a, 3);
            const POINT b[] = {{left + 4, top + 9}, {left + 8, top + 1}, {left + 12, top + 9}};
            Polyline(dc, b, 3);
            MoveToEx(dc, left + 5, top + 6, nullptr);
            LineTo(dc, left + 12, top + 6);
            break;
        }
        case TGlyphType::gtLines:  // lines of three widths
            for (int i = 0; i < 3; ++i) {
                const int y = top + 1 + i * 4;
                RECT r{left + 2, y, left + 14, y + i + 1};
                FillSolid(dc, r, ink);
            }
            break;
        case TGlyphType::gtBackGround: {  // a tilted paint pot with a drop
            const POINT pot[] = {{left + 2, top + 5}, {left + 7, top}, {left + 12, top + 5},
                                 {left + 7, top + 10}, {left + 2, top + 5}};
            Polyline(dc, pot, 5);
            MoveToEx(dc, left + 3, top + 5, nullptr);
            LineTo(dc, left + 12, top + 5);
            RECT drop{left + 13, top + 6, left + 15, top + 10};
            FillSolid(dc, drop, ink);
            break;
        }
    }
}

// A flat part shows an edge only while hot or pressed; a raised one always.
void PartEdge(HDC dc, RECT r, bool flat, bool hot, bool pressed) {
    if (pressed) DrawEdge(dc, &r, flat ? BDR_SUNKENOUTER : EDGE_SUNKEN, BF_RECT);
    else if (!flat) DrawEdge(dc, &r, EDGE_RAISED, BF_RECT);
    else if (hot) DrawEdge(dc, &r, BDR_RAISEDINNER, BF_RECT);
}

// Paints a window through an off-screen bitmap, so that a redraw on every
// change never flickers.
template <typename Paint>
void PaintOffScreen(HWND window, Paint paint) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    RECT rc;
    GetClientRect(window, &rc);
    DcHandle mem(CreateCompatibleDC(dc));
    BitmapHandle bmp(CreateCompatibleBitmap(dc, rc.right, rc.bottom));
    {
        Selection keep(mem, bmp);
        paint(mem.get());
        BitBlt(dc, 0, 0, rc.right, rc.bottom, mem, 0, 0, SRCCOPY);
    }
    EndPaint(window, &ps);
}

}  // namespace

COLORREF ShownColour(uint32_t colour) {
    if (colour == clDefault) return AutomaticShownColour;
    if (colour & 0x80000000u) return GetSysColor(static_cast<int>(colour & 0xFF));
    return colour & 0x00FFFFFFu;
}

const std::array<COLORREF, 40> PaletteColours = {
    0x000000, 0x003399, 0x003333, 0x003300, 0x663300, 0x800000, 0x993333, 0x333333,
    0x000080, 0x0066FF, 0x008080, 0x008000, 0x808000, 0xFF0000, 0x996666, 0x808080,
    0x0000FF, 0x0099FF, 0x00CC99, 0x669933, 0xCCCC33, 0xFF6633, 0x800080, 0x999999,
    0xFF00FF, 0x00CCFF, 0x00FFFF, 0x00FF00, 0xFFFF00, 0xFFCC00, 0x663399, 0xC0C0C0,
    0xCC99FF, 0x99CCFF, 0x99FFFF, 0xCCFFCC, 0xFFFFCC, 0xFFCC99, 0xFF99CC, 0xFFFFFF,
};

PaletteMetrics RaisedToMinimum(const PaletteMetrics& m) {
    const PaletteMetrics min;
    PaletteMetrics r;
    r.TopMargin = std::max(m.TopMargin, min.TopMargin);
    r.BottomMargin = std::max(m.BottomMargin, min.BottomMargin);
    r.HoriMargin = std::max(m.HoriMargin, min.HoriMargin);
    r.DragBarHeight = std::max(m.DragBarHeight, min.DragBarHeight);
    r.DragBarSpace = std::max(m.DragBarSpace, min.DragBarSpace);
    r.ColorSpace = std::max(m.ColorSpace, min.ColorSpace);
    r.ColorSpaceTop = std::max(m.ColorSpaceTop, min.ColorSpaceTop);
    r.ColorSpaceBottom = std::max(m.ColorSpaceBottom, min.ColorSpaceBottom);
    r.ColorSize = std::max(m.ColorSize, min.ColorSize);
    r.ButtonHeight = std::max(m.ButtonHeight, min.ButtonHeight);
    return r;
}

PaletteLayout LayOutPalette(const PaletteMetrics& m, bool bar) {
    PaletteLayout l;
    const int b = bar ? 0 : -m.DragBarHeight;
    l.client.cx = 2 * m.HoriMargin + 8 * m.ColorSize + 7 * m.ColorSpace;
    l.client.cy = m.TopMargin + m.BottomMargin + m.DragBarHeight + m.DragBarSpace + m.ColorSpaceTop +
                  m.ColorSpaceBottom + 5 * m.ColorSize + 4 * m.ColorSpace + 2 * m.ButtonHeight + b;
    if (bar) {
        const int inset = (m.HoriMargin + 1) / 2;
        l.dragBar = {inset, m.TopMargin, l.client.cx - inset, m.TopMargin + m.DragBarHeight};
    }
    const int autoTop = m.TopMargin + m.DragBarHeight + m.DragBarSpace + b;
    l.autoButton = {m.HoriMargin, autoTop, l.client.cx - m.HoriMargin, autoTop + m.ButtonHeight};
    for (int i = 0; i < 40; ++i) {
        const int left = l.autoButton.left + (i % 8) * (m.ColorSize + m.ColorSpace);
        const int top = l.autoButton.bottom + m.ColorSpaceTop + (i / 8) * (m.ColorSize + m.ColorSpace);
        l.cells[i] = {left, top, left + m.ColorSize, top + m.ColorSize};
    }
    const int otherTop = l.cells[39].top + m.ColorSize + m.ColorSpaceBottom;
    l.otherButton = {l.autoButton.left, otherTop, l.autoButton.right, otherTop + m.ButtonHeight};
    return l;
}

// ---- Creation ---------------------------------------------------------------

bool TColourPickButton::RegisterClass() {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    if (!GetClassInfoExW(instance, ClassName, &wc)) {
        wc = WNDCLASSEXW{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = &ButtonProc;
        wc.hInstance = instance;
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = ClassName;
        wc.style = CS_HREDRAW | CS_VREDRAW;
        if (!RegisterClassExW(&wc)) return false;
    }
    if (!GetClassInfoExW(instance, PaletteClassName, &wc)) {
        wc = WNDCLASSEXW{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = &PaletteProc;
        wc.hInstance = instance;
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = PaletteClassName;
        if (!RegisterClassExW(&wc)) return false;
    }
    return true;
}

TColourPickButton* TColourPickButton::Create(HWND parent, int id, int x, int y, int width, int height) {
    if (!RegisterClass()) return nullptr;
    HWND w = CreateWindowExW(0, ClassName, L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP, x, y, width, height, parent,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
    return FromHandle(w);
}

TColourPickButton* TColourPickButton::FromHandle(HWND window) {
    if (!window) return nullptr;
    wchar_t name[32];
    if (!GetClassNameW(window, name, 32) || lstrcmpiW(name, ClassName) != 0) return nullptr;
    return reinterpret_cast<TColourPickButton*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

TColourPickButton::~TColourPickButton() {
    if (palette_) {
        HWND p = palette_;
        palette_ = nullptr;
        SetWindowLongPtrW(p, GWLP_USERDATA, 0);
        DestroyWindow(p);
    }
}

LRESULT CALLBACK TColourPickButton::ButtonProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self = new TColourPickButton;
        self->hwnd_ = hwnd;
        self->captionAuto_ = txt::PickerAutomatic;
        self->captionOther_ = txt::PickerOtherColors;
        self->dropDownCaption_ = txt::PickerPaletteCaption;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<TColourPickButton*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        delete self;
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    return self->ButtonMessage(message, wParam, lParam);
}

LRESULT CALLBACK TColourPickButton::PaletteProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    }
    auto* self = reinterpret_cast<TColourPickButton*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self || self->palette_ != hwnd) return DefWindowProcW(hwnd, message, wParam, lParam);
    return self->PaletteMessage(message, wParam, lParam);
}

// ---- Properties ---------------------------------------------------------------

void TColourPickButton::SetSelectedColor(uint32_t c) {
    if (c == selected_) return;
    selected_ = c;
    if (c == clDefault) {
        downItem_ = AutoItem;
    } else {
        downItem_ = NoItem;
        for (int i = 0; i < 40; ++i)
            if (PaletteColours[i] == c) {
                downItem_ = i;
                break;
            }
    }
    Refresh();
    if (OnColorSelected) OnColorSelected(c);
}

void TColourPickButton::SetEnabled(bool enabled) {
    if (!enabled && DroppedDown() && !floating_) CloseUp();
    EnableWindow(hwnd_, enabled);
    Refresh();
}

void TColourPickButton::SetMetrics(const PaletteMetrics& m) {
    metrics_ = RaisedToMinimum(m);
    wordStyle_ = false;
    if (DroppedDown()) SizePalette();
}

void TColourPickButton::SetWordStyle(bool on) {
    wordStyle_ = on;
    if (!on) return;
    metrics_ = PaletteMetrics{};
    if (DroppedDown()) SizePalette();
}

void TColourPickButton::SetDropDownWidth(int width) {
    dropDownWidth_ = std::max(width, MinDropDownWidth);
    RECT r;
    GetWindowRect(hwnd_, &r);
    // The size rules of WM_WINDOWPOSCHANGING apply to any size.
    SetWindowPos(hwnd_, nullptr, 0, 0, r.right - r.left, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER |
                 SWP_NOACTIVATE);
    Refresh();
}

void TColourPickButton::SetDropDownMove(bool on) {
    dropDownMove_ = on;
    if (floating_) CloseUp();
}

void TColourPickButton::SetDropDownFlat(bool on) {
    dropDownFlat_ = on;
    Refresh();
}

void TColourPickButton::SetFlat(bool on) {
    flat_ = on;
    Refresh();
}

void TColourPickButton::SetCaptionAutoColor(const std::wstring& text) {
    captionAuto_ = text;
    Refresh();
}

void TColourPickButton::SetCaptionOtherColor(const std::wstring& text) {
    captionOther_ = text;
    Refresh();
}

void TColourPickButton::SetDropDownCaption(const std::wstring& text) {
    dropDownCaption_ = text;
    if (palette_) SetWindowTextW(palette_, text.c_str());
}

void TColourPickButton::SetGlyphType(TGlyphType type) {
    glyph_ = type;
    Refresh();
}

bool TColourPickButton::DroppedDown() const { return palette_ && IsWindowVisible(palette_); }

void TColourPickButton::Refresh() {
    if (hwnd_) InvalidateRect(hwnd_, nullptr, TRUE);
    if (palette_) InvalidateRect(palette_, nullptr, TRUE);
}

HFONT TColourPickButton::Font() const {
    return font_ ? font_ : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

// ---- The button -----------------------------------------------------------------

LRESULT TColourPickButton::ButtonMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE: {
            // The size rules also hold for the size the window was made with.
            RECT r;
            GetWindowRect(hwnd_, &r);
            SetWindowPos(hwnd_, nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
                         SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
            return 0;
        }
        case WM_WINDOWPOSCHANGING: {
            auto* wp = reinterpret_cast<WINDOWPOS*>(lParam);
            if (!(wp->flags & SWP_NOSIZE)) {
                wp->cx = std::max(wp->cx, dropDownWidth_ + ColourPartMinWidth);
                wp->cy = std::max(wp->cy, MinHeight);
            }
            return 0;
        }
        case WM_DESTROY:
            if (palette_) {
                HWND p = palette_;
                palette_ = nullptr;
                DestroyWindow(p);
            }
            break;
        case WM_SETFONT:
            font_ = reinterpret_cast<HFONT>(wParam);
            if (LOWORD(lParam)) Refresh();
            return 0;
        case WM_GETFONT: return reinterpret_cast<LRESULT>(font_);
        case WM_ERASEBKGND: return 1;
        case WM_PAINT: PaintOffScreen(hwnd_, [this](HDC dc) { PaintButton(dc); }); return 0;
        case WM_ENABLE:
        case WM_SETFOCUS:
        case WM_KILLFOCUS: Refresh(); return 0;
        case WM_MOUSEMOVE:
            if (!buttonHot_) {
                buttonHot_ = true;
                TRACKMOUSEEVENT tme{};
                tme.cbSize = sizeof tme;
                tme.dwFlags = TME_LEAVE;
                tme.hwndTrack = hwnd_;
                TrackMouseEvent(&tme);
                Refresh();
            }
            return 0;
        case WM_MOUSELEAVE:
            buttonHot_ = false;
            Refresh();
            return 0;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            SetFocus(hwnd_);
            // The press that took the focus from the open palette only closes it.
            if (swallowPress_) {
                swallowPress_ = false;
                return 0;
            }
            DropDown();
            return 0;
        case WM_GETDLGCODE: {
            // Enter opens the palette, as Space does: the button is pressed.
            const auto* msg = reinterpret_cast<const MSG*>(lParam);
            if (msg && msg->message == WM_KEYDOWN && msg->wParam == VK_RETURN) return DLGC_WANTCHARS | DLGC_WANTMESSAGE;
            return DLGC_WANTCHARS;
        }
        case WM_KEYDOWN:
            if (wParam == VK_SPACE || wParam == VK_F4 || wParam == VK_RETURN) {
                DropDown();
                return 0;
            }
            break;
        case WM_SYSKEYDOWN:
            if (wParam == VK_DOWN) {
                DropDown();
                return 0;
            }
            break;
        default: break;
    }
    return DefWindowProcW(hwnd_, message, wParam, lParam);
}

void TColourPickButton::PaintButton(HDC dc) {
    RECT rc;
    GetClientRect(hwnd_, &rc);
    const bool enabled = IsWindowEnabled(hwnd_) != FALSE;
    FillRect(dc, &rc, GetSysColorBrush(COLOR_BTNFACE));
    RECT colourPart{0, 0, rc.right - dropDownWidth_, rc.bottom};
    RECT arrowPart{colourPart.right, 0, rc.right, rc.bottom};
    // Both parts highlight together; the arrow stays pressed while the
    // palette hangs below the button.
    const bool open = DroppedDown() && !floating_;
    const bool hot = enabled && (buttonHot_ || open);
    PartEdge(dc, colourPart, flat_, hot, false);
    PartEdge(dc, arrowPart, flat_, hot, open);

    const int w = colourPart.right, h = rc.bottom;
    DrawGlyph(dc, glyph_, (w + 1) / 2 - 8, (h + 1) / 2 - 8, enabled);
    RECT bar{(w + 1) / 2 - 8, (h + 1) / 2 + 4, (w + 1) / 2 + 8, (h + 1) / 2 + 8};
    FillSolid(dc, bar, enabled ? ShownColour(selected_) : GetSysColor(COLOR_INACTIVECAPTION));

    // The arrow: a small triangle in the middle of its part.
    const int ax = (arrowPart.left + arrowPart.right) / 2, ay = h / 2 - 1;
    const COLORREF ink = GetSysColor(enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT);
    for (int i = 0; i < 3; ++i) {
        RECT line{ax - 2 + i, ay + i, ax + 3 - i, ay + i + 1};
        FillSolid(dc, line, ink);
    }
    if (GetFocus() == hwnd_) {
        RECT f = colourPart;
        InflateRect(&f, -3, -3);
        DrawFocusRect(dc, &f);
    }
}

// ---- The palette ------------------------------------------------------------------

bool TColourPickButton::CreatePalette() {
    if (palette_) return true;
    HWND owner = GetAncestor(hwnd_, GA_ROOT);
    palette_ = CreateWindowExW(PaletteExStyle, PaletteClassName, dropDownCaption_.c_str(), DockedStyle, 0, 0, 10,
                               10, owner, nullptr, GetModuleHandleW(nullptr), this);
    return palette_ != nullptr;
}

void TColourPickButton::SizePalette() {
    layout_ = LayOutPalette(metrics_, !floating_ && dropDownMove_);
    RECT r{0, 0, layout_.client.cx, layout_.client.cy};
    AdjustWindowRectEx(&r, static_cast<DWORD>(GetWindowLongPtrW(palette_, GWL_STYLE)), FALSE, PaletteExStyle);
    SetWindowPos(palette_, nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    InvalidateRect(palette_, nullptr, TRUE);
}

void TColourPickButton::DropDown() {
    if (!IsWindowEnabled(hwnd_) || !CreatePalette()) return;
    LeaveFloating();
    layout_ = LayOutPalette(metrics_, dropDownMove_);
    RECT frame{0, 0, layout_.client.cx, layout_.client.cy};
    AdjustWindowRectEx(&frame, DockedStyle, FALSE, PaletteExStyle);
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;

    // Below the button, left-aligned with it; moved left to end at the
    // screen's right edge, and above the button where it would pass the
    // bottom.
    POINT p{0, 0};
    ClientToScreen(hwnd_, &p);
    RECT button;
    GetWindowRect(hwnd_, &button);
    MONITORINFO mi{};
    mi.cbSize = sizeof mi;
    GetMonitorInfoW(MonitorFromWindow(hwnd_, MONITOR_DEFAULTTONEAREST), &mi);
    const RECT& screen = mi.rcMonitor;
    int x = p.x, y = p.y + (button.bottom - button.top);
    if (x + width > screen.right) x = screen.right - width;
    if (y + height > screen.bottom) y = p.y - height;
    hotItem_ = pressedItem_ = NoItem;
    barHot_ = false;
    // The keys start on the chosen entry.
    focusItem_ = downItem_ == NoItem ? AutoItem : downItem_;
    if (focusItem_ >= 0 && focusItem_ < 40) column_ = focusItem_ % 8;
    SetWindowPos(palette_, HWND_TOPMOST, x, y, width, height, SWP_SHOWWINDOW | SWP_FRAMECHANGED);
    SetForegroundWindow(palette_);
    SetFocus(palette_);
    Refresh();
}

// Closed by a choice or by Esc, the palette gives the keys back to the
// button (the dialog around it becomes active again).
void TColourPickButton::CloseToButton() {
    const bool hadKeys = palette_ && GetFocus() == palette_;
    CloseUp();
    if (hadKeys && IsWindowVisible(hwnd_)) {
        SetForegroundWindow(GetAncestor(hwnd_, GA_ROOT));
        SetFocus(hwnd_);
    }
}

void TColourPickButton::CloseUp() {
    if (palette_ && IsWindowVisible(palette_)) ShowWindow(palette_, SW_HIDE);
    hotItem_ = pressedItem_ = NoItem;
    buttonHot_ = false;
    Refresh();
}

void TColourPickButton::EnterFloating() {
    SetWindowLongPtrW(palette_, GWL_STYLE, FloatingStyle | WS_VISIBLE);
    SetWindowTextW(palette_, dropDownCaption_.c_str());
    floating_ = true;
    SizePalette();
    buttonHot_ = false;
    Refresh();
}

void TColourPickButton::LeaveFloating() {
    if (!floating_) return;
    floating_ = false;
    const bool visible = IsWindowVisible(palette_) != FALSE;
    SetWindowLongPtrW(palette_, GWL_STYLE, DockedStyle | (visible ? WS_VISIBLE : 0));
}

const RECT* TColourPickButton::ItemRect(int item) const {
    if (item >= 0 && item < 40) return &layout_.cells[item];
    if (item == AutoItem) return &layout_.autoButton;
    if (item == OtherItem) return &layout_.otherButton;
    return nullptr;
}

int TColourPickButton::ItemAt(POINT p) const {
    if (Inside(layout_.autoButton, p)) return AutoItem;
    if (Inside(layout_.otherButton, p)) return OtherItem;
    for (int i = 0; i < 40; ++i)
        if (Inside(layout_.cells[i], p)) return i;
    return NoItem;
}

// The entry the arrow key leads to from `item`: Left and Right step through
// "Automatic", the cells row by row and "Other Colors..."; Up and Down
// keep the column (the last cell's column for the two text entries).
int TColourPickButton::NextItem(int item, UINT key) const {
    const bool cell = item >= 0 && item < 40;
    switch (key) {
        case VK_LEFT: return item == OtherItem ? 39 : cell ? (item > 0 ? item - 1 : AutoItem) : item;
        case VK_RIGHT: return item == AutoItem ? 0 : cell ? (item < 39 ? item + 1 : OtherItem) : item;
        case VK_UP: return item == OtherItem ? 32 + column_ : cell ? (item >= 8 ? item - 8 : AutoItem) : item;
        case VK_DOWN: return item == AutoItem ? column_ : cell ? (item < 32 ? item + 8 : OtherItem) : item;
        default: return item;
    }
}

void TColourPickButton::SetFocusItem(int item) {
    if (item == focusItem_) return;
    for (int old : {focusItem_, item})
        if (const RECT* r = ItemRect(old)) InvalidateRect(palette_, r, TRUE);
    focusItem_ = item;
    if (item >= 0 && item < 40) column_ = item % 8;
}

void TColourPickButton::SetHot(int item) {
    if (item == hotItem_) return;
    for (int old : {hotItem_, item})
        if (const RECT* r = ItemRect(old)) InvalidateRect(palette_, r, TRUE);
    hotItem_ = item;
}

void TColourPickButton::Choose(int item) {
    if (!IsWindowEnabled(hwnd_)) return;
    if (!floating_) CloseToButton();
    if (item == AutoItem) SetSelectedColor(clDefault);
    else if (item >= 0 && item < 40) SetSelectedColor(PaletteColours[item]);
    else if (item == OtherItem) ChooseOtherColour();
}

void TColourPickButton::ChooseOtherColour() {
    CHOOSECOLORW cc{};
    cc.lStructSize = sizeof cc;
    cc.hwndOwner = floating_ ? palette_ : GetAncestor(hwnd_, GA_ROOT);
    cc.rgbResult = ShownColour(selected_);
    cc.lpCustColors = CustomColors.data();
    cc.Flags = CC_FULLOPEN | CC_SOLIDCOLOR | CC_ANYCOLOR | CC_RGBINIT;
    if (ChooseColorW(&cc)) SetSelectedColor(cc.rgbResult & 0x00FFFFFFu);
}

LRESULT TColourPickButton::PaletteMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_ERASEBKGND: return 1;
        case WM_PAINT: PaintOffScreen(palette_, [this](HDC dc) { PaintPalette(dc); }); return 0;
        case WM_NCHITTEST: {
            // A press on the bar of the docked palette starts the system's
            // move, which tears the palette off (WM_SYSCOMMAND below).
            if (floating_) break;
            POINT p{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            ScreenToClient(palette_, &p);
            if (Inside(layout_.dragBar, p)) return HTCAPTION;
            break;
        }
        case WM_SYSCOMMAND:
            if (!floating_ && (wParam & 0xFFF0) == SC_MOVE) EnterFloating();
            break;
        case WM_NCMOUSEMOVE:
            if (!floating_ && wParam == HTCAPTION && !barHot_) {
                barHot_ = true;
                TRACKMOUSEEVENT tme{};
                tme.cbSize = sizeof tme;
                tme.dwFlags = TME_LEAVE | TME_NONCLIENT;
                tme.hwndTrack = palette_;
                TrackMouseEvent(&tme);
                InvalidateRect(palette_, &layout_.dragBar, TRUE);
            }
            break;
        case WM_NCMOUSELEAVE:
            if (barHot_) {
                barHot_ = false;
                InvalidateRect(palette_, &layout_.dragBar, TRUE);
            }
            break;
        case WM_MOUSEMOVE: {
            POINT p{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            if (barHot_) {
                barHot_ = false;
                InvalidateRect(palette_, &layout_.dragBar, TRUE);
            }
            TRACKMOUSEEVENT tme{};
            tme.cbSize = sizeof tme;
            tme.dwFlags = TME_LEAVE;
            tme.hwndTrack = palette_;
            TrackMouseEvent(&tme);
            SetHot(ItemAt(p));
            return 0;
        }
        case WM_MOUSELEAVE: SetHot(NoItem); return 0;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK: {
            POINT p{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            pressedItem_ = ItemAt(p);
            if (pressedItem_ != NoItem) SetCapture(palette_);
            if (const RECT* r = ItemRect(pressedItem_)) InvalidateRect(palette_, r, TRUE);
            return 0;
        }
        case WM_LBUTTONUP: {
            POINT p{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            const int pressed = pressedItem_;
            pressedItem_ = NoItem;
            if (GetCapture() == palette_) ReleaseCapture();
            if (const RECT* r = ItemRect(pressed)) InvalidateRect(palette_, r, TRUE);
            if (pressed != NoItem && ItemAt(p) == pressed) Choose(pressed);
            return 0;
        }
        case WM_KEYDOWN:
            switch (wParam) {
                case VK_ESCAPE: CloseToButton(); return 0;
                case VK_RETURN:
                case VK_SPACE: Choose(focusItem_); return 0;
                case VK_LEFT:
                case VK_RIGHT:
                case VK_UP:
                case VK_DOWN: SetFocusItem(NextItem(focusItem_, static_cast<UINT>(wParam))); return 0;
                default: break;
            }
            break;
        case WM_ACTIVATE:
            // The docked palette closes when it loses the focus.
            if (LOWORD(wParam) == WA_INACTIVE && !floating_ && IsWindowVisible(palette_)) {
                POINT cursor;
                GetCursorPos(&cursor);
                swallowPress_ = (GetAsyncKeyState(VK_LBUTTON) & 0x8000) && WindowFromPoint(cursor) == hwnd_;
                CloseUp();
            }
            break;
        case WM_SHOWWINDOW:
            if (!wParam) {
                buttonHot_ = false;
                if (hwnd_) InvalidateRect(hwnd_, nullptr, TRUE);
            }
            break;
        case WM_CLOSE: CloseUp(); return 0;
        default: break;
    }
    return DefWindowProcW(palette_, message, wParam, lParam);
}

void TColourPickButton::PaintPalette(HDC dc) {
    RECT rc;
    GetClientRect(palette_, &rc);
    FillRect(dc, &rc, GetSysColorBrush(COLOR_BTNFACE));
    if (!floating_ && dropDownMove_)
        FillRect(dc, &layout_.dragBar, GetSysColorBrush(barHot_ ? COLOR_ACTIVECAPTION : COLOR_INACTIVECAPTION));
    PaintEntry(dc, AutoItem, layout_.autoButton);
    for (int i = 0; i < 40; ++i) PaintEntry(dc, i, layout_.cells[i]);
    PaintEntry(dc, OtherItem, layout_.otherButton);
}

void TColourPickButton::PaintEntry(HDC dc, int item, const RECT& r) {
    const bool enabled = IsWindowEnabled(hwnd_) != FALSE;
    const bool down = item == downItem_ || (item == pressedItem_ && item == hotItem_);
    const bool hot = enabled && item == hotItem_;
    if (down && item != OtherItem) {
        // A chosen entry shows sunken on a lighter face, as a speed button
        // that stays down.
        FillSolid(dc, r, RGB(0xF4, 0xF4, 0xF4));
    }
    PartEdge(dc, r, dropDownFlat_, hot, down);
    const int h = r.bottom - r.top;
    HFONT font = Font();
    Selection keepFont(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
    if (item == AutoItem) {
        RECT outline = r;
        InflateRect(&outline, -(h / 7), -(h / 7));
        FrameSolid(dc, outline, enabled ? OutlineGrey : GetSysColor(COLOR_INACTIVECAPTION));
        const int inset = h / 6;
        RECT swatch{r.left + inset, r.top + inset, r.left + h - inset, r.bottom - inset};
        Swatch(dc, swatch, ShownColour(clDefault), enabled);
        RECT text{swatch.right, r.top, r.right, r.bottom};
        DrawTextW(dc, captionAuto_.c_str(), -1, &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    } else if (item == OtherItem) {
        RECT text = r;
        DrawTextW(dc, captionOther_.c_str(), -1, &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    } else {
        const int inset = h / 6 + 1;
        RECT swatch = r;
        InflateRect(&swatch, -inset, -inset);
        Swatch(dc, swatch, PaletteColours[item], enabled);
    }
    // The entry the keys are on.
    if (item == focusItem_) {
        RECT f = r;
        InflateRect(&f, -2, -2);
        DrawFocusRect(dc, &f);
    }
}

}  // namespace ui
