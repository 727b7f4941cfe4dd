// Colours of the settings record as RGB values.
#pragma once

#include <windows.h>

#include "base/configuration.h"
#include "ui/colour_picker.h"

namespace delivery {

// System colours (high bit set) are looked up; the top byte of a plain colour
// is dropped. "Automatic" of the colour-picker buttons is drawn as the
// colour those buttons show for it.
inline COLORREF SettingsColorToRgb(TColor color) { return ui::ShownColour(color); }

}  // namespace delivery
