// Shared work routines: copying the screen into the capture bitmap, bringing
// windows to the front, the error box, folders and names, the mouse-button
// setting, image formats by extension, opening files, and finding Paint and
// the maker's other programs.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "base/configuration.h"

// Fills CaptureBitmap with the area of dc; nothing happens for a null dc or
// an empty area.
void CopyScreenToBitmap(int x, int y, int width, int height, HDC dc);

bool IsNTPlatform();  // the NT family (as opposed to Windows 9x)
bool BringWindowToFront(HWND window);
bool ForceForegroundWindow(HWND window);
bool ForceForegroundWindowNT(HWND window);

// The window the user works in. The program's background windows (the
// hidden application window, the notice strip, the freeze window when it is
// not covering the screen, anything hidden or without an area) are never
// meant: while one of them holds the foreground, the window that held it
// before is, if it is still there. Null when there is none.
HWND UserWindow();
// Remembers the foreground window as the user's unless it is one of those;
// called whenever the program is about to take the foreground or act on the
// user's window.
void NoteUserWindow();
// When one of the program's background windows, or nothing, holds the
// foreground (a box or a prompt of the program has just closed, a selection
// has ended), the user's window gets it back, so that the keyboard reaches
// it again.
void GiveForegroundBack();

// The program's one error box: modal, "Vorlix Message", error icon. While it
// is up a running timer capture is stopped, holding the mouse cannot start a
// capture and hotkeys are ignored.
void ShowError(const std::wstring& text);

std::wstring GetSpecialFolder(int csidl);
void InitFolders();
bool MouseButtonsSwapped();

// Lines of the program's RCDATA resource of that name (empty when missing).
std::vector<std::string> LoadResourceStrings(const wchar_t* name);

TImageFormat ImageFormatOfExtension(const std::wstring& fileName);
bool MovedFarEnough(POINT a, POINT b);

void OpenFile(const std::wstring& path);
void ShowHelp();

std::wstring FindZovozuProgram();
std::wstring FindEditorProgram();
void RunZovozuProgram();
void RunEditorProgram();
std::wstring FindPaint();
// Before every delivery to the editor: 0 the custom editor exists, 1 it was
// replaced by Paint, 2 there is no editor at all.
int CheckGraphicEditor();

// The last path component (the file name of a path).
std::wstring FileNameOf(const std::wstring& path);
std::wstring FolderOf(const std::wstring& path);  // with its trailing "\"
bool FileExists(const std::wstring& path);

// What SetDefaults takes from the running system (folders must be initialised).
DefaultInputs SystemDefaultInputs();
// SetDefaults on the live settings.
void SetLiveDefaults();
