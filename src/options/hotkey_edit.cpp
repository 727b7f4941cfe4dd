#include "options/hotkey_edit.h"

#include <commctrl.h>

#include "core/globals.h"
#include "core/hotkeys.h"
#include "core/texts.h"
#include "options/options_dialog.h"

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

bool Accepting(const HotkeyField& h) {
    switch (h.guard) {
        case HotkeyField::Guard::Capture: return !OptionsLoading && Config.HotkeysOn;
        case HotkeyField::Guard::Repeat: return !OptionsLoading;
        case HotkeyField::Guard::Timer: return true;
    }
    return false;
}

bool Down(int key) { return GetKeyState(key) < 0; }

void KeyPressed(HWND edit, const HotkeyField& h, UINT key) {
    if (!Accepting(h) || !IsHotkeyKey(static_cast<uint16_t>(key))) return;
    uint16_t word = static_cast<uint16_t>(key & 0xFF);
    if (Down(VK_SHIFT)) word |= HotkeyShift;
    if (Down(VK_CONTROL)) word |= HotkeyCtrl;
    if (Down(VK_MENU)) word |= HotkeyAlt;
    Config.*h.field = word;
    UnregisterHotKey(MainWindow, *h.atom);
    const bool registered =
        RegisterHotKey(MainWindow, *h.atom, ShiftToModifiers(HotkeyShiftState(word)), HotkeyKey(word)) != FALSE;
    ShowHotkey(edit, h);
    // The key is kept even when another program holds it (it may let go
    // of it later), but the user is told that it does not work now.
    if (!registered)
        OptionsError(txt::HotkeysUnavailableA + HotkeyFailureLine(word, h.function) + txt::HotkeysUnavailableB);
}

LRESULT CALLBACK HotkeyEditProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
    const auto& h = *reinterpret_cast<const HotkeyField*>(data);
    switch (message) {
        case WM_GETDLGCODE: {
            // Every key is the field's, except Tab (next control) and Esc
            // (closes the dialog).
            const auto* msg = reinterpret_cast<const MSG*>(lParam);
            if (msg && (msg->message == WM_KEYDOWN || msg->message == WM_SYSKEYDOWN) &&
                (msg->wParam == VK_TAB || msg->wParam == VK_ESCAPE))
                break;
            return DLGC_WANTALLKEYS | DLGC_WANTCHARS;
        }
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN: {
            OptionsHandlerScope scope;
            KeyPressed(hwnd, h, static_cast<UINT>(wParam));
            return 0;
        }
        case WM_CHAR:
        case WM_SYSCHAR:
        case WM_PASTE:
        case WM_CUT:
        case WM_CLEAR:
        case WM_UNDO: return 0;  // the text only ever shows the stored hotkey
        case WM_NCDESTROY: RemoveWindowSubclass(hwnd, &HotkeyEditProc, 1); break;
        default: break;
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

}  // namespace

void AttachHotkeyEdit(HWND edit, const HotkeyField& hotkey) {
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
