#include "options/options_page.h"

#include <commctrl.h>

#include <algorithm>

#include "base/errors.h"
#include "base/globals.h"
#include "options/options_dialog.h"
#include "options/options_pages_texts.h"
#include "options/options_texts.h"
#include "ui/text_convert.h"
#include "ui/window.h"

namespace {

// Edits with refused characters swallow them as they are typed; the
// characters to refuse ride along as the subclass's data.
LRESULT CALLBACK RefusingEditProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                  DWORD_PTR data) {
    if (message == WM_CHAR) {
        const auto* refused = reinterpret_cast<const wchar_t*>(data);
        const wchar_t c = static_cast<wchar_t>(wParam);
        if (c >= L' ' && c <= 127 && wcschr(refused, c)) return 0;
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

template <int N>
bool StoreTextInto(ShortString<N>& field, const std::wstring& text) {
    const auto bytes = ui::ToAnsiFitting(text, N);
    if (!bytes) {
        OptionsError(txt::TextNotStorable);
        return false;
    }
    field = *bytes;
    return true;
}

}  // namespace

std::wstring WithoutChars(const std::wstring& text, const wchar_t* refused) {
    std::wstring out;
    for (wchar_t c : text)
        if (!wcschr(refused, c)) out += c;
    return out;
}

bool StoreText(ShortString<250>& field, const std::wstring& text) { return StoreTextInto(field, text); }
bool StoreText(ShortString<255>& field, const std::wstring& text) { return StoreTextInto(field, text); }

namespace {
int BoxDepth = 0;
}  // namespace

OptionsBoxScope::OptionsBoxScope()
    : dialog_(OptionsDialogWindow()), focus_(GetFocus()), disabled_(false), outermost_(BoxDepth++ == 0) {
    if (!dialog_ || (focus_ != dialog_ && !IsChild(dialog_, focus_))) focus_ = nullptr;
    disabled_ = dialog_ && IsWindowEnabled(dialog_);
    if (disabled_) EnableWindow(dialog_, FALSE);
}

OptionsBoxScope::~OptionsBoxScope() {
    --BoxDepth;
    if (!dialog_ || !IsWindow(dialog_)) return;
    if (disabled_) EnableWindow(dialog_, TRUE);
    // The box was owned by the application's hidden window, which the
    // system activates when the box goes: the keys would go nowhere.
    if (!outermost_ || !IsWindowVisible(dialog_) || !IsWindowEnabled(dialog_)) return;
    DWORD process = 0;
    if (HWND front = GetForegroundWindow()) GetWindowThreadProcessId(front, &process);
    if (process && process != GetCurrentProcessId()) return;
    SetForegroundWindow(dialog_);
    if (focus_ && IsWindow(focus_) && IsWindowVisible(focus_) && IsWindowEnabled(focus_)) SetFocus(focus_);
}

void OptionsError(const std::wstring& text) {
    OptionsBoxScope scope;
    ShowError(text);
}

void ShowRefused(HWND edit, const std::wstring& text) {
    // Set as a load sets it: the edit's change handler does not see it.
    const bool loading = OptionsLoading;
    OptionsLoading = true;
    SetWindowTextW(edit, text.c_str());
    OptionsLoading = loading;
    if (IsWindowVisible(edit)) SetFocus(edit);
    SendMessageW(edit, EM_SETSEL, 0, -1);
}

int ScaleForDpi(int pixels) {
    static const int dpi = [] {
        HDC dc = GetDC(nullptr);
        const int d = GetDeviceCaps(dc, LOGPIXELSY);
        ReleaseDC(nullptr, dc);
        return d > 0 ? d : 96;
    }();
    return MulDiv(pixels, dpi, 96);
}

void ApplyControlTexts(HWND window) {
    for (const txt::ControlText* table : {txt::OptionsControlTexts, txt::PageControlTexts})
        for (const txt::ControlText* t = table; t->text; ++t)
            if (HWND child = GetDlgItem(window, t->id)) SetWindowTextW(child, t->text);
}

OptionsPage::~OptionsPage() {
    if (hwnd_) {
        SetWindowLongPtrW(hwnd_, DWLP_USER, 0);
        DestroyWindow(hwnd_);
    }
}

bool OptionsPage::Create(HWND frame, int templateId) {
    hwnd_ = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId), frame, &Procedure,
                               reinterpret_cast<LPARAM>(this));
    return hwnd_ != nullptr;
}

std::wstring OptionsPage::Text(int id) const { return ui::WindowText(Item(id)); }

void OptionsPage::SetText(int id, const std::wstring& text) { SetDlgItemTextW(hwnd_, id, text.c_str()); }

void OptionsPage::AddComboItems(int id, std::span<const wchar_t* const> items) {
    SendDlgItemMessageW(hwnd_, id, CB_RESETCONTENT, 0, 0);
    for (const wchar_t* item : items) SendDlgItemMessageW(hwnd_, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
}

int OptionsPage::ComboIndex(int id) const {
    return static_cast<int>(SendDlgItemMessageW(hwnd_, id, CB_GETCURSEL, 0, 0));
}

void OptionsPage::SetComboIndex(int id, int index) { SendDlgItemMessageW(hwnd_, id, CB_SETCURSEL, index, 0); }

void OptionsPage::Load() {
    for (const Binding& b : Bindings()) LoadBinding(b);
}

void OptionsPage::LoadBinding(const Binding& b) {
    switch (b.kind) {
        case Binding::Kind::Check: SetChecked(b.id, b.field.Get(Config) != 0); break;
        case Binding::Kind::RadioGroup: {
            const int value = b.field.Get(Config);
            int on = value - b.first;
            // A value no button stands for shows the nearest one (without
            // writing it), unless the value has a meaning of its own.
            if (b.noneForOthers && (on < 0 || on >= b.count)) on = -1;
            else on = std::clamp(on, 0, b.count - 1);
            for (int i = 0; i < b.count; ++i) SetChecked(b.id + i, i == on);
            break;
        }
        case Binding::Kind::ComboIndex:
            SetComboIndex(b.id, std::clamp(b.field.Get(Config) - b.first, 0, b.count - 1));
            break;
        case Binding::Kind::Text: SetText(b.id, ui::ToWide((Config.*b.text).view())); break;
    }
}

void OptionsPage::BindingCommand(const Binding& b, int id, int code) {
    switch (b.kind) {
        case Binding::Kind::Check:
            if (id != b.id || code != BN_CLICKED) return;
            b.field.Set(Config, Checked(id) ? 1 : 0);
            break;
        case Binding::Kind::RadioGroup:
            if (id < b.id || id >= b.id + b.count || code != BN_CLICKED || !Checked(id)) return;
            b.field.Set(Config, b.first + (id - b.id));
            break;
        case Binding::Kind::ComboIndex: {
            if (id != b.id || code != CBN_SELCHANGE) return;
            const int index = ComboIndex(id);
            if (index < 0) return;
            b.field.Set(Config, b.first + index);
            break;
        }
        case Binding::Kind::Text: {
            if (id != b.id || code != EN_CHANGE) return;
            std::wstring text = Text(id);
            if (b.refused) {
                // Pasted text can still hold refused characters.
                const std::wstring cleaned = WithoutChars(text, b.refused);
                if (cleaned != text) {
                    text = cleaned;
                    SetText(id, text);
                    SendDlgItemMessageW(hwnd_, id, EM_SETSEL, text.size(), text.size());
                    return;  // the change of the cleaned text stores it
                }
            }
            if (!StoreText(Config.*b.text, text)) {
                const std::wstring stored = ui::ToWide((Config.*b.text).view());
                SetText(id, stored);
                SendDlgItemMessageW(hwnd_, id, EM_SETSEL, stored.size(), stored.size());
                return;
            }
            break;
        }
    }
    if (b.after) b.after();
}

INT_PTR CALLBACK OptionsPage::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* page = reinterpret_cast<OptionsPage*>(lParam);
        SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
        page->hwnd_ = hwnd;
        ApplyControlTexts(hwnd);
        for (const Binding& b : page->Bindings()) {
            if (b.kind == Binding::Kind::Text) {
                SendDlgItemMessageW(hwnd, b.id, EM_LIMITTEXT, 250, 0);
                if (b.refused)
                    SetWindowSubclass(GetDlgItem(hwnd, b.id), RefusingEditProc, 1,
                                      reinterpret_cast<DWORD_PTR>(b.refused));
            }
        }
        page->Init();
        return FALSE;
    }
    if (message == WM_MEASUREITEM) {
        // Owner-drawn combo items: asked before WM_INITDIALOG.
        auto* mi = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        mi->itemHeight = static_cast<UINT>(ScaleForDpi(16));
        return TRUE;
    }
    auto* page = reinterpret_cast<OptionsPage*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    if (!page) return FALSE;
    OptionsHandlerScope scope;
    return page->HandleMessage(message, wParam, lParam);
}

INT_PTR OptionsPage::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    INT_PTR result = 0;
    switch (message) {
        case WM_COMMAND: {
            const int id = LOWORD(wParam), code = HIWORD(wParam);
            if (!OptionsLoading)
                for (const Binding& b : Bindings()) BindingCommand(b, id, code);
            Command(id, code);
            return TRUE;
        }
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORSTATIC: {
            COLORREF color;
            const HWND control = reinterpret_cast<HWND>(lParam);
            if (HBRUSH brush = ControlBrush(GetDlgCtrlID(control), reinterpret_cast<HDC>(wParam)))
                return reinterpret_cast<INT_PTR>(brush);
            if (!TextColor(GetDlgCtrlID(control), color)) break;
            HDC dc = reinterpret_cast<HDC>(wParam);
            SetTextColor(dc, color);
            const int background = message == WM_CTLCOLOREDIT ? COLOR_WINDOW : COLOR_BTNFACE;
            SetBkColor(dc, GetSysColor(background));
            return reinterpret_cast<INT_PTR>(GetSysColorBrush(background));
        }
        default: break;
    }
    if (Message(message, wParam, lParam, result)) {
        SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, result);
        return TRUE;
    }
    return FALSE;
}
