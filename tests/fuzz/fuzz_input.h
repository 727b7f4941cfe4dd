// What every fuzz target shares: the input taken apart into numbers, flags
// and byte strings, and the check that ends the process on a broken rule
// (libFuzzer keeps the input; the replay under Wine fails).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

namespace fuzz {

[[noreturn]] inline void Fail(const char* rule, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: broken: %s\n", file, line, rule);
    std::fflush(stderr);
    std::abort();
}

#define FUZZ_CHECK(condition) ((condition) ? void(0) : ::fuzz::Fail(#condition, __FILE__, __LINE__))

// Reads the input front to back; past its end every read gives zeros and
// empty strings, so any input is a valid one.
class Input {
public:
    Input(const uint8_t* data, size_t size) : p_(data), left_(size) {}

    size_t Left() const { return left_; }

    template <typename T>
    T Take() {
        T v{};
        const size_t n = left_ < sizeof v ? left_ : sizeof v;
        if (n) std::memcpy(&v, p_, n);
        p_ += n;
        left_ -= n;
        return v;
    }
    uint8_t Byte() { return Take<uint8_t>(); }
    bool Flag() { return Byte() & 1; }
    // A value in low .. high.
    int64_t Range(int64_t low, int64_t high) {
        const uint64_t span = uint64_t(high - low) + 1;
        const uint64_t raw = Take<uint64_t>();
        return span == 0 ? int64_t(raw) : low + int64_t(raw % span);
    }
    // A string of up to max bytes: a length byte (or two) and that many bytes.
    std::string Bytes(size_t max) {
        size_t n = max > 255 ? Take<uint16_t>() : Byte();
        if (n > max) n = n % (max + 1);
        if (n > left_) n = left_;
        std::string s(reinterpret_cast<const char*>(p_), n);
        p_ += n;
        left_ -= n;
        return s;
    }
    // Everything that is left.
    std::string_view Rest() {
        std::string_view s(reinterpret_cast<const char*>(p_), left_);
        p_ += left_;
        left_ = 0;
        return s;
    }

private:
    const uint8_t* p_;
    size_t left_;
};

}  // namespace fuzz
