#include "ui/menu_styler.h"

#include <algorithm>
#include <cmath>

namespace ui {

namespace {

constexpr int SeparatorHeight = 4;

bool RichDisplay() {
    HDC dc = GetDC(nullptr);
    const int bits = GetDeviceCaps(dc, BITSPIXEL) * GetDeviceCaps(dc, PLANES);
    ReleaseDC(nullptr, dc);
    return bits > 15;
}

// Caption and shortcut, split at the tab.
void SplitCaption(const std::wstring& text, std::wstring& caption, std::wstring& shortcut) {
    const size_t tab = text.find(L'\t');
    caption = text.substr(0, tab);
    shortcut = tab == std::wstring::npos ? L"" : text.substr(tab + 1);
}

std::wstring ItemText(HMENU menu, UINT position) {
    MENUITEMINFOW mii{};
    mii.cbSize = sizeof mii;
    mii.fMask = MIIM_STRING;
    if (!GetMenuItemInfoW(menu, position, TRUE, &mii) || mii.cch == 0) return L"";
    std::wstring text(mii.cch + 1, L'\0');
    mii.dwTypeData = text.data();
    mii.cch = static_cast<UINT>(text.size());
    GetMenuItemInfoW(menu, position, TRUE, &mii);
    text.resize(mii.cch);
    return text;
}

}  // namespace

LOGFONTW SystemMenuFont() {
    NONCLIENTMETRICSW ncm{};
    ncm.cbSize = sizeof ncm;
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0);
    LOGFONTW lf = ncm.lfMenuFont;
    if (lstrcmpiW(lf.lfFaceName, L"MS Sans Serif") == 0) lstrcpynW(lf.lfFaceName, L"Tahoma", LF_FACESIZE);
    return lf;
}

COLORREF TMenuStyler::Lighten(COLORREF colour, int percent) {
    auto channel = [percent](int c) {
        return c + static_cast<int>(std::lround((255 - c) * percent / 100.0));
    };
    return RGB(channel(GetRValue(colour)), channel(GetGValue(colour)), channel(GetBValue(colour)));
}

TMenuStyler::TMenuStyler() {
    const LOGFONTW lf = SystemMenuFont();
    font_.reset(CreateFontIndirectW(&lf));
}

TMenuStyler::~TMenuStyler() { Detach(); }

void TMenuStyler::AddMenu(HMENU menu) {
    if (!menu || std::find(menus_.begin(), menus_.end(), menu) != menus_.end()) return;
    menus_.push_back(menu);
    if (active_) Attach(menu);
}

void TMenuStyler::SetActive(bool on) {
    Detach();
    active_ = on;
    if (on)
        for (HMENU m : menus_) Attach(m);
}

void TMenuStyler::SetOverrideOwnerDraw(bool on) {
    overrideOwnerDraw_ = on;
    if (active_) SetActive(true);
}

void TMenuStyler::Attach(HMENU menu) {
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        MENUITEMINFOW mii{};
        mii.cbSize = sizeof mii;
        mii.fMask = MIIM_FTYPE | MIIM_DATA | MIIM_SUBMENU;
        if (!GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &mii)) continue;
        if (mii.hSubMenu) Attach(mii.hSubMenu);
        // An item that draws itself keeps its own drawing.
        if ((mii.fType & MFT_OWNERDRAW) && !overrideOwnerDraw_) continue;
        auto item = std::make_unique<Item>(
            Item{menu, static_cast<UINT>(i), mii.fType, mii.dwItemData, ItemText(menu, static_cast<UINT>(i))});
        MENUITEMINFOW set{};
        set.cbSize = sizeof set;
        set.fMask = MIIM_FTYPE | MIIM_DATA;
        set.fType = mii.fType | MFT_OWNERDRAW;
        set.dwItemData = reinterpret_cast<ULONG_PTR>(item.get());
        if (SetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &set)) items_.push_back(std::move(item));
    }
}

void TMenuStyler::Detach() {
    // Exactly the items switched here get their own type and data back.
    for (const auto& item : items_) {
        MENUITEMINFOW set{};
        set.cbSize = sizeof set;
        set.fMask = MIIM_FTYPE | MIIM_DATA;
        set.fType = item->originalType;
        set.dwItemData = item->originalData;
        SetMenuItemInfoW(item->menu, item->position, TRUE, &set);
        if (!(item->originalType & MFT_SEPARATOR) && !(item->originalType & MFT_OWNERDRAW)) {
            MENUITEMINFOW text{};
            text.cbSize = sizeof text;
            text.fMask = MIIM_STRING;
            text.dwTypeData = const_cast<wchar_t*>(item->text.c_str());
            SetMenuItemInfoW(item->menu, item->position, TRUE, &text);
        }
    }
    items_.clear();
}

bool TMenuStyler::Owns(ULONG_PTR data) const {
    return std::any_of(items_.begin(), items_.end(),
                       [data](const auto& item) { return reinterpret_cast<ULONG_PTR>(item.get()) == data; });
}

bool TMenuStyler::HandleMessage(UINT message, WPARAM, LPARAM lParam) {
    if (!active_) return false;
    if (message == WM_MEASUREITEM) {
        auto& mi = *reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        if (mi.CtlType != ODT_MENU || !Owns(mi.itemData)) return false;
        Measure(mi, *reinterpret_cast<const Item*>(mi.itemData));
        return true;
    }
    if (message == WM_DRAWITEM) {
        const auto& di = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (di.CtlType != ODT_MENU || !Owns(di.itemData)) return false;
        Draw(di, *reinterpret_cast<const Item*>(di.itemData));
        return true;
    }
    return false;
}

TMenuStyler::Colours TMenuStyler::PrepareColours() {
    Colours c{Color, IconBackColor, SelectColor, SelectBorderColor, GetSysColor(COLOR_MENUTEXT), SelectFontColor,
              DisabledColor, SeparatorColor, CheckedColor, Lighten(CheckedColor, 50)};
    if (!UseSystemColors) return c;
    const LOGFONTW lf = SystemMenuFont();
    font_.reset(CreateFontIndirectW(&lf));
    c.text = c.selectText = GetSysColor(COLOR_MENUTEXT);
    c.border = GetSysColor(COLOR_HIGHLIGHT);
    if (RichDisplay()) {
        const COLORREF face = GetSysColor(COLOR_BTNFACE), shadow = GetSysColor(COLOR_BTNSHADOW),
                       highlight = GetSysColor(COLOR_HIGHLIGHT);
        c.back = Lighten(face, 86);
        c.strip = Lighten(face, 16);
        c.select = Lighten(highlight, 68);
        c.disabled = Lighten(shadow, 10);
        c.separator = Lighten(shadow, 25);
        c.check = Lighten(highlight, 75);
        c.checkBox = Lighten(highlight, 50);
    } else {
        c.back = c.select = RGB(255, 255, 255);
        c.strip = GetSysColor(COLOR_BTNFACE);
        c.disabled = c.separator = GetSysColor(COLOR_BTNSHADOW);
    }
    return c;
}

void TMenuStyler::Measure(MEASUREITEMSTRUCT& mi, const Item& item) {
    if (item.originalType & MFT_SEPARATOR) {
        mi.itemHeight = std::max<UINT>(mi.itemHeight, SeparatorHeight);
        return;
    }
    std::wstring caption, shortcut;
    SplitCaption(item.text, caption, shortcut);
    HDC dc = GetDC(nullptr);
    Selection keep(dc, font_);
    SIZE size{};
    const std::wstring measured = caption + shortcut + L"WWW";
    GetTextExtentPoint32W(dc, measured.c_str(), static_cast<int>(measured.size()), &size);
    int width = size.cx;
    if (caption.find(L'&') != std::wstring::npos) {
        SIZE amp{};
        GetTextExtentPoint32W(dc, L"&", 1, &amp);
        width -= amp.cx;
    }
    ReleaseDC(nullptr, dc);
    const int iconHeight = GetSystemMetrics(SM_CYMENUCHECK);
    width += IconWidth + 10;
    const int height = std::max(static_cast<int>(std::lround(size.cy * 1.75)), iconHeight + 4);
    // Only ever larger than what the menu proposes.
    mi.itemWidth = std::max<UINT>(mi.itemWidth, static_cast<UINT>(width));
    mi.itemHeight = std::max<UINT>(mi.itemHeight, static_cast<UINT>(height));
}

void TMenuStyler::Draw(const DRAWITEMSTRUCT& di, const Item& item) {
    const Colours c = PrepareColours();
    HDC dc = di.hDC;
    const RECT r = di.rcItem;
    FillSolid(dc, r, c.back);
    RECT strip{r.left, r.top, r.left + IconWidth, r.bottom};
    if (Gradient && RichDisplay()) {
        // Light to the strip colour, left to right.
        TRIVERTEX v[2] = {{strip.left, strip.top, 0xFF00, 0xFF00, 0xFF00, 0},
                          {strip.right, strip.bottom, static_cast<COLOR16>(GetRValue(c.strip) << 8),
                           static_cast<COLOR16>(GetGValue(c.strip) << 8),
                           static_cast<COLOR16>(GetBValue(c.strip) << 8), 0}};
        GRADIENT_RECT g{0, 1};
        GradientFill(dc, v, 2, &g, 1, GRADIENT_FILL_RECT_H);
    } else {
        FillSolid(dc, strip, c.strip);
    }
    if (item.originalType & MFT_SEPARATOR) {
        const int y = (r.top + r.bottom) / 2;
        RECT line{r.left + IconWidth + 7, y, r.right, y + 1};
        FillSolid(dc, line, c.separator);
        return;
    }
    const bool disabled = (di.itemState & (ODS_GRAYED | ODS_DISABLED)) != 0;
    const bool selected = (di.itemState & ODS_SELECTED) != 0;
    if (selected && !disabled && DrawSelect) {
        FillSolid(dc, r, c.select);
        FrameSolid(dc, r, c.border);
    }
    if (di.itemState & ODS_CHECKED) {
        const int side = std::min(IconWidth, static_cast<int>(r.bottom - r.top)) - 4;
        RECT box{r.left + (IconWidth - side) / 2, r.top + (r.bottom - r.top - side) / 2, 0, 0};
        box.right = box.left + side;
        box.bottom = box.top + side;
        BrushHandle fill(CreateSolidBrush(c.check));
        PenHandle pen(CreatePen(PS_SOLID, 1, c.border));
        Selection keepBrush(dc, fill);
        Selection keepPen(dc, pen);
        if (item.originalType & MFT_RADIOCHECK) {
            Ellipse(dc, box.left, box.top, box.right, box.bottom);
            RECT dot = box;
            InflateRect(&dot, -side / 3, -side / 3);
            FillSolid(dc, dot, GetSysColor(COLOR_MENUTEXT));
        } else {
            Rectangle(dc, box.left, box.top, box.right, box.bottom);
            // A drawn tick.
            PenHandle tick(CreatePen(PS_SOLID, 2, GetSysColor(COLOR_MENUTEXT)));
            Selection keepTick(dc, tick);
            const int x = box.left + side / 4, y = box.top + side / 2;
            const POINT p[] = {{x, y}, {x + side / 5, y + side / 5}, {box.right - side / 4, box.top + side / 4}};
            Polyline(dc, p, 3);
        }
    }
    std::wstring caption, shortcut;
    SplitCaption(item.text, caption, shortcut);
    Selection keepFont(dc, font_);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, disabled ? c.disabled : selected ? c.selectText : c.text);
    const UINT prefix = (di.itemState & ODS_NOACCEL) ? DT_HIDEPREFIX : 0;
    RECT text{r.left + IconWidth + 5, r.top, r.right - 10, r.bottom};
    DrawTextW(dc, caption.c_str(), -1, &text, DT_LEFT | DT_VCENTER | DT_SINGLELINE | prefix);
    if (!shortcut.empty()) DrawTextW(dc, shortcut.c_str(), -1, &text, DT_RIGHT | DT_VCENTER | DT_SINGLELINE);
}

}  // namespace ui
