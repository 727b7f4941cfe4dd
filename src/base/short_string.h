// A fixed-capacity string stored as a length byte followed by N character
// bytes: the layout of the string fields in the stored settings record.
// The characters are bytes in the system ANSI code page; conversion to
// UTF-16 happens at the Win32 boundary, not here.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#pragma pack(push, 1)
template <int N>
struct ShortString {
    static_assert(N > 0 && N <= 255, "a length byte holds at most 255");
    static constexpr int Capacity = N;

    uint8_t length;
    char chars[N];

    int size() const { return length <= N ? length : N; }
    bool empty() const { return size() == 0; }
    std::string_view view() const { return std::string_view(chars, static_cast<size_t>(size())); }
    std::string str() const { return std::string(view()); }

    // Stores s, cut to the capacity; the bytes behind the new length are
    // left as they were (they do not belong to the value).
    void assign(std::string_view s) {
        const size_t n = s.size() < static_cast<size_t>(N) ? s.size() : static_cast<size_t>(N);
        if (n) std::memcpy(chars, s.data(), n);
        length = static_cast<uint8_t>(n);
    }
    ShortString& operator=(std::string_view s) { assign(s); return *this; }
    void clear() { length = 0; }

    // Equality by length and content only.
    friend bool operator==(const ShortString& a, const ShortString& b) { return a.view() == b.view(); }
};
#pragma pack(pop)

static_assert(sizeof(ShortString<250>) == 251);
static_assert(sizeof(ShortString<255>) == 256);
