// TMenuStyler: when active, draws the menus of the window that owns it in a
// flat office style: a light background, a coloured icon strip on the left, a
// framed selection box, drawn check and radio marks. Inactive (as both the
// main window and the options dialog keep it) it changes nothing and every
// menu keeps the system's standard look.
//
// A window hands it its menus (AddMenu) and passes it the WM_MEASUREITEM and
// WM_DRAWITEM messages it receives (HandleMessage).
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "ui/gdi.h"

namespace ui {

class TMenuStyler {
public:
    TMenuStyler();
    ~TMenuStyler();  // detaches: every item it switched gets its own drawing back
    TMenuStyler(const TMenuStyler&) = delete;
    TMenuStyler& operator=(const TMenuStyler&) = delete;

    // A menu of the owner (popup menus; their submenus are included). An
    // active styler attaches to it at once.
    void AddMenu(HMENU menu);

    bool Active() const { return active_; }
    // Detaches from all menus, then attaches when on.
    void SetActive(bool on);
    // Items that draw themselves are left alone unless this is set; changing
    // it re-applies Active.
    void SetOverrideOwnerDraw(bool on);

    // Colours used without UseSystemColors (and on displays of 15 bits or
    // fewer for what the system colours do not cover).
    COLORREF Color = GetSysColor(COLOR_BTNFACE);
    COLORREF IconBackColor = GetSysColor(COLOR_BTNFACE);
    COLORREF SelectColor = GetSysColor(COLOR_HIGHLIGHT);
    COLORREF SelectBorderColor = GetSysColor(COLOR_HIGHLIGHT);
    COLORREF SelectFontColor = GetSysColor(COLOR_MENUTEXT);
    COLORREF DisabledColor = GetSysColor(COLOR_INACTIVECAPTION);
    COLORREF SeparatorColor = GetSysColor(COLOR_BTNFACE);
    COLORREF CheckedColor = GetSysColor(COLOR_HIGHLIGHT);
    int IconWidth = 24;
    bool DrawSelect = true;
    bool UseSystemColors = true;
    bool Gradient = false;

    // For the owner's window procedure: true when the message was about one
    // of the items this styler draws (the owner then returns TRUE).
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    // A channel lightened toward white by a percentage.
    static COLORREF Lighten(COLORREF colour, int percent);

private:
    struct Item {
        HMENU menu;
        UINT position;
        UINT originalType;
        ULONG_PTR originalData;
        std::wstring text;
    };
    struct Colours {
        COLORREF back, strip, select, border, text, selectText, disabled, separator, check, checkBox;
    };

    void Attach(HMENU menu);
    void Detach();
    bool Owns(ULONG_PTR data) const;
    Colours PrepareColours();
    void Measure(MEASUREITEMSTRUCT& mi, const Item& item);
    void Draw(const DRAWITEMSTRUCT& di, const Item& item);

    bool active_ = false;
    bool overrideOwnerDraw_ = false;
    std::vector<HMENU> menus_;
    std::vector<std::unique_ptr<Item>> items_;  // the items switched to our drawing
    FontHandle font_;
};

// The menu font of the system, "MS Sans Serif" replaced by "Tahoma".
LOGFONTW SystemMenuFont();

}  // namespace ui
