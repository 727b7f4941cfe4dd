// Captures that need no selection: the whole screen, the active window, and
// the repeat of the last image or the last area. Each fills CaptureBitmap
// from the screen and hands it to the completion.
#pragma once

void CaptureFullScreen();    // Print Screen
void CaptureActiveWindow();  // Alt+Print Screen: the foreground window, frame included
void RepeatCapture();        // the Repeat hotkey, by RepeatMode
