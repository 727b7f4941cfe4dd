// The Annotation and Watermark pages: what the finishing step stamps on every
// capture (a caption with placeholders, a bitmap file), its look, opacity and
// position (a corner or the centre, and offsets from it).
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>

#include <algorithm>
#include <array>

#include "base/globals.h"
#include "base/texts.h"
#include "options/entry_rules.h"
#include "options/options_dialog.h"
#include "options/options_pages_texts.h"
#include "options/page_controls_ids.h"
#include "options/page_edits.h"
#include "ui/colour_picker.h"
#include "ui/gdi.h"
#include "ui/menu_styler.h"
#include "ui/text_convert.h"
#include "ui/text_format.h"

namespace {

// Control ids of a stamp's position, opacity and offsets, from the first id
// of its group (the watermark's are the annotation's + StampIdStep).
struct StampIds {
    int group;
    int Corner(int corner) const { return group + corner; }  // corner 1..5
    int EditX() const { return group + 8; }
    int EditY() const { return group + 10; }
    int Opacity() const { return group + 14; }
};

// The picture of a corner button: a page with a block where the stamp goes.
ui::BitmapHandle CornerPicture(int corner) {
    const int w = 14, h = 11, bw = 5, bh = 4;
    ui::WindowDc screen(nullptr);
    ui::BitmapHandle picture(CreateCompatibleBitmap(screen, w, h));
    ui::DcHandle dc(CreateCompatibleDC(screen));
    ui::Selection drawn(dc, picture);
    RECT all{0, 0, w, h};
    FillRect(dc, &all, GetSysColorBrush(COLOR_WINDOW));
    FrameRect(dc, &all, GetSysColorBrush(COLOR_BTNSHADOW));
    int x = 2, y = 2;
    if (corner == scTopRight || corner == scBottomRight) x = w - 2 - bw;
    if (corner == scBottomLeft || corner == scBottomRight) y = h - 2 - bh;
    if (corner == scCentre) x = (w - bw) / 2, y = (h - bh) / 2;
    RECT block{x, y, x + bw, y + bh};
    FillRect(dc, &block, GetSysColorBrush(COLOR_HIGHLIGHT));
    return picture;
}

// What the two stamp pages share: the five corner buttons, the offsets and
// the opacity slider.
class StampPage : public OptionsPage {
protected:
    StampPage(StampIds ids, TStampPosition TConfiguration::*position, uint8_t TConfiguration::*opacity)
        : ids_(ids), position_(position), opacity_(opacity) {}

    void Init() override {
        for (int corner = scTopLeft; corner <= scCentre; ++corner) {
            pictures_[corner - 1] = CornerPicture(corner);
            SendDlgItemMessageW(hwnd_, ids_.Corner(corner), BM_SETIMAGE, IMAGE_BITMAP,
                                reinterpret_cast<LPARAM>(pictures_[corner - 1].get()));
        }
        for (int id : {ids_.EditX(), ids_.EditY()}) {
            SendDlgItemMessageW(hwnd_, id, EM_LIMITTEXT, 10, 0);
            AcceptDigitsOnly(Item(id));
        }
        HWND slider = Item(ids_.Opacity());
        SendMessageW(slider, TBM_SETRANGE, FALSE, MAKELPARAM(0, 100));
        SendMessageW(slider, TBM_SETLINESIZE, 0, 1);
        SendMessageW(slider, TBM_SETPAGESIZE, 0, 10);
    }

    // A stored offset beyond this screen (a favourite made on a larger one)
    // is reported whenever the dialog is filled, and stays stored.
    void CheckSettings() override {
        for (bool horizontal : {true, false}) {
            const int32_t offset = horizontal ? (Config.*position_).x : (Config.*position_).y;
            const int limit = Limit(horizontal);
            if (offset < 0 || offset > limit)
                OptionsError(ui::FormatText(txt::OffsetRange, {{L"<MAX>", std::to_wstring(limit)}}));
        }
    }

    void Load() override {
        OptionsPage::Load();
        const TStampPosition& p = Config.*position_;
        for (int corner = scTopLeft; corner <= scCentre; ++corner) SetChecked(ids_.Corner(corner), p.corner == corner);
        SetText(ids_.EditX(), std::to_wstring(p.x));
        SetText(ids_.EditY(), std::to_wstring(p.y));
        SendDlgItemMessageW(hwnd_, ids_.Opacity(), TBM_SETPOS, TRUE, std::min<int>(Config.*opacity_, 100));
        UpdateOffsetEdits();
    }

    void Command(int id, int code) override {
        if (OptionsLoading) return;
        if (code == EN_CHANGE && (id == ids_.EditX() || id == ids_.EditY())) {
            OffsetChange(id == ids_.EditX());
            return;
        }
        if (code != BN_CLICKED) return;
        for (int corner = scTopLeft; corner <= scCentre; ++corner)
            if (id == ids_.Corner(corner) && Checked(id)) {
                (Config.*position_).corner = static_cast<uint8_t>(corner);
                UpdateOffsetEdits();
            }
    }

    bool Message(UINT message, WPARAM, LPARAM lParam, INT_PTR&) override {
        if (message != WM_HSCROLL || reinterpret_cast<HWND>(lParam) != Item(ids_.Opacity())) return false;
        if (!OptionsLoading)
            Config.*opacity_ = static_cast<uint8_t>(SendDlgItemMessageW(hwnd_, ids_.Opacity(), TBM_GETPOS, 0, 0));
        return true;
    }

    bool TextColor(int id, COLORREF& colour) const override {
        if (id != ids_.EditX() && id != ids_.EditY()) return false;
        colour = Centred() ? RGB(0xC0, 0xC0, 0xC0) : RGB(0, 0, 0x80);
        return true;
    }

private:
    bool Centred() const { return (Config.*position_).corner == scCentre; }

    // Centred, the offsets mean nothing: greyed and read-only (their values
    // stay stored).
    void UpdateOffsetEdits() {
        for (int id : {ids_.EditX(), ids_.EditY()}) {
            SendDlgItemMessageW(hwnd_, id, EM_SETREADONLY, Centred(), 0);
            InvalidateRect(Item(id), nullptr, TRUE);
        }
    }

    static int Limit(bool horizontal) { return GetSystemMetrics(horizontal ? SM_CXSCREEN : SM_CYSCREEN); }

    void OffsetChange(bool horizontal) {
        const int limit = Limit(horizontal);
        const int id = horizontal ? ids_.EditX() : ids_.EditY();
        const entry::NumberEntry e = entry::ReadOffset(Text(id), limit);
        int32_t& offset = horizontal ? (Config.*position_).x : (Config.*position_).y;
        switch (e.check) {
            case entry::NumberCheck::Empty: offset = 0; break;
            case entry::NumberCheck::Accepted: offset = static_cast<int32_t>(e.value); break;
            case entry::NumberCheck::OutOfRange:
                OptionsError(ui::FormatText(txt::OffsetRange, {{L"<MAX>", std::to_wstring(limit)}}));
                ShowRefused(Item(id), std::to_wstring(offset));
                break;
        }
    }

    StampIds ids_;
    TStampPosition TConfiguration::*position_;
    uint8_t TConfiguration::*opacity_;
    std::array<ui::BitmapHandle, 5> pictures_;
};

// The colour dialog's custom colours, kept while the program runs.
COLORREF CustomColours[16] = {};

// The colour dialog starts with the field's colour; confirmed, the field
// takes the choice, cancelled, it stays.
bool PickStampColor(TColor& field) {
    CHOOSECOLORW cc{};
    cc.lStructSize = sizeof cc;
    cc.hwndOwner = OptionsDialogWindow();
    cc.rgbResult = ui::ShownColour(field);
    cc.lpCustColors = CustomColours;
    cc.Flags = CC_FULLOPEN | CC_SOLIDCOLOR | CC_ANYCOLOR | CC_RGBINIT;
    if (!ChooseColorW(&cc)) return false;
    field = cc.rgbResult;
    return true;
}

class AnnotationPage : public StampPage {
public:
    AnnotationPage()
        : StampPage({IDC_GB_ANNOTATION_POSITION}, &TConfiguration::AnnotationPosition,
                    &TConfiguration::AnnotationOpacity) {}

protected:
    std::span<const Binding> Bindings() const override {
        static const Binding b[] = {
            TextBinding(IDC_ED_ANNOTATION_CAPTION, &TConfiguration::AnnotationText, LineBreaks),
            CheckBinding(IDC_CK_ANNOTATION_BORDER, &TConfiguration::AnnotationBorder),
        };
        return b;
    }

    void Init() override {
        StampPage::Init();
        addMenu_.reset(CreatePopupMenu());
        const int ids[5] = {IDM_TIME, IDM_DATE, IDM_COMPUTER_NAME, IDM_USER_NAME, IDM_NEW_LINE};
        for (int i = 0; i < 5; ++i) {
            // Separators after the time, the date and the user name.
            if (i == 1 || i == 2 || i == 4) AppendMenuW(addMenu_.get(), MF_SEPARATOR, 0, nullptr);
            AppendMenuW(addMenu_.get(), MF_STRING, ids[i], txt::PlaceholderItems[i]);
        }
        colorMenu_.reset(CreatePopupMenu());
        AppendMenuW(colorMenu_.get(), MF_STRING, IDM_BORDER, txt::AnnotationColorBorder);
        AppendMenuW(colorMenu_.get(), MF_STRING, IDM_BACKGROUND, txt::AnnotationColorBackground);
        if (ui::TMenuStyler* styler = OptionsMenuStyler()) {
            styler->AddMenu(addMenu_.get());
            styler->AddMenu(colorMenu_.get());
        }
    }

    void Load() override {
        StampPage::Load();
        ShowCaptionLook();
    }

    void Command(int id, int code) override {
        StampPage::Command(id, code);
        // Menu buttons and menu items run only on a user's action.
        if (code == BN_CLICKED && id == IDC_BT_ANNOTATION_ADD) {
            if (const int item = PopUp(IDC_BT_ANNOTATION_ADD, addMenu_.get())) MenuItem(item);
        } else if (code == BN_CLICKED && id == IDC_BT_ANNOTATION_COLOR) {
            if (const int item = PopUp(IDC_BT_ANNOTATION_COLOR, colorMenu_.get())) MenuItem(item);
        } else if (code == BN_CLICKED && id == IDC_BT_ANNOTATION_FONT) {
            ChooseCaptionFont();
        } else if (code == 0 && id >= IDM_TIME && id <= IDM_BACKGROUND) {
            MenuItem(id);
        }
    }

    HBRUSH ControlBrush(int id, HDC dc) override {
        if (id != IDC_ED_ANNOTATION_CAPTION) return nullptr;
        SetTextColor(dc, ui::ShownColour(Config.AnnotationFontColor));
        SetBkColor(dc, ui::ShownColour(Config.AnnotationBackColor));
        return back_.get();
    }

private:
    // The menu pops up at the button's bottom-right corner, 5 pixels up and
    // left; the chosen item's id, or 0.
    int PopUp(int buttonId, HMENU menu) {
        RECT r;
        GetWindowRect(Item(buttonId), &r);
        HWND frame = OptionsDialogWindow();
        return static_cast<int>(TrackPopupMenu(menu, TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN | TPM_LEFTBUTTON,
                                               r.right - 5, r.bottom - 5, 0, frame ? frame : hwnd_, nullptr));
    }

    void MenuItem(int id) {
        switch (id) {
            case IDM_TIME: InsertAnnotationPlaceholder(L"<TIME>"); break;
            case IDM_DATE: InsertAnnotationPlaceholder(L"<DATE>"); break;
            case IDM_COMPUTER_NAME: InsertAnnotationPlaceholder(L"<COMPUTER NAME>"); break;
            case IDM_USER_NAME: InsertAnnotationPlaceholder(L"<USER NAME>"); break;
            case IDM_NEW_LINE: InsertAnnotationPlaceholder(L"<NEW LINE>"); break;
            case IDM_BORDER: PickStampColor(Config.AnnotationBorderColor); break;
            case IDM_BACKGROUND:
                PickStampColor(Config.AnnotationBackColor);
                ShowCaptionLook();
                break;
            default: break;
        }
    }

    // Straight into the edit at the caret (or over the selection): the
    // clipboard, which usually holds the user's last capture, is not used.
    // A placeholder goes in whole or not at all.
    void InsertAnnotationPlaceholder(const wchar_t* placeholder) {
        HWND edit = Item(IDC_ED_ANNOTATION_CAPTION);
        DWORD from = 0, to = 0;
        SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
        const entry::Insertion in = entry::InsertPlaceholder(Text(IDC_ED_ANNOTATION_CAPTION), from, to, placeholder);
        const auto stored = ui::ToAnsiFitting(in.text, 250);
        if (in.text.size() > 250 || !stored || ui::ToAnsi(in.text).size() > stored->size()) {
            OptionsError(txt::PlaceholderTooLong);
            SetFocus(edit);
            return;
        }
        SetText(IDC_ED_ANNOTATION_CAPTION, in.text);  // the change stores it
        SetFocus(edit);
        SendMessageW(edit, EM_SETSEL, in.caret, in.caret);
    }

    void ChooseCaptionFont() {
        LOGFONTW lf = CaptionFont(Config.AnnotationFontSize);
        CHOOSEFONTW cf{};
        cf.lStructSize = sizeof cf;
        cf.hwndOwner = OptionsDialogWindow();
        cf.lpLogFont = &lf;
        cf.rgbColors = ui::ShownColour(Config.AnnotationFontColor);
        // The size is stored in one byte.
        cf.nSizeMin = 1;
        cf.nSizeMax = 255;
        cf.Flags = CF_SCREENFONTS | CF_EFFECTS | CF_INITTOLOGFONTSTRUCT | CF_LIMITSIZE;
        if (!ChooseFontW(&cf)) return;  // cancelled: nothing changes
        if (!StoreText(Config.AnnotationFontName, lf.lfFaceName)) return;
        Config.AnnotationFontSize = static_cast<uint8_t>(std::clamp(cf.iPointSize / 10, 1, 255));
        Config.AnnotationFontStyle = static_cast<uint8_t>((lf.lfWeight >= FW_BOLD ? 1 : 0) | (lf.lfItalic ? 2 : 0) |
                                                          (lf.lfUnderline ? 4 : 0) | (lf.lfStrikeOut ? 8 : 0));
        Config.AnnotationFontColor = cf.rgbColors;
        ShowCaptionLook();
    }

    // The annotation's face and style at the given size in points.
    static LOGFONTW CaptionFont(int points) {
        LOGFONTW lf{};
        lf.lfHeight = -MulDiv(points, GetDeviceCaps(ui::WindowDc(nullptr), LOGPIXELSY), 72);
        lf.lfWeight = (Config.AnnotationFontStyle & 1) ? FW_BOLD : FW_NORMAL;
        lf.lfItalic = (Config.AnnotationFontStyle & 2) ? TRUE : FALSE;
        lf.lfUnderline = (Config.AnnotationFontStyle & 4) ? TRUE : FALSE;
        lf.lfStrikeOut = (Config.AnnotationFontStyle & 8) ? TRUE : FALSE;
        lf.lfCharSet = DEFAULT_CHARSET;
        const std::wstring face = ui::ToWide(Config.AnnotationFontName.view());
        lstrcpynW(lf.lfFaceName, face.c_str(), LF_FACESIZE);
        return lf;
    }

    // The caption edit in the annotation's face, style and colours, at 8
    // points.
    void ShowCaptionLook() {
        LOGFONTW lf = CaptionFont(8);
        font_.reset(CreateFontIndirectW(&lf));
        back_.reset(CreateSolidBrush(ui::ShownColour(Config.AnnotationBackColor)));
        SendDlgItemMessageW(hwnd_, IDC_ED_ANNOTATION_CAPTION, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), TRUE);
        InvalidateRect(Item(IDC_ED_ANNOTATION_CAPTION), nullptr, TRUE);
    }

    ui::MenuHandle addMenu_, colorMenu_;
    ui::FontHandle font_;
    ui::BrushHandle back_;
};

class WatermarkPage : public StampPage {
public:
    WatermarkPage()
        : StampPage({IDC_GB_WATERMARK_POSITION}, &TConfiguration::WatermarkPosition,
                    &TConfiguration::WatermarkOpacity) {}

protected:
    std::span<const Binding> Bindings() const override {
        static const Binding b[] = {
            CheckBinding(IDC_CK_WATERMARK_TRANSPARENT, &TConfiguration::WatermarkTransparent),
        };
        return b;
    }

    void Init() override {
        StampPage::Init();
        SendDlgItemMessageW(hwnd_, IDC_ED_WATERMARK_LOCATION, EM_LIMITTEXT, 250, 0);
    }

    void Load() override {
        StampPage::Load();
        SetText(IDC_ED_WATERMARK_LOCATION, ui::ToWide(Config.WatermarkFile.view()));
    }

    void Command(int id, int code) override {
        StampPage::Command(id, code);
        if (code != BN_CLICKED) return;
        if (id == IDC_BT_WATERMARK_BROWSE) Browse();
        else if (id == IDC_BT_WATERMARK_PREVIEW) Preview();
    }

private:
    void Browse() {
        std::wstring picked;
        std::string bytes;
        if (!ChooseFileToStore(txt::ChooseWatermark, txt::WatermarkFilter, L"*.bmp",
                               ui::ToWide(Config.WatermarkFile.view()), picked, bytes))
            return;
        Config.WatermarkFile = bytes;
        SetText(IDC_ED_WATERMARK_LOCATION, picked);
    }

    void Preview() {
        const std::wstring file = ui::ToWide(Config.WatermarkFile.view());
        const DWORD attributes = file.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(file.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            OptionsError(ui::FormatText(txt::WatermarkMissing, {{L"<FILE>", file}}));
            return;
        }
        ShellExecuteW(OptionsDialogWindow(), L"open", file.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    }
};

}  // namespace

std::unique_ptr<OptionsPage> MakeAnnotationPage() { return std::make_unique<AnnotationPage>(); }
std::unique_ptr<OptionsPage> MakeWatermarkPage() { return std::make_unique<WatermarkPage>(); }
