// scroll_window.exe [--rows N] [--step PIXELS] [--delay MS] [--hang-after N]
//                   [--paint-late MS]
//                   [--repaint] [--endless] [--no-caption] [--no-scrollbar] [--child]
//                   [--pos X Y] [--size WIDTH HEIGHT] [--class NAME] [--title TEXT]
//                   [--log FILE]
// Shows the scrollable test window until it is closed. Exit code 2 for an
// argument it does not know, 1 when the window cannot be made.
#include <windows.h>

#include <cwchar>
#include <string>

#include "scroll_window/scroll_window.h"

int wmain(int argc, wchar_t** argv) {
    scrollwin::Options o;
    for (int i = 1; i < argc; ++i) {
        const std::wstring a = argv[i];
        auto number = [&](int& out) {
            if (i + 1 >= argc) return false;
            out = _wtoi(argv[++i]);
            return true;
        };
        auto text = [&](std::wstring& out) {
            if (i + 1 >= argc) return false;
            out = argv[++i];
            return true;
        };
        bool ok = true;
        if (a == L"--rows") ok = number(o.rows);
        else if (a == L"--step") ok = number(o.lineStep);
        else if (a == L"--delay") ok = number(o.delayMs);
        else if (a == L"--hang-after") ok = number(o.hangAfter);
        else if (a == L"--paint-late") ok = number(o.paintLateMs);
        else if (a == L"--repaint") o.repaint = true;
        else if (a == L"--endless") o.endless = true;
        else if (a == L"--no-caption") o.caption = false;
        else if (a == L"--no-scrollbar") o.scrollBar = false;
        else if (a == L"--child") o.child = true;
        else if (a == L"--pos") ok = number(o.x) && number(o.y);
        else if (a == L"--size") ok = number(o.clientWidth) && number(o.clientHeight);
        else if (a == L"--class") ok = text(o.className);
        else if (a == L"--title") ok = text(o.title);
        else if (a == L"--log") ok = text(o.logPath);
        else ok = false;
        if (!ok) return 2;
    }
    scrollwin::ScrollTestWindow window(o);
    if (!window.Create()) return 1;
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
