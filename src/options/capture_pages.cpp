// The Capture page (cursor, highlight colour, what Repeat does) and the pages
// of the three capture types: Free Hand, Rectangle (drag or fixed size) and
// Window (auto-scroll).
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <array>
#include <string>

#include "base/globals.h"
#include "capture/shading.h"
#include "hook/hovrak.h"
#include "options/hotkey_edit.h"
#include "options/options_dialog.h"
#include "options/options_ids.h"
#include "options/options_texts.h"
#include "options/page_edits.h"
#include "ui/gdi.h"
#include "ui/text_format.h"

namespace {

void PushCursorData() { HookCursorData(Config.CursorData()); }
void PushRectangleSelection() { HookRectangleSelection(Config.RectSelection); }

// ---- Capture ------------------------------------------------------------------

constexpr std::array<TColor, 3> kHighlightColors = {0xFFE6E6, 0xB9FFB9, 0x008080};

class CapturePage : public HotkeyPage {
public:
    CapturePage() : HotkeyPage(IDC_ED_HK_REPEAT, RepeatHotkey) {}

protected:
    std::span<const Binding> Bindings() const override {
        static const Binding b[] = {
            CheckBinding(IDC_CK_INCLUDE, &TConfiguration::CaptureCursor, PushCursorData),
            RadioBinding(IDC_CK_REPEAT_SCREENSHOT, 2, &TConfiguration::RepeatMode, 0),
        };
        return b;
    }

    void Load() override {
        HotkeyPage::Load();
        // Exactly the three colours; another stored colour selects none.
        HWND box = Item(IDC_COLOR_BOX);
        SendMessageW(box, CB_RESETCONTENT, 0, 0);
        int selected = -1;
        for (size_t i = 0; i < kHighlightColors.size(); ++i) {
            const auto index = SendMessageW(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(txt::HighlightColorNames[i]));
            SendMessageW(box, CB_SETITEMDATA, index, kHighlightColors[i]);
            if (kHighlightColors[i] == Config.HighlightColor) selected = static_cast<int>(i);
        }
        SendMessageW(box, CB_SETCURSEL, selected, 0);
    }

    void Command(int id, int code) override {
        if (id != IDC_COLOR_BOX || code != CBN_SELCHANGE || OptionsLoading) return;
        const int index = ComboIndex(IDC_COLOR_BOX);
        if (index < 0) return;
        const auto color = static_cast<TColor>(SendDlgItemMessageW(hwnd_, IDC_COLOR_BOX, CB_GETITEMDATA, index, 0));
        // The same colour again does not rebuild the blend tables.
        if (color == Config.HighlightColor) return;
        Config.HighlightColor = color;
        SetBlendColor();
    }

    bool Message(UINT message, WPARAM, LPARAM lParam, INT_PTR&) override {
        if (message != WM_DRAWITEM) return false;
        auto* di = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
        if (di->CtlID != IDC_COLOR_BOX) return false;
        DrawColorItem(*di);
        return true;
    }

private:
    void DrawColorItem(const DRAWITEMSTRUCT& di) {
        const bool selected = (di.itemState & ODS_SELECTED) != 0;
        RECT r = di.rcItem;
        FillRect(di.hDC, &r, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
        if (di.itemID == static_cast<UINT>(-1)) return;
        const auto color = static_cast<COLORREF>(di.itemData);
        const int h = r.bottom - r.top;
        RECT swatch{r.left + 2, r.top + 2, r.left + 2 + h * 3 / 2, r.bottom - 2};
        ui::FillSolid(di.hDC, swatch, color);
        FrameRect(di.hDC, &swatch, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        wchar_t text[64] = L"";
        SendMessageW(di.hwndItem, CB_GETLBTEXT, di.itemID, reinterpret_cast<LPARAM>(text));
        SetBkMode(di.hDC, TRANSPARENT);
        SetTextColor(di.hDC, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
        RECT t{swatch.right + 4, r.top, r.right, r.bottom};
        DrawTextW(di.hDC, text, -1, &t, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
        if (di.itemState & ODS_FOCUS) DrawFocusRect(di.hDC, &r);
    }
};

// ---- Free Hand, Window --------------------------------------------------------

class FreeHandPage : public HotkeyPage {
public:
    FreeHandPage() : HotkeyPage(IDC_ED_HK_FREEHAND, FreeHandHotkey) {}
};

class WindowPage : public HotkeyPage {
public:
    WindowPage() : HotkeyPage(IDC_ED_HK_WINDOW, WindowHotkey) {}

protected:
    std::span<const Binding> Bindings() const override {
        static const Binding b[] = {CheckBinding(IDC_CK_AUTO_SCROLL, &TConfiguration::AutoScroll)};
        return b;
    }
};

// ---- Rectangle --------------------------------------------------------------------

// The text as a number; false when it is none.
bool ReadNumber(const std::wstring& text, int& value) {
    if (text.empty() || text.size() > 9) return false;
    value = 0;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9') return false;
        value = value * 10 + (c - L'0');
    }
    return true;
}

constexpr int kMinFixedSize = 5;

class RectanglePage : public HotkeyPage {
public:
    RectanglePage() : HotkeyPage(IDC_ED_HK_RECTANGLE, RectangleHotkey) {}

    void ShowFixedSize() {
        const bool loading = OptionsLoading;
        OptionsLoading = true;
        SetText(IDC_ED_WIDTH, std::to_wstring(Config.FixedWidth));
        SetText(IDC_ED_HEIGHT, std::to_wstring(Config.FixedHeight));
        OptionsLoading = loading;
    }

protected:
    std::span<const Binding> Bindings() const override {
        static const Binding b[] = {
            RadioBinding(IDC_CK_MANUALLY, 2, &TConfiguration::RectSelection, 0, PushRectangleSelection),
        };
        return b;
    }

    void Init() override {
        HotkeyPage::Init();
        for (int id : {IDC_ED_WIDTH, IDC_ED_HEIGHT}) AcceptDigitsOnly(Item(id));
    }

    void Load() override {
        HotkeyPage::Load();
        SetChecked(IDC_CK_LOCK, Config.LockFixedSize != 0);
        ShowFixedSize();
        ShowLock();
        SetChecked(IDC_CK_EXTRA_LARGE, Config.CrosshairSize == 2);
    }

    void Command(int id, int code) override {
        const bool width = id == IDC_ED_WIDTH;
        if ((width || id == IDC_ED_HEIGHT) && code == EN_KILLFOCUS) {
            SizeEditExit(id, width);  // also while loading
            return;
        }
        if (OptionsLoading) return;
        if ((width || id == IDC_ED_HEIGHT) && code == EN_CHANGE) SizeEditChange(id, width);
        else if (id == IDC_CK_LOCK && code == BN_CLICKED) {
            Config.LockFixedSize = Checked(IDC_CK_LOCK) ? 1 : 0;
            ShowLock();
        } else if (id == IDC_CK_EXTRA_LARGE && code == BN_CLICKED) {
            Config.CrosshairSize = Checked(IDC_CK_EXTRA_LARGE) ? 2 : 1;
            PushCursorData();
        }
    }

    bool TextColor(int id, COLORREF& color) const override {
        if (id == IDC_ED_WIDTH || id == IDC_ED_HEIGHT) {
            color = Config.LockFixedSize ? RGB(0x80, 0x80, 0x80) : RGB(0, 0, 0);
            return true;
        }
        return HotkeyPage::TextColor(id, color);
    }

private:
    static int Limit(bool width) { return GetSystemMetrics(width ? SM_CXSCREEN : SM_CYSCREEN); }
    static uint16_t& Field(bool width) { return width ? Config.FixedWidth : Config.FixedHeight; }

    void ShowLock() {
        for (int id : {IDC_ED_WIDTH, IDC_ED_HEIGHT}) {
            SendDlgItemMessageW(hwnd_, id, EM_SETREADONLY, Config.LockFixedSize ? TRUE : FALSE, 0);
            InvalidateRect(Item(id), nullptr, TRUE);
        }
    }

    void SizeEditChange(int id, bool width) {
        const std::wstring text = Text(id);
        const int limit = Limit(width);
        uint16_t& field = Field(width);
        if (text.size() > 4) {
            field = static_cast<uint16_t>(limit);
            return;
        }
        int value = 0;
        if (!ReadNumber(text, value)) field = kMinFixedSize;
        else field = static_cast<uint16_t>(std::min(value, limit));
        if (field < kMinFixedSize) field = kMinFixedSize;
    }

    void SizeEditExit(int id, bool width) {
        int value = 0;
        if (ReadNumber(Text(id), value) && value == Field(width)) return;
        OptionsError(ui::FormatText(width ? txt::SelectionWidthRange : txt::SelectionHeightRange,
                                    {{L"<MIN>", std::to_wstring(kMinFixedSize)}, {L"<MAX>", std::to_wstring(Limit(width))}}));
        ShowRefused(Item(id), std::to_wstring(Field(width)));
    }
};

}  // namespace

void ShowFixedSize() {
    if (auto* page = dynamic_cast<RectanglePage*>(OptionsDialogPage(PageId::Rectangle))) page->ShowFixedSize();
}

std::unique_ptr<OptionsPage> MakeCapturePage() { return std::make_unique<CapturePage>(); }
std::unique_ptr<OptionsPage> MakeFreeHandPage() { return std::make_unique<FreeHandPage>(); }
std::unique_ptr<OptionsPage> MakeRectanglePage() { return std::make_unique<RectanglePage>(); }
std::unique_ptr<OptionsPage> MakeWindowPage() { return std::make_unique<WindowPage>(); }
