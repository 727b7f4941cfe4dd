#include "ui/tray_icon.h"

#include <shellapi.h>

#include <cwchar>

namespace ui {

TrayIcon::TrayIcon() {
    Create(L"VorlixTrayIcon", L"", WS_POPUP, WS_EX_TOOLWINDOW, 0, 0, 0, 0);
}

TrayIcon::~TrayIcon() {
    if (active_) Remove();
    if (icon_) DestroyIcon(icon_);
}

void TrayIcon::Fill(NOTIFYICONDATAW& data) const {
    data = NOTIFYICONDATAW{};
    data.cbSize = NOTIFYICONDATAW_V1_SIZE;
    data.hWnd = Handle();
    data.uID = 0;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = CallbackMessage;
    data.hIcon = icon_;
    wcsncpy(data.szTip, tip_.c_str(), 63);
    data.szTip[63] = L'\0';
}

bool TrayIcon::Add() {
    NOTIFYICONDATAW data;
    Fill(data);
    const bool ok = Shell_NotifyIconW(NIM_ADD, &data) != FALSE;
    if (tip_.empty()) PostMessageW(Handle(), ReapplyTipMessage, 0, 0);
    return ok;
}

bool TrayIcon::Modify() {
    if (!active_) return true;
    NOTIFYICONDATAW data;
    Fill(data);
    return Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
}

void TrayIcon::Remove() {
    NOTIFYICONDATAW data;
    Fill(data);
    Shell_NotifyIconW(NIM_DELETE, &data);
}

void TrayIcon::SetActive(bool value) {
    if (value == active_) return;
    active_ = value;
    if (value) Add();
    else Remove();
}

void TrayIcon::SetIcon(HICON icon) {
    if (icon == icon_) return;
    if (icon_) DestroyIcon(icon_);
    icon_ = icon ? CopyIcon(icon) : nullptr;
    Modify();
}

void TrayIcon::SetToolTip(const std::wstring& text) {
    tip_ = text.substr(0, MaxTip);
    // The hidden window carries the tip as its title too, where tools and
    // tests can read it without a notification area.
    SetWindowTextW(Handle(), tip_.c_str());
    Modify();
}

void TrayIcon::RightClick() {
    POINT p{};
    GetCursorPos(&p);
    if (popupMenu) {
        // The owner must be the foreground window, or the menu does not close
        // when the user clicks elsewhere.
        SetForegroundWindow(menuOwner);
        ProcessMessages();
        TrackPopupMenu(popupMenu, TPM_RIGHTBUTTON, p.x, p.y, 0, menuOwner, nullptr);
        PostMessageW(menuOwner, WM_NULL, 0, 0);
    }
    if (OnRightClick) OnRightClick(p.x, p.y);
}

LRESULT TrayIcon::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == ReapplyTipMessage) {
        SetToolTip(tip_);
        return 0;
    }
    if (message == WM_CLOSE || (message == WM_ENDSESSION && wParam)) {
        if (OnEnd) OnEnd();
        return 0;
    }
    if (message == CallbackMessage) {
        switch (static_cast<UINT>(lParam)) {
            case WM_LBUTTONUP: if (OnClick) OnClick(); break;
            case WM_LBUTTONDBLCLK: if (OnDblClick) OnDblClick(); break;
            case WM_RBUTTONUP: RightClick(); break;
            default: break;
        }
        return 0;
    }
    return Default(message, wParam, lParam);
}

}  // namespace ui
