#pragma once
// The system's random number generator. Simulation seeds it so that runs repeat exactly.

#include <cstdint>
#include <mutex>
#include <random>

namespace platform {

class RandomGenerator {
public:
    explicit RandomGenerator(std::uint64_t seed) : engine_(seed) {}
    // A uniformly distributed value in 0 ..< upperBound (upperBound > 0). [any]
    std::uint32_t next(std::uint32_t upperBound);
    // Starts the sequence again from `seed`, as a freshly made generator would. [any]
    void reseed(std::uint64_t seed);

private:
    std::mutex mutex_;
    std::mt19937_64 engine_;
};

} // namespace platform
