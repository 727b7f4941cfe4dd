#include "capture/timer_texts.h"

namespace txt {

const wchar_t TrayTipTimerOn[] = L" Vorlix Tessavue - 定时器开启  ";

}  // namespace txt
