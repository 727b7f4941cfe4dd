// Simplified Chinese texts of the scanner and camera acquisition.
#include "twain/twain_texts.h"

namespace txt {

const wchar_t ScanDamaged[] = L"无法使用扫描的图像：扫描仪发送的图像数据已损坏。";

}  // namespace txt
