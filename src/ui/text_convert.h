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

// The path as code-page bytes that name the same file or folder again when
// converted back, at most maxBytes long: the path itself when the code page
// holds it; else with every name the code page cannot hold replaced by its
// short (8.3) name; else, when that is still too long, its whole short form.
// Short names exist only for what exists, so of a path whose end does not
// exist yet only the existing part can be shortened. nullopt when there is
// no such form: a volume without short names, a name that has none.
std::optional<std::string> ToAnsiPath(std::wstring_view path, size_t maxBytes = static_cast<size_t>(-1));

// The short form of an existing file or folder ("" when the system gives
// none). Tests put in a volume without short names, where the system
// answers with the long form.
using ShortPathLookup = std::wstring (*)(const std::wstring& path);
extern ShortPathLookup ShortPathOf;
std::wstring SystemShortPath(const std::wstring& path);

std::wstring LowerCase(std::wstring_view s);

}  // namespace ui
