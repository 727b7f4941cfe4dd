// How a finished capture leaves the engines: every engine puts its image into
// CaptureBitmap and reports it here. What happens to it then (finishing and
// delivery) is the application's, which sets the callback (statically, in its
// completion unit); while none is set the image stays where it is.
#pragma once

#include <windows.h>

enum class Completion {
    Timer,   // by the completion timer, once the engine's own clean-up has run
    AtOnce,  // finished and delivered now, before the engine goes on (a timer
             // capture's repeat, an auto-scroll's picture)
};

extern void (*CaptureFinishedProc)(Completion how);
inline void CaptureFinished(Completion how = Completion::Timer) {
    if (CaptureFinishedProc) CaptureFinishedProc(how);
}

// Fills CaptureBitmap with the area of dc; nothing happens for a null dc or
// an empty area.
void CopyScreenToBitmap(int x, int y, int width, int height, HDC dc);

// Copies area (right and bottom exclusive) of source into CaptureBitmap and
// reports the capture finished. False, with nothing captured and nothing to
// be delivered, when the area is empty or cannot be copied.
bool CaptureArea(HDC source, const RECT& area);
