// Program entry: one instance only, then the main window runs the start-up and
// the message loop runs until Exit.
#include <windows.h>

#include "capture/freeze_window.h"
#include "base/globals.h"
#include "app/main_window.h"
#include "base/texts.h"
#include "app/trainer.h"
#include "ui/gdi.h"
#include "ui/window.h"

namespace {

// The hidden application window: owner of the program's windows and message
// boxes, and a tool window so that it shows no taskbar button either. Asked
// to close (a task manager, taskkill) or told that the session ends, it lets
// the main window end the program: closing it on its own would take the
// windows it owns along and leave a process without windows behind.
class ApplicationForm : public ui::Window {
protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if ((message == WM_COMMAND || message == WM_CLOSE || message == WM_ENDSESSION) && MainWindow)
            return SendMessageW(MainWindow, message, wParam, lParam);
        return Default(message, wParam, lParam);
    }
};

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    ApplicationForm application;
    application.Create(L"TApplication", txt::AppTitle, WS_POPUP, WS_EX_TOOLWINDOW | WS_EX_TOPMOST, 0, 0, 0, 0);
    ApplicationWindow = application.Handle();

    SingleInstanceMutex.reset(CreateMutexW(nullptr, TRUE, L"Vorlix"));
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        SingleInstanceMutex.reset();
        MessageBoxW(ApplicationWindow, txt::AlreadyRunning, txt::MessageCaption, MB_OK | MB_ICONWARNING);
        return 0;
    }

    TuMainForm mainForm;
    uMainForm = &mainForm;
    if (!mainForm.CreateForm()) return 0;
    // The freeze window lives as an empty 0 x 0 window until a capture
    // freezes the screen.
    TuFreezeForm freezeForm;
    uFreezeForm = &freezeForm;
    freezeForm.CreateForm();
    mainForm.FormShow();

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (IsTrainerMessage(&msg)) continue;
        if (ui::RouteDialogMessage(msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    uFreezeForm = nullptr;
    uMainForm = nullptr;
    SingleInstanceMutex.reset();
    return 0;
}
