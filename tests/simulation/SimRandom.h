#pragma once
// The scenario generator's random source: a 64-bit Mersenne Twister read through arithmetic of
// our own, so that one seed gives the same scenario with every standard library.

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace vantrel::simulation {

class SimRandom {
public:
    explicit SimRandom(std::uint64_t seed) : engine_(seed) {}

    std::uint64_t bits() { return engine_(); }
    // 0 ..< bound; 0 when bound is 0.
    std::uint64_t below(std::uint64_t bound) { return bound == 0 ? 0 : bits() % bound; }
    // low ... high, both included.
    std::int64_t between(std::int64_t low, std::int64_t high) {
        return low + static_cast<std::int64_t>(below(static_cast<std::uint64_t>(high - low) + 1));
    }
    // True with probability `p`.
    bool chance(double p) { return static_cast<double>(bits() >> 11) * 0x1.0p-53 < p; }
    template <typename T> const T& pick(const std::vector<T>& choices) {
        return choices[below(choices.size())];
    }

    // A sample for a stress signal: ordinary levels, silence, signed zero, denormals, huge and
    // infinite values and NaNs with assorted payloads.
    float sample();
    // Printable text, now and then with quotes, backslashes, newlines and non-ASCII letters.
    std::string text(std::size_t maxLength);

private:
    std::mt19937_64 engine_;
};

} // namespace vantrel::simulation
