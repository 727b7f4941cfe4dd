// The file-name filter of every name the user types for a file of the
// program (the options dialog's name fields, the Web destination's prompt).
// No windows.h here.
#pragma once

#include <string>
#include <string_view>

// The nine characters that cannot stand in a file name: \ / : * ? " < > |
extern const wchar_t RejectedFileNameChars[];

// text without any of the rejected characters.
std::wstring StripFileNameChars(std::wstring_view text);
