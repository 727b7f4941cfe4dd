#include "capture/timer_capture.h"

#include <algorithm>
#include <cstring>

#include "capture/capture_finished.h"
#include "capture/cursor_drawing.h"
#include "capture/freehand_engine.h"
#include "base/globals.h"
#include "base/options_calls.h"
#include "base/tray_calls.h"
#include "base/notice.h"
#include "capture/rect_engine.h"
#include "base/texts.h"
#include "capture/timer_texts.h"
#include "capture/window_engine.h"
#include "hook/hovrak.h"
#include "ui/gdi.h"
#include "ui/window.h"

bool TimerRecapturing = false;
UINT_PTR PeriodTimer = 0;
ui::Bitmap PreviousCapture;

namespace {

void SetTrayForTimer(bool running) {
    SetTrayMenuAttached(!running);
    SetTrayTip(running ? txt::TrayTipTimerOn : txt::TrayTip);
}

// Delivers CaptureBitmap unless it equals the last delivered one. The
// reference is kept as captured: finishing (edge effect, stamps) changes the
// bitmap in place, and a finished reference would never equal the next
// unfinished capture.
void DeliverIfChanged() {
    if (SameBitmap(PreviousCapture, CaptureBitmap)) return;
    if (TimerRunning) PreviousCapture = CaptureBitmap;
    CaptureFinished(Completion::AtOnce);
}

RECT OnScreen(RECT r) {
    const RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    RECT clipped{};
    IntersectRect(&clipped, &r, &screen);
    return clipped;
}

// Copies area of dc into CaptureBitmap with the cursor when asked. False
// when there is nothing to copy.
bool TakeArea(HDC dc, const RECT& area) {
    const int width = area.right - area.left, height = area.bottom - area.top;
    if (width <= 0 || height <= 0) return false;
    CopyScreenToBitmap(area.left, area.top, width, height, dc);
    if (CaptureBitmap.Width() != width || CaptureBitmap.Height() != height) return false;
    if (Config.CaptureCursor) DrawCursorInRect(CaptureBitmap.Canvas(), area);
    return true;
}

}  // namespace

UINT TimerPeriodMs() {
    const UINT period = std::clamp<UINT>(Config.TimerPeriod, 1, 60);
    return Config.TimerUnit >= 1 ? period * 60000u : period * 1000u;
}

void ArmTimerCapture() {
    if (TimerArmed) return;
    TimerArmed = true;
    HookStartRecording();
}

void StartTimerCapture() {
    if (!TimerArmed) return;
    TimerArmed = false;
    HookStatus(0);
    SetTrayForTimer(true);
    NotifyTimerOn();
    // The first capture, not yet finished, is the reference of the first
    // tick.
    PreviousCapture = CaptureBitmap;
    TimerRunning = true;
    TimerRecapturing = false;
    if (!PeriodTimer) PeriodTimer = SetTimer(nullptr, 0, TimerPeriodMs(), RepeatTimerProc);
}

void StopTimerCapture() {
    TimerRunning = false;
    if (TimerRecapturing) return;  // the running recapture stops it when done
    if (PeriodTimer) KillTimer(nullptr, PeriodTimer);
    PeriodTimer = 0;
    PreviousCapture = ui::Bitmap();
    SetTrayForTimer(false);
    NotifyTimerOff();
    HideNotice();
    HookStatus(1);
}

void (*StopTimerCaptureProc)() = StopTimerCapture;

void CALLBACK RepeatTimerProc(HWND, UINT, UINT_PTR, DWORD) {
    if (TimerRunning && !TimerRecapturing && !DeliveryBusy) TimerRecapture();
    ui::ProcessMessages();
}

void TimerRecapture() {
    TimerRecapturing = true;
    {
        ui::DcHandle dc = ui::CreateDisplayDc();
        // In the screen's format like the first capture (finishing may have
        // left CaptureBitmap in another one).
        CaptureBitmap = ui::Bitmap(0, 0, ui::PixelFormat::Device);
        switch (Config.CaptureType) {
            case ctFreeHand:
                // The cut-out draws the cursor itself, inside the shape only.
                if (CutFreeHandShape(dc)) DeliverIfChanged();
                break;
            case ctRectangle:
                if (TakeArea(dc, SelectionRect)) DeliverIfChanged();
                break;
            case ctWindow: {
                const HWND w = HighlightedWindow;
                RECT r{};
                if (!w || !IsWindowVisible(w)) {
                    TimerRunning = false;  // the followed window is gone
                } else if (!IsIconic(w) && GetWindowRect(w, &r)) {
                    // Clipped to the screen as the first capture was.
                    if (TakeArea(dc, OnScreen(r))) DeliverIfChanged();
                }
                break;
            }
            default: break;
        }
    }
    TimerRecapturing = false;
    if (!TimerRunning) StopTimerCapture();
}

bool SameBitmap(const ui::Bitmap& a, const ui::Bitmap& b) {
    if (!Config.TimerSkipIdentical) return false;
    if (a.Width() != b.Width() || a.Height() != b.Height() || a.Bits() != b.Bits() || a.Empty()) return false;
    if (a.Bits() <= 8) {
        const auto ca = a.ColorTable(), cb = b.ColorTable();
        if (ca.size() != cb.size() || std::memcmp(ca.data(), cb.data(), ca.size() * sizeof(RGBQUAD)) != 0) return false;
    }
    // The pixels row by row, without the padding at the rows' ends.
    const size_t rowBytes = (size_t(a.Width()) * size_t(a.Bits()) + 7) / 8;
    const uint8_t* rowA = a.ScanLine(0);
    const uint8_t* rowB = b.ScanLine(0);
    const ptrdiff_t strideA = a.Height() > 1 ? a.ScanLine(1) - rowA : 0;
    const ptrdiff_t strideB = b.Height() > 1 ? b.ScanLine(1) - rowB : 0;
    for (int y = 0; y < a.Height(); ++y, rowA += strideA, rowB += strideB) {
        if (a.Bits() != 32) {
            if (std::memcmp(rowA, rowB, rowBytes) != 0) return false;
            continue;
        }
        // The fourth byte of a 32-bit pixel holds no colour, and copies from
        // the screen and from a screen-compatible bitmap fill it
        // differently.
        const auto* pa = reinterpret_cast<const uint32_t*>(rowA);
        const auto* pb = reinterpret_cast<const uint32_t*>(rowB);
        for (int x = 0; x < a.Width(); ++x)
            if ((pa[x] ^ pb[x]) & 0x00FFFFFFu) return false;
    }
    return true;
}
