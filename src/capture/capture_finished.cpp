#include "capture/capture_finished.h"

#include <vector>

#include "base/globals.h"

void CopyScreenToBitmap(int x, int y, int width, int height, HDC dc) {
    if (!dc || width <= 0 || height <= 0) return;
    // The copy below covers every pixel: the old picture (after the edge
    // effect, of another size) is neither kept nor the new one cleared.
    if (!CaptureBitmap.SetSizeForOverwrite(width, height)) return;
    if (GetDeviceCaps(dc, RASTERCAPS) & RC_PALETTE) {
        // A palette screen: keep the system palette's colours in the capture.
        PALETTEENTRY entries[256];
        const UINT n = GetSystemPaletteEntries(dc, 0, 256, entries);
        if (n > 0) {
            std::vector<RGBQUAD> colors;
            for (UINT i = 0; i < n; ++i)
                colors.push_back(RGBQUAD{entries[i].peBlue, entries[i].peGreen, entries[i].peRed, 0});
            CaptureBitmap.SetColorTable(colors);
        }
    }
    BitBlt(CaptureBitmap.Canvas(), 0, 0, width, height, dc, x, y, SRCCOPY);
}

bool CaptureArea(HDC source, const RECT& area) {
    const int width = area.right - area.left, height = area.bottom - area.top;
    if (!source || width <= 0 || height <= 0) return false;
    CopyScreenToBitmap(area.left, area.top, width, height, source);
    if (CaptureBitmap.Width() != width || CaptureBitmap.Height() != height) return false;
    CaptureFinished();
    return true;
}
