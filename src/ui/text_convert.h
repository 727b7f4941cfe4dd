// Conversion between the UTF-16 of the Win32 W functions and the ANSI code page
// bytes in which the settings record stores its strings.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace ui {

std::wstring ToWide(std::string_view ansi);
std::string ToAnsi(std::wstring_view wide);
// The text as code-page bytes for a field of maxBytes bytes: cut after the
// last whole character that fits (a double-byte character is never split),
// or nullopt when the code page has no form for one of its characters
// (instead of storing "?" in its place).
std::optional<std::string> ToAnsiFitting(std::wstring_view wide, size_t maxBytes);

std::wstring LowerCase(std::wstring_view s);

}  // namespace ui
