#include "base/hotkeys.h"

#include "base/errors.h"
#include "base/globals.h"
#include "base/texts.h"
#include "ui/text_format.h"

ATOM EscAtom = 0;
ATOM PrintScreenAtom = 0, AltPrintScreenAtom = 0, FreeHandAtom = 0, RectangleAtom = 0, WindowAtom = 0,
     RepeatAtom = 0, TimerAtom = 0;

namespace {

// Codes of the key table, in search order; the names are in txt::KeyTableNames.
constexpr uint8_t kKeyCodes[KeyTableSize] = {
    112, 113, 114, 115, 116, 117, 118, 119, 120, 121, 122, 123,  // F1..F12
    124, 125, 126, 127, 128, 129, 130, 131, 132, 133, 134, 135,  // F13..F24
    13,  32,  33,  34,  35,  36,  37,  38,  39,  40,  41,        // RETURN, SPACE .. SELECT
    44,  45,  46,                                                // PRINT SCREEN, INSERT, DELETE
    96,  97,  98,  99,  100, 101, 102, 103, 104, 105,            // numeric keypad 0..9
    106, 107, 108, 109, 110, 111,                                // MULTIPLY .. DIVIDE
};

constexpr UINT kSnapshot = VK_SNAPSHOT;  // 44

bool IsDigitOrLetter(unsigned code) { return (code >= '0' && code <= '9') || (code >= 'A' && code <= 'Z'); }

// Registers one hotkey word under `atom`; appends a failure line if refused.
void RegisterWord(HWND window, ATOM atom, uint16_t word, const wchar_t* function, std::wstring& failures) {
    if (!RegisterHotKey(window, atom, ShiftToModifiers(HotkeyShiftState(word)), HotkeyKey(word)))
        failures += HotkeyFailureLine(word, function);
}

void ReleaseAtom(ATOM& atom) {
    if (atom) GlobalDeleteAtom(atom);
    atom = 0;
}

}  // namespace

ShiftState HotkeyShiftState(uint16_t word) {
    ShiftState s;
    s.shift = (word & HotkeyShift) != 0;
    s.alt = (word & HotkeyAlt) != 0;
    s.ctrl = (word & HotkeyCtrl) != 0;
    return s;
}

uint8_t KeyTableCode(int i) { return i >= 0 && i < KeyTableSize ? kKeyCodes[i] : 0; }

const wchar_t* KeyTableName(int i) { return i >= 0 && i < KeyTableSize ? txt::KeyTableNames[i] : nullptr; }

const wchar_t* KeyName(unsigned code) {
    for (int i = 0; i < KeyTableSize; ++i)
        if (kKeyCodes[i] == code) return txt::KeyTableNames[i];
    return nullptr;
}

std::wstring HotkeyToText(uint16_t word) {
    const ShiftState s = HotkeyShiftState(word);
    std::wstring text;
    if (s.ctrl) text += txt::HotkeyCtrl;
    if (s.shift) text += txt::HotkeyShift;
    if (s.alt) text += txt::HotkeyAlt;
    const unsigned key = HotkeyKey(word);
    if (IsDigitOrLetter(key)) text += static_cast<wchar_t>(key);
    else if (const wchar_t* name = KeyName(key)) text += name;
    return text;
}

bool IsHotkeyKey(uint16_t code) { return IsDigitOrLetter(code) || KeyName(code) != nullptr; }

UINT ShiftToModifiers(ShiftState s) {
    UINT m = 0;
    if (s.shift) m |= MOD_SHIFT;
    if (s.ctrl) m |= MOD_CONTROL;
    if (s.alt) m |= MOD_ALT;
    return m;
}

std::wstring HotkeyFailureLine(uint16_t word, const std::wstring& function) {
    return ui::FormatText(txt::HotkeyLine, {{L"<HOTKEY>", HotkeyToText(word)}, {L"<FUNCTION>", function}});
}

std::wstring RegisterFixedHotkeys(HWND window) {
    std::wstring failures;
    EscAtom = GlobalAddAtomW(L"Esc");
    PrintScreenAtom = GlobalAddAtomW(L"Print Screen");
    AltPrintScreenAtom = GlobalAddAtomW(L"Alt Print Screen");
    RegisterWord(window, PrintScreenAtom, kSnapshot, txt::FunctionCaptureDesktop, failures);
    RegisterWord(window, AltPrintScreenAtom, HotkeyAlt | kSnapshot, txt::FunctionCaptureActiveWindow, failures);
    FreeHandAtom = GlobalAddAtomW(L"Free Hand");
    RectangleAtom = GlobalAddAtomW(L"Rectangle");
    WindowAtom = GlobalAddAtomW(L"Window");
    RepeatAtom = GlobalAddAtomW(L"Repeat");
    TimerAtom = GlobalAddAtomW(L"Timer");
    return failures + RegisterRepeatAndTimerHotkeys(window);
}

std::wstring RegisterRepeatAndTimerHotkeys(HWND window) {
    UnregisterHotKey(window, RepeatAtom);
    UnregisterHotKey(window, TimerAtom);
    std::wstring failures;
    RegisterWord(window, RepeatAtom, Config.HkRepeat, txt::FunctionRepeat, failures);
    RegisterWord(window, TimerAtom, Config.HkTimer, txt::FunctionTimer, failures);
    return failures;
}

std::wstring RegisterCaptureHotkeys(HWND window) {
    std::wstring failures;
    RegisterWord(window, FreeHandAtom, Config.HkFreeHand, txt::FunctionFreeHand, failures);
    RegisterWord(window, RectangleAtom, Config.HkRectangle, txt::FunctionRectangle, failures);
    RegisterWord(window, WindowAtom, Config.HkWindow, txt::FunctionWindow, failures);
    return failures;
}

void UnregisterCaptureHotkeys(HWND window) {
    UnregisterHotKey(window, FreeHandAtom);
    UnregisterHotKey(window, RectangleAtom);
    UnregisterHotKey(window, WindowAtom);
}

void ReleaseHotkeyAtoms(HWND window) {
    ReleaseAtom(EscAtom);
    UnregisterHotKey(window, PrintScreenAtom);
    UnregisterHotKey(window, AltPrintScreenAtom);
    ReleaseAtom(PrintScreenAtom);
    ReleaseAtom(AltPrintScreenAtom);
    ReleaseAtom(FreeHandAtom);
    ReleaseAtom(RectangleAtom);
    ReleaseAtom(WindowAtom);
    UnregisterHotKey(window, RepeatAtom);
    UnregisterHotKey(window, TimerAtom);
    ReleaseAtom(RepeatAtom);
    ReleaseAtom(TimerAtom);
}

void RegisterStartupHotkeys(HWND window) {
    const std::wstring fixed = RegisterFixedHotkeys(window);
    const std::wstring capture = Config.HotkeysOn ? RegisterCaptureHotkeys(window) : std::wstring();
    if (!fixed.empty() || !capture.empty())
        ShowError(ui::FormatText(txt::HotkeysUnavailable, {{L"<HOTKEYS>", fixed + capture}}));
}
