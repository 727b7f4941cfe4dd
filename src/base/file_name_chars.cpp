#include "base/file_name_chars.h"

const wchar_t RejectedFileNameChars[] = L"\\/:*?\"<>|";

std::wstring StripFileNameChars(std::wstring_view text) {
    std::wstring out;
    out.reserve(text.size());
    for (wchar_t c : text)
        if (std::wstring_view(RejectedFileNameChars).find(c) == std::wstring_view::npos) out += c;
    return out;
}
