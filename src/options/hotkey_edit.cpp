#include "options/hotkey_edit.h"

#include <commctrl.h>

#include "base/globals.h"
#include "base/hotkeys.h"
#include "base/texts.h"
#include "options/options_dialog.h"
#include "ui/text_format.h"

const HotkeyField FreeHandHotkey{&TConfiguration::HkFreeHand, &FreeHandAtom, txt::FunctionFreeHand,
                                 HotkeyField::Guard::Capture};
const HotkeyField RectangleHotkey{&TConfiguration::HkRectangle, &RectangleAtom, txt::FunctionRectangle,
                                  HotkeyField::Guard::Capture};
const HotkeyField WindowHotkey{&TConfiguration::HkWindow, &WindowAtom, txt::FunctionWindow,
                               HotkeyField::Guard::Capture};
const HotkeyField RepeatHotkey{&TConfiguration::HkRepeat, &RepeatAtom, txt::FunctionRepeat,
                               HotkeyField::Guard::Repeat};
const HotkeyField TimerHotkey{&TConfiguration::HkTimer, &TimerAtom, txt::FunctionTimer, HotkeyField::Guard::Timer};

namespace {

const HotkeyField* const kFields[] = {&FreeHandHotkey, &RectangleHotkey, &WindowHotkey, &RepeatHotkey, &TimerHotkey};

bool Accepting(const HotkeyField& h) {
    switch (h.guard) {
        case HotkeyField::Guard::Capture: return !OptionsLoading && Config.HotkeysOn;
        case HotkeyField::Guard::Repeat: return !OptionsLoading;
        case HotkeyField::Guard::Timer: return true;
    }
    return false;
}

// Registered on the main window while the settings say so: the capture
// hotkeys only while HotkeysOn.
bool Registered(const HotkeyField& h) { return h.guard != HotkeyField::Guard::Capture || Config.HotkeysOn; }

bool Down(int key) { return GetKeyState(key) < 0; }

uint16_t HeldModifiers() {
    uint16_t word = 0;
    if (Down(VK_SHIFT)) word |= HotkeyShift;
    if (Down(VK_CONTROL)) word |= HotkeyCtrl;
    if (Down(VK_MENU)) word |= HotkeyAlt;
    return word;
}

// Keys that keep their meaning in the dialog when pressed alone: Enter
// closes it, Esc closes it, Tab moves on (Shift+Tab back); Space and
// Backspace alone are no hotkey either. With Shift, Ctrl or Alt, Enter and
// Space are hotkeys like any other; Tab and Esc never are.
bool DialogKey(UINT key, uint16_t modifiers) {
    if (key == VK_TAB || key == VK_ESCAPE) return true;
    return modifiers == 0 && (key == VK_RETURN || key == VK_SPACE || key == VK_BACK);
}

// Another of the program's own hotkeys holds the word (the fixed Print
// Screen ones included).
bool HeldByProgram(uint16_t word, const HotkeyField& except) {
    if (word == VK_SNAPSHOT || word == (HotkeyAlt | VK_SNAPSHOT)) return true;
    for (const HotkeyField* f : kFields)
        if (f != &except && Registered(*f) && Config.*f->field == word) return true;
    return false;
}

void TakeHotkey(HWND edit, const HotkeyField& h, uint16_t word) {
    if (!Accepting(h) || !IsHotkeyKey(HotkeyKey(word)) || DialogKey(HotkeyKey(word), word & 0xFF00)) return;
    Config.*h.field = word;
    UnregisterHotKey(MainWindow, *h.atom);
    const bool registered =
        RegisterHotKey(MainWindow, *h.atom, ShiftToModifiers(HotkeyShiftState(word)), HotkeyKey(word)) != FALSE;
    ShowHotkey(edit, h);
    // A hotkey that could not take its key while another of ours held it
    // (two hotkeys being swapped) takes it now that it is free; the others
    // stay as they are (registering a held key again fails).
    for (const HotkeyField* f : kFields)
        if (f != &h && Registered(*f))
            RegisterHotKey(MainWindow, *f->atom, ShiftToModifiers(HotkeyShiftState(Config.*f->field)),
                           HotkeyKey(Config.*f->field));
    // The key is kept even when another program holds it (it may let go of
    // it later), but the user is told that it does not work now. A key that
    // one of our own hotkeys holds is the middle of a swap: nothing to say.
    if (!registered && !HeldByProgram(word, h))
        OptionsError(ui::FormatText(txt::HotkeysUnavailable, {{L"<HOTKEYS>", HotkeyFailureLine(word, h.function)}}));
}

// The field's entry, kept on the field itself, so that a hotkey typed while a
// field has the focus finds it (comctl32's GetWindowSubclass would too, but
// the x86_64 MinGW import library lacks it).
constexpr wchar_t kHotkeyFieldProp[] = L"VorlixHotkeyField";

LRESULT CALLBACK HotkeyEditProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
    const auto& h = *reinterpret_cast<const HotkeyField*>(data);
    switch (message) {
        case WM_GETDLGCODE: {
            // Every key is the field's, except the dialog's own keys.
            const auto* msg = reinterpret_cast<const MSG*>(lParam);
            if (msg && (msg->message == WM_KEYDOWN || msg->message == WM_SYSKEYDOWN) &&
                DialogKey(static_cast<UINT>(msg->wParam), HeldModifiers()))
                break;
            return DLGC_WANTALLKEYS | DLGC_WANTCHARS;
        }
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN: {
            OptionsHandlerScope scope;
            const UINT key = static_cast<UINT>(wParam);
            if (message == WM_SYSKEYDOWN) {
                // The character that Alt+letter makes would run the page's
                // mnemonic of that letter: the field took the key.
                MSG pending;
                while (PeekMessageW(&pending, hwnd, WM_SYSCHAR, WM_SYSDEADCHAR, PM_REMOVE)) {}
            }
            TakeHotkey(hwnd, h, static_cast<uint16_t>((key & 0xFF) | HeldModifiers()));
            return 0;
        }
        case WM_SYSKEYUP:  // no menu: Alt and F10 were the field's
        case WM_CHAR:
        case WM_SYSCHAR:
        case WM_PASTE:
        case WM_CUT:
        case WM_CLEAR:
        case WM_UNDO: return 0;  // the text only ever shows the stored hotkey
        case WM_NCDESTROY:
            RemovePropW(hwnd, kHotkeyFieldProp);
            RemoveWindowSubclass(hwnd, &HotkeyEditProc, 1);
            break;
        default: break;
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

}  // namespace

void AttachHotkeyEdit(HWND edit, const HotkeyField& hotkey) {
    SetPropW(edit, kHotkeyFieldProp, const_cast<HotkeyField*>(&hotkey));
    SetWindowSubclass(edit, &HotkeyEditProc, 1, reinterpret_cast<DWORD_PTR>(&hotkey));
}

void ShowHotkey(HWND edit, const HotkeyField& hotkey) {
    const std::wstring text = HotkeyToText(Config.*hotkey.field);
    SetWindowTextW(edit, text.c_str());
    SendMessageW(edit, EM_SETSEL, text.size(), text.size());
}

COLORREF HotkeyColor(const HotkeyField& hotkey) {
    return hotkey.guard == HotkeyField::Guard::Capture && !Config.HotkeysOn ? RGB(0xC0, 0xC0, 0xC0) : RGB(0, 0, 0);
}

bool TypeIntoHotkeyField(int id, UINT modifiers, UINT key) {
    if (id == EscAtom) return false;  // ends a running selection
    HWND focus = GetFocus();
    const auto* field = focus ? static_cast<const HotkeyField*>(GetPropW(focus, kHotkeyFieldProp)) : nullptr;
    if (!field) return false;
    uint16_t word = static_cast<uint16_t>(key & 0xFF);
    if (modifiers & MOD_SHIFT) word |= HotkeyShift;
    if (modifiers & MOD_CONTROL) word |= HotkeyCtrl;
    if (modifiers & MOD_ALT) word |= HotkeyAlt;
    OptionsHandlerScope scope;
    TakeHotkey(focus, *field, word);
    return true;
}
