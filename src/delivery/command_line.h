// Quoting of values on the command lines the program builds for other
// programs. Our own helper programs parse their command line with
// CommandLineToArgvW, so a value quoted here comes back whole whatever it holds:
// double quotes, backslashes before a quote or at the end, blanks. For an
// ordinary value (no double quote, no trailing backslash) the result is the
// value between two double quotes, nothing else.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace cmdline {

// One argument for a program that parses like CommandLineToArgvW.
std::wstring QuoteArgument(std::wstring_view value);

// One argument for a foreign program whose parsing is unknown: a double quote
// inside the value becomes a single quote, and a trailing backslash is
// doubled, so the value can never end the quoted argument early.
std::wstring QuoteForeignArgument(std::wstring_view value);

// Arguments quoted with QuoteArgument, separated by one blank.
std::wstring JoinArguments(const std::vector<std::wstring>& values);

// The parsing rules of CommandLineToArgvW for the arguments after the program
// name (for our helper programs' own tests and for platforms without it).
std::vector<std::wstring> SplitArguments(std::wstring_view commandLine);

}  // namespace cmdline
