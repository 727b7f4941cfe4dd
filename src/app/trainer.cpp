#include "app/trainer.h"

#include "base/foreground.h"
#include "base/globals.h"
#include "base/settings_store.h"
#include "app/tutorial_ids.h"
#include "app/tutorial_texts.h"
#include "ui/gdi.h"

bool TrainerShown = false;

namespace {

// TuTrainerForm: the window, its pictures and its heading font, which live
// exactly as long as the window.
struct TrainerForm {
    HWND window = nullptr;
    ui::BitmapHandle pictures[3];
    ui::FontHandle headingFont;
};

TrainerForm* form = nullptr;

void SetPicture(HWND dialog, int control, int bitmap, ui::BitmapHandle& keep) {
    keep.reset(static_cast<HBITMAP>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(bitmap), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR)));
    SendDlgItemMessageW(dialog, control, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(keep.get()));
}

void FormCreate(HWND dialog) {
    SetWindowTextW(dialog, txt::TrainerCaption);
    const struct {
        int control;
        const wchar_t* text;
    } texts[] = {
        {IDC_TRAINER_HEADING, txt::TrainerHeading},     {IDC_TRAINER_STEP1, txt::TrainerStepOne},
        {IDC_TRAINER_STEP1_RESULT, txt::TrainerStepOneResult}, {IDC_TRAINER_STEP2, txt::TrainerStepTwo},
        {IDC_TRAINER_STEP2_RESULT, txt::TrainerStepTwoResult}, {IDC_TRAINER_TRAY_MENU, txt::TrainerTrayMenu},
        {IDC_TRAINER_TRAY_OPTIONS, txt::TrainerTrayOptions},   {IDC_TRAINER_CHECK, txt::TrainerDontShowAgain},
        {IDC_TRAINER_CLOSE, txt::TrainerClose},
    };
    for (const auto& t : texts) SetDlgItemTextW(dialog, t.control, t.text);
    SetPicture(dialog, IDC_TRAINER_PICTURE1, IDB_TUTORIAL_STEP1, form->pictures[0]);
    SetPicture(dialog, IDC_TRAINER_PICTURE2, IDB_TUTORIAL_STEP2, form->pictures[1]);
    SetPicture(dialog, IDC_TRAINER_PICTURE_TRAY, IDB_TUTORIAL_TRAY, form->pictures[2]);

    // The heading in the dialog's font, bold.
    LOGFONTW font{};
    if (GetObjectW(reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0)), sizeof font, &font)) {
        font.lfWeight = FW_BOLD;
        form->headingFont.reset(CreateFontIndirectW(&font));
        SendDlgItemMessageW(dialog, IDC_TRAINER_HEADING, WM_SETFONT,
                            reinterpret_cast<WPARAM>(form->headingFont.get()), FALSE);
    }
}

// Closing is safe to repeat: once the window is gone there is nothing left
// to close.
void CloseTrainerWindow() {
    if (form && form->window) DestroyWindow(form->window);
}

void BtCloseClick(HWND dialog) {
    // Read before anything can close the window.
    const bool dontShowAgain = IsDlgButtonChecked(dialog, IDC_TRAINER_CHECK) == BST_CHECKED;
    if (dontShowAgain) CloseTrainer();
    CloseTrainerWindow();
}

INT_PTR CALLBACK TrainerProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            form->window = dialog;
            FormCreate(dialog);
            // Enter or Space closes at once.
            SetFocus(GetDlgItem(dialog, IDC_TRAINER_CLOSE));
            return FALSE;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDC_TRAINER_CLOSE && HIWORD(wParam) == BN_CLICKED) BtCloseClick(dialog);
            // The close box and Esc close the window without switching the
            // tutorial off.
            else if (LOWORD(wParam) == IDCANCEL) CloseTrainerWindow();
            return TRUE;
        case WM_CLOSE:
            CloseTrainerWindow();
            return TRUE;
        case WM_NCDESTROY:
            // FormClose: the window frees itself.
            TrainerShown = false;
            delete form;
            form = nullptr;
            return FALSE;
        default: return FALSE;
    }
}

}  // namespace

void ShowTrainer() {
    if (TrainerShown) return;
    TrainerShown = true;
    form = new TrainerForm;
    if (!CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_TRAINER), ApplicationWindow, TrainerProc,
                            0)) {
        // No window came of it (one that was made and destroyed again has
        // freed the form already): nothing is shown.
        delete form;
        form = nullptr;
        TrainerShown = false;
        return;
    }
    ShowWindow(form->window, SW_SHOW);
    BringWindowToFront(form->window);
}

void CloseTrainer() {
    TrainingEnabled = false;
    SaveConfiguration();
    if (TrainerShown) CloseTrainerWindow();
}

void TrainerFormActivate() {
    if (TrainingEnabled && TrainerShown && form && form->window) BringWindowToFront(form->window);
}

bool IsTrainerMessage(MSG* msg) { return form && form->window && IsDialogMessageW(form->window, msg); }

