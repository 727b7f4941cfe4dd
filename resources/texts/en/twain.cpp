// English texts of the scanner and camera acquisition.
#include "twain/twain_texts.h"

namespace txt {

const wchar_t ScanDamaged[] = L"The scanned image cannot be used: the scanner sent damaged image data.";

}  // namespace txt
