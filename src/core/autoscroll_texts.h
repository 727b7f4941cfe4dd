// Texts of auto-scroll capture.
#pragma once

namespace txt {

extern const wchar_t CannotScrollWindow[];
// BitmapTooBig + width + "x" + height + "\r" + BitmapTooBigReport
extern const wchar_t BitmapTooBig[];
extern const wchar_t BitmapTooBigReport[];
// The tray icon's tool tip while a window is scrolled, and after it.
extern const wchar_t AutoScrollTip[];
extern const wchar_t AutoScrollDoneTip[];

}  // namespace txt
