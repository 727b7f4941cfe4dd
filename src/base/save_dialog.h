// The File destination's save prompt: the system's save dialog with the four
// image formats as its filter. Its close check lets a name through only when
// it ends in one of the four extensions or has none (the filter's extension
// is then meant); the dialog comes up in front of everything.
#pragma once

#include <windows.h>

#include <string>

struct SaveDialogState {
    std::wstring initialDir;  // folder shown first
    std::wstring fileName;    // in: the proposed name; out: the full path accepted, as typed
    int filterIndex = 1;      // 1 BMP, 2 JPEG, 3 GIF, 4 PNG; out: the filter chosen last
};

// Shows the dialog over owner; false when the user cancelled it.
bool ExecuteSaveDialog(HWND owner, SaveDialogState& state);

// The close check, with its questions and messages over dialog: true when
// fileName (full path) may be accepted with that filter.
bool SaveDialogCanClose(HWND dialog, const std::wstring& fileName, int filterIndex);

// Brings the dialog to the front and keeps it above other windows.
void SaveDialogShow(HWND dialog);

// The filter in the dialog's form: description, patterns, ..., two zeros.
std::wstring SaveDialogFilter();
