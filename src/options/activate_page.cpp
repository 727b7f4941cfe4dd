// The Activate page: how a capture is started (hotkeys, holding the right
// mouse button, or both) and how long the button must be held.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>

#include "base/globals.h"
#include "base/hotkeys.h"
#include "base/texts.h"
#include "hook/hovrak.h"
#include "options/options_dialog.h"
#include "options/options_ids.h"
#include "ui/text_format.h"

namespace {

// The slider counts tens of milliseconds. It starts at 200 ms, the least
// hold time the settings allow: at 0 every right-button press would start a
// capture.
constexpr int kHoldMin = 20, kHoldMax = 100;

class ActivatePage : public OptionsPage {
protected:
    void Init() override {
        HWND slider = Item(IDC_TK_HOLD_TIME);
        SendMessageW(slider, TBM_SETRANGE, FALSE, MAKELPARAM(kHoldMin, kHoldMax));
        SendMessageW(slider, TBM_SETPAGESIZE, 0, 10);
        SendMessageW(slider, TBM_SETTICFREQ, 10, 0);
    }

    void Load() override {
        SetChecked(IDC_CK_HOTKEYS, Config.HotkeysOn != 0);
        SetChecked(IDC_CK_MOUSE_BUTTON, Config.MouseActivation != 0);
        const int position = std::clamp(Config.HoldTime * 100 / 1000, kHoldMin, kHoldMax);
        SendDlgItemMessageW(hwnd_, IDC_TK_HOLD_TIME, TBM_SETPOS, TRUE, position);
    }

    void Command(int id, int code) override {
        if (OptionsLoading || code != BN_CLICKED) return;
        if (id == IDC_CK_HOTKEYS) HotkeysClick();
        else if (id == IDC_CK_MOUSE_BUTTON) MouseButtonClick();
    }

    bool Message(UINT message, WPARAM, LPARAM lParam, INT_PTR&) override {
        if (message != WM_HSCROLL || reinterpret_cast<HWND>(lParam) != Item(IDC_TK_HOLD_TIME)) return false;
        if (OptionsLoading) return true;
        const int position = static_cast<int>(SendDlgItemMessageW(hwnd_, IDC_TK_HOLD_TIME, TBM_GETPOS, 0, 0));
        Config.HoldTime = static_cast<uint16_t>(position * 1000 / 100);
        HookHoldTime(Config.HoldTime);
        return true;
    }

private:
    // One of the two ways to start a capture always stays on: unchecking the
    // last one turns the other one back on.
    void HotkeysClick() {
        const bool box = Checked(IDC_CK_HOTKEYS);
        if (box != (Config.HotkeysOn != 0)) {
            Config.HotkeysOn = box ? 1 : 0;
            if (box) {
                const std::wstring failures = RegisterCaptureHotkeys(MainWindow);
                if (!failures.empty())
                    OptionsError(ui::FormatText(txt::HotkeysUnavailable, {{L"<HOTKEYS>", failures}}));
            } else {
                UnregisterCaptureHotkeys(MainWindow);
            }
        }
        if (!Checked(IDC_CK_HOTKEYS) && !Checked(IDC_CK_MOUSE_BUTTON)) {
            SetChecked(IDC_CK_MOUSE_BUTTON, true);
            MouseButtonClick();
        }
        ColorHotkeyEdits();
    }

    void MouseButtonClick() {
        const bool box = Checked(IDC_CK_MOUSE_BUTTON);
        if (box != (Config.MouseActivation != 0)) {
            Config.MouseActivation = box ? 1 : 0;
            HookActivateWithMouse(box);
        }
        if (!Checked(IDC_CK_HOTKEYS) && !Checked(IDC_CK_MOUSE_BUTTON)) {
            SetChecked(IDC_CK_HOTKEYS, true);
            HotkeysClick();
        }
    }

    static void ColorHotkeyEdits() {
        for (PageId p : {PageId::FreeHand, PageId::Rectangle, PageId::Window})
            if (OptionsPage* page = OptionsDialogPage(p)) InvalidateRect(page->Handle(), nullptr, TRUE);
    }
};

}  // namespace

std::unique_ptr<OptionsPage> MakeActivatePage() { return std::make_unique<ActivatePage>(); }
