// The about box: product, version, the maker's web address as a link, and the
// legal notice. Modal and on top of everything.
#pragma once

#include <string>

// Shows the box modally; the link text opens linkTarget and closes the box.
void ShowAboutBox(const std::wstring& productName, const std::wstring& version, const std::wstring& linkText,
                  const std::wstring& linkTarget);
