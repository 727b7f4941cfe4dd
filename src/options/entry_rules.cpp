#include "options/entry_rules.h"

#include <algorithm>

namespace entry {

NumberEntry ReadWholeNumber(std::wstring_view text, int64_t low, int64_t high) {
    if (text.empty()) return {NumberCheck::Empty, 0};
    int64_t value = 0;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9') return {NumberCheck::OutOfRange, 0};
        // Past the range the number cannot come back into it: stop counting
        // before the sum could overflow.
        if (value <= high) value = value * 10 + (c - L'0');
    }
    if (value < low || value > high) return {NumberCheck::OutOfRange, 0};
    return {NumberCheck::Accepted, value};
}

Insertion InsertPlaceholder(std::wstring_view text, size_t selStart, size_t selEnd, std::wstring_view placeholder) {
    size_t from = std::min({selStart, selEnd, text.size()});
    size_t to = std::min(std::max(selStart, selEnd), text.size());
    Insertion r;
    r.text.reserve(text.size() - (to - from) + placeholder.size());
    r.text.append(text.substr(0, from));
    r.text.append(placeholder);
    r.text.append(text.substr(to));
    r.caret = from + placeholder.size();
    return r;
}

}  // namespace entry
