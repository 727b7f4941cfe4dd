// The Mail page (recipients, subject, the mail program, embedded or attached,
// the SMTP sender's settings and the attached file) and the Web page (FTP
// server, account, proxy, and the uploaded file's name and format).
#include <windows.h>
#include <commctrl.h>

#include <algorithm>

#include "base/foreground.h"
#include "base/globals.h"
#include "base/texts.h"
#include "delivery/mail_client.h"
#include "delivery/mail_texts.h"
#include "delivery/web_destination.h"
#include "options/options_dialog.h"
#include "options/options_pages_texts.h"
#include "options/page_controls_ids.h"
#include "options/page_edits.h"
#include "ui/text_convert.h"

namespace {

constexpr int kSmtpIndex = mcSmtp - 1;
constexpr int kIncrediMailIndex = mcIncrediMail - 1;

// An address list may hold any character ("+", ",", quotes, ...) but a line
// break, which would end the header it goes into, and the angle brackets
// that enclose addresses there.
constexpr wchar_t kNoRecipientChars[] = L"\r\n<>";

LRESULT CALLBACK EmbeddedProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data);

void WarnNoEmbedding() {
    OptionsBoxScope scope;
    BringWindowToFront(ApplicationWindow);
    MessageBoxW(ApplicationWindow, txt::IncrediMailNoEmbedding, txt::MessageCaption, MB_OK | MB_ICONWARNING);
}

// Esc and Tab in the multi-line body keep their meaning in the dialog
// (close, next control); Enter makes a new line.
LRESULT CALLBACK BodyProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    if (message == WM_GETDLGCODE) {
        const auto* msg = reinterpret_cast<const MSG*>(lParam);
        const LRESULT code = DefSubclassProc(hwnd, message, wParam, lParam);
        if (msg && msg->message == WM_KEYDOWN && (msg->wParam == VK_ESCAPE || msg->wParam == VK_TAB))
            return code & ~(DLGC_WANTALLKEYS | DLGC_WANTMESSAGE | DLGC_WANTTAB);
        return code;
    }
    if (message == WM_NCDESTROY) RemoveWindowSubclass(hwnd, BodyProc, 5);
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

class MailPage : public OptionsPage {
public:
    // A press on "Embedded" while IncrediMail is chosen and "Attached" checked.
    void EmbeddedPressed() {
        if (ComboIndex(IDC_CB_MAIL_PROGRAM) == kIncrediMailIndex && Checked(IDC_CK_MAIL_ATTACHED)) WarnNoEmbedding();
    }

protected:
    std::span<const Binding> Bindings() const override {
        static const Binding b[] = {
            TextBinding(IDC_ED_MAIL_TO, &TConfiguration::MailTo, kNoRecipientChars),
            TextBinding(IDC_ED_MAIL_SUBJECT, &TConfiguration::MailSubject, LineBreaks),
            TextBinding(IDC_ED_SMTP_EMAIL, &TConfiguration::SmtpFrom, LineBreaks),
            TextBinding(IDC_ED_SMTP_SERVER, &TConfiguration::SmtpServer, LineBreaks),
            TextBinding(IDC_ED_SMTP_USER_NAME, &TConfiguration::SmtpUserName, LineBreaks),
            TextBinding(IDC_ED_SMTP_PASSWORD, &TConfiguration::SmtpPassword, LineBreaks),
            CheckBinding(IDC_CK_SMTP_PREVIEW, &TConfiguration::SmtpPreview),
            CheckBinding(IDC_CK_SMTP_PROGRESS, &TConfiguration::SmtpProgress),
            TextBinding(IDC_ED_ATTACH_FILE_NAME, &TConfiguration::MailFileName, FileNameAndLineBreaks),
            RadioBinding(IDC_CK_ATTACH_BMP, 4, &TConfiguration::MailFormat, ifBMP),
        };
        return b;
    }

    void Init() override {
        AddComboItems(IDC_CB_MAIL_PROGRAM, txt::MailProgramItems);
        SendDlgItemMessageW(hwnd_, IDC_ED_SMTP_BODY, EM_LIMITTEXT, 250, 0);
        SendDlgItemMessageW(hwnd_, IDC_ED_SMTP_PORT, EM_LIMITTEXT, 3, 0);
        AcceptDigitsOnly(Item(IDC_ED_SMTP_PORT));
        SetWindowSubclass(Item(IDC_CK_MAIL_EMBEDDED), EmbeddedProc, 4, reinterpret_cast<DWORD_PTR>(this));
        SetWindowSubclass(Item(IDC_ED_SMTP_BODY), BodyProc, 5, 0);
    }

    void CheckSettings() override {
        CheckMailClient();
        // IncrediMail takes attachments only.
        if (ShownClientIndex() == kIncrediMailIndex && Config.MailMethod == 1) Config.MailMethod = 2;
    }

    void Load() override {
        OptionsPage::Load();
        SetComboIndex(IDC_CB_MAIL_PROGRAM, ShownClientIndex());
        chosenIndex_ = ShownClientIndex();
        SetChecked(IDC_CK_MAIL_EMBEDDED, Config.MailMethod == 1);
        SetChecked(IDC_CK_MAIL_ATTACHED, Config.MailMethod == 2);
        ShowSmtpPanel(Config.MailClient == mcSmtp);
        SetText(IDC_ED_SMTP_PORT, PortText(Config.SmtpPort, false));
        SetText(IDC_ED_SMTP_BODY, ui::ToWide(Config.SmtpBody.view()));
    }

    bool EnterCloses(int id) const override {
        return id == IDC_ED_MAIL_TO || id == IDC_ED_MAIL_SUBJECT || id == IDC_ED_SMTP_EMAIL ||
               id == IDC_ED_SMTP_SERVER || id == IDC_ED_ATTACH_FILE_NAME;
    }

    void Command(int id, int code) override {
        if (id == IDC_CB_MAIL_PROGRAM && code == CBN_KILLFOCUS) {
            InvalidateRect(Item(id), nullptr, TRUE);
            return;
        }
        if (OptionsLoading) return;
        switch (id) {
            case IDC_CB_MAIL_PROGRAM:
                // Closing the list takes a choice, and so does a change of
                // the closed list from the keyboard (the arrow keys, a
                // letter).
                if (code == CBN_CLOSEUP ||
                    (code == CBN_SELCHANGE && !SendDlgItemMessageW(hwnd_, id, CB_GETDROPPEDSTATE, 0, 0) &&
                     ComboIndex(id) != chosenIndex_))
                    MailProgramChoice();
                break;
            case IDC_CK_MAIL_EMBEDDED:
                if (code != BN_CLICKED) break;
                if (ComboIndex(IDC_CB_MAIL_PROGRAM) == kIncrediMailIndex) ChooseAttached();
                else Config.MailMethod = 1;
                break;
            case IDC_CK_MAIL_ATTACHED:
                if (code == BN_CLICKED) Config.MailMethod = 2;
                break;
            case IDC_ED_SMTP_PORT:
                if (code == EN_CHANGE) StorePort(Item(id), Config.SmtpPort, false);
                break;
            case IDC_ED_SMTP_BODY:
                if (code == EN_CHANGE) BodyChange();
                break;
            default: break;
        }
    }

    bool Message(UINT message, WPARAM, LPARAM lParam, INT_PTR&) override {
        if (message != WM_DRAWITEM) return false;
        auto* di = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
        if (di->CtlID != IDC_CB_MAIL_PROGRAM) return false;
        if (!OptionsLoading) DrawProgramItem(*di);
        return true;
    }

private:
    int ShownClientIndex() const { return std::clamp<int>(Config.MailClient - 1, 0, kSmtpIndex); }

    // IncrediMail takes attachments only.
    void ChooseAttached() {
        Config.MailMethod = 2;
        SetChecked(IDC_CK_MAIL_EMBEDDED, false);
        SetChecked(IDC_CK_MAIL_ATTACHED, true);
    }

    void ShowSmtpPanel(bool show) {
        for (int id = IDC_GB_SMTP; id <= IDC_CK_SMTP_PROGRESS; ++id) ShowWindow(Item(id), show ? SW_SHOW : SW_HIDE);
    }

    // The body keeps only what its field can hold, and the edit shows just
    // that: what the user sees is what is sent.
    void BodyChange() {
        const std::wstring text = Text(IDC_ED_SMTP_BODY);
        const auto stored = ui::ToAnsiFitting(text, 250);
        if (!stored) {
            OptionsError(txt::TextNotStorable);
            Show(IDC_ED_SMTP_BODY, ui::ToWide(Config.SmtpBody.view()));
            return;
        }
        const std::wstring shown = ui::ToWide(*stored);
        if (shown != text) Show(IDC_ED_SMTP_BODY, shown);
        Config.SmtpBody = *stored;
    }

    // The text, with the caret after it.
    void Show(int id, const std::wstring& text) {
        SetText(id, text);
        SendDlgItemMessageW(hwnd_, id, EM_SETSEL, text.size(), text.size());
    }

    // Only closing the list takes a choice. A program that is not installed
    // cannot be chosen: SMTP is taken instead.
    void MailProgramChoice() {
        int index = ComboIndex(IDC_CB_MAIL_PROGRAM);
        if (index < 0) return;
        if (!MailClientAvailable(index + 1)) {
            SetComboIndex(IDC_CB_MAIL_PROGRAM, kSmtpIndex);
            chosenIndex_ = kSmtpIndex;
            Config.MailClient = mcSmtp;
            ShowSmtpPanel(true);
            return;
        }
        chosenIndex_ = index;
        ShowSmtpPanel(index == kSmtpIndex);
        Config.MailClient = static_cast<uint8_t>(index + 1);
        if (index == kIncrediMailIndex && Config.MailMethod == 1) {
            WarnNoEmbedding();
            ChooseAttached();
        }
    }

    // A program that is not installed is drawn greyed, selected or not.
    void DrawProgramItem(const DRAWITEMSTRUCT& di) {
        if (di.itemID == static_cast<UINT>(-1)) return;
        const int index = static_cast<int>(di.itemID);
        const bool selected = (di.itemState & ODS_SELECTED) != 0;
        COLORREF text = selected ? GetSysColor(COLOR_HIGHLIGHTTEXT) : RGB(0, 0, 0);
        COLORREF back = selected ? GetSysColor(COLOR_HIGHLIGHT) : RGB(255, 255, 255);
        if (index < kSmtpIndex && !MailClientAvailable(index + 1)) {
            text = GetSysColor(COLOR_INACTIVECAPTION);
            back = GetSysColor(COLOR_WINDOW);
        }
        ui::FillSolid(di.hDC, di.rcItem, back);
        wchar_t caption[64] = L"";
        if (index < static_cast<int>(std::size(txt::MailProgramItems))) lstrcpynW(caption, txt::MailProgramItems[index], 64);
        SetBkMode(di.hDC, TRANSPARENT);
        SetTextColor(di.hDC, text);
        TextOutW(di.hDC, di.rcItem.left + 2, di.rcItem.top + 1, caption, lstrlenW(caption));
        if ((di.itemState & ODS_FOCUS) && !(di.itemState & ODS_NOFOCUSRECT)) DrawFocusRect(di.hDC, &di.rcItem);
    }

    int chosenIndex_ = -1;  // what the list showed after the last choice
};

LRESULT CALLBACK EmbeddedProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
    if (message == WM_LBUTTONDOWN && !OptionsLoading) reinterpret_cast<MailPage*>(data)->EmbeddedPressed();
    if (message == WM_NCDESTROY) RemoveWindowSubclass(hwnd, EmbeddedProc, 4);
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

class WebPage : public OptionsPage {
public:
    WebPage() { OptionsWebFileNameProc = &ShowWebFileName; }
    ~WebPage() override {
        if (OptionsWebFileNameProc == &ShowWebFileName) OptionsWebFileNameProc = nullptr;
    }

protected:
    std::span<const Binding> Bindings() const override {
        static const Binding b[] = {
            TextBinding(IDC_ED_FTP_SERVER, &TConfiguration::FtpServer, LineBreaks),
            TextBinding(IDC_ED_FTP_PATH, &TConfiguration::FtpPath, LineBreaks),
            TextBinding(IDC_ED_FTP_USER_NAME, &TConfiguration::FtpUserName, LineBreaks),
            TextBinding(IDC_ED_FTP_PASSWORD, &TConfiguration::FtpPassword, LineBreaks),
            CheckBinding(IDC_CK_FTP_PASSIVE, &TConfiguration::FtpPassive),
            CheckBinding(IDC_CK_FTP_PROGRESS, &TConfiguration::FtpProgress),
            TextBinding(IDC_ED_PROXY_SERVER, &TConfiguration::ProxyServer, LineBreaks),
            ComboBinding(IDC_CB_FTP_FILE_METHOD, 3, &TConfiguration::WebNaming, fnAsk),
            TextBinding(IDC_ED_FTP_FILE_NAME, &TConfiguration::WebFileName, FileNameAndLineBreaks),
            RadioBinding(IDC_CK_FTP_BMP, 4, &TConfiguration::WebFormat, ifBMP),
        };
        return b;
    }

    void Init() override {
        AddComboItems(IDC_CB_FTP_FILE_METHOD, txt::FileMethodItems);
        for (int id : {IDC_ED_FTP_PORT, IDC_ED_PROXY_PORT}) {
            SendDlgItemMessageW(hwnd_, id, EM_LIMITTEXT, 3, 0);
            AcceptDigitsOnly(Item(id));
        }
    }

    void Load() override {
        OptionsPage::Load();
        SetText(IDC_ED_FTP_PORT, PortText(Config.FtpPort, true));
        SetText(IDC_ED_PROXY_PORT, PortText(Config.ProxyPort, true));
    }

    bool EnterCloses(int id) const override { return id == IDC_ED_FTP_FILE_NAME; }

    void Command(int id, int code) override {
        if (id == IDC_CB_FTP_FILE_METHOD && code == CBN_KILLFOCUS) InvalidateRect(Item(id), nullptr, TRUE);
        if (OptionsLoading || code != EN_CHANGE) return;
        if (id == IDC_ED_FTP_PORT) StorePort(Item(id), Config.FtpPort, true);
        else if (id == IDC_ED_PROXY_PORT) StorePort(Item(id), Config.ProxyPort, true);
    }

private:
    // The upload's prompt changed the name: shown, and stored again by the
    // edit's change.
    static void ShowWebFileName() {
        if (OptionsPage* page = OptionsDialogPage(PageId::Web))
            SetDlgItemTextW(page->Handle(), IDC_ED_FTP_FILE_NAME, ui::ToWide(Config.WebFileName.view()).c_str());
    }
};

}  // namespace

std::unique_ptr<OptionsPage> MakeMailPage() { return std::make_unique<MailPage>(); }
std::unique_ptr<OptionsPage> MakeWebPage() { return std::make_unique<WebPage>(); }
