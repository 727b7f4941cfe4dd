// Pages of the Send To branch: the Send To page itself (how a delivery is
// announced), File (name, format and folder of the saved image) and
// Printer/Fax (page layout).
#include <windows.h>
#include <shlobj.h>

#include "base/globals.h"
#include "delivery/destinations.h"
#include "options/folder_choice.h"
#include "options/options_dialog.h"
#include "options/options_ids.h"
#include "options/options_texts.h"
#include "ui/text_convert.h"
#include "ui/text_format.h"

namespace {

// The nine characters that no file name may hold.
constexpr wchar_t kFileNameRefused[] = L"\\/:*?\"<>|";

class SendToPage : public OptionsPage {
protected:
    std::span<const Binding> Bindings() const override {
        static const Binding b[] = {
            CheckBinding(IDC_CK_SOUND, &TConfiguration::NoticeSound),
            CheckBinding(IDC_CK_MOTION_MESSAGE, &TConfiguration::NoticeSlideIn),
        };
        return b;
    }
};

int CALLBACK BrowseCallback(HWND hwnd, UINT message, LPARAM, LPARAM data) {
    if (message == BFFM_INITIALIZED) SendMessageW(hwnd, BFFM_SETSELECTIONW, TRUE, data);
    return 0;
}

class FilePage : public OptionsPage {
public:
    // Name, format and folder as the save prompt left them.
    void ShowFileChoice() {
        const bool loading = OptionsLoading;
        OptionsLoading = true;
        OptionsPage::Load();
        SetText(IDC_ED_FILE_LOCATION, ui::ToWide(Config.FileFolder.view()));
        OptionsLoading = loading;
    }

protected:
    std::span<const Binding> Bindings() const override {
        static const Binding b[] = {
            TextBinding(IDC_ED_FILE_NAME, &TConfiguration::FileName, kFileNameRefused),
            ComboBinding(IDC_CB_FILE_METHOD, 3, &TConfiguration::FileNaming, fnAsk),
            RadioBinding(IDC_CK_FILE_BMP, 4, &TConfiguration::FileFormat, ifBMP),
        };
        return b;
    }

    void Init() override {
        AddComboItems(IDC_CB_FILE_METHOD, txt::FileMethodItems);
        SendDlgItemMessageW(hwnd_, IDC_ED_FILE_LOCATION, EM_LIMITTEXT, 250, 0);
    }

    // The folder must exist (else the desktop, with a message).
    void CheckSettings() override { CheckDestinationFolder(); }

    void Load() override {
        OptionsPage::Load();
        SetText(IDC_ED_FILE_LOCATION, ui::ToWide(Config.FileFolder.view()));
    }

    bool EnterCloses(int id) const override { return id == IDC_ED_FILE_NAME; }

    void Command(int id, int code) override {
        if (id == IDC_BT_FILE_BROWSE && code == BN_CLICKED && !OptionsLoading) Browse();
    }

private:
    void Browse() {
        const std::wstring current = ui::ToWide(Config.FileFolder.view());
        wchar_t display[MAX_PATH] = L"";
        BROWSEINFOW bi{};
        bi.hwndOwner = OptionsDialogWindow();
        bi.pszDisplayName = display;
        bi.lpszTitle = txt::BrowseFolderTitle;
        bi.ulFlags = BIF_RETURNONLYFSDIRS | BIF_EDITBOX;
        bi.lpfn = BrowseCallback;
        bi.lParam = reinterpret_cast<LPARAM>(current.c_str());
        LPITEMIDLIST list = SHBrowseForFolderW(&bi);
        if (!list) return;  // cancelled
        std::wstring picked(MAX_PATH * 2, L'\0');
        const bool ok = SHGetPathFromIDListW(list, picked.data()) != FALSE;
        CoTaskMemFree(list);
        if (!ok) return;
        picked.resize(wcslen(picked.c_str()));
        std::string bytes;
        switch (ChooseFolder(picked, bytes)) {
            case FolderChoice::TooLong:
                OptionsError(ui::FormatText(txt::FolderTooLong, {{L"<FOLDER>", picked}}));
                return;
            case FolderChoice::NotStorable: OptionsError(txt::TextNotStorable); return;
            case FolderChoice::Accepted: break;
        }
        Config.FileFolder = bytes;
        SetText(IDC_ED_FILE_LOCATION, ui::ToWide(bytes));
    }
};

class PrinterPage : public OptionsPage {
protected:
    std::span<const Binding> Bindings() const override {
        // An orientation other than 1 and 2 means the printer's own default:
        // no button stands for it.
        static const Binding b[] = {
            RadioBinding(IDC_CK_PRINTER_PROPORTIONAL, 2, &TConfiguration::PrintScaling, 1),
            RadioBinding(IDC_CK_PRINTER_PORTRAIT, 2, &TConfiguration::PrintOrientation, 1, nullptr, true),
        };
        return b;
    }
};

}  // namespace

void ShowFileChoice() {
    if (auto* page = dynamic_cast<FilePage*>(OptionsDialogPage(PageId::File))) page->ShowFileChoice();
}

std::unique_ptr<OptionsPage> MakeSendToPage() { return std::make_unique<SendToPage>(); }
std::unique_ptr<OptionsPage> MakeFilePage() { return std::make_unique<FilePage>(); }
std::unique_ptr<OptionsPage> MakePrinterPage() { return std::make_unique<PrinterPage>(); }
