// The maker's web addresses that the program opens.
#pragma once

#include "version.h"

namespace addr {
inline constexpr wchar_t HomePage[] = L"https://www.vorlix.com/";
inline constexpr wchar_t ProductPage[] = L"https://www.vorlix.com/tessavue/";
inline constexpr wchar_t TellAFriend[] = L"https://www.vorlix.com/tessavue/recommend";
inline constexpr wchar_t CheckVersion[] = L"https://www.vorlix.com/tessavue/version?v=" VORLIX_VERSION_TEXT;
inline constexpr wchar_t ZovozuDownload[] = L"https://www.vorlix.com/zovozu/download";
inline constexpr wchar_t EditorDownload[] = L"https://www.vorlix.com/editor/download";
// Where the options dialog sends a user who lacks the editor or Zovozu.
inline constexpr wchar_t DownloadPage[] = L"https://www.vorlix.com/download";
}  // namespace addr

// What the about box shows.
inline constexpr wchar_t ProgramVersion[] = L"" VORLIX_VERSION_TEXT;
