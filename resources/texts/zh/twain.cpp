// Simplified Chinese texts of the scanner and camera acquisition.
#include "twain/twain_texts.h"

namespace txt {

const wchar_t ScanDamaged[] = L"无法使用扫描的图像：扫描仪发送的图像数据已损坏。";

const wchar_t ScanSourceNotOpened[] = L"无法打开扫描仪或相机。";

}  // namespace txt
