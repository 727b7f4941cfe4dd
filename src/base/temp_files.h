// The clean-up of the temporary files that the program itself leaves in the
// temporary folder: the image copies of the destinations, the mail messages,
// and a leftover hand-over file.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "base/configuration.h"

// The image file of a hand-over (another program has it delivered), in the
// temporary folder.
inline constexpr wchar_t HandOverFileName[] = L"duridevazazu.bmp";

// A family of file names: prefix, then a number (decimal, no leading zero)
// when `numbered`, then the extension. Compared without regard to case.
struct TempNamePattern {
    std::wstring prefix;
    bool numbered = false;
    std::wstring extension;
};

// The names that the destinations write into the temporary folder under the
// settings `c`.
std::vector<TempNamePattern> OwnTempFilePatterns(const TConfiguration& c);

bool MatchesTempPattern(std::wstring_view fileName, const TempNamePattern& pattern);
bool IsOwnTempFile(std::wstring_view fileName, const std::vector<TempNamePattern>& patterns);

// Deletes the program's own files directly in `folder` (subfolders are not
// entered); a file that cannot be deleted is left alone. No errors are reported.
void CleanTempFiles(const std::wstring& folder, const TConfiguration& c);
// The same for TempFolder (and CodePageTempFolder when it is another) and the
// live settings.
void CleanTempFiles();

// Where the temporary copies go that other programs receive by a path in the
// code page (ICQ, the messenger's dropped files): TempFolder when a form of
// its path holds in the code page, else the Windows folder's Temp when that
// one's does; empty when neither.
std::wstring CodePageTempFolder();
