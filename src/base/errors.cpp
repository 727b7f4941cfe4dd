#include "base/errors.h"

#include "base/foreground.h"
#include "base/globals.h"
#include "base/options_calls.h"
#include "base/texts.h"
#include "hook/hovrak.h"

void ShowError(const std::wstring& text) {
    // The box pumps messages, so a second box can open over the first: only
    // the outermost one gives the mouse activation and the hotkeys back.
    const bool outer = !ErrorBoxShown;
    ErrorBoxShown = true;
    if (TimerRunning) CallStopTimerCapture();
    HookActivateWithMouse(FALSE);
    NoteUserWindow();
    BringWindowToFront(ApplicationWindow);
    MessageBoxW(ApplicationWindow, text.c_str(), txt::MessageCaption, MB_OK | MB_ICONERROR);
    if (outer) {
        HookActivateWithMouse(Config.MouseActivation != 0);
        GiveForegroundBack();
        ErrorBoxShown = false;
        if (ErrorBoxClosedProc) ErrorBoxClosedProc();
    }
}
