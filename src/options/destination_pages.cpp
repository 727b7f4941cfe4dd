// The Editor page (the maker's editor or a custom one with its command line,
// and the temporary file handed to it), the Zovozu Not Installed page, and
// the IM and ICQ pages (the contact and the temporary file sent to it).
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "base/addresses.h"
#include "base/globals.h"
#include "base/programs.h"
#include "delivery/icq_binding.h"
#include "delivery/messenger_binding.h"
#include "options/options_dialog.h"
#include "options/options_ids.h"
#include "options/options_pages_texts.h"
#include "options/page_controls_ids.h"
#include "options/page_edits.h"
#include "ui/text_convert.h"
#include "ui/window.h"

namespace {

// What the Editor destination replaces by the file's name.
constexpr wchar_t kCapturePlaceholder[] = L"\"<CAPTURE>\"";

// The browser shows the download page; the dialog closes.
void DownloadNow() {
    ShellExecuteW(ApplicationWindow, L"open", addr::DownloadPage, nullptr, nullptr, SW_SHOWMAXIMIZED);
    CloseOptionsDialog();
}

class EditorPage : public OptionsPage {
protected:
    std::span<const Binding> Bindings() const override {
        static const Binding b[] = {
            TextBinding(IDC_ED_EDITOR_COMMAND_LINE, &TConfiguration::CustomEditorCommandLine, LineBreaks),
            TextBinding(IDC_ED_EDITOR_FILE_NAME, &TConfiguration::EditorFileName, FileNameAndLineBreaks),
            RadioBinding(IDC_CK_EDITOR_BMP, 4, &TConfiguration::EditorFormat, ifBMP),
        };
        return b;
    }

    void Init() override { SendDlgItemMessageW(hwnd_, IDC_ED_EDITOR_PATH, EM_LIMITTEXT, 250, 0); }

    void Load() override {
        OptionsPage::Load();
        SetChecked(IDC_RB_EDITOR_CUSTOM, Config.UseCustomEditor == 1);
        SetChecked(IDC_RB_EDITOR_VORLIX, Config.UseCustomEditor != 1);
        SetText(IDC_ED_EDITOR_PATH, ui::ToWide(Config.CustomEditorPath.view()));
    }

    // Without the maker's editor only the custom one can be chosen; the
    // custom panel moves down under the download offer.
    void Shown() override {
        const bool installed = !FindEditorProgram().empty();
        MoveCustomPanel(!installed);
        ShowWindow(Item(IDC_LB_EDITOR_NOT_INSTALLED), installed ? SW_HIDE : SW_SHOW);
        ShowWindow(Item(IDC_BT_EDITOR_DOWNLOAD), installed ? SW_HIDE : SW_SHOW);
        if (!installed) {
            SetChecked(IDC_RB_EDITOR_VORLIX, false);
            SetChecked(IDC_RB_EDITOR_CUSTOM, true);
            if (!OptionsLoading) Config.UseCustomEditor = 1;
        }
        EnableWindow(Item(IDC_RB_EDITOR_VORLIX), installed);
    }

    bool EnterCloses(int id) const override {
        return id == IDC_ED_EDITOR_COMMAND_LINE || id == IDC_ED_EDITOR_FILE_NAME;
    }

    void Command(int id, int code) override {
        if (code != BN_CLICKED) return;
        // The two radios lie on different panels: each unchecks the other.
        if (id == IDC_RB_EDITOR_VORLIX && !OptionsLoading) {
            Config.UseCustomEditor = 0;
            SetChecked(IDC_RB_EDITOR_VORLIX, true);
            SetChecked(IDC_RB_EDITOR_CUSTOM, false);
        } else if (id == IDC_RB_EDITOR_CUSTOM && !OptionsLoading) {
            Config.UseCustomEditor = 1;
            SetChecked(IDC_RB_EDITOR_CUSTOM, true);
            SetChecked(IDC_RB_EDITOR_VORLIX, false);
        } else if (id == IDC_BT_EDITOR_BROWSE) {
            Browse();
        } else if (id == IDC_BT_EDITOR_DOWNLOAD) {
            DownloadNow();
        }
    }

private:
    void MoveCustomPanel(bool down) {
        if (down == movedDown_) return;
        RECT shift{0, 0, 0, 28};  // the height of the not-installed panel
        MapDialogRect(hwnd_, &shift);
        const int dy = down ? shift.bottom : -shift.bottom;
        for (int id = IDC_RB_EDITOR_CUSTOM; id <= IDC_ED_EDITOR_COMMAND_LINE; ++id) {
            HWND control = Item(id);
            RECT r;
            GetWindowRect(control, &r);
            MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&r), 2);
            SetWindowPos(control, nullptr, r.left, r.top + dy, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
        movedDown_ = down;
        InvalidateRect(hwnd_, nullptr, TRUE);
    }

    // A new editor gets the plain command line: the file's name in quotes.
    void Browse() {
        std::wstring picked;
        std::string bytes;
        if (!ChooseFileToStore(txt::ChooseEditor, txt::EditorFilter, L"*.exe",
                               ui::ToWide(Config.CustomEditorPath.view()), picked, bytes))
            return;
        SetText(IDC_ED_EDITOR_PATH, picked);
        Config.CustomEditorPath = bytes;
        const bool loading = OptionsLoading;
        OptionsLoading = true;  // stored here, not by the edit's change
        SetText(IDC_ED_EDITOR_COMMAND_LINE, kCapturePlaceholder);
        OptionsLoading = loading;
        Config.CustomEditorCommandLine = ui::ToAnsi(kCapturePlaceholder);
    }

    bool movedDown_ = false;
};

class ZovozuMissingPage : public OptionsPage {
protected:
    void Init() override { SetText(IDC_PAGE_TEXT, txt::PageBodies[PageIndex(PageId::ZovozuNotInstalled)]); }

    void Command(int id, int code) override {
        if (id == IDC_BT_ZOVOZU_DOWNLOAD && code == BN_CLICKED) DownloadNow();
    }
};

// Line breaks pasted into a contact's combo edit are taken out (the combo
// then shows, and `text` holds, the cleaned text).
void CleanComboText(HWND combo, std::wstring& text) {
    const std::wstring cleaned = WithoutChars(text, LineBreaks);
    if (cleaned == text) return;
    text = cleaned;
    SetWindowTextW(combo, cleaned.c_str());
    SendMessageW(combo, CB_SETEDITSEL, 0, MAKELPARAM(cleaned.size(), cleaned.size()));
}

// The text of a combo box as the user leaves it: on a pick from the list the
// edit is not yet updated, so the picked item is read.
std::wstring ComboText(HWND combo, int code) {
    if (code == CBN_SELCHANGE) {
        const LRESULT index = SendMessageW(combo, CB_GETCURSEL, 0, 0);
        if (index >= 0) {
            const LRESULT n = SendMessageW(combo, CB_GETLBTEXTLEN, index, 0);
            if (n >= 0) {
                std::wstring item(static_cast<size_t>(n) + 1, L'\0');
                SendMessageW(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(item.data()));
                item.resize(static_cast<size_t>(n));
                return item;
            }
        }
    }
    return ui::WindowText(combo);
}

// The combo box's list replaced by `items`; what its edit shows stays.
void RefillCombo(HWND combo, const std::vector<std::wstring>& items) {
    const std::wstring text = ui::WindowText(combo);
    SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    for (const std::wstring& item : items) SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
    SetWindowTextW(combo, text.c_str());
}

class ImPage : public OptionsPage {
protected:
    std::span<const Binding> Bindings() const override {
        static const Binding b[] = {
            TextBinding(IDC_ED_IM_FILE_NAME, &TConfiguration::IMFileName, FileNameAndLineBreaks),
            RadioBinding(IDC_CK_IM_BMP, 4, &TConfiguration::IMFormat, ifBMP),
        };
        return b;
    }

    void Init() override { SendDlgItemMessageW(hwnd_, IDC_CB_IM_EMAIL, CB_LIMITTEXT, 250, 0); }

    void Load() override {
        OptionsPage::Load();
        SetText(IDC_CB_IM_EMAIL, ui::ToWide(Config.IMContact.view()));
    }

    bool EnterCloses(int id) const override { return id == IDC_ED_IM_FILE_NAME; }

    void Command(int id, int code) override {
        if (id != IDC_CB_IM_EMAIL) return;
        HWND combo = Item(id);
        if (code == CBN_KILLFOCUS) InvalidateRect(combo, nullptr, TRUE);
        if (OptionsLoading) return;
        if (code == CBN_DROPDOWN) {
            // The messenger's contacts that are online; none without it.
            std::vector<std::wstring> addresses;
            if (!ListImContacts(addresses)) addresses.clear();
            RefillCombo(combo, addresses);
        } else if (code == CBN_EDITCHANGE || code == CBN_SELCHANGE) {
            std::wstring text = ComboText(combo, code);
            if (code == CBN_EDITCHANGE) CleanComboText(combo, text);
            if (!StoreText(Config.IMContact, text) && code == CBN_EDITCHANGE) {
                const std::wstring stored = ui::ToWide(Config.IMContact.view());
                SetWindowTextW(combo, stored.c_str());
            }
        }
    }
};

class IcqPage : public OptionsPage {
protected:
    std::span<const Binding> Bindings() const override {
        static const Binding b[] = {
            TextBinding(IDC_ED_ICQ_FILE_NAME, &TConfiguration::IcqFileName, FileNameAndLineBreaks),
            RadioBinding(IDC_CK_ICQ_BMP, 4, &TConfiguration::IcqFormat, ifBMP),
        };
        return b;
    }

    void Init() override {
        SendDlgItemMessageW(hwnd_, IDC_CB_ICQ_USER, CB_LIMITTEXT, 250, 0);
        FillIcqUserList();
    }

    // The stored number takes the nick it has among the online contacts.
    void CheckSettings() override {
        RefreshIcqContacts();
        LookupIcqContact(Config.IcqContact, 1);  // the nick of the number
    }

    void Load() override {
        OptionsPage::Load();
        SetText(IDC_CB_ICQ_USER, ui::ToWide(Config.IcqContact.nick.view()));
    }

    bool EnterCloses(int id) const override { return id == IDC_ED_ICQ_FILE_NAME; }

    void Command(int id, int code) override {
        if (id != IDC_CB_ICQ_USER) return;
        HWND combo = Item(id);
        if (code == CBN_KILLFOCUS) InvalidateRect(combo, nullptr, TRUE);
        if (OptionsLoading) return;
        if (code == CBN_DROPDOWN) {
            TIcqContact contact = Config.IcqContact;
            if (LookupIcqContact(contact, 1)) SetWindowTextW(combo, ui::ToWide(contact.nick.view()).c_str());
            FillIcqUserList();
        } else if (code == CBN_EDITCHANGE || code == CBN_SELCHANGE) {
            UserChange(combo, code);
        }
    }

private:
    // When the page is made and when its list drops down: the nicks of the
    // ICQ contacts that are online, in the client's order; none without a
    // client.
    void FillIcqUserList() {
        std::vector<std::wstring> nicks;
        if (RefreshIcqContacts())
            for (int i = 0; i < IcqContactCache.count; ++i) nicks.push_back(ui::ToWide(IcqContactCache.entries[i].nick.view()));
        RefillCombo(Item(IDC_CB_ICQ_USER), nicks);
    }

    // Every edit of the text names the contact anew; a typed number of an
    // online contact turns into its nick.
    void UserChange(HWND combo, int code) {
        std::wstring text = ComboText(combo, code);
        if (code == CBN_EDITCHANGE) CleanComboText(combo, text);
        const auto bytes = ui::ToAnsiFitting(text, 250);
        if (!bytes || ui::ToWide(*bytes) != text) {
            OptionsError(txt::TextNotStorable);
            SetWindowTextW(combo, ui::ToWide(Config.IcqContact.nick.view()).c_str());
            return;
        }
        RefreshIcqContacts();
        ParseIcqContact(*bytes, Config.IcqContact);
        const std::wstring nick = ui::ToWide(Config.IcqContact.nick.view());
        if (code == CBN_EDITCHANGE && nick != text) {
            SetWindowTextW(combo, nick.c_str());
            SendMessageW(combo, CB_SETEDITSEL, 0, MAKELPARAM(nick.size(), nick.size()));
        }
    }
};

}  // namespace

std::unique_ptr<OptionsPage> MakeEditorPage() { return std::make_unique<EditorPage>(); }
std::unique_ptr<OptionsPage> MakeZovozuMissingPage() { return std::make_unique<ZovozuMissingPage>(); }
std::unique_ptr<OptionsPage> MakeImPage() { return std::make_unique<ImPage>(); }
std::unique_ptr<OptionsPage> MakeIcqPage() { return std::make_unique<IcqPage>(); }
