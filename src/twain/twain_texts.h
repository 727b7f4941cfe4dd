// Texts of the scanner and camera acquisition.
#pragma once

namespace txt {

extern const wchar_t ScanDamaged[];  // a scanned image whose data cannot be used

}  // namespace txt
