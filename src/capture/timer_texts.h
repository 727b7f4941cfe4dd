// Texts of timer capture.
#pragma once

namespace txt {

// The tray icon's tool tip while timer capture runs.
extern const wchar_t TrayTipTimerOn[];

}  // namespace txt
