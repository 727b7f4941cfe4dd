// Simplified Chinese texts of auto-scroll capture.
#include "capture/autoscroll_texts.h"

namespace txt {

const wchar_t CannotScrollWindow[] = L"Vorlix 无法滚动此窗口。";
const wchar_t BitmapTooBig[] = L"位图过大：<WIDTH>x<HEIGHT>\r请将此问题报告至 support@vorlix.com";
const wchar_t ImageCutAtRows[] = L"文档过长，一张图像容纳不下：图像已在第 <ROWS> 行处截断。";
const wchar_t AutoScrollTip[] = L" Vorlix Tessavue - 自动滚动 ";
const wchar_t AutoScrollDoneTip[] = L" Vorlix Tessavue  ";

}  // namespace txt
