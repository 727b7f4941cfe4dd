// English texts of the scanner and camera acquisition.
#include "twain/twain_texts.h"

namespace txt {

const wchar_t ScanDamaged[] = L"The scanned image cannot be used: the scanner sent damaged image data.";

const wchar_t ScanSourceNotOpened[] = L"The scanner or camera cannot be opened.";

}  // namespace txt
