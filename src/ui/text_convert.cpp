#include "ui/text_convert.h"

#include <windows.h>

namespace ui {

std::wstring ToWide(std::string_view ansi) {
    if (ansi.empty()) return {};
    const int n = MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), out.data(), n);
    return out;
}

std::string ToAnsi(std::wstring_view wide) {
    if (wide.empty()) return {};
    const int n = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                      nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), out.data(), n, nullptr,
                        nullptr);
    return out;
}

std::optional<std::string> ToAnsiFitting(std::wstring_view wide, size_t maxBytes) {
    const std::string all = ToAnsi(wide);
    if (ToWide(all) != wide) return std::nullopt;
    if (all.size() <= maxBytes) return all;
    std::string out;
    for (size_t i = 0; i < wide.size();) {
        // One character: a surrogate pair stays together.
        size_t n = 1;
        if (i + 1 < wide.size() && wide[i] >= 0xD800 && wide[i] <= 0xDBFF) n = 2;
        const std::string piece = ToAnsi(wide.substr(i, n));
        if (out.size() + piece.size() > maxBytes) break;
        out += piece;
        i += n;
    }
    return out;
}

std::wstring LowerCase(std::wstring_view s) {
    std::wstring out(s);
    if (!out.empty()) CharLowerBuffW(out.data(), static_cast<DWORD>(out.size()));
    return out;
}

}  // namespace ui
