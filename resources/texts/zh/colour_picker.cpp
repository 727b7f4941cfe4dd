// 颜色选择按钮的简体中文文本。
#include "ui/colour_picker_texts.h"

namespace txt {

const wchar_t PickerAutomatic[] = L"自动";
const wchar_t PickerOtherColors[] = L"其他颜色...";
const wchar_t PickerPaletteCaption[] = L"调色板";

}  // namespace txt
