// A window object: registers its class once and routes the window's messages
// to HandleMessage. The object must outlive its window.
#pragma once

#include <windows.h>

#include <string>

namespace ui {

class Window {
public:
    Window() = default;
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    virtual ~Window();

    HWND Handle() const { return hwnd_; }

    // Creates the window; className is registered on first use with the
    // given class cursor (none when null).
    bool Create(const wchar_t* className, const wchar_t* title, DWORD style, DWORD exStyle, int x, int y, int width,
                int height, HWND parent = nullptr, HCURSOR cursor = nullptr);
    void Destroy();

protected:
    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam) {
        return DefWindowProcW(hwnd_, message, wParam, lParam);
    }

private:
    static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    HWND hwnd_ = nullptr;
};

// Modeless dialogs: while registered, every message loop of the program
// (the main loop and ProcessMessages) hands their messages to
// IsDialogMessage, so Tab, mnemonics, Enter and Esc work in them.
void AddModelessDialog(HWND dialog);
void RemoveModelessDialog(HWND dialog);
// True when msg belonged to a registered modeless dialog and was handled;
// the loop then neither translates nor dispatches it.
bool RouteDialogMessage(MSG& msg);

// Lets pending messages of this thread run (the class library's
// ProcessMessages). Returns false when WM_QUIT was seen; the quit message is
// posted again so that the main loop still ends.
bool ProcessMessages();

// Waits the given time while letting messages run.
void WaitPumping(DWORD milliseconds);

// The window's text (an edit's or combo box's contents, a button's caption).
std::wstring WindowText(HWND window);

}  // namespace ui
