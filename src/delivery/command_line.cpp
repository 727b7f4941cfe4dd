#include "delivery/command_line.h"

namespace cmdline {

std::wstring QuoteArgument(std::wstring_view value) {
    std::wstring out = L"\"";
    size_t backslashes = 0;
    for (wchar_t c : value) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        // Backslashes are literal unless a double quote follows them: then
        // each one must be doubled, and the quote itself escaped.
        if (c == L'"') {
            out.append(backslashes * 2 + 1, L'\\');
        } else {
            out.append(backslashes, L'\\');
        }
        backslashes = 0;
        out += c;
    }
    // Backslashes before the closing quote are doubled too.
    out.append(backslashes * 2, L'\\');
    out += L'"';
    return out;
}

std::wstring QuoteForeignArgument(std::wstring_view value) {
    std::wstring clean(value);
    for (wchar_t& c : clean) {
        if (c == L'"') c = L'\'';
    }
    return QuoteArgument(clean);
}

std::wstring JoinArguments(const std::vector<std::wstring>& values) {
    std::wstring out;
    for (size_t i = 0; i < values.size(); ++i) {
        if (i) out += L' ';
        out += QuoteArgument(values[i]);
    }
    return out;
}

std::vector<std::wstring> SplitArguments(std::wstring_view line) {
    std::vector<std::wstring> args;
    size_t i = 0;
    const size_t n = line.size();
    while (true) {
        while (i < n && (line[i] == L' ' || line[i] == L'\t')) ++i;
        if (i >= n) break;
        std::wstring arg;
        bool quoted = false;
        while (i < n) {
            wchar_t c = line[i];
            if (!quoted && (c == L' ' || c == L'\t')) break;
            if (c == L'\\') {
                size_t count = 0;
                while (i < n && line[i] == L'\\') { ++count; ++i; }
                if (i < n && line[i] == L'"') {
                    arg.append(count / 2, L'\\');
                    if (count % 2) {  // an escaped quote
                        arg += L'"';
                        ++i;
                    }
                } else {
                    arg.append(count, L'\\');
                }
                continue;
            }
            if (c == L'"') {
                // "" inside a quoted part stands for one quote and ends the
                // quoted part (the shell's parser, unlike newer C run-times).
                if (quoted && i + 1 < n && line[i + 1] == L'"') {
                    arg += L'"';
                    i += 2;
                    quoted = false;
                    continue;
                }
                quoted = !quoted;
                ++i;
                continue;
            }
            arg += c;
            ++i;
        }
        args.push_back(std::move(arg));
    }
    return args;
}

}  // namespace cmdline
