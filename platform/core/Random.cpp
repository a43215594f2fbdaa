#include "platform/core/Random.h"

namespace platform {

std::uint32_t RandomGenerator::next(std::uint32_t upperBound) {
    std::lock_guard guard(mutex_);
    return std::uniform_int_distribution<std::uint32_t>(0, upperBound - 1)(engine_);
}

void RandomGenerator::reseed(std::uint64_t seed) {
    std::lock_guard guard(mutex_);
    engine_.seed(seed);
}

} // namespace platform
