#include "support/text_fit.h"

#include <commctrl.h>

#include <cstdio>

#include "support/vorlix_test.h"
#include "ui/gdi.h"

namespace look {

namespace {

bool Is(HWND w, const wchar_t* cls) { return _wcsicmp(vt::ClassOf(w).c_str(), cls) == 0; }

// A static that draws text (not a picture, frame or line).
bool IsTextStatic(LONG style) {
    const LONG type = style & SS_TYPEMASK;
    return type <= SS_RIGHT || type == SS_SIMPLE || type == SS_LEFTNOWORDWRAP;
}

bool IsTextButton(LONG style) {
    const LONG type = style & BS_TYPEMASK;
    return type != BS_OWNERDRAW && type != BS_GROUPBOX && !(style & (BS_BITMAP | BS_ICON));
}

bool IsGroupBox(HWND w, LONG style) { return Is(w, L"Button") && (style & BS_TYPEMASK) == BS_GROUPBOX; }

bool IsDropDownList(HWND w, LONG style) {
    return Is(w, L"ComboBox") && (style & 3) == CBS_DROPDOWNLIST &&
           !(style & (CBS_OWNERDRAWFIXED | CBS_OWNERDRAWVARIABLE));
}

std::vector<std::wstring> ComboItems(HWND combo) {
    std::vector<std::wstring> items;
    const LRESULT n = vt::Send(combo, CB_GETCOUNT);
    for (LRESULT i = 0; i < n; ++i) {
        const LRESULT len = vt::Send(combo, CB_GETLBTEXTLEN, i);
        if (len <= 0) continue;
        std::wstring text(size_t(len) + 1, L'\0');
        vt::Send(combo, CB_GETLBTEXT, i, LPARAM(text.data()));
        text.resize(wcslen(text.c_str()));
        items.push_back(text);
    }
    return items;
}

std::vector<HTREEITEM> TreeItems(HWND tree) {
    std::vector<HTREEITEM> items;
    std::vector<HTREEITEM> stack;
    if (auto root = HTREEITEM(vt::Send(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0))) stack.push_back(root);
    while (!stack.empty()) {
        HTREEITEM item = stack.back();
        stack.pop_back();
        items.push_back(item);
        if (auto next = HTREEITEM(vt::Send(tree, TVM_GETNEXTITEM, TVGN_NEXT, LPARAM(item)))) stack.push_back(next);
        if (auto child = HTREEITEM(vt::Send(tree, TVM_GETNEXTITEM, TVGN_CHILD, LPARAM(item)))) stack.push_back(child);
    }
    return items;
}

// Tree messages carry pointers the system does not carry across processes:
// they point into memory of the tree's process.
std::wstring TreeItemText(HWND tree, HTREEITEM item) {
    vt::RemoteBuffer buffer(tree, sizeof(TVITEMW) + 256 * sizeof(wchar_t));
    TVITEMW tv{};
    tv.mask = TVIF_TEXT;
    tv.hItem = item;
    tv.pszText = reinterpret_cast<wchar_t*>(buffer.Address(sizeof(TVITEMW)));
    tv.cchTextMax = 256;
    buffer.Write(&tv, sizeof tv);
    vt::Send(tree, TVM_GETITEMW, 0, buffer.Address());
    wchar_t text[256] = {};
    buffer.Read(text, sizeof text - sizeof(wchar_t), sizeof(TVITEMW));
    return text;
}

// The place of an item's text, false when it is not in view.
bool TreeItemRect(HWND tree, HTREEITEM item, RECT& r) {
    vt::RemoteBuffer buffer(tree, sizeof(RECT));
    r = RECT{};
    *reinterpret_cast<HTREEITEM*>(&r) = item;
    buffer.Write(&r, sizeof r);
    if (!vt::Send(tree, TVM_GETITEMRECT, TRUE, buffer.Address())) return false;
    return buffer.Read(&r, sizeof r);
}

// The screen's device context with the dialogs' template font selected.
class TemplateFontDc {
public:
    TemplateFontDc(const wchar_t* face, int points, int dpi = 0)
        : font_(Font(face, points, dpi)), selection_(screen_, font_) {}
    operator HDC() const { return screen_; }

private:
    ui::FontHandle Font(const wchar_t* face, int points, int dpi) const {
        LOGFONTW lf{};
        lf.lfHeight = -MulDiv(points, dpi > 0 ? dpi : GetDeviceCaps(screen_, LOGPIXELSY), 72);
        lf.lfCharSet = DEFAULT_CHARSET;
        wcsncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
        return ui::FontHandle(CreateFontIndirectW(&lf));
    }

    ui::WindowDc screen_{nullptr};
    ui::FontHandle font_;
    ui::Selection selection_;
};

std::string Size(const RECT& r) { return std::to_string(r.right - r.left) + "x" + std::to_string(r.bottom - r.top); }

}  // namespace

std::vector<std::string> ClippedTexts(HWND parent, const wchar_t* face, int points, int dpi) {
    std::vector<std::string> clipped;
    const TemplateFontDc dc(face, points, dpi);
    for (HWND control : vt::ChildWindows(parent)) {
        // A control in a font of its own (a bold title) is not measured.
        if (!IsWindowVisible(control) || vt::Send(control, WM_GETFONT) != vt::Send(GetParent(control), WM_GETFONT))
            continue;
        const LONG style = GetWindowLongW(control, GWL_STYLE);
        RECT client{};
        GetClientRect(control, &client);
        auto measure = [&](const std::wstring& text, UINT flags, LONG width) {
            RECT need{0, 0, width, 0};
            DrawTextW(dc, text.c_str(), -1, &need, DT_CALCRECT | flags);
            return need;
        };
        auto report = [&](const std::wstring& text, const RECT& need, const RECT& room) {
            clipped.push_back(std::to_string(GetDlgCtrlID(control)) + " \"" + vt::Utf8(text) + "\" needs " + Size(need) +
                              ", has " + Size(room));
        };
        const std::wstring text = vt::WindowText(control);
        if (Is(control, L"Static") && IsTextStatic(style) && !text.empty()) {
            const UINT prefix = (style & SS_NOPREFIX) ? DT_NOPREFIX : 0;
            const UINT wrap = (style & SS_TYPEMASK) == SS_LEFTNOWORDWRAP || (style & SS_TYPEMASK) == SS_SIMPLE
                                  ? DT_SINGLELINE
                                  : DT_WORDBREAK | DT_EDITCONTROL;
            const RECT need = measure(text, wrap | prefix, client.right);
            if (need.bottom > client.bottom || need.right > client.right) report(text, need, client);
        } else if (Is(control, L"Button") && IsTextButton(style) && !text.empty()) {
            const LONG type = style & BS_TYPEMASK;
            const bool box = type != BS_PUSHBUTTON && type != BS_DEFPUSHBUTTON && !(style & BS_PUSHLIKE);
            RECT room = client;
            room.right -= box ? GetSystemMetrics(SM_CXMENUCHECK) + 4 : 6;
            const RECT need = (style & BS_MULTILINE) ? measure(text, DT_WORDBREAK, room.right)
                                                     : measure(text, DT_SINGLELINE, 0);
            if (need.right > room.right || need.bottom > room.bottom) report(text, need, room);
        } else if (IsGroupBox(control, style) && !text.empty()) {
            // The caption stands on the top edge, 7 pixels in from each side.
            RECT room = client;
            room.right -= 14;
            const RECT need = measure(text, DT_SINGLELINE, 0);
            if (need.right > room.right) report(text, need, room);
        } else if (IsDropDownList(control, style)) {
            RECT room = client;
            room.right -= GetSystemMetrics(SM_CXVSCROLL) + 6;
            for (const std::wstring& item : ComboItems(control)) {
                const RECT need = measure(item, DT_SINGLELINE | DT_NOPREFIX, 0);
                if (need.right > room.right) report(item, need, room);
            }
        } else if (Is(control, WC_TREEVIEWW)) {
            for (HTREEITEM item : TreeItems(control)) {
                RECT r{};
                // Only items that are expanded into view have a place.
                if (TreeItemRect(control, item, r) && r.right > client.right)
                    report(TreeItemText(control, item), r, client);
            }
        }
    }
    return clipped;
}

std::vector<std::string> MissingGlyphs(HWND parent, const wchar_t* face) {
    std::vector<std::string> missing;
    const TemplateFontDc dc(face, 8);
    for (const std::wstring& text : ShownTexts(parent)) {
        std::vector<WORD> glyphs(text.size());
        if (text.empty() ||
            GetGlyphIndicesW(dc, text.c_str(), int(text.size()), glyphs.data(), GGI_MARK_NONEXISTING_GLYPHS) == GDI_ERROR)
            continue;
        for (size_t i = 0; i < text.size(); ++i)
            if (glyphs[i] == 0xFFFF && text[i] >= L' ' && text[i] != L'&')
                missing.push_back("U+" + [](unsigned c) {
                    char hex[8];
                    snprintf(hex, sizeof hex, "%04X", c);
                    return std::string(hex);
                }(text[i]) + " in \"" + vt::Utf8(text) + "\"");
    }
    return missing;
}

std::vector<std::string> EmptyTexts(HWND parent) {
    std::vector<std::string> empty;
    for (HWND control : vt::ChildWindows(parent)) {
        if (!IsWindowVisible(control) || !vt::WindowText(control).empty()) continue;
        const LONG style = GetWindowLongW(control, GWL_STYLE);
        if ((Is(control, L"Static") && IsTextStatic(style)) || (Is(control, L"Button") && IsTextButton(style)))
            empty.push_back(std::to_string(GetDlgCtrlID(control)) + " " + vt::Utf8(vt::ClassOf(control)));
    }
    return empty;
}

std::vector<std::wstring> ShownTexts(HWND parent) {
    std::vector<std::wstring> texts;
    for (HWND control : vt::ChildWindows(parent)) {
        if (!IsWindowVisible(control)) continue;
        const LONG style = GetWindowLongW(control, GWL_STYLE);
        const std::wstring text = vt::WindowText(control);
        if ((Is(control, L"Static") && IsTextStatic(style)) || Is(control, L"Button")) {
            if (!text.empty()) texts.push_back(text);
        } else if (IsDropDownList(control, style)) {
            for (const std::wstring& item : ComboItems(control)) texts.push_back(item);
        } else if (Is(control, WC_TREEVIEWW)) {
            for (HTREEITEM item : TreeItems(control)) texts.push_back(TreeItemText(control, item));
        }
    }
    return texts;
}

}  // namespace look
