#include "app/scanning.h"

#include <memory>
#include <string>

#include "app/completion.h"
#include "base/errors.h"

twain::TTwain* Twain = nullptr;

namespace {

std::unique_ptr<twain::TTwain> TheScanner;

}  // namespace

void CreateScanner(HWND form) {
    TheScanner = std::make_unique<twain::TTwain>(form);
    Twain = TheScanner.get();
    Twain->Disable = true;
    Twain->ShowUI = true;
    Twain->OnChangeBitmap = TwainChangeBitmap;
    Twain->OnUserError = [](const std::wstring& text) { ShowError(text); };
}

void DestroyScanner() {
    // Not while an acquisition runs on the stack below: it unwinds itself
    // when the program's quit message reaches its loop. Nor while the
    // manager's own Select Source dialog runs there (the manager is open only
    // then and during an acquisition): unloading the manager under its
    // dialog would return into code that is gone.
    if (Twain && (Twain->SourceIsOpen() || Twain->ManagerIsOpen())) return;
    Twain = nullptr;
    TheScanner.reset();
}

void AcquireScan() {
    if (!Twain || Twain->SourceIsOpen()) return;
    Twain->ScannedBmp = ui::Bitmap();
    Twain->Acquire();
}

void SelectScanSource() {
    if (Twain && !Twain->SourceIsOpen()) Twain->SelectSource();
}

void TwainChangeBitmap() {
    if (!Twain || Twain->ScannedBmp.Empty()) return;
    // Each scan of an acquisition is delivered, also when several arrive
    // before the first one's completion has run.
    QueueCapture(Twain->ScannedBmp);
    Twain->ScannedBmp = ui::Bitmap();
}
