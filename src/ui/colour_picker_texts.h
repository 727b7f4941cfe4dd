// Texts of the colour-picker button. Defined per language in
// resources/texts/<lang>/colour_picker.cpp.
#pragma once

namespace txt {

extern const wchar_t PickerAutomatic[];      // the automatic entry
extern const wchar_t PickerOtherColors[];    // the entry that opens the colour dialog
extern const wchar_t PickerPaletteCaption[]; // the palette's caption while it floats

}  // namespace txt
