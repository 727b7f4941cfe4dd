#include "ui/input_box.h"

#include <cstdint>
#include <cstring>
#include <vector>

#include "ui/window.h"

namespace ui {

namespace {

constexpr WORD kPromptId = 100, kEditId = 101;

// An in-memory dialog template, built item by item (each part on its
// DWORD or WORD boundary as the format asks).
class DialogTemplate {
public:
    void Align(size_t to) {
        while (bytes_.size() % to) bytes_.push_back(0);
    }
    void Word(WORD w) { Append(&w, sizeof w); }
    void Text(const wchar_t* s) { Append(s, (std::wcslen(s) + 1) * sizeof(wchar_t)); }
    void Append(const void* p, size_t n) {
        const auto* b = static_cast<const uint8_t*>(p);
        bytes_.insert(bytes_.end(), b, b + n);
    }
    void Item(DWORD style, short x, short y, short cx, short cy, WORD id, WORD atom, const wchar_t* text) {
        Align(4);
        DLGITEMTEMPLATE item{};
        item.style = style | WS_CHILD | WS_VISIBLE;
        item.x = x;
        item.y = y;
        item.cx = cx;
        item.cy = cy;
        item.id = id;
        Append(&item, sizeof item);
        Word(0xFFFF);
        Word(atom);  // predefined class: 0x80 button, 0x81 edit, 0x82 static
        Text(text);
        Word(0);  // no creation data
    }
    const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(bytes_.data()); }
    std::vector<uint8_t>& Bytes() { return bytes_; }

private:
    std::vector<uint8_t> bytes_;
};

struct State {
    std::wstring* text;
};

INT_PTR CALLBACK Procedure(HWND box, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG: {
            SetWindowLongPtrW(box, DWLP_USER, lParam);
            auto* state = reinterpret_cast<State*>(lParam);
            HWND edit = GetDlgItem(box, kEditId);
            SetWindowTextW(edit, state->text->c_str());
            SendMessageW(edit, EM_SETSEL, 0, -1);
            SetFocus(edit);
            // Centred on the screen, in front.
            RECT r;
            GetWindowRect(box, &r);
            SetWindowPos(box, HWND_TOP, (GetSystemMetrics(SM_CXSCREEN) - (r.right - r.left)) / 2,
                         (GetSystemMetrics(SM_CYSCREEN) - (r.bottom - r.top)) / 2, 0, 0, SWP_NOSIZE);
            SetForegroundWindow(box);
            return FALSE;  // the focus is set
        }
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK) {
                auto* state = reinterpret_cast<State*>(GetWindowLongPtrW(box, DWLP_USER));
                HWND edit = GetDlgItem(box, kEditId);
                *state->text = WindowText(edit);
                EndDialog(box, IDOK);
                return TRUE;
            }
            if (LOWORD(wParam) == IDCANCEL) {
                EndDialog(box, IDCANCEL);
                return TRUE;
            }
            break;
    }
    return FALSE;
}

}  // namespace

bool InputQuery(HWND owner, const InputBoxTexts& texts, std::wstring& text) {
    DialogTemplate t;
    DLGTEMPLATE head{};
    head.style = DS_MODALFRAME | DS_SETFONT | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU;
    head.cdit = 4;
    head.cx = 180;
    head.cy = 63;
    t.Append(&head, sizeof head);
    t.Word(0);  // no menu
    t.Word(0);  // the standard dialog class
    t.Text(texts.caption);
    t.Word(8);
    t.Text(L"MS Shell Dlg");
    t.Item(SS_LEFT | SS_NOPREFIX, 8, 6, 164, 9, kPromptId, 0x82, texts.prompt);
    t.Item(ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 8, 17, 164, 12, kEditId, 0x81, L"");
    t.Item(BS_DEFPUSHBUTTON | WS_TABSTOP, 41, 40, 48, 14, IDOK, 0x80, texts.ok);
    t.Item(BS_PUSHBUTTON | WS_TABSTOP, 93, 40, 48, 14, IDCANCEL, 0x80, texts.cancel);
    t.Align(4);

    std::wstring answer = text;
    State state{&answer};
    const INT_PTR result = DialogBoxIndirectParamW(GetModuleHandleW(nullptr), t.Get(), owner, Procedure,
                                                   reinterpret_cast<LPARAM>(&state));
    if (result != IDOK) return false;
    text = answer;
    return true;
}

}  // namespace ui
