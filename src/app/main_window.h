// src/app: the application that wires everything together: start-up and
// shutdown, the main window and its tray menu, the completion and delivery of
// every capture and hand-over, the hotkey router, the tutorial, the about box
// and scanning. It may include every other folder; nothing includes it.
//
// The main window: a small borderless, topmost tool window that normally sits
// left of the screen. It owns the hotkeys, receives the hook library's
// messages and the hand-over requests, and doubles as the notice strip.
#pragma once

#include <windows.h>

#include "base/notice.h"
#include "base/options_calls.h"
#include "base/tray_calls.h"
#include "ui/gdi.h"
#include "ui/menu_styler.h"
#include "ui/tray_icon.h"
#include "ui/window.h"

// Command ids of the tray menu items (WM_COMMAND to the main window).
enum MenuCommand : UINT {
    ItOptions = 101,
    ItZovozu,
    ItEditor,
    ItAquire,
    ItSelectSource,
    ItTell,
    ItCheckVersion,
    ItHelp,
    ItAbout,
    ItExit,
};

class TuMainForm : public ui::Window, public NoticeStrip {
public:
    TuMainForm() { SetNoticeStrip(this); }
    ~TuMainForm() override { SetNoticeStrip(nullptr); }
    HWND NoticeWindow() const override { return Handle(); }

    bool CreateForm();  // FormCreate: styles, StartUp
    void FormShow();    // tray icon on; the tutorial on first run

    ui::TrayIcon trayIcon;
    HMENU popupMenu = nullptr;
    // Inactive, as stored: the tray menu keeps the system's standard look.
    ui::TMenuStyler menuStyler;
    int aboutTag = 0;  // 1 while the about box is open

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void BuildPopupMenu();
    void MenuCommandChosen(UINT id);
    void Paint();
};

extern TuMainForm* uMainForm;

// Start-up and shutdown sequences.
void StartUp();
void ShutDown();

// The single-instance mutex "Vorlix", held from the start until the program
// ends.
extern ui::KernelHandle SingleInstanceMutex;

// The one way the program ends, whatever asked for it (Exit, WM_CLOSE to any
// of its resident windows, the end of the session): the options dialog
// closed, ShutDown, the tray icon removed, the mutex released, the main
// window destroyed and the message loop told to end. Only the first call
// does anything.
void EndProgram();

// Ends the process at once with the start-up failure box.
[[noreturn]] void StartupFailed();

// The tray icon's handlers: a click stops a running auto-scroll or timer
// capture, or else opens the options; a right click (after the menu) stops
// them too.
void TrayIconClick();
void TrayIconRightClick();
