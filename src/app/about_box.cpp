#include "app/about_box.h"

#include <windows.h>
#include <shellapi.h>

#include "base/globals.h"
#include "app/tutorial_ids.h"
#include "app/tutorial_texts.h"
#include "ui/gdi.h"
#include "ui/text_format.h"

namespace {

// TuAboutBoxForm: what the box needs while it is open.
struct AboutForm {
    std::wstring product, version, linkText, linkTarget;
    ui::BitmapHandle companyImage;
    ui::FontHandle productFont, linkFont, underlinedFont;
    bool underlined = false;
    bool pressedOnLink = false;
};

ui::FontHandle VariantOf(HFONT base, LONG weight, bool underline, int scalePercent = 100) {
    LOGFONTW f{};
    if (!GetObjectW(base, sizeof f, &f)) return ui::FontHandle();
    f.lfWeight = weight;
    f.lfUnderline = underline;
    f.lfHeight = f.lfHeight * scalePercent / 100;
    return ui::FontHandle(CreateFontIndirectW(&f));
}

AboutForm& Form(HWND dialog) { return *reinterpret_cast<AboutForm*>(GetWindowLongPtrW(dialog, DWLP_USER)); }

// The link label's rectangle in the box's client coordinates. The label lets
// the mouse through to the box, which does the link's hit test.
bool OverLink(HWND dialog, LPARAM lParam) {
    HWND link = GetDlgItem(dialog, IDC_ABOUT_COMPANY);
    RECT r;
    GetWindowRect(link, &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    const POINT p{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    return PtInRect(&r, p) != FALSE;
}

void SetUnderline(HWND dialog, AboutForm& form, bool on) {
    if (form.underlined == on) return;
    form.underlined = on;
    SendDlgItemMessageW(dialog, IDC_ABOUT_COMPANY, WM_SETFONT,
                        reinterpret_cast<WPARAM>(on ? form.underlinedFont.get() : form.linkFont.get()), TRUE);
}

void FormCreate(HWND dialog, AboutForm& form) {
    SetWindowTextW(dialog, ui::FormatText(txt::AboutCaption, {{L"<PRODUCT>", form.product}}).c_str());
    SetDlgItemTextW(dialog, IDC_ABOUT_PRODUCT, form.product.c_str());
    SetDlgItemTextW(dialog, IDC_ABOUT_VERSION_INFO, txt::AboutVersionLabel);
    SetDlgItemTextW(dialog, IDC_ABOUT_VERSION, form.version.c_str());
    SetDlgItemTextW(dialog, IDC_ABOUT_COMPANY, form.linkText.c_str());
    SetDlgItemTextW(dialog, IDC_ABOUT_LEGAL, txt::AboutLegalNotice);
    SetDlgItemTextW(dialog, IDC_ABOUT_CLOSE, txt::AboutClose);

    form.companyImage.reset(static_cast<HBITMAP>(LoadImageW(
        GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDB_ABOUT_COMPANY), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR)));
    SendDlgItemMessageW(dialog, IDC_ABOUT_COMPANY_IMAGE, STM_SETIMAGE, IMAGE_BITMAP,
                        reinterpret_cast<LPARAM>(form.companyImage.get()));

    const HFONT base = reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0));
    form.productFont = VariantOf(base, FW_BOLD, false, 150);
    form.linkFont = VariantOf(base, FW_NORMAL, false);
    form.underlinedFont = VariantOf(base, FW_NORMAL, true);
    SendDlgItemMessageW(dialog, IDC_ABOUT_PRODUCT, WM_SETFONT, reinterpret_cast<WPARAM>(form.productFont.get()),
                        FALSE);
    SendDlgItemMessageW(dialog, IDC_ABOUT_COMPANY, WM_SETFONT, reinterpret_cast<WPARAM>(form.linkFont.get()), FALSE);
}

INT_PTR CALLBACK AboutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            SetWindowLongPtrW(dialog, DWLP_USER, lParam);
            FormCreate(dialog, *reinterpret_cast<AboutForm*>(lParam));
            return TRUE;
        case WM_CTLCOLORSTATIC:
            // The link in the colour of links.
            if (reinterpret_cast<HWND>(lParam) == GetDlgItem(dialog, IDC_ABOUT_COMPANY)) {
                const HDC dc = reinterpret_cast<HDC>(wParam);
                SetTextColor(dc, RGB(0, 0, 255));
                SetBkMode(dc, TRANSPARENT);
                return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
            }
            return FALSE;
        case WM_SETCURSOR:
            if (LOWORD(lParam) == HTCLIENT) {
                POINT p;
                GetCursorPos(&p);
                ScreenToClient(dialog, &p);
                if (OverLink(dialog, MAKELPARAM(p.x, p.y))) {
                    SetCursor(LoadCursorW(nullptr, IDC_HAND));
                    SetWindowLongPtrW(dialog, DWLP_MSGRESULT, TRUE);
                    return TRUE;
                }
            }
            return FALSE;
        case WM_MOUSEMOVE:
            // Over the link: underlined; anywhere else on the box: not.
            SetUnderline(dialog, Form(dialog), OverLink(dialog, lParam));
            return TRUE;
        case WM_LBUTTONDOWN:
            Form(dialog).pressedOnLink = OverLink(dialog, lParam);
            return TRUE;
        case WM_LBUTTONUP: {
            AboutForm& form = Form(dialog);
            if (form.pressedOnLink && OverLink(dialog, lParam)) {
                // lbCompanyClick: the product's page, then the box closes.
                ShellExecuteW(nullptr, L"open", form.linkTarget.c_str(), nullptr, nullptr, SW_SHOWMAXIMIZED);
                EndDialog(dialog, IDOK);
            }
            form.pressedOnLink = false;
            return TRUE;
        }
        case WM_COMMAND:
            if (LOWORD(wParam) == IDC_ABOUT_CLOSE || LOWORD(wParam) == IDCANCEL) EndDialog(dialog, IDCANCEL);
            return TRUE;
        default: return FALSE;
    }
}

}  // namespace

void ShowAboutBox(const std::wstring& productName, const std::wstring& version, const std::wstring& linkText,
                  const std::wstring& linkTarget) {
    AboutForm form;
    form.product = productName;
    form.version = version;
    form.linkText = linkText;
    form.linkTarget = linkTarget;
    DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_ABOUT), ApplicationWindow, AboutProc,
                    reinterpret_cast<LPARAM>(&form));
}
