#include "capture/timer_texts.h"

namespace txt {

const wchar_t TrayTipTimerOn[] = L" Vorlix Tessavue - Timer ON  ";

}  // namespace txt
