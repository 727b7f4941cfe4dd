#include "capture/freeze_window.h"

#include "base/foreground.h"
#include "capture/gesture_dispatch.h"
#include "base/globals.h"
#include "freeze/stelmon.h"

TuFreezeForm* uFreezeForm = nullptr;
ATOM AltTabAtom = 0, AltEscapeAtom = 0;


bool TuFreezeForm::CreateForm() {
    // The crosshair is the window's class cursor: it shows wherever the
    // frozen screen is, whatever the system cursor is.
    if (!Create(L"TuFreezeForm", L"", WS_POPUP, WS_EX_TOPMOST | WS_EX_TOOLWINDOW, 0, 0, 0, 0, ApplicationWindow,
                LoadCursorW(nullptr, IDC_CROSS)))
        return false;
    FreezeWindow = Handle();
    font_ = ui::CreateFontByName(L"Tahoma", -11);  // Tahoma 8 pt
    ShowWindow(Handle(), SW_SHOWNA);
    return true;
}

TuFreezeForm::~TuFreezeForm() {
    if (FreezeWindow == Handle()) FreezeWindow = nullptr;
}

void TuFreezeForm::TakeSnapshot() {
    const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    ui::Bitmap shot(w, h, ui::PixelFormat::Device);
    ui::DcHandle screen = ui::CreateDisplayDc();
    if (shot.Empty() || !screen) {
        snapshot_ = ui::Bitmap();
        return;
    }
    BitBlt(shot.Canvas(), 0, 0, w, h, screen, 0, 0, SRCCOPY);
    snapshot_ = std::move(shot);
}

void TuFreezeForm::DropSnapshot() { snapshot_ = ui::Bitmap(); }

void TuFreezeForm::Paint() {
    // A window that paints nothing shows black (or stale) pixels on
    // composited desktops, so the window paints the screen as it was.
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(Handle(), &ps);
    if (!snapshot_.Empty()) {
        const RECT& r = ps.rcPaint;
        BitBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, snapshot_.Canvas(), r.left, r.top, SRCCOPY);
    }
    EndPaint(Handle(), &ps);
}

void TuFreezeForm::StayInFront() {
    SetWindowPos(Handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

LRESULT TuFreezeForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_ERASEBKGND: return 1;
        case WM_PAINT: Paint(); return 0;
        case WM_CLOSE:
            // Cannot be closed while a selection runs; otherwise being asked
            // to close is being asked to end the program, like every
            // resident window of it.
            if (!SelectionRunning() && MainWindow) PostMessageW(MainWindow, WM_CLOSE, 0, 0);
            return 0;
        case WM_ENDSESSION:
            if (MainWindow) SendMessageW(MainWindow, message, wParam, lParam);
            return 0;
        case WM_ACTIVATE:
            if (LOWORD(wParam) == WA_INACTIVE && SelectionRunning()) StayInFront();
            break;
        case WM_ACTIVATEAPP:
            if (!wParam && SelectionRunning()) StayInFront();
            break;
        case WM_KEYDOWN:
            // On the NT family Esc arrives as the main window's hotkey.
            if (wParam == VK_ESCAPE && !IsNTPlatform()) {
                EndCaptureByEsc();
                return 0;
            }
            break;
        default: break;
    }
    return Default(message, wParam, lParam);
}

void FreezeScreen() {
    if (Frozen || !uFreezeForm || !uFreezeForm->Handle()) return;
    const HWND w = uFreezeForm->Handle();
    LockWindowUpdate(GetDesktopWindow());
    uFreezeForm->TakeSnapshot();
    if (IsNTPlatform()) {
        FreezeInstall();
        AltTabAtom = GlobalAddAtomW(L"Alt Tab");
        AltEscapeAtom = GlobalAddAtomW(L"Alt Escape");
        // No WM_HOTKEY handler: both combinations are swallowed.
        RegisterHotKey(w, AltTabAtom, MOD_ALT, VK_TAB);
        RegisterHotKey(w, AltEscapeAtom, MOD_ALT, VK_ESCAPE);
    } else {
        UINT scratch = 0;
        SystemParametersInfoW(SPI_SETSCREENSAVERRUNNING, 1, &scratch, 0);
    }
    // Covered only now, so that the freeze library's own copy of the screen
    // is taken of the screen and not of this window.
    SetWindowPos(w, HWND_TOPMOST, 0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                 SWP_NOACTIVATE | SWP_SHOWWINDOW);
    // The keys go to the freeze window while the selection runs; the user's
    // window gets them back when it ends.
    NoteUserWindow();
    BringWindowToFront(w);
    LockWindowUpdate(nullptr);
    // Painted now, so that whoever copies the screen next sees the frozen
    // picture and not an unpainted window.
    UpdateWindow(w);
    Frozen = true;
}

void UnfreezeScreen() {
    if (!Frozen) return;
    Frozen = false;
    if (!uFreezeForm || !uFreezeForm->Handle()) return;
    const HWND w = uFreezeForm->Handle();
    LockWindowUpdate(GetDesktopWindow());
    SetWindowPos(w, nullptr, 0, 0, 0, 0, SWP_NOACTIVATE | SWP_NOZORDER);
    LockWindowUpdate(nullptr);
    if (IsNTPlatform()) {
        FreezeRemove();
        UnregisterHotKey(w, AltTabAtom);
        UnregisterHotKey(w, AltEscapeAtom);
        if (AltTabAtom) GlobalDeleteAtom(AltTabAtom);
        if (AltEscapeAtom) GlobalDeleteAtom(AltEscapeAtom);
        AltTabAtom = AltEscapeAtom = 0;
    } else {
        UINT scratch = 0;
        SystemParametersInfoW(SPI_SETSCREENSAVERRUNNING, 0, &scratch, 0);
    }
    uFreezeForm->DropSnapshot();
    GiveForegroundBack();
}
