// English texts of auto-scroll capture.
#include "capture/autoscroll_texts.h"

namespace txt {

const wchar_t CannotScrollWindow[] = L"Vorlix cannot scroll this window.";
const wchar_t BitmapTooBig[] = L"Bitmap too big: <WIDTH>x<HEIGHT>\rPlease report this to support@vorlix.com";
const wchar_t ImageCutAtRows[] =
    L"The document is longer than one image can hold: the image was cut at <ROWS> rows.";
const wchar_t AutoScrollTip[] = L" Vorlix Tessavue - Auto Scroll ";
const wchar_t AutoScrollDoneTip[] = L" Vorlix Tessavue  ";

}  // namespace txt
