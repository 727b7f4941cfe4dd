#include "delivery/random_source.h"

#include <chrono>

namespace delivery {

namespace {

// splitmix64: small, fast and of ample quality for drawing edges.
uint64_t Mix(uint64_t z) {
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

}  // namespace

void RandomSource::SeedFromClock() {
    static uint64_t counter = 0;
    const auto ticks = static_cast<uint64_t>(std::chrono::high_resolution_clock::now().time_since_epoch().count());
    const auto wall = static_cast<uint64_t>(std::chrono::system_clock::now().time_since_epoch().count());
    ++counter;
    state_ = Mix(ticks ^ Mix(wall + counter * 0x9E3779B97F4A7C15ull));
}

uint32_t RandomSource::Next() {
    state_ += 0x9E3779B97F4A7C15ull;
    return static_cast<uint32_t>(Mix(state_) >> 32);
}

uint32_t RandomSource::Below(uint32_t n) {
    if (n == 0) return 0;
    // Lemire's multiply-and-reject: exactly uniform.
    uint64_t m = uint64_t(Next()) * n;
    auto low = static_cast<uint32_t>(m);
    if (low < n) {
        const uint32_t threshold = (0u - n) % n;
        while (low < threshold) {
            m = uint64_t(Next()) * n;
            low = static_cast<uint32_t>(m);
        }
    }
    return static_cast<uint32_t>(m >> 32);
}

RandomSource& ProgramRandom() {
    static RandomSource source;
    return source;
}

}  // namespace delivery
