// Edit rules shared by the pages: edits that take only digits (sizes, ports,
// offsets), the port value rule, the characters the text edits take, and
// choosing a program or picture file whose path must fit its field.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "base/short_string.h"

// What no file name may hold, and line breaks, which a pasted text could
// bring into a one-line field (and from there into command lines).
inline constexpr wchar_t FileNameAndLineBreaks[] = L"\\/:*?\"<>|\r\n";
inline constexpr wchar_t LineBreaks[] = L"\r\n";

// Only Backspace and the digits can be typed; every other character,
// control characters (Ctrl+V) included, is swallowed.
void AcceptDigitsOnly(HWND edit);

// The port value rule on the edit's text: empty stores 0; 1..255 stores the
// number; anything else shows the range message, keeps the field and shows
// its value again, selected.
void StorePort(HWND edit, uint8_t& field, bool noPortShowsEmpty);
// A port as its edit shows it: no port (0) as "0", or empty.
std::wstring PortText(uint8_t port, bool noPortShowsEmpty);

// An open-file dialog over the dialog, starting in the folder of `current`.
// True when the user picked a file whose whole path fits a 250-character
// field in the code page; a path that does not fit is refused with a
// message (never cut). `picked` receives the path, `bytes` its stored form.
bool ChooseFileToStore(const wchar_t* title, const wchar_t* filterName, const wchar_t* pattern,
                       const std::wstring& current, std::wstring& picked, std::string& bytes);
