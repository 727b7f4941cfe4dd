// src/options: the options dialog and its pages. It may include src/delivery
// (the destinations' own checks and names), src/capture (the shading
// preview), src/base, src/ui and src/hook; neither delivery nor capture
// includes it, and the rest of the program reaches it only through
// base/options_calls.h.
//
// The options dialog: a modeless window with the page tree on the left and
// the pages on the right. There is no OK or Cancel: every control writes the
// live settings at once; closing saves them and the page shown ("Last Node").
// The program reaches it through the pointers of base/options_calls.h, which
// this unit sets when it is linked in.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "options/options_page.h"
#include "options/page_ids.h"

namespace ui {
class TMenuStyler;
}

// The one way to open the dialog (tray menu, the empty-destination box, the
// folder check of the File destination). While a dialog exists (also while
// it is still loading) it is only brought to the front.
void OpenOptionsDialog();
// Closes the open dialog: the selected node is remembered and the settings
// are saved. Nothing when there is none.
void CloseOptionsDialog();
// Fills every control of the open dialog from the live settings again.
void LoadOptionsControls();
// Moves the capture-type radio mark to CaptureType.
void RefreshCaptureTypeNodes();

// The dialog's window, or null.
HWND OptionsDialogWindow();
// The dialog's menu styler (inactive), or null while there is no dialog.
ui::TMenuStyler* OptionsMenuStyler();
// A page of the dialog that has its window (it was shown), or null: a page
// not shown yet takes what the record holds when it is made.
OptionsPage* OptionsDialogPage(PageId page);

// While a handler of the dialog runs (and while it loads), a close that is
// asked for meanwhile hides the dialog at once but destroys it only when the
// outermost handler has returned.
class OptionsHandlerScope {
public:
    OptionsHandlerScope();
    ~OptionsHandlerScope();
    OptionsHandlerScope(const OptionsHandlerScope&) = delete;
    OptionsHandlerScope& operator=(const OptionsHandlerScope&) = delete;
};

// The File page shows FileName, FileFormat and FileFolder anew (the save
// prompt changed them); the Rectangle page shows FixedWidth and FixedHeight.
void ShowFileChoice();
void ShowFixedSize();
// Removes the favourites rows that have no name (a capture gesture began, or
// the dialog was asked to open again).
void DropEmptyFavoriteRows();

// The page classes, made by the page table (options_dialog.cpp).
std::unique_ptr<OptionsPage> MakeActivatePage();
std::unique_ptr<OptionsPage> MakeCapturePage();
std::unique_ptr<OptionsPage> MakeFreeHandPage();
std::unique_ptr<OptionsPage> MakeRectanglePage();
std::unique_ptr<OptionsPage> MakeWindowPage();
std::unique_ptr<OptionsPage> MakeSendToPage();
std::unique_ptr<OptionsPage> MakeFilePage();
std::unique_ptr<OptionsPage> MakePrinterPage();
std::unique_ptr<OptionsPage> MakeTimerPage();
std::unique_ptr<OptionsPage> MakePrecisionPage();
std::unique_ptr<OptionsPage> MakeFavoritesPage();
std::unique_ptr<OptionsPage> MakeEdgeEffectPage();
std::unique_ptr<OptionsPage> MakeAnnotationPage();
std::unique_ptr<OptionsPage> MakeWatermarkPage();
std::unique_ptr<OptionsPage> MakeEditorPage();
std::unique_ptr<OptionsPage> MakeZovozuMissingPage();
std::unique_ptr<OptionsPage> MakeMailPage();
std::unique_ptr<OptionsPage> MakeWebPage();
std::unique_ptr<OptionsPage> MakeImPage();
std::unique_ptr<OptionsPage> MakeIcqPage();

