// The size label: a small yellow box at the right end of the main window's
// row that shows the size of the current selection ("98x48") while the user
// selects, and the size of the growing image during auto-scroll.
#pragma once

#include <windows.h>

#include "ui/window.h"

// The box: as large as the main window, flush with its top, 5 pixels from the
// right screen edge.
RECT GetSizeLabelRect();

// Draws the box with width "x" height centred in it onto dc (screen
// coordinates). The values are written as they come.
void DrawSizeLabel(int width, int height, HDC dc);

// DrawSizeLabel on the freeze window, which covers the screen while a
// selection runs; nothing when the freeze window is not there.
void DrawSizeLabelOnFreezeWindow(int width, int height);

// The label on the live screen (auto-scroll): a small window of its own above
// every other window, shown without taking the foreground. Taking it away
// lets the system repaint what lies beneath, on every system (under Wine a
// redraw of the desktop repaints nothing where a label was drawn onto the
// screen). The window goes with the object.
class SizeLabelWindow : private ui::Window {
public:
    SizeLabelWindow() = default;
    ~SizeLabelWindow() override = default;
    // Shows (or updates) the label for width x height.
    void Show(int width, int height);

private:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    int width_ = 0, height_ = 0;
};
