#include "app/completion.h"

#include <deque>
#include <utility>

#include "app/hotkey_router.h"
#include "base/errors.h"
#include "base/foreground.h"
#include "base/globals.h"
#include "base/hotkeys.h"
#include "base/programs.h"
#include "capture/capture_finished.h"
#include "base/image_limit.h"
#include "app/main_window.h"
#include "base/texts.h"
#include "capture/timer_capture.h"
#include "base/files.h"
#include "delivery/destinations.h"
#include "delivery/edge_effect.h"
#include "delivery/icq_binding.h"
#include "delivery/mail_client.h"
#include "delivery/messenger_binding.h"
#include "delivery/printing.h"
#include "delivery/stamping.h"
#include "delivery/web_destination.h"
#include "hook/hovrak.h"

UINT_PTR CompletionTimer = 0;

namespace {

// Images that arrived while another one waited for its completion.
std::deque<ui::Bitmap> QueuedCaptures;

}  // namespace

void QueueCapture(const ui::Bitmap& image) {
    if (CompletionTimer == 0 && !CompletionRunning && !DeliveryBusy && QueuedCaptures.empty()) {
        CaptureBitmap = image;
        StartCompletion();
    } else {
        QueuedCaptures.push_back(image);
    }
}
TDestinations PendingDestinations = 0;

// destinations are called here in their fixed order: Clipboard, File,
// Editor, Zovozu, Mail, Web, IM, ICQ, Printer, Custom. Custom has none.
DestinationRoutine DestinationRoutines[DestinationCount] = {
    SendToClipboard,  // Clipboard
    SendToFile,       // File
    SendToEditor,     // Editor
    SendToZovozu,     // Zovozu
    SendToMail,       // Mail
    SendToWeb,        // Web
    SendToIM,         // IM
    SendToIcq,        // ICQ
    SendToPrinter,    // Printer
    nullptr,          // Custom
};

namespace {

// A hand-over that came while a completion was pending or running or a
// delivery ran; it is posted again once they are over. Its image waits in
// its file meanwhile (the sender writes the next one only when it is gone).
UINT DeferredHandOver = 0;

// What was held back while a completion or a delivery ran, once neither does:
// the next waiting image follows the same road, a held hand-over is asked
// for again, held hotkeys are carried out.
void RunHeldRequests() {
    if (DeliveryBusy || CompletionRunning) return;
    if (!QueuedCaptures.empty() && CompletionTimer == 0) {
        CaptureBitmap = std::move(QueuedCaptures.front());
        QueuedCaptures.pop_front();
        StartCompletion();
    }
    if (DeferredHandOver && MainWindow) PostMessageW(MainWindow, DeferredHandOver, 0, 0);
    DeferredHandOver = 0;
    RunHeldHotkeys();
}

// A delivery from start to end: the busy flag, and outside timer capture the
// hook paused and the tray menu taken away. Restored on every way out.
class DeliveryScope {
public:
    DeliveryScope() : paused_(!TimerRunning) {
        DeliveryBusy = true;
        if (paused_) {
            HookStatus(0);
            SetTrayMenuAttached(false);
        }
    }
    ~DeliveryScope() {
        if (paused_) {
            SetTrayMenuAttached(true);
            HookStatus(1);
        }
        // A prompt or a box of the delivery may have left the foreground
        // with one of the program's hidden windows.
        GiveForegroundBack();
        DeliveryBusy = false;
        RunHeldRequests();
    }
    DeliveryScope(const DeliveryScope&) = delete;
    DeliveryScope& operator=(const DeliveryScope&) = delete;

private:
    bool paused_;
};

// A completion from start to end; what it held back runs afterwards.
class CompletionScope {
public:
    CompletionScope() { CompletionRunning = true; }
    ~CompletionScope() {
        CompletionRunning = false;
        RunHeldRequests();
    }
    CompletionScope(const CompletionScope&) = delete;
    CompletionScope& operator=(const CompletionScope&) = delete;
};

bool RunDestination(DestinationRoutine routine) {
    try {
        return routine();
    } catch (...) {
        // A destination reports its own failures; whatever escapes it must
        // not keep the later ones from running.
        return false;
    }
}

}  // namespace

void StartCompletion() {
    if (CompletionTimer == 0) CompletionTimer = SetTimer(nullptr, 0, 5, CaptureCompleteTimerProc);
}

// How the engines hand their captures over.
void (*CaptureFinishedProc)(Completion how) = [](Completion how) {
    if (how == Completion::AtOnce) FinishCapture();
    else StartCompletion();
};

void CALLBACK CaptureCompleteTimerProc(HWND, UINT, UINT_PTR id, DWORD) {
    // One shot: a late second call finds nothing to do.
    KillTimer(nullptr, id);
    if (CompletionTimer == 0 || id != CompletionTimer) return;
    if (CompletionRunning || DeliveryBusy) {
        // Fired inside another completion or delivery (they let messages
        // run): this image's turn comes when that one is through.
        CompletionTimer = SetTimer(nullptr, 0, 5, CaptureCompleteTimerProc);
        return;
    }
    CompletionTimer = 0;
    // From here until the image is delivered nothing may replace the image
    // or the destinations read below: whatever arrives meanwhile (a
    // hand-over sent while a notice or a prompt lets messages run, the Timer
    // hotkey) is held until the end.
    CompletionScope scope;
    const TDestinations handOver = std::exchange(PendingDestinations, TDestinations{0});
    if (handOver != 0) {
        DeliverToDestinations(handOver);
    } else {
        // An armed timer capture starts here, with this capture as its
        // first (a handed-over image is no capture to repeat).
        if (TimerArmed) StartTimerCapture();
        FinishCapture();
    }
}

void FinishCapture() {
    const TDestinations set = DestinationsOf(Config);
    if (Config.EdgeOn)
        delivery::ApplyEdgeEffect(CaptureBitmap, Config.EdgeTorn != 0, Config.EdgeSides, Config.EdgeDepth,
                                  Config.EdgeOutline != 0, Config.EdgeOutlineColor, Config.EdgeShadow != 0,
                                  Config.EdgeShadowColor, Config.EdgeBackgroundColor);
    delivery::StampAnnotationAndWatermark(CaptureBitmap);
    DeliverToDestinations(set);
}

void DeliverToDestinations(TDestinations set) {
    if (DeliveryBusy) return;
    DeliveryScope scope;
    if (set == 0) {
        ShowError(txt::NoDestinationSelected);
        CallOpenOptionsDialog();
        return;
    }
    for (int d = 0; d < DestinationCount; ++d) {
        if (!(set & DestinationBit(static_cast<TDestination>(d)))) continue;
        const DestinationRoutine routine = DestinationRoutines[d];
        if (!routine) continue;
        if (d == dEditor) {
            // 1: the custom editor was replaced by Paint (an open options
            // dialog shows the new one); 2: there is no editor.
            const int editor = CheckGraphicEditor();
            if (editor == 1 && OptionsOpen) CallReloadOptionsDialog();
            if (editor == 2) continue;
        }
        // A destination reports its own outcome; the File destination also
        // keeps what it saved for the ones that hand its file on.
        RunDestination(routine);
    }
}

void DeliverHandOverImage(TDestinations set) {
    const std::wstring path = TempFolder + HandOverFileName;
    if (!FileExists(path)) return;
    // A file that is not a readable bitmap, or one of more pixels than the
    // program can finish and deliver, leaves CaptureBitmap as it was and
    // delivers nothing (not the previous capture).
    const bool loaded = CaptureBitmap.LoadFromFile(path, MaxIncomingImagePixels);
    if (loaded && CompletionTimer == 0) {
        PendingDestinations = set;
        StartCompletion();
    }
    DeleteFileW(path.c_str());
}

TDestinations HandOverDestinations(UINT message) {
    switch (message) {
        case WM_HANDOVER_CLIPBOARD: return DestinationBit(dClipboard);
        case WM_HANDOVER_FILE: return DestinationBit(dFile);
        case WM_HANDOVER_EDITOR: return DestinationBit(dEditor);
        case WM_HANDOVER_ZOVOZU: return DestinationBit(dZovozu);
        case WM_HANDOVER_MAIL: return DestinationBit(dMail);
        case WM_HANDOVER_WEB: return DestinationBit(dWeb);
        case WM_HANDOVER_ICQ: return DestinationBit(dICQ);
        case WM_HANDOVER_PRINTER: return DestinationBit(dPrinter);
        case WM_HANDOVER_CUSTOM: return DestinationBit(dCustom);
        case WM_HANDOVER_IM: return DestinationBit(dIM);
        default: return 0;
    }
}

bool HandOverRequest(UINT message) {
    const TDestinations set = HandOverDestinations(message);
    if (set == 0) return false;
    if (message == WM_HANDOVER_CUSTOM) {
        DeliverToDestinations(set);
        return true;
    }
    // The image waits in its file until the capture being completed or
    // delivered is through, so that neither replaces the other.
    if (CompletionTimer != 0 || CompletionRunning || DeliveryBusy) {
        DeferredHandOver = message;
        return true;
    }
    DeliverHandOverImage(set);
    return true;
}
