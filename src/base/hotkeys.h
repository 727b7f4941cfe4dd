// System-wide hotkeys: the hotkey word and its display text, the global atoms
// that serve as hotkey ids and their registration on the main window. What a
// hotkey does is the application's (app/hotkey_router.h).
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "base/configuration.h"

// Atom of the Esc hotkey; the selection engines register it on the main window
// while a selection runs and unregister it when the selection ends.
extern ATOM EscAtom;

// The other hotkey atoms (0 until RegisterFixedHotkeys added them).
extern ATOM PrintScreenAtom, AltPrintScreenAtom, FreeHandAtom, RectangleAtom, WindowAtom, RepeatAtom,
    TimerAtom;

// Shift state of a hotkey word (the modifier bits HotkeyShift/Ctrl/Alt).
struct ShiftState {
    bool shift = false;
    bool alt = false;
    bool ctrl = false;
};

inline uint8_t HotkeyKey(uint16_t word) { return static_cast<uint8_t>(word & 0xFF); }
ShiftState HotkeyShiftState(uint16_t word);

// Number of entries of the key table and its entry i (code and name); a code
// that appears twice is named by its first entry.
constexpr int KeyTableSize = 54;
uint8_t KeyTableCode(int i);
const wchar_t* KeyTableName(int i);
// The name of a key code from the key table, or nullptr.
const wchar_t* KeyName(unsigned code);

// "CTRL + SHIFT + F1" and the like.
std::wstring HotkeyToText(uint16_t word);
// Keys accepted in a hotkey field: digits, letters and every key of the table.
bool IsHotkeyKey(uint16_t code);
// RegisterHotKey modifier flags.
UINT ShiftToModifiers(ShiftState s);

// One line of the failure report: "Hotkey: <text>\t Function: <function>\r".
std::wstring HotkeyFailureLine(uint16_t word, const std::wstring& function);

// Registration on `window`. Each returns the failure lines of the hotkeys
// that could not be registered (empty when all were).
std::wstring RegisterFixedHotkeys(HWND window);
std::wstring RegisterCaptureHotkeys(HWND window);  // needs RegisterFixedHotkeys first
// The Repeat and Timer hotkeys anew with the words of the live settings (they
// stay registered whatever HotkeysOn says).
std::wstring RegisterRepeatAndTimerHotkeys(HWND window);
void UnregisterCaptureHotkeys(HWND window);
void ReleaseHotkeyAtoms(HWND window);

// The whole start-up step: fixed hotkeys, the capture hotkeys if HotkeysOn,
// and one error box listing every failure.
void RegisterStartupHotkeys(HWND window);
