// The hotkey entry fields: an edit that takes no characters; a key pressed
// in it (with Shift, Ctrl and Alt as held) becomes the hotkey at once, is
// stored in its settings field and registered again on the main window.
// Alt+letter and F10 are the field's (no mnemonic, no menu); the dialog's
// own keys keep their meaning (Enter and Esc close, Tab moves on; Space and
// Backspace alone are no hotkey); a hotkey of the program pressed while the
// field has the focus is typed into it (TypeIntoHotkeyField).
#pragma once

#include <windows.h>

#include <cstdint>

#include "base/configuration.h"
#include "options/options_page.h"

struct HotkeyField {
    enum class Guard {
        Capture,  // Free Hand, Rectangle, Window: only while HotkeysOn
        Repeat,   // always registered
        Timer,    // always registered, and also while the dialog loads
    };
    uint16_t TConfiguration::*field;
    ATOM* atom;
    const wchar_t* function;  // its name in the failure message
    Guard guard;
};

extern const HotkeyField FreeHandHotkey, RectangleHotkey, WindowHotkey, RepeatHotkey, TimerHotkey;

// Makes `edit` a hotkey field for `hotkey`.
void AttachHotkeyEdit(HWND edit, const HotkeyField& hotkey);
// Shows the stored hotkey, caret at the end, nothing selected.
void ShowHotkey(HWND edit, const HotkeyField& hotkey);
// The font colour of the field: grey for a capture hotkey while HotkeysOn is 0.
COLORREF HotkeyColor(const HotkeyField& hotkey);
// The main window's WM_HOTKEY (hotkey id, modifier flags, key): when a
// hotkey field has the focus, the combination is typed into it and true is
// returned, so that the hotkey does not run (two hotkeys can be swapped, a
// key the program holds can be given to another function).
bool TypeIntoHotkeyField(int id, UINT modifiers, UINT key);

// A page with one hotkey field.
class HotkeyPage : public OptionsPage {
protected:
    HotkeyPage(int editId, const HotkeyField& hotkey) : editId_(editId), hotkey_(hotkey) {}
    void Init() override { AttachHotkeyEdit(Item(editId_), hotkey_); }
    void Load() override {
        OptionsPage::Load();
        ShowHotkey(Item(editId_), hotkey_);
    }
    bool TextColor(int id, COLORREF& color) const override {
        if (id != editId_) return false;
        color = HotkeyColor(hotkey_);
        return true;
    }
    // Enter keeps its meaning in the field: it closes the dialog.
    bool EnterCloses(int id) const override { return id == editId_; }

private:
    int editId_;
    const HotkeyField& hotkey_;
};
