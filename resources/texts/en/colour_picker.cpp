// English texts of the colour-picker button.
#include "ui/colour_picker_texts.h"

namespace txt {

const wchar_t PickerAutomatic[] = L"Automatic";
const wchar_t PickerOtherColors[] = L"Other Colors...";
const wchar_t PickerPaletteCaption[] = L"Colour Palette";

}  // namespace txt
