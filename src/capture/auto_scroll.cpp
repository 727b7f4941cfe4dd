#include "capture/auto_scroll.h"

#include <string>

#include "base/errors.h"
#include "base/foreground.h"
#include "capture/autoscroll_texts.h"
#include "capture/capture_finished.h"
#include "base/globals.h"
#include "base/hotkeys.h"
#include "base/tray_calls.h"
#include "base/notice.h"
#include "capture/scroll_stitch.h"
#include "capture/size_label.h"
#include "capture/window_engine.h"
#include "capture/window_stitching.h"
#include "hook/hovrak.h"
#include "ui/text_format.h"

namespace {

std::wstring TooBigText(int width, int height) {
    return ui::FormatText(txt::BitmapTooBig,
                          {{L"<WIDTH>", std::to_wstring(width)}, {L"<HEIGHT>", std::to_wstring(height)}});
}

std::wstring CutText(int rows) { return ui::FormatText(txt::ImageCutAtRows, {{L"<ROWS>", std::to_wstring(rows)}}); }

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

    // A child window (a document pane) comes forward with its top-level
    // window; where its own device context cannot be read it is read from
    // the screen, so nothing may cover it.
    const HWND root = GetAncestor(window, GA_ROOT);
    const HWND top = root ? root : window;
    BringWindowToFront(top);
    SetForegroundWindow(top);
    SetActiveWindow(top);
    BringWindowToTop(window);

    WindowScrollTarget target(window, area);
    if (!target.Ready()) return scroll::CannotScroll;
    // The size of the growing image while ShowSize is set, gone with the run.
    // It must never come into the image: where it would lie over the area
    // read, it is not shown.
    SizeLabelWindow label;
    const RECT read = target.ScreenArea(), labelRect = GetSizeLabelRect();
    RECT overlap{};
    if (Config.ShowSize && !IntersectRect(&overlap, &read, &labelRect))
        target.progress = [&label](int width, int rows) { label.Show(width, rows); };
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
    scroll::Outcome outcome;
    AutoScrollOptions options;
    options.outcome = &outcome;
    const int code = AutoScrollCapture(window, CaptureBitmap, options);
    // Esc stopped the run while it scrolled; from here on it belongs to the
    // save prompt and the message boxes again.
    UnregisterHotKey(MainWindow, EscAtom);
    switch (code) {
        case scroll::Finished:
        case scroll::StoppedByTray:
        case scroll::NothingScrolled:
            // A document longer than the tallest image (or than the memory
            // leaves room for): what was taken is delivered, and the user
            // knows where it ends.
            if (outcome.capped) ShowError(CutText(CaptureBitmap.Height()));
            CaptureFinished(Completion::AtOnce);
            break;
        case scroll::StoppedByEsc: NotifyCancelled(); break;
        default:
            ShowError(txt::CannotScrollWindow);
            NotifyCancelled();
            break;
    }

    AutoScrollRunning = false;
    SetTrayTip(txt::AutoScrollDoneTip);
    SetTrayMenuAttached(true);
    HookStatus(1);
}
