// The pseudo-random numbers of the finishing step (the torn edges). The
// program's own generator is seeded from the clock for every torn edge, so two
// captures never get the same edge; tests make their own generator with a
// fixed seed and pass it in to get repeatable edges.
#pragma once

#include <cstdint>

namespace delivery {

class RandomSource {
public:
    explicit RandomSource(uint64_t seed = 0) { Seed(seed); }

    void Seed(uint64_t seed) { state_ = seed; }
    // A new seed from the high-resolution clock, mixed with a call counter so
    // that two seedings within one clock tick still differ.
    void SeedFromClock();

    uint32_t Next();
    // Uniform in 0 .. n - 1 (without the bias of a plain modulo); 0 for n = 0.
    uint32_t Below(uint32_t n);

private:
    uint64_t state_ = 0;
};

// The generator the program uses when no other is passed in.
RandomSource& ProgramRandom();

}  // namespace delivery
