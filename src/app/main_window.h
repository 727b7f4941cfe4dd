// The main window: a small borderless, topmost tool window that normally sits
// left of the screen. It owns the hotkeys, receives the hook library's
// messages and the hand-over requests, and doubles as the notice strip.
#pragma once

#include <windows.h>

#include "ui/gdi.h"
#include "ui/menu_styler.h"
#include "ui/tray_icon.h"
#include "ui/window.h"

constexpr int NoticeWidth = 138;
constexpr int NoticeHeight = 15;

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

class TuMainForm : public ui::Window {
public:
    bool CreateForm();  // FormCreate: styles, StartUp
    void FormShow();    // tray icon on; the tutorial on first run

    ui::TrayIcon trayIcon;
    HMENU popupMenu = nullptr;
    // Inactive, as stored: the tray menu keeps the system's standard look.
    ui::TMenuStyler menuStyler;
    int aboutTag = 0;  // 1 while the about box is open

    // The notice label.
    std::wstring noticeText;
    int noticeLeft = 0;

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

// Takes the popup menu from the tray icon (a right click then shows nothing)
// or gives it back.
void SetTrayMenuAttached(bool attached);

// The font of the notice text (Verdana, 9 pixels).
HFONT NoticeFont();

// The tray icon's handlers: a click stops a running auto-scroll or timer
// capture, or else opens the options; a right click (after the menu) stops
// them too.
void TrayIconClick();
void TrayIconRightClick();

// Entry points of the options dialog and of timer capture for the parts
// outside the core (the destinations) and those built before the options
// dialog: until a unit sets its pointer, the call does nothing.
extern void (*OpenOptionsDialogProc)();
extern void (*StopTimerCaptureProc)();
// The options dialog's file page shows FileName, FileFormat and FileFolder
// anew (after the save prompt changed them).
extern void (*OptionsFileChoiceProc)();
// The rest of what the core asks of an open options dialog: close it (Exit,
// the Timer hotkey), move its capture-type mark (a capture hotkey changed
// CaptureType), drop its unnamed favourite rows (a capture gesture began),
// show the live settings anew and come to the front (the editor was
// replaced, a destination changed settings it shows), and show FixedWidth and FixedHeight (a dragged rectangle).
extern void (*CloseOptionsDialogProc)();
extern void (*RefreshCaptureTypeNodesProc)();
extern void (*DropEmptyFavoriteRowsProc)();
extern void (*ReloadOptionsDialogProc)();
extern void (*OptionsFixedSizeProc)();
// The dialog's window (null while none is open).
extern HWND (*OptionsDialogWindowProc)();
// While a hotkey field of the dialog has the focus, a hotkey of the program
// pressed is a key typed into the field: true when the field took it (the
// hotkey then does nothing).
extern bool (*OptionsHotkeyFieldProc)(int id, UINT modifiers, UINT key);
inline void CallOpenOptionsDialog() { if (OpenOptionsDialogProc) OpenOptionsDialogProc(); }
inline void CallStopTimerCapture() { if (StopTimerCaptureProc) StopTimerCaptureProc(); }
inline void CallOptionsFileChoiceChanged() { if (OptionsFileChoiceProc) OptionsFileChoiceProc(); }
inline void CallCloseOptionsDialog() { if (CloseOptionsDialogProc) CloseOptionsDialogProc(); }
inline void CallRefreshCaptureTypeNodes() { if (RefreshCaptureTypeNodesProc) RefreshCaptureTypeNodesProc(); }
inline void CallDropEmptyFavoriteRows() { if (DropEmptyFavoriteRowsProc) DropEmptyFavoriteRowsProc(); }
inline void CallReloadOptionsDialog() { if (ReloadOptionsDialogProc) ReloadOptionsDialogProc(); }
inline void CallOptionsFixedSizeChanged() { if (OptionsFixedSizeProc) OptionsFixedSizeProc(); }
inline HWND CallOptionsDialogWindow() { return OptionsDialogWindowProc ? OptionsDialogWindowProc() : nullptr; }
