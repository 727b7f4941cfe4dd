// Screen freeze: while a selection runs, a full-screen topmost window covers
// the desktop and shows the screen exactly as it was when the selection
// began, so nothing seems to move, repaint or come to the front; the engines
// draw their feedback on the screen above it. The freeze library keeps the
// windows below from changing, and the task-switch keys are swallowed.
#pragma once

#include <windows.h>

#include "ui/bitmap.h"
#include "ui/gdi.h"
#include "ui/window.h"

class TuFreezeForm : public ui::Window {
public:
    ~TuFreezeForm() override;
    // Creates the window empty (0 x 0) and shows it; it lives until shutdown.
    bool CreateForm();

    // Tahoma 8 pt, the font of what is written onto the freeze window.
    HFONT Font() const { return font_.get(); }

    // The picture the window shows while the screen is frozen.
    void TakeSnapshot();
    void DropSnapshot();

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void Paint();
    void StayInFront();

    ui::Bitmap snapshot_;
    ui::FontHandle font_;
};

extern TuFreezeForm* uFreezeForm;

// Hotkey ids of the swallowed Alt+Tab and Alt+Esc while frozen (NT family).
extern ATOM AltTabAtom, AltEscapeAtom;

// Both are idempotent through Frozen.
void FreezeScreen();
void UnfreezeScreen();

