// The first-run tutorial: a small window that shows how to take the first
// screenshot, for as long as the user has not switched it off ("Training").
#pragma once

#include <windows.h>

extern bool TrainerShown;  // the tutorial window exists

// Shows the tutorial (not modal) in front of everything; nothing happens when
// it is shown already.
void ShowTrainer();
// Switches the tutorial off for good (stored at once) and closes it.
void CloseTrainer();
// The main window was activated: the tutorial comes to the front again while
// it is shown and wanted.
void TrainerFormActivate();
// Keyboard navigation of the tutorial window for the message loop: true when
// msg was a message of the tutorial and has been handled.
bool IsTrainerMessage(MSG* msg);
