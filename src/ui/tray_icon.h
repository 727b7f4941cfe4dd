// The notification-area icon: a hidden window of its own receives the shell's
// callback message (WM_USER+1); a left button release fires OnClick, a left
// double click OnDblClick, a right button release shows the popup menu and
// then fires OnRightClick.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <string>

#include "ui/window.h"

namespace ui {

class TrayIcon : private Window {
public:
    static constexpr UINT CallbackMessage = WM_USER + 1;
    static constexpr UINT ReapplyTipMessage = WM_USER + 2;
    static constexpr size_t MaxTip = 62;

    TrayIcon();
    ~TrayIcon() override;

    HWND WindowHandle() const { return Handle(); }

    bool Active() const { return active_; }
    void SetActive(bool value);
    void SetIcon(HICON icon);  // copied; the caller keeps its own
    const std::wstring& ToolTip() const { return tip_; }
    void SetToolTip(const std::wstring& text);

    // Shown on a right click; null shows nothing. Menu commands go as
    // WM_COMMAND to menuOwner.
    HMENU popupMenu = nullptr;
    HWND menuOwner = nullptr;

    std::function<void()> OnClick, OnDblClick;
    std::function<void(int x, int y)> OnRightClick;
    // The icon's window was asked to close or told that the session ends:
    // the program is meant to end (without a handler the window stays).
    std::function<void()> OnEnd;

private:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void Fill(NOTIFYICONDATAW& data) const;
    bool Add();
    bool Modify();
    void Remove();
    void RightClick();

    bool active_ = false;
    HICON icon_ = nullptr;
    std::wstring tip_;
};

}  // namespace ui
