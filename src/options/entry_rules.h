// What the edits of the destination and finishing pages accept, without a
// window: whole numbers within a range (offsets, ports) and the placing of a
// placeholder into a text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace entry {

enum class NumberCheck {
    Empty,       // nothing typed: the field takes 0
    Accepted,    // value holds the number
    OutOfRange,  // not a whole decimal number, or outside low..high
};

struct NumberEntry {
    NumberCheck check = NumberCheck::Empty;
    int64_t value = 0;
};

// Reads the text as a whole decimal number of the range low..high (high at
// most 2^31 - 1). Any number of digits is read without overflow: a number
// beyond the range is out of range, never wrapped.
NumberEntry ReadWholeNumber(std::wstring_view text, int64_t low, int64_t high);

// The port rule shared by the port edits: 1..255, empty stores 0.
inline NumberEntry ReadPort(std::wstring_view text) { return ReadWholeNumber(text, 1, 255); }

// The offset rule of the stamp offsets: 0..limit (the screen's width or
// height), empty stores 0.
inline NumberEntry ReadOffset(std::wstring_view text, int64_t limit) { return ReadWholeNumber(text, 0, limit); }

struct Insertion {
    std::wstring text;  // the whole new text
    size_t caret = 0;   // just after the inserted placeholder
};

// The text with the selection selStart..selEnd (either order, clamped to the
// text) replaced by the placeholder.
Insertion InsertPlaceholder(std::wstring_view text, size_t selStart, size_t selEnd, std::wstring_view placeholder);

}  // namespace entry
