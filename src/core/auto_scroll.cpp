#include "core/auto_scroll.h"

#include <string>

#include "core/autoscroll_texts.h"
#include "core/completion.h"
#include "core/globals.h"
#include "core/hotkeys.h"
#include "core/main_window.h"
#include "core/notice.h"
#include "core/scroll_stitch.h"
#include "core/size_label.h"
#include "core/window_engine.h"
#include "core/window_stitching.h"
#include "core/work.h"
#include "hook/hovrak.h"
#include "ui/gdi.h"

namespace {

std::wstring TooBigText(int width, int height) {
    return txt::BitmapTooBig + std::to_wstring(width) + L"x" + std::to_wstring(height) + L"\r" +
           txt::BitmapTooBigReport;
}

void SetTrayTip(const wchar_t* tip) {
    if (uMainForm) uMainForm->trayIcon.SetToolTip(tip);
}

// The size of the growing image on the screen while ShowSize is set; erased
// at the end of the run.
class SizeLabel {
public:
    SizeLabel() = default;
    ~SizeLabel() {
        if (!dc_) return;
        RECT r = GetSizeLabelRect();
        InflateRect(&r, 1, 1);
        const HWND desktop = GetDesktopWindow();
        RedrawWindow(desktop, &r, nullptr, RDW_ALLCHILDREN | RDW_ERASE | RDW_INVALIDATE);
        UpdateWindow(desktop);
    }
    SizeLabel(const SizeLabel&) = delete;
    SizeLabel& operator=(const SizeLabel&) = delete;
    void Show(int width, int rows) {
        if (!dc_) dc_ = ui::CreateDisplayDc();
        if (dc_) DrawSizeLabel(width, rows, dc_.get());
    }

private:
    ui::DcHandle dc_;
};

// AutoScrollRunning from the start of a run to its end, whichever way out.
class RunningFlag {
public:
    RunningFlag() {
        AutoScrollRunning = true;
        AutoScrollStop = 0;
    }
    ~RunningFlag() { AutoScrollRunning = false; }
    RunningFlag(const RunningFlag&) = delete;
    RunningFlag& operator=(const RunningFlag&) = delete;
};

int Capture(HWND window, ui::Bitmap& bitmap, const AutoScrollOptions& options) {
    if (!IsWindow(window) || !CanScroll(window, 1)) return scroll::CannotScroll;
    // A client area of three pixels or less leaves nothing inside its border.
    const RECT area = ScrollAreaOf(window);
    if (area.right - area.left <= 0 || area.bottom - area.top <= 0) return scroll::CannotScroll;

    BringWindowToFront(window);
    SetForegroundWindow(window);
    SetActiveWindow(window);
    BringWindowToTop(window);

    WindowScrollTarget target(window, area);
    if (!target.Ready()) return scroll::CannotScroll;
    SizeLabel label;
    if (Config.ShowSize) target.progress = [&label](int width, int rows) { label.Show(width, rows); };
    target.stepWait = options.stepWait;
    target.answerTimeout = options.answerTimeout;
    GrowingRowStore store(target.Width(), options.maxRows);
    const scroll::Outcome outcome = scroll::Stitch(target, store);
    if (options.outcome) *options.outcome = outcome;
    int code = outcome.code;
    if (code == scroll::TooBig) {
        ShowError(TooBigText(target.Width(), target.Height()));
    } else if (code == scroll::Finished || code == scroll::StoppedByTray || code == scroll::NothingScrolled) {
        const int rows = store.Rows();
        if (!store.MakeBitmap(bitmap)) {
            ShowError(TooBigText(target.Width(), rows));
            code = scroll::TooBig;
        }
    }
    return code;
}

}  // namespace

bool CanScroll(HWND window, int direction) {
    RECT w{}, c{};
    if (!GetWindowRect(window, &w) || !GetClientRect(window, &c)) return false;
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&c), 2);
    const bool room = direction == 1 ? w.right - c.right >= GetSystemMetrics(SM_CXVSCROLL)
                                     : w.bottom - c.bottom >= GetSystemMetrics(SM_CYHSCROLL);
    return room || IsScrollableClass(window);
}

int AutoScrollCapture(HWND window, ui::Bitmap& bitmap, const AutoScrollOptions& options) {
    if (AutoScrollRunning) return scroll::AlreadyRunning;
    RunningFlag running;
    try {
        return Capture(window, bitmap, options);
    } catch (...) {
        // Whatever the system could not provide: no image.
        return scroll::TooBig;
    }
}

bool StartAutoScroll(HWND window) {
    if (!window || !CanScroll(window, 1)) return false;
    StartAutoScrollTimer();
    return AutoScrollTimer != 0;
}

void StartAutoScrollTimer() {
    if (AutoScrollTimer == 0) AutoScrollTimer = SetTimer(nullptr, 0, 50, AutoScrollTimerProc);
}

void CALLBACK AutoScrollTimerProc(HWND, UINT, UINT_PTR id, DWORD) {
    // One shot: a late second call finds the timer gone.
    if (!KillTimer(nullptr, id) || id != AutoScrollTimer) return;
    AutoScrollTimer = 0;
    // A run already going on keeps its own hook pause, tray menu and Esc.
    if (AutoScrollRunning) {
        ShowError(txt::CannotScrollWindow);
        NotifyCancelled();
        return;
    }
    HookStatus(0);
    SetTrayMenuAttached(false);
    SetTrayTip(txt::AutoScrollTip);

    POINT cursor{};
    GetCursorPos(&cursor);
    const HWND window = WindowFromPoint(cursor);
    HighlightedWindow = window;
    const int code = AutoScrollCapture(window, CaptureBitmap);
    switch (code) {
        case scroll::Finished:
        case scroll::StoppedByTray:
        case scroll::NothingScrolled:
            FinishCapture();
            break;
        case scroll::StoppedByEsc: NotifyCancelled(); break;
        default:
            ShowError(txt::CannotScrollWindow);
            NotifyCancelled();
            break;
    }

    AutoScrollRunning = false;
    UnregisterHotKey(MainWindow, EscAtom);
    SetTrayTip(txt::AutoScrollDoneTip);
    SetTrayMenuAttached(true);
    HookStatus(1);
}
