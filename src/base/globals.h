// src/base: what every folder reads. The settings record and its store, the
// global state, the texts, hotkey words and their registration, the notice
// strip, the error box, files, folders and the other programs, the save
// prompt, the temporary files, and the entry points through which the folders
// below the application reach the options dialog and the tray. It may include
// src/ui, and src/hook for the error box (which keeps the mouse activation off
// while it is up); nothing else.
//
// The program's global state: the live settings, the capture bitmap and the
// folders and flags that every part reads. Everything runs on the one user
// interface thread, so none of this is locked.
#pragma once

#include <windows.h>

#include <string>

#include "base/configuration.h"
#include "ui/bitmap.h"

extern TConfiguration Config;       // the live settings
extern ui::Bitmap CaptureBitmap;    // filled by every capture, read by every destination

// Filled once by InitFolders; each folder ends in "\".
extern std::wstring TempFolder, WindowsFolder, ProgramFilesFolder, DesktopFolder, ProgramFolder;
extern std::wstring ComputerName, UserName;

extern HWND MainWindow;         // the main (notice) window: hotkeys and hook messages
extern HWND ApplicationWindow;  // the hidden application window that owns message boxes
extern HWND FreezeWindow;       // the freeze window, null while there is none

// State flags
extern bool FreeHandActive, RectangleActive, WindowActive;
extern bool Frozen;
extern bool TimerArmed, TimerRunning;
extern bool AutoScrollRunning;
extern int AutoScrollStop;
extern bool DeliveryBusy;
extern bool CompletionRunning;  // a completion is finishing and delivering its image
extern bool ErrorBoxShown;
extern bool OptionsOpen, OptionsLoading;
