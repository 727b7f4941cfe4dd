// Conversion between the UTF-16 of the Win32 W functions and the ANSI code page
// bytes in which the settings record stores its strings.
#pragma once

#include <string>
#include <string_view>

namespace ui {

std::wstring ToWide(std::string_view ansi);
std::string ToAnsi(std::wstring_view wide);
std::wstring LowerCase(std::wstring_view s);

}  // namespace ui
