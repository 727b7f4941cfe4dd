// What the parts below the application do to the program's tray icon: set
// its tip, and take its menu away (a right click then shows nothing) or give
// it back. The main window owns the icon and the menu and sets the pointers
// (statically, so that they hold wherever the main window is linked in); the
// calls do nothing while no main window exists.
#pragma once

extern void (*TrayTipProc)(const wchar_t* tip);
extern void (*TrayMenuAttachedProc)(bool attached);
inline void SetTrayTip(const wchar_t* tip) { if (TrayTipProc) TrayTipProc(tip); }
inline void SetTrayMenuAttached(bool attached) { if (TrayMenuAttachedProc) TrayMenuAttachedProc(attached); }
