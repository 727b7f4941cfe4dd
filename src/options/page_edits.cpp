#include "options/page_edits.h"

#include <commctrl.h>
#include <commdlg.h>

#include "options/entry_rules.h"
#include "options/options_dialog.h"
#include "options/options_pages_texts.h"
#include "ui/text_convert.h"
#include "ui/text_format.h"
#include "ui/window.h"

namespace {

// Only Backspace and the digits pass.
LRESULT CALLBACK DigitsProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    if (message == WM_CHAR) {
        const wchar_t c = static_cast<wchar_t>(wParam);
        if (c != VK_BACK && (c < L'0' || c > L'9')) return 0;
    }
    if (message == WM_NCDESTROY) RemoveWindowSubclass(hwnd, DigitsProc, 2);
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

std::wstring FolderPart(const std::wstring& path) {
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

}  // namespace

void AcceptDigitsOnly(HWND edit) { SetWindowSubclass(edit, DigitsProc, 2, 0); }

void StorePort(HWND edit, uint8_t& field, bool noPortShowsEmpty) {
    const entry::NumberEntry e = entry::ReadPort(ui::WindowText(edit));
    switch (e.check) {
        case entry::NumberCheck::Empty: field = 0; break;
        case entry::NumberCheck::Accepted: field = static_cast<uint8_t>(e.value); break;
        case entry::NumberCheck::OutOfRange:
            OptionsError(txt::PortRange);
            ShowRefused(edit, PortText(field, noPortShowsEmpty));
            break;
    }
}

std::wstring PortText(uint8_t port, bool noPortShowsEmpty) {
    return port || !noPortShowsEmpty ? std::to_wstring(port) : std::wstring();
}

bool ChooseFileToStore(const wchar_t* title, const wchar_t* filterName, const wchar_t* pattern,
                       const std::wstring& current, std::wstring& picked, std::string& bytes) {
    // "Name|pattern" with NULs for the dialog, ending in two.
    std::wstring filter = std::wstring(filterName) + L'\0' + pattern + L'\0' + L'\0';
    const std::wstring folder = FolderPart(current);
    std::wstring buffer(32768, L'\0');
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = OptionsDialogWindow();
    ofn.lpstrFilter = filter.c_str();
    ofn.lpstrFile = buffer.data();
    ofn.nMaxFile = static_cast<DWORD>(buffer.size());
    ofn.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    ofn.lpstrTitle = title;
    ofn.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    HWND dialog = OptionsDialogWindow();
    const bool ok = GetOpenFileNameW(&ofn) != FALSE;
    if (dialog && IsWindow(dialog)) SetForegroundWindow(dialog);
    if (!ok) return false;  // cancelled
    picked.assign(buffer.c_str());
    // The whole path or nothing: a cut path would name another file.
    if (const auto stored = ui::ToAnsiPath(picked, 250)) {
        bytes = *stored;
        return true;
    }
    if (!ui::ToAnsiFitting(picked, static_cast<size_t>(-1))) OptionsError(txt::TextNotStorable);
    else OptionsError(ui::FormatText(txt::PathTooLong, {{L"<FILE>", picked}}));
    return false;
}
