// Texts of the scanner and camera acquisition.
#pragma once

namespace txt {

extern const wchar_t ScanDamaged[];          // a scanned image whose data cannot be used
extern const wchar_t ScanSourceNotOpened[];  // the source chosen (or the default one) does not open

}  // namespace txt
