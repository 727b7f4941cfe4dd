#include "base/save_dialog.h"

#include <cderr.h>
#include <commdlg.h>

#include <algorithm>
#include <vector>

#include "base/files.h"
#include "base/foreground.h"
#include "base/texts.h"
#include "ui/text_format.h"

namespace {

const wchar_t* const Extensions[4] = {L".bmp", L".jpg", L".gif", L".png"};

int ValidIndex(int index) { return index >= 1 && index <= 4 ? index : 1; }

UINT_PTR CALLBACK SaveDialogHook(HWND hook, UINT message, WPARAM, LPARAM lParam) {
    if (message != WM_NOTIFY) return 0;
    const auto* notify = reinterpret_cast<const OFNOTIFYW*>(lParam);
    // The hook is a child of the dialog window proper.
    HWND dialog = GetParent(hook);
    switch (notify->hdr.code) {
        case CDN_INITDONE:
            SaveDialogShow(dialog);
            break;
        case CDN_FILEOK: {
            const OPENFILENAMEW* ofn = notify->lpOFN;
            const std::wstring name = ofn && ofn->lpstrFile ? ofn->lpstrFile : L"";
            if (!SaveDialogCanClose(dialog, name, ofn ? static_cast<int>(ofn->nFilterIndex) : 1)) {
                SetWindowLongPtrW(hook, DWLP_MSGRESULT, 1);
                return 1;
            }
            break;
        }
        default:
            break;
    }
    return 0;
}

bool Run(HWND owner, SaveDialogState& state, const std::wstring& proposed) {
    const std::wstring filter = SaveDialogFilter();
    std::vector<wchar_t> buffer(4096, L'\0');
    proposed.copy(buffer.data(), std::min(proposed.size(), buffer.size() - 1));

    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = static_cast<DWORD>(ValidIndex(state.filterIndex));
    ofn.lpstrFile = buffer.data();
    ofn.nMaxFile = static_cast<DWORD>(buffer.size());
    ofn.lpstrInitialDir = state.initialDir.empty() ? nullptr : state.initialDir.c_str();
    ofn.Flags = OFN_EXPLORER | OFN_ENABLEHOOK | OFN_ENABLESIZING | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT |
                OFN_PATHMUSTEXIST | OFN_NOREADONLYRETURN;
    ofn.lpfnHook = &SaveDialogHook;
    if (!GetSaveFileNameW(&ofn)) return false;
    state.fileName = buffer.data();
    state.filterIndex = ValidIndex(static_cast<int>(ofn.nFilterIndex));
    return true;
}

}  // namespace

std::wstring SaveDialogFilter() {
    std::wstring filter = txt::SaveFilter;
    for (auto& c : filter)
        if (c == L'|') c = L'\0';
    filter.push_back(L'\0');
    return filter;
}

bool ExecuteSaveDialog(HWND owner, SaveDialogState& state) {
    if (Run(owner, state, state.fileName)) return true;
    // A remembered name that the dialog refuses to show (characters no file
    // name can hold) must not make the prompt impossible: ask with none.
    if (CommDlgExtendedError() == FNERR_INVALIDFILENAME && !state.fileName.empty()) return Run(owner, state, L"");
    return false;
}

bool SaveDialogCanClose(HWND dialog, const std::wstring& fileName, int filterIndex) {
    const std::wstring name = FileNameOf(fileName);
    const size_t dot = name.find_last_of(L'.');
    if (dot == std::wstring::npos) {
        // The extension of the filter is what will be appended when saving.
        const std::wstring full = fileName + Extensions[ValidIndex(filterIndex) - 1];
        if (FileExists(full)) {
            const std::wstring question = ui::FormatText(txt::Replace, {{L"<FILE>", full}});
            if (MessageBoxW(dialog, question.c_str(), txt::SaveAsCaption, MB_OKCANCEL | MB_ICONWARNING) != IDOK)
                return false;
        }
        return true;
    }
    if (ImageFormatOfExtension(fileName) == ifUnknown) {
        MessageBoxW(dialog, txt::InvalidExtension, txt::MessageCaption, MB_OK | MB_ICONWARNING);
        return false;
    }
    return true;
}

void SaveDialogShow(HWND dialog) {
    BringWindowToFront(dialog);
    SetWindowPos(dialog, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}
