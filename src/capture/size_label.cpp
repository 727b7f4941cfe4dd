#include "capture/size_label.h"

#include <string>

#include "capture/freeze_window.h"
#include "base/globals.h"
#include "ui/gdi.h"

namespace {

constexpr COLORREF LabelFrame = 0x000000;       // black
constexpr COLORREF LabelBackground = 0x00FFFF;  // yellow
constexpr COLORREF LabelText = 0xFF0000;        // blue

RECT MainWindowRect() {
    RECT r{};
    if (MainWindow) GetWindowRect(MainWindow, &r);
    return r;
}

ui::FontHandle LabelFont(HDC dc) {
    // 7 points at the device's resolution.
    return ui::CreateFontByName(L"Verdana", -MulDiv(7, GetDeviceCaps(dc, LOGPIXELSY), 72));
}

}  // namespace

RECT GetSizeLabelRect() {
    const RECT m = MainWindowRect();
    const int sw = GetSystemMetrics(SM_CXSCREEN);
    const int w = m.right - m.left, h = m.bottom - m.top;
    return RECT{sw - w - 5, m.top, sw - 5, m.top + h};
}

void DrawSizeLabel(int width, int height, HDC dc) {
    if (!dc) return;
    const std::wstring text = std::to_wstring(width) + L"x" + std::to_wstring(height);
    const RECT r = GetSizeLabelRect();
    ui::PenHandle pen(CreatePen(PS_SOLID, 1, LabelFrame));
    ui::BrushHandle brush(CreateSolidBrush(LabelBackground));
    ui::FontHandle font = LabelFont(dc);
    ui::Selection penSel(dc, pen), brushSel(dc, brush), fontSel(dc, font);
    Rectangle(dc, r.left, r.top, r.right, r.bottom);
    SIZE extent{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    const COLORREF oldText = SetTextColor(dc, LabelText);
    const COLORREF oldBack = SetBkColor(dc, LabelBackground);
    const int oldMode = SetBkMode(dc, OPAQUE);
    TextOutW(dc, r.left + ((r.right - r.left) - extent.cx) / 2, r.top + 1, text.c_str(), static_cast<int>(text.size()));
    SetBkMode(dc, oldMode);
    SetBkColor(dc, oldBack);
    SetTextColor(dc, oldText);
}

void DrawSizeLabelOnFreezeWindow(int width, int height) {
    if (!uFreezeForm || !uFreezeForm->Handle()) return;
    ui::WindowDc dc(uFreezeForm->Handle());
    DrawSizeLabel(width, height, dc);
}

void SizeLabelWindow::Show(int width, int height) {
    width_ = width;
    height_ = height;
    const RECT r = GetSizeLabelRect();
    if (!Handle()) {
        if (!Create(L"TuSizeLabel", L"", WS_POPUP, WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, r.left, r.top,
                    r.right - r.left, r.bottom - r.top))
            return;
        SetWindowPos(Handle(), HWND_TOPMOST, r.left, r.top, r.right - r.left, r.bottom - r.top,
                     SWP_NOACTIVATE | SWP_SHOWWINDOW);
    }
    InvalidateRect(Handle(), nullptr, FALSE);
    UpdateWindow(Handle());
}

LRESULT SizeLabelWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT ps;
            const HDC dc = BeginPaint(Handle(), &ps);
            // The label is drawn in screen coordinates.
            RECT w{};
            GetWindowRect(Handle(), &w);
            SetViewportOrgEx(dc, -w.left, -w.top, nullptr);
            DrawSizeLabel(width_, height_, dc);
            EndPaint(Handle(), &ps);
            return 0;
        }
        case WM_ERASEBKGND: return 1;
        case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
        default: return Default(message, wParam, lParam);
    }
}
