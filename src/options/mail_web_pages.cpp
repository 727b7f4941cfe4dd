// The Mail page (recipients, subject, the mail program, embedded or attached,
// the SMTP sender's settings and the attached file) and the Web page (FTP
// server, account, proxy, and the uploaded file's name and format).
#include <windows.h>
#include <commctrl.h>

#include <algorithm>

#include "core/globals.h"
#include "core/texts.h"
#include "core/work.h"
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

// What may be typed into the recipients: addresses separated by ";".
bool RecipientChar(wchar_t c) {
    return c == L' ' || (c >= L'0' && c <= L'9') || (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z') ||
           c == L'-' || c == L'.' || c == L';' || c == L'@' || c == L'_';
}

LRESULT CALLBACK EmbeddedProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data);

void WarnNoEmbedding(HWND owner) {
    BringWindowToFront(ApplicationWindow);
    HWND dialog = OptionsDialogWindow();
    const bool disable = dialog && IsWindowEnabled(dialog);
    if (disable) EnableWindow(dialog, FALSE);
    MessageBoxW(owner, txt::IncrediMailNoEmbedding, txt::MessageCaption, MB_OK | MB_ICONWARNING);
    if (disable && IsWindow(dialog)) EnableWindow(dialog, TRUE);
}

class MailPage : public OptionsPage {
public:
    // A press on "Embedded" while IncrediMail is chosen and "Attached" checked.
    void EmbeddedPressed() {
        if (ComboIndex(IDC_CB_MAIL_PROGRAM) == kIncrediMailIndex && Checked(IDC_CK_MAIL_ATTACHED))
            WarnNoEmbedding(ApplicationWindow);
    }

protected:
    std::span<const Binding> Bindings() const override {
        static const Binding b[] = {
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
        SendDlgItemMessageW(hwnd_, IDC_ED_MAIL_TO, EM_LIMITTEXT, 250, 0);
        SendDlgItemMessageW(hwnd_, IDC_ED_SMTP_BODY, EM_LIMITTEXT, 250, 0);
        SendDlgItemMessageW(hwnd_, IDC_ED_SMTP_PORT, EM_LIMITTEXT, 3, 0);
        AcceptDigitsOnly(Item(IDC_ED_SMTP_PORT));
        AcceptOnly(Item(IDC_ED_MAIL_TO), RecipientChar);  // Ctrl+V, Ctrl+C and Ctrl+X are swallowed too
        SetWindowSubclass(Item(IDC_CK_MAIL_EMBEDDED), EmbeddedProc, 4, reinterpret_cast<DWORD_PTR>(this));
    }

    void Load() override {
        SetText(IDC_ED_MAIL_TO, ui::ToWide(Config.MailTo.view()));
        OptionsPage::Load();
        CheckMailClient();
        const int index = std::clamp<int>(Config.MailClient - 1, 0, kSmtpIndex);
        SetComboIndex(IDC_CB_MAIL_PROGRAM, index);
        // IncrediMail takes attachments only.
        if (index == kIncrediMailIndex && Config.MailMethod == 1) Config.MailMethod = 2;
        SetChecked(IDC_CK_MAIL_EMBEDDED, Config.MailMethod == 1);
        SetChecked(IDC_CK_MAIL_ATTACHED, Config.MailMethod == 2);
        ShowSmtpPanel(Config.MailClient == mcSmtp);
        SetText(IDC_ED_SMTP_PORT, std::to_wstring(Config.SmtpPort));
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
            case IDC_ED_MAIL_TO:
                if (code == EN_CHANGE) RecipientsChange();
                break;
            case IDC_CB_MAIL_PROGRAM:
                if (code == CBN_CLOSEUP) MailProgramChoice();
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
                if (code == EN_CHANGE) StorePort(Text(id), Config.SmtpPort);
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
    // IncrediMail takes attachments only.
    void ChooseAttached() {
        Config.MailMethod = 2;
        SetChecked(IDC_CK_MAIL_EMBEDDED, false);
        SetChecked(IDC_CK_MAIL_ATTACHED, true);
    }

    void ShowSmtpPanel(bool show) {
        for (int id = IDC_GB_SMTP; id <= IDC_CK_SMTP_PROGRESS; ++id) ShowWindow(Item(id), show ? SW_SHOW : SW_HIDE);
    }

    // Pasted text can hold what cannot be typed: it is taken out as well.
    void RecipientsChange() {
        const std::wstring text = Text(IDC_ED_MAIL_TO);
        std::wstring kept;
        for (wchar_t c : text)
            if (RecipientChar(c)) kept += c;
        if (kept != text) {
            Show(IDC_ED_MAIL_TO, kept);  // whose change stores it
            return;
        }
        StoreText(Config.MailTo, text);
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
            Config.MailClient = mcSmtp;
            ShowSmtpPanel(true);
            return;
        }
        ShowSmtpPanel(index == kSmtpIndex);
        Config.MailClient = static_cast<uint8_t>(index + 1);
        if (index == kIncrediMailIndex && Config.MailMethod == 1) {
            WarnNoEmbedding(ApplicationWindow);
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
    }
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
        // No port shows as an empty edit.
        SetText(IDC_ED_FTP_PORT, Config.FtpPort ? std::to_wstring(Config.FtpPort) : std::wstring());
        SetText(IDC_ED_PROXY_PORT, Config.ProxyPort ? std::to_wstring(Config.ProxyPort) : std::wstring());
    }

    bool EnterCloses(int id) const override { return id == IDC_ED_FTP_FILE_NAME; }

    void Command(int id, int code) override {
        if (id == IDC_CB_FTP_FILE_METHOD && code == CBN_KILLFOCUS) InvalidateRect(Item(id), nullptr, TRUE);
        if (OptionsLoading || code != EN_CHANGE) return;
        if (id == IDC_ED_FTP_PORT) StorePort(Text(id), Config.FtpPort);
        else if (id == IDC_ED_PROXY_PORT) StorePort(Text(id), Config.ProxyPort);
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
