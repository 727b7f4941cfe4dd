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

namespace {

std::optional<std::string> RoundTrip(std::wstring_view text) {
    std::string bytes = ToAnsi(text);
    if (ToWide(bytes) != text) return std::nullopt;
    return bytes;
}

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

// The drive (C:\), share (\\server\share\) or leading separator
// that no short name replaces.
size_t RootLength(std::wstring_view path) {
    if (path.size() >= 2 && path[1] == L':') return path.size() > 2 && IsSeparator(path[2]) ? 3 : 2;
    if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
        size_t at = 2;
        for (int part = 0; part < 2 && at < path.size(); ++part) {
            while (at < path.size() && !IsSeparator(path[at])) ++at;
            if (at < path.size()) ++at;
        }
        return at;
    }
    return !path.empty() && IsSeparator(path[0]) ? 1 : 0;
}

std::wstring LastName(const std::wstring& path) {
    size_t end = path.size();
    while (end > 0 && IsSeparator(path[end - 1])) --end;
    size_t start = end;
    while (start > 0 && !IsSeparator(path[start - 1])) --start;
    return path.substr(start, end - start);
}

// Every name the code page cannot hold replaced by its short name; the
// others stay as they are, so that what the user reads stays readable.
std::optional<std::string> ShortenForeignNames(std::wstring_view path) {
    const size_t root = RootLength(path);
    auto out = RoundTrip(path.substr(0, root));
    if (!out) return std::nullopt;
    std::wstring sofar(path.substr(0, root));
    for (size_t at = root; at < path.size();) {
        size_t end = at;
        while (end < path.size() && !IsSeparator(path[end])) ++end;
        const std::wstring_view name = path.substr(at, end - at);
        sofar += name;
        auto bytes = RoundTrip(name);
        if (!bytes) {
            const std::wstring shortName = LastName(ShortPathOf(sofar));
            if (shortName.empty() || shortName == name || !(bytes = RoundTrip(shortName))) return std::nullopt;
        }
        *out += *bytes;
        // The separators as they stand (one or more).
        at = end;
        while (at < path.size() && IsSeparator(path[at])) {
            *out += static_cast<char>(path[at]);
            sofar += path[at];
            ++at;
        }
    }
    return out;
}

// The whole short form of the longest part of the path that exists, and the
// rest as it stands.
std::optional<std::string> ShortenAll(std::wstring_view path) {
    const size_t root = RootLength(path);
    for (size_t end = path.size(); end > root;) {
        size_t cut = end;
        while (cut > root && IsSeparator(path[cut - 1])) --cut;
        const std::wstring shortened = ShortPathOf(std::wstring(path.substr(0, cut)));
        if (!shortened.empty()) {
            auto head = RoundTrip(shortened);
            auto tail = RoundTrip(path.substr(cut));
            if (!head || !tail) return std::nullopt;
            return *head + *tail;
        }
        while (cut > root && !IsSeparator(path[cut - 1])) --cut;
        end = cut;
    }
    return std::nullopt;
}

}  // namespace

std::wstring SystemShortPath(const std::wstring& path) {
    const DWORD n = GetShortPathNameW(path.c_str(), nullptr, 0);
    if (n == 0) return {};
    std::wstring out(n, L'\0');
    const DWORD written = GetShortPathNameW(path.c_str(), out.data(), n);
    if (written == 0 || written >= n) return {};
    out.resize(written);
    return out;
}

ShortPathLookup ShortPathOf = SystemShortPath;

std::optional<std::string> ToAnsiPath(std::wstring_view path, size_t maxBytes) {
    if (auto whole = RoundTrip(path); whole && whole->size() <= maxBytes) return whole;
    if (auto some = ShortenForeignNames(path); some && some->size() <= maxBytes) return some;
    if (auto all = ShortenAll(path); all && all->size() <= maxBytes) return all;
    return std::nullopt;
}

std::wstring LowerCase(std::wstring_view s) {
    std::wstring out(s);
    if (!out.empty()) CharLowerBuffW(out.data(), static_cast<DWORD>(out.size()));
    return out;
}

}  // namespace ui
