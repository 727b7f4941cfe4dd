// The foreground: bringing windows to the front despite the system's
// foreground lock, and the window the user works in, which gets the
// foreground back when a box or a selection of the program ends.
#pragma once

#include <windows.h>

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
