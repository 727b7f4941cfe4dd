// Colours of the settings record as RGB values.
#pragma once

#include <windows.h>

#include "core/configuration.h"

namespace delivery {

// System colours (high bit set) are looked up; the top byte of a plain colour
// is dropped.
inline COLORREF SettingsColorToRgb(TColor color) {
    if (color & 0x80000000u) return GetSysColor(static_cast<int>(color & 0xFF));
    return color & 0x00FFFFFFu;
}

}  // namespace delivery
