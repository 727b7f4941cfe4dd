// One page of the options dialog: a child dialog made from its own template,
// with its load (fill the controls from the live settings) and its handlers
// (write the live settings at once).
//
// Simple controls are bound by a table (Bindings): a check box to a flag, a
// group of radio buttons to a value, a combo box's index to a field, an edit
// to a text field. The base class loads them and writes their fields when
// they change; a page hand-writes the rest in Load, Command and Message.
#pragma once

#include <windows.h>

#include <cstdint>
#include <span>
#include <string>

#include "base/configuration.h"

// A byte or word field of the settings record.
struct IntField {
    uint8_t TConfiguration::*byte = nullptr;
    uint16_t TConfiguration::*word = nullptr;
    constexpr IntField(uint8_t TConfiguration::*f) : byte(f) {}
    constexpr IntField(uint16_t TConfiguration::*f) : word(f) {}
    int Get(const TConfiguration& c) const { return byte ? c.*byte : c.*word; }
    void Set(TConfiguration& c, int v) const {
        if (byte) c.*byte = static_cast<uint8_t>(v);
        else c.*word = static_cast<uint16_t>(v);
    }
};

struct Binding {
    enum class Kind { Check, RadioGroup, ComboIndex, Text };
    Kind kind;
    IntField field{&TConfiguration::HotkeysOn};
    // Check: the control. RadioGroup: the first of `count` consecutive radio
    // ids, standing for the values first..first+count-1. ComboIndex: the
    // combo, whose index i stands for the value first + i.
    int id = 0;
    int count = 0;
    int first = 0;
    // RadioGroup: a stored value outside the group checks no button (else
    // the nearest button is checked).
    bool noneForOthers = false;
    // Text: the field and the characters the edit refuses (null: none).
    ShortString<250> TConfiguration::*text = nullptr;
    const wchar_t* refused = nullptr;
    // Called after the field was written.
    void (*after)() = nullptr;
};

constexpr Binding CheckBinding(int id, uint8_t TConfiguration::*f, void (*after)() = nullptr) {
    Binding b{Binding::Kind::Check};
    b.field = f;
    b.id = id;
    b.after = after;
    return b;
}
constexpr Binding RadioBinding(int firstId, int count, IntField f, int firstValue, void (*after)() = nullptr,
                               bool noneForOthers = false) {
    Binding b{Binding::Kind::RadioGroup};
    b.field = f;
    b.id = firstId;
    b.count = count;
    b.first = firstValue;
    b.after = after;
    b.noneForOthers = noneForOthers;
    return b;
}
constexpr Binding ComboBinding(int id, int count, IntField f, int valueOfFirst, void (*after)() = nullptr) {
    Binding b{Binding::Kind::ComboIndex};
    b.field = f;
    b.id = id;
    b.count = count;
    b.first = valueOfFirst;
    b.after = after;
    return b;
}
constexpr Binding TextBinding(int id, ShortString<250> TConfiguration::*f, const wchar_t* refused = nullptr) {
    Binding b{Binding::Kind::Text};
    b.id = id;
    b.text = f;
    b.refused = refused;
    return b;
}

class OptionsPage {
public:
    OptionsPage() = default;
    OptionsPage(const OptionsPage&) = delete;
    OptionsPage& operator=(const OptionsPage&) = delete;
    virtual ~OptionsPage();

    // Creates the page as a hidden child of the frame from its template and
    // gives its controls their texts. The frame makes a page when it is
    // first shown; until then the page has no window (Handle() is null).
    bool Create(HWND frame, int templateId);
    HWND Handle() const { return hwnd_; }
    HWND Item(int id) const { return GetDlgItem(hwnd_, id); }

    // The steps of a load that work on the settings themselves: checks that
    // may correct the record or tell the user about it. They run at every
    // load, whether or not the page has its window yet (OptionsLoading is
    // set).
    virtual void CheckSettings() {}
    // Fills the controls from the live settings (OptionsLoading is set):
    // at every load once the page has its window, and when it is made.
    virtual void Load();
    // The page is about to be shown.
    virtual void Shown() {}
    // Enter was pressed while `focus` had the focus: true when the page
    // handled it, so that the dialog does not close.
    virtual bool EnterPressed(HWND) { return false; }
    // Esc was pressed: true when the page handled it (the dialog stays).
    virtual bool EscapePressed(HWND) { return false; }
    // Edits on which Enter closes the dialog.
    virtual bool EnterCloses(int) const { return false; }

protected:
    virtual std::span<const Binding> Bindings() const { return {}; }
    // WM_INITDIALOG: combo items, limits, subclassing.
    virtual void Init() {}
    // WM_COMMAND from a control (after the bindings saw it).
    virtual void Command(int, int) {}
    // Any other message; return true when handled (result in `result`).
    virtual bool Message(UINT, WPARAM, LPARAM, INT_PTR&) { return false; }
    // The font colour of an edit or label (false: the default colour).
    virtual bool TextColor(int, COLORREF&) const { return false; }
    // The colours of an edit or label drawn wholly by the page: sets the
    // device context's colours and returns the background brush (null: the
    // default drawing, with TextColor).
    virtual HBRUSH ControlBrush(int, HDC) { return nullptr; }

    // Helpers for the pages.
    bool Checked(int id) const { return IsDlgButtonChecked(hwnd_, id) == BST_CHECKED; }
    void SetChecked(int id, bool on) { CheckDlgButton(hwnd_, id, on ? BST_CHECKED : BST_UNCHECKED); }
    std::wstring Text(int id) const;
    void SetText(int id, const std::wstring& text);
    void AddComboItems(int id, std::span<const wchar_t* const> items);
    int ComboIndex(int id) const;
    void SetComboIndex(int id, int index);

    HWND hwnd_ = nullptr;

private:
    static INT_PTR CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void LoadBinding(const Binding& b);
    void BindingCommand(const Binding& b, int id, int code);
};

// The text with every character of `refused` taken out.
std::wstring WithoutChars(const std::wstring& text, const wchar_t* refused);

// Gives every child of `window` whose id has a text in the language's table
// that text.
void ApplyControlTexts(HWND window);

// Stores text into a record field: cut after the last whole character that
// fits. A character that the code page cannot hold is refused with a message
// (the dialog is disabled while it is up) and false; the field is unchanged.
bool StoreText(ShortString<250>& field, const std::wstring& text);
bool StoreText(ShortString<255>& field, const std::wstring& text);

// While a message box or another modal window of the program is up over the
// dialog: the dialog is disabled, so that neither its Close button nor
// anything else of it runs under the waiting handler. When the outermost
// such window is gone, the dialog is active again and the control that had
// the focus has it again, so that the keys the user types go on reaching
// it; unless another program's window (one the dialog started) came to the
// front meanwhile.
class OptionsBoxScope {
public:
    OptionsBoxScope();
    ~OptionsBoxScope();
    OptionsBoxScope(const OptionsBoxScope&) = delete;
    OptionsBoxScope& operator=(const OptionsBoxScope&) = delete;

private:
    HWND dialog_;
    HWND focus_;
    bool disabled_;
    bool outermost_;
};

// ShowError for the options dialog, under an OptionsBoxScope.
void OptionsError(const std::wstring& text);

// An edit shows `text`, all of it selected, and has the focus: after a
// refused value the user corrects it at once.
void ShowRefused(HWND edit, const std::wstring& text);

// Screen pixels for a length given at 96 dots per inch.
int ScaleForDpi(int pixels);
