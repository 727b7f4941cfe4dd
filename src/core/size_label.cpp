#include "core/size_label.h"

#include <string>

#include "core/freeze_window.h"
#include "core/globals.h"
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
