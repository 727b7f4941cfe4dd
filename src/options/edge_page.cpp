// The Edge Effect page: torn edge (depth and sides), outline and shadow with
// their colours, the background colour, and a live preview that puts a
// sample picture through the real edge effect after every change.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>

#include "base/globals.h"
#include "options/edge_preview.h"
#include "options/options_dialog.h"
#include "options/options_pages_texts.h"
#include "options/page_controls_ids.h"
#include "ui/colour_picker.h"
#include "ui/gdi.h"

namespace {

using ui::TColourPickButton;

constexpr int kSideIds[4] = {IDC_BT_TORN_TOP, IDC_BT_TORN_RIGHT, IDC_BT_TORN_BOTTOM, IDC_BT_TORN_LEFT};

class EdgeEffectPage : public OptionsPage {
public:
    EdgeEffectPage() { TColourPickButton::RegisterClass(); }

protected:
    std::span<const Binding> Bindings() const override {
        static const Binding b[] = {
            CheckBinding(IDC_CK_TORN, &TConfiguration::EdgeTorn, &Redraw),
            CheckBinding(IDC_CK_OUTLINE, &TConfiguration::EdgeOutline, &Redraw),
            CheckBinding(IDC_CK_SHADOW, &TConfiguration::EdgeShadow, &Redraw),
        };
        return b;
    }

    void Init() override {
        HWND slider = Item(IDC_TK_TORN_SIZE);
        SendMessageW(slider, TBM_SETRANGE, FALSE, MAKELPARAM(0, 100));
        SendMessageW(slider, TBM_SETLINESIZE, 0, 1);
        SendMessageW(slider, TBM_SETPAGESIZE, 0, 10);
        struct Picker {
            int id;
            const wchar_t* caption;
            ui::TGlyphType glyph;
            TColor TConfiguration::*field;
        };
        const Picker pickers[] = {
            {IDC_BT_OUTLINE_COLOR, txt::OutlineColorCaption, ui::TGlyphType::gtLines, &TConfiguration::EdgeOutlineColor},
            {IDC_BT_SHADOW_COLOR, txt::ShadowColorCaption, ui::TGlyphType::gtBackGround, &TConfiguration::EdgeShadowColor},
            {IDC_BT_BACKGROUND_COLOR, txt::BackgroundColorCaption, ui::TGlyphType::gtBackGround,
             &TConfiguration::EdgeBackgroundColor},
        };
        for (const Picker& p : pickers) {
            TColourPickButton* button = TColourPickButton::FromHandle(Item(p.id));
            if (!button) continue;
            button->SetDropDownCaption(p.caption);
            button->SetGlyphType(p.glyph);
            const auto field = p.field;
            // The colour is stored as the button reports it ("Automatic"
            // included); whatever draws it maps it to the colour shown.
            button->OnColorSelected = [field](uint32_t colour) {
                if (OptionsLoading) return;
                Config.*field = colour;
                Redraw();
            };
        }
    }

    void Load() override {
        OptionsPage::Load();
        for (int i = 0; i < 4; ++i) SetChecked(kSideIds[i], (Config.EdgeSides >> i) & 1);
        SendDlgItemMessageW(hwnd_, IDC_TK_TORN_SIZE, TBM_SETPOS, TRUE, std::min<int>(Config.EdgeDepth, 100));
        SetPicker(IDC_BT_OUTLINE_COLOR, Config.EdgeOutlineColor);
        SetPicker(IDC_BT_SHADOW_COLOR, Config.EdgeShadowColor);
        SetPicker(IDC_BT_BACKGROUND_COLOR, Config.EdgeBackgroundColor);
        DrawEdgePreview();
    }

    void Command(int id, int code) override {
        if (OptionsLoading || code != BN_CLICKED) return;
        for (int i = 0; i < 4; ++i)
            if (id == kSideIds[i]) {
                // Each side on its own; the other bits stay.
                const uint8_t bit = static_cast<uint8_t>(1 << i);
                Config.EdgeSides = Checked(id) ? (Config.EdgeSides | bit) : (Config.EdgeSides & ~bit);
                DrawEdgePreview();
            }
    }

    bool Message(UINT message, WPARAM, LPARAM lParam, INT_PTR&) override {
        if (message == WM_HSCROLL && reinterpret_cast<HWND>(lParam) == Item(IDC_TK_TORN_SIZE)) {
            if (OptionsLoading) return true;
            Config.EdgeDepth = static_cast<uint8_t>(SendDlgItemMessageW(hwnd_, IDC_TK_TORN_SIZE, TBM_GETPOS, 0, 0));
            DrawEdgePreview();
            return true;
        }
        if (message == WM_DRAWITEM) {
            auto* di = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
            if (di->CtlID != IDC_EDGE_PREVIEW) return false;
            PaintPreview(*di);
            return true;
        }
        return false;
    }

private:
    static void Redraw() {
        if (auto* page = static_cast<EdgeEffectPage*>(OptionsDialogPage(PageId::EdgeEffect))) page->DrawEdgePreview();
    }

    void SetPicker(int id, TColor colour) {
        if (TColourPickButton* button = TColourPickButton::FromHandle(Item(id))) button->SetSelectedColor(colour);
    }

    // The sample with the page's settings, shown at once.
    void DrawEdgePreview() {
        preview_ = RenderEdgePreview(Config);
        HWND panel = Item(IDC_EDGE_PREVIEW);
        InvalidateRect(panel, nullptr, FALSE);
        UpdateWindow(panel);
    }

    // Drawn whole from one memory picture, centred on the page's colour, so
    // that a redraw never flickers.
    void PaintPreview(const DRAWITEMSTRUCT& di) {
        const RECT& r = di.rcItem;
        const int w = r.right - r.left, h = r.bottom - r.top;
        ui::Bitmap frame(w, h);
        HDC dc = frame.Canvas();
        if (!dc) return;
        RECT all{0, 0, w, h};
        FillRect(dc, &all, GetSysColorBrush(COLOR_BTNFACE));
        if (!preview_.Empty())
            BitBlt(dc, (w - preview_.Width()) / 2, (h - preview_.Height()) / 2, preview_.Width(), preview_.Height(),
                   preview_.Canvas(), 0, 0, SRCCOPY);
        BitBlt(di.hDC, r.left, r.top, w, h, dc, 0, 0, SRCCOPY);
    }

    ui::Bitmap preview_;
};

}  // namespace

std::unique_ptr<OptionsPage> MakeEdgeEffectPage() { return std::make_unique<EdgeEffectPage>(); }
