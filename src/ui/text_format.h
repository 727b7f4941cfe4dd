// Messages that carry a value. Such a message is one text with a placeholder
// where the value goes: an upper-case name in angle brackets, such as <FILE>
// or <ROWS>. Each language puts the placeholder where its grammar wants the
// value (Chinese often first), which a text cut into pieces glued around the
// value in code would not allow. Every such message, of the program and of
// its helper programs alike, is made here; the texts check (tests/texts)
// holds each call to the placeholders of its text.
// Header only, without windows.h, so that the helper programs, which link
// only what they use, and the native builds have it too.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace ui {

struct TextValue {
    std::wstring_view placeholder;  // with its brackets: L"<FILE>"
    std::wstring_view value;
};

// text with every placeholder named in values replaced by its value. One
// pass from left to right, so that a value holding a placeholder's name (a
// favourite called "<NAME>", a mail subject "<BODY>") is shown as it is and
// not replaced in its turn.
inline std::wstring FormatText(std::wstring_view text, std::initializer_list<TextValue> values) {
    std::wstring out;
    out.reserve(text.size() + 64);
    size_t done = 0;
    for (size_t at = text.find(L'<'); at != std::wstring_view::npos; at = text.find(L'<', at + 1)) {
        for (const TextValue& v : values) {
            if (v.placeholder.empty() || text.compare(at, v.placeholder.size(), v.placeholder) != 0) continue;
            out.append(text.substr(done, at - done));
            out.append(v.value);
            done = at + v.placeholder.size();
            at = done - 1;
            break;
        }
    }
    out.append(text.substr(done));
    return out;
}

}  // namespace ui
