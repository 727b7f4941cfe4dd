// Texts of auto-scroll capture.
#pragma once

namespace txt {

extern const wchar_t CannotScrollWindow[];
// The bitmap could not grow: <WIDTH> and <HEIGHT> are its size in decimal.
// Placeholders are filled by ui::FormatText (ui/text_format.h).
extern const wchar_t BitmapTooBig[];
// A document longer than the tallest image: <ROWS> is the number of rows the
// delivered image kept.
extern const wchar_t ImageCutAtRows[];
// The tray icon's tool tip while a window is scrolled, and after it.
extern const wchar_t AutoScrollTip[];
extern const wchar_t AutoScrollDoneTip[];

}  // namespace txt
