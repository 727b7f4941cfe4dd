#include "app/main_window.h"

#include <shellapi.h>

#include "app/about_box.h"
#include "app/hotkey_router.h"
#include "base/addresses.h"
#include "app/completion.h"
#include "base/errors.h"
#include "base/programs.h"
#include "capture/freeze_window.h"
#include "capture/gesture_dispatch.h"
#include "base/globals.h"
#include "base/hotkeys.h"
#include "base/notice.h"
#include "capture/rect_engine.h"
#include "app/scanning.h"
#include "base/settings_store.h"
#include "capture/shading.h"
#include "base/temp_files.h"
#include "app/trainer.h"
#include "base/texts.h"
#include "capture/timer_capture.h"
#include "base/files.h"
#include "delivery/destinations.h"
#include "delivery/mail_client.h"
#include "hook/hovrak.h"
#include "ui/gdi.h"

TuMainForm* uMainForm = nullptr;
ui::KernelHandle SingleInstanceMutex;

namespace {

void AttachTrayMenu(bool attached) {
    if (uMainForm) uMainForm->trayIcon.popupMenu = attached ? uMainForm->popupMenu : nullptr;
}

void SetTrayIconTip(const wchar_t* tip) {
    if (uMainForm) uMainForm->trayIcon.SetToolTip(tip);
}

}  // namespace

void (*TrayTipProc)(const wchar_t* tip) = SetTrayIconTip;
void (*TrayMenuAttachedProc)(bool attached) = AttachTrayMenu;

void TrayIconClick() {
    if (AutoScrollRunning) AutoScrollStop = 2;
    else if (TimerRunning) CallStopTimerCapture();
    else CallOpenOptionsDialog();
}

void TrayIconRightClick() {
    if (TimerRunning) CallStopTimerCapture();
    if (AutoScrollRunning) AutoScrollStop = 2;
}

void EndProgram() {
    static bool ending = false;
    if (ending || !uMainForm) return;
    ending = true;
    if (OptionsOpen) CallCloseOptionsDialog();
    ShutDown();
    uMainForm->trayIcon.SetActive(false);
    SingleInstanceMutex.reset();
    uMainForm->Destroy();
    PostQuitMessage(0);
}

[[noreturn]] void StartupFailed() {
    ShowError(txt::StartupError);
    ExitProcess(0);
}

void StartUp() {
    const bool swapped = MouseButtonsSwapped();
    bool installed = false;
    try {
        installed = HookInstall(MainWindow, swapped) != FALSE;
    } catch (...) {
        installed = false;
    }
    if (!installed) StartupFailed();

    // The capture bitmap starts empty ("nothing captured yet") in the
    // screen's format.
    CaptureBitmap = ui::Bitmap(0, 0, ui::PixelFormat::Device);

    InitFolders();
    LoadConfiguration();

    HookActivateWithMouse(Config.MouseActivation != 0);
    HookHoldTime(Config.HoldTime);
    HookCaptureType(Config.CaptureType);
    HookCursorData(Config.CursorData());
    HookRectangleSelection(Config.RectSelection);

    RegisterStartupHotkeys(MainWindow);
    // The output folder of the File destination must exist (else: the
    // desktop, with a message).
    CheckDestinationFolder();
    // The chosen mail program must be installed (else: SMTP).
    CheckMailClient();
    CleanTempFiles();
}

void ShutDown() {
    try {
        // A selection or an auto-scroll that still runs leaves the screen as
        // it found it.
        EndSelection();
        UnfreezeScreen();
        if (AutoScrollRunning) AutoScrollStop = 1;
        HookRemove();
        if (TimerRunning) StopTimerCapture();
        if (Config.HotkeysOn) UnregisterCaptureHotkeys(MainWindow);
        ReleaseHotkeyAtoms(MainWindow);
        DestroyScanner();
        CaptureBitmap = ui::Bitmap();
    } catch (...) {
        // Errors while shutting down are of no use to anybody.
    }
}

bool TuMainForm::CreateForm() {
    // Tool window, so that the program has no taskbar button; parked left of
    // the screen at Top 3 until a notice slides in. It is never activated:
    // the notice must not take the foreground from the user's window, nor be
    // what the system activates when a window of the program closes.
    constexpr DWORD exStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE;
    RECT r{0, 0, NoticeWidth, NoticeHeight};
    AdjustWindowRectEx(&r, WS_POPUP, FALSE, exStyle);
    if (!Create(L"TuMainForm", txt::AppTitle, WS_POPUP, exStyle, -NoticeWidth, 3, r.right - r.left,
                r.bottom - r.top, ApplicationWindow))
        return false;
    MainWindow = Handle();
    SendMessageW(MainWindow, WM_SETFONT, reinterpret_cast<WPARAM>(NoticeFont()), FALSE);
    HideNotice();
    StartUp();
    Anchor = NoAnchor;  // no rectangle selected yet
    CreateScanner(MainWindow);
    SetBlendColor();
    BuildPopupMenu();
    menuStyler.AddMenu(popupMenu);
    menuStyler.SetActive(false);
    return true;
}

void TuMainForm::FormShow() {
    // The icon's own small image (16, 20 or 24 pixels by the display's
    // scale), not the large one shrunk.
    trayIcon.SetIcon(static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1), IMAGE_ICON,
                                                   GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                                                   LR_SHARED)));
    trayIcon.SetToolTip(txt::TrayTip);
    trayIcon.popupMenu = popupMenu;
    trayIcon.menuOwner = MainWindow;
    trayIcon.OnClick = [] { TrayIconClick(); };
    trayIcon.OnRightClick = [](int, int) { TrayIconRightClick(); };
    trayIcon.OnEnd = [] { EndProgram(); };
    trayIcon.SetActive(true);
    if (TrainingEnabled) ShowTrainer();
}

void TuMainForm::BuildPopupMenu() {
    HMENU tools = CreatePopupMenu();
    AppendMenuW(tools, MF_STRING, ItZovozu, txt::MenuZovozu);
    AppendMenuW(tools, MF_STRING, ItEditor, txt::MenuEditor);
    HMENU twain = CreatePopupMenu();
    AppendMenuW(twain, MF_STRING, ItAquire, txt::MenuAcquire);
    AppendMenuW(twain, MF_STRING, ItSelectSource, txt::MenuSelectSource);
    AppendMenuW(tools, MF_POPUP, reinterpret_cast<UINT_PTR>(twain), txt::MenuTwain);

    popupMenu = CreatePopupMenu();
    AppendMenuW(popupMenu, MF_STRING, ItOptions, txt::MenuOptions);
    AppendMenuW(popupMenu, MF_POPUP, reinterpret_cast<UINT_PTR>(tools), txt::MenuTools);
    AppendMenuW(popupMenu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(popupMenu, MF_STRING, ItTell, txt::MenuTell);
    AppendMenuW(popupMenu, MF_STRING, ItCheckVersion, txt::MenuCheckVersion);
    AppendMenuW(popupMenu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(popupMenu, MF_STRING, ItHelp, txt::MenuHelp);
    AppendMenuW(popupMenu, MF_STRING, ItAbout, txt::MenuAbout);
    AppendMenuW(popupMenu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(popupMenu, MF_STRING, ItExit, txt::MenuExit);
}

void TuMainForm::MenuCommandChosen(UINT id) {
    switch (id) {
        case ItOptions: CallOpenOptionsDialog(); break;
        case ItZovozu: RunZovozuProgram(); break;
        case ItEditor: RunEditorProgram(); break;
        case ItAquire: AcquireScan(); break;
        case ItSelectSource: SelectScanSource(); break;
        case ItTell: ShellExecuteW(nullptr, L"open", addr::TellAFriend, nullptr, nullptr, SW_SHOWMAXIMIZED); break;
        case ItCheckVersion:
            ShellExecuteW(nullptr, L"open", addr::CheckVersion, nullptr, nullptr, SW_SHOWMAXIMIZED);
            break;
        case ItHelp: ShowHelp(); break;
        case ItAbout:
            // The item's tag: 1 while the box is open, so that a second
            // About meanwhile opens nothing.
            if (aboutTag != 0) break;
            aboutTag = 1;
            ShowAboutBox(txt::AppTitle, ProgramVersion, addr::HomePage, addr::ProductPage);
            aboutTag = 0;
            break;
        case ItExit: PostMessageW(MainWindow, WM_CLOSE, 0, 0); break;
        default: break;
    }
}

void TuMainForm::Paint() {
    PAINTSTRUCT ps;
    PaintNotice(BeginPaint(Handle(), &ps));
    EndPaint(Handle(), &ps);
}

LRESULT TuMainForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT: Paint(); return 0;
        case WM_ERASEBKGND: return 1;
        case WM_ACTIVATE:
            if (LOWORD(wParam) != WA_INACTIVE) TrainerFormActivate();
            break;
        case WM_COMMAND:
            if (HIWORD(wParam) == 0) MenuCommandChosen(LOWORD(wParam));
            return 0;
        case WM_MEASUREITEM:
        case WM_DRAWITEM:
            if (menuStyler.HandleMessage(message, wParam, lParam)) return TRUE;
            break;
        // Routing of the hook library's gesture messages (WM_USER+1..+4), the
        // hand-over requests (WM_USER+7..+16) and WM_HOTKEY goes here.
        case WM_HOOK_DOWN:
        case WM_HOOK_UP:
        case WM_HOOK_MOVE:
        case WM_HOOK_BEGIN: HookGestureEvent(message, wParam, lParam); return 0;
        case WM_HANDOVER_CLIPBOARD:
        case WM_HANDOVER_FILE:
        case WM_HANDOVER_EDITOR:
        case WM_HANDOVER_ZOVOZU:
        case WM_HANDOVER_MAIL:
        case WM_HANDOVER_WEB:
        case WM_HANDOVER_ICQ:
        case WM_HANDOVER_PRINTER:
        case WM_HANDOVER_CUSTOM:
        case WM_HANDOVER_IM: HandOverRequest(message); return 0;
        case WM_HOTKEY:
            if (OptionsHotkeyFieldProc &&
                OptionsHotkeyFieldProc(static_cast<int>(wParam), LOWORD(lParam), HIWORD(lParam)))
                return 0;
            HandleHotkey(static_cast<int>(wParam));
            return 0;
        case WM_CLOSE: EndProgram(); return 0;
        case WM_ENDSESSION:
            // The process may be ended as soon as this returns.
            if (wParam) EndProgram();
            return 0;
        default: break;
    }
    return Default(message, wParam, lParam);
}
