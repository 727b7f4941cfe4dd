// A modal box that asks for one line of text: a prompt, an edit preset with
// a text, OK and Cancel (the class library's InputQuery).
#pragma once

#include <windows.h>

#include <string>

namespace ui {

struct InputBoxTexts {
    const wchar_t* caption;
    const wchar_t* prompt;
    const wchar_t* ok;
    const wchar_t* cancel;
};

// True when the user pressed OK; text then holds what the edit held. text
// comes in as the preset. Cancel, Escape and closing the box give false and
// leave text as it was.
bool InputQuery(HWND owner, const InputBoxTexts& texts, std::wstring& text);

}  // namespace ui
